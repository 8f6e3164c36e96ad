#include "models/pr_model_fixture.h"
#include "models/refresh_runner.h"

#include <QTest>

using namespace norvane;
using namespace norvane::testing;
using Kind = RefreshRunner::Outcome::Kind;

namespace {

class RefreshRunnerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fh::Scenario world = baseWorld();
        world.pullRequests = {pull("acme/api", 1, "me"), pull("acme/web", 2, "me")};
        hub = std::make_unique<fh::FakeHub>(std::move(world));
        me = account("me", u"tok-me"_s);
        alice = account("alice", u"tok-alice"_s);
        runner = std::make_unique<RefreshRunner>(GitHubService(HttpSession(&nam), hub->baseUrl()), held);
        QObject::connect(runner.get(), &RefreshRunner::finished,
                         [this](const RefreshRunner::Outcome& outcome) {
                             outcomes.append(outcome);
                             refreshingWhenFinished.append(runner->isRefreshing());
                         });
        QObject::connect(runner.get(), &RefreshRunner::ended, [this](bool showLoading) {
            ended.append(showLoading);
            EXPECT_FALSE(runner->isRefreshing()) << "ended comes once the run no longer counts as refreshing";
        });
    }

    GitHubAccount account(const char* login, std::optional<QString> token)
    {
        GitHubAccount a{QUuid::createUuid(), QString::fromLatin1(login),
                        u"github_token_"_s + QString::fromLatin1(login), std::nullopt};
        if (token)
            (*store->storage())[a.tokenKey()] = *token;
        return a;
    }
    bool settle()
    {
        return waitUntil([this] { return !runner->isRefreshing(); });
    }

    QNetworkAccessManager nam;
    std::unique_ptr<fh::FakeHub> hub;
    std::shared_ptr<InMemoryKeychainService> store = std::make_shared<InMemoryKeychainService>();
    std::shared_ptr<HeldKeychain> held = std::make_shared<HeldKeychain>(store);
    GitHubAccount me, alice;
    std::unique_ptr<RefreshRunner> runner;
    QList<RefreshRunner::Outcome> outcomes;
    QList<bool> refreshingWhenFinished;
    QList<bool> ended;
};

} // namespace

// (A refused token and a failed query as the engine shows them: PRModelTest's refresh failures.)
TEST_F(RefreshRunnerTest, ARunReportsHowItEnded)
{
    struct Case
    {
        const char* name;
        std::function<void()> arrange;
        std::optional<QString> token;
        Kind kind;
        int pullRequests;
        bool retryAt;
    };
    const Case cases[] = {
        {"fetched", [] {}, u"tok-me"_s, Kind::fetched, 2, false},
        {"no token", [] {}, std::nullopt, Kind::noToken, 0, false},
        {"rate limit", [this] { hub->exhaustRateLimit(u"core"_s); }, u"tok-me"_s, Kind::failed, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hub->clearFaults();
        outcomes.clear();
        c.arrange();
        const GitHubAccount a = account("me", c.token);
        if (!c.token)
            store->storage()->erase(a.tokenKey());
        runner->start(a, true, true);
        ASSERT_TRUE(settle());
        ASSERT_EQ(outcomes.size(), 1);
        const RefreshRunner::Outcome& o = outcomes.first();
        EXPECT_EQ(o.kind, c.kind);
        EXPECT_EQ(o.account.id, a.id);
        EXPECT_TRUE(o.showLoading);
        EXPECT_TRUE(o.checkForChanges);
        EXPECT_EQ(o.pullRequests.size(), c.pullRequests);
        EXPECT_EQ(o.retryAt.has_value(), c.retryAt);
        EXPECT_EQ(o.failure.isEmpty(), c.kind != Kind::failed) << o.failure.toStdString();
    }
    EXPECT_EQ(refreshingWhenFinished, QList<bool>(3, true))
        << "the outcome is published while the run still counts";
    EXPECT_EQ(ended, QList<bool>(3, true));
}

TEST_F(RefreshRunnerTest, CancellingOnlyTouchesTheRunOfThatAccount)
{
    held->hold(me.tokenKey());
    runner->start(me, true, false);
    EXPECT_FALSE(runner->cancelRunOf(alice.id));
    EXPECT_TRUE(runner->isRefreshing());
    EXPECT_TRUE(runner->cancelRunOf(me.id));
    EXPECT_FALSE(runner->isRefreshing());
    EXPECT_FALSE(runner->cancelRunOf(me.id)) << "nothing left to cancel";
    held->release(me.tokenKey());
    QCoreApplication::processEvents();
    EXPECT_TRUE(outcomes.isEmpty());
    EXPECT_TRUE(ended.isEmpty());

    // A run cancelled while its request is out ends as quietly.
    hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/search/issues"_s, std::chrono::milliseconds(300)));
    runner->start(me, true, false);
    ASSERT_TRUE(waitUntil([&] { return !hub->requests(u"GET"_s, u"/search/issues"_s).empty(); }));
    EXPECT_TRUE(runner->cancelRunOf(me.id));
    QTest::qWait(400);
    EXPECT_TRUE(outcomes.isEmpty());
}

TEST_F(RefreshRunnerTest, AnOwedCatchUpIsPaidByTheNextFetchedRun)
{
    runner->oweCatchUp();
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/search/issues"_s, 422).times(1));
    const QList<Kind> kinds{Kind::failed, Kind::fetched, Kind::fetched};
    for (int i = 0; i < kinds.size(); ++i) {
        runner->start(me, false, true);
        ASSERT_TRUE(settle());
    }
    ASSERT_EQ(outcomes.size(), 3);
    QList<Kind> seen;
    QList<bool> clears;
    for (const auto& o : outcomes) {
        seen.append(o.kind);
        clears.append(o.clearsEarlierMessage);
    }
    EXPECT_EQ(seen, kinds);
    EXPECT_EQ(clears, (QList<bool>{false, true, false}));
}

// Destroying the runner while a run waits leaves that run to end on its own, reporting nothing.
TEST_F(RefreshRunnerTest, ARunOutlivesItsRunnerQuietly)
{
    held->hold(me.tokenKey());
    runner->start(me, true, false);
    runner.reset();
    held->release(me.tokenKey());
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(outcomes.isEmpty());
}
