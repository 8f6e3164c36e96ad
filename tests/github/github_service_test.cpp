#include "failure.h"
#include "github/github_service.h"
#include "support/run_task.h"
#include "support/world.h"

#include <QNetworkAccessManager>
#include <QTimer>
#include <QUrlQuery>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::testing;
using CI = norvane::PullRequest::CIStatus;
using AS = norvane::PullRequest::ApprovalStatus;
using DS = DeployInfo::Status;

namespace {

class GitHubServiceTest : public ::testing::Test
{
protected:
    void start(fh::Scenario world) { hub = std::make_unique<fh::FakeHub>(std::move(world)); }

    GitHubService service(GitHubService::Options options = {})
    {
        return GitHubService(HttpSession(&nam, u"Norvane/test"_s), hub->baseUrl(), std::move(options));
    }

    QList<norvane::PullRequest> fetch(const QString& token = u"tok-me"_s, CancelToken cancel = {})
    {
        return runTask(service().fetchPullRequests(u"me"_s, token, std::move(cancel)));
    }

    const norvane::PullRequest& byNumber(const QList<norvane::PullRequest>& prs, qint64 number)
    {
        const auto it =
            std::find_if(prs.begin(), prs.end(), [&](const auto& p) { return p.number == number; });
        if (it == prs.end())
            throw std::runtime_error("no such pull request");
        return *it;
    }

    QStringList requestLines()
    {
        QStringList lines;
        for (const auto& r : hub->requests())
            lines.append(r.method + u' ' + r.path + (r.query.isEmpty() ? QString() : u'?' + r.query));
        return lines;
    }

    QNetworkAccessManager nam;
    std::unique_ptr<fh::FakeHub> hub;
};

// For the activity queries: "now" is 2026-12-06T10:00Z, in a zone two hours ahead of UTC, where local
// midnight is 22:00Z.
class GitHubActivityTest : public GitHubServiceTest
{
protected:
    GitHubService service()
    {
        GitHubService::Options options;
        options.now = [] { return utc("2026-12-06T10:00:00Z"); };
        options.timeZone = QTimeZone(2 * 3600);
        return GitHubServiceTest::service(options);
    }

    fh::Repository& api(fh::Scenario& s) { return *s.repository(u"acme/api"_s); }

    const QString token = u"tok-me"_s;
    const QString repo = u"acme/api"_s;
};

// me wrote #1 in acme/api (approved, checks green); alice wrote #2 in acme/web and asked me (and my team) to
// review (bob requested changes); bob wrote #3 in acme/api; alice asked only my team to review #4. The first
// three are assigned to me, so #1 and #2 are found twice.
fh::Scenario teamWorld()
{
    fh::Scenario s = baseWorld();
    auto mine = pull("acme/api", 1, "me", "2026-12-01T10:00:00Z");
    mine.requestedReviewers = {u"bob"_s};
    mine.comments = 2;
    mine.reviewComments = 3;
    mine.reviews = {review("alice", "APPROVED", "2026-12-01T09:00:00Z")};
    mine.assignees = {u"me"_s};
    auto requested = pull("acme/web", 2, "alice", "2026-12-03T10:00:00Z");
    requested.requestedReviewers = {u"me"_s, u"bob"_s};
    requested.assignees = {u"me"_s};
    requested.reviews = {review("bob", "CHANGES_REQUESTED", "2026-12-01T08:00:00Z", "Nope")};
    requested.requestedTeams = {{u"core"_s, u"Core"_s, {u"me"_s}}};
    auto assigned = pull("acme/api", 3, "bob", "2026-12-02T10:00:00Z");
    assigned.assignees = {u"me"_s};
    auto team = pull("acme/web", 4, "alice", "2026-11-30T10:00:00Z");
    team.requestedTeams = {{u"web-reviewers"_s, u"Web Reviewers"_s, {u"bob"_s, u"me"_s}}};
    s.pullRequests = {mine, requested, assigned, team};
    s.repository(u"acme/api"_s)->checks[u"sha1"_s].checkRuns = {checkRun("build", "completed", "success")};
    return s;
}

} // namespace

TEST_F(GitHubServiceTest, SendsThreeSearchesThenEnrichesEachPullRequestInTurn)
{
    start(teamWorld());
    const auto prs = fetch();

    const QStringList lines = requestLines();
    // Which team asked costs nothing more: the detail already says.
    ASSERT_EQ(lines.size(), 3 + 4 * 4) << lines.join(u'\n').toStdString();
    const QString search = u"GET /search/issues?q=type:pr%20state:open%20archived:false%20"_s;
    EXPECT_EQ(lines[0], search + u"review-requested:me&sort=updated&order=desc&per_page=50"_s);
    EXPECT_EQ(lines[1], search + u"author:me&sort=updated&order=desc&per_page=50"_s);
    EXPECT_EQ(lines[2], search + u"assignee:me&sort=updated&order=desc&per_page=50"_s);
    // Per pull request: detail, reviews, then the two CI queries (in either order) before the next one.
    for (int i = 0; i < 4; ++i) {
        const QString detail = lines[3 + 4 * i];
        ASSERT_TRUE(detail.startsWith(u"GET /repos/acme/"_s)) << detail.toStdString();
        const QString base = detail.mid(4);
        EXPECT_EQ(lines[4 + 4 * i], u"GET "_s + base + u"/reviews"_s);
        const QString repo = base.section(u'/', 2, 3);
        const QString sha = u"sha"_s + base.section(u'/', -1);
        QStringList ci{lines[5 + 4 * i], lines[6 + 4 * i]};
        ci.sort();
        EXPECT_EQ(ci, (QStringList{u"GET /repos/%1/commits/%2/check-runs?per_page=100"_s.arg(repo, sha),
                                   u"GET /repos/%1/commits/%2/status"_s.arg(repo, sha)}));
    }
    for (const auto& r : hub->requests()) {
        EXPECT_EQ(r.header(u"Authorization"_s), u"token tok-me"_s);
        EXPECT_EQ(r.header(u"Accept"_s), u"application/vnd.github.v3+json"_s);
        EXPECT_EQ(r.header(u"User-Agent"_s), u"Norvane/test"_s);
    }

    // Newest update first, each pull request once with the flags of every search that found it.
    ASSERT_EQ(prs.size(), 4);
    EXPECT_EQ(prs[0].number, 2);
    EXPECT_EQ(prs[1].number, 3);
    EXPECT_EQ(prs[2].number, 1);
    EXPECT_EQ(prs[3].number, 4);

    const auto& mine = byNumber(prs, 1);
    EXPECT_EQ(mine.id, u"gh-1001"_s);
    EXPECT_EQ(mine.repository, u"acme/api"_s);
    EXPECT_TRUE(mine.isYourPR && mine.isAssigned && !mine.reviewRequested);
    EXPECT_EQ(mine.headSha, u"sha1"_s);
    EXPECT_EQ(mine.commentCount, 5);
    EXPECT_EQ(mine.reviewCommentCount, 3);
    EXPECT_EQ(mine.requestedReviewers, QStringList{u"bob"_s});
    EXPECT_EQ(mine.approvalStatus, AS::approved);
    EXPECT_EQ(mine.reviewCount, 1);
    EXPECT_EQ(mine.ciStatus, CI::success);

    const auto& requested = byNumber(prs, 2);
    EXPECT_TRUE(requested.reviewRequested && requested.isAssigned && !requested.isYourPR);
    EXPECT_EQ(requested.approvalStatus, AS::changesRequested);
    // Only the user's own pull requests get their requested reviewers and last change request.
    EXPECT_FALSE(requested.requestedReviewers.has_value());
    EXPECT_FALSE(requested.lastChangeRequest.has_value());
    EXPECT_EQ(requested.ciStatus, CI::unknown);
    // Asked in person as well as through a team: it is the user's request.
    EXPECT_FALSE(requested.requestedTeam.has_value());
    EXPECT_TRUE(byNumber(prs, 4).reviewRequested);
    EXPECT_EQ(byNumber(prs, 4).requestedTeam, u"acme/web-reviewers"_s);
    EXPECT_FALSE(mine.requestedTeam.has_value() || byNumber(prs, 3).requestedTeam.has_value());
}

TEST_F(GitHubServiceTest, EmptySearchesCostExactlyThreeRequests)
{
    start(baseWorld());
    EXPECT_TRUE(fetch().isEmpty());
    EXPECT_EQ(hub->requests().size(), 3u);
}

TEST_F(GitHubServiceTest, SearchFailuresEndTheCallWithTheirKind)
{
    start(teamWorld());
    EXPECT_THROW(fetch(u"revoked"_s), GitHubServiceError);
    EXPECT_EQ(hub->requests().size(), 1u);

    using K = GitHubAPIError::Kind;
    const QString api = u"API Error [search/issues (review-requested)]: HTTP "_s;
    const auto answer = [](int status, QByteArray body = {}) {
        return fh::Fault::httpStatus(u"GET"_s, u"/search/issues"_s, status, body);
    };
    const struct
    {
        int status; // 0: no answer
        fh::Fault fault;
        K kind;
        QString start, end = {}; // of the description
    } cases[] = {
        {403, answer(403), K::badServerResponse, api + u"403 - {"_s},
        // Success codes the client never asked for are no success.
        {201, answer(201), K::badServerResponse, api + u"201"_s},
        {304, answer(304), K::badServerResponse, api + u"304"_s},
        {0, fh::Fault::dropMidBody(u"GET"_s, u"/search/issues"_s), K::networkError,
         u"Network Error [search/issues (review-requested)]: "_s},
        // A reply that does not decode names its endpoint and the key.
        {200, answer(200, R"({"total_count":1,"items":[{"id":1}]})"), K::decodingError,
         u"JSON Decode Error [search/issues (review-requested)]: key \"items[0].number\": missing"
         " - Response: {\"total_count\":1,\"items\":[{\"id\":1}]}"_s},
        // A body that is not UTF-8 is reported without its bytes.
        {200, answer(200, "\xff\xfe{\"items\": 1}"), K::decodingError, u"JSON Decode Error [search/issues"_s,
         u" - Response: No response body"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start.toStdString());
        hub->clearRequests();
        hub->injectFault(fh::Fault(c.fault).times(1));
        const auto e = failureOf([&] { fetch(); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->kind(), c.kind);
        EXPECT_EQ(e->endpoint(), u"search/issues (review-requested)"_s);
        if (c.kind == K::badServerResponse) {
            EXPECT_EQ(e->statusCode(), c.status);
        }
        EXPECT_TRUE(e->errorDescription().startsWith(c.start) && e->errorDescription().endsWith(c.end))
            << e->errorDescription().toStdString();
        EXPECT_EQ(hub->requests().size(), 1u) << "a later search was sent";
    }
}

TEST_F(GitHubServiceTest, DetailFailureSkipsCiButNotTheOthers)
{
    start(teamWorld());
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/repos/acme/api/pulls/1"_s, 404));
    hub->injectFault(fh::Fault::dropMidBody(u"GET"_s, u"/repos/acme/web/pulls/2"_s)); // absorbed the same way
    const auto prs = fetch();
    ASSERT_EQ(prs.size(), 4);
    const auto& mine = byNumber(prs, 1);
    EXPECT_FALSE(mine.headSha.has_value());
    EXPECT_FALSE(mine.ciStatus.has_value());
    EXPECT_FALSE(mine.commentCount.has_value());
    EXPECT_EQ(mine.approvalStatus, AS::approved); // reviews still fetched
    EXPECT_TRUE(hub->requests(u"GET"_s, u"/repos/acme/api/commits/sha1/**"_s).empty());
    EXPECT_FALSE(byNumber(prs, 2).headSha.has_value());
    EXPECT_EQ(byNumber(prs, 3).headSha, u"sha3"_s);
    EXPECT_EQ(byNumber(prs, 3).ciStatus, CI::unknown);

    // GitHub's limit during detail is no missing detail: the call ends with it, or the list would go on
    // without verdicts while GitHub refuses every request.
    hub->clearFaults();
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/repos/acme/web/pulls/2"_s, 403,
                                           R"({"message":"You have exceeded a secondary rate limit."})")
                         .withHeader("Retry-After", "60"));
    const auto limited = failureOf([&] { fetch(); });
    ASSERT_TRUE(limited.has_value());
    EXPECT_TRUE(limited->retryAt().has_value());
}

TEST_F(GitHubServiceTest, TransportFailuresEndTheCallOnlyDuringReviews)
{
    start(teamWorld());
    hub->injectFault(fh::Fault::dropConnection(u"GET"_s, u"/repos/acme/web/pulls/2"_s));
    hub->injectFault(fh::Fault::dropConnection(u"GET"_s, u"/repos/acme/api/commits/sha1/**"_s));
    const auto prs = fetch();
    ASSERT_EQ(prs.size(), 4);
    EXPECT_FALSE(byNumber(prs, 2).headSha.has_value());
    EXPECT_EQ(byNumber(prs, 1).ciStatus, CI::unknown);

    hub->clearFaults();
    hub->clearRequests();
    hub->injectFault(fh::Fault::dropConnection(u"GET"_s, u"/repos/*/*/pulls/*/reviews"_s));
    EXPECT_THROW(fetch(), TransportError);
    // The first pull request's reviews failed (Qt resends a dropped GET once): nothing after them was asked
    // for.
    const auto requests = hub->requests();
    ASSERT_GE(requests.size(), 5u);
    EXPECT_TRUE(requests[3].path.startsWith(u"/repos/acme/"_s) && !requests[3].path.endsWith(u"/reviews"_s));
    for (size_t i = 4; i < requests.size(); ++i)
        EXPECT_TRUE(requests[i].path.endsWith(u"/reviews"_s)) << requests[i].path.toStdString();
}

// Cancels `cancel` as soon as the server has seen a request matching `pattern` (which the test slows down).
static void cancelOnArrival(QTimer& poller, fh::FakeHub& hub, const QString& pattern,
                            const CancelToken& cancel)
{
    poller.setInterval(2);
    QObject::connect(&poller, &QTimer::timeout, [&hub, pattern, cancel] {
        if (!hub.requests(u"GET"_s, pattern).empty())
            cancel->cancel();
    });
    poller.start();
}

TEST_F(GitHubServiceTest, CancellationDuringASearchOrDuringDetail)
{
    start(teamWorld());
    hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/search/issues"_s, std::chrono::milliseconds(300)));
    auto cancel = makeCancelToken();
    QTimer poller;
    cancelOnArrival(poller, *hub, u"/search/issues"_s, cancel);
    const auto e = failureOf([&] { fetch(u"tok-me"_s, cancel); });
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->kind(), GitHubAPIError::Kind::networkError);
    EXPECT_TRUE(e->errorDescription().startsWith(u"Network Error [search/issues (review-requested)]: "_s));
    EXPECT_EQ(hub->requests().size(), 1u);

    // Cancelled while a detail request is in flight: that failure is absorbed, the reviews request that
    // follows fails at once without reaching the server, and that ends the call.
    hub->clearFaults();
    hub->clearRequests();
    hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/repos/*/*/pulls/*"_s, std::chrono::milliseconds(300)));
    cancel = makeCancelToken();
    QTimer detailPoller;
    cancelOnArrival(detailPoller, *hub, u"/repos/*/*/pulls/*"_s, cancel);
    const auto cancelled = failureOf<TransportError>([&] { fetch(u"tok-me"_s, cancel); });
    ASSERT_TRUE(cancelled.has_value());
    EXPECT_TRUE(cancelled->isCancellation());
    EXPECT_EQ(hub->requests().size(), 4u); // three searches and the one detail request
}

TEST_F(GitHubServiceTest, ReviewVerdictFromTheServer)
{
    fh::Scenario s = baseWorld();
    auto p = pull("acme/api", 1, "me");
    p.reviews = {
        review("alice", "APPROVED", "2026-12-01T09:00:00Z"),
        review("bob", "CHANGES_REQUESTED", "2026-12-01T10:00:00Z", "\n\nPlease split this up\nThanks"),
        review("carol", "PENDING", nullptr)};
    s.pullRequests = {p};
    start(s);
    const ReviewFetchResult r = runTask(service().fetchReviewStatusAndCount(u"acme/api"_s, 1, u"tok-me"_s));
    EXPECT_EQ(r.status, AS::changesRequested);
    EXPECT_EQ(r.reviewCount, 3);
    ASSERT_TRUE(r.lastChangeRequest.has_value());
    EXPECT_EQ(r.lastChangeRequest->reviewer, u"bob"_s);
    EXPECT_EQ(r.lastChangeRequest->bodyPreview, u"Please split this up"_s);
    EXPECT_EQ(r.lastChangeRequest->submittedAt, utc("2026-12-01T10:00:00Z"));

    // Non-200 replies give the unknown result instead of failing.
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/repos/acme/api/pulls/1/reviews"_s, 404));
    const ReviewFetchResult unknown =
        runTask(service().fetchReviewStatusAndCount(u"acme/api"_s, 1, u"tok-me"_s));
    EXPECT_EQ(unknown.status, AS::unknown);
    EXPECT_EQ(unknown.reviewCount, 0);
}

TEST_F(GitHubServiceTest, CiCombinesLegacyStatusesAndCheckRuns)
{
    fh::Scenario s = baseWorld();
    start(s);
    struct Case
    {
        const char* legacy; // nullptr: no statuses
        const char* runStatus;
        const char* conclusion;
        CI expected;
    };
    const Case cases[] = {
        {"failure", "completed", "success", CI::failure},
        {"pending", "completed", "failure", CI::failure},
        {"success", nullptr, nullptr, CI::success},
        {"error", "completed", "success", CI::failure}, // GitHub folds an errored context into "failure"
        {nullptr, nullptr, nullptr, CI::unknown},
    };
    int i = 0;
    for (const Case& c : cases) {
        const QString sha = u"c%1"_s.arg(i++);
        if (c.legacy) {
            fh::CommitStatus st;
            st.context = u"ci/legacy"_s;
            st.state = QString::fromLatin1(c.legacy);
            st.createdAt = utc("2026-12-01T00:00:00Z");
            hub->setCommitStatus(u"acme/api"_s, sha, st);
        }
        if (c.runStatus)
            hub->setCheckRun(u"acme/api"_s, sha, checkRun("build", c.runStatus, c.conclusion));
        EXPECT_EQ(runTask(service().fetchCIStatusForSha(u"acme/api"_s, sha, u"tok-me"_s)), c.expected)
            << sha.toStdString();
    }
    // Failures read as unknown and never hide the other side's verdict.
    hub->setCheckRun(u"acme/api"_s, u"z"_s, checkRun("build", "completed", "failure"));
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/repos/acme/api/commits/z/status"_s, 500));
    EXPECT_EQ(runTask(service().fetchCIStatusForSha(u"acme/api"_s, u"z"_s, u"tok-me"_s)), CI::failure);
}

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
    EXPECT_EQ(issues[0].commentCount, 4);
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
