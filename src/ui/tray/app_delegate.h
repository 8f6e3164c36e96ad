#pragma once

#include "models/pr_view_model.h"
#include "platform/app_identity.h"
#include "platform/autostart.h"
#include "platform/tray_presence.h"
#include "ui/settings/add_account_view.h"

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QScreen;
class QSystemTrayIcon;
class QTimer;

namespace norvane {
class StatusNotifierItem;
class SystemEvents;
class Notifier;
class Preferences;
class UrlOpener;
} // namespace norvane

namespace norvane::ui {

class ContentView;
class PanelWindow;

// The tray shell: starts the app in its fixed order, keeps the tray icon's badge in step with the
// pull-request list, opens and closes the panel, offers the context menu and opens the pull request of a
// clicked notification.
class AppDelegate final : public QObject
{
    Q_OBJECT

public:
    struct Dependencies
    {
        explicit Dependencies(PRViewModel::Dependencies engine) : model(std::move(engine)) {}

        // The engine's services; its notifier is the one `makeNotifier` builds.
        PRViewModel::Dependencies model;
        // Builds the notifier; its argument gives the tray icon once there is one (balloon messages are
        // the fallback where the desktop has no notification service).
        std::function<std::shared_ptr<Notifier>(std::function<QSystemTrayIcon*()>)> makeNotifier;
        std::shared_ptr<UrlOpener> urlOpener;
        // Where the debug report goes; default: the desktop folder.
        QString desktopDirectory;
        // Whether the desktop has a system tray, and when one appears; default: the desktop's own.
        std::shared_ptr<TrayPresence> trayPresence;
        // How long start-up waits for a tray before it shows the panel as a window, and how long a tray
        // that went may take to come back before the panel becomes a window again.
        std::chrono::milliseconds trayWait{3000};
        // Default: quits the application.
        std::function<void()> quit;
        // What the settings tab's add-account sheet signs in with; without it the tab is not built.
        std::optional<AddAccountDependencies> signIn;
        // Sleep, wake and the network's coming and going; without it the network counts as always there.
        std::shared_ptr<SystemEvents> systemEvents;
        // Opens the desktop's notification settings; empty where none is known.
        std::function<void()> openNotificationSettings;
        // The settings tab's "Start Norvane at login"; without it the switch is not shown.
        std::shared_ptr<Autostart> autostart;
        // Something the user must hear about once at start-up (a damaged preferences file kept aside):
        // printed and posted as a notification.
        std::optional<QString> startupNotice = {};
    };

    explicit AppDelegate(Dependencies dependencies, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Start-up, in order: banner, debug report, notifications, the engine, the tray icon, the panel, the
    // badge subscription, the accounts and the poll.
    void applicationDidFinishLaunching();

    // `where`: the place a tray host passed with the click, in screen coordinates.
    void togglePanel(std::optional<QPoint> where = std::nullopt);
    void showPanel(std::optional<QPoint> where = std::nullopt);
    void closePanel();
    // A click on a delivered notification: opens its address when it is a web address.
    void handleNotificationClick(const QString& prUrl);
    void debugUserDefaults();
    // Warns once, at launch, when the icon may be hidden behind a camera housing.

    // The parts, for tests. The icon, its menu and the panel exist once a tray was found or the wait for one
    // ended.
    PRViewModel* viewModel() const { return m_viewModel.get(); }
    // Qt's tray icon; where the tray is a StatusNotifierItem host, `statusNotifierItem` is the one shown
    // and this one, hidden, carries the same icon and tooltip.
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    StatusNotifierItem* statusNotifierItem() const { return m_item; }
    QMenu* contextMenu() const { return m_menu; }
    PanelWindow* panel() const { return m_panel; }
    ContentView* contentView() const;
    bool usesTray() const { return m_usesTray; }
    // The tray icon as a slot of `slotSize` logical pixels shows it, at the screen's pixel density.
    QImage iconImage(int slotSize = 22) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the app in the tray from now on: the icon, its menu, and a panel that hangs from the icon.
    void moveToTray();
    // No tray came: the panel is an ordinary window, and closing it quits.
    void useWindow();
    // The tray went and did not come back: the icon is hidden and the app is a window until a tray comes.
    void leaveTray();
    void buildPanel(bool popup);
    void setUpNotifications();
    void updateMenuBarIcon();
    void followPlasmaPanel();
    void createContextMenu();
    // Runs `action` once the focus of a window that was just hidden has gone where the window system sends
    // it; at once when no such move is under way.
    void whenFocusSettled(std::function<void()> action);
    void print(const QString& line) const;
    static QCoro::Task<> reportPermission(QPointer<AppDelegate> self, std::shared_ptr<Notifier> notifier);
    static QCoro::Task<> postNotice(std::shared_ptr<Notifier> notifier, QString notice);

    Dependencies m_deps;
    const AppIdentity m_identity;
    const bool m_debugMode;
    std::function<void(const QString&)> m_print;
    std::shared_ptr<Preferences> m_preferences;
    std::shared_ptr<Notifier> m_notifier;
    std::unique_ptr<PRViewModel> m_viewModel;
    QString m_drawnIcon; // what the tray icon shows now: badge, colours and pixel ratio
    QColor m_panelColor; // KDE Plasma's panel, as its theme files say; invalid elsewhere
    QSystemTrayIcon* m_tray = nullptr;
    StatusNotifierItem* m_item = nullptr;
    QMenu* m_menu = nullptr;
    PanelWindow* m_panel = nullptr;
    QTimer* m_trayGone = nullptr; // the wait for a tray that went to come back
    QPointer<ContentView> m_content;
    bool m_usesTray = false;
    bool m_panelWanted = false;     // asked for before there was a panel
    bool m_popupWhenHidden = false; // the tray came while the window was open
    bool m_replayingPress = false;  // a held press on the icon is being delivered
    bool m_pointerKnown = true;     // the pointer's position tells where the icon is
};

// Whether a popup can be put where the tray icon is. Not on Wayland, where the compositor places windows.
// Under XWayland in a Wayland session the pointer's last X11 position says nothing about where the icon is
// (the bar is not an X11 window): only where the host passes the click's place with Activate
// (`hostSaysWhere`, a StatusNotifierItem of our own); the panel then goes to the work area's top right
// corner when the host says nothing.
bool popupCanBePlaced(const QString& platformName, const QString& waylandDisplay, const QString& sessionType,
                      bool hostSaysWhere = false);

// The text `debugUserDefaults` logs and writes: the application id, whether the store exists, every key
// and the stored accounts' first bytes (logins and token identifiers, never tokens).
QString debugReport(const Preferences& preferences, const AppIdentity& identity);

} // namespace norvane::ui
