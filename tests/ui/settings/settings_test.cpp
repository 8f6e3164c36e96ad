#include "models/watched_repo_store.h"
#include "support/wait.h"
#include "ui/device_flow_support.h"
#include "ui/panel/content_view.h"
#include "ui/pulls/sample_pull_requests.h"
#include "ui/settings/flow_layout.h"
#include "ui/settings/settings_controls.h"
#include "ui/settings/settings_view.h"
#include "ui/ui_support.h"
#include "ui/widgets/controls.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <qcoro/qcorotimer.h>

using namespace norvane;
using namespace norvane::ui;
using norvane::testing::waitUntil;

namespace {

struct Settings
{
    struct Options
    {
        QStringList logins{QStringLiteral("Octo")};
        // Port 9 of the loopback: nothing listens, so refreshes fail at once instead of reaching out.
        QString apiURL = QStringLiteral("http://127.0.0.1:9");
        bool knowsSettingsPanel = true;
        std::shared_ptr<KeychainService> keychain = {}; // default: the world's
        std::shared_ptr<Autostart> autostart = {};
        QMap<QString, QString> hosts = {}; // login -> its GitHub Enterprise Server host
    };

    Settings() : Settings(Options{}) {}
    explicit Settings(QStringList logins) : Settings(Options{std::move(logins)}) {}
    explicit Settings(Options options)
    {
        accounts = world.storeAccounts(options.logins, options.hosts);
        PRViewModel::Dependencies engine = world.dependencies(options.apiURL);
        if (options.keychain)
            engine.keychain = options.keychain;
        model = std::make_unique<PRViewModel>(std::move(engine));
        model->loadAccounts();
        EXPECT_TRUE(waitUntil([this] { return !model->isLoading(); }));
        model->setErrorMessage(std::nullopt);
        store = std::make_shared<WatchedRepoStore>(world.preferences);
        const GitHubDeviceAuth::Config auth{norvane::testing::kClientId, options.apiURL, options.apiURL};
        SettingsView::Dependencies deps{
            model.get(),
            store,
            AppIdentity{QStringLiteral("com.norvane.app"), QStringLiteral("0.1.0"), QStringLiteral("1")},
            {},
            AddAccountDependencies{HttpSession(&world.network), auth, world.opener.get(),
                                   std::make_shared<norvane::testing::FastTimer>(nullptr)},
            options.autostart};
        if (options.knowsSettingsPanel)
            deps.openNotificationSettings = [this] { ++settingsOpened; };
        view = std::make_unique<SettingsView>(std::move(deps));
        view->resize(560, 560);
    }

    void setPermission(NotificationPermission permission)
    {
        world.notifier->setPermission(permission);
        model->checkNotificationPermissionStatus();
    }

    norvane::testing::EngineWorld world;
    QList<GitHubAccount> accounts;
    std::unique_ptr<PRViewModel> model;
    std::shared_ptr<WatchedRepoStore> store;
    std::unique_ptr<SettingsView> view;
    int settingsOpened = 0;
};

QStringList names(const QList<WatchedRepo>& repos)
{
    QStringList list;
    for (const WatchedRepo& repo : repos)
        list.append(repo.fullName);
    return list;
}

QStringList chipNames(const SettingsView& view, const QUuid& accountId)
{
    QStringList list;
    for (QAbstractButton* chip : view.suggestionChips(accountId))
        list.append(chip->text());
    return list;
}

TEST(SettingsRules, VersionTextAndWatchSuggestions)
{
    const std::tuple<const char*, const char*, const char*> versions[] = {
        {"0.1.0", "7", "Version 0.1.0 (7)"},
        {"0.1.0", "", "Version 0.1.0"},
        {"", "12", "Version Unknown (12)"},
    };
    for (const auto& [version, build, expected] : versions)
        EXPECT_EQ(appVersionString(QString::fromUtf8(version), QString::fromUtf8(build)),
                  QString::fromUtf8(expected));

    const QList<WatchedRepo> watched{{QUuid::createUuid(), QStringLiteral("a/x"), QUuid::createUuid()}};
    // GitHub's names ignore letter case: A/X is the a/x already watched.
    EXPECT_EQ(
        watchSuggestions({QStringLiteral("b/y"), QStringLiteral("a/x"), QStringLiteral("A/X")}, watched),
        (QStringList{QStringLiteral("b/y")}));
}

TEST(FlowLayout, WrapsAtTheRightEdgeAndNeverLeavesTheFirstLineEmpty)
{
    struct Case
    {
        int width;
        QList<QSize> sizes;
        QList<QPoint> origins;
        int height;
    };
    const Case cases[] = {
        // Narrower than the first item: it still takes the first line; the next one wraps.
        {50, {{80, 20}, {30, 10}, {10, 10}}, {{0, 0}, {0, 26}, {36, 26}}, 36},
        // A line is as high as its highest item.
        {100, {{40, 10}, {40, 12}, {40, 10}}, {{0, 0}, {46, 0}, {0, 18}}, 28},
        // Exactly reaching the edge still fits.
        {86, {{40, 10}, {40, 10}}, {{0, 0}, {46, 0}}, 10},
        {100, {}, {}, 0},
    };
    for (const Case& c : cases) {
        const FlowLayout::Placement placement = FlowLayout::place(c.sizes, QRect(10, 5, c.width, 0), 6);
        QList<QPoint> origins;
        for (const QRect& frame : placement.frames)
            origins.append(frame.topLeft() - QPoint(10, 5));
        EXPECT_EQ(origins, c.origins) << c.width;
        EXPECT_EQ(placement.height, c.height) << c.width;
    }

    // In a widget: the layout asks for the height its width needs and places the items there.
    QWidget host;
    auto* flow = new FlowLayout(6, &host);
    auto *first = new QPushButton(&host), *second = new QPushButton(&host);
    first->setFixedSize(80, 20);
    second->setFixedSize(30, 20);
    flow->addWidget(first);
    flow->addWidget(second);
    EXPECT_EQ(flow->heightForWidth(50), 46);
    flow->setGeometry(QRect(0, 0, 50, 46));
    EXPECT_EQ(second->geometry().topLeft(), QPoint(0, 26));
}

// A keychain that saves only when the test says so, with the answer it was built with (false: a locked or
// broken store).
class GatedKeychain final : public KeychainService
{
public:
    explicit GatedKeychain(bool keeps) : m_keeps(keeps) {}
    QCoro::Task<bool> save(QString token, QString tokenIdentifier) override
    {
        using namespace std::chrono_literals;
        ++saves;
        while (!released)
            co_await QCoro::sleepFor(5ms);
        if (m_keeps)
            stored.insert_or_assign(tokenIdentifier, token);
        co_return m_keeps;
    }
    QCoro::Task<std::optional<QString>> getAsync(QString tokenIdentifier) override
    {
        const auto it = stored.find(tokenIdentifier);
        co_return it == stored.end() ? std::nullopt : std::optional<QString>(it->second);
    }
    QCoro::Task<> remove(QString) override { co_return; }

    bool released = false;
    int saves = 0;
    std::map<QString, QString> stored;

private:
    bool m_keeps;
};

TEST(SettingsView, TheSheetWaitsForTheKeychainAndARefusedTokenAddsNoAccount)
{
    for (const bool keeps : {true, false}) {
        SCOPED_TRACE(keeps ? "kept" : "refused");
        auto keychain = std::make_shared<GatedKeychain>(keeps);
        Settings::Options options;
        options.logins = {};
        options.keychain = keychain;
        Settings s(options);
        s.view->presentAddAccount();
        AddAccountView* sheet = s.view->addAccountView();
        ASSERT_TRUE(sheet);
        const auto storedBefore = s.world.preferences->data(QStringLiteral("github_accounts"));
        s.view->signIn(QStringLiteral("mona"), QStringLiteral("tok-mona"), std::nullopt);
        // An unlock prompt may be up: the sheet stays, busy, and a second press adds nothing twice.
        EXPECT_EQ(s.view->addAccountView(), sheet);
        EXPECT_TRUE(sheet->isWorking());
        EXPECT_FALSE(sheet->controls().cancel->isEnabled());
        EXPECT_TRUE(sheet->controls().busy->isVisibleTo(sheet));
        s.view->signIn(QStringLiteral("mona"), QStringLiteral("tok-mona"), std::nullopt);
        EXPECT_EQ(keychain->saves, 1);
        EXPECT_TRUE(s.model->accounts().isEmpty());

        keychain->released = true;
        ASSERT_TRUE(waitUntil([&] { return !s.view->addAccountView(); }));
        if (keeps) {
            ASSERT_EQ(s.model->accounts().size(), 1);
            EXPECT_EQ(keychain->stored.at(s.model->accounts()[0].tokenIdentifier),
                      QStringLiteral("tok-mona"));
            EXPECT_FALSE(s.view->isAlertShown());
            continue;
        }
        EXPECT_TRUE(s.model->accounts().isEmpty());
        EXPECT_EQ(s.world.preferences->data(QStringLiteral("github_accounts")), storedBefore);
        ASSERT_TRUE(s.view->isAlertShown());
        EXPECT_EQ(s.view->alertTitle(), QStringLiteral("Account Not Added"));
        EXPECT_TRUE(s.view->alertMessage().contains(QStringLiteral("@mona")));
    }
}

TEST(SettingsView, AChipWatchesItsRepositoryAndAPollLeavesThePressedChipAndTheFocusedButtonInPlace)
{
    Settings s({QStringLiteral("me"), QStringLiteral("alice")});
    const QUuid me = s.accounts[0].id;
    s.store->add(QStringLiteral("acme/api"), me);
    norvane::ui::loadSamplePullRequests(*s.model);
    s.view->show();
    s.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(s.view.get()));
    const QStringList suggested = chipNames(*s.view, me);
    EXPECT_EQ(suggested, s.model->availableRepositories());
    const QList<QAbstractButton*> chips = s.view->suggestionChips(me);
    ASSERT_GE(chips.size(), 2);
    const QPointer<QAbstractButton> chip = chips[1];
    const QString name = chip->text();
    QPointer<QAbstractButton> focused;
    for (QAbstractButton* button : s.view->findChildren<QAbstractButton*>()) {
        if (button->toolTip() == QStringLiteral("Stop watching acme/api"))
            focused = button;
    }
    ASSERT_TRUE(focused);
    focused->setFocus();
    ASSERT_TRUE(focused->hasFocus());

    QTest::mousePress(chip, Qt::LeftButton, {}, chip->rect().center());
    ASSERT_TRUE(chip->isDown());
    // A poll brings the same list again: nothing the user holds is rebuilt.
    norvane::ui::loadSamplePullRequests(*s.model);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(chip && chip->isVisible());
    ASSERT_TRUE(focused);
    EXPECT_TRUE(focused->hasFocus());
    QTest::mouseRelease(chip, Qt::LeftButton, {}, chip->rect().center());
    EXPECT_EQ(names(s.store->repos(me)), (QStringList{QStringLiteral("acme/api"), name}));
    // Watched, it is no longer suggested; another account's suggestions do not depend on what this one
    // watches.
    EXPECT_FALSE(chipNames(*s.view, me).contains(name));
    EXPECT_EQ(chipNames(*s.view, s.accounts[1].id), suggested);
}

TEST(SettingsView, RemovingAnAccountForgetsItsWatchedRepositoriesBeforeTheAccount)
{
    Settings s({QStringLiteral("me"), QStringLiteral("alice")});
    const GitHubAccount me = s.accounts[0];
    s.store->add(QStringLiteral("acme/api"), me.id);
    s.store->add(QStringLiteral("acme/web"), s.accounts[1].id);
    QStringList events;
    QObject::connect(s.store.get(), &WatchedRepoStore::watchedReposChanged, [&] {
        events.append(QStringLiteral("watched with %1 accounts").arg(s.model->accounts().size()));
    });
    QObject::connect(s.model.get(), &PRViewModel::accountsChanged,
                     [&] { events.append(QStringLiteral("accounts %1").arg(s.model->accounts().size())); });

    s.view->removeAccountButton(me.id)->click();
    EXPECT_EQ(events, (QStringList{QStringLiteral("watched with 2 accounts"), QStringLiteral("accounts 1")}));
    EXPECT_TRUE(s.store->repos(me.id).isEmpty());
    EXPECT_EQ(names(s.store->repos(s.accounts[1].id)), QStringList{QStringLiteral("acme/web")});
    EXPECT_TRUE(waitUntil([&] { return !s.world.keychain->storage()->contains(me.tokenIdentifier); }));
    EXPECT_FALSE(s.view->watchedInput(me.id));
}

TEST(SettingsView, TheBlockFieldTakesAnOrganisationOrARepositoryAndSaysWhatIsWrong)
{
    Settings s;
    struct Case
    {
        const char* typed;
        bool enabled;
        const char* blocked; // what the list holds afterwards, or null when refused
    };
    const Case cases[] = {
        {"   ", false, nullptr},
        {" \tmy-org/repo ", true, "my-org/repo"},
        {"my org", true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        s.model->setBlockedRepositories({});
        s.view->blockInput()->clear();
        QTest::keyClicks(s.view->blockInput(), QString::fromUtf8(c.typed));
        EXPECT_EQ(s.view->blockButton()->isEnabled(), c.enabled);
        if (!c.enabled)
            continue;
        s.view->blockButton()->click();
        if (c.blocked) {
            EXPECT_EQ(s.model->blockedRepositories(), QSet<QString>{QString::fromUtf8(c.blocked)});
            EXPECT_TRUE(s.view->blockInput()->text().isEmpty());
            EXPECT_FALSE(s.view->blockErrorLabel()->isVisibleTo(s.view.get()));
        } else {
            EXPECT_TRUE(s.model->blockedRepositories().isEmpty());
            EXPECT_EQ(s.view->blockInput()->text(), QString::fromUtf8(c.typed));
            EXPECT_TRUE(s.view->blockErrorLabel()->isVisibleTo(s.view.get()));
            EXPECT_EQ(s.view->blockErrorLabel()->text(),
                      QStringLiteral("Enter an org (my-org) or repo (my-org/repo)"));
            QTest::keyClick(s.view->blockInput(), Qt::Key_Backspace);
            EXPECT_FALSE(s.view->blockErrorLabel()->isVisibleTo(s.view.get()));
        }
    }
    // The list is sorted and an organisation is marked as such.
    s.model->setBlockedRepositories(
        {QStringLiteral("zeta/x"), QStringLiteral("acme"), QStringLiteral("beta/y")});
    EXPECT_EQ(s.view->blockedRowsShown(),
              (QStringList{QStringLiteral("acme"), QStringLiteral("beta/y"), QStringLiteral("zeta/x")}));
}

TEST(SettingsView, TheWatchedFieldTakesOnlyOwnerSlashRepository)
{
    Settings s;
    const QUuid id = s.accounts[0].id;
    QLineEdit* input = s.view->watchedInput(id);
    QPushButton* add = s.view->watchedAddButton(id);
    EXPECT_FALSE(add->isEnabled());
    // Spaces are input: Add turns on and the name rule refuses them.
    QTest::keyClicks(input, QStringLiteral("   "));
    EXPECT_TRUE(add->isEnabled());
    add->click();
    EXPECT_TRUE(s.view->watchedErrorLabel(id)->isVisibleTo(s.view.get()));
    EXPECT_EQ(s.view->watchedErrorLabel(id)->text(), QStringLiteral("Use format: owner/repo"));
    EXPECT_EQ(input->text(), QStringLiteral("   "));
    EXPECT_TRUE(s.store->repos(id).isEmpty());

    QTest::keyClicks(input, QStringLiteral("octo/hello "));
    EXPECT_FALSE(s.view->watchedErrorLabel(id)->isVisibleTo(s.view.get()));
    add->click();
    EXPECT_EQ(names(s.store->repos(id)), QStringList{QStringLiteral("octo/hello")});
    EXPECT_TRUE(input->text().isEmpty());
    EXPECT_FALSE(add->isEnabled());

    // GitHub's names ignore letter case: another spelling is the repository already watched.
    QTest::keyClicks(input, QStringLiteral("Octo/Hello"));
    add->click();
    EXPECT_TRUE(s.view->watchedErrorLabel(id)->isVisibleTo(s.view.get()));
    EXPECT_EQ(s.view->watchedErrorLabel(id)->text(), QStringLiteral("Already watching octo/hello"));
    EXPECT_EQ(input->text(), QStringLiteral("Octo/Hello"));
    EXPECT_EQ(s.store->watchedRepos().size(), 1);
}

TEST(SettingsView, OpenSettingsIsOfferedOnlyWhileTheUserCanActAndTheDesktopHasAPanel)
{
    const std::tuple<NotificationPermission, bool, const char*> cases[] = {
        {NotificationPermission::Authorized, false, "Enabled"},
        {NotificationPermission::NotDetermined, true, "Not Requested"},
        {NotificationPermission::Denied, true, "Denied"},
    };
    for (bool panelKnown : {true, false}) {
        Settings s(
            Settings::Options{{QStringLiteral("me")}, QStringLiteral("http://127.0.0.1:9"), panelKnown});
        for (const auto& [permission, offered, word] : cases) {
            SCOPED_TRACE(word);
            s.setPermission(permission);
            ASSERT_TRUE(waitUntil(
                [&] { return s.view->permissionLabel()->text().endsWith(QString::fromUtf8(word)); }));
            EXPECT_EQ(s.view->openSettingsButton()->isVisibleTo(s.view.get()), offered && panelKnown);
        }
        if (panelKnown) {
            s.view->openSettingsButton()->click(); // (left at Denied)
            EXPECT_EQ(s.settingsOpened, 1);
        }
    }
}

TEST(SettingsView, SwitchesAndTheIntervalAreSavedAtOnce)
{
    Settings s;
    const QList<SwitchControl*> switches = s.view->switches();
    ASSERT_EQ(switches.size(), 4);
    for (SwitchControl* toggle : switches)
        EXPECT_TRUE(toggle->isChecked());
    // The interval in force chosen again is no change: nothing is saved and the poll keeps its schedule.
    s.model->startPolling();
    const int starts = s.world.timer->starts;
    QTest::mouseClick(s.view->pollingPicker(), Qt::LeftButton, {},
                      s.view->pollingPicker()->segmentRect(2).center());
    EXPECT_FALSE(s.world.preferences->data(QStringLiteral("notification_settings")));
    EXPECT_EQ(s.world.timer->starts, starts);

    switches[2]->click();
    s.view->pollingPicker()->setFocus();
    QTest::mouseClick(s.view->pollingPicker(), Qt::LeftButton, {},
                      s.view->pollingPicker()->segmentRect(4).center());
    const NotificationSettings expected{true, false, true, 60};
    EXPECT_EQ(s.model->notificationSettings(), expected);
    const auto stored = s.world.preferences->data(QStringLiteral("notification_settings"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(notificationSettingsFromJson(QJsonDocument::fromJson(*stored).object()), expected);

    // Settings changed elsewhere show here.
    s.model->setNotificationSettings({false, true, true, 5, false});
    QStringList shown;
    for (SwitchControl* toggle : switches)
        shown.append(toggle->accessibleName() +
                     (toggle->isChecked() ? QStringLiteral(" on") : QStringLiteral(" off")));
    EXPECT_EQ(shown,
              (QStringList{QStringLiteral("Review Requests off"), QStringLiteral("Team Review Requests off"),
                           QStringLiteral("Changes Requested on"), QStringLiteral("Approvals on")}));
    EXPECT_EQ(s.view->pollingPicker()->selectedIndex(), 0);
}

// The tray icon style and the activity feed switch act on the engine at once and show changes made there.
// (What the feed switch stores and stops: the feed tests.)
TEST(SettingsView, TheTrayIconStyleAndTheActivityFeedSwitchActAtOnceBothWays)
{
    Settings s;
    SegmentedControl* picker = s.view->trayIconStylePicker();
    EXPECT_EQ(picker->selectedIndex(), 0);
    QTest::mouseClick(picker, Qt::LeftButton, {}, picker->segmentRect(1).center());
    EXPECT_EQ(s.model->trayIconStyle(), TrayIconStyle::light);
    EXPECT_EQ(s.world.preferences->string(QStringLiteral("tray_icon_style")), QStringLiteral("light"));
    s.model->setTrayIconStyle(TrayIconStyle::dark);
    EXPECT_EQ(picker->selectedIndex(), 2);

    SwitchControl* feed = s.view->activityFeedSwitch();
    EXPECT_TRUE(feed->isChecked()) << "on by default";
    feed->click();
    EXPECT_FALSE(s.model->checksActivityFeed());
    s.model->setChecksActivityFeed(true);
    EXPECT_TRUE(feed->isChecked());

    // A style this version does not know reads as automatic and stays stored.
    s.world.preferences->setString(QStringLiteral("tray_icon_style"), QStringLiteral("sepia"));
    PRViewModel model(s.world.dependencies());
    EXPECT_EQ(model.trayIconStyle(), TrayIconStyle::automatic);
    EXPECT_EQ(s.world.preferences->string(QStringLiteral("tray_icon_style")), QStringLiteral("sepia"));
}

TEST(SettingsView, InThePanelTypedTextGoesWithTheTabAndASheetKeepsTheTab)
{
    norvane::testing::PanelWorld world({QStringLiteral("me")}, false, QStringLiteral("http://127.0.0.1:9"),
                                       true);
    ContentView& panel = *world.view;
    const QList<GitHubAccount>& accounts = world.accounts;
    SettingsView* settings = panel.settingsView();
    ASSERT_TRUE(settings);
    panel.setSelectedTab(AppTab::settings);
    EXPECT_EQ(panel.currentContent(), settings);

    QTest::keyClicks(settings->blockInput(), QStringLiteral("my org"));
    settings->blockButton()->click();
    QTest::keyClicks(settings->watchedInput(accounts[0].id), QStringLiteral("nope"));
    settings->watchedAddButton(accounts[0].id)->click();
    panel.setSelectedTab(AppTab::prs);
    panel.setSelectedTab(AppTab::settings);
    EXPECT_TRUE(settings->blockInput()->text().isEmpty());
    EXPECT_FALSE(settings->blockErrorLabel()->isVisibleTo(settings));
    EXPECT_TRUE(settings->watchedInput(accounts[0].id)->text().isEmpty());
    EXPECT_FALSE(settings->watchedErrorLabel(accounts[0].id)->isVisibleTo(settings));
    EXPECT_FALSE(settings->watchedAddButton(accounts[0].id)->isEnabled());

    // With the sheet up, Ctrl+1 and friends wait; once it is gone they work again.
    settings->addAccountButton()->click();
    ASSERT_TRUE(settings->addAccountView());
    panel.setSelectedTab(AppTab::prs);
    EXPECT_EQ(panel.selectedTab(), AppTab::settings);
    settings->dismissAddAccount();
    panel.setSelectedTab(AppTab::prs);
    EXPECT_EQ(panel.selectedTab(), AppTab::prs);
}

TEST(SettingsView, TheStartAtLoginSwitchWritesTheAutostartEntryAndReadsItBack)
{
    EXPECT_FALSE(Settings().view->autostartSwitch()) << "no switch without an autostart folder";
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    Settings::Options options;
    options.autostart = std::make_shared<Autostart>(config.path(), QStringLiteral("/usr/bin/norvane"));
    Settings s(options);
    s.view->show();
    SwitchControl* toggle = s.view->autostartSwitch();
    ASSERT_TRUE(toggle);
    EXPECT_FALSE(toggle->isChecked());
    toggle->click();
    EXPECT_TRUE(QFile::exists(options.autostart->entryPath()));
    EXPECT_TRUE(toggle->isChecked());

    // Removed by hand while the panel was closed: the switch says so when the page shows again.
    ASSERT_TRUE(QFile::remove(options.autostart->entryPath()));
    s.view->hide();
    s.view->show();
    EXPECT_FALSE(toggle->isChecked());
    toggle->click();
    toggle->click();
    EXPECT_FALSE(QFile::exists(options.autostart->entryPath()));
    EXPECT_FALSE(s.view->autostartErrorLabel()->isVisibleTo(s.view.get()));

    // A run on another profile shows the switch off and out of reach, and says why.
    Settings::Options profileRun;
    profileRun.autostart = std::make_shared<Autostart>(Autostart::forRun(QStringLiteral("/tmp/throw-away")));
    Settings p(profileRun);
    ASSERT_TRUE(p.view->autostartSwitch());
    EXPECT_FALSE(p.view->autostartSwitch()->isEnabled());
    EXPECT_FALSE(p.view->autostartSwitch()->isChecked());
    bool explained = false;
    for (const QLabel* l : p.view->findChildren<QLabel*>())
        explained = explained || l->text() == *profileRun.autostart->unavailableReason();
    EXPECT_TRUE(explained);
}

TEST(SettingsView, AnEnterpriseAccountsCardNamesItsHost)
{
    Settings::Options options{{QStringLiteral("me"), QStringLiteral("octo-work")}};
    options.hosts = {{QStringLiteral("octo-work"), QStringLiteral("github.example.com")}};
    Settings s(options);
    EXPECT_TRUE(s.view->removeAccountButton(s.accounts[1].id)
                    ->accessibleName()
                    .endsWith(QStringLiteral("octo-work · github.example.com")));
}

} // namespace

// A reconnect that does not go through (another login, or a keychain that keeps nothing) says why in an alert
// naming the account and leaves it marked; the login is shown as written there and on its card, never as
// markup.
TEST(SettingsView, AFailedReconnectSaysWhyAndShowsTheLoginAsWritten)
{
    const QString markup = norvane::testing::kMarkupLike;
    for (const bool keychainRefuses : {false, true}) {
        SCOPED_TRACE(keychainRefuses ? "keychain refuses" : "another login");
        Settings::Options options{{markup}};
        const auto keychain = std::make_shared<GatedKeychain>(false);
        if (keychainRefuses)
            options.keychain = keychain;
        Settings s(options);
        s.model->setReauthNeeded({s.accounts[0].id});
        s.view->show();
        const int onCard = norvane::testing::shownAsWritten(*s.view->window(), markup);
        EXPECT_GE(onCard, 1);
        s.view->reconnectButton(s.accounts[0].id)->click();
        s.view->signIn(keychainRefuses ? markup : QStringLiteral("hubot"), QStringLiteral("tok-new"),
                       std::nullopt);
        if (keychainRefuses) {
            // The sheet stays, busy, until the keychain answers.
            ASSERT_TRUE(s.view->addAccountView());
            EXPECT_TRUE(s.view->addAccountView()->isWorking());
            EXPECT_FALSE(s.view->isAlertShown());
            keychain->released = true;
        }
        ASSERT_TRUE(waitUntil([&] { return s.view->isAlertShown(); }));
        EXPECT_FALSE(s.view->addAccountView());
        EXPECT_EQ(s.view->alertTitle(),
                  keychainRefuses ? QStringLiteral("Reconnect Failed") : QStringLiteral("Account Mismatch"));
        EXPECT_TRUE(s.view->alertMessage().contains(QStringLiteral("@") + markup));
        EXPECT_TRUE(s.model->reauthNeeded().contains(s.accounts[0].id));
        EXPECT_FALSE(s.model->isLoading());
        EXPECT_GT(norvane::testing::shownAsWritten(*s.view->window(), markup), onCard); // and in the alert
    }
}
