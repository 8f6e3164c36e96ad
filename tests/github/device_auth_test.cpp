#include "github/github_device_auth.h"
#include "support/run_task.h"
#include "support/wait.h"
#include "support/world.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTimer>

#include <qcoro/qcorotimer.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace norvane;
using namespace norvane::testing;
using namespace std::chrono_literals;
using Kind = DeviceAuthState::Kind;

namespace {

const QString kClientId = QStringLiteral("Ov23liNorvaneTest001");
const QString kTokenPath = QStringLiteral("/login/oauth/access_token");
const QString kCodePath = QStringLiteral("/login/device/code");
const QString kNotConfigured =
    QStringLiteral("GitHub OAuth App not configured.\nSee GitHubDeviceAuth for setup instructions.");
const QString kConnectPrefix = QStringLiteral("Failed to connect to GitHub: ");
const QString kExpired = QStringLiteral("Authorization code expired. Please try again.");
const QString kNoUsername = QStringLiteral("Authorized, but couldn't fetch your GitHub username.");

// Virtual time for the flow. Each sleep is logged with the number of polls fakehub had seen when it began,
// takes a couple of real milliseconds (or, while `held`, until released or interrupted), then moves this
// clock and fakehub's device-flow clock forward by the seconds slept, so fakehub judges the poll rate and
// the code's lifetime on the same time line as the client.
class VirtualTimer final : public DeviceAuthTimer {
public:
    struct Sleep {
        int seconds;
        std::size_t pollsBefore;
    };

    explicit VirtualTimer(fakehub::FakeHub& hub) : m_hub(hub) {}

    QDateTime now() const override { return m_start.addSecs(m_elapsed); }

    QCoro::Task<> sleep(int seconds, CancelToken interrupt) override
    {
        const std::size_t index = sleeps.size();
        sleeps.push_back({seconds, m_hub.requests(QStringLiteral("POST"), kTokenPath).size()});
        ++sleeping;
        if (onSleep)
            onSleep(index);
        const auto interrupted = [&] { return interrupt && interrupt->isCancelled(); };
        do {
            co_await QCoro::sleepFor(2ms);
        } while (held && !interrupted());
        --sleeping;
        if (!interrupted())
            advance(seconds);
    }

    // Moves only the client's clock: fakehub keeps its own idea of the time.
    void advanceClientOnly(int seconds) { m_elapsed += seconds; }
    void advance(int seconds)
    {
        m_elapsed += seconds;
        m_hub.advanceClock(std::chrono::seconds(seconds));
    }

    std::vector<int> intervals() const
    {
        std::vector<int> out;
        for (const Sleep& s : sleeps)
            out.push_back(s.seconds);
        return out;
    }

    std::vector<Sleep> sleeps;
    int sleeping = 0;
    bool held = false;
    std::function<void(std::size_t)> onSleep; // called as sleep number `index` (from 0) begins

private:
    fakehub::FakeHub& m_hub;
    QDateTime m_start = QDateTime::currentDateTimeUtc();
    qint64 m_elapsed = 0;
};

fh::OAuthApp oauthApp(int interval = 5, int expiresIn = 900, QString autoApproveAs = {})
{
    fh::OAuthApp app;
    app.clientId = kClientId;
    app.interval = interval;
    app.expiresIn = expiresIn;
    app.autoApproveAs = std::move(autoApproveAs);
    return app;
}

QByteArray oauthError(const char* error, const char* description = nullptr)
{
    QByteArray body = QByteArray("{\"error\":\"") + error + '"';
    if (description)
        body += QByteArray(",\"error_description\":\"") + description + '"';
    return body + '}';
}

fh::Fault pollAnswer(QByteArray body, int status = 200)
{
    return fh::Fault::httpStatus(QStringLiteral("POST"), kTokenPath, status, std::move(body));
}

class DeviceAuthTest : public ::testing::Test {
protected:
    void start(fh::OAuthApp app = oauthApp())
    {
        fh::Scenario world = baseWorld();
        world.oauthApp = std::move(app);
        hub = std::make_unique<fh::FakeHub>(std::move(world));
        timer = std::make_shared<VirtualTimer>(*hub);
    }

    GitHubDeviceAuth& make(QString clientId = kClientId, QString webBase = {}, QString apiBase = {})
    {
        GitHubDeviceAuth::Config config;
        config.clientId = std::move(clientId);
        config.webBaseURL = webBase.isEmpty() ? hub->baseUrl() : webBase;
        config.apiBaseURL = apiBase.isEmpty() ? hub->baseUrl() : apiBase;
        auth = std::make_unique<GitHubDeviceAuth>(HttpSession(&nam, QStringLiteral("Norvane/test")), config,
                                                  timer);
        states.clear();
        results.clear();
        QObject::connect(auth.get(), &GitHubDeviceAuth::stateChanged,
                         [this](const DeviceAuthState& s) { states.push_back(s); });
        QObject::connect(auth.get(), &GitHubDeviceAuth::resultChanged,
                         [this](const std::optional<AuthResult>& r) { results.push_back(r); });
        return *auth;
    }

    void TearDown() override
    {
        // The loop may still be asleep; let it wake, see its object gone and end before the hub goes.
        auth.reset();
        if (timer) {
            timer->held = false;
            EXPECT_TRUE(waitUntil([&] { return timer->sleeping == 0; }));
        }
    }

    // Until the flow has failed or produced a result.
    bool settles(int ms = 10000)
    {
        return waitUntil([&] { return auth->state().kind == Kind::failed || auth->result().has_value(); },
                         ms);
    }

    // A fresh flow whose loop is held in its first sleep.
    bool startAndFallAsleep()
    {
        start();
        make();
        timer->held = true;
        auth->startFlow();
        return waitUntil([&] { return timer->sleeping == 1; });
    }

    void runFor(int ms)
    {
        waitUntil([] { return false; }, ms);
    }

    std::vector<Kind> kinds() const
    {
        std::vector<Kind> out;
        for (const auto& s : states)
            out.push_back(s.kind);
        return out;
    }

    std::vector<fh::RecordedRequest> polls() const
    {
        return hub->requests(QStringLiteral("POST"), kTokenPath);
    }

    QString userCode() const { return auth->state().userCode; }

    QNetworkAccessManager nam;
    std::unique_ptr<fh::FakeHub> hub;
    std::shared_ptr<VirtualTimer> timer;
    std::unique_ptr<GitHubDeviceAuth> auth;
    std::vector<DeviceAuthState> states;
    std::vector<std::optional<AuthResult>> results;
};

TEST_F(DeviceAuthTest, SignsInAndPublishesTheResultWhileTheStateStaysAwaiting)
{
    start();
    // The login lookup goes to the API host, here a second fake that knows the same users.
    fh::FakeHub api(baseWorld());
    make(kClientId, hub->baseUrl(), api.baseUrl());
    timer->onSleep = [&](std::size_t) { hub->approveDeviceCode(userCode(), QStringLiteral("alice")); };

    const QDateTime started = timer->now();
    auth->startFlow();
    ASSERT_TRUE(settles());

    EXPECT_EQ(auth->result(), (AuthResult{QStringLiteral("tok-alice"), QStringLiteral("alice")}));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::loading, Kind::awaitingAuthorization}));
    const fh::DeviceCode issued = hub->deviceCodes().at(0);
    EXPECT_EQ(auth->state().userCode, issued.userCode);
    EXPECT_EQ(auth->state().verificationURL, QUrl(hub->baseUrl() + QStringLiteral("/login/device")));
    EXPECT_EQ(auth->state().expiresAt, started.addSecs(900));

    const auto requests = hub->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, kCodePath);
    EXPECT_EQ(requests[0].body, "client_id=" + kClientId.toUtf8() + "&scope=repo");
    EXPECT_EQ(requests[1].path, kTokenPath);
    EXPECT_EQ(requests[1].body, "client_id=" + kClientId.toUtf8() +
                                    "&device_code=" + issued.deviceCode.toUtf8() +
                                    "&grant_type=urn:ietf:params:oauth:grant-type:device_code");
    for (const auto& r : requests) {
        EXPECT_EQ(r.method, QStringLiteral("POST"));
        EXPECT_EQ(r.header(QStringLiteral("Accept")), QStringLiteral("application/json"));
        EXPECT_EQ(r.header(QStringLiteral("Content-Type")),
                  QStringLiteral("application/x-www-form-urlencoded"));
    }
    const auto lookups = api.requests();
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(lookups[0].method + QLatin1Char(' ') + lookups[0].path, QStringLiteral("GET /user"));
    EXPECT_EQ(lookups[0].header(QStringLiteral("Authorization")), QStringLiteral("token tok-alice"));
    EXPECT_EQ(lookups[0].header(QStringLiteral("Accept")), QStringLiteral("application/vnd.github+json"));
    // The only poll came one full interval after the code was shown.
    ASSERT_EQ(timer->sleeps.size(), 1u);
    EXPECT_EQ(timer->sleeps[0].seconds, 5);
    EXPECT_EQ(timer->sleeps[0].pollsBefore, 0u);

    // Cancelling afterwards goes back to idle but keeps what was obtained.
    auth->cancel();
    EXPECT_EQ(auth->state().kind, Kind::idle);
    EXPECT_TRUE(auth->result().has_value());
}

TEST_F(DeviceAuthTest, KeepsPollingWhilePendingAndSucceedsOnceApproved)
{
    start();
    make();
    timer->onSleep = [&](std::size_t index) {
        if (index == 2)
            hub->approveDeviceCode(userCode(), QStringLiteral("bob"));
    };
    auth->startFlow();
    ASSERT_TRUE(settles());

    EXPECT_EQ(auth->result(), (AuthResult{QStringLiteral("tok-bob"), QStringLiteral("bob")}));
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::loading, Kind::awaitingAuthorization}));
    ASSERT_EQ(timer->sleeps.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(timer->sleeps[i].seconds, 5);
        EXPECT_EQ(timer->sleeps[i].pollsBefore, i) << "one poll per interval";
    }
    EXPECT_EQ(polls().size(), 3u);
}

TEST_F(DeviceAuthTest, SlowDownRaisesTheIntervalForTheRestOfTheFlow)
{
    const QByteArray slowDown =
        oauthError("slow_down", "Too many requests have been made in the same timeframe.");
    const QByteArray pending = oauthError("authorization_pending");
    struct Case {
        const char* name;
        int interval;              // what GitHub hands out with the code
        QList<QByteArray> answers; // the polls before the one that redeems the approved code
        std::vector<int> sleeps;
    };
    const Case cases[] = {
        {"two slow_downs in a row", 5, {slowDown, slowDown, pending}, {5, 10, 15, 15}},
        {"pending in between keeps the raised interval",
         7,
         {slowDown, pending, slowDown, pending},
         {7, 12, 12, 17, 17}},
        // The interval GitHub suggests along with slow_down is not taken over: the step is always 5 seconds.
        {"a suggested interval is ignored",
         5,
         {R"({"error":"slow_down","interval":60})", pending},
         {5, 10, 10}},
        {"an interval below a second is raised to one", 0, {pending}, {1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        start(oauthApp(c.interval, 900, QStringLiteral("alice")));
        make();
        for (const QByteArray& answer : c.answers)
            hub->injectFault(pollAnswer(answer).times(1));
        auth->startFlow();
        ASSERT_TRUE(settles());
        EXPECT_TRUE(auth->result().has_value()) << auth->state().message.toStdString();
        EXPECT_EQ(timer->intervals(), c.sleeps);
    }
}

TEST_F(DeviceAuthTest, SlowDownFromPollingTooEarlyIsHonoured)
{
    start(oauthApp(5, 900, QStringLiteral("alice")));
    make();
    // The first wait passes only 2 seconds on fakehub's clock, so it sees the poll as too early.
    timer->onSleep = [&](std::size_t index) {
        if (index == 0)
            hub->advanceClock(-3s);
    };
    auth->startFlow();
    ASSERT_TRUE(settles());
    EXPECT_TRUE(auth->result().has_value());
    EXPECT_EQ(timer->intervals(), (std::vector<int>{5, 10}));
}

TEST_F(DeviceAuthTest, NetworkTroubleWhilePollingCountsAsPending)
{
    struct Case {
        const char* name;
        fh::Fault fault;
    };
    const QString post = QStringLiteral("POST");
    const Case cases[] = {
        {"connection dropped", fh::Fault::dropConnection(post, kTokenPath)},
        {"connection dropped mid-body", fh::Fault::dropMidBody(post, kTokenPath)},
        {"malformed JSON", fh::Fault::malformedJson(post, kTokenPath)},
        {"truncated JSON", fh::Fault::truncatedJson(post, kTokenPath)},
        {"HTML error page", pollAnswer("<html>502 Bad Gateway</html>", 502)},
        {"JSON array", pollAnswer("[]")},
        {"error of the wrong type", pollAnswer(R"({"error":42})")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        start();
        make();
        // Approved only after the two spoilt polls: a spoilt answer that carried the token would lose it.
        hub->injectFault(fh::Fault(c.fault).times(2));
        timer->onSleep = [&](std::size_t index) {
            if (index == 2)
                hub->approveDeviceCode(userCode(), QStringLiteral("alice"));
        };
        auth->startFlow();
        ASSERT_TRUE(settles());
        EXPECT_TRUE(auth->result().has_value()) << auth->state().message.toStdString();
        EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::loading, Kind::awaitingAuthorization}));
        EXPECT_EQ(timer->intervals(), (std::vector<int>{5, 5, 5}));
    }
}

TEST_F(DeviceAuthTest, ExpiryIsNoticedOnlyAtTheNextPass)
{
    // The code lives 12 seconds: polls at 5 and 10; the second is still in flight when the client's clock
    // passes 12. Its answer counts; the expiry is seen after the following sleep.
    struct Case {
        const char* name;
        bool approveBeforeSecondPoll;
    };
    for (const Case c : {Case{"pending answer", false}, Case{"token answer", true}}) {
        SCOPED_TRACE(c.name);
        TearDown();
        start(oauthApp(5, 12));
        make();
        timer->onSleep = [&](std::size_t index) {
            if (index == 1 && c.approveBeforeSecondPoll)
                hub->approveDeviceCode(userCode(), QStringLiteral("alice"));
            if (index == 1)
                hub->injectFault(fh::Fault::delayed(QStringLiteral("POST"), kTokenPath, 1500ms));
        };
        auth->startFlow();
        ASSERT_TRUE(waitUntil([&] { return polls().size() == 2; }));
        timer->advanceClientOnly(5);
        ASSERT_TRUE(settles());

        if (c.approveBeforeSecondPoll) {
            EXPECT_EQ(auth->result(), (AuthResult{QStringLiteral("tok-alice"), QStringLiteral("alice")}));
            EXPECT_EQ(auth->state().kind, Kind::awaitingAuthorization);
            EXPECT_EQ(timer->intervals(), (std::vector<int>{5, 5}));
        } else {
            EXPECT_EQ(auth->state(), DeviceAuthState::failed(kExpired));
            EXPECT_FALSE(auth->result().has_value());
            EXPECT_EQ(timer->intervals(), (std::vector<int>{5, 5, 5}));
        }
        EXPECT_EQ(polls().size(), 2u);
    }
}

TEST_F(DeviceAuthTest, PollAnswersThatEndTheFlow)
{
    struct Case {
        const char* name;
        std::function<void()> arrange; // runs as the first sleep begins
        QString message;
    };
    const auto answer = [this](QByteArray body, int status = 200) {
        return [this, body, status] { hub->injectFault(pollAnswer(body, status)); };
    };
    const Case cases[] = {
        {"user denied", [this] { hub->denyDeviceCode(userCode()); },
         QStringLiteral("Access denied by user.")},
        // fakehub's clock runs past the code's lifetime while the client's does not.
        {"GitHub says expired", [this] { hub->advanceClock(1h); },
         QStringLiteral("Code expired. Please try again.")},
        {"known error with its own description", answer(oauthError("access_denied", "Nope")),
         QStringLiteral("Access denied by user.")},
        {"other error with a description",
         answer(oauthError("incorrect_device_code", "The code is not valid.")),
         QStringLiteral("The code is not valid.")},
        {"other error without a description", answer(oauthError("unsupported_grant_type")),
         QStringLiteral("unsupported_grant_type")},
        {"status is not looked at", answer(oauthError("bad_verification_code"), 400),
         QStringLiteral("bad_verification_code")},
        {"description alone", answer(R"({"error_description":"Something odd"})"),
         QStringLiteral("Something odd")},
        {"empty object", answer("{}"), QStringLiteral("Unknown error from GitHub")},
        {"null error", answer(R"({"error":null})"), QStringLiteral("Unknown error from GitHub")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        start();
        make();
        timer->onSleep = [&](std::size_t index) {
            if (index == 0)
                c.arrange();
        };
        auth->startFlow();
        ASSERT_TRUE(settles());
        EXPECT_EQ(auth->state(), DeviceAuthState::failed(c.message));
        EXPECT_FALSE(auth->result().has_value());
        EXPECT_EQ(polls().size(), 1u);
        EXPECT_TRUE(hub->requests(QStringLiteral("GET"), QStringLiteral("/user")).empty());
    }
}

TEST_F(DeviceAuthTest, TokenWithoutUsernameIsDropped)
{
    struct Case {
        const char* name;
        fh::Fault fault;
    };
    const QString get = QStringLiteral("GET");
    const QString user = QStringLiteral("/user");
    const Case cases[] = {
        {"connection dropped", fh::Fault::dropConnection(get, user)},
        {"server error page", fh::Fault::httpStatus(get, user, 500, "<html>oops</html>")},
        {"bad credentials", fh::Fault::httpStatus(get, user, 401)},
        {"login of the wrong type", fh::Fault::httpStatus(get, user, 200, R"({"login":42})")},
        {"no login", fh::Fault::httpStatus(get, user, 200, R"({"name":"Alice"})")},
        {"array", fh::Fault::httpStatus(get, user, 200, R"([{"login":"alice"}])")},
        {"malformed JSON", fh::Fault::malformedJson(get, user)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        start(oauthApp(5, 900, QStringLiteral("alice")));
        make();
        hub->injectFault(c.fault);
        auth->startFlow();
        ASSERT_TRUE(settles());
        EXPECT_EQ(auth->state(), DeviceAuthState::failed(kNoUsername));
        EXPECT_FALSE(auth->result().has_value());
        EXPECT_TRUE(results.empty());
        EXPECT_FALSE(hub->requests(get, user).empty());
    }
}

TEST_F(DeviceAuthTest, CancelWhileAsleepEndsTheLoopWithoutAnotherRequest)
{
    for (std::size_t atSleep : {0u, 2u}) {
        SCOPED_TRACE(atSleep);
        TearDown();
        start();
        make();
        timer->onSleep = [&](std::size_t index) { timer->held = index == atSleep; };
        auth->startFlow();
        ASSERT_TRUE(waitUntil([&] { return timer->sleeps.size() == atSleep + 1 && timer->sleeping == 1; }));

        auth->cancel();
        EXPECT_EQ(auth->state(), DeviceAuthState::idle());
        // Cancelling wakes the sleep; the loop ends without polling again.
        ASSERT_TRUE(waitUntil([&] { return timer->sleeping == 0; }));
        runFor(100);
        EXPECT_EQ(polls().size(), atSleep);
        EXPECT_EQ(timer->sleeps.size(), atSleep + 1);
        EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::loading, Kind::awaitingAuthorization, Kind::idle}));
        EXPECT_FALSE(auth->result().has_value());
    }
}

TEST_F(DeviceAuthTest, CancelWhileTheCodeIsRequestedStaysIdle)
{
    start();
    make();
    hub->injectFault(fh::Fault::delayed(QStringLiteral("POST"), kCodePath, 300ms));
    auth->startFlow();
    ASSERT_TRUE(waitUntil([&] { return hub->requests().size() == 1; }));
    auth->cancel();
    runFor(600); // well past the moment the code would have arrived
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::loading, Kind::idle}));
    EXPECT_TRUE(timer->sleeps.empty());
}

TEST_F(DeviceAuthTest, DestroyingTheObjectStopsItsLoop)
{
    ASSERT_TRUE(startAndFallAsleep());
    auth.reset();
    ASSERT_TRUE(waitUntil([&] { return timer->sleeping == 0; }));
    runFor(100);
    EXPECT_TRUE(polls().empty());
}

TEST_F(DeviceAuthTest, StartingAgainReplacesTheRunningOrFailedFlow)
{
    ASSERT_TRUE(startAndFallAsleep());
    const QString firstCode = userCode();

    // Again while the first flow sleeps: its loop ends, only the new code is polled.
    auth->startFlow();
    ASSERT_TRUE(waitUntil([&] { return timer->sleeps.size() == 2 && timer->sleeping == 1; }));
    EXPECT_NE(userCode(), firstCode);
    hub->denyDeviceCode(userCode());
    timer->held = false;
    ASSERT_TRUE(settles());
    EXPECT_EQ(auth->state(), DeviceAuthState::failed(QStringLiteral("Access denied by user.")));

    // Again after the failure ("Try Again"), with a code that gets approved.
    timer->onSleep = [&](std::size_t) { hub->approveDeviceCode(userCode(), QStringLiteral("me")); };
    auth->startFlow();
    ASSERT_TRUE(settles());
    EXPECT_EQ(auth->result(), (AuthResult{QStringLiteral("tok-me"), QStringLiteral("me")}));

    const auto codes = hub->deviceCodes();
    ASSERT_EQ(codes.size(), 3u);
    const auto all = polls();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_TRUE(all[0].body.contains(codes[1].deviceCode.toUtf8()));
    EXPECT_TRUE(all[1].body.contains(codes[2].deviceCode.toUtf8()));
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::loading, Kind::awaitingAuthorization, Kind::loading,
                                          Kind::awaitingAuthorization, Kind::failed, Kind::loading,
                                          Kind::awaitingAuthorization}));
}

TEST_F(DeviceAuthTest, DeviceCodeRequestFailures)
{
    // A port nobody listens on: bound, then released.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString closed = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
    probe.close();

    const QString post = QStringLiteral("POST");
    const auto codeReply = [&](QByteArray body) { return fh::Fault::httpStatus(post, kCodePath, 200, body); };
    struct Case {
        const char* name;
        QString clientId;
        QString webBase; // fakehub when empty
        std::optional<fh::Fault> fault;
        QString message; // exact, or the expected start when `prefixOnly`
        bool prefixOnly = false;
    };
    const Case cases[] = {
        // GitHub's JSON error object is not a device code.
        {"unknown client id",
         QStringLiteral("Ov23liSomeoneElse0000"),
         {},
         {},
         kConnectPrefix + QStringLiteral("key \"device_code\": missing")},
        {"nobody listening", kClientId, closed, {}, kConnectPrefix, true},
        {"connection dropped",
         kClientId,
         {},
         fh::Fault::dropConnection(post, kCodePath),
         kConnectPrefix,
         true},
        {"malformed JSON",
         kClientId,
         {},
         fh::Fault::malformedJson(post, kCodePath),
         kConnectPrefix + QStringLiteral("invalid JSON"),
         true},
        {"interval missing",
         kClientId,
         {},
         codeReply(
             R"({"device_code":"d","user_code":"U","verification_uri":"https://x.test/d","expires_in":900})"),
         kConnectPrefix + QStringLiteral("key \"interval\": missing")},
        {"lifetime as text",
         kClientId,
         {},
         codeReply(
             R"({"device_code":"d","user_code":"U","verification_uri":"https://x.test/d","expires_in":"900",)"
             R"("interval":5})"),
         kConnectPrefix + QStringLiteral("key \"expires_in\": expected an integer, found a string")},
        {"verification address with a space",
         kClientId,
         {},
         codeReply(R"({"device_code":"d","user_code":"U","verification_uri":"https://git hub.test/d",)"
                   R"("expires_in":900,"interval":5})"),
         QStringLiteral("Invalid verification URL returned by GitHub")},
        {"empty verification address",
         kClientId,
         {},
         codeReply(
             R"({"device_code":"d","user_code":"U","verification_uri":"","expires_in":900,"interval":5})"),
         QStringLiteral("Invalid verification URL returned by GitHub")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        start();
        make(c.clientId, c.webBase);
        if (c.fault)
            hub->injectFault(*c.fault);
        auth->startFlow();
        ASSERT_TRUE(settles());
        ASSERT_EQ(auth->state().kind, Kind::failed);
        const QString message = auth->state().message;
        if (c.prefixOnly)
            EXPECT_TRUE(message.startsWith(c.message) && message.size() > kConnectPrefix.size())
                << message.toStdString();
        else
            EXPECT_EQ(message, c.message);
        EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::loading, Kind::failed}));
        EXPECT_TRUE(timer->sleeps.empty());
        EXPECT_TRUE(polls().empty());
    }
}

TEST_F(DeviceAuthTest, UnconfiguredClientIdFailsWithoutAnyRequest)
{
    for (const QString& clientId : {QStringLiteral("YOUR_CLIENT_ID_HERE"), QString()}) {
        SCOPED_TRACE(clientId.toStdString());
        TearDown();
        start();
        make(clientId);
        auth->startFlow();
        EXPECT_EQ(auth->state(), DeviceAuthState::failed(kNotConfigured));
        EXPECT_EQ(kinds(), std::vector<Kind>{Kind::failed});
        runFor(50);
        EXPECT_TRUE(hub->requests().empty());
    }
}

TEST(GitHubDeviceAuthClientId, TheEnvironmentOverridesTheBuildOnlyWithARealValue)
{
    const char* const variable = GitHubDeviceAuth::kClientIdVariable;
    const std::optional<QByteArray> saved =
        qEnvironmentVariableIsSet(variable) ? std::optional(qgetenv(variable)) : std::nullopt;
    struct Case {
        std::optional<QByteArray> value; // absent: unset
        QString expected;                // empty: the build's client id
    };
    const Case cases[] = {
        {std::nullopt, {}},
        {QByteArray(""), {}},
        {QByteArray("  \n"), {}},
        {QByteArray("Ov23liFromTheShell01"), QStringLiteral("Ov23liFromTheShell01")},
        {QByteArray(" Ov23liFromTheShell01\n"), QStringLiteral("Ov23liFromTheShell01")},
        {QByteArray("YOUR_CLIENT_ID_HERE"), QStringLiteral("YOUR_CLIENT_ID_HERE")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value->toStdString() : "unset");
        if (c.value)
            qputenv(variable, *c.value);
        else
            qunsetenv(variable);
        EXPECT_EQ(GitHubDeviceAuth::clientIdFromEnvironment(),
                  c.expected.isEmpty() ? GitHubDeviceAuth::buildClientId() : c.expected);
    }
    if (saved)
        qputenv(variable, *saved);
    else
        qunsetenv(variable);
}

TEST(RealDeviceAuthTimer, SleepsItsSecondsUnlessInterrupted)
{
    struct Case {
        const char* name;
        int cancelAfterMs; // -1: never; 0: before the sleep begins
        qint64 minMs, maxMs;
    };
    const Case cases[] = {
        // Never early: GitHub counts an early poll as too fast.
        {"full second", -1, 995, 3000},
        // Below the full second, with room for a loaded machine.
        {"cancelled while asleep", 50, 40, 900},
        {"cancelled beforehand", 0, 0, 900},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RealDeviceAuthTimer timer;
        const CancelToken token = makeCancelToken();
        if (c.cancelAfterMs == 0)
            token->cancel();
        else if (c.cancelAfterMs > 0)
            QTimer::singleShot(c.cancelAfterMs, token.get(), [token] { token->cancel(); });
        QElapsedTimer clock;
        clock.start();
        runTask(timer.sleep(1, token));
        EXPECT_GE(clock.elapsed(), c.minMs);
        EXPECT_LE(clock.elapsed(), c.maxMs);
    }
}

} // namespace
