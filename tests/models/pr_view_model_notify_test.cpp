#include "models/pr_model_fixture.h"

#include <QSignalSpy>
#include <QTest>

using namespace norvane;
using namespace norvane::testing;
using AS = norvane::PullRequest::ApprovalStatus;

namespace {

// me wrote #1 (acme/api) and #2 (acme/web); alice wrote #3 and asked me to review it.
fh::Scenario notifyWorld()
{
    fh::Scenario s = baseWorld();
    auto first = pull("acme/api", 1, "me", "2026-12-01T10:00:00Z");
    first.requestedReviewers = {u"alice"_s};
    auto second = pull("acme/web", 2, "me", "2026-12-02T10:00:00Z");
    auto requested = pull("acme/api", 3, "alice", "2026-12-03T10:00:00Z");
    requested.requestedReviewers = {u"me"_s};
    s.pullRequests = {first, second, requested};
    return s;
}

QStringList titles(const std::vector<NotificationRequest>& posts)
{
    QStringList out;
    for (const auto& p : posts)
        out.append(p.title);
    return out;
}

} // namespace

class PRNotifyTest : public PRModelTest
{
protected:
    void SetUp() override
    {
        startHub(notifyWorld());
        account = storedAccount("me");
        storeAccounts({account});
    }

    GitHubAccount account;
};

TEST_F(PRNotifyTest, PollsNotifyOnlyForTransitionsTheySee)
{
    PRViewModel& m = launch();
    poll(); // first poll after launch: nothing new
    EXPECT_TRUE(notifier->posts().empty());

    // Between two polls: a new pull request asking for my review, an approval of #1 and a change request
    // on #2. A pull request first seen after the account's first fetch is new to the user too.
    auto fresh = pull("acme/web", 4, "bob", "2026-12-04T10:00:00Z");
    fresh.requestedReviewers = {u"me"_s};
    hub->addPullRequest(fresh);
    hub->addReview(u"acme/api"_s, 1, review("alice", "APPROVED", "2026-12-04T11:00:00Z"));
    hub->addReview(u"acme/web"_s, 2, review("bob", "CHANGES_REQUESTED", "2026-12-04T12:00:00Z", "Fix it"));
    poll();
    ASSERT_EQ(notifier->posts().size(), 3u);
    std::map<QString, NotificationRequest> byTitle;
    for (const auto& p : notifier->posts())
        byTitle[p.title] = p;
    const auto& request = byTitle.at(u"👀 Review Requested"_s);
    EXPECT_EQ(request.subtitle, u"acme/web"_s);
    EXPECT_EQ(request.body, u"bob requested your review on 'PR 4'"_s);
    EXPECT_EQ(request.prUrl, hub->baseUrl() + u"/acme/web/pull/4"_s);
    EXPECT_FALSE(QUuid::fromString(request.identifier).isNull());
    EXPECT_EQ(byTitle.at(u"✅ PR Approved"_s).body, u"'PR 1' is ready to merge"_s);
    EXPECT_EQ(byTitle.at(u"🔧 Changes Requested"_s).body, u"'PR 2' needs changes before it can merge"_s);
    EXPECT_EQ(byTitle.at(u"🔧 Changes Requested"_s).subtitle, u"acme/web"_s);

    // Nothing changed: nothing more.
    poll();
    EXPECT_EQ(notifier->posts().size(), 3u);
    EXPECT_EQ(m.pullRequests().size(), 4);

    // A change a user refresh saw first is never announced by the poll after it.
    hub->addReview(u"acme/web"_s, 2, review("bob", "APPROVED", "2026-12-04T13:00:00Z"));
    m.refresh();
    ASSERT_TRUE(settle());
    ASSERT_EQ(find(2)->approvalStatus, AS::approved);
    poll();
    EXPECT_EQ(notifier->posts().size(), 3u);
    // (A switch turned off still recording the state: ChangeNotifier's tests.)
}

// A reviews query that fails reads as an unknown verdict, which is no change: the next good answer is
// compared with the last verdict known, so an approval is announced once, and a real change still is.
TEST_F(PRNotifyTest, AFailedReviewsQueryNeverRepeatsAVerdict)
{
    const QString reviews = u"/repos/acme/api/pulls/1/reviews"_s;
    const struct
    {
        const char* name;
        fh::Fault fault;
    } cases[] = {
        {"502", fh::Fault::httpStatus(u"GET"_s, reviews, 502).times(1)},
        {"undecodable", fh::Fault::malformedJson(u"GET"_s, reviews).times(1)},
    };
    hub->setRateLimit(u"search"_s,
                      1000); // more polls in a minute than GitHub's 30 searches allow
    launch();
    poll();
    hub->addReview(u"acme/api"_s, 1, review("alice", "APPROVED", "2026-12-04T11:00:00Z"));
    poll();
    ASSERT_EQ(titles(notifier->posts()), QStringList{u"✅ PR Approved"_s});
    for (const auto& c : cases) {
        hub->injectFault(c.fault);
        poll();
        ASSERT_EQ(find(1)->approvalStatus, AS::unknown) << c.name;
        poll();
        ASSERT_EQ(find(1)->approvalStatus, AS::approved) << c.name;
        EXPECT_EQ(notifier->posts().size(), 1u) << c.name;
    }
    hub->addReview(u"acme/api"_s, 1, review("bob", "CHANGES_REQUESTED", "2026-12-04T12:00:00Z", "Not yet"));
    hub->injectFault(fh::Fault::httpStatus(u"GET"_s, reviews, 502).times(1));
    poll();
    ASSERT_EQ(find(1)->approvalStatus, AS::unknown);
    poll();
    ASSERT_EQ(find(1)->approvalStatus, AS::changesRequested);
    EXPECT_EQ(titles(notifier->posts()), (QStringList{u"✅ PR Approved"_s, u"🔧 Changes Requested"_s}));
}

TEST_F(PRNotifyTest, PermissionStatusMapping)
{
    const std::pair<NotificationPermission, PRViewModel::NotificationPermissionStatus> cases[] = {
        {NotificationPermission::NotDetermined, PRViewModel::NotificationPermissionStatus::notDetermined},
        {NotificationPermission::Denied, PRViewModel::NotificationPermissionStatus::denied},
        {NotificationPermission::Authorized, PRViewModel::NotificationPermissionStatus::authorized},
    };
    for (const auto& [platform, expected] : cases) {
        notifier = std::make_shared<RecordingNotifier>();
        notifier->setPermission(platform);
        PRViewModel& m = makeModel();
        EXPECT_TRUE(waitUntil([&] { return m.notificationPermissionStatus() == expected; }));
    }
}

// (The stored snapshots, their key and what leaves the list and comes back: SeenStateStore's and the
// preferences-file tests.)
TEST_F(PRNotifyTest, SeenStatesFlagOnlyLaterChanges)
{
    PRViewModel& m = launch();
    for (const auto& pr : m.pullRequests())
        EXPECT_TRUE(m.unseenUpdates(pr).isEmpty()) << pr.id.toStdString();

    // A new commit and a new comment on #1.
    hub->mutate([](fh::Scenario& s) {
        auto* p = s.pullRequest(u"acme/api"_s, 1);
        p->headSha = u"newsha"_s;
        p->comments += 1;
    });
    poll();
    const norvane::PullRequest first = *find(1);
    EXPECT_EQ(m.unseenUpdates(first),
              (QList<PRUpdateType>{PRUpdateType::newCommits, PRUpdateType::newComments}));
    // "Mark as Seen" on its notification clears every flag at once, as opening it does; a pull request
    // no longer in the list has nothing to mark.
    QSignalSpy redraws(&m, &PRViewModel::seenStatesChanged);
    notifier->pressMarkSeen(hub->baseUrl() + u"/acme/api/pull/99"_s);
    EXPECT_EQ(redraws.size(), 0);
    notifier->pressMarkSeen(first.url);
    EXPECT_TRUE(m.unseenUpdates(first).isEmpty());
    EXPECT_EQ(redraws.size(), 1);
}

// The interval's rules: PollSchedule's tests.
TEST_F(PRNotifyTest, SavedSettingsRestartThePolling)
{
    PRViewModel& m = makeModel();
    m.saveNotificationSettings(); // no timer yet: saving does not start one
    EXPECT_EQ(timer->starts, 0);
    m.startPolling();
    EXPECT_EQ(timer->interval, 900.0);
    EXPECT_EQ(notifier->authorizationRequests(), 1);
    m.setNotificationSettings(NotificationSettings{true, true, true, 5});
    m.saveNotificationSettings();
    EXPECT_EQ(timer->starts, 2);
    EXPECT_EQ(timer->interval, 300.0);
    EXPECT_TRUE(waitUntil([&] { return printed.contains(u"✅ Notification permission granted"_s); }));

    // A test notification links to this run's web host. (What the permission makes of it: ChangeNotifier's.)
    m.sendTestReviewNotification();
    ASSERT_TRUE(waitUntil([&] { return !notifier->posts().empty(); }));
    EXPECT_EQ(notifier->posts().front().prUrl, u"https://github.example/test/repo/pull/123"_s);
    m.sendTestApprovalNotification();
    EXPECT_TRUE(waitUntil([&] { return notifier->posts().size() == 2; }));
}

// GitHub's rate limit: background polls wait for the reset (or Retry-After), a refresh the user asks for
// still goes out, and the message says when Norvane asks again.
TEST_F(PRNotifyTest, ARateLimitPausesBackgroundPollsUntilItLifts)
{
    PRViewModel& m = launch();
    const QStringList before = ids();
    ASSERT_FALSE(before.isEmpty());

    hub->exhaustRateLimit(u"core"_s);
    poll();
    const QDateTime reset = QDateTime::fromSecsSinceEpoch(hub->rateLimit(u"tok-me"_s).reset, Qt::UTC);
    EXPECT_EQ(m.pollsPausedUntil(account.id), reset);
    EXPECT_EQ(ids(), before) << "a refresh stopped by the limit keeps the list";

    hub->clearRequests();
    clock = reset.addSecs(-1);
    poll();
    EXPECT_TRUE(hub->requests().empty()) << "a background poll went out before the reset";

    m.refresh();
    ASSERT_TRUE(settle());
    EXPECT_FALSE(hub->requests().empty());
    ASSERT_TRUE(m.errorMessage().has_value());
    EXPECT_TRUE(m.errorMessage()->startsWith(u"API Error [repos/"_s)) << m.errorMessage()->toStdString();
    EXPECT_TRUE(m.errorMessage()->endsWith(QLatin1Char(' ') + PRViewModel::retryLine(reset)));
    EXPECT_EQ(ids(), before);

    // Past the reset (on both clocks), polling resumes and a success lifts the pause.
    hub->advanceClock(std::chrono::hours(1));
    clock = reset.addSecs(1);
    hub->clearRequests();
    poll();
    EXPECT_FALSE(hub->requests().empty());
    EXPECT_EQ(m.pollsPausedUntil(account.id), std::nullopt);

    // The secondary limit is waited out for as long as Retry-After says.
    hub->secondaryRateLimit(std::chrono::seconds(120), 429);
    clock = QDateTime::currentDateTimeUtc();
    poll();
    const auto until = m.pollsPausedUntil(account.id);
    ASSERT_TRUE(until.has_value());
    EXPECT_NEAR(double(clock.secsTo(*until)), 120.0, 2.0);
    hub->clearRequests();
    clock = until->addSecs(-2);
    poll();
    EXPECT_TRUE(hub->requests().empty());
}

// The catch-up after a wake or the network's return may come before the network carries anything (no address
// yet, no route): a failed catch-up is tried once more a little later, and only once.
TEST_F(PRNotifyTest, AFailedCatchUpIsTriedOnceMore)
{
    struct Case
    {
        const char* name;
        int failures;         // of the catch-up's first search
        std::size_t searches; // a failed run stops at its first; a fetched one asks all three
    };
    for (const Case& c :
         {Case{"fetched", 0, 3}, Case{"failed once", 1, 1 + 3}, Case{"failed twice", 2, 1 + 1}}) {
        SCOPED_TRACE(c.name);
        PRViewModel& m = launch();
        hub->clearRequests();
        if (c.failures)
            hub->injectFault(fh::Fault::httpStatus(u"GET"_s, u"/search/issues"_s, 502).times(c.failures));
        m.setNetworkOnline(false);
        m.setNetworkOnline(true);
        EXPECT_TRUE(waitUntil([&] { return searches() >= c.searches; }));
        ASSERT_TRUE(settle());
        QTest::qWait(100); // a retry too many would have come by now
        EXPECT_EQ(searches(), c.searches);
        EXPECT_FALSE(m.errorMessage().has_value()) << "a background refresh fails quietly";
        model.reset();
        hub->clearFaults();
    }
}
