#include "models/activity_feed_watch.h"
#include "models/pr_model_fixture.h"

#include <QTemporaryDir>

using namespace norvane;
using namespace norvane::testing;

// What the feed checks themselves do (their baseline, pace, switch and a refused token): PRFeedTest's.
TEST(ActivityFeedWatch, ChecksWaitForAnAccountAndTheRateLimitNotForTheNetworkWatcher)
{
    fh::FakeHub hub(baseWorld());
    QNetworkAccessManager nam;
    QTemporaryDir cacheDir;
    HttpSession session(&nam);
    session.setResponseCache(std::make_shared<ResponseCache>(cacheDir.path()));
    const GitHubAccount me{QUuid::createUuid(), u"me"_s, u"github_token_me"_s, std::nullopt};
    auto keychain = std::make_shared<InMemoryKeychainService>();
    (*keychain->storage())[me.tokenKey()] = u"tok-me"_s;
    QDateTime clock = QDateTime::currentDateTimeUtc();
    PollSchedule schedule(
        PollSchedule::Options{std::make_unique<ManualPollingTimer>(), {}, false, 20, [&] { return clock; }});
    auto manual = std::make_unique<ManualPollingTimer>();
    ManualPollingTimer& timer = *manual;
    std::optional<GitHubAccount> selected;
    ActivityFeedWatch watch(ActivityFeedWatch::Dependencies{GitHubService(session, hub.baseUrl()), keychain,
                                                            std::move(manual), &schedule,
                                                            [&] { return selected; }});
    // One check, run to its end (the next one is scheduled when it is done); whether it asked GitHub.
    const auto check = [&] {
        const auto asked = [&] { return hub.requests(u"GET"_s, u"/notifications"_s).size(); };
        const std::size_t before = asked();
        timer.fire();
        EXPECT_TRUE(waitUntil([&] { return timer.active; }));
        return asked() > before;
    };

    struct Case
    {
        const char* name;
        std::function<void()> arrange;
        bool asks;
    };
    const Case cases[] = {
        {"no account", [&] { selected.reset(); }, false},
        {"the desktop says offline", [&] { schedule.setNetworkOnline(false); }, true},
        {"paused", [&] { schedule.setPaused(me.id, clock.addSecs(60)); }, false},
        {"pause over", [&] { schedule.setPaused(me.id, clock.addSecs(-1)); }, true},
    };
    watch.start();
    for (const Case& c : cases) {
        selected = me;
        schedule.setNetworkOnline(true);
        schedule.setPaused(me.id, std::nullopt);
        c.arrange();
        EXPECT_EQ(check(), c.asks) << c.name;
    }
    // GitHub's pace holds for the account it was given for: another account's failed first check keeps a
    // minute, not the last host's hour.
    hub.injectFault(fh::Fault::httpStatus(u"GET"_s, u"/notifications"_s, 200, "[]")
                        .withHeader("X-Poll-Interval", "3600")
                        .times(1));
    EXPECT_TRUE(check());
    EXPECT_EQ(watch.interval(), 3600.0);
    hub.injectFault(fh::Fault::httpStatus(u"GET"_s, u"/notifications"_s, 502).times(1));
    selected = GitHubAccount{QUuid::createUuid(), u"you"_s, u"github_token_you"_s, std::nullopt};
    (*keychain->storage())[selected->tokenKey()] = u"tok-you"_s;
    EXPECT_TRUE(check());
    EXPECT_EQ(watch.interval(), 60.0);
    EXPECT_EQ(timer.interval, 60.0);
    selected = me;

    // Meeting the limit pauses the account's polls too.
    hub.exhaustRateLimit(u"core"_s);
    EXPECT_TRUE(check());
    EXPECT_TRUE(schedule.isPaused(me.id));
}
