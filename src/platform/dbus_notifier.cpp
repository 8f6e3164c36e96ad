#include "platform/dbus_notifier.h"

#include "platform/debug_log.h"

#include <QCoreApplication>
#include <QCoroDBusPendingCall>
#include <QDBusPendingCall>
#include <QPointer>

namespace norvane {

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
const QString kMarkSeenAction = QStringLiteral("mark-seen");
// The freedesktop sound theme's name for an incoming message.
const QString kSoundName = QStringLiteral("message-new-instant");

} // namespace

QString notificationBody(const NotificationRequest& request, bool markup)
{
    QString text = request.body;
    if (request.subtitle && !request.subtitle->isEmpty())
        text = *request.subtitle + QLatin1Char('\n') + request.body;
    return markup ? text.toHtmlEscaped() : text;
}

DBusNotifier::DBusNotifier(Options options, QDBusConnection connection, QObject* parent)
    : Notifier(parent), m_options(std::move(options)), m_connection(std::move(connection))
{
    // Only signals sent by the service's current owner are delivered here.
    m_connection.connect(m_options.service, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                         SLOT(onActionInvoked(uint, QString)));
    m_connection.connect(m_options.service, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                         SLOT(onNotificationClosed(uint, uint)));
}

QDBusMessage DBusNotifier::methodCall(const QString& method) const
{
    return QDBusMessage::createMethodCall(m_options.service, kPath, kInterface, method);
}

std::optional<QString> DBusNotifier::errorText(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ErrorMessage)
        return std::nullopt;
    return reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
}

QCoro::Task<std::optional<QString>> DBusNotifier::post(NotificationRequest request)
{
    QPointer<DBusNotifier> self(this);
    const Capabilities can = co_await capabilities();
    if (!self)
        co_return QStringLiteral("The notifier was destroyed");

    QVariantMap hints;
    if (m_options.desktopEntry)
        hints.insert(QStringLiteral("desktop-entry"), *m_options.desktopEntry);
    if (request.sound)
        hints.insert(QStringLiteral("sound-name"), kSoundName);
    QStringList actions;
    if (request.prUrl) {
        //: A notification's button (where the desktop shows one): opens the pull request.
        actions = {kDefaultAction, QCoreApplication::translate("Notification", "Open")};
        if (request.offersMarkSeen && can.actions)
            actions << kMarkSeenAction << QCoreApplication::translate("Notification", "Mark as Seen");
    }

    QDBusMessage message = methodCall(QStringLiteral("Notify"));
    message << m_options.appName << uint(0) << m_options.appIcon << request.title
            << notificationBody(request, can.bodyMarkup) << actions << hints << int(-1);
    const QDBusPendingCall call =
        m_connection.asyncCall(message, static_cast<int>(m_options.callTimeout.count()));
    const QDBusMessage reply = co_await call;
    if (auto error = errorText(reply))
        co_return error;
    const QVariant id = reply.arguments().value(0);
    if (id.metaType().id() != QMetaType::UInt)
        co_return QCoreApplication::translate("Notification",
                                              "The notification service answered without a notification id");
    if (self && request.prUrl)
        self->m_urls[id.toUInt()] = *request.prUrl;
    co_return std::nullopt;
}

QCoro::Task<DBusNotifier::Capabilities> DBusNotifier::capabilities()
{
    if (m_capabilities)
        co_return Capabilities(*m_capabilities);
    QPointer<DBusNotifier> self(this);
    const QDBusPendingCall call = m_connection.asyncCall(methodCall(QStringLiteral("GetCapabilities")),
                                                         static_cast<int>(m_options.callTimeout.count()));
    const QDBusMessage reply = co_await call;
    if (errorText(reply))
        co_return Capabilities{}; // the post itself will fail and report why
    const QStringList names = reply.arguments().value(0).toStringList();
    const Capabilities can{names.contains(QStringLiteral("body-markup")),
                           names.contains(QStringLiteral("actions"))};
    if (self)
        self->m_capabilities = can;
    co_return Capabilities(can);
}

QCoro::Task<std::optional<QString>> DBusNotifier::serverCheck()
{
    // Asking the server who it is also starts a service that is only D-Bus activatable.
    const QDBusPendingCall call = m_connection.asyncCall(methodCall(QStringLiteral("GetServerInformation")),
                                                         static_cast<int>(m_options.callTimeout.count()));
    const QDBusMessage reply = co_await call;
    co_return errorText(reply);
}

QCoro::Task<NotificationPermission> DBusNotifier::permissionStatus()
{
    const auto error = co_await serverCheck();
    co_return error ? NotificationPermission::Denied : NotificationPermission::Authorized;
}

QCoro::Task<AuthorizationAnswer> DBusNotifier::requestAuthorization()
{
    // There is no prompt on this desktop: a running service shows everything it is sent.
    const auto error = co_await serverCheck();
    if (error)
        //: %1 is the desktop's own error message (usually English).
        co_return AuthorizationAnswer{
            false, QCoreApplication::translate("Notification", "No notification service (%1)").arg(*error)};
    co_return AuthorizationAnswer{true, std::nullopt};
}

void DBusNotifier::onActionInvoked(uint id, const QString& action)
{
    if (action != kDefaultAction && action != kMarkSeenAction)
        return;
    const auto it = m_urls.find(id);
    if (it == m_urls.end())
        return; // another application's notification, or one without an address
    const QString url = it->second;
    if (action == kMarkSeenAction) {
        debugLog(QStringLiteral("Notifications"), QStringLiteral("Notification marked as seen: ") + url);
        emit markSeenRequested(url);
        return;
    }
    debugLog(QStringLiteral("Notifications"), QStringLiteral("Notification clicked: ") + url);
    emit activated(url);
}

void DBusNotifier::onNotificationClosed(uint id, uint /*reason*/)
{
    m_urls.erase(id);
}

} // namespace norvane
