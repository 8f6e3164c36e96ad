// A desktop whose tray starts after norvane (scripts/desktop-session with DESKTOP_SESSION_TRAY=none): login
// autostart racing the desktop's panel; and a panel that quits and comes back.
#include "platform/tray_presence.h"
#include "support/wait.h"
#include "ui/panel/content_view.h"
#include "ui/tray/app_delegate.h"
#include "ui/tray/panel_window.h"
#include "ui/ui_support.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::ui;
using norvane::testing::waitUntil;

namespace {

TEST(LateTray, TheAppStartsAsAWindowAndMovesIntoAnXEmbedTrayThatStartsLater)
{
    DesktopTrayPresence probe;
    probe.start();
    ASSERT_FALSE(probe.available()) << "run inside DESKTOP_SESSION_TRAY=none scripts/desktop-session";

    norvane::testing::EngineWorld world;
    AppDelegate::Dependencies deps(world.dependencies());
    deps.makeNotifier = [&](auto) -> std::shared_ptr<Notifier> { return world.notifier; };
    deps.urlOpener = world.opener;
    deps.quit = [] {};
    deps.trayWait = std::chrono::milliseconds(200);
    AppDelegate delegate(std::move(deps));
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(waitUntil([&] { return delegate.panel() && delegate.panel()->isVisible(); }));
    EXPECT_EQ(delegate.panel()->mode(), PanelWindow::Mode::window);
    EXPECT_FALSE(delegate.usesTray());

    // The desktop's panel comes up: its tray takes the manager selection and says so to the root window.
    QProcess trayer;
    const auto startTray = [&] {
        trayer.start(u"trayer"_s, {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s, u"--widthtype"_s,
                                   u"request"_s, u"--height"_s, u"24"_s});
        return trayer.waitForStarted(10000);
    };
    ASSERT_TRUE(startTray());
    EXPECT_TRUE(waitUntil([&] { return delegate.usesTray(); }, 15000)) << "the new tray was not noticed";
    EXPECT_TRUE(
        waitUntil([&] { return delegate.trayIcon() && !delegate.trayIcon()->geometry().isEmpty(); }, 10000))
        << "the icon was not embedded in the new tray";
    EXPECT_TRUE(waitUntil([&] { return probe.available(); })) << "the probe saw it too, by the same message";
    delegate.closePanel();
    EXPECT_TRUE(waitUntil([&] { return delegate.panel()->mode() == PanelWindow::Mode::popup; }));
    emit delegate.trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(waitUntil([&] { return delegate.panel()->isVisible(); }));
    delegate.closePanel();

    // The panel quits: its selection window goes, and the app is a window again; a tray that comes back
    // takes the icon again.
    trayer.kill();
    trayer.waitForFinished(10000);
    EXPECT_TRUE(waitUntil([&] { return !probe.available(); })) << "the tray's end was not noticed";
    ASSERT_TRUE(waitUntil([&] { return !delegate.usesTray(); }, 15000)) << "the app stayed in a gone tray";
    EXPECT_EQ(delegate.panel()->mode(), PanelWindow::Mode::window);
    EXPECT_TRUE(waitUntil([&] { return delegate.panel()->isVisible(); }));
    ASSERT_TRUE(startTray());
    EXPECT_TRUE(waitUntil([&] { return delegate.usesTray(); }, 15000))
        << "the returning tray was not noticed";
    EXPECT_TRUE(waitUntil(
        [&] { return delegate.trayIcon()->isVisible() && !delegate.trayIcon()->geometry().isEmpty(); },
        10000))
        << "the icon was not embedded in the returning tray";
    trayer.terminate();
    trayer.waitForFinished(10000);
}

// A StatusNotifierWatcher whose host registers when the test says.
class FakeWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)

public:
    bool isHostRegistered()
    {
        ++reads;
        return hostRegistered;
    }
    bool hostRegistered = false;
    int reads = 0;
};

TEST(LateTray, AStatusNotifierWatcherIsNoticedByItsNameAndItsHostSignal)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected());
    DesktopTrayPresence presence({.statusNotifier = true, .xembed = false});
    QSignalSpy appeared(&presence, &TrayPresence::appeared);
    presence.start();

    const QString name = u"norvane-fake-watcher"_s;
    QDBusConnection own = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    FakeWatcher watcher;
    ASSERT_TRUE(
        own.registerObject(u"/StatusNotifierWatcher"_s, &watcher, QDBusConnection::ExportAllProperties));
    // The watcher's name comes first, without a host: not a tray yet.
    ASSERT_TRUE(own.registerService(u"org.kde.StatusNotifierWatcher"_s));
    ASSERT_TRUE(waitUntil([&] { return watcher.reads >= 1; })) << "the name's arrival was not noticed";
    EXPECT_FALSE(waitUntil([&] { return presence.available(); }, 300));

    watcher.hostRegistered = true;
    own.send(QDBusMessage::createSignal(u"/StatusNotifierWatcher"_s, u"org.kde.StatusNotifierWatcher"_s,
                                        u"StatusNotifierHostRegistered"_s));
    EXPECT_TRUE(waitUntil([&] { return presence.available(); })) << "the host's signal was not noticed";
    EXPECT_EQ(presence.kind(), u"StatusNotifierItem"_s);
    EXPECT_EQ(appeared.count(), 1);

    // The host goes while the watcher stays, and comes back; then the watcher's name goes (the panel that
    // ran it quit), and comes back with a host.
    QSignalSpy disappeared(&presence, &TrayPresence::disappeared);
    const auto hostSignal = [&](const char* signal) {
        own.send(QDBusMessage::createSignal(u"/StatusNotifierWatcher"_s, u"org.kde.StatusNotifierWatcher"_s,
                                            QLatin1String(signal)));
    };
    watcher.hostRegistered = false;
    hostSignal("StatusNotifierHostUnregistered");
    EXPECT_TRUE(waitUntil([&] { return !presence.available(); })) << "the host's end was not noticed";
    watcher.hostRegistered = true;
    hostSignal("StatusNotifierHostRegistered");
    EXPECT_TRUE(waitUntil([&] { return presence.available(); }));
    own.unregisterService(u"org.kde.StatusNotifierWatcher"_s);
    EXPECT_TRUE(waitUntil([&] { return !presence.available(); })) << "the watcher's end was not noticed";
    EXPECT_EQ(presence.kind(), QString());
    ASSERT_TRUE(own.registerService(u"org.kde.StatusNotifierWatcher"_s));
    EXPECT_TRUE(waitUntil([&] { return presence.available(); })) << "the watcher's return was not noticed";
    EXPECT_EQ(appeared.count(), 3);
    EXPECT_EQ(disappeared.count(), 2);

    own.unregisterService(u"org.kde.StatusNotifierWatcher"_s);
    QDBusConnection::disconnectFromBus(name);
}

// GNOME's extension under XWayland gives both kinds of tray, and Qt then uses the StatusNotifierItem: the
// XEmbed tray, seen at once, is not reported before the watcher's answer says which kind is in use.
TEST(LateTray, WithBothKindsOfTrayTheFirstReportNamesTheStatusNotifierItem)
{
    QProcess trayer;
    trayer.start(u"trayer"_s, {u"--edge"_s, u"top"_s});
    ASSERT_TRUE(trayer.waitForStarted(10000));
    DesktopTrayPresence xembed({.statusNotifier = false, .xembed = true});
    xembed.start();
    ASSERT_TRUE(waitUntil([&] { return xembed.available(); }, 15000)) << "trayer took no tray selection";

    const QString name = u"norvane-fake-watcher-both"_s;
    QDBusConnection own = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    FakeWatcher watcher;
    watcher.hostRegistered = true;
    ASSERT_TRUE(
        own.registerObject(u"/StatusNotifierWatcher"_s, &watcher, QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(own.registerService(u"org.kde.StatusNotifierWatcher"_s));

    DesktopTrayPresence presence;
    QStringList reported;
    QObject::connect(&presence, &TrayPresence::appeared, &presence,
                     [&] { reported.append(presence.kind()); });
    presence.start();
    EXPECT_TRUE(waitUntil([&] { return presence.available(); }));
    EXPECT_EQ(reported, QStringList{u"StatusNotifierItem"_s});

    own.unregisterService(u"org.kde.StatusNotifierWatcher"_s);
    QDBusConnection::disconnectFromBus(name);
    trayer.terminate();
    trayer.waitForFinished(10000);
}

} // namespace

#include "tray_late_desktop_test.moc"
