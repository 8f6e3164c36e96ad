#include "models/pr_model_fixture.h"

using namespace norvane;
using namespace norvane::testing;
using AS = norvane::PullRequest::ApprovalStatus;

namespace {

// me wrote #1 (acme/api) and #2 (acme/web); alice wrote #3 and asked me to review it.
fh::Scenario notifyWorld()
{
    fh::Scenario s = baseWorld();
    auto first = pull("acme/api", 1, "me", "2026-12-01T10:00:00Z");
    first.requestedReviewers = {QStringLiteral("alice")};
    auto second = pull("acme/web", 2, "me", "2026-12-02T10:00:00Z");
    auto requested = pull("acme/api", 3, "alice", "2026-12-03T10:00:00Z");
    requested.requestedReviewers = {QStringLiteral("me")};
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

class PRNotifyTest : public PRModelTest {
protected:
    void SetUp() override
    {
        startHub(notifyWorld());
        account = storedAccount("me");
        storeAccounts({account});
    }

    PRViewModel& launch(bool withBundleId = true)
    {
        PRViewModel& m = makeModel(withBundleId);
        m.loadAccounts();
        EXPECT_TRUE(settle());
        m.startPolling();
        return m;
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
    fresh.requestedReviewers = {QStringLiteral("me")};
    hub->addPullRequest(fresh);
    hub->addReview(QStringLiteral("acme/api"), 1, review("alice", "APPROVED", "2026-12-04T11:00:00Z"));
    hub->addReview(QStringLiteral("acme/web"), 2, review("bob", "CHANGES_REQUESTED", "2026-12-04T12:00:00Z", "Fix it"));
    poll();
    ASSERT_EQ(notifier->posts().size(), 3u);
    std::map<QString, NotificationRequest> byTitle;
    for (const auto& p : notifier->posts())
        byTitle[p.title] = p;
    const auto& request = byTitle.at(QStringLiteral("👀 Review Requested"));
    EXPECT_EQ(request.subtitle, QStringLiteral("acme/web"));
    EXPECT_EQ(request.body, QStringLiteral("bob requested your review on 'PR 4'"));
    EXPECT_EQ(request.prUrl, hub->baseUrl() + QStringLiteral("/acme/web/pull/4"));
    EXPECT_FALSE(QUuid::fromString(request.identifier).isNull());
    EXPECT_EQ(byTitle.at(QStringLiteral("✅ PR Approved")).body, QStringLiteral("'PR 1' is ready to merge"));
    EXPECT_EQ(byTitle.at(QStringLiteral("🔧 Changes Requested")).body,
              QStringLiteral("'PR 2' needs changes before it can merge"));
    EXPECT_EQ(byTitle.at(QStringLiteral("🔧 Changes Requested")).subtitle, QStringLiteral("acme/web"));

    // Nothing changed: nothing more.
    poll();
    EXPECT_EQ(notifier->posts().size(), 3u);
    EXPECT_EQ(m.pullRequests().size(), 4);
}

TEST_F(PRNotifyTest, ChangesFirstSeenByAUserRefreshNeverNotify)
{
    PRViewModel& m = launch();
    hub->addReview(QStringLiteral("acme/api"), 1, review("alice", "APPROVED", "2026-12-04T11:00:00Z"));
    m.refresh();
    ASSERT_TRUE(settle());
    poll();
    EXPECT_TRUE(notifier->posts().empty());
}

TEST_F(PRNotifyTest, DisabledSwitchesStillRecordTheState)
{
    PRViewModel& m = launch();
    m.setNotificationSettings(NotificationSettings{true, true, false, 15});
    m.saveNotificationSettings();
    hub->addReview(QStringLiteral("acme/api"), 1, review("alice", "APPROVED", "2026-12-04T11:00:00Z"));
    poll();
    EXPECT_TRUE(notifier->posts().empty());
    // Turning the switch on later does not notify for the approval already recorded.
    m.setNotificationSettings(NotificationSettings{});
    m.saveNotificationSettings();
    poll();
    EXPECT_TRUE(notifier->posts().empty());
}

TEST_F(PRNotifyTest, AssignmentCountsAsAReviewRequestAndOthersApprovalsDoNot)
{
    launch();
    fh::Scenario world = hub->snapshot();
    hub->mutate([](fh::Scenario& s) {
        s.pullRequest(QStringLiteral("acme/api"), 3)->assignees = {QStringLiteral("me")};
        auto other = pull("acme/web", 5, "bob");
        other.assignees = {QStringLiteral("carol")};
        s.pullRequests.append(other);
    });
    poll();
    // #3 was already requested: being assigned too is no new request.
    EXPECT_TRUE(notifier->posts().empty());

    hub->mutate([](fh::Scenario& s) { s.pullRequest(QStringLiteral("acme/web"), 5)->assignees = {QStringLiteral("me")}; });
    hub->addReview(QStringLiteral("acme/api"), 3, review("bob", "APPROVED", "2026-12-04T11:00:00Z"));
    poll();
    EXPECT_EQ(titles(notifier->posts()), QStringList{QStringLiteral("👀 Review Requested")});
}

TEST_F(PRNotifyTest, ANewPullRequestIsARequestOnlyWhenMyReviewIsRequested)
{
    launch();
    poll();
    // Between two polls: my own new pull request, assigned to myself, and bob's asking for my review.
    hub->mutate([](fh::Scenario& s) {
        auto mine = pull("acme/web", 6, "me", "2026-12-04T09:00:00Z");
        mine.assignees = {QStringLiteral("me")};
        auto bobs = pull("acme/web", 7, "bob", "2026-12-04T10:00:00Z");
        bobs.requestedReviewers = {QStringLiteral("me")};
        s.pullRequests.append({mine, bobs});
    });
    poll();
    ASSERT_EQ(titles(notifier->posts()), QStringList{QStringLiteral("👀 Review Requested")});
    EXPECT_EQ(notifier->posts().front().body, QStringLiteral("bob requested your review on 'PR 7'"));

    // Assigning myself my own pull request that a poll already saw asks nothing of me either.
    hub->mutate([](fh::Scenario& s) { s.pullRequest(QStringLiteral("acme/web"), 2)->assignees = {QStringLiteral("me")}; });
    poll();
    EXPECT_EQ(notifier->posts().size(), 1u);
}

// A reviews query that fails reads as an unknown verdict, which is no change: the next good answer is
// compared with the last verdict known, so an approval is announced once, and a real change still is.
TEST_F(PRNotifyTest, AFailedReviewsQueryNeverRepeatsAVerdict)
{
    const QString reviews = QStringLiteral("/repos/acme/api/pulls/1/reviews");
    const struct {
        const char* name;
        fh::Fault fault;
    } cases[] = {
        {"502", fh::Fault::httpStatus(QStringLiteral("GET"), reviews, 502).times(1)},
        {"404", fh::Fault::httpStatus(QStringLiteral("GET"), reviews, 404).times(1)},
        {"undecodable", fh::Fault::malformedJson(QStringLiteral("GET"), reviews).times(1)},
    };
    hub->setRateLimit(QStringLiteral("search"), 1000); // more polls in a minute than GitHub's 30 searches allow
    launch();
    poll();
    hub->addReview(QStringLiteral("acme/api"), 1, review("alice", "APPROVED", "2026-12-04T11:00:00Z"));
    poll();
    ASSERT_EQ(titles(notifier->posts()), QStringList{QStringLiteral("✅ PR Approved")});
    for (const auto& c : cases) {
        hub->injectFault(c.fault);
        poll();
        ASSERT_EQ(find(1)->approvalStatus, AS::unknown) << c.name;
        poll();
        ASSERT_EQ(find(1)->approvalStatus, AS::approved) << c.name;
        EXPECT_EQ(notifier->posts().size(), 1u) << c.name;
    }
    hub->addReview(QStringLiteral("acme/api"), 1,
                   review("bob", "CHANGES_REQUESTED", "2026-12-04T12:00:00Z", "Not yet"));
    hub->injectFault(fh::Fault::httpStatus(QStringLiteral("GET"), reviews, 502).times(1));
    poll();
    ASSERT_EQ(find(1)->approvalStatus, AS::unknown);
    poll();
    ASSERT_EQ(find(1)->approvalStatus, AS::changesRequested);
    EXPECT_EQ(titles(notifier->posts()),
              (QStringList{QStringLiteral("✅ PR Approved"), QStringLiteral("🔧 Changes Requested")}));
}

TEST_F(PRNotifyTest, WithoutABundleIdentifierNothingIsPosted)
{
    PRViewModel& m = launch(false);
    EXPECT_TRUE(printed.contains(QStringLiteral("⚠️ Notifications unavailable: No bundle identifier")));
    hub->addReview(QStringLiteral("acme/api"), 1, review("alice", "APPROVED", "2026-12-04T11:00:00Z"));
    poll();
    EXPECT_TRUE(notifier->posts().empty());
    m.sendTestApprovalNotification();
    EXPECT_EQ(m.errorMessage(), QStringLiteral("Notifications require running from .app bundle"));
}

TEST_F(PRNotifyTest, TypedTestNotificationsFollowThePermission)
{
    struct Case {
        NotificationPermission permission;
        bool granted;
        std::optional<QString> postError;
        const char* message;
        size_t posts;
    };
    const Case cases[] = {
        {NotificationPermission::Authorized, true, std::nullopt,
         "Notification sent! Check Notification Center if not visible.", 1},
        {NotificationPermission::Authorized, true, QStringLiteral("daemon gone"), "Notification failed: daemon gone", 1},
        {NotificationPermission::Denied, false, std::nullopt,
         "Notifications denied. Enable in System Settings → Notifications → Norvane", 0},
        {NotificationPermission::NotDetermined, true, std::nullopt, "Permission granted! Try again.", 0},
        {NotificationPermission::NotDetermined, false, std::nullopt,
         "Permission denied. Enable in System Settings → Notifications → Norvane", 0},
    };
    for (const Case& c : cases) {
        notifier = std::make_shared<RecordingNotifier>();
        notifier->setPermission(c.permission);
        notifier->setAuthorizationAnswer({c.granted, std::nullopt});
        PRViewModel& m = makeModel();
        if (c.postError) {
            notifier->setHoldCompletions(true);
        }
        m.sendTestReviewNotification();
        if (c.postError) {
            ASSERT_TRUE(waitUntil([&] { return notifier->pendingCount() == 1; }));
            notifier->completeNext(c.postError);
        }
        EXPECT_TRUE(waitUntil([&] { return m.errorMessage() == QString::fromUtf8(c.message); }))
            << c.message << " / got " << m.errorMessage().value_or(QStringLiteral("<none>")).toStdString();
        ASSERT_EQ(notifier->posts().size(), c.posts);
        if (c.posts) {
            const auto& post = notifier->posts().front();
            EXPECT_EQ(post.title, QStringLiteral("Review Requested"));
            EXPECT_EQ(post.body, QStringLiteral("teammate requested your review on 'Add new authentication feature'"));
            EXPECT_EQ(post.prUrl, QStringLiteral("https://github.example/test/repo/pull/123"));
            EXPECT_TRUE(post.identifier.startsWith(QStringLiteral("test-")));
            EXPECT_FALSE(post.subtitle.has_value());
        }
    }
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

TEST_F(PRNotifyTest, SeenStatesFlagOnlyLaterChanges)
{
    PRViewModel& m = launch();
    for (const auto& pr : m.pullRequests())
        EXPECT_TRUE(m.unseenUpdates(pr).isEmpty()) << pr.id.toStdString();
    const QString key = QStringLiteral("pr_seen_states_") + uuidText(account.id);
    ASSERT_TRUE(preferences->data(key).has_value());
    EXPECT_EQ(seenStateMapFromJson(parseJsonObject(*preferences->data(key))).size(), 3);

    // A new commit and a new comment on #1.
    hub->mutate([](fh::Scenario& s) {
        auto* p = s.pullRequest(QStringLiteral("acme/api"), 1);
        p->headSha = QStringLiteral("newsha");
        p->comments += 1;
    });
    poll();
    const norvane::PullRequest first = *find(1);
    EXPECT_EQ(m.unseenUpdates(first), (QList<PRUpdateType>{PRUpdateType::newCommits, PRUpdateType::newComments}));

    // Opening it clears every flag at once and is written through.
    m.markAsSeen(first);
    EXPECT_TRUE(m.unseenUpdates(first).isEmpty());
    EXPECT_EQ(seenStateMapFromJson(parseJsonObject(*preferences->data(key))).value(first.id).headSha,
              QStringLiteral("newsha"));

    // A pull request that leaves the list loses its snapshot; when it comes back it starts clean.
    hub->closePullRequest(QStringLiteral("acme/api"), 1);
    poll();
    EXPECT_FALSE(m.seenStates().contains(first.id));
    hub->mutate([](fh::Scenario& s) {
        auto* p = s.pullRequest(QStringLiteral("acme/api"), 1);
        p->state = QStringLiteral("open");
        p->closedAt.reset();
        p->headSha = QStringLiteral("newer");
    });
    poll();
    ASSERT_NE(find(1), nullptr);
    EXPECT_TRUE(m.unseenUpdates(*find(1)).isEmpty());
}

TEST_F(PRNotifyTest, UnreadableSeenStatesCountAsNoneUntilTheNextSave)
{
    const QString key = QStringLiteral("pr_seen_states_") + uuidText(account.id);
    preferences->setData(key, QByteArrayLiteral("{\"gh-1001\": {\"reviewCount\": 1}}"));
    PRViewModel& m = makeModel();
    // Loading the account reads the broken map as empty without touching it ...
    m.setShowSettings(false);
    EXPECT_EQ(preferences->data(key), QByteArrayLiteral("{\"gh-1001\": {\"reviewCount\": 1}}"));
    m.loadAccounts();
    ASSERT_TRUE(settle());
    // ... and the first refresh writes fresh snapshots over it.
    const auto stored = seenStateMapFromJson(parseJsonObject(*preferences->data(key)));
    EXPECT_EQ(stored.size(), 3);
}

TEST_F(PRNotifyTest, PollingIntervalAndRestart)
{
    struct Case {
        std::optional<QString> override;
        bool debug;
        int minutes;
        double expected;
    };
    const Case cases[] = {
        {QStringLiteral("30"), true, 15, 30.0},
        {QStringLiteral("2.5"), false, 60, 2.5},
        {QStringLiteral("thirty"), true, 15, 15.0},
        {QStringLiteral("30 "), false, 5, 300.0},
        {std::nullopt, false, 10, 600.0},
        {std::nullopt, true, 10, 15.0},
        {std::nullopt, false, 7, 420.0},
        // Nothing polls back to back: what is not a finite override of a second or more is ignored, and a
        // stored interval under a minute reads as the default.
        {QStringLiteral("nan"), false, 10, 600.0},
        {QStringLiteral("inf"), false, 10, 600.0},
        {QStringLiteral("0"), false, 10, 600.0},
        {QStringLiteral("-30"), true, 10, 15.0},
        {QStringLiteral("0.5"), false, 10, 600.0},
        {QStringLiteral("1"), false, 10, 1.0},
        {std::nullopt, false, 0, 900.0},
        {std::nullopt, false, -5, 900.0},
    };
    for (const Case& c : cases) {
        PRViewModel& m = makeModel(true, c.override, c.debug);
        m.setNotificationSettings(NotificationSettings{true, true, true, c.minutes});
        EXPECT_DOUBLE_EQ(m.pollingInterval(), c.expected) << c.override.value_or(QStringLiteral("-")).toStdString();
    }

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
    EXPECT_TRUE(waitUntil([&] { return printed.contains(QStringLiteral("✅ Notification permission granted")); }));
}

TEST_F(PRNotifyTest, ANewRequestFromADeletedUserNotifiesOnceAsSomeone)
{
    launch();
    poll();
    EXPECT_TRUE(notifier->posts().empty());
    auto orphan = pull("acme/web", 6, "", "2026-12-05T10:00:00Z"); // the author's account is gone
    orphan.requestedReviewers = {QStringLiteral("me")};
    hub->addPullRequest(orphan);
    poll();
    ASSERT_EQ(notifier->posts().size(), 1u);
    EXPECT_EQ(notifier->posts().front().body, QStringLiteral("Someone requested your review on 'PR 6'"));
    poll();
    EXPECT_EQ(notifier->posts().size(), 1u);
}

// GitHub's rate limit: background polls wait for the reset (or Retry-After), a refresh the user asks for
// still goes out, and the message says when Norvane asks again.
TEST_F(PRNotifyTest, ARateLimitPausesBackgroundPollsUntilItLifts)
{
    PRViewModel& m = launch();
    const QStringList before = ids();
    ASSERT_FALSE(before.isEmpty());

    hub->exhaustRateLimit(QStringLiteral("core"));
    poll();
    const QDateTime reset = QDateTime::fromSecsSinceEpoch(hub->rateLimit(QStringLiteral("tok-me")).reset, Qt::UTC);
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
    EXPECT_TRUE(m.errorMessage()->startsWith(QStringLiteral("API Error [repos/"))) << m.errorMessage()->toStdString();
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
