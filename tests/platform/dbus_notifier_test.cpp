// The D-Bus notifier against a scripted notification server on the session bus of scripts/desktop-session.
// (What the session's real daemon shows, and where its click leads, is the first-start journey's.)
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
using namespace Qt::StringLiterals;

namespace {

const QString kPath = u"/org/freedesktop/Notifications"_s;
const QString kInterface = u"org.freedesktop.Notifications"_s;

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
          m_service(u"com.norvane.test.Notifications.p%1"_s.arg(QCoreApplication::applicationPid())),
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
            sendErrorReply(u"org.freedesktop.Notifications.Error.ExcessNotificationGeneration"_s,
                           u"Too many notifications"_s);
            return 0;
        }
        received.push_back({appName, icon, summary, body, actions, hints});
        return static_cast<uint>(100 + received.size());
    }
    QStringList GetCapabilities() { return m_capabilities; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion)
    {
        vendor = u"Norvane tests"_s;
        version = u"1"_s;
        specVersion = u"1.2"_s;
        return u"fake"_s;
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
    options.desktopEntry = u"com.norvane.app"_s;
    options.appIcon = u"com.norvane.app"_s;
    return options;
}

NotificationRequest reviewRequest(std::optional<QString> prUrl)
{
    return NotificationRequest{QUuid::createUuid().toString(QUuid::WithoutBraces),
                               u"👀 Review Requested"_s,
                               u"octo/hello"_s,
                               u"mona requested your review on 'A <b> & c'"_s,
                               std::move(prUrl),
                               true,
                               true};
}

TEST(DBusNotifier, PostsTitleSubtitleBodyHintsAndADefaultActionOnlyWithAnAddress)
{
    FakeNotificationServer server({u"actions"_s, u"body"_s});
    DBusNotifier notifier(optionsFor(server.service()));

    EXPECT_EQ(QCoro::waitFor(notifier.post(reviewRequest(u"https://github.com/octo/hello/pull/1"_s))),
              std::nullopt);
    NotificationRequest quiet = reviewRequest(std::nullopt);
    quiet.subtitle.reset();
    quiet.sound = false;
    EXPECT_EQ(QCoro::waitFor(notifier.post(quiet)), std::nullopt);

    ASSERT_EQ(server.received.size(), 2u);
    const auto& first = server.received[0];
    EXPECT_EQ(first.appName, u"Norvane"_s);
    EXPECT_EQ(first.appIcon, u"com.norvane.app"_s);
    EXPECT_EQ(first.summary, u"👀 Review Requested"_s);
    EXPECT_EQ(first.body, u"octo/hello\nmona requested your review on 'A <b> & c'"_s);
    EXPECT_EQ(first.actions, (QStringList{u"default"_s, u"Open"_s, u"mark-seen"_s, u"Mark as Seen"_s}));
    EXPECT_EQ(first.hints.value(u"desktop-entry"_s).toString(), u"com.norvane.app"_s);
    EXPECT_EQ(first.hints.value(u"sound-name"_s).toString(), u"message-new-instant"_s);

    const auto& second = server.received[1];
    EXPECT_EQ(second.body, u"mona requested your review on 'A <b> & c'"_s);
    EXPECT_TRUE(second.actions.isEmpty()) << "nothing to open, so nothing to click";
    EXPECT_FALSE(second.hints.contains(u"sound-name"_s));
    EXPECT_EQ(notifier.trackedCount(), 1);
}

TEST(DBusNotifier, TextFromGitHubIsEscapedForServersThatReadMarkup)
{
    FakeNotificationServer server({u"body"_s, u"body-markup"_s});
    DBusNotifier notifier(optionsFor(server.service()));
    EXPECT_EQ(QCoro::waitFor(notifier.post(reviewRequest(u"https://github.com/o/r/pull/1"_s))), std::nullopt);
    ASSERT_EQ(server.received.size(), 1u);
    // A server without buttons gets what it always got: the click alone.
    EXPECT_EQ(server.received[0].actions, (QStringList{u"default"_s, u"Open"_s}));
    EXPECT_EQ(server.received[0].body, u"octo/hello\nmona requested your review on 'A &lt;b&gt; &amp; c'"_s);
    EXPECT_EQ(server.received[0].summary, u"👀 Review Requested"_s);
}

TEST(DBusNotifier, AClickOnTheDefaultActionDeliversTheAddressUntilTheNotificationCloses)
{
    FakeNotificationServer server({u"actions"_s});
    DBusNotifier notifier(optionsFor(server.service()));
    QSignalSpy clicks(&notifier, &Notifier::activated);
    QSignalSpy marks(&notifier, &Notifier::markSeenRequested);
    ASSERT_EQ(QCoro::waitFor(notifier.post(reviewRequest(u"https://github.com/o/r/pull/1"_s))), std::nullopt);
    ASSERT_EQ(QCoro::waitFor(notifier.post(reviewRequest(u"https://github.com/o/r/pull/2"_s))), std::nullopt);
    const uint first = 101;
    const uint second = 102;

    server.emitSignal(u"ActionInvoked"_s, {second, u"default"_s});
    ASSERT_TRUE(clicks.wait(5000));
    EXPECT_EQ(clicks.takeFirst().at(0).toString(), u"https://github.com/o/r/pull/2"_s);
    // "Mark as Seen" names the pull request and opens nothing.
    server.emitSignal(u"ActionInvoked"_s, {second, u"mark-seen"_s});
    ASSERT_TRUE(marks.wait(5000));
    EXPECT_EQ(marks.takeFirst().at(0).toString(), u"https://github.com/o/r/pull/2"_s);

    // Other actions, unknown ids and signals from anyone but the server's owner are ignored.
    server.emitSignal(u"ActionInvoked"_s, {first, u"inline-reply"_s});
    server.emitSignal(u"ActionInvoked"_s, {uint(999), u"default"_s});
    QDBusConnection impostor = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"impostor"_s);
    QDBusMessage spoof = QDBusMessage::createSignal(kPath, kInterface, u"ActionInvoked"_s);
    spoof << first << u"default"_s;
    impostor.send(spoof);

    server.emitSignal(u"NotificationClosed"_s, {first, uint(2)});
    EXPECT_TRUE(QTest::qWaitFor([&] { return notifier.trackedCount() == 1; }, 5000));
    server.emitSignal(u"ActionInvoked"_s, {first, u"default"_s});
    server.emitSignal(u"ActionInvoked"_s, {first, u"mark-seen"_s});
    QTest::qWait(300);
    EXPECT_EQ(clicks.size(), 0);
    EXPECT_EQ(marks.size(), 0);
    QDBusConnection::disconnectFromBus(u"impostor"_s);
}

TEST(DBusNotifier, AnErrorFromTheServerReachesThePoster)
{
    FakeNotificationServer server({u"actions"_s});
    server.failNotify = true;
    DBusNotifier notifier(optionsFor(server.service()));
    const auto error = QCoro::waitFor(notifier.post(reviewRequest(u"https://github.com/o/r/pull/1"_s)));
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(error->contains(u"Too many notifications"_s)) << error->toStdString();
    EXPECT_EQ(notifier.trackedCount(), 0);
}

TEST(DBusNotifier, PermissionFollowsThePresenceOfTheService)
{
    FakeNotificationServer server({});
    DBusNotifier present(optionsFor(server.service()));
    EXPECT_EQ(QCoro::waitFor(present.permissionStatus()), NotificationPermission::Authorized);
    EXPECT_TRUE(QCoro::waitFor(present.requestAuthorization()).granted);

    DBusNotifier absent(optionsFor(u"com.norvane.test.NobodyHere"_s));
    EXPECT_EQ(QCoro::waitFor(absent.permissionStatus()), NotificationPermission::Denied);
    const AuthorizationAnswer answer = QCoro::waitFor(absent.requestAuthorization());
    EXPECT_FALSE(answer.granted);
    ASSERT_TRUE(answer.error.has_value());
    EXPECT_TRUE(answer.error->contains(u"ServiceUnknown"_s)) << answer.error->toStdString();
    EXPECT_TRUE(QCoro::waitFor(absent.post(reviewRequest(std::nullopt))).has_value());
}

} // namespace

#include "dbus_notifier_test.moc"
