#include "platform/tray_presence.h"

#include "platform/debug_log.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace norvane {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// One atom, or 0 when the server does not answer.
xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, false, static_cast<uint16_t>(name.size()), name.constData());
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_connection_t* xcbConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

DesktopTrayPresence::DesktopTrayPresence(Options options, QDBusConnection bus, QObject* parent)
    : TrayPresence(parent), m_options(options), m_bus(std::move(bus))
{
}

DesktopTrayPresence::~DesktopTrayPresence()
{
    if (m_filtering && qApp)
        qApp->removeNativeEventFilter(this);
}

QString DesktopTrayPresence::kind() const
{
    if (!available())
        return {};
    if (m_statusNotifier)
        return QStringLiteral("StatusNotifierItem");
    return m_xembed ? QStringLiteral("XEmbed") : QString();
}

void DesktopTrayPresence::start()
{
    if (m_options.statusNotifier && m_bus.isConnected()) {
        // The bus may take its time to start a watcher it knows how to start.
        m_holding = true;
        QTimer::singleShot(1000, this, &DesktopTrayPresence::stopHolding);
        // The watcher's name appears before or after its host registers; either event makes us ask. When
        // the name goes, its hosts went with it: the panel that ran it quit.
        m_watcher =
            new QDBusServiceWatcher(kWatcherService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& newOwner) {
                    if (!newOwner.isEmpty()) {
                        askWhetherAHostIsRegistered();
                        return;
                    }
                    ++m_asked; // an answer still on its way is from the watcher that went
                    stopHolding();
                    update(m_statusNotifier, false);
                });
        for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
            m_bus.connect(QString(), kWatcherPath, kWatcherService, QLatin1String(signal), this,
                          SLOT(askWhetherAHostIsRegistered()));
        askWhetherAHostIsRegistered();
    }
    if (m_options.xembed)
        startXEmbed();
}

void DesktopTrayPresence::askWhetherAHostIsRegistered()
{
    const quint64 asked = ++m_asked;
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, asked](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        // The answer to a later question, or the watcher's end, says more.
        if (asked != m_asked)
            return;
        const QDBusPendingReply<QDBusVariant> reply = *finished;
        // No watcher yet is the usual answer before the panel starts; its arrival asks again.
        const bool before = available();
        m_holding = false;
        m_statusNotifier = !reply.isError() && reply.value().variant().toBool();
        report(before);
    });
}

void DesktopTrayPresence::startXEmbed()
{
    xcb_connection_t* connection = xcbConnection();
    if (!connection)
        return;
    m_managerAtom = internAtom(connection, QByteArrayLiteral("MANAGER"));
    const int screens = xcb_setup_roots_length(xcb_get_setup(connection));
    for (int screen = 0; screen < screens; ++screen) {
        const xcb_atom_t selection =
            internAtom(connection, QByteArrayLiteral("_NET_SYSTEM_TRAY_S") + QByteArray::number(screen));
        if (selection != XCB_ATOM_NONE)
            m_selectionAtoms.append(selection);
    }
    if (m_selectionAtoms.isEmpty())
        return;
    // A new owner announces itself with a MANAGER message to the root window, which Qt already listens to;
    // an owner's end is its window's DestroyNotify.
    qApp->installNativeEventFilter(this);
    m_filtering = true;
    lookForXEmbedOwner();
}

void DesktopTrayPresence::lookForXEmbedOwner()
{
    xcb_connection_t* connection = xcbConnection();
    if (!connection)
        return;
    xcb_window_t owner = XCB_WINDOW_NONE;
    for (const quint32 selection : std::as_const(m_selectionAtoms)) {
        std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection),
                                          nullptr),
            &std::free);
        if (reply && reply->owner != XCB_WINDOW_NONE) {
            owner = reply->owner;
            break;
        }
    }
    if (owner != XCB_WINDOW_NONE) {
        // The same mask Qt's own tray code selects on this window: one client's selections replace each
        // other.
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
            xcb_request_check(connection, xcb_change_window_attributes_checked(connection, owner,
                                                                               XCB_CW_EVENT_MASK, &mask)),
            &std::free);
        // Gone already: the selection went with it, and an owner that took it since announces itself.
        if (error)
            owner = XCB_WINDOW_NONE;
    }
    m_owner = owner;
    update(m_xembed, owner != XCB_WINDOW_NONE);
}

bool DesktopTrayPresence::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    bool changed = false;
    switch (event->response_type & 0x7f) {
    case XCB_CLIENT_MESSAGE: {
        const auto* client = static_cast<const xcb_client_message_event_t*>(message);
        changed = client->type == m_managerAtom && client->format == 32 &&
                  m_selectionAtoms.contains(client->data.data32[1]);
        break;
    }
    case XCB_DESTROY_NOTIFY:
        changed = m_owner != XCB_WINDOW_NONE &&
                  static_cast<const xcb_destroy_notify_event_t*>(message)->window == m_owner;
        break;
    default:
        break;
    }
    // Not from inside Qt's event dispatch: whoever reacts may make or replace windows.
    if (changed)
        QMetaObject::invokeMethod(this, &DesktopTrayPresence::lookForXEmbedOwner, Qt::QueuedConnection);
    return false;
}

void DesktopTrayPresence::stopHolding()
{
    const bool before = available();
    m_holding = false;
    report(before);
}

void DesktopTrayPresence::update(bool& kindPresent, bool present)
{
    const bool before = available();
    kindPresent = present;
    report(before);
}

void DesktopTrayPresence::report(bool before)
{
    if (available() == before)
        return;
    if (available()) {
        debugLog(QStringLiteral("Startup"), QStringLiteral("🔄 System tray found (%1)").arg(kind()));
        Q_EMIT appeared();
    } else {
        debugLog(QStringLiteral("Startup"), QStringLiteral("🔄 System tray gone"));
        Q_EMIT disappeared();
    }
}

} // namespace norvane
