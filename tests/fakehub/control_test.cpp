#include "support.h"

#include <QElapsedTimer>
#include <QTimeZone>
#include <atomic>
#include <thread>

using namespace norvane::fakehub;
using namespace norvane::fakehub::testing;
using namespace std::chrono_literals;

TEST(Faults, PathPatternsMatchSegmentsOrEverything)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"/search/issues", "/search/issues", true},
        {"/search/issues", "/search/issues/x", false},
        {"/repos/*/*/pulls/*", "/repos/acme/api/pulls/1", true},
        {"/repos/*/*/pulls/*", "/repos/acme/api/pulls/1/reviews", false},
        {"/repos/*/*/pulls/*/reviews", "/repos/acme/api/pulls/12/reviews", true},
        {"/repos/**", "/repos/acme/api/commits/abc/check-runs", true},
        {"/repos/**/status", "/repos/acme/api/commits/abc/status", true},
        {"**", "/anything/at/all", true},
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
    // A hub stops promptly even while an answer is being delayed.
    hub.injectFault(Fault::delayed("*", "**", 30s));
    std::thread slow([&] { Http(hub).get("/user"); });
    std::this_thread::sleep_for(100ms);
    timer.restart();
    hub.stop();
    slow.join();
    EXPECT_LT(timer.elapsed(), 10000);
}

TEST(Server, TheEnterpriseLayoutAnswersTheApiOnlyUnderApiV3)
{
    FakeHub::Options options;
    options.enterprise = true;
    FakeHub hub(world(), options);
    EXPECT_EQ(hub.apiUrl(), hub.baseUrl() + u"/api/v3"_s);
    Http http(hub);
    const std::pair<const char*, int> routes[] = {
        {"/api/v3/user", 200}, {"/api/v3/search/issues?q=type:pr+author:mona", 200},
        {"/user", 404},        {"/search/issues?q=type:pr+author:mona", 404},
        {"/api/v3", 404},      {"/api/v30/user", 404}};
    for (const auto& [path, status] : routes)
        EXPECT_EQ(http.status(path), status) << path;
    // The device flow stays on the web host, at the root; a 404 outside /api/v3 spends no rate-limit point.
    FakeHub plain(world());
    const auto device = http.post("/login/device/code", "client_id=nobody&scope=repo");
    const auto plainDevice = Http(plain).post("/login/device/code", "client_id=nobody&scope=repo");
    ASSERT_TRUE(device && plainDevice);
    EXPECT_EQ(device->status, plainDevice->status);
    EXPECT_EQ(device->body, plainDevice->body);
    EXPECT_EQ(hub.rateLimit(u"t-mona"_s).used, 1);
    EXPECT_EQ(hub.rateLimit(u"t-mona"_s, u"search"_s).used, 1);
    EXPECT_EQ(hub.requests("GET", "/user").size(), 1u); // logged as it arrived
}

TEST(RequestLog, RecordsMethodPathQueryHeadersAndBodyInOrder)
{
    FakeHub hub(world());
    Http http(hub);
    const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
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
    EXPECT_GE(log[0].arrivedAt, before);
    EXPECT_LE(log[0].arrivedAt, log[2].arrivedAt);
    EXPECT_EQ(hub.requests("GET", "/search/**").size(), 1u);
    EXPECT_EQ(hub.requests("*", "**").size(), 3u);
    hub.clearRequests();
    EXPECT_TRUE(hub.requests().empty());
}

TEST(World, ChangesWhileRunningShowInTheNextAnswer)
{
    FakeHub hub(world());
    Http http(hub);
    const std::string requested = "/search/issues?q=type:pr+state:open+archived:false+review-requested:mona";
    const std::string mine = "/search/issues?q=type:pr+state:open+author:mona";
    const QString before = str(http.json("/repos/acme/api/pulls/2"), "updated_at");

    // mona reviews #2: the review appears, she is no longer requested, and updated_at moves.
    hub.addReview(u"acme/api"_s, 2,
                  Review{0, u"mona"_s, u"CHANGES_REQUESTED"_s, u"First line\nsecond"_s, {}, {}});
    const QJsonValue reviews = http.json("/repos/acme/api/pulls/2/reviews");
    EXPECT_EQ(str(reviews, "[0].state"), u"CHANGES_REQUESTED"_s);
    EXPECT_TRUE(at(reviews, u"[0].submitted_at"_s).isString());
    EXPECT_EQ(num(http.json(requested), "total_count"), 0);
    EXPECT_GT(str(http.json("/repos/acme/api/pulls/2"), "updated_at"), before);

    hub.requestReview(u"acme/api"_s, 4, u"mona"_s);
    EXPECT_EQ(num(http.json(requested), "items[0].number"), 4);

    // Check runs are replaced by name; the newest status of a context wins.
    const QString sha = hub.headSha(u"acme/api"_s, 1);
    const std::string commit = "/repos/acme/api/commits/" + sha.toStdString();
    hub.setCheckRun(u"acme/api"_s, sha, CheckRun{0, u"build"_s, u"in_progress"_s, {}, {}, {}});
    hub.setCheckRun(u"acme/api"_s, sha, CheckRun{0, u"lint"_s, u"completed"_s, u"failure"_s, {}, {}});
    const QJsonValue runs = http.json(commit + "/check-runs");
    EXPECT_EQ(num(runs, "total_count"), 2);
    EXPECT_EQ(str(runs, "check_runs[0].status"), u"in_progress"_s);
    for (const QString& state : {u"failure"_s, u"success"_s}) {
        hub.setCommitStatus(u"acme/api"_s, sha, CommitStatus{0, u"ci/legacy"_s, state, {}, {}, {}});
        const QJsonValue status = http.json(commit + "/status");
        EXPECT_EQ(str(status, "state"), state);
        EXPECT_EQ(num(status, "total_count"), 1);
    }

    Issue issue;
    issue.number = 60;
    issue.title = u"New issue"_s;
    issue.author = u"theo"_s;
    issue.labels = {u"ui"_s};
    hub.addIssue(u"acme/api"_s, issue);
    EXPECT_EQ(str(http.json("/repos/acme/api/issues"), "[0].title"), u"New issue"_s);

    hub.closePullRequest(u"acme/api"_s, 1, true);
    EXPECT_EQ(num(http.json(mine), "total_count"), 0);
    EXPECT_TRUE(http.json("/repos/acme/api/pulls/1")[u"merged"_s].toBool());

    PullRequest pr;
    pr.repository = u"acme/api"_s;
    pr.number = 61;
    pr.title = u"Fresh"_s;
    pr.author = u"mona"_s;
    hub.addPullRequest(pr);
    hub.setUpdatedAt(u"acme/api"_s, 61, QDateTime(QDate(2020, 1, 1), QTime(0, 0), QTimeZone::utc()));
    EXPECT_EQ(str(http.json(mine), "items[0].updated_at"), u"2020-01-01T00:00:00Z"_s);

    // Mistakes in a test are loud.
    EXPECT_THROW(hub.addReview(u"acme/api"_s, 999, Review{}), std::invalid_argument);
    EXPECT_THROW(hub.addIssue(u"acme/api"_s, issue), std::invalid_argument); // number 60 taken
    EXPECT_THROW(hub.requestReview(u"acme/none"_s, 1, u"mona"_s), std::invalid_argument);
}

TEST(Timeline, TheDemoWorldChangesOneEventAtATimeAsMonaSeesIt)
{
    FakeHub hub(Scenario::fromFile(demoPath()));
    Http http(hub);
    const auto get = [&](const std::string& path) { return http.json(path, "demo-token"); };
    const auto count = [&](const std::string& query) {
        return num(get("/search/issues?q=state:open+" + query), "total_count");
    };
    const auto lastReview = [&](const std::string& pull) {
        const QJsonArray reviews = get("/repos/" + pull + "/reviews").toArray();
        return reviews.isEmpty() ? QString()
                                 : str(reviews.last(), "state") + u' ' + str(reviews.last(), "user.login");
    };
    const std::string apiHead = hub.headSha(u"northwind/api"_s, 310).toStdString();
    const auto firstNamed = [](const QJsonValue& list, const QString& name, const char* field) {
        for (const QJsonValue& item : list.toArray()) {
            if (item[u"name"_s] == name)
                return item[QLatin1String(field)].toString();
        }
        return QString();
    };
    const auto testRun = [&] {
        return firstNamed(get("/repos/northwind/api/commits/" + apiHead + "/check-runs")[u"check_runs"_s],
                          u"test"_s, "conclusion");
    };
    const auto production = [&] {
        const qint64 id = num(get("/repos/northwind/api/deployments?environment=production"), "[0].id");
        return str(get("/repos/northwind/api/deployments/" + std::to_string(id) + "/statuses"), "[0].state") +
               u' ' +
               firstNamed(get("/repos/northwind/api/actions/runs")[u"workflow_runs"_s],
                          u"Deploy to production"_s, "status");
    };
    const auto requestedOfMona = [&] { return count("type:pr+archived:false+review-requested:mona"); };
    const auto openIssues = [&] { return count("type:issue+repo:northwind/api"); };

    const qint64 requested = requestedOfMona();
    const qint64 issues = openIssues();
    EXPECT_EQ(testRun(), u"success"_s);
    EXPECT_EQ(lastReview("northwind/web/pulls/95"), QString());
    EXPECT_EQ(lastReview("northwind/mobile/pulls/520"), u"APPROVED jonas"_s);
    EXPECT_EQ(production(), u"in_progress in_progress"_s);

    // Nothing is due before the first event, and each step plays only what is due.
    EXPECT_EQ(hub.playTimeline(9s), 0);
    const std::vector<std::pair<int, std::function<void()>>> steps = {
        {10, [&] { EXPECT_EQ(requestedOfMona(), requested + 1); }},
        {30, [&] { EXPECT_EQ(testRun(), u"failure"_s); }},
        {50, [&] { EXPECT_EQ(lastReview("northwind/web/pulls/95"), u"APPROVED priya"_s); }},
        {70, [&] { EXPECT_EQ(lastReview("northwind/mobile/pulls/520"), u"CHANGES_REQUESTED keiko"_s); }},
        {90, [&] { EXPECT_EQ(openIssues(), issues + 1); }},
        {110, [&] { EXPECT_EQ(production(), u"success completed"_s); }},
    };
    for (const auto& [at, check] : steps) {
        SCOPED_TRACE(at);
        ASSERT_EQ(hub.nextTimelineEvent(), std::chrono::seconds(at));
        EXPECT_GE(hub.playTimeline(std::chrono::seconds(at)), 1);
        check();
    }
    EXPECT_EQ(hub.nextTimelineEvent(), std::nullopt);
    EXPECT_EQ(hub.playTimeline(1h), 0); // nothing plays twice
    EXPECT_EQ(requestedOfMona(), requested + 1);
}

TEST(Timeline, ARevokedTokenIsRefusedFromThenOn)
{
    FakeHub hub(worldWith(uR"([{"at": 5, "kind": "revoke_token", "user": "mona", "token": "t-mona"}])"_s));
    Http http(hub);
    EXPECT_EQ(http.status("/user"), 200);
    EXPECT_EQ(hub.playTimeline(5s), 1);
    EXPECT_EQ(http.status("/user"), 401);
    EXPECT_EQ(http.status("/user", "t-theo"), 200);
}

TEST(Notifications, TheFeedFollowsTheWorldAndAnswersAnUnchangedAsk304ForFree)
{
    FakeHub::Options options;
    options.feedPollIntervalSecs = 2;
    FakeHub hub(
        worldWith(uR"([{"at": 1, "kind": "comment", "repository": "acme/api", "number": 1, "user": "priya"},
                               {"at": 2, "kind": "assign", "repository": "acme/api", "number": 4, "user": "mona"}])"_s,
                  uR"("tokens": ["t-theo"])"_s,
                  uR"("tokens": ["t-theo"], "fine_grained_tokens": ["f-theo"])"_s),
        options);
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

    // Mona is asked to review #4, then theo reviews her #1: a thread each in her feed, newest first; the
    // reviewer's own feed stays empty.
    hub.requestReview(u"acme/api"_s, 4, u"mona"_s);
    hub.addReview(u"acme/api"_s, 1, Review{0, u"theo"_s, u"COMMENTED"_s, {}, {}, {}});
    const auto changed = ask("t-mona", modified);
    ASSERT_TRUE(changed);
    ASSERT_EQ(changed->status, 200);
    EXPECT_NE(changed->get_header_value("Last-Modified"), modified);
    const QJsonValue threads = parseBody(changed->body);
    ASSERT_EQ(threads.toArray().size(), 2);
    EXPECT_EQ(str(threads, "[0].reason"), u"author"_s);
    EXPECT_EQ(str(threads, "[1].reason"), u"review_requested"_s);
    EXPECT_EQ(str(threads, "[1].subject.url"), hub.baseUrl() + u"/repos/acme/api/pulls/4"_s);
    EXPECT_EQ(str(threads, "[1].repository.full_name"), u"acme/api"_s);
    EXPECT_EQ(ask("t-mona", changed->get_header_value("Last-Modified"))->status, 304);
    EXPECT_EQ(parseBody(ask("t-theo")->body).toArray().size(), 0);

    // A fine-grained token authenticates but cannot read the feed, as on GitHub.
    EXPECT_EQ(http.status("/user", "f-theo"), 200);
    EXPECT_EQ(ask("f-theo")->status, 403);

    // A comment on her pull request and an assignment renew the threads they concern.
    EXPECT_EQ(hub.playTimeline(2s), 2);
    const QJsonValue renewed = parseBody(ask("t-mona")->body);
    ASSERT_EQ(renewed.toArray().size(), 2);
    EXPECT_EQ(str(renewed, "[0].reason"), u"assign"_s);
    EXPECT_EQ(str(renewed, "[1].reason"), u"author"_s);
    EXPECT_EQ(num(http.json("/repos/acme/api/pulls/1"), "comments"), 3);
}

TEST(Server, ServesTwoHundredConcurrentRequests)
{
    // Each answer takes a second: one at a time would take 200 s, while served together they take little more
    // than one. The bound and the client's time-outs leave room for a loaded machine under the sanitizers,
    // where starting 200 threads and their connections alone has taken several seconds.
    FakeHub hub(world(), FakeHub::Options{0, 1000ms, {}, {}});
    constexpr int kRequests = 200;
    std::atomic<int> ok{0};
    std::vector<std::thread> clients;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRequests; ++i) {
        clients.emplace_back([&, i] {
            httplib::Client client("127.0.0.1", hub.port());
            client.set_connection_timeout(120);
            client.set_read_timeout(120);
            const auto result = client.Get(i % 2 ? "/repos/acme/api/pulls/1" : "/user",
                                           httplib::Headers{{"Authorization", "token t-mona"}});
            ok += result && result->status == 200;
        });
    }
    for (std::thread& t : clients)
        t.join();
    EXPECT_EQ(ok.load(), kRequests);
    EXPECT_LT(timer.elapsed(), 60000);
    EXPECT_EQ(hub.requests().size(), static_cast<std::size_t>(kRequests));
}

TEST(Server, KeepsConnectionsAliveAndStartsAndStopsInMilliseconds)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 10; ++i) {
        FakeHub hub(world());
        Http http(hub);
        http.client().set_keep_alive(true);
        for (int j = 0; j < 20; ++j)
            ASSERT_EQ(http.status("/user"), 200);
        // The client still holds its idle keep-alive connection while the hub stops.
        QElapsedTimer stopping;
        stopping.start();
        hub.stop();
        // Waiting out the idle connection would take the keep-alive timeout (5 s); the margin below it is
        // for a loaded machine.
        EXPECT_LT(stopping.elapsed(), 2500);
    }
    EXPECT_LT(timer.elapsed(), 25000);

    FakeHub first(world());
    // A second hub on a port in use reports it instead of serving nothing.
    EXPECT_THROW(FakeHub(world(), FakeHub::Options{first.port(), 0ms, {}, {}}), std::runtime_error);
}
