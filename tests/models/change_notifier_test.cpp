#include "models/change_notifier.h"
#include "support/wait.h"

#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;
using norvane::testing::waitUntil;
using AS = PullRequest::ApprovalStatus;

namespace {

struct Seen
{
    Seen(bool requested = false, bool assigned = false, bool mine = false,
         std::optional<AS> verdict = std::nullopt, bool team = false)
        : requested(requested), assigned(assigned), mine(mine), verdict(verdict), team(team)
    {
    }
    bool requested; // my review requested
    bool assigned;  // assigned to me
    bool mine;      // I wrote it
    std::optional<AS> verdict;
    bool team; // the request went to my team, acme/web
};
const Seen kTeam{true, false, false, std::nullopt, true};

PullRequest pr(const Seen& s)
{
    PullRequest p;
    p.id = u"gh-1"_s;
    p.number = 1;
    p.title = u"Fix it"_s;
    p.author = s.mine ? u"me"_s : u"alice"_s;
    p.repository = u"acme/api"_s;
    p.url = u"https://github.com/acme/api/pull/1"_s;
    p.reviewRequested = s.requested;
    p.isAssigned = s.assigned;
    p.isYourPR = s.mine;
    p.approvalStatus = s.verdict;
    if (s.team)
        p.requestedTeam = u"acme/web"_s;
    return p;
}

class ChangeNotifierTest : public ::testing::Test
{
protected:
    ChangeNotifier& make(bool withBundleId = true)
    {
        notify = std::make_unique<ChangeNotifier>(
            notifier,
            AppIdentity{withBundleId ? std::optional<QString>(u"com.norvane.app"_s) : std::nullopt, u"1.0"_s,
                        u"1"_s},
            [this](const QString& line) { printed.append(line); });
        QObject::connect(notify.get(), &ChangeNotifier::message, [this](const std::optional<QString>& line) {
            messages.append(line.value_or(u"-"_s));
        });
        return *notify;
    }
    QStringList titles() const
    {
        QStringList out;
        for (const NotificationRequest& r : notifier->posts())
            out.append(r.title);
        return out;
    }

    std::shared_ptr<RecordingNotifier> notifier = std::make_shared<RecordingNotifier>();
    std::unique_ptr<ChangeNotifier> notify;
    QStringList printed;
    QStringList messages;
    GitHubAccount account{QUuid::createUuid(), u"me"_s, u"github_token_x"_s, std::nullopt};
};

} // namespace

TEST_F(ChangeNotifierTest, WhichTransitionsNotify)
{
    struct Case
    {
        const char* name;
        Seen before, after;
        QStringList expected;
        NotificationSettings settings = {};
    };
    NotificationSettings noTeams;
    noTeams.notifyOnTeamReviewRequest = false;
    Seen teamAssigned = kTeam;
    teamAssigned.assigned = true;
    const Case cases[] = {
        {"review requested from my team", {}, kTeam, {"👀 Review Requested"}},
        {"from my team with team requests off", {}, kTeam, {}, noTeams},
        {"from my team, then from me", kTeam, {true}, {"👀 Review Requested"}, noTeams},
        {"from me, then from my team too", {true}, kTeam, {}},
        {"from my team and assigned to me, team requests off",
         {},
         teamAssigned,
         {"👀 Review Requested"},
         noTeams},
        {"review requested", {}, {true}, {"👀 Review Requested"}},
        {"someone else's assigned to me", {}, {false, true}, {"👀 Review Requested"}},
        {"my own assigned to me", {false, false, true}, {false, true, true}, {}},
        {"still requested", {true}, {true}, {}},
        {"my pull request approved",
         {false, false, true, AS::pending},
         {false, false, true, AS::approved},
         {"✅ PR Approved"}},
        {"changes requested on mine",
         {false, false, true, AS::approved},
         {false, false, true, AS::changesRequested},
         {"🔧 Changes Requested"}},
        {"approved again", {false, false, true, AS::approved}, {false, false, true, AS::approved}, {}},
        {"someone else's approved",
         {false, false, false, AS::pending},
         {false, false, false, AS::approved},
         {}},
        {"to a verdict the reviews query failed to read",
         {false, false, true, AS::approved},
         {false, false, true, AS::unknown},
         {}},
        {"from no verdict to approved",
         {false, false, true},
         {false, false, true, AS::approved},
         {"✅ PR Approved"}},
    };
    for (const Case& c : cases) {
        notifier = std::make_shared<RecordingNotifier>();
        ChangeNotifier& n = make();
        n.update({pr(c.before)}, account, true, {});
        EXPECT_TRUE(notifier->posts().empty()) << c.name << ": the first answer only sets the baseline";
        n.update({pr(c.after)}, account, true, c.settings);
        EXPECT_EQ(titles(), c.expected) << c.name;
    }
}

TEST_F(ChangeNotifierTest, SettingsSilentPollsAndOtherAccountsHoldBack)
{
    ChangeNotifier& n = make();
    n.update({pr({false, false, true, AS::pending})}, account, true, {});
    NotificationSettings off{false, false, false, 15};
    n.update({pr({true, false, true, AS::approved})}, account, true, off);
    EXPECT_TRUE(notifier->posts().empty()) << "every kind switched off";
    n.update({pr({true, false, true, AS::approved})}, account, true, {});
    EXPECT_TRUE(notifier->posts().empty()) << "what came while switched off is no news once on";
    n.update({pr({false, false, true, AS::changesRequested})}, account, false, {});
    EXPECT_TRUE(notifier->posts().empty()) << "an answer that does not send notifications";

    // Another account's first answer is its own baseline, however different from this one's.
    GitHubAccount other{QUuid::createUuid(), u"you"_s, u"github_token_y"_s, std::nullopt};
    n.update({pr({true, false, false})}, other, true, {});
    EXPECT_TRUE(notifier->posts().empty());

    // Once an account was answered, a pull request first seen later counts as new: a request of my review,
    // not my own assigned to me.
    PullRequest late = pr({true});
    late.id = u"gh-2"_s;
    late.author.reset();
    PullRequest mine = pr({false, true, true});
    mine.id = u"gh-3"_s;
    n.update({pr({false, false, true, AS::changesRequested}), late, mine}, account, true, {});
    ASSERT_EQ(titles(), QStringList{u"👀 Review Requested"_s});
    EXPECT_EQ(notifier->posts().front().body, u"Someone requested your review on 'Fix it'"_s);
    EXPECT_EQ(notifier->posts().front().subtitle, std::optional<QString>(u"acme/api"_s));
    EXPECT_TRUE(notifier->posts().front().offersMarkSeen);

    PullRequest team = pr(kTeam);
    team.id = u"gh-4"_s;
    n.update({team}, account, true, {});
    ASSERT_EQ(notifier->posts().size(), 2u);
    EXPECT_EQ(notifier->posts().back().body, u"alice requested a review from @acme/web on 'Fix it'"_s);
}

TEST_F(ChangeNotifierTest, WithoutABundleIdentifierNothingIsPosted)
{
    ChangeNotifier& n = make(false);
    n.update({pr({})}, account, true, {});
    n.update({pr({true})}, account, true, {});
    n.sendTest(ChangeNotifier::TestKind::approved, u"https://github.com"_s);
    n.requestPermission();
    EXPECT_TRUE(notifier->posts().empty());
    EXPECT_EQ(notifier->authorizationRequests(), 0);
    EXPECT_EQ(messages, QStringList{u"Notifications require running from .app bundle"_s});
    EXPECT_EQ(printed, QStringList{u"⚠️ Notifications unavailable: No bundle identifier"_s});
}

TEST_F(ChangeNotifierTest, PermissionAndTestNotificationsFollowTheDesktopsAnswer)
{
    struct Case
    {
        NotificationPermission permission;
        bool granted;
        QStringList messages;
        int posts;
        std::optional<QString> postError; // what the desktop answers the post
    };
    const QString denied = u"Enable in System Settings → Notifications → Norvane"_s;
    const QString asking = u"Notification permission not requested yet. Requesting now..."_s;
    const Case cases[] = {
        {NotificationPermission::Authorized,
         true,
         {"-", "Notification sent! Check Notification Center if not visible."},
         1,
         std::nullopt},
        {NotificationPermission::Authorized,
         true,
         {"-", "Notification failed: daemon gone"},
         1,
         u"daemon gone"_s},
        {NotificationPermission::Denied, true, {"Notifications denied. " + denied}, 0, std::nullopt},
        {NotificationPermission::NotDetermined,
         true,
         {asking, "Permission granted! Try again."},
         0,
         std::nullopt},
        {NotificationPermission::NotDetermined,
         false,
         {asking, "Permission denied. " + denied},
         0,
         std::nullopt},
    };
    for (const Case& c : cases) {
        notifier = std::make_shared<RecordingNotifier>();
        notifier->setPermission(c.permission);
        notifier->setAuthorizationAnswer({c.granted, std::nullopt});
        messages.clear();
        ChangeNotifier& n = make();
        QList<NotificationPermission> announced;
        QObject::connect(&n, &ChangeNotifier::permissionChanged,
                         [&](NotificationPermission p) { announced.append(p); });
        EXPECT_FALSE(n.permission().has_value());
        n.checkPermission();
        ASSERT_TRUE(waitUntil([&] { return n.permission().has_value(); }));
        EXPECT_EQ(*n.permission(), c.permission);
        n.checkPermission();
        notifier->setHoldCompletions(c.postError.has_value());
        n.sendTest(ChangeNotifier::TestKind::reviewRequested, u"https://ghe.example"_s);
        if (c.postError) {
            ASSERT_TRUE(waitUntil([&] { return notifier->pendingCount() == 1; }));
            notifier->completeNext(c.postError);
        }
        ASSERT_TRUE(waitUntil([&] { return messages.size() >= c.messages.size(); })) << int(c.permission);
        QCoreApplication::processEvents();
        EXPECT_EQ(messages, c.messages) << int(c.permission);
        ASSERT_EQ(int(notifier->posts().size()), c.posts);
        if (c.posts) {
            EXPECT_EQ(notifier->posts().front().title, u"Review Requested"_s);
            EXPECT_EQ(notifier->posts().front().prUrl,
                      std::optional<QString>(u"https://ghe.example/test/repo/pull/123"_s));
        }
        EXPECT_EQ(announced, QList<NotificationPermission>{c.permission})
            << "announced once, when it changed";
    }
}
