// Sleep, wake and the network's coming and going, as logind and NetworkManager announce them on the system
// bus, reach the engine: a wake or a return to a connected network refreshes once, and NetworkManager's
// "offline" stops nothing (which events catch up how often: PollSchedule's tests). The test runs its own
// private system bus with scripts/fake-system-services on it.
#include "models/pr_model_fixture.h"
#include "platform/system_events.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QFileInfo>
#include <QNetworkInformation>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace norvane;
using namespace norvane::testing;

namespace {

// A system bus of the test's own, with the fake logind and NetworkManager on it. Set up once per process:
// Qt connects to the system bus at its first use and keeps that connection.
class FakeSystemBus
{
public:
    bool start()
    {
        if (!m_dir.isValid())
            return false;
        const QString socket = m_dir.filePath(u"system_bus"_s);
        m_bus.start(u"dbus-daemon"_s,
                    {u"--session"_s, u"--nofork"_s, u"--nopidfile"_s, u"--address=unix:path="_s + socket});
        if (!waitUntil([&] { return QFileInfo::exists(socket); }, 10'000))
            return false;
        const QByteArray address = "unix:path=" + socket.toUtf8();
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, QString::fromUtf8(address));
        m_fake.setProcessEnvironment(env);
        m_fake.start(QStringLiteral(NORVANE_SOURCE_DIR "/scripts/fake-system-services"), {});
        return waitUntil(
            [&] {
                m_output += m_fake.readAllStandardOutput();
                return m_output.startsWith("ready");
            },
            10'000);
    }
    // Sends "sleep", "wake", "offline", "connecting" or "online".
    bool send(const QString& what)
    {
        QDBusInterface control(u"com.norvane.FakeSystem"_s, u"/com/norvane/FakeSystem"_s,
                               u"com.norvane.FakeSystem"_s, QDBusConnection::systemBus());
        const QDBusReply<void> reply = control.call(u"Emit"_s, what);
        return reply.isValid();
    }
    ~FakeSystemBus()
    {
        for (QProcess* p : {&m_fake, &m_bus}) {
            p->terminate();
            p->waitForFinished(5000);
        }
    }

private:
    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_fake;
    QByteArray m_output;
};

} // namespace

class SystemEventsTest : public PRModelTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(system.start()) << "the private system bus or its fakes did not come up";
        fh::Scenario world = baseWorld();
        world.pullRequests = {pull("acme/api", 1, "me")};
        startHub(world);
        const GitHubAccount account = storedAccount("me");
        storeAccounts({account});
    }

    // Waits for `n` refreshes in all, then long enough that another would have begun.
    void expectRefreshes(std::size_t n)
    {
        EXPECT_TRUE(waitUntil([&] { return searches() >= 3 * n; }, 10'000));
        ASSERT_TRUE(settle());
        QTest::qWait(300);
        EXPECT_EQ(searches(), 3 * n);
    }

    FakeSystemBus system;
};

TEST_F(SystemEventsTest, AWakeOrAReturnOnlineRefreshesOnce)
{
    PRViewModel& m = launch();
    SystemEvents events;
    QObject::connect(&events, &SystemEvents::resumed, &m, &PRViewModel::systemResumed);
    QObject::connect(&events, &SystemEvents::onlineChanged, &m, &PRViewModel::setNetworkOnline);
    events.start();
    EXPECT_TRUE(events.isOnline());
    hub->clearRequests();

    ASSERT_TRUE(system.send(u"sleep"_s));
    ASSERT_TRUE(system.send(u"wake"_s));
    expectRefreshes(1);

    // NetworkManager's word alone stops nothing: the traffic may flow through an interface it does not
    // manage.
    ASSERT_TRUE(system.send(u"offline"_s));
    ASSERT_TRUE(waitUntil([&] { return !m.isNetworkOnline(); }, 10'000))
        << "NetworkManager's state did not reach Qt";
    timer->fire();
    expectRefreshes(2);
    feedTimer->fire();
    EXPECT_TRUE(waitUntil([&] { return !hub->requests(u"GET"_s, u"/notifications"_s).empty(); }));

    // Connecting is not back yet (no address, no route): the catch-up waits for the connected state.
    ASSERT_TRUE(system.send(u"connecting"_s));
    ASSERT_TRUE(waitUntil([] {
        return QNetworkInformation::instance()->reachability() == QNetworkInformation::Reachability::Unknown;
    }));
    EXPECT_FALSE(m.isNetworkOnline());
    // A poll that failed before, left on screen: the first refresh back online clears it.
    m.setErrorMessage(u"Network error"_s);
    ASSERT_TRUE(system.send(u"online"_s));
    expectRefreshes(3);
    EXPECT_FALSE(m.errorMessage().has_value());
}
