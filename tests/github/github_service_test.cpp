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

// me wrote #1 in acme/api (approved, checks green); alice wrote #2 in acme/web and asked me to review (bob
// requested changes); bob wrote #3 in acme/api. All three are assigned to me, so #1 and #2 are found twice.
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
    auto assigned = pull("acme/api", 3, "bob", "2026-12-02T10:00:00Z");
    assigned.assignees = {u"me"_s};
    s.pullRequests = {mine, requested, assigned};
    s.repository(u"acme/api"_s)->checks[u"sha1"_s].checkRuns = {checkRun("build", "completed", "success")};
    return s;
}

} // namespace

TEST_F(GitHubServiceTest, SendsThreeSearchesThenEnrichesEachPullRequestInTurn)
{
    start(teamWorld());
    const auto prs = fetch();

    const QStringList lines = requestLines();
    ASSERT_EQ(lines.size(), 3 + 3 * 4) << lines.join(u'\n').toStdString();
    const QString search = u"GET /search/issues?q=type:pr%20state:open%20archived:false%20"_s;
    EXPECT_EQ(lines[0], search + u"review-requested:me&sort=updated&order=desc&per_page=50"_s);
    EXPECT_EQ(lines[1], search + u"author:me&sort=updated&order=desc&per_page=50"_s);
    EXPECT_EQ(lines[2], search + u"assignee:me&sort=updated&order=desc&per_page=50"_s);
    // Per pull request: detail, reviews, then the two CI queries (in either order) before the next one.
    for (int i = 0; i < 3; ++i) {
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
    ASSERT_EQ(prs.size(), 3);
    EXPECT_EQ(prs[0].number, 2);
    EXPECT_EQ(prs[1].number, 3);
    EXPECT_EQ(prs[2].number, 1);

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
        {422, answer(422), K::badServerResponse, api + u"422 - {"_s},
        {500, answer(500), K::badServerResponse, api + u"500 - {"_s},
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
    ASSERT_EQ(prs.size(), 3);
    const auto& mine = byNumber(prs, 1);
    EXPECT_FALSE(mine.headSha.has_value());
    EXPECT_FALSE(mine.ciStatus.has_value());
    EXPECT_FALSE(mine.commentCount.has_value());
    EXPECT_EQ(mine.approvalStatus, AS::approved); // reviews still fetched
    EXPECT_TRUE(hub->requests(u"GET"_s, u"/repos/acme/api/commits/sha1/**"_s).empty());
    EXPECT_FALSE(byNumber(prs, 2).headSha.has_value());
    EXPECT_EQ(byNumber(prs, 3).headSha, u"sha3"_s);
    EXPECT_EQ(byNumber(prs, 3).ciStatus, CI::unknown);
}

TEST_F(GitHubServiceTest, TransportFailuresEndTheCallOnlyDuringReviews)
{
    start(teamWorld());
    hub->injectFault(fh::Fault::dropConnection(u"GET"_s, u"/repos/acme/web/pulls/2"_s));
    hub->injectFault(fh::Fault::dropConnection(u"GET"_s, u"/repos/acme/api/commits/sha1/**"_s));
    const auto prs = fetch();
    ASSERT_EQ(prs.size(), 3);
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
        review("bob", "COMMENTED", "2026-12-01T11:00:00Z"), review("carol", "PENDING", nullptr)};
    s.pullRequests = {p};
    start(s);
    const ReviewFetchResult r = runTask(service().fetchReviewStatusAndCount(u"acme/api"_s, 1, u"tok-me"_s));
    EXPECT_EQ(r.status, AS::changesRequested);
    EXPECT_EQ(r.reviewCount, 4);
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
        {"failure", "completed", "success", CI::failure}, {"pending", "completed", "failure", CI::failure},
        {nullptr, "in_progress", nullptr, CI::pending},   {"success", nullptr, nullptr, CI::success},
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
