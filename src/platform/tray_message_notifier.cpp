#include "platform/tray_message_notifier.h"

#include "platform/dbus_notifier.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>

namespace norvane {

namespace {
constexpr int kMessageMilliseconds = 10'000;
}

TrayMessageNotifier::TrayMessageNotifier(QSystemTrayIcon* icon, QObject* parent)
    : TrayMessageNotifier([icon = QPointer<QSystemTrayIcon>(icon)] { return icon.data(); }, parent)
{
}

TrayMessageNotifier::TrayMessageNotifier(std::function<QSystemTrayIcon*()> icon, QObject* parent)
    : Notifier(parent), m_getIcon(std::move(icon))
{
    this->icon();
}

QSystemTrayIcon* TrayMessageNotifier::icon()
{
    QSystemTrayIcon* current = m_getIcon ? m_getIcon() : nullptr;
    if (current && current != m_icon) {
        m_icon = current;
        connect(current, &QSystemTrayIcon::messageClicked, this, [this] {
            if (m_latestUrl)
                emit activated(*m_latestUrl);
        });
    }
    return m_icon;
}

namespace {

// Asks Qt about the tray only with an icon in hand: the first question settles which kind of tray Qt uses
// for the rest of the run.
bool canShowMessages(QSystemTrayIcon* icon)
{
    return icon && icon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable() &&
           QSystemTrayIcon::supportsMessages();
}

} // namespace

QCoro::Task<std::optional<QString>> TrayMessageNotifier::post(NotificationRequest request)
{
    if (!canShowMessages(icon()))
        co_return QCoreApplication::translate("Notification", "No system tray that shows messages");
    // Balloon messages are plain text, so nothing is escaped.
    m_icon->showMessage(request.title, notificationBody(request, false), QSystemTrayIcon::Information,
                        kMessageMilliseconds);
    m_latestUrl = request.prUrl;
    co_return std::nullopt;
}

QCoro::Task<NotificationPermission> TrayMessageNotifier::permissionStatus()
{
    co_return canShowMessages(icon()) ? NotificationPermission::Authorized : NotificationPermission::Denied;
}

QCoro::Task<AuthorizationAnswer> TrayMessageNotifier::requestAuthorization()
{
    if (canShowMessages(icon()))
        co_return AuthorizationAnswer{true, std::nullopt};
    co_return AuthorizationAnswer{
        false, QCoreApplication::translate("Notification", "No system tray that shows messages")};
}

} // namespace norvane
