#include "support/wait.h"
#include "ui/panel/content_view.h"
#include "ui/pulls/sample_pull_requests.h"
#include "ui/tray/app_delegate.h"
#include "ui/tray/panel_window.h"
#include "ui/ui_support.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::ui;
using norvane::testing::waitUntil;

namespace {

struct ShellOptions
{
    bool tray = true;
    std::chrono::milliseconds trayWait{0};
    bool bundleId = true;
    bool debug = false;
    std::optional<QString> startupNotice = std::nullopt;
    std::optional<AuthorizationAnswer> answer = std::nullopt;
    std::optional<NotificationPermission> permission = std::nullopt;
};

struct Shell
{
    explicit Shell(ShellOptions options = {})
    {
        world.storeAccounts({u"me"_s});
        if (options.answer)
            world.notifier->setAuthorizationAnswer(*options.answer);
        if (options.permission)
            world.notifier->setPermission(*options.permission);
        auto modelDeps = world.dependencies();
        if (!options.bundleId)
            modelDeps.identity.bundleIdentifier.reset();
        modelDeps.debugMode = options.debug;
        AppDelegate::Dependencies deps(std::move(modelDeps));
        deps.makeNotifier = [this](auto) -> std::shared_ptr<Notifier> { return world.notifier; };
        deps.urlOpener = world.opener;
        deps.desktopDirectory = desktop.path();
        presence = std::make_shared<ManualTrayPresence>(options.tray);
        deps.trayPresence = presence;
        deps.trayWait = options.trayWait;
        deps.quit = [] {};
        deps.startupNotice = options.startupNotice;
        delegate = std::make_unique<AppDelegate>(std::move(deps));
        delegate->applicationDidFinishLaunching();
        EXPECT_TRUE(waitUntil([this] { return !delegate->viewModel()->isLoading(); }));
    }
    QAction* menuAction(const QString& title) const
    {
        return norvane::testing::findAction(*delegate->contextMenu(), title);
    }

    norvane::testing::EngineWorld world;
    QTemporaryDir desktop;
    std::shared_ptr<ManualTrayPresence> presence;
    std::unique_ptr<AppDelegate> delegate;
};

TEST(AppDelegate, AStartUpNoticeIsPrintedAndPostedOnce)
{
    const QString notice = u"Your preferences file was damaged. Norvane kept it as /p/x.corrupt-1"_s;
    Shell shell({.startupNotice = notice});
    EXPECT_TRUE(waitUntil([&] { return !shell.world.notifier->posts().empty(); }));
    ASSERT_EQ(shell.world.notifier->posts().size(), 1u);
    EXPECT_EQ(shell.world.notifier->posts().front().body, notice);
    EXPECT_EQ(shell.world.notifier->posts().front().prUrl, std::nullopt);
    EXPECT_EQ(shell.world.printed.count(u"⚠️ "_s + notice), 1);

    Shell quiet;
    EXPECT_TRUE(quiet.world.notifier->posts().empty());
}

TEST(AppDelegate, PermissionAnswersAndAMissingApplicationId)
{
    // A grant, an error and a refusal are told apart, and the status check follows each.
    struct Case
    {
        AuthorizationAnswer answer;
        NotificationPermission status;
        const char* answerLine;
    };
    const Case cases[] = {
        {{true, std::nullopt}, NotificationPermission::Authorized, "✅ Notification permission granted"},
        {{false, u"No notification service (boom)"_s},
         NotificationPermission::Denied,
         "❌ Notification permission error: No notification service (boom)"},
        {{false, std::nullopt},
         NotificationPermission::NotDetermined,
         "⚠️ Notification permission denied by user"},
    };
    for (const Case& c : cases) {
        Shell shell({.answer = c.answer, .permission = c.status});
        const QString status = u"📋 Notification settings: %1"_s.arg(int(c.status));
        EXPECT_TRUE(waitUntil([&] { return shell.world.printed.contains(status); }));
        EXPECT_TRUE(shell.world.printed.contains(QString::fromUtf8(c.answerLine)));
        EXPECT_GE(shell.world.notifier->authorizationRequests(), 1);
    }

    Shell shell({.bundleId = false});
    EXPECT_TRUE(shell.world.printed.contains(u"⚠️ No bundle identifier - notifications will not work"_s));
    EXPECT_EQ(shell.world.notifier->authorizationRequests(), 0);
    shell.world.notifier->click(u"https://github.com/a/b/pull/1"_s);
    EXPECT_TRUE(shell.world.opener->opened().empty())
        << "without notifications there are no clicks to follow";
}

TEST(AppDelegate, ContextMenuItemsAndTheirActions)
{
    Shell shell;
    EXPECT_EQ(shell.delegate->trayIcon()->contextMenu(), shell.delegate->contextMenu());
    EXPECT_EQ(shell.delegate->contextMenu()->defaultAction(), shell.menuAction(u"Open Norvane"_s));

    shell.menuAction(u"Open Norvane"_s)->trigger();
    EXPECT_TRUE(shell.delegate->panel()->isVisible());
    EXPECT_EQ(shell.delegate->contentView()->selectedTab(), AppTab::prs);
    shell.delegate->closePanel();
    // (Refresh and Quit Norvane: the first-start journey, against the real tray menu.)
    shell.menuAction(u"Settings..."_s)->trigger();
    EXPECT_TRUE(shell.delegate->panel()->isVisible());
    EXPECT_EQ(shell.delegate->contentView()->selectedTab(), AppTab::settings);
    EXPECT_FALSE(shell.delegate->viewModel()->showSettings());
}

TEST(AppDelegate, ALeftClickTogglesThePanel)
{
    Shell shell;
    PanelWindow* panel = shell.delegate->panel();
    EXPECT_EQ(panel->mode(), PanelWindow::Mode::popup);
    EXPECT_FALSE(panel->isVisible());
    emit shell.delegate->trayIcon()->activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(panel->isVisible()) << "the context menu is the desktop's business";
    emit shell.delegate->trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->size(), QSize(560, 600));
    emit shell.delegate->trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(panel->isVisible());
    // The press that closed the popup was the one on the icon: that click does not reopen it.
    emit shell.delegate->trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(panel->isVisible());
    QTest::qWait(350);
    emit shell.delegate->trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(panel->isVisible());
}

TEST(AppDelegate, WithoutATrayThePanelIsAWindowAndSaysSoOnce)
{
    Shell shell({.tray = false});
    EXPECT_FALSE(shell.delegate->usesTray());
    EXPECT_EQ(shell.delegate->panel()->mode(), PanelWindow::Mode::window);
    EXPECT_TRUE(shell.delegate->panel()->isVisible());
    EXPECT_EQ(shell.world.printed.count(u"⚠️ No system tray available - showing Norvane in a window"_s),
              1);
    EXPECT_EQ(shell.delegate->contextMenu(), nullptr);
    // A window stays open on Escape, as windows do. (The popup closes on Escape or when left, and a screen
    // reader finds it as a window: the keyboard-only and screen-reader journeys.)
    QTest::keyClick(shell.delegate->contentView(), Qt::Key_Escape);
    EXPECT_TRUE(shell.delegate->panel()->isVisible());
}

TEST(AppDelegate, ATrayThatComesLateTakesTheAppWithoutARestart)
{
    const QString noTray = u"⚠️ No system tray available - showing Norvane in a window"_s;
    {
        // Within the wait: straight to the tray, no window ever shown; a panel asked for meanwhile opens.
        Shell shell({.tray = false, .trayWait = std::chrono::milliseconds(60'000)});
        EXPECT_EQ(shell.presence->starts(), 1);
        EXPECT_EQ(shell.delegate->panel(), nullptr);
        EXPECT_EQ(shell.delegate->trayIcon(), nullptr) << "no icon before there is a tray";
        shell.delegate->showPanel();
        shell.presence->appear();
        ASSERT_TRUE(shell.delegate->usesTray());
        EXPECT_TRUE(shell.delegate->trayIcon()->isVisible());
        EXPECT_EQ(shell.delegate->panel()->mode(), PanelWindow::Mode::popup);
        EXPECT_TRUE(shell.delegate->panel()->isVisible());
        EXPECT_FALSE(shell.world.printed.contains(noTray));
    }
    // After the wait: a window that quits when closed, until the tray comes; then the open window stays
    // until it is closed, and the panel hangs from the icon from then on, with what it showed.
    Shell shell({.tray = false, .trayWait = std::chrono::milliseconds(1)});
    ASSERT_TRUE(waitUntil([&] { return shell.delegate->panel() != nullptr; }));
    ContentView* content = shell.delegate->contentView();
    EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
    EXPECT_EQ(shell.world.printed.count(noTray), 1);
    shell.presence->appear();
    ASSERT_TRUE(shell.delegate->usesTray());
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    EXPECT_NE(shell.delegate->contextMenu(), nullptr);
    EXPECT_EQ(shell.delegate->panel()->mode(), PanelWindow::Mode::window);
    EXPECT_TRUE(shell.delegate->panel()->isVisible());
    shell.delegate->closePanel();
    ASSERT_TRUE(waitUntil([&] { return shell.delegate->panel()->mode() == PanelWindow::Mode::popup; }));
    EXPECT_EQ(shell.delegate->contentView(), content);
    EXPECT_EQ(content->window(), shell.delegate->panel()); // (opened by the icon: the late-tray desktop test)

    // The tray goes (its panel quit) and does not come back within the wait: a window again, shown, that
    // quits when closed, with the icon out of the way; and into the tray again when one comes.
    shell.presence->disappear();
    ASSERT_TRUE(waitUntil([&] { return !shell.delegate->usesTray(); }));
    EXPECT_FALSE(shell.delegate->trayIcon()->isVisible());
    EXPECT_EQ(shell.delegate->panel()->mode(), PanelWindow::Mode::window);
    EXPECT_TRUE(shell.delegate->panel()->isVisible());
    EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
    EXPECT_EQ(shell.world.printed.count(noTray), 2);
    QMenu* menu = shell.delegate->contextMenu();
    shell.presence->appear();
    ASSERT_TRUE(shell.delegate->usesTray());
    EXPECT_TRUE(shell.delegate->trayIcon()->isVisible());
    EXPECT_EQ(shell.delegate->contextMenu(), menu);
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    shell.delegate->closePanel();
    ASSERT_TRUE(waitUntil([&] { return shell.delegate->panel()->mode() == PanelWindow::Mode::popup; }));
    EXPECT_EQ(content->window(), shell.delegate->panel());
}

TEST(AppDelegate, ATrayThatComesBackWithinTheWaitChangesNothing)
{
    // A panel that restarts: the icon stays in the tray and the popup stays a popup.
    Shell shell({.trayWait = std::chrono::milliseconds(60'000)});
    ASSERT_TRUE(shell.delegate->usesTray());
    PanelWindow* panel = shell.delegate->panel();
    shell.presence->disappear();
    shell.presence->appear();
    QTest::qWait(50);
    EXPECT_TRUE(shell.delegate->usesTray());
    EXPECT_TRUE(shell.delegate->trayIcon()->isVisible());
    EXPECT_EQ(shell.delegate->panel(), panel);
    EXPECT_EQ(panel->mode(), PanelWindow::Mode::popup);
    EXPECT_FALSE(panel->isVisible());
}

TEST(PopupPlacement, OnlyWhereTheAppKnowsWhereTheIconIs)
{
    struct Case
    {
        const char* platform;
        const char* waylandDisplay;
        const char* sessionType;
        bool hostSaysWhere; // our own StatusNotifierItem, whose Activate passes the click's place
        bool popup;
    };
    const Case cases[] = {
        {"xcb", "", "x11", false, true},
        {"xcb", "wayland-0", "", false, false}, // XWayland in a Wayland session
        {"xcb", "", "Wayland", false, false},
        {"xcb", "wayland-0", "wayland", true, true},
        {"wayland-egl", "", "", false, false},
        {"wayland", "wayland-0", "wayland", true, false}, // the compositor places a Wayland client's windows
    };
    for (const Case& c : cases)
        EXPECT_EQ(popupCanBePlaced(QString::fromLatin1(c.platform), QString::fromLatin1(c.waylandDisplay),
                                   QString::fromLatin1(c.sessionType), c.hostSaysWhere),
                  c.popup)
            << c.platform << " " << c.waylandDisplay << " " << c.sessionType << " " << c.hostSaysWhere;
}

TEST(AppDelegate, NotificationClicksOpenOnlyWebAddressesAndMarkNothingSeen)
{
    Shell shell;
    norvane::ui::loadSamplePullRequests(*shell.delegate->viewModel());
    const auto seenBefore = shell.delegate->viewModel()->seenStates().size();
    shell.world.notifier->click(u"https://github.com/example/repo/pull/123"_s);
    shell.world.notifier->click(u"javascript:alert(1)"_s);
    shell.world.notifier->click(u"not an address"_s);
    ASSERT_EQ(shell.world.opener->opened().size(), 1u);
    EXPECT_EQ(shell.world.opener->opened()[0], QUrl(u"https://github.com/example/repo/pull/123"_s));
    EXPECT_TRUE(shell.world.opener->refused().empty()) << "refused before reaching the opener";
    EXPECT_EQ(shell.delegate->viewModel()->seenStates().size(), seenBefore);
}

// The colour of the square icon's toe, in a 22-pixel slot.
QColor toe(const QImage& image)
{
    return image.pixelColor(int((2 + 6.3) * image.devicePixelRatio()),
                            int((2 + 4) * image.devicePixelRatio()));
}

TEST(AppDelegate, TheIconAndToolTipFollowThePullRequestList)
{
    Shell shell;
    QSystemTrayIcon* tray = shell.delegate->trayIcon();
    EXPECT_EQ(tray->toolTip(), "Norvane");
    // The sample data: two review requests, one change request, two approvals on the user's own.
    norvane::ui::loadSamplePullRequests(*shell.delegate->viewModel());
    EXPECT_GT(toe(shell.delegate->iconImage(22)).red(), 200);
    EXPECT_LT(toe(shell.delegate->iconImage(22)).green(), 100);
    const QString needed =
        "Norvane\n5 pull requests need you: 2 review requests, 1 with changes requested, 2 approved";
    EXPECT_EQ(tray->toolTip(), needed);
    // A token GitHub no longer accepts is said where the pointer rests, too.
    PRViewModel& model = *shell.delegate->viewModel();
    model.setReauthNeeded({model.selectedAccount()->id});
    EXPECT_EQ(tray->toolTip(), needed + "\nGitHub no longer accepts the token for me.");
    model.setReauthNeeded({});
    // Other published changes leave the icon alone.
    const qint64 drawn = tray->icon().cacheKey();
    model.setSelectedFilter(PRFilter::drafts);
    EXPECT_EQ(tray->icon().cacheKey(), drawn);

    // The plain paw follows the desktop's text colour when it switches between light and dark.
    const QPalette before = QApplication::palette();
    Shell empty;
    QApplication::setPalette(norvane::testing::darkPalette());
    const QImage dark = empty.delegate->iconImage(22);
    QApplication::setPalette(before);
    EXPECT_EQ(toe(dark).rgb(), norvane::testing::darkPalette().color(QPalette::WindowText).rgb());
    // A fixed style wins over the palette, and choosing it redraws the icon at once.
    empty.delegate->viewModel()->setTrayIconStyle(TrayIconStyle::light);
    EXPECT_EQ(toe(empty.delegate->iconImage(22)).rgb(), QColor(0xf2, 0xf2, 0xf2).rgb());
}

// The report quotes what is stored about the accounts, which a person may post in a bug report: never a
// token, and never more than a short start of the stored bytes.
TEST(DebugReport, OnlyInDebugModeWithoutATokenAndQuotingOnlyReadableBytes)
{
    {
        Shell quiet;
        EXPECT_FALSE(QFile::exists(quiet.desktop.filePath(u"norvane_debug.txt"_s)));
    }
    Shell debug({.debug = true});
    QFile file(debug.desktop.filePath(u"norvane_debug.txt"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(u"\"username\": \"me\""_s)) << text.toStdString();
    EXPECT_FALSE(text.contains(u"tok-me"_s)) << "never a token";

    const AppIdentity identity{u"com.norvane.app"_s, u"1"_s, u"1"_s};
    EXPECT_TRUE(debugReport(InMemoryPreferences(), identity).endsWith(u"github_accounts: NOT FOUND\n"_s));
    InMemoryPreferences binary;
    binary.setData(u"github_accounts"_s, QByteArray("\xff\xfe\x00", 3));
    EXPECT_TRUE(debugReport(binary, identity).endsWith(u"github_accounts: 3 bytes\n"_s))
        << "no raw content for non-UTF-8 bytes";
    InMemoryPreferences longer;
    longer.setData(u"github_accounts"_s, QByteArray(300, 'a'));
    const QString cut = debugReport(longer, identity);
    EXPECT_TRUE(cut.contains(QString(200, u'a')) && !cut.contains(QString(201, u'a')));
}

TEST(PanelPlacement, UnderOrOverTheIconAndInsideTheScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize panel(560, 600);
    struct Case
    {
        const char* name;
        QRect icon;
        QPoint pointer;
        QRect expected;
    };
    const Case cases[] = {
        {"top bar, middle", QRect(950, 0, 21, 24), {}, QRect(680, 28, 560, 600)},
        {"top bar, right corner", QRect(1890, 0, 24, 24), {}, QRect(1360, 28, 560, 600)},
        {"bottom panel, left corner", QRect(4, 1050, 24, 30), {}, QRect(0, 446, 560, 600)},
        {"no icon geometry: a tray slot around the pointer", QRect(), QPoint(1800, 10),
         QRect(1360, 26, 560, 600)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(panelGeometry(c.icon, c.pointer, panel, screen), c.expected) << c.name;
    // A screen smaller than the panel keeps its top left corner visible.
    EXPECT_EQ(panelGeometry(QRect(100, 0, 20, 20), {}, panel, QRect(0, 0, 400, 300)).topLeft(), QPoint(0, 0));
}

} // namespace
