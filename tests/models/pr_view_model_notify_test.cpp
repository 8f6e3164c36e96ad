#include "core/stored_keys.h"
#include "models/pr_model_fixture.h"

#include <QSignalSpy>
#include <QTemporaryDir>
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

// A snoozed pull request is out of the list, its counts and the badge, and notifies nothing, until what
// would wake it happens; then it is back, marked unseen until it is seen.
TEST_F(PRNotifyTest, ASnoozeHidesItsPullRequestUntilItWakes)
{
    const struct
    {
        const char* name;
        qint64 number;
        SnoozeLength length;
        std::function<void(fh::FakeHub&, QDateTime& clock)> meanwhile;
        bool back;
    } cases[] = {
        {"until it changes, nothing happens", 3, SnoozeLength::untilChange, {}, false},
        {"until it changes, updated later", 1, SnoozeLength::untilChange,
         [](fh::FakeHub& h, QDateTime& c) { h.setUpdatedAt(u"acme/api"_s, 1, c.addSecs(60)); }, true},
        {"a day, approved meanwhile", 2, SnoozeLength::day,
         [](fh::FakeHub& h, QDateTime& c) {
             h.addReview(u"acme/web"_s, 2, review("alice", "APPROVED", "2026-12-04T11:00:00Z"));
             h.setUpdatedAt(u"acme/web"_s, 2, c.addSecs(60));
         },
         false},
        {"a day, updated later", 1, SnoozeLength::day,
         [](fh::FakeHub& h, QDateTime& c) { h.setUpdatedAt(u"acme/api"_s, 1, c.addSecs(60)); }, false},
        {"a day, a day later", 1, SnoozeLength::day, [](fh::FakeHub&, QDateTime& c) { c = c.addDays(1); },
         true},
        {"a week, six days later", 1, SnoozeLength::week,
         [](fh::FakeHub&, QDateTime& c) { c = c.addDays(6); }, false},
        {"a week, changes requested", 2, SnoozeLength::week,
         [](fh::FakeHub& h, QDateTime&) {
             h.addReview(u"acme/web"_s, 2, review("bob", "CHANGES_REQUESTED", "2026-12-04T12:00:00Z", "No"));
         },
         true},
        {"a week, review requested", 1, SnoozeLength::week,
         [](fh::FakeHub& h, QDateTime&) { h.requestReview(u"acme/api"_s, 1, u"me"_s); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startHub(notifyWorld());
        preferences = std::make_shared<InMemoryPreferences>();
        notifier = std::make_shared<RecordingNotifier>();
        storeAccounts({account});
        clock = utc("2026-12-05T09:00:00Z");
        PRViewModel& m = launch();
        poll();
        const PullRequest pr = *find(c.number);
        const int all = m.countForFilter(PRFilter::all);
        const int badge = badgeFor(m.pullRequests()).count;
        m.snooze(pr, c.length);
        EXPECT_EQ(find(c.number), nullptr);
        ASSERT_EQ(m.snoozedPullRequests().size(), 1);
        EXPECT_EQ(m.snoozedPullRequests()[0].id, pr.id);
        EXPECT_EQ(m.countForFilter(PRFilter::all), all - 1);
        EXPECT_EQ(badgeFor(m.pullRequests()).count, badge - (pr.number == 3 ? 1 : 0));

        if (c.meanwhile)
            c.meanwhile(*hub, clock);
        poll();
        EXPECT_EQ(find(c.number) != nullptr, c.back);
        EXPECT_EQ(m.snoozedPullRequests().size(), c.back ? 0 : 1);
        EXPECT_EQ(m.wokeFromSnooze(pr.id), c.back);
        if (!c.back) {
            EXPECT_TRUE(notifier->posts().empty()) << titles(notifier->posts()).join(u", "_s).toStdString();
            continue;
        }
        // Back with its mark, which goes once it is seen; it stays back.
        ASSERT_NE(find(c.number), nullptr);
        m.markAsSeen(*find(c.number));
        EXPECT_FALSE(m.wokeFromSnooze(pr.id));
        poll();
        EXPECT_NE(find(c.number), nullptr);
    }
}

// Snoozes are kept per account across runs; a merged pull request's is dropped, Unsnooze brings one back,
// and a stored value that cannot be read costs only itself.
TEST_F(PRNotifyTest, SnoozesAreStoredAndDroppedWithTheirPullRequest)
{
    const QString key = u"pr_snoozes_"_s + uuidText(account.id);
    PRViewModel* m = &launch();
    m->snooze(*find(1), SnoozeLength::untilChange);
    m->snooze(*find(2), SnoozeLength::week);
    m->snooze(*find(3), SnoozeLength::day);

    // Another run reads them.
    m = &launch();
    EXPECT_EQ(ids(), QStringList{});
    EXPECT_EQ(m->snoozedPullRequests().size(), 3);
    EXPECT_EQ(m->snoozeOf(u"gh-1001"_s)->until, std::nullopt);
    EXPECT_EQ(m->snoozeOf(u"gh-1002"_s)->until, clock.addDays(7));

    m->unsnooze(u"gh-1003"_s);
    EXPECT_EQ(ids(), QStringList{u"gh-1003"_s});
    hub->closePullRequest(u"acme/web"_s, 2, true);
    poll();
    EXPECT_FALSE(m->snoozeOf(u"gh-1002"_s));
    const QJsonObject stored = QJsonDocument::fromJson(*preferences->data(key)).object();
    EXPECT_EQ(stored.keys(), QStringList{u"gh-1001"_s});
    const QByteArray seen = *preferences->data(u"pr_seen_states_"_s + uuidText(account.id));

    // Unreadable: a whole value and one entry; nothing else is touched.
    const struct
    {
        const char* name;
        QByteArray value;
        QStringList snoozed;
    } stores[] = {
        {"not JSON", "{snooze", {}},
        {"an array", "[1]", {}},
        {"one bad entry",
         R"({"gh-1001":{"at":"soon"},"gh-1003":{"at":818000000,"reviewRequested":true}})",
         {u"gh-1003"_s}},
        {"a bad time", R"({"gh-1001":{"at":1e300},"gh-1003":{"at":818000000,"until":"x"}})", {}},
    };
    for (const auto& s : stores) {
        SCOPED_TRACE(s.name);
        preferences->setData(key, s.value);
        m = &launch();
        QStringList snoozed;
        for (const PullRequest& pr : m->snoozedPullRequests())
            snoozed.append(pr.id);
        EXPECT_EQ(snoozed, s.snoozed);
        EXPECT_EQ(m->pullRequests().size() + snoozed.size(), 2);
        EXPECT_EQ(*preferences->data(u"pr_seen_states_"_s + uuidText(account.id)), seen);
        EXPECT_EQ(m->accounts().size(), 1);
    }
}

// "Urgent" finds my #1 (also a built-in search's) and bob's #5 (only the section's); "Typo" is refused.
TEST_F(PRNotifyTest, SectionsListTheirOwnPullRequestsApartFromCountsUnlessTheyNotify)
{
    fh::Scenario w = notifyWorld();
    w.pullRequests[0].labels = {u"urgent"_s};
    auto others = pull("acme/web", 5, "bob", "2026-12-05T10:00:00Z");
    others.labels = {u"urgent"_s};
    w.pullRequests.append(others);
    startHub(w);
    QTemporaryDir cacheDir;
    cache = std::make_shared<ResponseCache>(cacheDir.path());
    ledger = std::make_shared<RateLimitLedger>();
    const QList<SearchSection> sections{
        {u"Urgent"_s, u"label:urgent"_s}, {u"Typo"_s, u"lable:urgent"_s}, {u"Mine"_s, u"author:me"_s}};
    preferences->setData(storedName(StoredKey::sections, account.id), sectionsToStored(sections));
    PRViewModel& m = launch();
    const auto idsOf = [](const QList<PullRequest>& prs) {
        QStringList out;
        for (const PullRequest& pr : prs)
            out << pr.id + u'[' + pr.sections.join(u',') + u']';
        return out;
    };
    // One record for #1, in the list and in both sections that found it; #5 only under its section, enriched.
    EXPECT_EQ(idsOf(m.pullRequests()),
              (QStringList{u"gh-1003[]"_s, u"gh-1002[Mine]"_s, u"gh-1001[Urgent,Mine]"_s}));
    EXPECT_EQ(m.countForFilter(PRFilter::all), 3);
    const QList<PullRequest> urgent = m.sectionPullRequests(u"Urgent"_s);
    EXPECT_EQ(idsOf(urgent), (QStringList{u"gh-1001[Urgent,Mine]"_s, u"gh-1005[Urgent]"_s}));
    ASSERT_EQ(urgent.size(), 2);
    EXPECT_TRUE(urgent[1].approvalStatus.has_value() && urgent[1].headSha.has_value());
    EXPECT_EQ(m.countForSection(u"Urgent"_s), 2);
    // The refused search leaves the others, and says GitHub's reason.
    EXPECT_EQ(m.sectionError(u"Typo"_s), u"The qualifier \"lable:urgent\" is not supported."_s);
    EXPECT_EQ(m.sectionError(u"Urgent"_s), std::nullopt);
    EXPECT_EQ(m.countForSection(u"Typo"_s), 0);
    m.setSelectedSection(u"Urgent"_s);
    EXPECT_EQ(idsOf(m.filteredPullRequests()),
              (QStringList{u"gh-1005[Urgent]"_s, u"gh-1001[Urgent,Mine]"_s}));
    m.setSelectedFilter(PRFilter::all);
    EXPECT_EQ(m.selectedSection(), std::nullopt);

    // A steady poll costs nothing but the refused search (GitHub charges a 422): the others are 304s.
    poll();
    const auto used = [&] {
        return std::pair{hub->rateLimit(u"tok-me"_s).used, hub->rateLimit(u"tok-me"_s, u"search"_s).used};
    };
    const auto before = used();
    poll();
    EXPECT_EQ(used(), std::pair(before.first, before.second + 1));

    // A new match joins the section without a notification or a count; with "Notify" on, it counts.
    const std::size_t posts = notifier->posts().size();
    auto fresh = pull("acme/api", 6, "bob", "2026-12-06T10:00:00Z");
    fresh.labels = {u"urgent"_s};
    hub->addPullRequest(fresh);
    poll();
    EXPECT_EQ(m.countForSection(u"Urgent"_s), 3);
    EXPECT_EQ(m.countForFilter(PRFilter::all), 3);
    EXPECT_EQ(notifier->posts().size(), posts);
    QList<SearchSection> notifying = sections;
    notifying[0].notify = true;
    EXPECT_EQ(m.setSections(notifying), SectionProblem::none);
    EXPECT_EQ(m.countForFilter(PRFilter::all), 5);
    ASSERT_TRUE(settle());
    EXPECT_EQ(sectionsFromStored(*preferences->data(storedName(StoredKey::sections, account.id))), notifying);
    EXPECT_EQ(m.setSections(notifying + notifying), SectionProblem::duplicateName);
    EXPECT_EQ(m.sections(), notifying);
}
