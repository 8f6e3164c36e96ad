#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QList>
#include <QObject>

class QDBusServiceWatcher;

namespace norvane {

// Whether the desktop has a system tray, and the moment one appears. Login autostart may run before the
// desktop's panel: the app then starts as a window and moves to the tray when this says so.
class TrayPresence : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    // Looks now and keeps watching. `appeared` is emitted once, when a tray is first seen; a tray that is
    // there already may be seen during `start` (then `available` is true when it returns) or a moment later.
    virtual void start() = 0;
    virtual bool available() const = 0;

Q_SIGNALS:
    void appeared();
};

// The desktop's trays: a StatusNotifierItem host registered with the StatusNotifierWatcher on the session
// bus, or, on X11, an owner of the XEmbed tray's manager selection (_NET_SYSTEM_TRAY_Sn). Both are watched
// by their signals (the watcher's name and its StatusNotifierHostRegistered signal; the MANAGER client
// message a new selection owner sends to the root window), never polled. Qt decides once per process whether
// it talks to a StatusNotifierWatcher, at its first tray icon: none may be made before this saw a tray.
class DesktopTrayPresence final : public TrayPresence, private QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    struct Options
    {
        bool statusNotifier = true;
        bool xembed = true; // only where Qt runs on X11
    };
    explicit DesktopTrayPresence(Options options, QDBusConnection bus = QDBusConnection::sessionBus(),
                                 QObject* parent = nullptr);
    DesktopTrayPresence() : DesktopTrayPresence(Options{}) {}
    ~DesktopTrayPresence() override;

    void start() override;
    bool available() const override { return m_available; }
    // Which kind of tray was seen first: "StatusNotifierItem" or "XEmbed"; empty before.
    QString kind() const { return m_kind; }

private Q_SLOTS:
    void askWhetherAHostIsRegistered();

private:
    void startXEmbed();
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void found(const QString& kind);

    Options m_options;
    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    bool m_available = false;
    bool m_filtering = false;
    QString m_kind;
    quint32 m_managerAtom = 0;
    QList<quint32> m_selectionAtoms; // one per X screen
};

// A tray that is there or not as a test says.
class ManualTrayPresence final : public TrayPresence
{
    Q_OBJECT

public:
    explicit ManualTrayPresence(bool available, QObject* parent = nullptr)
        : TrayPresence(parent), m_available(available)
    {
    }
    void start() override { ++m_starts; }
    bool available() const override { return m_available; }
    int starts() const { return m_starts; }
    void appear()
    {
        if (m_available)
            return;
        m_available = true;
        Q_EMIT appeared();
    }

private:
    bool m_available;
    int m_starts = 0;
};

} // namespace norvane
