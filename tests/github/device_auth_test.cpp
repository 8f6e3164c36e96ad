#include "github/github_device_auth.h"
#include "support/run_task.h"
#include "support/wait.h"
#include "support/world.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <qcoro/qcorotimer.h>
#include <vector>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::testing;
using namespace std::chrono_literals;
using Kind = DeviceAuthState::Kind;

namespace {

const QString kClientId = u"Ov23liNorvaneTest001"_s;
const QString kTokenPath = u"/login/oauth/access_token"_s;
const QString kCodePath = u"/login/device/code"_s;
const QString kNotConfigured =
    u"GitHub OAuth App not configured.\nSee GitHubDeviceAuth for setup instructions."_s;
const QString kConnectPrefix = u"Failed to connect to GitHub: "_s;
const QString kExpired = u"Authorization code expired. Please try again."_s;
const QString kNoUsername = u"Authorized, but couldn't fetch your GitHub username."_s;

// Virtual time for the flow. Each sleep is logged with the number of polls fakehub had seen when it began,
// takes a couple of real milliseconds (or, while `held`, until released or interrupted), then moves this
// clock and fakehub's device-flow clock forward by the seconds slept, so fakehub judges the poll rate and
// the code's lifetime on the same time line as the client.
class VirtualTimer final : public DeviceAuthTimer
{
public:
    explicit VirtualTimer(fakehub::FakeHub& hub) : m_hub(hub) {}

    QDateTime now() const override { return m_start.addSecs(m_elapsed); }

    QCoro::Task<> sleep(int seconds, CancelToken interrupt) override
    {
        const std::size_t index = sleeps.size();
        sleeps.push_back(seconds);
        pollsBefore.push_back(m_hub.requests(u"POST"_s, kTokenPath).size());
        ++sleeping;
        if (onSleep)
            onSleep(index);
        const auto interrupted = [&] { return interrupt && interrupt->isCancelled(); };
        do {
            co_await QCoro::sleepFor(2ms);
        } while (held && !interrupted());
        --sleeping;
        if (!interrupted()) {
            m_elapsed += seconds;
            m_hub.advanceClock(std::chrono::seconds(seconds));
        }
    }

    // Moves only the client's clock: fakehub keeps its own idea of the time.
    void advanceClientOnly(int seconds) { m_elapsed += seconds; }

    std::vector<int> sleeps;              // the seconds of each sleep
    std::vector<std::size_t> pollsBefore; // the polls fakehub had seen as each began
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
    return {kClientId, expiresIn, interval, std::move(autoApproveAs)};
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
    return fh::Fault::httpStatus(u"POST"_s, kTokenPath, status, std::move(body));
}

class DeviceAuthTest : public ::testing::Test
{
protected:
    // A flow of its own (for each case of a table), the previous one ended first.
    void start(fh::OAuthApp app = oauthApp())
    {
        TearDown();
        fh::Scenario world = baseWorld();
        world.oauthApp = std::move(app);
        hub = std::make_unique<fh::FakeHub>(std::move(world));
        timer = std::make_shared<VirtualTimer>(*hub);
        make();
    }

    GitHubDeviceAuth& make(QString clientId = kClientId, QString apiBase = {})
    {
        GitHubDeviceAuth::Config config;
        config.clientId = std::move(clientId);
        config.webBaseURL = hub->baseUrl();
        config.apiBaseURL = apiBase.isEmpty() ? hub->baseUrl() : apiBase;
        auth = std::make_unique<GitHubDeviceAuth>(HttpSession(&nam, u"Norvane/test"_s), config, timer);
        kinds.clear();
        results = 0;
        QObject::connect(auth.get(), &GitHubDeviceAuth::stateChanged,
                         [this](const DeviceAuthState& s) { kinds.push_back(s.kind); });
        QObject::connect(auth.get(), &GitHubDeviceAuth::resultChanged, [this] { ++results; });
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
        timer->held = true;
        auth->startFlow();
        return waitUntil([&] { return timer->sleeping == 1; });
    }

    void runFor(int ms)
    {
        waitUntil([] { return false; }, ms);
    }

    std::vector<fh::RecordedRequest> polls() const { return hub->requests(u"POST"_s, kTokenPath); }

    QString userCode() const { return auth->state().userCode; }

    QNetworkAccessManager nam;
    std::unique_ptr<fh::FakeHub> hub;
    std::shared_ptr<VirtualTimer> timer;
    std::unique_ptr<GitHubDeviceAuth> auth;
    std::vector<Kind> kinds; // of every state published
    int results = 0;         // results published
};

TEST_F(DeviceAuthTest, SignsInAndPublishesTheResultWhileTheStateStaysAwaiting)
{
    start();
    // The login lookup goes to the API host, here a second fake that knows the same users.
    fh::FakeHub api(baseWorld());
    make(kClientId, api.baseUrl());
    // Approved while the third interval runs: two polls answered pending come first.
    timer->onSleep = [&](std::size_t index) {
        if (index == 2)
            hub->approveDeviceCode(userCode(), u"alice"_s);
    };

    const QDateTime started = timer->now();
    auth->startFlow();
    ASSERT_TRUE(settles());

    EXPECT_EQ(auth->result(), (AuthResult{u"tok-alice"_s, u"alice"_s}));
    EXPECT_EQ(results, 1);
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::loading, Kind::awaitingAuthorization}));
    const fh::DeviceCode issued = hub->deviceCodes().at(0);
    EXPECT_EQ(auth->state().userCode, issued.userCode);
    EXPECT_EQ(auth->state().verificationURL, QUrl(hub->baseUrl() + u"/login/device"_s));
    EXPECT_EQ(auth->state().expiresAt, started.addSecs(900));

    const auto requests = hub->requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].path, kCodePath);
    EXPECT_EQ(requests[0].body, "client_id=" + kClientId.toUtf8() + "&scope=repo");
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(requests[i].path, kTokenPath);
        EXPECT_EQ(requests[i].body, "client_id=" + kClientId.toUtf8() +
                                        "&device_code=" + issued.deviceCode.toUtf8() +
                                        "&grant_type=urn:ietf:params:oauth:grant-type:device_code");
        // One poll per full interval, the first one interval after the code was shown.
        EXPECT_EQ(timer->sleeps.at(i - 1), 5);
        EXPECT_EQ(timer->pollsBefore.at(i - 1), i - 1);
    }
    EXPECT_EQ(timer->sleeps.size(), 3u);
    for (const auto& r : requests) {
        EXPECT_EQ(r.method, u"POST"_s);
        EXPECT_EQ(r.header(u"Accept"_s), u"application/json"_s);
        EXPECT_EQ(r.header(u"Content-Type"_s), u"application/x-www-form-urlencoded"_s);
    }
    const auto lookups = api.requests();
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(lookups[0].method + u' ' + lookups[0].path, u"GET /user"_s);
    EXPECT_EQ(lookups[0].header(u"Authorization"_s), u"token tok-alice"_s);
    EXPECT_EQ(lookups[0].header(u"Accept"_s), u"application/vnd.github+json"_s);

    // Cancelling afterwards goes back to idle but keeps what was obtained.
    auth->cancel();
    EXPECT_EQ(auth->state().kind, Kind::idle);
    EXPECT_TRUE(auth->result().has_value());
}

// slow_down raises the interval for the rest of the flow; network trouble and answers that do not decode
// count as pending.
TEST_F(DeviceAuthTest, PollAnswersThatKeepTheFlowGoing)
{
    const auto once = [](QByteArray body, int status = 200) { return pollAnswer(body, status).times(1); };
    const fh::Fault slowDown =
        once(oauthError("slow_down", "Too many requests have been made in the same timeframe."));
    const fh::Fault pending = once(oauthError("authorization_pending"));
    const fh::Fault dropped = fh::Fault::dropConnection(u"POST"_s, kTokenPath).times(1);
    const fh::Fault html = once("<html>502 Bad Gateway</html>", 502);
    struct Case
    {
        const char* name;
        int interval;             // what GitHub hands out with the code
        QList<fh::Fault> answers; // the polls before the one that redeems the approved code
        std::vector<int> sleeps;
    };
    const Case cases[] = {
        // A pending answer after slow_down keeps the raised interval.
        {"two slow_downs in a row", 5, {slowDown, slowDown, pending}, {5, 10, 15, 15}},
        // The interval GitHub suggests along with slow_down is not taken over: the step is always 5 seconds.
        {"a suggested interval is ignored",
         5,
         {once(R"({"error":"slow_down","interval":60})"), pending},
         {5, 10, 10}},
        {"an interval below a second is raised to one", 0, {pending}, {1, 1}},
        // Qt sends a request again once when its connection drops: one poll meets both faults.
        {"connection dropped", 5, {dropped, dropped}, {5, 5}},
        {"HTML error page", 5, {html, html}, {5, 5, 5}},
        {"error of the wrong type", 5, {once(R"({"error":42})")}, {5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start(oauthApp(c.interval, 900, u"alice"_s));
        for (const fh::Fault& answer : c.answers)
            hub->injectFault(answer);
        auth->startFlow();
        ASSERT_TRUE(settles());
        EXPECT_TRUE(auth->result().has_value()) << auth->state().message.toStdString();
        EXPECT_EQ(kinds, (std::vector<Kind>{Kind::loading, Kind::awaitingAuthorization}));
        EXPECT_EQ(timer->sleeps, c.sleeps);
    }
}

TEST_F(DeviceAuthTest, ExpiryIsNoticedOnlyAtTheNextPass)
{
    // The code lives 12 seconds: polls at 5 and 10; the second is still in flight when the client's clock
    // passes 12. Its answer counts; the expiry is seen after the following sleep.
    struct Case
    {
        const char* name;
        bool approveBeforeSecondPoll;
    };
    for (const Case c : {Case{"pending answer", false}, Case{"token answer", true}}) {
        SCOPED_TRACE(c.name);
        start(oauthApp(5, 12));
        timer->onSleep = [&](std::size_t index) {
            if (index == 1 && c.approveBeforeSecondPoll)
                hub->approveDeviceCode(userCode(), u"alice"_s);
            if (index == 1)
                hub->injectFault(fh::Fault::delayed(u"POST"_s, kTokenPath, 1500ms));
        };
        auth->startFlow();
        ASSERT_TRUE(waitUntil([&] { return polls().size() == 2; }));
        timer->advanceClientOnly(5);
        ASSERT_TRUE(settles());

        if (c.approveBeforeSecondPoll) {
            EXPECT_EQ(auth->result(), (AuthResult{u"tok-alice"_s, u"alice"_s}));
            EXPECT_EQ(auth->state().kind, Kind::awaitingAuthorization);
            EXPECT_EQ(timer->sleeps, (std::vector<int>{5, 5}));
        } else {
            EXPECT_EQ(auth->state(), DeviceAuthState::failed(kExpired));
            EXPECT_FALSE(auth->result().has_value());
            EXPECT_EQ(timer->sleeps, (std::vector<int>{5, 5, 5}));
        }
        EXPECT_EQ(polls().size(), 2u);
    }
}

TEST_F(DeviceAuthTest, PollAnswersThatEndTheFlow)
{
    struct Case
    {
        const char* name;
        std::function<void()> arrange; // runs as the first sleep begins
        QString message;
    };
    const auto answer = [this](QByteArray body, int status = 200) {
        return [this, body, status] { hub->injectFault(pollAnswer(body, status)); };
    };
    const Case cases[] = {
        // fakehub's clock runs past the code's lifetime while the client's does not.
        {"GitHub says expired", [this] { hub->advanceClock(1h); }, u"Code expired. Please try again."_s},
        {"known error with its own description", answer(oauthError("access_denied", "Nope")),
         u"Access denied by user."_s},
        {"other error with a description",
         answer(oauthError("incorrect_device_code", "The code is not valid.")), u"The code is not valid."_s},
        // The status is not looked at.
        {"other error without a description", answer(oauthError("bad_verification_code"), 400),
         u"bad_verification_code"_s},
        {"description alone", answer(R"({"error_description":"Something odd"})"), u"Something odd"_s},
        {"empty object", answer("{}"), u"Unknown error from GitHub"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start();
        timer->onSleep = [&](std::size_t index) {
            if (index == 0)
                c.arrange();
        };
        auth->startFlow();
        ASSERT_TRUE(settles());
        EXPECT_EQ(auth->state(), DeviceAuthState::failed(c.message));
        EXPECT_FALSE(auth->result().has_value());
        EXPECT_EQ(polls().size(), 1u);
        EXPECT_TRUE(hub->requests(u"GET"_s, u"/user"_s).empty());
    }
}

TEST_F(DeviceAuthTest, TokenWithoutUsernameIsDropped)
{
    const QString get = u"GET"_s;
    const QString user = u"/user"_s;
    const std::pair<const char*, fh::Fault> cases[] = {
        {"connection dropped", fh::Fault::dropConnection(get, user)},
        {"bad credentials", fh::Fault::httpStatus(get, user, 401)},
        {"login of the wrong type", fh::Fault::httpStatus(get, user, 200, R"({"login":42})")},
    };
    for (const auto& [name, fault] : cases) {
        SCOPED_TRACE(name);
        start(oauthApp(5, 900, u"alice"_s));
        hub->injectFault(fault);
        auth->startFlow();
        ASSERT_TRUE(settles());
        EXPECT_EQ(auth->state(), DeviceAuthState::failed(kNoUsername));
        EXPECT_FALSE(auth->result().has_value());
        EXPECT_EQ(results, 0);
        EXPECT_FALSE(hub->requests(get, user).empty());
    }
}

TEST_F(DeviceAuthTest, CancelWhileAsleepEndsTheLoopWithoutAnotherRequest)
{
    for (std::size_t atSleep : {0u, 2u}) {
        SCOPED_TRACE(atSleep);
        start();
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
        EXPECT_EQ(kinds, (std::vector<Kind>{Kind::loading, Kind::awaitingAuthorization, Kind::idle}));
        EXPECT_FALSE(auth->result().has_value());
    }
}

TEST_F(DeviceAuthTest, CancelWhileTheCodeIsRequestedStaysIdle)
{
    start();
    hub->injectFault(fh::Fault::delayed(u"POST"_s, kCodePath, 300ms));
    auth->startFlow();
    ASSERT_TRUE(waitUntil([&] { return hub->requests().size() == 1; }));
    auth->cancel();
    runFor(600); // well past the moment the code would have arrived
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::loading, Kind::idle}));
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
    EXPECT_EQ(auth->state(), DeviceAuthState::failed(u"Access denied by user."_s));

    // Again after the failure ("Try Again"), with a code that gets approved.
    timer->onSleep = [&](std::size_t) { hub->approveDeviceCode(userCode(), u"me"_s); };
    auth->startFlow();
    ASSERT_TRUE(settles());
    EXPECT_EQ(auth->result(), (AuthResult{u"tok-me"_s, u"me"_s}));

    const auto codes = hub->deviceCodes();
    ASSERT_EQ(codes.size(), 3u);
    const auto all = polls();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_TRUE(all[0].body.contains(codes[1].deviceCode.toUtf8()));
    EXPECT_TRUE(all[1].body.contains(codes[2].deviceCode.toUtf8()));
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::loading, Kind::awaitingAuthorization, Kind::loading,
                                        Kind::awaitingAuthorization, Kind::failed, Kind::loading,
                                        Kind::awaitingAuthorization}));
}

TEST_F(DeviceAuthTest, DeviceCodeRequestFailuresAndAMissingClientId)
{
    const QString post = u"POST"_s;
    // A device code whose `key` is replaced by `value`.
    const auto codeReply = [&](const QString& key, const QJsonValue& value) {
        QJsonObject code{{u"device_code"_s, u"d"_s},
                         {u"user_code"_s, u"U"_s},
                         {u"verification_uri"_s, u"https://x.test/d"_s},
                         {u"expires_in"_s, 900},
                         {u"interval"_s, 5}};
        code.insert(key, value);
        return fh::Fault::httpStatus(post, kCodePath, 200, QJsonDocument(code).toJson());
    };
    const QString invalidURL = u"Invalid verification URL returned by GitHub"_s;
    struct Case
    {
        const char* name;
        std::optional<fh::Fault> fault;
        QString message; // exact, or the expected start when `prefixOnly`
        bool prefixOnly = false;
        QString clientId = kClientId;
    };
    const Case cases[] = {
        // GitHub's JSON error object is not a device code.
        {"unknown client id",
         {},
         kConnectPrefix + u"key \"device_code\": missing"_s,
         false,
         u"Ov23liSomeoneElse0000"_s},
        {"connection dropped", fh::Fault::dropConnection(post, kCodePath), kConnectPrefix, true},
        {"lifetime as text", codeReply(u"expires_in"_s, u"900"_s),
         kConnectPrefix + u"key \"expires_in\": expected an integer, found a string"_s},
        {"verification address with a space", codeReply(u"verification_uri"_s, u"https://git hub.test/d"_s),
         invalidURL},
        {"empty verification address", codeReply(u"verification_uri"_s, u""_s), invalidURL},
        // Not configured: no request at all.
        {"placeholder client id", {}, kNotConfigured, false, u"YOUR_CLIENT_ID_HERE"_s},
        {"no client id", {}, kNotConfigured, false, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start();
        make(c.clientId);
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
        EXPECT_TRUE(timer->sleeps.empty());
        EXPECT_TRUE(polls().empty());
        if (c.message == kNotConfigured) {
            EXPECT_EQ(kinds, std::vector<Kind>{Kind::failed});
            runFor(50);
            EXPECT_TRUE(hub->requests().empty());
        } else {
            EXPECT_EQ(kinds, (std::vector<Kind>{Kind::loading, Kind::failed}));
        }
    }
}

TEST(GitHubDeviceAuthClientId, TheEnvironmentOverridesTheBuildOnlyWithARealValue)
{
    const char* const variable = GitHubDeviceAuth::kClientIdVariable;
    const std::optional<QByteArray> saved =
        qEnvironmentVariableIsSet(variable) ? std::optional(qgetenv(variable)) : std::nullopt;
    struct Case
    {
        std::optional<QByteArray> value; // absent: unset
        QString expected;                // empty: the build's client id
    };
    const Case cases[] = {
        {std::nullopt, {}},
        {QByteArray("  \n"), {}},
        {QByteArray(" Ov23liFromTheShell01\n"), u"Ov23liFromTheShell01"_s},
        {QByteArray("YOUR_CLIENT_ID_HERE"), u"YOUR_CLIENT_ID_HERE"_s},
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
    struct Case
    {
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

// Every request of the flow follows a redirect within its own host and refuses one to another host: the
// device code, the poll and the token's /user lookup never reach the second server, and the flow ends
// saying where it was sent instead of polling on.
TEST_F(DeviceAuthTest, RedirectsToAnotherHostAreRefusedAndSaidWhileTheOwnHostsAreFollowed)
{
    const QString post = u"POST"_s;
    const QString get = u"GET"_s;
    struct Case
    {
        const char* name;
        QString method;
        QString path;
        int status;
        QString prefix; // before the redirect message
    };
    const Case cases[] = {
        {"device code", post, kCodePath, 307, kConnectPrefix},
        {"poll", post, kTokenPath, 308, QString()},
        {"login lookup", get, u"/user"_s, 302, kNoUsername + u'\n'},
    };
    fh::FakeHub other(baseWorld());
    const QString otherHost = other.baseUrl().mid(u"http://"_s.size());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start(oauthApp(5, 900, u"alice"_s));
        hub->injectFault(fh::Fault::redirect(c.method, c.path, c.status, other.baseUrl()));
        auth->startFlow();
        ASSERT_TRUE(settles());
        EXPECT_EQ(auth->state(), DeviceAuthState::failed(
                                     c.prefix + u"GitHub redirected the request to %1; Norvane does "
                                                "not send your token to another host."_s.arg(otherHost)));
        EXPECT_FALSE(auth->result().has_value());
        EXPECT_EQ(hub->requests(c.method, c.path).size(), 1u); // the refused poll is not repeated
        EXPECT_TRUE(other.requests().empty());
    }

    // Within the host, each request is simply asked again where it was sent.
    start(oauthApp(5, 900, u"alice"_s));
    for (const Case& c : cases)
        hub->injectFault(fh::Fault::redirect(c.method, c.path, c.status).times(1));
    auth->startFlow();
    ASSERT_TRUE(settles());
    ASSERT_TRUE(auth->result().has_value()) << auth->state().message.toStdString();
    EXPECT_EQ(auth->result()->username, u"alice"_s);
    const auto lookups = hub->requests(get, u"/user"_s);
    ASSERT_EQ(lookups.size(), 2u);
    EXPECT_EQ(lookups[1].header(u"Authorization"_s), lookups[0].header(u"Authorization"_s));
    EXPECT_FALSE(lookups[1].header(u"Authorization"_s).isEmpty());
}
