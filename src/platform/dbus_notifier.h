#pragma once

#include "platform/notifier.h"

#include <QDBusConnection>
#include <chrono>
#include <map>

namespace norvane {

// Notifications through the desktop's notification service (org.freedesktop.Notifications over D-Bus).
// A notification with a pull-request address gets a default action; when the user clicks it, `activated`
// carries the address. Where the service shows actions, one that offers it also gets "Mark as Seen", whose
// press `markSeenRequested` carries. The service's id of each such notification is kept until the service
// reports it closed. The service counts as permission: present means authorized, absent means denied.
class DBusNotifier final : public Notifier
{
    Q_OBJECT

public:
    struct Options
    {
        QString service = QStringLiteral("org.freedesktop.Notifications");
        QString appName = QStringLiteral("Norvane");
        std::optional<QString> desktopEntry; // lets the desktop show the app's icon and name
        QString appIcon; // the installed icon's name, shown beside the notification and its group
        std::chrono::milliseconds callTimeout{5000};
    };

    explicit DBusNotifier(Options options, QDBusConnection connection = QDBusConnection::sessionBus(),
                          QObject* parent = nullptr);

    QCoro::Task<std::optional<QString>> post(NotificationRequest request) override;
    QCoro::Task<NotificationPermission> permissionStatus() override;
    QCoro::Task<AuthorizationAnswer> requestAuthorization() override;

    // Notifications still shown whose click would open an address.
    int trackedCount() const { return static_cast<int>(m_urls.size()); }

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);
    void onNotificationClosed(uint id, uint reason);

private:
    QDBusMessage methodCall(const QString& method) const;
    // The text of an error reply, or absent for a normal reply.
    static std::optional<QString> errorText(const QDBusMessage& reply);
    QCoro::Task<std::optional<QString>> serverCheck();
    struct Capabilities
    {
        bool bodyMarkup = false;
        bool actions = false;
    };
    QCoro::Task<Capabilities> capabilities();

    Options m_options;
    QDBusConnection m_connection;
    std::map<uint, QString> m_urls;
    std::optional<Capabilities> m_capabilities; // asked once, on the first post
};

// The body the user sees: the subtitle on its own line above the body, since the service has no subtitle.
// Escaped when the service reads bodies as markup, so text from GitHub is shown as written, never as markup.
QString notificationBody(const NotificationRequest& request, bool markup);

} // namespace norvane
