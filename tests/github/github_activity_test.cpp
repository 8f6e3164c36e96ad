#include "github/github_service.h"
#include "support/run_task.h"
#include "support/world.h"

#include <QNetworkAccessManager>
#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::testing;
using DS = DeployInfo::Status;

namespace {

class GitHubActivityTest : public ::testing::Test
{
protected:
    void start(fh::Scenario world) { hub = std::make_unique<fh::FakeHub>(std::move(world)); }

    // "Now" is 2026-12-06T10:00Z, in a zone two hours ahead of UTC: local midnight is 22:00Z.
    GitHubService service()
    {
        GitHubService::Options options;
        options.now = [] { return utc("2026-12-06T10:00:00Z"); };
        options.timeZone = QTimeZone(2 * 3600);
        return GitHubService(HttpSession(&nam), hub->baseUrl(), options);
    }

    fh::Repository& api(fh::Scenario& s) { return *s.repository(QStringLiteral("acme/api")); }

    QNetworkAccessManager nam;
    std::unique_ptr<fh::FakeHub> hub;
    const QString token = QStringLiteral("tok-me");
    const QString repo = QStringLiteral("acme/api");
};

} // namespace

TEST_F(GitHubActivityTest, IssuesLeaveOutPullRequestsAndReportFailures)
{
    fh::Scenario s = baseWorld();
    fh::Issue issue;
    issue.id = 77;
    issue.number = 12;
    issue.title = QStringLiteral("Crash on start");
    issue.author = QStringLiteral("alice");
    issue.labels = {QStringLiteral("bug"), QStringLiteral("p1")};
    issue.comments = 4;
    issue.state = QStringLiteral("open");
    issue.createdAt = utc("2026-12-01T08:00:00Z");
    issue.updatedAt = utc("2026-12-02T08:00:00Z");
    api(s).issues = {issue};
    s.pullRequests = {pull("acme/api", 3, "bob")};
    start(s);

    const auto issues = runTask(service().fetchIssues(repo, token));
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0].id, QStringLiteral("issue-acme/api-77"));
    EXPECT_EQ(issues[0].number, 12);
    EXPECT_EQ(issues[0].repository, repo);
    EXPECT_EQ(issues[0].author, QStringLiteral("alice"));
    EXPECT_EQ(issues[0].labels, (QStringList{QStringLiteral("bug"), QStringLiteral("p1")}));
    EXPECT_EQ(issues[0].commentCount, 4);
    EXPECT_EQ(issues[0].updatedAt, utc("2026-12-02T08:00:00Z"));
    EXPECT_EQ(hub->requests().back().query, QStringLiteral("state=open&per_page=100"));

    // Only pull requests: an empty list, not an error.
    EXPECT_TRUE(runTask(service().fetchIssues(QStringLiteral("acme/web"), token)).isEmpty());

    EXPECT_THROW(runTask(service().fetchIssues(repo, QStringLiteral("revoked"))), GitHubServiceError);
    try {
        runTask(service().fetchIssues(QStringLiteral("acme/missing"), token));
        ADD_FAILURE() << "no error for a missing repository";
    } catch (const GitHubAPIError& e) {
        EXPECT_EQ(e.kind(), GitHubAPIError::Kind::badServerResponse);
        EXPECT_EQ(e.statusCode(), 404);
        EXPECT_EQ(e.endpoint(), QStringLiteral("repos/acme/missing/issues"));
    }
    hub->injectFault(
        fh::Fault::truncatedJson(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/issues")).times(1));
    try {
        runTask(service().fetchIssues(repo, token));
        ADD_FAILURE() << "no error for a truncated body";
    } catch (const GitHubAPIError& e) {
        EXPECT_EQ(e.kind(), GitHubAPIError::Kind::decodingError);
    }
    // Qt resends a GET once when a kept-alive connection drops, so the fault stays for every call.
    hub->injectFault(
        fh::Fault::dropConnection(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/issues")));
    try {
        runTask(service().fetchIssues(repo, token));
        ADD_FAILURE() << "no error for a dropped connection";
    } catch (const GitHubAPIError& e) {
        EXPECT_EQ(e.kind(), GitHubAPIError::Kind::networkError);
        EXPECT_TRUE(
            e.errorDescription().startsWith(QStringLiteral("Network Error [repos/acme/api/issues]: ")));
    }
}

TEST_F(GitHubActivityTest, OpenPullRequestCountIsZeroOnBadRepliesButFailsOnTransport)
{
    fh::Scenario s = baseWorld();
    s.pullRequests = {pull("acme/api", 1, "me"), pull("acme/api", 2, "bob"), pull("acme/web", 3, "bob")};
    start(s);
    EXPECT_EQ(runTask(service().fetchOpenPRCount(repo, token)), 2);
    EXPECT_EQ(hub->requests().back().query,
              QStringLiteral("q=repo:acme/api%20type:pr%20state:open&per_page=1"));

    hub->injectFault(
        fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/search/issues"), 403).times(1));
    EXPECT_EQ(runTask(service().fetchOpenPRCount(repo, token)), 0);
    hub->injectFault(
        fh::Fault::malformedJson(QStringLiteral("GET"), QStringLiteral("/search/issues")).times(1));
    EXPECT_EQ(runTask(service().fetchOpenPRCount(repo, token)), 0);
    hub->injectFault(fh::Fault::dropConnection(QStringLiteral("GET"), QStringLiteral("/search/issues")));
    EXPECT_THROW(runTask(service().fetchOpenPRCount(repo, token)), GitHubAPIError);
}

TEST_F(GitHubActivityTest, LastCommitAndEnvironments)
{
    fh::Scenario s = baseWorld();
    fh::Commit older{QStringLiteral("a1"), QStringLiteral("Older"), QStringLiteral("bob"),
                     utc("2026-12-01T00:00:00Z")};
    fh::Commit newest{QStringLiteral("b2"), QStringLiteral("\n\nFix build\nDetails follow"),
                      QStringLiteral("alice"), utc("2026-12-05T12:30:00Z")};
    api(s).commits = {older, newest};
    fh::Commit crlf{QStringLiteral("c3"), QStringLiteral("Subject line\r\nBody"), QStringLiteral("alice"),
                    utc("2026-12-05T12:30:00Z")};
    s.repository(QStringLiteral("acme/web"))->commits = {crlf};
    api(s).environments = {fh::Environment{1, QStringLiteral("staging"), utc("2026-01-01T00:00:00Z")},
                           fh::Environment{2, QStringLiteral("production"), utc("2026-01-01T00:00:00Z")}};
    start(s);

    const auto last = runTask(service().fetchLastCommit(repo, token));
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->message, QStringLiteral("Fix build"));
    EXPECT_EQ(last->date, utc("2026-12-05T12:30:00Z"));
    const auto web = runTask(service().fetchLastCommit(QStringLiteral("acme/web"), token));
    ASSERT_TRUE(web.has_value());
    EXPECT_EQ(web->message, QStringLiteral("Subject line\r\nBody")); // CR LF is not a line break here

    EXPECT_EQ(runTask(service().fetchEnvironments(repo, token)),
              (QStringList{QStringLiteral("staging"), QStringLiteral("production")}));
    // No environments, or no access to them: absent, never an empty list.
    EXPECT_FALSE(runTask(service().fetchEnvironments(QStringLiteral("acme/web"), token)).has_value());
    EXPECT_FALSE(runTask(service().fetchEnvironments(QStringLiteral("acme/missing"), token)).has_value());
    EXPECT_FALSE(runTask(service().fetchLastCommit(QStringLiteral("acme/missing"), token)).has_value());
}

TEST_F(GitHubActivityTest, DeploysOfTheLocalDayFromBothSources)
{
    fh::Scenario s = baseWorld();
    api(s).deployments = {
        deployment(1, "production", "2026-12-05T21:59:00Z", "success"), // 23:59 yesterday, local
        deployment(2, "production", "2026-12-05T22:01:00Z", "success"), // 00:01 today, local
        deployment(3, "staging", "2026-12-06T09:00:10Z", "queued"),     // queued deployment: unknown
        deployment(4, "Deploy", "2026-12-06T09:30:05Z", "failure"),
    };
    api(s).workflowRuns = {
        workflowRun(11, "Deploy", "2026-12-06T09:30:45Z", "completed",
                    "success"),                                               // same minute as #4: dropped
        workflowRun(12, "Deploy", "2026-12-06T09:31:00Z", "queued", nullptr), // queued run: in progress
        workflowRun(13, "Continuous Integration", "2026-12-06T09:40:00Z", "completed", "success"),
        workflowRun(14, "Publish docs", "2026-12-06T08:00:00Z", "completed", "cancelled"),
        workflowRun(15, "Ship it", "2026-12-05T20:00:00Z", "completed", "success"), // yesterday
    };
    start(s);

    const auto deploys = runTask(service().fetchDeploysToday(repo, token));
    QStringList got;
    for (const auto& d : deploys)
        got.append(QStringLiteral("%1/%2/%3/%4")
                       .arg(d.environment, rawValue(d.status), d.deployedAt.toString(Qt::ISODate),
                            rawValue(d.source)));
    EXPECT_EQ(got, (QStringList{
                       QStringLiteral("Deploy/in_progress/2026-12-06T09:31:00Z/actions"),
                       QStringLiteral("Deploy/failure/2026-12-06T09:30:05Z/deployments"),
                       QStringLiteral("staging/unknown/2026-12-06T09:00:10Z/deployments"),
                       QStringLiteral("Publish docs/unknown/2026-12-06T08:00:00Z/actions"),
                       QStringLiteral("production/success/2026-12-05T22:01:00Z/deployments"),
                   }));
    // Status requests only for today's deployments, one at a time.
    EXPECT_EQ(
        hub->requests(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/deployments/*/statuses")).size(),
        3u);

    // One source failing leaves the other's entries.
    hub->injectFault(
        fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/deployments"), 500)
            .times(1));
    const auto onlyActions = runTask(service().fetchDeploysToday(repo, token));
    ASSERT_EQ(onlyActions.size(), 3); // run 11 now stands, with no deployment of the same minute before it
    for (const auto& d : onlyActions)
        EXPECT_EQ(d.source, DeployInfo::Source::actions);
    hub->injectFault(
        fh::Fault::dropConnection(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/actions/runs")));
    const auto onlyDeployments = runTask(service().fetchDeploysToday(repo, token));
    ASSERT_EQ(onlyDeployments.size(), 3);
    for (const auto& d : onlyDeployments)
        EXPECT_EQ(d.source, DeployInfo::Source::deployments);
}

// "Today" is judged in the zone the system is in at each load, not the one it was in when the service was
// built: a laptop that travels counts from the new zone's midnight.
TEST_F(GitHubActivityTest, TodayFollowsTheSystemZoneAtEachLoad)
{
    fh::Scenario s = baseWorld();
    api(s).deployments = {deployment(1, "production", "2026-12-05T23:30:00Z", "success")};
    start(s);
    const QByteArray before = qgetenv("TZ");
    qputenv("TZ", "UTC");
    GitHubService::Options options;
    options.now = [] { return utc("2026-12-06T10:00:00Z"); };
    const GitHubService travelling(HttpSession(&nam), hub->baseUrl(), options);
    const struct {
        const char* zone;
        qsizetype deploysToday;
    } cases[] = {
        {"UTC", 0},           // 23:30 yesterday
        {"Europe/Berlin", 1}, // 00:30 today
        {"America/New_York", 0},
    };
    for (const auto& c : cases) {
        qputenv("TZ", c.zone);
        EXPECT_EQ(runTask(travelling.fetchDeploysToday(repo, token)).size(), c.deploysToday) << c.zone;
    }
    if (before.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", before);
}
