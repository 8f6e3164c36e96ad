#include "failure.h"
#include "github/github_service.h"
#include "support/run_task.h"
#include "support/world.h"

#include <QNetworkAccessManager>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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

    fh::Repository& api(fh::Scenario& s) { return *s.repository(u"acme/api"_s); }

    QNetworkAccessManager nam;
    std::unique_ptr<fh::FakeHub> hub;
    const QString token = u"tok-me"_s;
    const QString repo = u"acme/api"_s;
};

} // namespace

TEST_F(GitHubActivityTest, IssuesLeaveOutPullRequestsAndReportFailures)
{
    fh::Scenario s = baseWorld();
    fh::Issue issue;
    issue.id = 77;
    issue.number = 12;
    issue.title = u"Crash on start"_s;
    issue.author = u"alice"_s;
    issue.labels = {u"bug"_s, u"p1"_s};
    issue.comments = 4;
    issue.state = u"open"_s;
    issue.createdAt = utc("2026-12-01T08:00:00Z");
    issue.updatedAt = utc("2026-12-02T08:00:00Z");
    api(s).issues = {issue};
    s.pullRequests = {pull("acme/api", 3, "bob")};
    start(s);

    const auto issues = runTask(service().fetchIssues(repo, token));
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0].id, u"issue-acme/api-77"_s);
    EXPECT_EQ(issues[0].number, 12);
    EXPECT_EQ(issues[0].repository, repo);
    EXPECT_EQ(issues[0].author, u"alice"_s);
    EXPECT_EQ(issues[0].labels, (QStringList{u"bug"_s, u"p1"_s}));
    EXPECT_EQ(issues[0].commentCount, 4);
    EXPECT_EQ(issues[0].updatedAt, utc("2026-12-02T08:00:00Z"));
    EXPECT_EQ(hub->requests().back().query, u"state=open&per_page=100"_s);

    // Only pull requests: an empty list, not an error.
    EXPECT_TRUE(runTask(service().fetchIssues(u"acme/web"_s, token)).isEmpty());

    EXPECT_THROW(runTask(service().fetchIssues(repo, u"revoked"_s)), GitHubServiceError);
    const auto issuesFailure = [&](const QString& repository) {
        return failureOf([&] { runTask(service().fetchIssues(repository, token)); }).value();
    };
    const GitHubAPIError missing = issuesFailure(u"acme/missing"_s);
    EXPECT_EQ(missing.kind(), GitHubAPIError::Kind::badServerResponse);
    EXPECT_EQ(missing.statusCode(), 404);
    EXPECT_EQ(missing.endpoint(), u"repos/acme/missing/issues"_s);
    hub->injectFault(fh::Fault::truncatedJson(u"GET"_s, u"/repos/acme/api/issues"_s).times(1));
    EXPECT_EQ(issuesFailure(repo).kind(), GitHubAPIError::Kind::decodingError);
    // Qt resends a GET once when a kept-alive connection drops, so the fault stays for every call.
    hub->injectFault(fh::Fault::dropConnection(u"GET"_s, u"/repos/acme/api/issues"_s));
    const GitHubAPIError dropped = issuesFailure(repo);
    EXPECT_EQ(dropped.kind(), GitHubAPIError::Kind::networkError);
    EXPECT_TRUE(dropped.errorDescription().startsWith(u"Network Error [repos/acme/api/issues]: "_s));
}

TEST_F(GitHubActivityTest, OpenPullRequestCountIsZeroOnBadRepliesButFailsOnTransport)
{
    fh::Scenario s = baseWorld();
    s.pullRequests = {pull("acme/api", 1, "me"), pull("acme/api", 2, "bob"), pull("acme/web", 3, "bob")};
    start(s);
    EXPECT_EQ(runTask(service().fetchOpenPRCount(repo, token)), 2);
    EXPECT_EQ(hub->requests().back().query, u"q=repo:acme/api%20type:pr%20state:open&per_page=1"_s);

    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/search/issues"_s, 403).times(1));
    EXPECT_EQ(runTask(service().fetchOpenPRCount(repo, token)), 0);
    hub->injectFault(fh::Fault::malformedJson(u"GET"_s, u"/search/issues"_s).times(1));
    EXPECT_EQ(runTask(service().fetchOpenPRCount(repo, token)), 0);
    hub->injectFault(fh::Fault::dropConnection(u"GET"_s, u"/search/issues"_s));
    EXPECT_THROW(runTask(service().fetchOpenPRCount(repo, token)), GitHubAPIError);
}

TEST_F(GitHubActivityTest, LastCommitAndEnvironments)
{
    fh::Scenario s = baseWorld();
    fh::Commit older{u"a1"_s, u"Older"_s, u"bob"_s, utc("2026-12-01T00:00:00Z")};
    fh::Commit newest{u"b2"_s, u"\n\nFix build\nDetails follow"_s, u"alice"_s, utc("2026-12-05T12:30:00Z")};
    api(s).commits = {older, newest};
    fh::Commit crlf{u"c3"_s, u"Subject line\r\nBody"_s, u"alice"_s, utc("2026-12-05T12:30:00Z")};
    s.repository(u"acme/web"_s)->commits = {crlf};
    api(s).environments = {fh::Environment{1, u"staging"_s, utc("2026-01-01T00:00:00Z")},
                           fh::Environment{2, u"production"_s, utc("2026-01-01T00:00:00Z")}};
    start(s);

    const auto last = runTask(service().fetchLastCommit(repo, token));
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->message, u"Fix build"_s);
    EXPECT_EQ(last->date, utc("2026-12-05T12:30:00Z"));
    const auto web = runTask(service().fetchLastCommit(u"acme/web"_s, token));
    ASSERT_TRUE(web.has_value());
    EXPECT_EQ(web->message, u"Subject line\r\nBody"_s); // CR LF is not a line break here

    EXPECT_EQ(runTask(service().fetchEnvironments(repo, token)),
              (QStringList{u"staging"_s, u"production"_s}));
    // No environments, or no access to them: absent, never an empty list.
    EXPECT_FALSE(runTask(service().fetchEnvironments(u"acme/web"_s, token)).has_value());
    EXPECT_FALSE(runTask(service().fetchEnvironments(u"acme/missing"_s, token)).has_value());
    EXPECT_FALSE(runTask(service().fetchLastCommit(u"acme/missing"_s, token)).has_value());
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
        got.append(u"%1/%2/%3/%4"_s.arg(d.environment, rawValue(d.status), d.deployedAt.toString(Qt::ISODate),
                                        rawValue(d.source)));
    EXPECT_EQ(got, (QStringList{
                       u"Deploy/in_progress/2026-12-06T09:31:00Z/actions"_s,
                       u"Deploy/failure/2026-12-06T09:30:05Z/deployments"_s,
                       u"staging/unknown/2026-12-06T09:00:10Z/deployments"_s,
                       u"Publish docs/unknown/2026-12-06T08:00:00Z/actions"_s,
                       u"production/success/2026-12-05T22:01:00Z/deployments"_s,
                   }));
    // Status requests only for today's deployments, one at a time.
    EXPECT_EQ(hub->requests(u"GET"_s, u"/repos/acme/api/deployments/*/statuses"_s).size(), 3u);

    // One source failing leaves the other's entries.
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/repos/acme/api/deployments"_s, 500).times(1));
    const auto onlyActions = runTask(service().fetchDeploysToday(repo, token));
    ASSERT_EQ(onlyActions.size(), 3); // run 11 now stands, with no deployment of the same minute before it
    for (const auto& d : onlyActions)
        EXPECT_EQ(d.source, DeployInfo::Source::actions);
    hub->injectFault(fh::Fault::dropConnection(u"GET"_s, u"/repos/acme/api/actions/runs"_s));
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
    const struct
    {
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
