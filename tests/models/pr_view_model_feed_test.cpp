#include "models/pr_model_fixture.h"

#include <QTemporaryDir>

using namespace norvane;
using namespace norvane::testing;

namespace {

// me wrote acme/api#1; alice wrote acme/api#2, which nobody has asked me to review yet. me also holds a
// fine-grained token, which cannot read the notification feed.
fh::Scenario feedWorld()
{
    fh::Scenario s = baseWorld();
    s.users[0].fineGrainedTokens = {u"fine-me"_s};
    s.users[0].tokens.append(u"fine-me"_s);
    s.pullRequests = {pull("acme/api", 1, "me"), pull("acme/api", 2, "alice")};
    return s;
}

} // namespace

class PRFeedTest : public PRModelTest
{
protected:
    void SetUp() override
    {
        fh::FakeHub::Options options;
        options.feedPollIntervalSecs = 7;
        startHub(feedWorld(), options);
        ASSERT_TRUE(cacheDir.isValid());
        cache = std::make_shared<ResponseCache>(cacheDir.path());
        ledger = std::make_shared<RateLimitLedger>();
        account = storedAccount("me");
        storeAccounts({account});
    }

    void setToken(const QString& token) { (*keychain->storage())[account.tokenIdentifier] = token; }

    // One feed check, run to its end (the next one is scheduled when it is done).
    void check()
    {
        const std::size_t before = hub->requests(u"GET"_s, u"/notifications"_s).size();
        feedTimer->fire();
        ASSERT_TRUE(waitUntil([&] { return feedTimer->active; }));
        ASSERT_TRUE(settle());
        lastCheckAsked = hub->requests(u"GET"_s, u"/notifications"_s).size() > before;
    }

    int corePointsUsed() const { return hub->rateLimit(u"tok-me"_s).used; }

    QTemporaryDir cacheDir;
    GitHubAccount account;
    bool lastCheckAsked = false;
};

TEST_F(PRFeedTest, OnlyANewFeedRefreshesAndAnUnchangedOneCostsNothing)
{
    PRViewModel& m = launch();
    EXPECT_TRUE(m.isWatchingActivityFeed());
    EXPECT_EQ(m.activityFeedInterval(), 60.0) << "a minute until GitHub says otherwise";
    EXPECT_EQ(feedTimer->interval, 3.0) << "the first look comes soon";

    // The first answer is the baseline: however fresh, it says nothing about what happened since.
    std::size_t polls = searches();
    check();
    EXPECT_TRUE(lastCheckAsked);
    EXPECT_EQ(searches(), polls);
    EXPECT_EQ(m.activityFeedInterval(), 7.0) << "GitHub's X-Poll-Interval paces the checks";
    EXPECT_EQ(feedTimer->interval, 7.0);

    // Nothing new: a 304 to the stored Last-Modified, no points, no refresh.
    const int points = corePointsUsed();
    check();
    const auto asked = hub->requests(u"GET"_s, u"/notifications"_s);
    EXPECT_FALSE(asked.back().header(u"If-Modified-Since"_s).isEmpty());
    EXPECT_EQ(corePointsUsed(), points);
    EXPECT_EQ(searches(), polls);

    // Something that concerns me: one silent refresh, which notifies as a poll does.
    hub->requestReview(u"acme/api"_s, 2, u"me"_s);
    check();
    ASSERT_TRUE(settle());
    EXPECT_EQ(searches(), polls + 3);
    ASSERT_EQ(notifier->posts().size(), 1u);
    EXPECT_TRUE(notifier->posts()[0].title.endsWith(u"Review Requested"_s));

    // Activity for someone else leaves my feed as it was.
    polls = searches();
    hub->requestReview(u"acme/api"_s, 1, u"alice"_s);
    check();
    EXPECT_EQ(searches(), polls);

    // Restarting the poll (the panel opens) keeps the feed's baseline: a change just before still counts.
    hub->addReview(u"acme/api"_s, 1, review("alice", "APPROVED", nullptr));
    const int starts = feedTimer->starts;
    m.startPolling();
    EXPECT_EQ(feedTimer->starts, starts) << "the feed keeps its pace";
    check();
    ASSERT_TRUE(settle());
    EXPECT_EQ(searches(), polls + 3);
}

TEST_F(PRFeedTest, ARefusedFeedIsLeftAloneUntilTheTokenChanges)
{
    struct Case
    {
        const char* what;
        int status; // a fault on the feed; 0: the fine-grained token's own refusal
        bool staysOn;
    };
    // Any other refusal (a 401, a 404) reads as the fine-grained token's 403.
    for (const Case& c : {Case{"fine-grained token", 0, false}, Case{"server error", 502, true}}) {
        SCOPED_TRACE(c.what);
        hub->clearFaults();
        setToken(c.status ? u"tok-me"_s : u"fine-me"_s);
        if (c.status)
            hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/notifications"_s, c.status));
        PRViewModel& m = launch();
        check();
        EXPECT_TRUE(lastCheckAsked);
        EXPECT_EQ(m.isWatchingActivityFeed(), c.staysOn);
        EXPECT_FALSE(m.errorMessage().has_value()) << "the feed never puts anything on screen";
        check();
        EXPECT_EQ(lastCheckAsked, c.staysOn) << "a refused token is not asked again";

        // A new token (a reconnect stores it under the same identifier) is tried again.
        hub->clearFaults();
        setToken(c.status ? u"fine-me"_s : u"tok-me"_s);
        check();
        EXPECT_TRUE(lastCheckAsked);
        EXPECT_EQ(m.isWatchingActivityFeed(), c.status == 0);
        model.reset();
    }
}

// A server that sends no validators (no ETag, no Last-Modified) answers every check in full: only a body that
// differs from the last one is news. An answer without X-Poll-Interval (a failure) keeps the last pace; no
// pace is longer than an hour.
TEST_F(PRFeedTest, ThePaceFollowsTheLastIntervalGivenAndABareAnswerIsNewsOnlyWhenItsBodyChanged)
{
    struct Row
    {
        const char* what;
        int status;
        QByteArray body;
        QByteArray interval; // X-Poll-Interval; empty: none
        double pace;
        bool refreshes;
    };
    const QByteArray one = R"([{"id":"1"}])";
    const Row rows[] = {
        {"the baseline; GitHub asks for two minutes", 200, "[]", "120", 120, false},
        {"the same body, no interval", 200, "[]", "", 120, false},
        {"a server error", 502, {}, "", 120, false},
        {"another body; an interval past an hour", 200, one, "7200", 3600, true},
        {"the same body again; a shorter interval", 200, one, "90", 90, false},
        {"an interval past any integer", 200, one, "99999999999", 3600, false},
    };
    PRViewModel& m = launch();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        hub->clearFaults();
        fh::Fault fault = fh::Fault::httpStatus(u"GET"_s, u"/notifications"_s, row.status, row.body);
        if (!row.interval.isEmpty())
            fault.withHeader("X-Poll-Interval", row.interval);
        hub->injectFault(fault);
        const std::size_t polls = searches();
        check();
        ASSERT_TRUE(lastCheckAsked);
        EXPECT_EQ(m.activityFeedInterval(), row.pace);
        EXPECT_EQ(feedTimer->interval, row.pace);
        EXPECT_EQ(searches(), row.refreshes ? polls + 3 : polls);
    }
}

// (The switch saved at once and stopping the checks: the settings page's tests.)
TEST_F(PRFeedTest, SwitchedOffTheChecksStayOffAtTheNextLaunchAndOnAgainCheckAtOnce)
{
    launch().setChecksActivityFeed(false);
    EXPECT_TRUE(model->isPolling()) << "the regular poll goes on";
    model.reset();
    PRViewModel& again = launch();
    EXPECT_FALSE(again.checksActivityFeed());
    EXPECT_FALSE(feedTimer->active);

    again.setChecksActivityFeed(true);
    EXPECT_EQ(preferences->string(u"activity_feed_enabled"_s), u"true"_s);
    EXPECT_EQ(feedTimer->interval, 0.0) << "switched on again: at once";
    check();
    EXPECT_TRUE(lastCheckAsked);
}

// An answer under the rate limit pauses the polls and is no baseline: the change it held back is caught once
// the limit lifts. (That nothing is asked before then: ActivityFeedWatch's test.)
TEST_F(PRFeedTest, ARateLimitAnswerHoldsAChangeBackUntilTheLimitLifts)
{
    PRViewModel& m = launch();
    check();
    hub->exhaustRateLimit(u"core"_s);
    hub->requestReview(u"acme/api"_s, 2, u"me"_s); // the feed changed: it must be read
    check();
    const QDateTime reset = QDateTime::fromSecsSinceEpoch(hub->rateLimit(u"tok-me"_s).reset, Qt::UTC);
    EXPECT_EQ(m.pollsPausedUntil(account.id), reset);
    EXPECT_TRUE(m.rateLimitNotice().has_value());

    hub->advanceClock(std::chrono::hours(1));
    clock = reset.addSecs(1);
    const std::size_t polls = searches();
    check();
    EXPECT_TRUE(lastCheckAsked);
    ASSERT_TRUE(settle());
    EXPECT_EQ(searches(), polls + 3) << "the change the limit held back is caught";
}

// News that comes while a refresh runs is not dropped: the run may have read GitHub before it, so one more
// refresh follows when the run ends, one for any number of news.
TEST_F(PRFeedTest, NewsDuringARefreshGetsOneRefreshOfItsOwnAfterIt)
{
    heldKeychain = std::make_shared<HeldKeychain>(keychain);
    PRViewModel& m = launch();
    check(); // the baseline
    const std::size_t polls = searches();
    heldKeychain->hold(account.tokenKey(), 1); // the poll's token read waits; the feed's pass
    timer->fire();
    ASSERT_EQ(heldKeychain->waiting(account.tokenKey()), 1);
    // Two changes, each news (no validators: another body is news).
    for (const QByteArray& body : {QByteArray(R"([{"id":"1"}])"), QByteArray(R"([{"id":"2"}])")}) {
        hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/notifications"_s, 200, body).times(1));
        feedTimer->fire();
        ASSERT_TRUE(waitUntil([&] { return feedTimer->active; }));
    }
    EXPECT_EQ(hub->requests(u"GET"_s, u"/notifications"_s).size(), 3u);
    EXPECT_TRUE(m.isRefreshing());

    heldKeychain->release(account.tokenKey());
    ASSERT_TRUE(settle());
    EXPECT_EQ(searches(), polls + 6) << "the poll, then one refresh for both news";
}
