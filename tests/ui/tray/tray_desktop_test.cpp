#include "platform/status_notifier_item.h"
#include "support/wait.h"
#include "ui/pulls/sample_pull_requests.h"
#include "ui/tray/app_delegate.h"
#include "ui/tray/panel_window.h"
#include "ui/ui_support.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::ui;
using norvane::testing::waitUntil;

namespace {

struct OnTheTray
{
    // `trayKind`: the tray the app is told there is; by default the desktop's own.
    explicit OnTheTray(QString trayKind = {})
    {
        world.storeAccounts({u"me"_s});
        AppDelegate::Dependencies deps(world.dependencies());
        deps.makeNotifier = [&](auto) -> std::shared_ptr<Notifier> { return world.notifier; };
        deps.urlOpener = world.opener;
        deps.quit = [] {};
        if (!trayKind.isEmpty())
            deps.trayPresence = std::make_shared<ManualTrayPresence>(true, trayKind);
        delegate = std::make_unique<AppDelegate>(std::move(deps));
        delegate->applicationDidFinishLaunching();
    }
    norvane::testing::EngineWorld world;
    std::unique_ptr<AppDelegate> delegate;
};

// Against the real tray host of the test desktop: the icon is embedded and the panel opens against it.
TEST(TrayOnTheDesktop, TheIconSitsInTheTrayAndThePanelOpensBesideIt)
{
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable()) << "run inside scripts/desktop-session";
    OnTheTray app;
    AppDelegate& delegate = *app.delegate;
    // The tray is reported once the StatusNotifierWatcher answered too.
    ASSERT_TRUE(waitUntil([&] { return delegate.usesTray(); }));
    EXPECT_TRUE(delegate.trayIcon()->isVisible());
    EXPECT_FALSE(delegate.trayIcon()->icon().isNull());
    EXPECT_EQ(delegate.panel()->mode(), PanelWindow::Mode::popup);
    ASSERT_TRUE(waitUntil([&] { return !delegate.trayIcon()->geometry().isEmpty(); }, 10000))
        << "the tray host never embedded the icon";

    emit delegate.trayIcon()->activated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(waitUntil([&] { return delegate.panel()->isVisible(); }));
    const QRect icon = delegate.trayIcon()->geometry();
    const QRect panel = delegate.panel()->frameGeometry();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(panel)) << "panel inside the screen";
    EXPECT_FALSE(panel.intersects(icon)) << "the panel does not cover the icon";
    // Beside the icon: right under it (the test desktop's tray is at the top) or right over it.
    const int gap = std::min(std::abs(panel.top() - icon.bottom()), std::abs(icon.top() - panel.bottom()));
    EXPECT_LE(gap, 8);
    // It has the keyboard focus, and gives it up to nothing but closing: another window taking the focus
    // (what a click elsewhere does under a window manager) closes it.
    EXPECT_TRUE(waitUntil([&] { return delegate.panel()->isActiveWindow(); }));
    {
        QWidget elsewhere;
        elsewhere.setGeometry(0, 600, 200, 100);
        elsewhere.show();
        elsewhere.activateWindow();
        EXPECT_TRUE(waitUntil([&] { return !delegate.panel()->isVisible(); }));
    }
}

// Closing the panel gives the keyboard focus back to the X server, and Qt deactivates the application,
// closing every popup, only once no other window of it took the focus within 100 ms. On a busy machine a
// right-click on the icon can be handled before that: its menu must still stay open.
TEST(TrayOnTheDesktop, ARightClickJustAfterThePanelClosedOpensTheMenuOnABusyMachine)
{
    OnTheTray app;
    AppDelegate& delegate = *app.delegate;
    ASSERT_TRUE(waitUntil([&] { return delegate.usesTray(); }));
    ASSERT_TRUE(waitUntil([&] { return !delegate.trayIcon()->geometry().isEmpty(); }, 10000));
    QWidget* icon = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("QSystemTrayIconSys"))
            icon = widget;
    ASSERT_NE(icon, nullptr) << "not an XEmbed tray";

    delegate.showPanel();
    ASSERT_TRUE(waitUntil([&] { return delegate.panel()->isActiveWindow(); }));
    delegate.closePanel();
    // Busy: the focus-out is read only after the server has sent it, the click comes before Qt's wait for
    // a focus-in ends, and the menu's own focus-in is read only after that wait ended.
    QThread::msleep(150);
    QCoreApplication::processEvents();
    QTest::mouseClick(icon, Qt::RightButton, {}, QPoint(11, 11));
    QThread::msleep(150);
    ASSERT_TRUE(waitUntil([&] {
        return QGuiApplication::focusWindow() &&
               QGuiApplication::focusWindow() == delegate.contextMenu()->windowHandle();
    })) << "the menu never took the keyboard";
    EXPECT_TRUE(delegate.contextMenu()->isVisible());
    delegate.contextMenu()->hide();
}

// What a StatusNotifierItem host reads of an item and calls on it, over the session bus.
struct Host
{
    QString service;
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        // The item answers from this thread's event loop.
        return QDBusConnection::sessionBus().call(message, QDBus::BlockWithGui);
    }
    QVariant property(const QString& name) const
    {
        const QDBusMessage reply = call(u"/StatusNotifierItem"_s, u"org.freedesktop.DBus.Properties"_s,
                                        u"Get"_s, {u"org.kde.StatusNotifierItem"_s, name});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QDBusMessage menu(const QString& method, const QVariantList& arguments) const
    {
        return call(u"/MenuBar"_s, u"com.canonical.dbusmenu"_s, method, arguments);
    }
};

// The names of the signals a host was sent.
class MenuSignals : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void seen(const QDBusMessage& message) { names.append(message.member()); }

public:
    QStringList names;
};

// The tooltip's title and body: (sa(iiay)ss).
std::pair<QString, QString> toolTip(const QVariant& value)
{
    const QDBusArgument argument = value.value<QDBusArgument>();
    QString icon, title, body;
    argument.beginStructure();
    argument >> icon;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0, height = 0;
        QByteArray bytes;
        argument.beginStructure();
        argument >> width >> height >> bytes;
        argument.endStructure();
    }
    argument.endArray();
    argument >> title >> body;
    argument.endStructure();
    return {title, body};
}

// A menu layout (ia{sv}av) as "id label" lines, "id -" for a separator, "(disabled)" where so.
void readLayout(const QDBusArgument& argument, QStringList& entries)
{
    int id = 0;
    QVariantMap properties;
    argument.beginStructure();
    argument >> id >> properties;
    if (id != 0)
        entries.append(
            u"%1 %2%3"_s.arg(id)
                .arg(properties.value(u"type"_s) == u"separator"_s ? u"-"_s
                                                                   : properties.value(u"label"_s).toString())
                .arg(properties.value(u"enabled"_s, true).toBool() ? QString() : u" (disabled)"_s));
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        readLayout(child.variant().value<QDBusArgument>(), entries);
    }
    argument.endArray();
    argument.endStructure();
}

// Norvane's own StatusNotifierItem as a host sees it: the tooltip's title and body, the menu over DBusMenu
// and its clicks, and the panel where Activate says the click was, wherever the pointer is.
TEST(TrayOnTheDesktop, TheStatusNotifierItemAsAHostReadsAndClicksIt)
{
    OnTheTray app(u"StatusNotifierItem"_s);
    AppDelegate& delegate = *app.delegate;
    StatusNotifierItem* item = delegate.statusNotifierItem();
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isVisible());
    EXPECT_FALSE(delegate.trayIcon()->isVisible()) << "Qt's own item would be a second icon";
    const Host host{item->serviceName()};
    ASSERT_FALSE(host.service.isEmpty());

    loadSamplePullRequests(*delegate.viewModel());
    const QString counts =
        u"5 pull requests need you: 2 review requests, 1 with changes requested, 2 approved"_s;
    EXPECT_EQ(toolTip(host.property(u"ToolTip"_s)), std::make_pair(u"Norvane"_s, counts));
    PRViewModel& model = *delegate.viewModel();
    model.setReauthNeeded({model.selectedAccount()->id});
    EXPECT_EQ(toolTip(host.property(u"ToolTip"_s)).second,
              counts + u"\nGitHub no longer accepts the token for me."_s);
    {
        // The body is plain text; Plasma reads it as markup.
        StatusNotifierItem plain;
        plain.setToolTip(u"Norvane"_s, u"<b>1</b> & 2"_s);
        plain.show();
        EXPECT_EQ(toolTip(Host{plain.serviceName()}.property(u"ToolTip"_s)).second,
                  u"&lt;b&gt;1&lt;/b&gt; &amp; 2"_s);
    }
    EXPECT_FALSE(host.property(u"ItemIsMenu"_s).toBool());
    EXPECT_EQ(host.property(u"IconAccessibleDesc"_s).toString(), u"Norvane"_s);
    EXPECT_GT(host.property(u"IconPixmap"_s).value<QDBusArgument>().currentType(),
              QDBusArgument::UnknownType);

    // The menu, as the host reads it, follows the QMenu and says when it changed; a click runs the entry's
    // action.
    MenuSignals menuSignals;
    for (const char* signal : {"ItemsPropertiesUpdated", "LayoutUpdated"})
        QDBusConnection::sessionBus().connect(host.service, u"/MenuBar"_s, u"com.canonical.dbusmenu"_s,
                                              QLatin1String(signal), &menuSignals, SLOT(seen(QDBusMessage)));
    const auto entries = [&] {
        const QDBusMessage layout = host.menu(u"GetLayout"_s, {0, -1, QStringList()});
        QStringList lines;
        readLayout(layout.arguments().value(1).value<QDBusArgument>(), lines);
        return lines;
    };
    EXPECT_EQ(entries(),
              QStringList({"1 Open Norvane", "2 Refresh", "3 Settings...", "4 -", "5 Quit Norvane"}));
    norvane::testing::findAction(*delegate.contextMenu(), u"Refresh"_s)->setEnabled(false);
    EXPECT_TRUE(waitUntil([&] { return menuSignals.names.contains(u"ItemsPropertiesUpdated"_s); }));
    EXPECT_EQ(entries().value(1), u"2 Refresh (disabled)"_s);
    delete delegate.contextMenu()->addAction(u"Gone again"_s);
    EXPECT_TRUE(waitUntil([&] { return menuSignals.names.contains(u"LayoutUpdated"_s); }));
    host.menu(u"Event"_s, {1, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)), 0u});
    ASSERT_TRUE(waitUntil([&] { return delegate.panel()->isVisible(); })) << "Open Norvane did nothing";
    delegate.closePanel();

    // Activate's place, with the pointer far from it; (0, 0) is no place, and the pointer stands in.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint farCorner(area.left() + 5, area.center().y());
    struct Case
    {
        const char* name;
        QPoint click;
        QPoint pointer;
        std::function<bool(const QRect& panel, const QPoint& at)> placed;
    };
    const auto centred = [](const QRect& panel, const QPoint& at) {
        return std::abs(panel.center().x() - at.x()) <= 2;
    };
    const Case cases[] = {
        {"top bar", QPoint(area.center().x(), area.top() + 10), farCorner,
         [&](const QRect& panel, const QPoint& at) {
             return centred(panel, at) && panel.top() > at.y() && panel.top() <= at.y() + 24;
         }},
        {"bottom panel", QPoint(area.center().x(), area.bottom() - 10), farCorner,
         [&](const QRect& panel, const QPoint& at) {
             return centred(panel, at) && panel.bottom() < at.y() && panel.bottom() >= at.y() - 24;
         }},
        {"right edge of a top bar", QPoint(area.right() - 5, area.top() + 10), farCorner,
         [](const QRect& panel, const QPoint& at) {
             return panel.right() == at.x() + 5 && panel.top() > at.y();
         }},
        {"no place: by the pointer", QPoint(0, 0), QPoint(area.center().x(), area.top() + 10),
         [&](const QRect& panel, const QPoint&) {
             return centred(panel, QCursor::pos()) && panel.top() > QCursor::pos().y();
         }},
    };
    for (const Case& c : cases) {
        QCursor::setPos(c.pointer);
        // A click within moments of the panel closing is the one that closed it.
        QTest::qWait(350);
        host.call(u"/StatusNotifierItem"_s, u"org.kde.StatusNotifierItem"_s, u"Activate"_s,
                  {c.click.x(), c.click.y()});
        EXPECT_TRUE(waitUntil([&] {
            const QRect panel = delegate.panel()->frameGeometry();
            return delegate.panel()->isVisible() && area.contains(panel) && c.placed(panel, c.click);
        })) << c.name
            << ": the panel is at " << delegate.panel()->frameGeometry().x() << ","
            << delegate.panel()->frameGeometry().y();
        delegate.closePanel();
    }
}

} // namespace

#include "tray_desktop_test.moc"
