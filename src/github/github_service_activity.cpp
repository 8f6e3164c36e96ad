#include "github/github_service_internal.h"

namespace norvane {

using namespace detail;
using DeployStatus = DeployInfo::Status;

namespace {

// The activity queries log nothing; their callers show what matters to the user.
Classification quietClassification()
{
    Classification how;
    how.log = false;
    how.undecodableBody = QString();
    return how;
}

QCoro::Task<QList<GitHubIssue>> issues(Ctx ctx, QString repo, QString token, CancelToken cancel)
{
    const QString endpoint = QStringLiteral("repos/%1/issues").arg(repo);
    const QString address = ctx->baseURL + QStringLiteral("/repos/%1/issues?state=open&per_page=100").arg(repo);
    Classification how = quietClassification();
    how.unauthorizedAsServiceError = true;
    const auto items = co_await fetchDecoded(ctx, address, endpoint, token, cancel, how, wire::decodeIssues);
    const QDateTime now = ctx->now();
    QList<GitHubIssue> result;
    for (const wire::Issue& item : items) {
        if (item.isPullRequest)
            continue;
        GitHubIssue issue;
        issue.id = QStringLiteral("issue-%1-%2").arg(repo).arg(item.id);
        issue.number = item.number;
        issue.title = item.title;
        issue.url = item.htmlUrl;
        issue.repository = repo;
        issue.author = item.userLogin;
        issue.createdAt = parseGitHubDateOr(item.createdAt, now);
        issue.updatedAt = parseGitHubDateOr(item.updatedAt, now);
        issue.labels = item.labels;
        issue.commentCount = item.comments;
        result.append(issue);
    }
    co_return result;
}

QCoro::Task<qint64> openPRCount(Ctx ctx, QString repo, QString token, CancelToken cancel)
{
    const QString endpoint = QStringLiteral("search/issues (pr count %1)").arg(repo);
    const QString query = GitHubService::encodeQueryText(QStringLiteral("repo:%1 type:pr state:open").arg(repo));
    const QString address = ctx->baseURL + QStringLiteral("/search/issues?q=") + query + QStringLiteral("&per_page=1");
    const auto url = parseAddress(address);
    if (!url)
        throw GitHubAPIError::badURL(address);
    for (CacheUse use : {CacheUse::revalidate, CacheUse::refetch}) {
        HttpReply reply;
        try {
            reply = co_await ctx->session.get(GitHubService::makeRequest(*url, token), cancel, ctx->cachePartition, use);
        } catch (const TransportError& e) {
            throw GitHubAPIError::networkError(endpoint, e);
        }
        if (!reply.isHttp || reply.statusCode != 200)
            co_return 0;
        try {
            co_return wire::decodeSearchTotalCount(reply.body);
        } catch (const DecodeError&) {
        }
        if (!reply.fromCache) // a stored answer that no longer decodes is asked for afresh, once
            break;
    }
    co_return 0;
}

QCoro::Task<std::optional<GitHubService::LastCommit>> lastCommit(Ctx ctx, QString repo, QString token,
                                                                 CancelToken cancel)
{
    const QDateTime now = ctx->now();
    return fetchDecodedQuietly(
        ctx, ctx->baseURL + QStringLiteral("/repos/%1/commits?per_page=1").arg(repo), token, cancel,
        std::optional<GitHubService::LastCommit>{}, [now](const QByteArray& body) {
            const auto commits = wire::decodeCommits(body);
            if (commits.isEmpty())
                return std::optional<GitHubService::LastCommit>{};
            return std::optional<GitHubService::LastCommit>(GitHubService::LastCommit{
                parseGitHubDateOr(commits.first().authorDate, now), commitMessageFirstLine(commits.first().message)});
        });
}

QCoro::Task<std::optional<QStringList>> environments(Ctx ctx, QString repo, QString token, CancelToken cancel)
{
    return fetchDecodedQuietly(ctx, ctx->baseURL + QStringLiteral("/repos/%1/environments").arg(repo), token, cancel,
                               std::optional<QStringList>{}, [](const QByteArray& body) {
                                   const QStringList names = wire::decodeEnvironmentNames(body);
                                   // "None" is shown as absent, never as an empty list.
                                   return names.isEmpty() ? std::optional<QStringList>{} : std::optional(names);
                               });
}

QCoro::Task<DeployStatus> deploymentStatus(Ctx ctx, QString repo, qint64 deploymentId, QString token,
                                           CancelToken cancel)
{
    return fetchDecodedQuietly(
        ctx, ctx->baseURL + QStringLiteral("/repos/%1/deployments/%2/statuses?per_page=1").arg(repo).arg(deploymentId),
        token, cancel, DeployStatus::unknown,
        [](const QByteArray& body) { return deploymentStatusFromStates(wire::decodeDeploymentStatusStates(body)); });
}

QCoro::Task<QList<DeployInfo>> deploymentsToday(Ctx ctx, QString repo, QString token, CancelToken cancel,
                                                QTimeZone zone)
{
    // Named locals, not temporaries, inside co_await (g++ 12).
    const auto decode = [](const QByteArray& body) { return wire::decodeDeployments(body); };
    const QString address = ctx->baseURL + QStringLiteral("/repos/%1/deployments?per_page=30").arg(repo);
    const QList<wire::Deployment> none;
    const QList<wire::Deployment> deployments = co_await fetchDecodedQuietly(ctx, address, token, cancel, none, decode);
    const QDateTime now = ctx->now();
    QList<DeployInfo> result;
    for (const wire::Deployment& d : deployments) {
        const auto created = parseGitHubDate(d.createdAt);
        if (!created || !isSameLocalDay(*created, now, zone))
            continue;
        // One status request at a time keeps a card to a bounded number of requests.
        const DeployStatus status = co_await deploymentStatus(ctx, repo, d.id, token, cancel);
        result.append(DeployInfo{d.environment, status, *created, DeployInfo::Source::deployments});
    }
    co_return result;
}

QCoro::Task<QList<DeployInfo>> actionsDeploysToday(Ctx ctx, QString repo, QString token, CancelToken cancel,
                                                   QTimeZone zone)
{
    const auto decode = [](const QByteArray& body) { return wire::decodeWorkflowRuns(body); };
    const QString address = ctx->baseURL + QStringLiteral("/repos/%1/actions/runs?per_page=30").arg(repo);
    const QList<wire::WorkflowRun> none;
    const QList<wire::WorkflowRun> runs = co_await fetchDecodedQuietly(ctx, address, token, cancel, none, decode);
    const QDateTime now = ctx->now();
    QList<DeployInfo> result;
    for (const wire::WorkflowRun& run : runs) {
        const auto created = parseGitHubDate(run.createdAt);
        if (!created || !isSameLocalDay(*created, now, zone) || !isDeployWorkflowName(run.name))
            continue;
        result.append(DeployInfo{run.name, workflowRunDeployStatus(run), *created, DeployInfo::Source::actions});
    }
    co_return result;
}

QCoro::Task<QList<DeployInfo>> deploysToday(Ctx ctx, QString repo, QString token, CancelToken cancel)
{
    // Read now, not when the service was built: the user's "today" moves with the user.
    const QTimeZone zone = ctx->timeZone.value_or(QTimeZone::systemTimeZone());
    auto fromDeployments = deploymentsToday(ctx, repo, token, cancel, zone);
    auto fromActions = actionsDeploysToday(ctx, repo, token, cancel, zone);
    const QList<DeployInfo> deployments = co_await fromDeployments;
    const QList<DeployInfo> actions = co_await fromActions;
    co_return mergeDeploys(deployments, actions);
}

} // namespace

QCoro::Task<QList<GitHubIssue>> GitHubService::fetchIssues(QString repo, QString token, CancelToken cancel) const
{
    return issues(m_context, std::move(repo), std::move(token), std::move(cancel));
}

QCoro::Task<qint64> GitHubService::fetchOpenPRCount(QString repo, QString token, CancelToken cancel) const
{
    return openPRCount(m_context, std::move(repo), std::move(token), std::move(cancel));
}

QCoro::Task<std::optional<GitHubService::LastCommit>> GitHubService::fetchLastCommit(QString repo, QString token,
                                                                                     CancelToken cancel) const
{
    return lastCommit(m_context, std::move(repo), std::move(token), std::move(cancel));
}

QCoro::Task<std::optional<QStringList>> GitHubService::fetchEnvironments(QString repo, QString token,
                                                                         CancelToken cancel) const
{
    return environments(m_context, std::move(repo), std::move(token), std::move(cancel));
}

QCoro::Task<QList<DeployInfo>> GitHubService::fetchDeploysToday(QString repo, QString token, CancelToken cancel) const
{
    return deploysToday(m_context, std::move(repo), std::move(token), std::move(cancel));
}

} // namespace norvane
