#pragma once

#include "platform/notifier.h"

#include <QPointer>
#include <functional>

class QSystemTrayIcon;

namespace norvane {

// Notifications as balloon messages of the app's own tray icon: the fallback where the desktop has no
// notification service. A tray icon shows one message at a time, so a click belongs to the latest message.
// The icon belongs to the shell; without a visible icon in a tray that shows messages, posts fail.
class TrayMessageNotifier final : public Notifier
{
    Q_OBJECT

public:
    explicit TrayMessageNotifier(QSystemTrayIcon* icon, QObject* parent = nullptr);
    // The shell makes its icon only once a tray is there, which may be after the notifier exists.
    explicit TrayMessageNotifier(std::function<QSystemTrayIcon*()> icon, QObject* parent = nullptr);

    QCoro::Task<std::optional<QString>> post(NotificationRequest request) override;
    QCoro::Task<NotificationPermission> permissionStatus() override;
    QCoro::Task<AuthorizationAnswer> requestAuthorization() override;

private:
    // The icon, once there is one; a click on its message is followed from then on.
    QSystemTrayIcon* icon();

    std::function<QSystemTrayIcon*()> m_getIcon;
    QPointer<QSystemTrayIcon> m_icon;
    std::optional<QString> m_latestUrl;
};

} // namespace norvane
