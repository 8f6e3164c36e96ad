#include "models/dashboard_view_model.h"

#include "core/activity_rules.h"
#include "models/task_group.h"

namespace norvane {

DashboardViewModel::DashboardViewModel(Dependencies dependencies, QObject* parent)
    : RepoActivityModel(std::move(dependencies), parent)
{
}

void DashboardViewModel::setSummaries(QList<RepoSummary> summaries)
{
    m_summaries = std::move(summaries);
    Q_EMIT summariesChanged(m_summaries);
}

void DashboardViewModel::clearResults()
{
    setSummaries({});
}

QCoro::Task<RepoSummary> DashboardViewModel::fetchSummary(GitHubService github, QString repo, QString token,
                                                          CancelToken cancel)
{
    // All four start before the first is awaited.
    auto count = valueOrAbsent(github.fetchOpenPRCount(repo, token, cancel));
    auto commit = valueOrAbsent(github.fetchLastCommit(repo, token, cancel));
    auto deploys = valueOrAbsent(github.fetchDeploysToday(repo, token, cancel));
    auto environments = valueOrAbsent(github.fetchEnvironments(repo, token, cancel));

    RepoSummary summary;
    summary.repository = repo;
    summary.openPRCount = (co_await std::move(count)).value_or(0);
    if (const auto last = (co_await std::move(commit)).value_or(std::nullopt)) {
        summary.lastCommitAt = last->date;
        summary.lastCommitMessage = last->message;
    }
    summary.recentDeploys = (co_await std::move(deploys)).value_or(QList<DeployInfo>{});
    summary.environments = (co_await std::move(environments)).value_or(std::nullopt);
    co_return summary;
}

QCoro::Task<> DashboardViewModel::loadWithToken(GitHubService github, QList<WatchedRepo> repos, QString token,
                                                CancelToken cancel)
{
    return load(QPointer<DashboardViewModel>(this), std::move(github), std::move(repos), std::move(token),
                std::move(cancel));
}

QCoro::Task<> DashboardViewModel::load(QPointer<DashboardViewModel> self, GitHubService github,
                                       QList<WatchedRepo> repos, QString token, CancelToken cancel)
{
    // A named closure: g++ 12 destroys a temporary argument of a coroutine call inside co_await twice.
    const auto summarize = [github, token](const WatchedRepo& repo, CancelToken group) {
        return fetchSummary(github, repo.fullName, token, std::move(group));
    };
    auto gathering = gatherConcurrently<RepoSummary>(std::move(repos), cancel, summarize);
    QList<RepoSummary> summaries = co_await std::move(gathering);
    if (!self || cancel->isCancelled())
        co_return;
    sortSummariesByRepository(summaries);
    self->setSummaries(std::move(summaries));
    self->setIsLoading(false);
}

} // namespace norvane
