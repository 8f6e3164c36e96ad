#include "platform/tray_message_notifier.h"

#include "platform/dbus_notifier.h"

#include <QSystemTrayIcon>

namespace norvane {

namespace {
constexpr int kMessageMilliseconds = 10'000;
}

TrayMessageNotifier::TrayMessageNotifier(QSystemTrayIcon* icon, QObject* parent)
    : Notifier(parent), m_icon(icon)
{
    if (m_icon) {
        connect(m_icon, &QSystemTrayIcon::messageClicked, this, [this] {
            if (m_latestUrl)
                emit activated(*m_latestUrl);
        });
    }
}

bool TrayMessageNotifier::canShowMessages() const
{
    return m_icon && m_icon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable() &&
           QSystemTrayIcon::supportsMessages();
}

QCoro::Task<std::optional<QString>> TrayMessageNotifier::post(NotificationRequest request)
{
    if (!canShowMessages())
        co_return QStringLiteral("No system tray that shows messages");
    // Balloon messages are plain text, so nothing is escaped.
    m_icon->showMessage(request.title, notificationBody(request, false), QSystemTrayIcon::Information,
                        kMessageMilliseconds);
    m_latestUrl = request.prUrl;
    co_return std::nullopt;
}

QCoro::Task<NotificationPermission> TrayMessageNotifier::permissionStatus()
{
    co_return canShowMessages() ? NotificationPermission::Authorized : NotificationPermission::Denied;
}

QCoro::Task<AuthorizationAnswer> TrayMessageNotifier::requestAuthorization()
{
    if (canShowMessages())
        co_return AuthorizationAnswer{true, std::nullopt};
    co_return AuthorizationAnswer{false, QStringLiteral("No system tray that shows messages")};
}

} // namespace norvane
