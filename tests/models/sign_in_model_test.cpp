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

// Runs `task` on, and puts its result in `outcome` when it ends.
template <typename T> QCoro::Task<> into(QCoro::Task<T> task, std::optional<T>* outcome)
{
    *outcome = co_await std::move(task);
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
        signIns = 0;
        states.clear();
        QObject::connect(signIn.get(), &SignInModel::signedIn, [this] { ++signIns; });
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
                             // What the settings page does: keep it as a new account.
                             into(signIn->add(username, token, label, server), &kept);
                         });
    }

    std::unique_ptr<SignInModel> signIn;
    int signIns = 0; // what the sign-in announced
    std::vector<Kind> states;
    std::optional<Added> kept;
};

// An answer that is no verdict on the token hands nothing on and says to try again. (A wrong token, another
// login's and no answer at all: the sheet's tests; a kept account and a keychain that refuses it: the
// settings page's.)
TEST_F(SignInModelTest, ATokenGitHubCouldNotCheckIsNotKept)
{
    const std::pair<fh::Fault, const char*> cases[] = {
        {fh::Fault::httpStatus(u"GET"_s, kUser, 502), "HTTP 502"},
        {fh::Fault::httpStatus(u"GET"_s, kUser, 200, R"({"name":"me"})"), "HTTP 200"},
    };
    startHub(worldWithOAuthApp());
    for (const auto& [fault, status] : cases) {
        SCOPED_TRACE(status);
        hub->clearFaults();
        hub->injectFault(fault);
        makeEngine(keychain);
        makeSignIn();
        signIn->begin();
        signIn->checkToken(u"me"_s, u"tok-me"_s, AccountServer{});
        EXPECT_TRUE(signIn->isCheckingToken());
        ASSERT_TRUE(waitUntil([&] { return !signIn->isCheckingToken(); }));
        EXPECT_EQ(signIn->tokenMessage(),
                  u"GitHub could not check this token (%1). Try again in a moment."_s.arg(
                      QString::fromLatin1(status)));
        EXPECT_EQ(signIns, 0); // and so nothing is kept
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
    EXPECT_EQ(signIns, 0);
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
    EXPECT_EQ(signIns, 0);
}

TEST_F(SignInModelTest, AReconnectStoresTheTokenUnderTheAccountAndClearsItsMarkOnlyForItsLogin)
{
    struct Case
    {
        const char* login;
        bool keychainKeeps; // false: a locked store whose prompt was dismissed
        Reconnected outcome;
    };
    const Case cases[] = {
        {"ME", true, Reconnected::reconnected},
        {"alice", true, Reconnected::mismatch},
        {"me", false, Reconnected::notSaved},
    };
    startHub(worldWithOAuthApp());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.login);
        signIn.reset();
        keychain->storage()->clear();
        GitHubAccount account = storedAccount("me", u"Work"_s);
        (*keychain->storage())[account.tokenKey()] = u"tok-revoked"_s;
        storeAccounts({account});
        const auto held = std::make_shared<HeldKeychain>(keychain);
        held->refusesSaves = !c.keychainKeeps;
        makeEngine(held);
        model->loadAccounts();
        ASSERT_TRUE(waitUntil([&] { return !model->isLoading(); }));
        model->setReauthNeeded({account.id});
        hub->clearRequests();
        makeSignIn();
        signIn->begin(account);
        EXPECT_EQ(signIn->reauthAccount(), account);

        const QString login = QString::fromLatin1(c.login);
        const QString token = u"tok-"_s + login.toLower();
        held->hold(account.tokenKey());
        std::optional<Reconnected> outcome;
        into(signIn->reconnect(account, login, token), &outcome);
        if (c.outcome != Reconnected::mismatch) {
            // Until the keychain answers (an unlock prompt may be up) the account is not reconnected, and a
            // second token is dropped.
            EXPECT_FALSE(outcome.has_value());
            EXPECT_TRUE(signIn->isSaving());
            EXPECT_TRUE(model->reauthNeeded().contains(account.id));
            std::optional<Reconnected> second;
            into(signIn->reconnect(account, login, u"tok-other"_s), &second);
            EXPECT_EQ(second, Reconnected::busy);
            held->release(account.tokenKey());
        }
        ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }));
        EXPECT_EQ(*outcome, c.outcome);
        EXPECT_FALSE(signIn->isSaving());
        // The account keeps its identity, label and server whatever happened.
        EXPECT_EQ(model->accounts(), QList<GitHubAccount>{account});
        if (c.outcome != Reconnected::reconnected) {
            EXPECT_TRUE(model->reauthNeeded().contains(account.id));
            EXPECT_EQ(keychain->storage()->at(account.tokenKey()), u"tok-revoked"_s);
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
    signIn->checkToken(u" alice\n"_s, u"tok-alice"_s, AccountServer{}); // pasted with white space around it
    ASSERT_TRUE(waitUntil([&] { return signIns == 2; }));
    ASSERT_TRUE(waitUntil([&] { return model->accounts().size() == 2 && !model->isLoading(); }));
    EXPECT_EQ(model->accounts().back().username, u"alice"_s);

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
