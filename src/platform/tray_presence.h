#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QList>
#include <QObject>

class QDBusServiceWatcher;

namespace norvane {

// Whether the desktop has a system tray, and the moments one appears and goes. Login autostart may run
// before the desktop's panel, and the panel may quit (or crash, or restart) while the app runs: the app is a
// window while there is no tray and moves to the tray when this says so.
class TrayPresence : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    // Looks now and keeps watching. `appeared` is emitted whenever a tray is seen where there was none, the
    // first time included; a tray that is there already may be seen during `start` (then `available` is true
    // when it returns) or a moment later. `disappeared` is emitted when the last tray seen goes.
    virtual void start() = 0;
    virtual bool available() const = 0;
    // Which kind of tray there is: "StatusNotifierItem" or "XEmbed" (the first when both are); empty when
    // there is none or it is not known.
    virtual QString kind() const { return {}; }

Q_SIGNALS:
    void appeared();
    void disappeared();
};

// The desktop's trays: a StatusNotifierItem host registered with the StatusNotifierWatcher on the session
// bus, or, on X11, an owner of the XEmbed tray's manager selection (_NET_SYSTEM_TRAY_Sn). Both are watched
// by their signals, never polled: the watcher's name coming and going and its StatusNotifierHostRegistered
// and StatusNotifierHostUnregistered signals; the MANAGER client message a new selection owner sends to the
// root window, and the destruction of the owner's window. A tray is there while either kind is. Qt decides
// once per process whether it talks to a StatusNotifierWatcher, at its first tray icon: none may be made
// before this saw a tray. Where a desktop has both kinds (GNOME's extension under XWayland), the XEmbed tray
// is seen at once and the watcher's answer a moment later: a tray is reported only once the watcher
// answered, or a second went without an answer, so the kind reported first is the one in use.
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
    bool available() const override { return !m_holding && (m_statusNotifier || m_xembed); }
    QString kind() const override;

private Q_SLOTS:
    void askWhetherAHostIsRegistered();

private:
    void startXEmbed();
    // Looks for an owner of the manager selection and watches its window for its end.
    void lookForXEmbedOwner();
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    // One kind's presence changed: says so when the tray as a whole came or went.
    void update(bool& kindPresent, bool present);
    // Says so when the tray as a whole came or went since it was `before`.
    void report(bool before);
    // The first answer about a StatusNotifierItem host came, or will not come in time.
    void stopHolding();

    Options m_options;
    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    bool m_statusNotifier = false;
    bool m_xembed = false;
    bool m_holding = false; // no tray is reported until the watcher's first answer
    quint64 m_asked = 0;    // host questions sent; only the last one's answer counts
    bool m_filtering = false;
    quint32 m_managerAtom = 0;
    QList<quint32> m_selectionAtoms; // one per X screen
    quint32 m_owner = 0;             // the selection owner's window being watched
};

// A tray that is there or not as a test says.
class ManualTrayPresence final : public TrayPresence
{
    Q_OBJECT

public:
    explicit ManualTrayPresence(bool available, QString kind = {}, QObject* parent = nullptr)
        : TrayPresence(parent), m_available(available), m_kind(std::move(kind))
    {
    }
    void start() override { ++m_starts; }
    bool available() const override { return m_available; }
    QString kind() const override { return m_available ? m_kind : QString(); }
    int starts() const { return m_starts; }
    void appear()
    {
        if (m_available)
            return;
        m_available = true;
        Q_EMIT appeared();
    }
    void disappear()
    {
        if (!m_available)
            return;
        m_available = false;
        Q_EMIT disappeared();
    }

private:
    bool m_available;
    QString m_kind;
    int m_starts = 0;
};

} // namespace norvane
