#include "platform/system_events.h"

#include "platform/debug_log.h"

#include <QDBusConnection>
#include <QNetworkInformation>

namespace norvane {

namespace {
const QString kPolling = QStringLiteral("Polling");
} // namespace

SystemEvents::SystemEvents(QObject* parent) : QObject(parent) {}

void SystemEvents::start()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    const bool sleepWatched =
        bus.isConnected() &&
        bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                    SLOT(onPrepareForSleep(bool)));
    debugLog(kPolling, sleepWatched
                           ? QStringLiteral("Watching logind for sleep and wake")
                           : QStringLiteral("⚠️ No system bus: waking from sleep goes unnoticed"));

    // NetworkManager's backend only. Qt's other Linux backend (GLib's network monitor) calls a machine
    // without a default route disconnected, where GitHub Enterprise on the local network, or a test's server
    // on the loopback, is still in reach; a catch-up waiting for it would never come.
    const bool loaded = QNetworkInformation::availableBackends().contains(QStringLiteral("networkmanager")) &&
                        QNetworkInformation::loadBackendByName(u"networkmanager");
    QNetworkInformation* info = loaded ? QNetworkInformation::instance() : nullptr;
    if (!info) {
        debugLog(kPolling,
                 QStringLiteral("⚠️ NetworkManager is not running: the network counts as always there"));
        return;
    }
    debugLog(kPolling,
             QStringLiteral("Watching the network through Qt's %1 backend").arg(info->backendName()));
    // Qt reads NetworkManager's "connecting" (and "asleep") as Unknown. After a wake the state runs
    // disconnected, connecting, connected: only a connected state (local, site or global; a local one may be
    // all a GitHub Enterprise on the local network needs) is the network back, as before it the address or
    // the route may not be there yet. Unknown keeps what was last known.
    const auto apply = [this](QNetworkInformation::Reachability reachability) {
        using R = QNetworkInformation::Reachability;
        if (reachability == R::Disconnected)
            setOnline(false);
        else if (reachability != R::Unknown)
            setOnline(true);
    };
    connect(info, &QNetworkInformation::reachabilityChanged, this, apply);
    apply(info->reachability());
}

void SystemEvents::onPrepareForSleep(bool goingToSleep)
{
    debugLog(kPolling, goingToSleep ? QStringLiteral("💤 The system is going to sleep")
                                    : QStringLiteral("🔄 The system woke from sleep"));
    if (!goingToSleep)
        Q_EMIT resumed();
}

void SystemEvents::setOnline(bool online)
{
    if (m_online == online)
        return;
    m_online = online;
    Q_EMIT onlineChanged(online);
}

} // namespace norvane
