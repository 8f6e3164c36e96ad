#include "models/issues_view_model.h"

#include "core/activity_rules.h"
#include "models/task_group.h"

#include <algorithm>

namespace norvane {

IssuesViewModel::IssuesViewModel(Dependencies dependencies, QObject* parent)
    : RepoActivityModel(std::move(dependencies), parent)
{
}

void IssuesViewModel::setSelectedRepository(std::optional<QString> repository)
{
    if (m_selectedRepository == repository)
        return;
    m_selectedRepository = std::move(repository);
    Q_EMIT selectedRepositoryChanged(m_selectedRepository);
}

void IssuesViewModel::accountSwitched()
{
    // A filter the new account has no use for would hide all its issues behind "All clear".
    if (!m_selectedRepository)
        return;
    const QList<WatchedRepo> watched = watchedRepos();
    const bool watches = std::any_of(watched.begin(), watched.end(), [this](const WatchedRepo& repo) {
        return repo.fullName.compare(*m_selectedRepository, Qt::CaseInsensitive) == 0;
    });
    if (!watches)
        setSelectedRepository(std::nullopt);
}

QStringList IssuesViewModel::availableRepositories() const
{
    return issueRepositories(m_issues);
}

QList<GitHubIssue> IssuesViewModel::filteredIssues() const
{
    return issuesInRepository(m_issues, m_selectedRepository);
}

void IssuesViewModel::setIssues(QList<GitHubIssue> issues)
{
    m_issues = std::move(issues);
    Q_EMIT issuesChanged(m_issues);
}

void IssuesViewModel::clearResults()
{
    setIssues({});
}

QCoro::Task<> IssuesViewModel::loadWithToken(GitHubService github, QList<WatchedRepo> repos, QString token,
                                             CancelToken cancel)
{
    return load(QPointer<IssuesViewModel>(this), std::move(github), std::move(repos), std::move(token),
                std::move(cancel));
}

QCoro::Task<> IssuesViewModel::load(QPointer<IssuesViewModel> self, GitHubService github,
                                    QList<WatchedRepo> repos, QString token, CancelToken cancel)
{
    // One request per repository, all at once; the first failure stops the others. (The closure is a named
    // local: g++ 12 destroys a temporary argument of a coroutine call inside co_await twice.)
    const auto fetch = [github, token](const WatchedRepo& repo, CancelToken group) {
        return github.fetchIssues(repo.fullName, token, std::move(group));
    };
    auto gathering = gatherConcurrently<QList<GitHubIssue>>(std::move(repos), cancel, fetch);
    QList<QList<GitHubIssue>> perRepository;
    std::exception_ptr failure;
    try {
        perRepository = co_await std::move(gathering);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self || cancel->isCancelled())
        co_return;
    if (failure) {
        self->setErrorMessage(describeFailure(failure));
        self->setIsLoading(false);
        co_return;
    }
    QList<GitHubIssue> issues;
    for (const QList<GitHubIssue>& list : perRepository)
        issues.append(list);
    sortIssuesNewestFirst(issues);
    self->setIssues(std::move(issues));
    self->setIsLoading(false);
}

} // namespace norvane
