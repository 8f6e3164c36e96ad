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

    // A sign-in on the hub's API and `webHub`'s web host (the hub's when null), whose device-flow waits move
    // that web host's clock, keeping into the engine.
    SignInModel& makeSignIn(fh::FakeHub* webHub = nullptr)
    {
        fh::FakeHub* web = webHub ? webHub : hub.get();
        const GitHubDeviceAuth::Config config{kClientId, web->baseUrl(), hub->apiUrl()};
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
        bool refusingKeychain; // the keychain keeps nothing
        const char* message;   // the start of what the sheet says; null: signed in
        std::optional<Added> kept;
    };
    // The refusals GitHub itself words (a wrong token, another login's, no answer): the sheet's tests.
    const Case cases[] = {
        {"server error", "me", "tok-me", fh::Fault::httpStatus(u"GET"_s, kUser, 502), false,
         "GitHub could not check this token (HTTP 502). Try again in a moment.", std::nullopt},
        {"an answer without a login", "me", "tok-me",
         fh::Fault::httpStatus(u"GET"_s, kUser, 200, R"({"name":"me"})"), false,
         "GitHub could not check this token (HTTP 200). Try again in a moment.", std::nullopt},
        {"the keychain refuses", "me", "tok-me", std::nullopt, true, nullptr, Added::notAdded},
        {"accepted in other letters", "ME", "tok-me", std::nullopt, false, nullptr, Added::added},
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
        makeSignIn();
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
        EXPECT_EQ(hub->requests(u"GET"_s, kUser).size(), 1u);

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

// A check given up (Back) or out when the sheet goes says nothing when GitHub answers after all. (The
// required-fields message: the sheet's tests.)
TEST_F(SignInModelTest, AGivenUpCheckSaysNothingAndANewOneCanStartAtOnce)
{
    startHub(worldWithOAuthApp());
    makeEngine(keychain);
    makeSignIn();
    signIn->begin();
    hub->setLatency(std::chrono::milliseconds(150));
    signIn->checkToken(u"me"_s, u"tok-me"_s, AccountServer{});
    ASSERT_TRUE(signIn->isCheckingToken());
    signIn->abandonTokenCheck();
    EXPECT_FALSE(signIn->isCheckingToken());
    EXPECT_TRUE(signIn->mayCheckToken(u"me"_s, u"tok-me"_s));
    signIn->checkToken(u"me"_s, u"tok-alice"_s, AccountServer{});
    signIn->end();
    EXPECT_FALSE(signIn->isCheckingToken());
    QTest::qWait(300);
    EXPECT_TRUE(signedIn.empty());
    EXPECT_EQ(signIn->tokenMessage(), std::nullopt);
}

// What the model adds to the flow (GitHubDeviceAuth's own states: its tests; approving, cancelling and an
// unconfigured server: the sheet's): the sheet going stops the flow, says idle, and forgets the label.
TEST_F(SignInModelTest, TheSheetGoingStopsTheDeviceFlow)
{
    startHub(worldWithOAuthApp());
    makeEngine(keychain);
    makeSignIn();
    signIn->begin();
    signIn->setLabel(u"Home"_s);
    signIn->startDeviceFlow(AccountServer{});
    ASSERT_TRUE(waitUntil([&] { return signIn->deviceState().kind == Kind::awaitingAuthorization; }));
    ASSERT_EQ(hub->deviceCodes().size(), 1u);
    EXPECT_EQ(signIn->deviceState().verificationURL, QUrl(hub->baseUrl() + u"/login/device"_s));

    signIn->end();
    EXPECT_EQ(signIn->deviceState().kind, Kind::idle);
    EXPECT_EQ(states, (std::vector<Kind>{Kind::loading, Kind::awaitingAuthorization, Kind::idle}));
    EXPECT_EQ(signIn->labelValue(), std::nullopt);
    // It asks no more, and an approval after it brings nothing.
    const std::size_t polls = hub->requests(u"POST"_s, kTokenPath).size();
    ASSERT_TRUE(hub->approveDeviceCode(hub->deviceCodes()[0].userCode, u"me"_s));
    QTest::qWait(100);
    EXPECT_EQ(hub->requests(u"POST"_s, kTokenPath).size(), polls);
    EXPECT_TRUE(signedIn.empty());
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
    makeSignIn(&web);
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
