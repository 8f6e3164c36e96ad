#include "github/github_service.h"
#include "support/run_task.h"
#include "support/world.h"

#include <QNetworkAccessManager>
#include <QTimer>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::testing;
using CI = norvane::PullRequest::CIStatus;
using AS = norvane::PullRequest::ApprovalStatus;

namespace {

class GitHubServiceTest : public ::testing::Test {
protected:
    void start(fh::Scenario world) { hub = std::make_unique<fh::FakeHub>(std::move(world)); }

    GitHubService service(GitHubService::Options options = {})
    {
        return GitHubService(HttpSession(&nam, QStringLiteral("Norvane/test")), hub->baseUrl(), std::move(options));
    }

    QList<norvane::PullRequest> fetch(const QString& token = QStringLiteral("tok-me"), CancelToken cancel = {})
    {
        return runTask(service().fetchPullRequests(QStringLiteral("me"), token, std::move(cancel)));
    }

    const norvane::PullRequest& byNumber(const QList<norvane::PullRequest>& prs, qint64 number)
    {
        const auto it = std::find_if(prs.begin(), prs.end(), [&](const auto& p) { return p.number == number; });
        if (it == prs.end())
            throw std::runtime_error("no such pull request");
        return *it;
    }

    QStringList requestLines()
    {
        QStringList lines;
        for (const auto& r : hub->requests())
            lines.append(r.method + QLatin1Char(' ') + r.path + (r.query.isEmpty() ? QString() : QLatin1Char('?') + r.query));
        return lines;
    }

    QNetworkAccessManager nam;
    std::unique_ptr<fh::FakeHub> hub;
};

// me wrote #1 in acme/api (approved, checks green); alice wrote #2 in acme/web and asked me to review; bob
// wrote #3 in acme/api and assigned it to me.
fh::Scenario teamWorld()
{
    fh::Scenario s = baseWorld();
    auto mine = pull("acme/api", 1, "me", "2026-12-01T10:00:00Z");
    mine.requestedReviewers = {QStringLiteral("bob")};
    mine.comments = 2;
    mine.reviewComments = 3;
    mine.reviews = {review("alice", "APPROVED", "2026-12-01T09:00:00Z")};
    auto requested = pull("acme/web", 2, "alice", "2026-12-03T10:00:00Z");
    requested.requestedReviewers = {QStringLiteral("me")};
    auto assigned = pull("acme/api", 3, "bob", "2026-12-02T10:00:00Z");
    assigned.assignees = {QStringLiteral("me")};
    s.pullRequests = {mine, requested, assigned};
    s.repository(QStringLiteral("acme/api"))->checks[QStringLiteral("sha1")].checkRuns = {checkRun("build", "completed", "success")};
    return s;
}

} // namespace

TEST_F(GitHubServiceTest, SendsThreeSearchesThenEnrichesEachPullRequestInTurn)
{
    start(teamWorld());
    const auto prs = fetch();

    const QStringList lines = requestLines();
    ASSERT_EQ(lines.size(), 3 + 3 * 4) << lines.join(QLatin1Char('\n')).toStdString();
    const QString search = QStringLiteral("GET /search/issues?q=type:pr%20state:open%20archived:false%20");
    EXPECT_EQ(lines[0], search + QStringLiteral("review-requested:me&sort=updated&order=desc&per_page=50"));
    EXPECT_EQ(lines[1], search + QStringLiteral("author:me&sort=updated&order=desc&per_page=50"));
    EXPECT_EQ(lines[2], search + QStringLiteral("assignee:me&sort=updated&order=desc&per_page=50"));
    // Per pull request: detail, reviews, then the two CI queries (in either order) before the next one.
    for (int i = 0; i < 3; ++i) {
        const QString detail = lines[3 + 4 * i];
        ASSERT_TRUE(detail.startsWith(QStringLiteral("GET /repos/acme/"))) << detail.toStdString();
        const QString base = detail.mid(4);
        EXPECT_EQ(lines[4 + 4 * i], QStringLiteral("GET ") + base + QStringLiteral("/reviews"));
        const QString repo = base.section(QLatin1Char('/'), 2, 3);
        const QString sha = QStringLiteral("sha") + base.section(QLatin1Char('/'), -1);
        QStringList ci{lines[5 + 4 * i], lines[6 + 4 * i]};
        ci.sort();
        EXPECT_EQ(ci, (QStringList{QStringLiteral("GET /repos/%1/commits/%2/check-runs?per_page=100").arg(repo, sha),
                                   QStringLiteral("GET /repos/%1/commits/%2/status").arg(repo, sha)}));
    }
    for (const auto& r : hub->requests()) {
        EXPECT_EQ(r.header(QStringLiteral("Authorization")), QStringLiteral("token tok-me"));
        EXPECT_EQ(r.header(QStringLiteral("Accept")), QStringLiteral("application/vnd.github.v3+json"));
        EXPECT_EQ(r.header(QStringLiteral("User-Agent")), QStringLiteral("Norvane/test"));
    }

    // Newest update first.
    ASSERT_EQ(prs.size(), 3);
    EXPECT_EQ(prs[0].number, 2);
    EXPECT_EQ(prs[1].number, 3);
    EXPECT_EQ(prs[2].number, 1);

    const auto& mine = byNumber(prs, 1);
    EXPECT_EQ(mine.id, QStringLiteral("gh-1001"));
    EXPECT_EQ(mine.repository, QStringLiteral("acme/api"));
    EXPECT_TRUE(mine.isYourPR);
    EXPECT_EQ(mine.headSha, QStringLiteral("sha1"));
    EXPECT_EQ(mine.commentCount, 5);
    EXPECT_EQ(mine.reviewCommentCount, 3);
    EXPECT_EQ(mine.requestedReviewers, QStringList{QStringLiteral("bob")});
    EXPECT_EQ(mine.approvalStatus, AS::approved);
    EXPECT_EQ(mine.reviewCount, 1);
    EXPECT_EQ(mine.ciStatus, CI::success);

    const auto& requested = byNumber(prs, 2);
    EXPECT_TRUE(requested.reviewRequested);
    EXPECT_EQ(requested.approvalStatus, AS::pending);
    EXPECT_FALSE(requested.requestedReviewers.has_value()); // only the user's own pull requests get them
    EXPECT_EQ(requested.ciStatus, CI::unknown);
}

TEST_F(GitHubServiceTest, MergesFlagsOfPullRequestsFoundTwice)
{
    fh::Scenario s = baseWorld();
    auto ownAssigned = pull("acme/api", 1, "me");
    ownAssigned.assignees = {QStringLiteral("me")};
    auto requestedAssigned = pull("acme/web", 2, "alice");
    requestedAssigned.assignees = {QStringLiteral("me")};
    requestedAssigned.requestedReviewers = {QStringLiteral("me"), QStringLiteral("bob")};
    requestedAssigned.reviews = {review("bob", "CHANGES_REQUESTED", "2026-12-01T08:00:00Z", "Nope")};
    s.pullRequests = {ownAssigned, requestedAssigned};
    start(s);

    const auto prs = fetch();
    ASSERT_EQ(prs.size(), 2);
    const auto& own = byNumber(prs, 1);
    EXPECT_TRUE(own.isYourPR && own.isAssigned && !own.reviewRequested);
    const auto& other = byNumber(prs, 2);
    EXPECT_TRUE(other.reviewRequested && other.isAssigned && !other.isYourPR);
    EXPECT_EQ(other.approvalStatus, AS::changesRequested);
    EXPECT_FALSE(other.requestedReviewers.has_value());
    EXPECT_FALSE(other.lastChangeRequest.has_value());
    // Two pull requests: three searches and four requests each.
    EXPECT_EQ(hub->requests().size(), 3u + 2u * 4u);
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
    EXPECT_THROW(fetch(QStringLiteral("revoked")), GitHubServiceError);
    EXPECT_EQ(hub->requests().size(), 1u);

    for (int status : {403, 422, 500}) {
        hub->clearRequests();
        hub->injectFault(fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/search/issues"), status).times(1));
        try {
            fetch();
            ADD_FAILURE() << "no error for " << status;
        } catch (const GitHubAPIError& e) {
            EXPECT_EQ(e.kind(), GitHubAPIError::Kind::badServerResponse);
            EXPECT_EQ(e.statusCode(), status);
            EXPECT_EQ(e.endpoint(), QStringLiteral("search/issues (review-requested)"));
            EXPECT_TRUE(e.errorDescription().startsWith(
                QStringLiteral("API Error [search/issues (review-requested)]: HTTP %1 - {").arg(status)));
        }
        EXPECT_EQ(hub->requests().size(), 1u) << "a later search was sent after " << status;
    }
    // Success codes the client never asked for are no success.
    for (int status : {201, 304}) {
        hub->injectFault(
            fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/search/issues"), status).times(1));
        try {
            fetch();
            ADD_FAILURE() << "no error for " << status;
        } catch (const GitHubAPIError& e) {
            EXPECT_EQ(e.kind(), GitHubAPIError::Kind::badServerResponse) << status;
            EXPECT_EQ(e.statusCode(), status);
        }
    }

    // A search reply that does not decode: a decoding error naming its endpoint, and no later search.
    hub->clearRequests();
    hub->injectFault(fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/search/issues"), 200,
                                           QByteArrayLiteral(R"({"total_count":1,"items":[{"id":1}]})")).times(1));
    try {
        fetch();
        ADD_FAILURE() << "no decoding error";
    } catch (const GitHubAPIError& e) {
        EXPECT_EQ(e.kind(), GitHubAPIError::Kind::decodingError);
        EXPECT_EQ(e.errorDescription(),
                  QStringLiteral("JSON Decode Error [search/issues (review-requested)]: key \"items[0].number\": missing"
                                 " - Response: {\"total_count\":1,\"items\":[{\"id\":1}]}"));
    }
    EXPECT_EQ(hub->requests().size(), 1u);

    // A body that is not UTF-8 and does not decode is reported without its bytes.
    hub->injectFault(fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/search/issues"), 200,
                                           QByteArrayLiteral("\xff\xfe{\"items\": 1}"))
                         .times(1));
    try {
        fetch();
        ADD_FAILURE() << "no decoding error";
    } catch (const GitHubAPIError& e) {
        EXPECT_EQ(e.kind(), GitHubAPIError::Kind::decodingError);
        EXPECT_TRUE(e.errorDescription().endsWith(QStringLiteral(" - Response: No response body")))
            << e.errorDescription().toStdString();
    }
}

TEST_F(GitHubServiceTest, DetailFailureSkipsCiButNotTheOthers)
{
    start(teamWorld());
    hub->injectFault(fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/pulls/1"), 404));
    const auto prs = fetch();
    ASSERT_EQ(prs.size(), 3);
    const auto& mine = byNumber(prs, 1);
    EXPECT_FALSE(mine.headSha.has_value());
    EXPECT_FALSE(mine.ciStatus.has_value());
    EXPECT_FALSE(mine.commentCount.has_value());
    EXPECT_EQ(mine.approvalStatus, AS::approved); // reviews still fetched
    EXPECT_TRUE(hub->requests(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/commits/sha1/**")).empty());
    EXPECT_EQ(byNumber(prs, 3).headSha, QStringLiteral("sha3"));
    EXPECT_EQ(byNumber(prs, 3).ciStatus, CI::unknown);
}

TEST_F(GitHubServiceTest, TransportFailuresEndTheCallOnlyDuringReviews)
{
    start(teamWorld());
    hub->injectFault(fh::Fault::dropConnection(QStringLiteral("GET"), QStringLiteral("/repos/acme/web/pulls/2")));
    hub->injectFault(fh::Fault::dropConnection(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/commits/sha1/**")));
    const auto prs = fetch();
    ASSERT_EQ(prs.size(), 3);
    EXPECT_FALSE(byNumber(prs, 2).headSha.has_value());
    EXPECT_EQ(byNumber(prs, 1).ciStatus, CI::unknown);

    hub->clearFaults();
    hub->clearRequests();
    hub->injectFault(fh::Fault::dropConnection(QStringLiteral("GET"), QStringLiteral("/repos/*/*/pulls/*/reviews")));
    EXPECT_THROW(fetch(), TransportError);
    // The first pull request's reviews failed (Qt resends a dropped GET once): nothing after them was asked for.
    const auto requests = hub->requests();
    ASSERT_GE(requests.size(), 5u);
    EXPECT_TRUE(requests[3].path.startsWith(QStringLiteral("/repos/acme/")) && !requests[3].path.endsWith(QStringLiteral("/reviews")));
    for (size_t i = 4; i < requests.size(); ++i)
        EXPECT_TRUE(requests[i].path.endsWith(QStringLiteral("/reviews"))) << requests[i].path.toStdString();
}

// Cancels `cancel` as soon as the server has seen a request matching `pattern` (which the test slows down).
static void cancelOnArrival(QTimer& poller, fh::FakeHub& hub, const QString& pattern, const CancelToken& cancel)
{
    poller.setInterval(2);
    QObject::connect(&poller, &QTimer::timeout, [&hub, pattern, cancel] {
        if (!hub.requests(QStringLiteral("GET"), pattern).empty())
            cancel->cancel();
    });
    poller.start();
}

TEST_F(GitHubServiceTest, CancellationDuringASearchOrDuringDetail)
{
    start(teamWorld());
    hub->injectFault(fh::Fault::delayed(QStringLiteral("GET"), QStringLiteral("/search/issues"), std::chrono::milliseconds(300)));
    auto cancel = makeCancelToken();
    QTimer poller;
    cancelOnArrival(poller, *hub, QStringLiteral("/search/issues"), cancel);
    try {
        fetch(QStringLiteral("tok-me"), cancel);
        ADD_FAILURE() << "a cancelled search succeeded";
    } catch (const GitHubAPIError& e) {
        EXPECT_EQ(e.kind(), GitHubAPIError::Kind::networkError);
        EXPECT_TRUE(e.errorDescription().startsWith(QStringLiteral("Network Error [search/issues (review-requested)]: ")));
    }
    EXPECT_EQ(hub->requests().size(), 1u);

    // Cancelled while a detail request is in flight: that failure is absorbed, the reviews request that
    // follows fails at once without reaching the server, and that ends the call.
    hub->clearFaults();
    hub->clearRequests();
    hub->injectFault(fh::Fault::delayed(QStringLiteral("GET"), QStringLiteral("/repos/*/*/pulls/*"), std::chrono::milliseconds(300)));
    cancel = makeCancelToken();
    QTimer detailPoller;
    cancelOnArrival(detailPoller, *hub, QStringLiteral("/repos/*/*/pulls/*"), cancel);
    try {
        fetch(QStringLiteral("tok-me"), cancel);
        ADD_FAILURE() << "a cancelled fetch succeeded";
    } catch (const TransportError& e) {
        EXPECT_TRUE(e.isCancellation());
    }
    EXPECT_EQ(hub->requests().size(), 4u); // three searches and the one detail request
}

TEST_F(GitHubServiceTest, AnAnswerCutOffMidBodyIsATransportFailure)
{
    start(teamWorld());
    hub->injectFault(fh::Fault::dropMidBody(QStringLiteral("GET"), QStringLiteral("/search/issues")));
    try {
        fetch();
        ADD_FAILURE() << "a cut-off search succeeded";
    } catch (const GitHubAPIError& e) {
        EXPECT_EQ(e.kind(), GitHubAPIError::Kind::networkError) << e.errorDescription().toStdString();
    }
    // During detail it is absorbed like any other detail failure.
    hub->clearFaults();
    hub->injectFault(fh::Fault::dropMidBody(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/pulls/1")));
    const auto prs = fetch();
    EXPECT_FALSE(byNumber(prs, 1).headSha.has_value());
    EXPECT_EQ(byNumber(prs, 3).headSha, QStringLiteral("sha3"));
}

TEST_F(GitHubServiceTest, ReviewVerdictFromTheServer)
{
    fh::Scenario s = baseWorld();
    auto p = pull("acme/api", 1, "me");
    p.reviews = {review("alice", "APPROVED", "2026-12-01T09:00:00Z"),
                 review("bob", "CHANGES_REQUESTED", "2026-12-01T10:00:00Z", "\n\nPlease split this up\nThanks"),
                 review("bob", "COMMENTED", "2026-12-01T11:00:00Z"), review("carol", "PENDING", nullptr)};
    s.pullRequests = {p};
    start(s);
    const ReviewFetchResult r = runTask(
        service().fetchReviewStatusAndCount(QStringLiteral("acme/api"), 1, QStringLiteral("tok-me")));
    EXPECT_EQ(r.status, AS::changesRequested);
    EXPECT_EQ(r.reviewCount, 4);
    ASSERT_TRUE(r.lastChangeRequest.has_value());
    EXPECT_EQ(r.lastChangeRequest->reviewer, QStringLiteral("bob"));
    EXPECT_EQ(r.lastChangeRequest->bodyPreview, QStringLiteral("Please split this up"));
    EXPECT_EQ(r.lastChangeRequest->submittedAt, utc("2026-12-01T10:00:00Z"));

    // Non-200 replies give the unknown result instead of failing.
    hub->injectFault(fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/pulls/1/reviews"), 404));
    const ReviewFetchResult unknown = runTask(
        service().fetchReviewStatusAndCount(QStringLiteral("acme/api"), 1, QStringLiteral("tok-me")));
    EXPECT_EQ(unknown.status, AS::unknown);
    EXPECT_EQ(unknown.reviewCount, 0);
}

TEST_F(GitHubServiceTest, CiCombinesLegacyStatusesAndCheckRuns)
{
    fh::Scenario s = baseWorld();
    start(s);
    struct Case {
        const char* legacy; // nullptr: no statuses
        const char* runStatus;
        const char* conclusion;
        CI expected;
    };
    const Case cases[] = {
        {"failure", "completed", "success", CI::failure},
        {"pending", "completed", "failure", CI::failure},
        {nullptr, "in_progress", nullptr, CI::pending},
        {"success", nullptr, nullptr, CI::success},
        {"error", "completed", "success", CI::failure}, // GitHub folds an errored context into "failure"
        {nullptr, nullptr, nullptr, CI::unknown},
    };
    int i = 0;
    for (const Case& c : cases) {
        const QString sha = QStringLiteral("c%1").arg(i++);
        if (c.legacy) {
            fh::CommitStatus st;
            st.context = QStringLiteral("ci/legacy");
            st.state = QString::fromLatin1(c.legacy);
            st.createdAt = utc("2026-12-01T00:00:00Z");
            hub->setCommitStatus(QStringLiteral("acme/api"), sha, st);
        }
        if (c.runStatus)
            hub->setCheckRun(QStringLiteral("acme/api"), sha, checkRun("build", c.runStatus, c.conclusion));
        EXPECT_EQ(runTask(service().fetchCIStatusForSha(QStringLiteral("acme/api"), sha, QStringLiteral("tok-me"))),
                  c.expected)
            << sha.toStdString();
    }
    // Failures read as unknown and never hide the other side's verdict.
    hub->setCheckRun(QStringLiteral("acme/api"), QStringLiteral("z"), checkRun("build", "completed", "failure"));
    hub->injectFault(fh::Fault::httpStatus(QStringLiteral("GET"), QStringLiteral("/repos/acme/api/commits/z/status"), 500));
    EXPECT_EQ(runTask(service().fetchCIStatusForSha(QStringLiteral("acme/api"), QStringLiteral("z"), QStringLiteral("tok-me"))),
              CI::failure);
}
