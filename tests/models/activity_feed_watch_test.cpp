#include "models/activity_feed_watch.h"
#include "models/pr_model_fixture.h"

#include <QTemporaryDir>

using namespace norvane;
using namespace norvane::testing;

namespace {

class ActivityFeedWatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fh::Scenario s = baseWorld();
        s.pullRequests = {pull("acme/api", 1, "me"), pull("acme/api", 2, "alice")};
        fh::FakeHub::Options options;
        options.feedPollIntervalSecs = 7;
        hub = std::make_unique<fh::FakeHub>(std::move(s), options);
        me = GitHubAccount{QUuid::createUuid(), QStringLiteral("me"), QStringLiteral("github_token_me"),
                           std::nullopt};
        setToken(QStringLiteral("tok-me"));
        auto manual = std::make_unique<ManualPollingTimer>();
        schedule = std::make_unique<PollSchedule>(PollSchedule::Options{
            std::make_unique<ManualPollingTimer>(), {}, false, 20, [this] { return clock; }});
        timer = manual.get();
        HttpSession session(&nam);
        session.setResponseCache(std::make_shared<ResponseCache>(cacheDir.path()));
        watch = std::make_unique<ActivityFeedWatch>(
            ActivityFeedWatch::Dependencies{GitHubService(session, hub->baseUrl()), keychain,
                                            std::move(manual), schedule.get(), [this] { return selected; }});
    }

    void setToken(const QString& token) { (*keychain->storage())[me.tokenKey()] = token; }
    std::size_t asked() const
    {
        return hub->requests(QStringLiteral("GET"), QStringLiteral("/notifications")).size();
    }
    // One check, run to its end (the next one is scheduled when it is done); whether it asked GitHub.
    bool check()
    {
        const std::size_t before = asked();
        timer->fire();
        EXPECT_TRUE(waitUntil([&] { return timer->active; }));
        return asked() > before;
    }

    QTemporaryDir cacheDir;
    QNetworkAccessManager nam;
    QDateTime clock = QDateTime::currentDateTimeUtc();
    std::unique_ptr<fh::FakeHub> hub;
    std::shared_ptr<InMemoryKeychainService> keychain = std::make_shared<InMemoryKeychainService>();
    GitHubAccount me;
    std::optional<GitHubAccount> selected;
    std::unique_ptr<PollSchedule> schedule;
    ManualPollingTimer* timer = nullptr;
    std::unique_ptr<ActivityFeedWatch> watch;
};

} // namespace

TEST_F(ActivityFeedWatchTest, StartsSoonKeepsItsPaceAndFollowsTheSwitch)
{
    selected = me;
    EXPECT_FALSE(watch->isWatching(me.id)) << "not before it starts";
    watch->start();
    EXPECT_TRUE(watch->isWatching(me.id));
    EXPECT_EQ(timer->interval, 3.0) << "the first look comes soon";
    EXPECT_TRUE(check());
    EXPECT_EQ(watch->interval(), 7.0);
    EXPECT_EQ(timer->interval, 7.0);

    const int starts = timer->starts;
    watch->start(); // the poll restarted: the feed keeps its pace
    EXPECT_EQ(timer->starts, starts);

    watch->setEnabled(false);
    EXPECT_FALSE(timer->active);
    EXPECT_FALSE(watch->isWatching(me.id));
    watch->setEnabled(true);
    EXPECT_TRUE(timer->active);
    EXPECT_EQ(timer->interval, 0.0) << "switched on again: at once";
}

TEST_F(ActivityFeedWatchTest, ChecksWaitForAnAccountTheNetworkAndTheRateLimit)
{
    struct Case
    {
        const char* name;
        std::function<void()> arrange;
        bool asks;
    };
    const Case cases[] = {
        {"no account", [this] { selected.reset(); }, false},
        {"offline", [this] { schedule->setNetworkOnline(false); }, false},
        {"paused", [this] { schedule->setPaused(me.id, clock.addSecs(60)); }, false},
        {"pause over", [this] { schedule->setPaused(me.id, clock.addSecs(-1)); }, true},
        {"all well", [] {}, true},
    };
    watch->start();
    for (const Case& c : cases) {
        selected = me;
        schedule->setNetworkOnline(true);
        schedule->setPaused(me.id, std::nullopt);
        c.arrange();
        EXPECT_EQ(check(), c.asks) << c.name;
    }
    // What a rate-limit answer and a refused token do: PRFeedTest's.
}
