#include "platform/tray_presence.h"

#include "platform/debug_log.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
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

void DesktopTrayPresence::start()
{
    if (m_options.statusNotifier && m_bus.isConnected()) {
        // The watcher's name appears before or after its host registers; either event makes us ask.
        m_watcher =
            new QDBusServiceWatcher(kWatcherService, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
        connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this,
                &DesktopTrayPresence::askWhetherAHostIsRegistered);
        m_bus.connect(QString(), kWatcherPath, kWatcherService,
                      QStringLiteral("StatusNotifierHostRegistered"), this,
                      SLOT(askWhetherAHostIsRegistered()));
        askWhetherAHostIsRegistered();
    }
    if (m_options.xembed)
        startXEmbed();
}

void DesktopTrayPresence::askWhetherAHostIsRegistered()
{
    if (m_available)
        return;
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *finished;
        // No watcher yet is the usual answer before the panel starts; its arrival asks again.
        if (!reply.isError() && reply.value().variant().toBool())
            found(QStringLiteral("StatusNotifierItem"));
    });
}

void DesktopTrayPresence::startXEmbed()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    m_managerAtom = internAtom(connection, QByteArrayLiteral("MANAGER"));
    const int screens = xcb_setup_roots_length(xcb_get_setup(connection));
    for (int screen = 0; screen < screens; ++screen) {
        const xcb_atom_t selection =
            internAtom(connection, QByteArrayLiteral("_NET_SYSTEM_TRAY_S") + QByteArray::number(screen));
        if (selection == XCB_ATOM_NONE)
            continue;
        m_selectionAtoms.append(selection);
        std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection),
                                          nullptr),
            &std::free);
        if (owner && owner->owner != XCB_WINDOW_NONE) {
            found(QStringLiteral("XEmbed"));
            return;
        }
    }
    // A new owner announces itself with a MANAGER message to the root window, which Qt already listens to.
    if (m_managerAtom != XCB_ATOM_NONE && !m_selectionAtoms.isEmpty()) {
        qApp->installNativeEventFilter(this);
        m_filtering = true;
    }
}

bool DesktopTrayPresence::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
    if (m_available || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->type == m_managerAtom && client->format == 32 &&
        m_selectionAtoms.contains(client->data.data32[1])) {
        // Not from inside Qt's event dispatch: whoever reacts may make windows.
        QMetaObject::invokeMethod(
            this, [this] { found(QStringLiteral("XEmbed")); }, Qt::QueuedConnection);
    }
    return false;
}

void DesktopTrayPresence::found(const QString& kind)
{
    if (m_available)
        return;
    m_available = true;
    m_kind = kind;
    if (m_filtering) {
        qApp->removeNativeEventFilter(this);
        m_filtering = false;
    }
    debugLog(QStringLiteral("Startup"), QStringLiteral("🔄 System tray found (%1)").arg(kind));
    Q_EMIT appeared();
}

} // namespace norvane
