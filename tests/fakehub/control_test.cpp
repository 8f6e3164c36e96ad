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
    struct Case
    {
        const char* pattern;
        const char* path;
        bool matches;
    };
    const Case cases[] = {
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
    for (const Case& c : cases)
        EXPECT_EQ(pathMatches(QLatin1String(c.pattern), QLatin1String(c.path)), c.matches)
            << c.pattern << " ~ " << c.path;
}

TEST(Faults, EachKindMisbehavesAsDescribedThenTheRouteRecovers)
{
    FakeHub hub(world());
    Http http(hub);
    const std::string path = "/repos/acme/api/pulls/1";
    const std::string normal = http.get(path)->body;
    ASSERT_FALSE(parseBody(normal).isUndefined());

    enum class Expect { Status, InvalidJson, TransportError };
    struct Case
    {
        Fault fault;
        Expect expect;
        int status;
    };
    const std::vector<Case> cases = {
        {Fault::httpStatus("GET", "/repos/*/*/pulls/*", 502), Expect::Status, 502},
        {Fault::httpStatus("*", "/repos/**", 403, R"({"message":"API rate limit exceeded"})")
             .withHeader("x-ratelimit-remaining", "0"),
         Expect::Status, 403},
        {Fault::malformedJson("GET", "/repos/acme/api/pulls/1"), Expect::InvalidJson, 200},
        {Fault::truncatedJson("GET", "/repos/acme/api/pulls/1"), Expect::InvalidJson, 200},
        {Fault::dropConnection("GET", "/repos/acme/api/pulls/1"), Expect::TransportError, 0},
        {Fault::dropMidBody("GET", "/repos/acme/api/pulls/1"), Expect::TransportError, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault.kind));
        hub.injectFault(Fault(c.fault).times(1));
        const auto faulty = http.get(path);
        switch (c.expect) {
        case Expect::Status:
            ASSERT_TRUE(faulty);
            EXPECT_EQ(faulty->status, c.status);
            EXPECT_TRUE(parseBody(faulty->body)[QStringLiteral("message")].isString()) << faulty->body;
            break;
        case Expect::InvalidJson:
            ASSERT_TRUE(faulty);
            EXPECT_EQ(faulty->status, 200);
            EXPECT_TRUE(parseBody(faulty->body).isUndefined()) << faulty->body.substr(0, 80);
            EXPECT_NE(faulty->body, normal);
            break;
        case Expect::TransportError:
            EXPECT_FALSE(faulty) << "status " << (faulty ? faulty->status : 0);
            break;
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
    EXPECT_EQ(http.get(path)->status, 200);
    // A fault without a count applies to every call until cleared.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(http.get("/user")->status, 500);
    hub.clearFaults();
    EXPECT_EQ(http.get("/user")->status, 200);
}

TEST(Faults, DelaysAndLatencyHoldTheAnswerBack)
{
    FakeHub hub(world());
    Http http(hub);
    hub.injectFault(Fault::delayed("GET", "/user", 1000ms).times(1));
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(http.get("/user")->status, 200);
    EXPECT_GE(timer.elapsed(), 1000);
    timer.restart();
    // The fault applied once; the bound leaves a loaded machine most of the delay.
    EXPECT_EQ(http.get("/user")->status, 200);
    EXPECT_LT(timer.elapsed(), 900);

    hub.setLatency(200ms);
    timer.restart();
    EXPECT_EQ(http.get("/repos/acme/api/pulls/1")->status, 200);
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
    EXPECT_EQ(hub.apiUrl(), hub.baseUrl() + QStringLiteral("/api/v3"));
    Http http(hub);
    const std::pair<const char*, int> routes[] = {
        {"/api/v3/user", 200}, {"/api/v3/search/issues?q=type:pr+author:mona", 200},
        {"/user", 404},        {"/search/issues?q=type:pr+author:mona", 404},
        {"/api/v3", 404},      {"/api/v30/user", 404}};
    for (const auto& [path, status] : routes) {
        const auto result = http.get(path);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, status) << path;
    }
    // The device flow stays on the web host, at the root; a 404 outside /api/v3 spends no rate-limit point.
    FakeHub plain(world());
    Http plainHttp(plain);
    const auto device = http.post("/login/device/code", "client_id=nobody&scope=repo");
    const auto plainDevice = plainHttp.post("/login/device/code", "client_id=nobody&scope=repo");
    ASSERT_TRUE(device && plainDevice);
    EXPECT_EQ(device->status, plainDevice->status);
    EXPECT_EQ(device->body, plainDevice->body);
    EXPECT_EQ(hub.rateLimit(QStringLiteral("t-mona")).used, 1);
    EXPECT_EQ(hub.rateLimit(QStringLiteral("t-mona"), QStringLiteral("search")).used, 1);
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
    EXPECT_EQ(log[0].method, QStringLiteral("GET"));
    EXPECT_EQ(log[0].path, QStringLiteral("/search/issues"));
    EXPECT_EQ(log[0].query, QStringLiteral("q=type%3Apr+author:mona&per_page=50"));
    EXPECT_EQ(log[0].queryValue(QStringLiteral("q")), QStringLiteral("type:pr author:mona"));
    EXPECT_EQ(log[0].header(QStringLiteral("authorization")), QStringLiteral("token t-mona"));
    EXPECT_EQ(log[0].header(QStringLiteral("Accept")), QStringLiteral("application/vnd.github.v3+json"));
    EXPECT_EQ(log[1].header(QStringLiteral("Authorization")), QStringLiteral("token wrong")); // failures too
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
    const QString before = http.json("/repos/acme/api/pulls/2")[QStringLiteral("updated_at")].toString();

    // mona reviews #2: the review appears, she is no longer requested, and updated_at moves.
    hub.addReview(QStringLiteral("acme/api"), 2,
                  Review{0,
                         QStringLiteral("mona"),
                         QStringLiteral("CHANGES_REQUESTED"),
                         QStringLiteral("First line\nsecond"),
                         std::nullopt,
                         {}});
    const QJsonValue reviews = http.json("/repos/acme/api/pulls/2/reviews");
    EXPECT_EQ(at(reviews, QStringLiteral("[0].state")).toString(), QStringLiteral("CHANGES_REQUESTED"));
    EXPECT_TRUE(at(reviews, QStringLiteral("[0].submitted_at")).isString());
    EXPECT_EQ(http.json(requested)[QStringLiteral("total_count")].toInteger(), 0);
    EXPECT_GT(http.json("/repos/acme/api/pulls/2")[QStringLiteral("updated_at")].toString(), before);

    hub.requestReview(QStringLiteral("acme/api"), 4, QStringLiteral("mona"));
    EXPECT_EQ(at(http.json(requested), QStringLiteral("items[0].number")).toInteger(), 4);

    // Check runs are replaced by name; the newest status of a context wins.
    const QString sha = hub.headSha(QStringLiteral("acme/api"), 1);
    hub.setCheckRun(QStringLiteral("acme/api"), sha,
                    CheckRun{0, QStringLiteral("build"), QStringLiteral("in_progress"), {}, {}, {}});
    hub.setCheckRun(
        QStringLiteral("acme/api"), sha,
        CheckRun{0, QStringLiteral("lint"), QStringLiteral("completed"), QStringLiteral("failure"), {}, {}});
    const QJsonValue runs = http.json("/repos/acme/api/commits/" + sha.toStdString() + "/check-runs");
    EXPECT_EQ(runs[QStringLiteral("total_count")].toInteger(), 2);
    EXPECT_EQ(at(runs, QStringLiteral("check_runs[0].status")).toString(), QStringLiteral("in_progress"));
    hub.setCommitStatus(QStringLiteral("acme/api"), sha,
                        CommitStatus{0, QStringLiteral("ci/legacy"), QStringLiteral("failure"), {}, {}, {}});
    const QJsonValue status = http.json("/repos/acme/api/commits/" + sha.toStdString() + "/status");
    EXPECT_EQ(status[QStringLiteral("state")].toString(), QStringLiteral("failure"));
    EXPECT_EQ(status[QStringLiteral("total_count")].toInteger(), 1);
    hub.setCommitStatus(QStringLiteral("acme/api"), sha,
                        CommitStatus{0, QStringLiteral("ci/legacy"), QStringLiteral("success"), {}, {}, {}});
    EXPECT_EQ(http.json("/repos/acme/api/commits/" + sha.toStdString() + "/status")[QStringLiteral("state")]
                  .toString(),
              QStringLiteral("success"));

    Issue issue;
    issue.number = 60;
    issue.title = QStringLiteral("New issue");
    issue.author = QStringLiteral("theo");
    issue.labels = {QStringLiteral("ui")};
    hub.addIssue(QStringLiteral("acme/api"), issue);
    EXPECT_EQ(at(http.json("/repos/acme/api/issues"), QStringLiteral("[0].title")).toString(),
              QStringLiteral("New issue"));

    hub.closePullRequest(QStringLiteral("acme/api"), 1, true);
    EXPECT_EQ(http.json("/search/issues?q=type:pr+state:open+author:mona")[QStringLiteral("total_count")]
                  .toInteger(),
              0);
    EXPECT_TRUE(http.json("/repos/acme/api/pulls/1")[QStringLiteral("merged")].toBool());

    PullRequest pr;
    pr.repository = QStringLiteral("acme/api");
    pr.number = 61;
    pr.title = QStringLiteral("Fresh");
    pr.author = QStringLiteral("mona");
    hub.addPullRequest(pr);
    hub.setUpdatedAt(QStringLiteral("acme/api"), 61,
                     QDateTime(QDate(2020, 1, 1), QTime(0, 0), QTimeZone::utc()));
    EXPECT_EQ(at(http.json("/search/issues?q=type:pr+state:open+author:mona"),
                 QStringLiteral("items[0].updated_at"))
                  .toString(),
              QStringLiteral("2020-01-01T00:00:00Z"));

    // Mistakes in a test are loud.
    EXPECT_THROW(hub.addReview(QStringLiteral("acme/api"), 999, Review{}), std::invalid_argument);
    EXPECT_THROW(hub.addIssue(QStringLiteral("acme/api"), issue), std::invalid_argument); // number 60 taken
    EXPECT_THROW(hub.requestReview(QStringLiteral("acme/none"), 1, QStringLiteral("mona")),
                 std::invalid_argument);
}

TEST(Timeline, TheDemoWorldChangesOneEventAtATimeAsMonaSeesIt)
{
    FakeHub hub(Scenario::fromFile(demoPath()));
    Http http(hub);
    const auto count = [&](const std::string& query) {
        return http
            .json("/search/issues?q=type:pr+state:open+archived:false+" + query,
                  "demo-token")[QStringLiteral("total_count")]
            .toInteger();
    };
    const auto lastReview = [&](const std::string& pull) {
        const QJsonArray reviews = http.json("/repos/" + pull + "/reviews", "demo-token").toArray();
        return reviews.isEmpty()
                   ? QString()
                   : reviews.last()[QStringLiteral("state")].toString() + QLatin1Char(' ') +
                         reviews.last()[QStringLiteral("user")][QStringLiteral("login")].toString();
    };
    const std::string apiHead = hub.headSha(QStringLiteral("northwind/api"), 310).toStdString();
    const auto testRun = [&] {
        const QJsonArray runs = http.json("/repos/northwind/api/commits/" + apiHead + "/check-runs",
                                          "demo-token")[QStringLiteral("check_runs")]
                                    .toArray();
        for (const QJsonValue& run : runs) {
            if (run[QStringLiteral("name")] == QStringLiteral("test"))
                return run[QStringLiteral("conclusion")].toString();
        }
        return QString();
    };
    const auto production = [&] {
        const QJsonValue deployments =
            http.json("/repos/northwind/api/deployments?environment=production", "demo-token");
        const std::string id =
            QString::number(at(deployments, QStringLiteral("[0].id")).toInteger()).toStdString();
        const QJsonValue runs = http.json("/repos/northwind/api/actions/runs", "demo-token");
        QString run;
        for (const QJsonValue& r : runs[QStringLiteral("workflow_runs")].toArray()) {
            if (r[QStringLiteral("name")] == QStringLiteral("Deploy to production") && run.isEmpty())
                run = r[QStringLiteral("status")].toString();
        }
        return at(http.json("/repos/northwind/api/deployments/" + id + "/statuses", "demo-token"),
                  QStringLiteral("[0].state"))
                   .toString() +
               QLatin1Char(' ') + run;
    };
    const auto openIssues = [&] {
        return http
            .json("/search/issues?q=type:issue+state:open+repo:northwind/api",
                  "demo-token")[QStringLiteral("total_count")]
            .toInteger();
    };

    const qint64 requested = count("review-requested:mona");
    const qint64 issues = openIssues();
    EXPECT_EQ(testRun(), QStringLiteral("success"));
    EXPECT_EQ(lastReview("northwind/web/pulls/95"), QString());
    EXPECT_EQ(lastReview("northwind/mobile/pulls/520"), QStringLiteral("APPROVED jonas"));
    EXPECT_EQ(production(), QStringLiteral("in_progress in_progress"));

    // Nothing is due before the first event, and each step plays only what is due.
    EXPECT_EQ(hub.playTimeline(std::chrono::seconds(9)), 0);
    const std::vector<std::pair<int, std::function<void()>>> steps = {
        {10, [&] { EXPECT_EQ(count("review-requested:mona"), requested + 1); }},
        {30, [&] { EXPECT_EQ(testRun(), QStringLiteral("failure")); }},
        {50, [&] { EXPECT_EQ(lastReview("northwind/web/pulls/95"), QStringLiteral("APPROVED priya")); }},
        {70,
         [&] {
             EXPECT_EQ(lastReview("northwind/mobile/pulls/520"), QStringLiteral("CHANGES_REQUESTED keiko"));
         }},
        {90, [&] { EXPECT_EQ(openIssues(), issues + 1); }},
        {110, [&] { EXPECT_EQ(production(), QStringLiteral("success completed")); }},
    };
    for (const auto& [at, check] : steps) {
        SCOPED_TRACE(at);
        ASSERT_EQ(hub.nextTimelineEvent(), std::chrono::seconds(at));
        EXPECT_GE(hub.playTimeline(std::chrono::seconds(at)), 1);
        check();
    }
    EXPECT_EQ(hub.nextTimelineEvent(), std::nullopt);
    EXPECT_EQ(hub.playTimeline(std::chrono::hours(1)), 0); // nothing plays twice
    EXPECT_EQ(count("review-requested:mona"), requested + 1);
}

TEST(Timeline, ARevokedTokenIsRefusedFromThenOn)
{
    QString json = QString::fromUtf8(kWorld);
    json.replace(QStringLiteral("\"pull_requests\": ["),
                 QStringLiteral("\"timeline\": [{\"at\": 5, \"kind\": \"revoke_token\", \"user\": \"mona\", "
                                "\"token\": \"t-mona\"}], \"pull_requests\": ["));
    FakeHub hub(Scenario::fromJson(json.toUtf8()));
    Http http(hub);
    EXPECT_EQ(http.get("/user")->status, 200);
    EXPECT_EQ(hub.playTimeline(std::chrono::seconds(5)), 1);
    EXPECT_EQ(http.get("/user")->status, 401);
    EXPECT_EQ(http.get("/user", "t-theo")->status, 200);
}

TEST(Notifications, TheFeedFollowsTheWorldAndAnswersAnUnchangedAsk304ForFree)
{
    QString json = QString::fromUtf8(kWorld);
    json.replace(QStringLiteral("\"tokens\": [\"t-theo\"]"),
                 QStringLiteral("\"tokens\": [\"t-theo\"], \"fine_grained_tokens\": [\"f-theo\"]"));
    json.replace(QStringLiteral("\"pull_requests\": ["),
                 QStringLiteral("\"timeline\": [{\"at\": 1, \"kind\": \"comment\", \"repository\": \"acme/api\", "
                                "\"number\": 1, \"user\": \"priya\"}, {\"at\": 2, \"kind\": \"assign\", "
                                "\"repository\": \"acme/api\", \"number\": 4, \"user\": \"mona\"}], \"pull_requests\": ["));
    FakeHub::Options options;
    options.feedPollIntervalSecs = 2;
    FakeHub hub(Scenario::fromJson(json.toUtf8()), options);
    Http http(hub);
    const auto ask = [&](const std::string& token, const std::string& since = {}) {
        httplib::Headers headers{{"Authorization", "token " + token}};
        if (!since.empty())
            headers.emplace("If-Modified-Since", since);
        httplib::Client client("127.0.0.1", hub.port());
        return client.Get("/notifications", headers);
    };
    const auto first = ask("t-mona");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 200);
    EXPECT_EQ(parseBody(first->body).toArray().size(), 0);
    EXPECT_EQ(first->get_header_value("X-Poll-Interval"), "2");
    const std::string modified = first->get_header_value("Last-Modified");
    EXPECT_EQ(modified, "Sun, 06 Dec 2026 12:00:00 GMT") << "an empty feed dates from the world's now";

    const int used = hub.rateLimit(QStringLiteral("t-mona")).used;
    const auto unchanged = ask("t-mona", modified);
    ASSERT_TRUE(unchanged);
    EXPECT_EQ(unchanged->status, 304);
    EXPECT_EQ(unchanged->get_header_value("X-Poll-Interval"), "2");
    EXPECT_EQ(hub.rateLimit(QStringLiteral("t-mona")).used, used) << "a 304 costs nothing";

    // Mona is asked to review #4, then theo reviews her #1: a thread each in her feed, newest first; the
    // reviewer's own feed stays empty.
    hub.requestReview(QStringLiteral("acme/api"), 4, QStringLiteral("mona"));
    Review review;
    review.user = QStringLiteral("theo");
    review.state = QStringLiteral("COMMENTED");
    hub.addReview(QStringLiteral("acme/api"), 1, review);
    const auto changed = ask("t-mona", modified);
    ASSERT_TRUE(changed);
    ASSERT_EQ(changed->status, 200);
    EXPECT_NE(changed->get_header_value("Last-Modified"), modified);
    const QJsonArray threads = parseBody(changed->body).toArray();
    ASSERT_EQ(threads.size(), 2);
    EXPECT_EQ(threads[0][QStringLiteral("reason")].toString(), QStringLiteral("author"));
    EXPECT_EQ(threads[1][QStringLiteral("reason")].toString(), QStringLiteral("review_requested"));
    EXPECT_EQ(threads[1][QStringLiteral("subject")][QStringLiteral("url")].toString(),
              hub.baseUrl() + QStringLiteral("/repos/acme/api/pulls/4"));
    EXPECT_EQ(threads[1][QStringLiteral("repository")][QStringLiteral("full_name")].toString(),
              QStringLiteral("acme/api"));
    EXPECT_EQ(ask("t-mona", changed->get_header_value("Last-Modified"))->status, 304);
    EXPECT_EQ(parseBody(ask("t-theo")->body).toArray().size(), 0);

    // A fine-grained token authenticates but cannot read the feed, as on GitHub.
    EXPECT_EQ(http.get("/user", "f-theo")->status, 200);
    EXPECT_EQ(ask("f-theo")->status, 403);

    // A comment on her pull request and an assignment renew the threads they concern.
    EXPECT_EQ(hub.playTimeline(std::chrono::seconds(2)), 2);
    const QJsonArray renewed = parseBody(ask("t-mona")->body).toArray();
    ASSERT_EQ(renewed.size(), 2);
    EXPECT_EQ(renewed[0][QStringLiteral("reason")].toString(), QStringLiteral("assign"));
    EXPECT_EQ(renewed[1][QStringLiteral("reason")].toString(), QStringLiteral("author"));
    EXPECT_EQ(http.json("/repos/acme/api/pulls/1")[QStringLiteral("comments")].toInt(), 3);
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
            ASSERT_EQ(http.get("/user")->status, 200);
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
