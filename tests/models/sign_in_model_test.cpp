#include "models/pr_model_fixture.h"
#include "models/sign_in_model.h"
#include "support/wait.h"
#include "ui/device_flow_support.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::testing;

namespace {

using Kind = DeviceAuthState::Kind;
using Added = SignInModel::Added;
using Reconnected = SignInModel::Reconnected;

const QString kUser = u"/user"_s;
const QString kCodePath = u"/login/device/code"_s;
const QString kTokenPath = u"/login/oauth/access_token"_s;

// A token store that keeps nothing and has nothing (a locked or broken keyring).
class RefusingKeychain final : public KeychainService
{
public:
    QCoro::Task<bool> save(QString, QString) override
    {
        ++saves;
        co_return false;
    }
    QCoro::Task<std::optional<QString>> getAsync(QString) override { co_return std::nullopt; }
    QCoro::Task<> remove(QString) override { co_return; }

    int saves = 0;
};

struct SignedIn
{
    QString username;
    QString token;
    std::optional<QString> label;
    AccountServer server;
};

// What the settings page does with a sign-in that brought a login: keep it as a new account.
QCoro::Task<> keepNewAccount(SignInModel* signIn, QString username, QString token,
                             std::optional<QString> label, AccountServer server,
                             std::optional<Added>* outcome)
{
    *outcome = co_await signIn->add(username, token, label, server);
}

// The world's users ("me", "alice", "bob", each with the token "tok-<login>") and an OAuth App whose codes
// outlive any test.
fh::Scenario worldWithOAuthApp()
{
    fh::Scenario world = baseWorld();
    fh::OAuthApp app;
    app.clientId = kClientId;
    app.expiresIn = 24 * 60 * 60;
    world.oauthApp = app;
    return world;
}

class SignInModelTest : public PRModelTest
{
protected:
    void TearDown() override { dropModels(); }

    // Destroyed models cancel their requests from the event loop; those cancels run here, while the network
    // is still there, so no request outlives the models.
    void dropModels()
    {
        signIn.reset();
        model.reset();
        QCoreApplication::sendPostedEvents();
    }

    // The engine over the hub, as the fixture builds it, keeping its tokens in `store`.
    PRViewModel& makeEngine(std::shared_ptr<KeychainService> store)
    {
        dropModels();
        tokenStore = std::move(store);
        return makeModel();
    }

    // A sign-in on the hub (its web host and API), whose device-flow waits move `flowHub`'s clock (the hub's
    // when null), keeping into the engine. `apiBaseURL` replaces the hub's API address.
    SignInModel& makeSignIn(std::optional<QString> apiBaseURL = std::nullopt, fh::FakeHub* webHub = nullptr)
    {
        fh::FakeHub* web = webHub ? webHub : hub.get();
        const GitHubDeviceAuth::Config config{kClientId, web->baseUrl(), apiBaseURL.value_or(hub->apiUrl())};
        signIn = std::make_unique<SignInModel>(SignInModel::Dependencies{
            HttpSession(&nam), config, std::make_shared<FastTimer>(web), model.get()});
        signedIn.clear();
        states.clear();
        QObject::connect(signIn.get(), &SignInModel::signedIn,
                         [this](const QString& username, const QString& token,
                                const std::optional<QString>& label, const AccountServer& server) {
                             signedIn.push_back(SignedIn{username, token, label, server});
                         });
        QObject::connect(signIn.get(), &SignInModel::deviceStateChanged,
                         [this](const DeviceAuthState& state) { states.push_back(state.kind); });
        return *signIn;
    }

    // Keeps every sign-in as a new account, as the settings page does, into `kept`.
    void keepSignIns()
    {
        QObject::connect(signIn.get(), &SignInModel::signedIn,
                         [this](const QString& username, const QString& token,
                                const std::optional<QString>& label, const AccountServer& server) {
                             keepNewAccount(signIn.get(), username, token, label, server, &kept);
                         });
    }

    std::unique_ptr<SignInModel> signIn;
    std::vector<SignedIn> signedIn;
    std::vector<Kind> states;
    std::optional<Added> kept;
};

TEST_F(SignInModelTest, ATypedTokenIsKeptOnlyOnceGitHubSaysItIsTheTypedLogins)
{
    struct Case
    {
        const char* name;
        const char* login;
        const char* token;
        std::optional<fh::Fault> fault;
        bool offline;          // the API address is one where nothing listens
        bool refusingKeychain; // the keychain keeps nothing
        const char* message;   // the start of what the sheet says; null: signed in
        std::optional<Added> kept;
    };
    const Case cases[] = {
        {"rejected", "me", "wrong-token", std::nullopt, false, false, "GitHub rejected this token.",
         std::nullopt},
        {"another login", "me", "tok-alice", std::nullopt, false, false,
         "This token belongs to @alice, not @me.", std::nullopt},
        {"offline", "me", "tok-me", std::nullopt, true, false,
         "Could not reach GitHub to check this token: ", std::nullopt},
        {"server error", "me", "tok-me", fh::Fault::httpStatus(u"GET"_s, kUser, 502), false, false,
         "GitHub could not check this token (HTTP 502). Try again in a moment.", std::nullopt},
        {"an answer without a login", "me", "tok-me",
         fh::Fault::httpStatus(u"GET"_s, kUser, 200, R"({"name":"me"})"), false, false,
         "GitHub could not check this token (HTTP 200). Try again in a moment.", std::nullopt},
        {"the keychain refuses", "me", "tok-me", std::nullopt, false, true, nullptr, Added::notAdded},
        {"accepted in other letters", "ME", "tok-me", std::nullopt, false, false, nullptr, Added::added},
    };
    startHub(worldWithOAuthApp());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        signIn.reset();
        kept.reset();
        hub->clearFaults();
        hub->clearRequests();
        auto refusing = std::make_shared<RefusingKeychain>();
        keychain->storage()->clear();
        makeEngine(c.refusingKeychain ? std::shared_ptr<KeychainService>(refusing) : keychain);
        makeSignIn(c.offline ? std::optional(u"http://127.0.0.1:9"_s) : std::nullopt);
        keepSignIns();
        if (c.fault)
            hub->injectFault(*c.fault);
        signIn->begin();
        signIn->setLabel(u"Work"_s);
        const QString login = QString::fromLatin1(c.login);
        const QString token = QString::fromLatin1(c.token);

        signIn->checkToken(login, token, AccountServer{});
        EXPECT_TRUE(signIn->isCheckingToken());
        // No second check, and so no second account, while the first is out.
        EXPECT_FALSE(signIn->mayCheckToken(login, token));
        ASSERT_TRUE(waitUntil([&] { return !signIn->isCheckingToken(); }));
        EXPECT_EQ(hub->requests(u"GET"_s, kUser).size(), c.offline ? 0u : 1u);

        if (c.message) {
            ASSERT_TRUE(signIn->tokenMessage().has_value());
            EXPECT_TRUE(signIn->tokenMessage()->startsWith(QString::fromUtf8(c.message)))
                << signIn->tokenMessage()->toStdString();
            EXPECT_TRUE(signedIn.empty());
            QTest::qWait(20);
            EXPECT_EQ(kept, std::nullopt);
            EXPECT_TRUE(model->accounts().isEmpty());
            EXPECT_TRUE(keychain->storage()->empty());
            continue;
        }
        EXPECT_EQ(signIn->tokenMessage(), std::nullopt);
        ASSERT_EQ(signedIn.size(), 1u);
        // The values as typed, the label as typed, and the server the token was checked on.
        EXPECT_EQ(signedIn[0].username, login);
        EXPECT_EQ(signedIn[0].token, token);
        EXPECT_EQ(signedIn[0].label, u"Work"_s);
        EXPECT_EQ(signedIn[0].server, AccountServer{});
        ASSERT_TRUE(waitUntil([&] { return kept.has_value(); }));
        EXPECT_EQ(kept, c.kept);
        EXPECT_FALSE(signIn->isSaving());
        if (c.kept == Added::notAdded) {
            EXPECT_EQ(refusing->saves, 1);
            EXPECT_TRUE(model->accounts().isEmpty());
            EXPECT_FALSE(preferences->data(u"github_accounts"_s).has_value());
            continue;
        }
        ASSERT_EQ(model->accounts().size(), 1);
        EXPECT_EQ(model->accounts()[0].username, login);
        EXPECT_EQ(model->accounts()[0].label, u"Work"_s);
        EXPECT_EQ(keychain->storage()->at(model->accounts()[0].tokenKey()), token);
    }
}

TEST_F(SignInModelTest, TheRequiredMessageAndAGivenUpCheckSayWhatTheSheetShows)
{
    startHub(worldWithOAuthApp());
    makeEngine(keychain);
    makeSignIn();
    signIn->begin();

    // Either value missing: nothing is asked, and the message says both are needed.
    for (const auto& [username, token] : {std::pair{QString(), u"tok-me"_s}, std::pair{u"me"_s, QString()}}) {
        EXPECT_FALSE(signIn->mayCheckToken(username, token));
        EXPECT_EQ(signIn->tokenMessage(), u"Username and token are required"_s);
        signIn->checkToken(username, token, AccountServer{});
        EXPECT_FALSE(signIn->isCheckingToken());
        signIn->clearTokenMessage();
        EXPECT_EQ(signIn->tokenMessage(), std::nullopt);
    }
    EXPECT_TRUE(hub->requests().empty());

    // A check given up (Back) says nothing when GitHub answers after all, and a new one can start at once.
    hub->setLatency(std::chrono::milliseconds(150));
    signIn->checkToken(u"me"_s, u"tok-me"_s, AccountServer{});
    ASSERT_TRUE(signIn->isCheckingToken());
    signIn->abandonTokenCheck();
    EXPECT_FALSE(signIn->isCheckingToken());
    EXPECT_TRUE(signIn->mayCheckToken(u"me"_s, u"tok-me"_s));
    QTest::qWait(300);
    EXPECT_TRUE(signedIn.empty());
    EXPECT_EQ(signIn->tokenMessage(), std::nullopt);

    // A check out when the sheet goes says nothing either; the next sheet starts without a message.
    signIn->checkToken(u"me"_s, u"tok-alice"_s, AccountServer{});
    signIn->end();
    EXPECT_FALSE(signIn->isCheckingToken());
    QTest::qWait(300);
    EXPECT_TRUE(signedIn.empty());
    EXPECT_EQ(signIn->tokenMessage(), std::nullopt);
}

TEST_F(SignInModelTest, TheDeviceFlowShowsACodeAndEndsSignedInFailedOrStopped)
{
    enum class Then { approve, deny, cancel, end };
    struct Case
    {
        const char* name;
        Then then;
        std::vector<Kind> states; // after loading and awaiting
        bool signsIn;
        QString failure;
    };
    const Case cases[] = {
        {"approved", Then::approve, {}, true, {}},
        {"denied", Then::deny, {Kind::failed}, false, u"Access denied by user."_s},
        {"cancelled", Then::cancel, {Kind::idle}, false, {}},
        {"the sheet went", Then::end, {Kind::idle}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        signIn.reset();
        startHub(worldWithOAuthApp());
        makeEngine(keychain);
        makeSignIn();
        signIn->begin();
        signIn->setLabel(u"Home"_s);

        signIn->startDeviceFlow(AccountServer{});
        EXPECT_EQ(signIn->deviceState().kind, Kind::loading);
        ASSERT_TRUE(waitUntil([&] { return signIn->deviceState().kind == Kind::awaitingAuthorization; }));
        ASSERT_EQ(hub->deviceCodes().size(), 1u);
        const QString code = hub->deviceCodes()[0].userCode;
        EXPECT_EQ(signIn->deviceState().userCode, code);
        EXPECT_EQ(signIn->deviceState().verificationURL, QUrl(hub->baseUrl() + u"/login/device"_s));

        switch (c.then) {
        case Then::approve:
            ASSERT_TRUE(hub->approveDeviceCode(code, u"me"_s));
            break;
        case Then::deny:
            ASSERT_TRUE(hub->denyDeviceCode(code));
            break;
        case Then::cancel:
            signIn->cancelDeviceFlow();
            break;
        case Then::end:
            signIn->end();
            break;
        }
        if (c.signsIn) {
            ASSERT_TRUE(waitUntil([&] { return !signedIn.empty(); }));
            // The state stays at the code; the login, its token, the label and github.com are handed on.
            EXPECT_EQ(signIn->deviceState().kind, Kind::awaitingAuthorization);
            EXPECT_EQ(signedIn[0].username, u"me"_s);
            EXPECT_EQ(signedIn[0].token, u"tok-me"_s);
            EXPECT_EQ(signedIn[0].label, u"Home"_s);
            EXPECT_EQ(signedIn[0].server, AccountServer{});
        } else if (!c.failure.isEmpty()) {
            ASSERT_TRUE(waitUntil([&] { return signIn->deviceState().kind == Kind::failed; }));
            EXPECT_EQ(signIn->deviceState().message, c.failure);
        } else {
            EXPECT_EQ(signIn->deviceState().kind, Kind::idle);
            // A stopped flow asks no more, and an approval after it brings nothing.
            const std::size_t polls = hub->requests(u"POST"_s, kTokenPath).size();
            ASSERT_TRUE(hub->approveDeviceCode(code, u"me"_s));
            QTest::qWait(100);
            EXPECT_EQ(hub->requests(u"POST"_s, kTokenPath).size(), polls);
            EXPECT_TRUE(signedIn.empty());
        }
        std::vector<Kind> expected{Kind::loading, Kind::awaitingAuthorization};
        expected.insert(expected.end(), c.states.begin(), c.states.end());
        EXPECT_EQ(states, expected);
        if (c.then == Then::end) {
            EXPECT_EQ(signIn->label(), QString());
            EXPECT_EQ(signIn->labelValue(), std::nullopt);
        }
    }
}

TEST_F(SignInModelTest, AnEnterpriseServerWithoutItsOwnClientIdIsNotConfiguredAndAsksNothing)
{
    startHub(worldWithOAuthApp());
    makeEngine(keychain);
    makeSignIn();
    signIn->begin();
    const AccountServer server{u"github.example.com"_s, std::nullopt};
    const GitHubDeviceAuth::Config config = signIn->configFor(server);
    EXPECT_EQ(config.webBaseURL, u"https://github.example.com"_s);
    EXPECT_EQ(config.apiBaseURL, u"https://github.example.com/api/v3"_s);
    signIn->startDeviceFlow(server);
    EXPECT_EQ(signIn->deviceState(),
              DeviceAuthState::failed(QStringLiteral(
                  "GitHub OAuth App not configured.\nSee GitHubDeviceAuth for setup instructions.")));
    EXPECT_EQ(signIn->flowServer(), server);
    // A new sign-in starts idle, on github.com again.
    signIn->begin();
    EXPECT_EQ(signIn->deviceState().kind, Kind::idle);
    EXPECT_EQ(states.back(), Kind::idle);
    EXPECT_EQ(signIn->flowServer(), AccountServer{});
    QTest::qWait(20);
    EXPECT_TRUE(hub->requests().empty());
}

TEST_F(SignInModelTest, AReconnectStoresTheTokenUnderTheAccountAndClearsItsMarkOnlyForItsLogin)
{
    struct Case
    {
        const char* name;
        const char* login;
        bool refusingKeychain;
        Reconnected outcome;
    };
    const Case cases[] = {
        {"the same login", "me", false, Reconnected::reconnected},
        {"the same login in other letters", "ME", false, Reconnected::reconnected},
        {"another login", "alice", false, Reconnected::mismatch},
        {"the keychain refuses", "me", true, Reconnected::notSaved},
    };
    startHub(worldWithOAuthApp());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        signIn.reset();
        keychain->storage()->clear();
        GitHubAccount account = storedAccount("me", u"Work"_s);
        (*keychain->storage())[account.tokenKey()] = u"tok-revoked"_s;
        storeAccounts({account});
        auto refusing = std::make_shared<RefusingKeychain>();
        makeEngine(c.refusingKeychain ? std::shared_ptr<KeychainService>(refusing) : keychain);
        model->loadAccounts();
        ASSERT_TRUE(waitUntil([&] { return !model->isLoading(); }));
        model->setReauthNeeded({account.id});
        hub->clearRequests();
        makeSignIn();
        signIn->begin(account);
        EXPECT_EQ(signIn->reauthAccount(), account);

        const QString token = u"tok-"_s + QString::fromLatin1(c.login).toLower();
        EXPECT_EQ(runTask(signIn->reconnect(account, QString::fromLatin1(c.login), token)), c.outcome);
        // The account keeps its identity, label and server whatever happened.
        EXPECT_EQ(model->accounts(), QList<GitHubAccount>{account});
        if (c.outcome != Reconnected::reconnected) {
            EXPECT_TRUE(model->reauthNeeded().contains(account.id));
            EXPECT_EQ(keychain->storage()->at(account.tokenKey()), u"tok-revoked"_s);
            EXPECT_EQ(refusing->saves, c.refusingKeychain ? 1 : 0);
            EXPECT_FALSE(model->isLoading());
            continue;
        }
        EXPECT_EQ(keychain->storage()->at(account.tokenKey()), token);
        EXPECT_TRUE(model->reauthNeeded().isEmpty());
        // A refresh starts, with the new token.
        ASSERT_TRUE(waitUntil([&] { return !hub->requests().empty() && !model->isLoading(); }));
        for (const auto& request : hub->requests())
            EXPECT_EQ(request.header(u"Authorization"_s), u"token "_s + token);
        EXPECT_TRUE(model->reauthNeeded().isEmpty());
    }
}

// Everything a sign-in and the first refresh after it send: the device flow's posts go to the web host with
// no token and ask for JSON; every request to the API host carries its token and the media type of its
// kind, and none an API-version header; no token reaches the web host.
TEST_F(SignInModelTest, OnTheWireEachRequestCarriesTheHeadersOfItsKindAndTheTokenOnlyToItsHost)
{
    startHub(worldWithOAuthApp()); // the API host
    fh::FakeHub web(worldWithOAuthApp());
    makeEngine(keychain);
    makeSignIn(std::nullopt, &web);
    keepSignIns();
    signIn->begin();

    signIn->startDeviceFlow(AccountServer{});
    ASSERT_TRUE(waitUntil([&] { return signIn->deviceState().kind == Kind::awaitingAuthorization; }));
    ASSERT_TRUE(web.approveDeviceCode(web.deviceCodes()[0].userCode, u"me"_s));
    ASSERT_TRUE(waitUntil([&] { return kept.has_value(); }));
    EXPECT_EQ(kept, Added::added);
    signIn->checkToken(u"alice"_s, u"tok-alice"_s, AccountServer{});
    ASSERT_TRUE(waitUntil([&] { return signedIn.size() == 2; }));
    ASSERT_TRUE(waitUntil([&] { return model->accounts().size() == 2 && !model->isLoading(); }));

    const auto posts = web.requests();
    ASSERT_GE(posts.size(), 2u);
    for (const auto& r : posts) {
        SCOPED_TRACE((r.method + QLatin1Char(' ') + r.path).toStdString());
        EXPECT_EQ(r.method, u"POST"_s);
        EXPECT_TRUE(r.path == kCodePath || r.path == kTokenPath);
        EXPECT_EQ(r.header(u"Accept"_s), u"application/json"_s);
        EXPECT_EQ(r.header(u"Authorization"_s), QString());
        EXPECT_EQ(r.header(u"X-GitHub-Api-Version"_s), QString());
    }

    const auto api = hub->requests();
    EXPECT_EQ(hub->requests(u"GET"_s, kUser).size(), 2u);
    ASSERT_GT(api.size(), 2u); // the lookups and the refresh's queries
    QSet<QString> tokens;
    for (const auto& r : api) {
        SCOPED_TRACE((r.method + QLatin1Char(' ') + r.path).toStdString());
        EXPECT_EQ(r.method, u"GET"_s);
        const QString authorization = r.header(u"Authorization"_s);
        EXPECT_TRUE(authorization == u"token tok-me"_s || authorization == u"token tok-alice"_s);
        tokens.insert(authorization);
        EXPECT_EQ(r.header(u"Accept"_s),
                  r.path == kUser ? u"application/vnd.github+json"_s : u"application/vnd.github.v3+json"_s);
        EXPECT_EQ(r.header(u"X-GitHub-Api-Version"_s), QString());
    }
    EXPECT_EQ(tokens.size(), 2);
}

} // namespace
