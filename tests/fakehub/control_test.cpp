#include "support.h"

#include <QElapsedTimer>

using namespace norvane::fakehub;
using namespace norvane::fakehub::testing;
using namespace std::chrono_literals;

TEST(Faults, PathPatternsMatchSegmentsOrEverything)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"/search/issues", "/search/issues", true},
        {"/repos/*/*/pulls/*", "/repos/acme/api/pulls/1", true},
        {"/repos/*/*/pulls/*", "/repos/acme/api/pulls/1/reviews", false},
        {"/repos/**", "/repos/acme/api/commits/abc/check-runs", true},
        {"/repos/**/status", "/repos/acme/api/commits/abc/status", true},
        {"/repos/acme/api.x", "/repos/acme/apiXx", false}, // the dot is literal
        {"/user", "/users", false},
    };
    for (const auto& [pattern, path, matches] : cases)
        EXPECT_EQ(pathMatches(QLatin1String(pattern), QLatin1String(path)), matches)
            << pattern << " ~ " << path;
}

TEST(Faults, EachKindMisbehavesAsDescribedThenTheRouteRecovers)
{
    FakeHub hub(world());
    Http http(hub);
    const std::string path = "/repos/acme/api/pulls/1";
    const std::string normal = http.get(path)->body;
    ASSERT_FALSE(parseBody(normal).isUndefined());

    // The status a faulty answer has: 0 for none at all, 200 for a body that is not JSON.
    const std::pair<Fault, int> cases[] = {
        {Fault::httpStatus("GET", "/repos/*/*/pulls/*", 502), 502},
        {Fault::httpStatus("*", "/repos/**", 403, R"({"message":"API rate limit exceeded"})")
             .withHeader("x-ratelimit-remaining", "0"),
         403},
        {Fault::malformedJson("GET", "/repos/acme/api/pulls/1"), 200},
        {Fault::truncatedJson("GET", "/repos/acme/api/pulls/1"), 200},
        {Fault::dropConnection("GET", "/repos/acme/api/pulls/1"), 0},
        {Fault::dropMidBody("GET", "/repos/acme/api/pulls/1"), 0},
    };
    for (const auto& [fault, status] : cases) {
        SCOPED_TRACE(static_cast<int>(fault.kind));
        hub.injectFault(Fault(fault).times(1));
        const auto faulty = http.get(path);
        if (status == 0) {
            EXPECT_FALSE(faulty) << "status " << (faulty ? faulty->status : 0);
        } else {
            ASSERT_TRUE(faulty);
            EXPECT_EQ(faulty->status, status);
            if (status == 200) {
                EXPECT_TRUE(parseBody(faulty->body).isUndefined()) << faulty->body.substr(0, 80);
                EXPECT_NE(faulty->body, normal);
            } else {
                EXPECT_TRUE(parseBody(faulty->body)[u"message"_s].isString()) << faulty->body;
            }
        }
        // The fault was for one call only.
        const auto after = http.get(path);
        ASSERT_TRUE(after);
        EXPECT_EQ(after->status, 200);
        EXPECT_EQ(after->body, normal);
    }
    // Extra headers reach the client; an unmatched method or path is left alone.
    hub.injectFault(Fault::httpStatus("GET", "/search/issues", 403).withHeader("retry-after", "60").times(1));
    EXPECT_EQ(http.get("/search/issues?q=type:pr")->get_header_value("retry-after"), "60");
    hub.injectFault(Fault::httpStatus("POST", "/repos/**", 500));
    hub.injectFault(Fault::httpStatus("GET", "/user", 500));
    EXPECT_EQ(http.status(path), 200);
    // A fault without a count applies to every call until cleared.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(http.status("/user"), 500);
    hub.clearFaults();
    EXPECT_EQ(http.status("/user"), 200);
}

TEST(Faults, DelaysAndLatencyHoldTheAnswerBack)
{
    FakeHub hub(world());
    Http http(hub);
    hub.injectFault(Fault::delayed("GET", "/user", 1000ms).times(1));
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(http.status("/user"), 200);
    EXPECT_GE(timer.elapsed(), 1000);
    timer.restart();
    // The fault applied once; the bound leaves a loaded machine most of the delay.
    EXPECT_EQ(http.status("/user"), 200);
    EXPECT_LT(timer.elapsed(), 900);

    hub.setLatency(200ms);
    timer.restart();
    EXPECT_EQ(http.status("/repos/acme/api/pulls/1"), 200);
    EXPECT_GE(timer.elapsed(), 200);
}

TEST(RequestLog, RecordsMethodPathQueryHeadersAndBodyInOrder)
{
    FakeHub hub(world());
    Http http(hub);
    http.get("/search/issues?q=type%3Apr+author:mona&per_page=50");
    http.get("/user", "wrong");
    http.post("/login/device/code", "client_id=cid&scope=repo");
    const auto log = hub.requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].method, u"GET"_s);
    EXPECT_EQ(log[0].path, u"/search/issues"_s);
    EXPECT_EQ(log[0].query, u"q=type%3Apr+author:mona&per_page=50"_s);
    EXPECT_EQ(log[0].queryValue(u"q"_s), u"type:pr author:mona"_s);
    EXPECT_EQ(log[0].header(u"authorization"_s), u"token t-mona"_s);
    EXPECT_EQ(log[0].header(u"Accept"_s), u"application/vnd.github.v3+json"_s);
    EXPECT_EQ(log[1].header(u"Authorization"_s), u"token wrong"_s); // failures too
    EXPECT_EQ(log[2].body, QByteArray("client_id=cid&scope=repo"));
    EXPECT_EQ(hub.requests("GET", "/search/**").size(), 1u);
    hub.clearRequests();
    EXPECT_TRUE(hub.requests().empty());
}

// A control call that names what is not there fails the test that made it, instead of changing nothing.
TEST(World, MistakesInATestAreLoud)
{
    FakeHub hub(world());
    Issue taken;
    taken.number = 50;
    EXPECT_THROW(hub.addIssue(u"acme/api"_s, taken), std::invalid_argument);
    EXPECT_THROW(hub.addReview(u"acme/api"_s, 999, Review{}), std::invalid_argument);
    EXPECT_THROW(hub.requestReview(u"acme/none"_s, 1, u"mona"_s), std::invalid_argument);
    EXPECT_THROW(hub.requestTeamReview(u"acme/api"_s, 4, u"nobody"_s), std::invalid_argument);
}

TEST(Notifications, TheFeedFollowsTheWorldAndAnswersAnUnchangedAsk304ForFree)
{
    FakeHub::Options options;
    options.feedPollIntervalSecs = 2;
    FakeHub hub(world(), options);
    Http http(hub);
    const auto ask = [&](const std::string& token, const std::string& since = {}) {
        httplib::Headers headers{{"Authorization", "token " + token}};
        if (!since.empty())
            headers.emplace("If-Modified-Since", since);
        return http.client().Get("/notifications", headers);
    };
    const auto first = ask("t-mona");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 200);
    EXPECT_EQ(parseBody(first->body).toArray().size(), 0);
    EXPECT_EQ(first->get_header_value("X-Poll-Interval"), "2");
    const std::string modified = first->get_header_value("Last-Modified");
    EXPECT_EQ(modified, "Sun, 06 Dec 2026 12:00:00 GMT") << "an empty feed dates from the world's now";

    const int used = hub.rateLimit(u"t-mona"_s).used;
    const auto unchanged = ask("t-mona", modified);
    ASSERT_TRUE(unchanged);
    EXPECT_EQ(unchanged->status, 304);
    EXPECT_EQ(unchanged->get_header_value("X-Poll-Interval"), "2");
    EXPECT_EQ(hub.rateLimit(u"t-mona"_s).used, used) << "a 304 costs nothing";

    // Mona is asked to review #4, then theo reviews her #1: a thread each in her feed; the reviewer's own
    // feed stays empty.
    hub.requestReview(u"acme/api"_s, 4, u"mona"_s);
    hub.addReview(u"acme/api"_s, 1, Review{0, u"theo"_s, u"COMMENTED"_s, {}, {}, {}});
    const auto changed = ask("t-mona", modified);
    ASSERT_TRUE(changed);
    ASSERT_EQ(changed->status, 200);
    EXPECT_NE(changed->get_header_value("Last-Modified"), modified);
    EXPECT_EQ(parseBody(changed->body).toArray().size(), 2);
    EXPECT_EQ(ask("t-mona", changed->get_header_value("Last-Modified"))->status, 304);
    EXPECT_EQ(parseBody(ask("t-theo")->body).toArray().size(), 0);

    // The team "core" (theo) is asked to review #4: listed in the pull request's requested_teams, a thread
    // in theo's feed, and theo's review-requested search finds it.
    hub.requestTeamReview(u"acme/api"_s, 4, u"core"_s);
    const QJsonArray teams =
        parseBody(http.get("/repos/acme/api/pulls/4")->body)[u"requested_teams"_s].toArray();
    ASSERT_EQ(teams.size(), 1);
    EXPECT_EQ(teams[0][u"slug"_s].toString(), u"core"_s);
    EXPECT_EQ(parseBody(ask("t-theo")->body).toArray().size(), 1);
    const QJsonValue found =
        parseBody(http.get("/search/issues?q=is%3Apr+review-requested%3Atheo", "t-theo")->body);
    EXPECT_EQ(found[u"total_count"_s].toInt(), 2) << "#1 and #4";
}

TEST(Server, ASecondHubOnAPortInUseReportsIt)
{
    FakeHub first(world());
    EXPECT_THROW(FakeHub(world(), FakeHub::Options{first.port(), 0ms, {}, {}}), std::runtime_error);
}
