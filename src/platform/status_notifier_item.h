#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <optional>

class QAction;
class QDBusServiceWatcher;
class QMenu;

namespace norvane {

class StatusNotifierItemAdaptor;
class DBusMenuAdaptor;

// The tray icon as a StatusNotifierItem of its own: an org.kde.StatusNotifierItem object on a session bus
// connection of its own, registered with the desktop's org.kde.StatusNotifierWatcher, and its menu exported
// over com.canonical.dbusmenu, where GNOME's AppIndicator extension and Plasma read it. Qt has such an item
// too, but its tooltip has no body (the whole text goes into the title) and it drops the place a host
// passes with Activate and ContextMenu; this one keeps both.
class StatusNotifierItem final : public QObject
{
    Q_OBJECT

public:
    explicit StatusNotifierItem(QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    void setIcon(const QIcon& icon);
    QIcon icon() const { return m_icon; }
    // What the host shows when the pointer rests on the icon. Plain text: hosts that read the body as
    // markup get it escaped.
    void setToolTip(const QString& title, const QString& body);
    QString toolTipTitle() const { return m_toolTipTitle; }
    QString toolTipBody() const { return m_toolTipBody; }
    // The menu the host shows; the item follows its changes and runs its actions when the host says.
    void setContextMenu(QMenu* menu);

    // Shown, the item is on the bus and registered with the watcher (again whenever a watcher comes);
    // hidden, it leaves the bus.
    void show();
    void hide();
    bool isVisible() const { return m_visible; }
    // The item's bus name, which the watcher lists; empty while hidden.
    QString serviceName() const { return m_visible ? m_service : QString(); }

    // Called over the bus.
    void activate(int x, int y);
    void contextMenu(int x, int y);

Q_SIGNALS:
    // The host's primary action (usually a left click), with where it happened in screen coordinates; no
    // place when the host gave none (0, 0).
    void activated(std::optional<QPoint> where);

private:
    void registerWithWatcher();

    QDBusConnection m_bus;
    QString m_service;
    QIcon m_icon;
    QString m_toolTipTitle;
    QString m_toolTipBody;
    QPointer<QMenu> m_menu;
    StatusNotifierItemAdaptor* m_adaptor = nullptr;
    QObject* m_menuObject = nullptr;
    DBusMenuAdaptor* m_menuAdaptor = nullptr;
    QDBusServiceWatcher* m_watcher = nullptr;
    bool m_visible = false;
};

} // namespace norvane
