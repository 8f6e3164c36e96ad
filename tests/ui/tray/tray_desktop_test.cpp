#include "support/wait.h"
#include "ui/tray/app_delegate.h"
#include "ui/tray/panel_window.h"
#include "ui/ui_support.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::ui;
using norvane::testing::waitUntil;

namespace {

struct OnTheTray
{
    OnTheTray()
    {
        AppDelegate::Dependencies deps(world.dependencies());
        deps.makeNotifier = [&](auto) -> std::shared_ptr<Notifier> { return world.notifier; };
        deps.urlOpener = world.opener;
        deps.quit = [] {};
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
    ASSERT_TRUE(delegate.usesTray());
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
    ASSERT_TRUE(delegate.usesTray());
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

} // namespace
