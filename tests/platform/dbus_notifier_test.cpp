// The D-Bus notifier against a scripted notification server on the session bus of scripts/desktop-session,
// and against the session's real notification daemon (dunst).
#include "platform/dbus_notifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

using namespace norvane;

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// A notification server whose answers each test chooses, on a bus connection of its own.
class FakeNotificationServer : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Received
    {
        QString appName;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };

    explicit FakeNotificationServer(QStringList capabilities)
        : m_capabilities(std::move(capabilities)),
          m_service(
              QStringLiteral("com.norvane.test.Notifications.p%1").arg(QCoreApplication::applicationPid())),
          m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_service))
    {
        EXPECT_TRUE(m_connection.registerObject(kPath, this, QDBusConnection::ExportAllSlots));
        EXPECT_TRUE(m_connection.registerService(m_service));
    }
    ~FakeNotificationServer() override
    {
        m_connection.unregisterService(m_service);
        m_connection.unregisterObject(kPath);
        QDBusConnection::disconnectFromBus(m_service);
    }

    const QString& service() const { return m_service; }
    std::vector<Received> received;
    bool failNotify = false;

    void emitSignal(const QString& name, const QVariantList& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, name);
        signal.setArguments(arguments);
        m_connection.send(signal);
    }

public Q_SLOTS:
    uint Notify(const QString& appName, uint /*replacesId*/, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int /*timeout*/)
    {
        if (failNotify) {
            sendErrorReply(QStringLiteral("org.freedesktop.Notifications.Error.ExcessNotificationGeneration"),
                           QStringLiteral("Too many notifications"));
            return 0;
        }
        received.push_back({appName, icon, summary, body, actions, hints});
        return static_cast<uint>(100 + received.size());
    }
    QStringList GetCapabilities() { return m_capabilities; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion)
    {
        vendor = QStringLiteral("Norvane tests");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("fake");
    }

private:
    QStringList m_capabilities;
    QString m_service;
    QDBusConnection m_connection;
};

DBusNotifier::Options optionsFor(const QString& service)
{
    DBusNotifier::Options options;
    options.service = service;
    options.desktopEntry = QStringLiteral("com.norvane.app");
    options.appIcon = QStringLiteral("com.norvane.app");
    return options;
}

NotificationRequest reviewRequest(std::optional<QString> prUrl)
{
    return NotificationRequest{QUuid::createUuid().toString(QUuid::WithoutBraces),
                               QStringLiteral("👀 Review Requested"),
                               QStringLiteral("octo/hello"),
                               QStringLiteral("mona requested your review on 'A <b> & c'"),
                               std::move(prUrl),
                               true};
}

TEST(DBusNotifier, PostsTitleSubtitleBodyHintsAndADefaultActionOnlyWithAnAddress)
{
    FakeNotificationServer server({QStringLiteral("actions"), QStringLiteral("body")});
    DBusNotifier notifier(optionsFor(server.service()));

    EXPECT_EQ(
        QCoro::waitFor(notifier.post(reviewRequest(QStringLiteral("https://github.com/octo/hello/pull/1")))),
        std::nullopt);
    NotificationRequest quiet = reviewRequest(std::nullopt);
    quiet.subtitle.reset();
    quiet.sound = false;
    EXPECT_EQ(QCoro::waitFor(notifier.post(quiet)), std::nullopt);

    ASSERT_EQ(server.received.size(), 2u);
    const auto& first = server.received[0];
    EXPECT_EQ(first.appName, QStringLiteral("Norvane"));
    EXPECT_EQ(first.appIcon, QStringLiteral("com.norvane.app"));
    EXPECT_EQ(first.summary, QStringLiteral("👀 Review Requested"));
    EXPECT_EQ(first.body, QStringLiteral("octo/hello\nmona requested your review on 'A <b> & c'"));
    EXPECT_EQ(first.actions, (QStringList{QStringLiteral("default"), QStringLiteral("Open")}));
    EXPECT_EQ(first.hints.value(QStringLiteral("desktop-entry")).toString(),
              QStringLiteral("com.norvane.app"));
    EXPECT_EQ(first.hints.value(QStringLiteral("sound-name")).toString(),
              QStringLiteral("message-new-instant"));

    const auto& second = server.received[1];
    EXPECT_EQ(second.body, QStringLiteral("mona requested your review on 'A <b> & c'"));
    EXPECT_TRUE(second.actions.isEmpty()) << "nothing to open, so nothing to click";
    EXPECT_FALSE(second.hints.contains(QStringLiteral("sound-name")));
    EXPECT_EQ(notifier.trackedCount(), 1);
}

TEST(DBusNotifier, TextFromGitHubIsEscapedForServersThatReadMarkup)
{
    FakeNotificationServer server({QStringLiteral("body"), QStringLiteral("body-markup")});
    DBusNotifier notifier(optionsFor(server.service()));
    EXPECT_EQ(QCoro::waitFor(notifier.post(reviewRequest(std::nullopt))), std::nullopt);
    ASSERT_EQ(server.received.size(), 1u);
    EXPECT_EQ(server.received[0].body,
              QStringLiteral("octo/hello\nmona requested your review on 'A &lt;b&gt; &amp; c'"));
    EXPECT_EQ(server.received[0].summary, QStringLiteral("👀 Review Requested"));
}

TEST(DBusNotifier, AClickOnTheDefaultActionDeliversTheAddressUntilTheNotificationCloses)
{
    FakeNotificationServer server({QStringLiteral("actions")});
    DBusNotifier notifier(optionsFor(server.service()));
    QSignalSpy clicks(&notifier, &Notifier::activated);
    ASSERT_EQ(QCoro::waitFor(notifier.post(reviewRequest(QStringLiteral("https://github.com/o/r/pull/1")))),
              std::nullopt);
    ASSERT_EQ(QCoro::waitFor(notifier.post(reviewRequest(QStringLiteral("https://github.com/o/r/pull/2")))),
              std::nullopt);
    const uint first = 101;
    const uint second = 102;

    server.emitSignal(QStringLiteral("ActionInvoked"), {second, QStringLiteral("default")});
    ASSERT_TRUE(clicks.wait(5000));
    EXPECT_EQ(clicks.takeFirst().at(0).toString(), QStringLiteral("https://github.com/o/r/pull/2"));

    // Other actions, unknown ids and signals from anyone but the server's owner are ignored.
    server.emitSignal(QStringLiteral("ActionInvoked"), {first, QStringLiteral("inline-reply")});
    server.emitSignal(QStringLiteral("ActionInvoked"), {uint(999), QStringLiteral("default")});
    QDBusConnection impostor =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("impostor"));
    QDBusMessage spoof = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("ActionInvoked"));
    spoof << first << QStringLiteral("default");
    impostor.send(spoof);

    server.emitSignal(QStringLiteral("NotificationClosed"), {first, uint(2)});
    EXPECT_TRUE(QTest::qWaitFor([&] { return notifier.trackedCount() == 1; }, 5000));
    server.emitSignal(QStringLiteral("ActionInvoked"), {first, QStringLiteral("default")});
    QTest::qWait(300);
    EXPECT_EQ(clicks.size(), 0);
    QDBusConnection::disconnectFromBus(QStringLiteral("impostor"));
}

TEST(DBusNotifier, AnErrorFromTheServerReachesThePoster)
{
    FakeNotificationServer server({QStringLiteral("actions")});
    server.failNotify = true;
    DBusNotifier notifier(optionsFor(server.service()));
    const auto error =
        QCoro::waitFor(notifier.post(reviewRequest(QStringLiteral("https://github.com/o/r/pull/1"))));
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(error->contains(QStringLiteral("Too many notifications"))) << error->toStdString();
    EXPECT_EQ(notifier.trackedCount(), 0);
}

TEST(DBusNotifier, PermissionFollowsThePresenceOfTheService)
{
    FakeNotificationServer server({});
    DBusNotifier present(optionsFor(server.service()));
    EXPECT_EQ(QCoro::waitFor(present.permissionStatus()), NotificationPermission::Authorized);
    EXPECT_TRUE(QCoro::waitFor(present.requestAuthorization()).granted);

    DBusNotifier absent(optionsFor(QStringLiteral("com.norvane.test.NobodyHere")));
    EXPECT_EQ(QCoro::waitFor(absent.permissionStatus()), NotificationPermission::Denied);
    const AuthorizationAnswer answer = QCoro::waitFor(absent.requestAuthorization());
    EXPECT_FALSE(answer.granted);
    ASSERT_TRUE(answer.error.has_value());
    EXPECT_TRUE(answer.error->contains(QStringLiteral("ServiceUnknown"))) << answer.error->toStdString();
    EXPECT_TRUE(QCoro::waitFor(absent.post(reviewRequest(std::nullopt))).has_value());
}

// Calls one of dunst's own control methods (what dunstctl does).
void dunstCommand(const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"), kPath,
                                                       QStringLiteral("org.dunstproject.cmd0"), method);
    call.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
}

// The daemon's own record of a notification it showed, by summary.
QVariantMap dunstHistoryEntry(const QString& summary)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"), kPath,
                                                       QStringLiteral("org.dunstproject.cmd0"),
                                                       QStringLiteral("NotificationListHistory"));
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    const auto entries = qdbus_cast<QList<QVariantMap>>(reply.arguments().value(0));
    for (const QVariantMap& entry : entries) {
        if (entry.value(QStringLiteral("summary")).toString() == summary)
            return entry;
    }
    return {};
}

TEST(DBusNotifier, ANotificationReachesTheDesktopDaemonAndItsClickDeliversTheAddress)
{
    DBusNotifier notifier(optionsFor(QStringLiteral("org.freedesktop.Notifications")));
    ASSERT_EQ(QCoro::waitFor(notifier.permissionStatus()), NotificationPermission::Authorized);
    QSignalSpy clicks(&notifier, &Notifier::activated);

    NotificationRequest request = reviewRequest(QStringLiteral("https://github.com/octo/hello/pull/42"));
    request.title = QStringLiteral("✅ PR Approved ") + request.identifier; // unique among the daemon's
    ASSERT_EQ(QCoro::waitFor(notifier.post(request)), std::nullopt);
    EXPECT_EQ(notifier.trackedCount(), 1);

    // What a click does: dunst invokes the default action of its topmost notification.
    dunstCommand(QStringLiteral("NotificationAction"), {uint(0)});
    ASSERT_TRUE(clicks.wait(5000));
    EXPECT_EQ(clicks.at(0).at(0).toString(), QStringLiteral("https://github.com/octo/hello/pull/42"));
    // Closed notifications go to the daemon's history, where the test can read what was shown.
    dunstCommand(QStringLiteral("NotificationCloseAll"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return notifier.trackedCount() == 0; }, 5000));

    const QVariantMap shown = dunstHistoryEntry(request.title);
    ASSERT_FALSE(shown.isEmpty()) << "the daemon never showed the notification";
    EXPECT_EQ(shown.value(QStringLiteral("appname")).toString(), QStringLiteral("Norvane"));
    const QString body = shown.value(QStringLiteral("body")).toString();
    EXPECT_TRUE(body.startsWith(QStringLiteral("octo/hello\n"))) << body.toStdString();
    EXPECT_TRUE(body.contains(QStringLiteral("mona requested your review"))) << body.toStdString();
}

} // namespace

#include "dbus_notifier_test.moc"
