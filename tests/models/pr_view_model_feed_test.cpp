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

// me wrote acme/api#1 and #3; alice wrote acme/api#2, and bob acme/web#4 with me assigned.
class PRNarrowTest : public PRFeedTest
{
protected:
    void SetUp() override
    {
        PRFeedTest::SetUp();
        fh::Scenario s = baseWorld();
        s.pullRequests = {pull("acme/api", 1, "me"), pull("acme/api", 2, "alice"), pull("acme/api", 3, "me"),
                          pull("acme/web", 4, "bob")};
        s.pullRequests[3].assignees = {u"me"_s};
        hub = std::make_unique<fh::FakeHub>(s);
    }

    // A thread in me's feed about `repo`#`number`, which moves no pull request's updated_at.
    void notify(const QString& repo, qint64 number)
    {
        hub->mutate([&](fh::Scenario& w) { w.notify(u"me"_s, repo, number, u"comment"_s); });
    }

    // Runs `trigger` (a feed check or a poll) to its end: the pull requests whose detail it asked for, and
    // how many requests it sent besides the feed's.
    std::pair<QStringList, std::size_t> asked(const std::function<void()>& trigger)
    {
        const std::size_t since = hub->requests().size();
        trigger();
        EXPECT_TRUE(settle());
        const auto all = hub->requests();
        QStringList enriched;
        std::size_t sent = 0;
        for (std::size_t i = since; i < all.size(); ++i) {
            const QStringList parts = all[i].path.split(u'/');
            if (parts.size() == 6 && parts[4] == u"pulls"_s)
                enriched.append(parts[3] + u'#' + parts[5]);
            sent += all[i].path != u"/notifications"_s;
        }
        enriched.sort();
        return {enriched, sent};
    }
    std::pair<QStringList, std::size_t> asked()
    {
        return asked([this] { check(); });
    }
};

// A refresh for the feed's news asks again only for the pull requests new to the list, named by a changed
// thread, or whose updated_at moved; every other record keeps what the list showed (here a CI failure that
// moves no updated_at), until the scheduled poll, which asks for everything.
TEST_F(PRNarrowTest, FeedNewsEnrichesOnlyTheNewTheNamedAndTheMoved)
{
    launch();
    check(); // the baseline
    const auto shownCI = find(3)->ciStatus;
    hub->setCheckRun(u"acme/api"_s, u"sha3"_s, checkRun("build", "completed", "failure"));
    struct Row
    {
        const char* what;
        std::function<void()> change;
        QStringList enriched;
    };
    const Row rows[] = {
        {"a review request of a pull request new to the list",
         [&] { hub->requestReview(u"acme/api"_s, 2, u"me"_s); },
         {u"api#2"_s}},
        {"a thread names a pull request whose updated_at stayed",
         [&] { notify(u"acme/web"_s, 4); },
         {u"web#4"_s}},
        {"an updated_at moved, no thread names it",
         [&] {
             hub->setUpdatedAt(u"acme/api"_s, 1, QDateTime::currentDateTimeUtc());
             notify(u"acme/web"_s, 99);
         },
         {u"api#1"_s}},
        {"news about nothing on the list", [&] { notify(u"acme/web"_s, 99); }, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.change();
        const auto [enriched, sent] = asked();
        EXPECT_EQ(enriched, row.enriched);
        EXPECT_EQ(sent, 3 + 4 * std::size_t(enriched.size())) << "the searches, then detail, reviews and CI";
        EXPECT_EQ(find(3)->ciStatus, shownCI) << "kept from the list on screen";
    }
    EXPECT_EQ(ids().size(), 4);
    EXPECT_EQ(notifier->posts().size(), 1u);
    EXPECT_EQ(asked([this] { poll(); }).first.size(), 4) << "the scheduled poll refreshes in full";
    EXPECT_EQ(find(3)->ciStatus, PullRequest::CIStatus::failure);
}

// The same changes give the same notifications and the same list whether the feed's narrow refresh or the
// full poll sees them.
TEST_F(PRNarrowTest, NotificationsAndTheListAreThoseOfAFullRefresh)
{
    const fh::Scenario world = hub->snapshot();
    QStringList seen[2];
    for (const bool throughFeed : {true, false}) {
        hub = std::make_unique<fh::FakeHub>(world);
        notifier = std::make_shared<RecordingNotifier>();
        launch();
        check();
        hub->requestReview(u"acme/api"_s, 2, u"me"_s);
        hub->addReview(u"acme/api"_s, 1, review("alice", "APPROVED", nullptr));
        hub->addReview(u"acme/api"_s, 3, review("bob", "CHANGES_REQUESTED", nullptr, "not yet"));
        hub->addReview(u"acme/web"_s, 4, review("alice", "APPROVED", nullptr));
        EXPECT_EQ(asked([&] { throughFeed ? check() : poll(); }).first.size(), 4);
        QStringList& s = seen[throughFeed];
        for (const auto& post : notifier->posts())
            s.append(post.title + u": "_s + post.body);
        for (const auto& pr : model->pullRequests())
            s.append(u"%1 %2 %3"_s.arg(pr.id)
                         .arg(int(pr.approvalStatus.value_or(PullRequest::ApprovalStatus::unknown)))
                         .arg(pr.reviewCount.value_or(-1)));
        model.reset();
    }
    EXPECT_EQ(seen[1].size(), 3 + 4) << "three notifications, four pull requests";
    EXPECT_EQ(seen[1], seen[0]);
}

// A narrow refresh that fails leaves the news to a full refresh at the next feed check, news or not; an
// account whose feed is refused gets no narrow refresh at all, only its full polls.
TEST_F(PRNarrowTest, AFailedNarrowRefreshIsFollowedByAFullOneAndARefusedFeedKeepsTheFullPoll)
{
    launch();
    check();
    hub->requestReview(u"acme/api"_s, 2, u"me"_s);
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/search/issues"_s, 502).times(1));
    EXPECT_EQ(asked().second, 1u) << "the first search failed";
    EXPECT_EQ(asked().first.size(), 4) << "the full refresh the failure owed, at a check without news";
    EXPECT_EQ(notifier->posts().size(), 1u) << "the news is not lost";
    EXPECT_EQ(asked().second, 0u) << "owed once";
    hub->addReview(u"acme/api"_s, 1, review("alice", "APPROVED", nullptr));
    EXPECT_EQ(asked().first, QStringList{u"api#1"_s}) << "narrow again after a full one";
    model.reset();

    setToken(u"fine-me"_s);
    hub->mutate([](fh::Scenario& w) { w.users[0].fineGrainedTokens = w.users[0].tokens = {u"fine-me"_s}; });
    launch();
    check();
    EXPECT_FALSE(model->isWatchingActivityFeed());
    hub->requestReview(u"acme/web"_s, 4, u"me"_s);
    EXPECT_EQ(asked().second, 0u);
    EXPECT_EQ(asked([this] { poll(); }).first.size(), 4);
}
