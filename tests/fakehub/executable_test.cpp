// norvane-fakehub as scripts and the demo start it.
#include "support.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

using namespace norvane::fakehub::testing;

namespace {

// Starts the executable and returns the first line of its output, or empty when it prints none in time.
QString startAndReadAddress(QProcess& process, const QStringList& arguments)
{
    process.start(QStringLiteral(NORVANE_FAKEHUB_EXE), arguments);
    if (!process.waitForStarted(10000) || !process.waitForReadyRead(20000))
        return {};
    while (!process.canReadLine() && process.waitForReadyRead(5000)) {
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

} // namespace

TEST(Executable, ServesTheDemoWorldUntilTerminated)
{
    QProcess process;
    const QString base = startAndReadAddress(process, {QStringLiteral("--scenario"), demoPath()});
    ASSERT_TRUE(base.startsWith(QStringLiteral("http://127.0.0.1:")))
        << base.toStdString() << process.readAllStandardError().toStdString();
    httplib::Client client(base.toStdString());
    client.set_url_encode(false);
    const auto user = client.Get("/user", httplib::Headers{{"Authorization", "token demo-token"}});
    ASSERT_TRUE(user);
    EXPECT_EQ(parseBody(user->body)[QStringLiteral("login")].toString(), QStringLiteral("mona"));
    const auto search = client.Get("/search/issues?q=type:pr+state:open+archived:false+review-requested:mona",
                                   httplib::Headers{{"Authorization", "token demo-token"}});
    ASSERT_TRUE(search);
    EXPECT_GE(parseBody(search->body)[QStringLiteral("total_count")].toInteger(), 5);
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST(Executable, PlaysTheTimelineOnSignalAndLogsRequestsWhenAsked)
{
    QProcess process;
    const QString base =
        startAndReadAddress(process, {QStringLiteral("--scenario"), demoPath(),
                                      QStringLiteral("--manual-timeline"), QStringLiteral("--log-requests")});
    ASSERT_TRUE(base.startsWith(QStringLiteral("http://127.0.0.1:")))
        << process.readAllStandardError().toStdString();
    httplib::Client client(base.toStdString());
    client.set_url_encode(false);
    const std::string query = "/search/issues?q=type:pr+state:open+archived:false+review-requested:mona";
    const auto requested = [&] {
        const auto search = client.Get(query, httplib::Headers{{"Authorization", "token demo-token"}});
        return search ? parseBody(search->body)[QStringLiteral("total_count")].toInteger() : -1;
    };
    const qint64 before = requested();
    ASSERT_GT(before, 0);
    ::kill(static_cast<pid_t>(process.processId()), SIGUSR1); // the first event: mona asked to review
    QElapsedTimer timer;
    timer.start();
    while (requested() == before && timer.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_EQ(requested(), before + 1);

    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    const QString log = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(
        log.startsWith(QStringLiteral("request GET ") + QString::fromStdString(query) + QLatin1Char('\n')))
        << log.left(300).toStdString();
}

TEST(Executable, GeneratesWorldsAndAddsLatency)
{
    QProcess print;
    print.start(QStringLiteral(NORVANE_FAKEHUB_EXE),
                {QStringLiteral("--generate"), QStringLiteral("12"), QStringLiteral("--print")});
    ASSERT_TRUE(print.waitForFinished(20000));
    EXPECT_EQ(norvane::fakehub::Scenario::fromJson(print.readAllStandardOutput()).pullRequests.size(), 12);

    QProcess process;
    const QString base =
        startAndReadAddress(process, {QStringLiteral("--generate"), QStringLiteral("60"),
                                      QStringLiteral("--latency-ms"), QStringLiteral("150")});
    ASSERT_FALSE(base.isEmpty()) << process.readAllStandardError().toStdString();
    httplib::Client client(base.toStdString());
    client.set_url_encode(false);
    QElapsedTimer timer;
    timer.start();
    const auto search = client.Get("/search/issues?q=type:pr+state:open+author:bench&per_page=50",
                                   httplib::Headers{{"Authorization", "token bench-token"}});
    EXPECT_GE(timer.elapsed(), 150);
    ASSERT_TRUE(search);
    EXPECT_EQ(parseBody(search->body)[QStringLiteral("total_count")].toInteger(), 20);
    process.terminate();
    EXPECT_TRUE(process.waitForFinished(10000));
}

TEST(Executable, ReportsBadArgumentsAndScenariosOnStandardError)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.json"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"users": [{"login": "a"}], "pull_requests": [{"repository": "x/y"}]})");
    file.close();
    struct Case
    {
        QStringList arguments;
        const char* message;
    };
    const Case cases[] = {
        {{QStringLiteral("--scenario"), broken},
         "key \"pull_requests[0].repository\": unknown repository \"x/y\""},
        {{}, "give exactly one of --scenario FILE and --generate N"},
        {{QStringLiteral("--scenario"), demoPath(), QStringLiteral("--port"), QStringLiteral("http")},
         "--port"},
        {{QStringLiteral("--generate"), QStringLiteral("-3")}, "--generate takes a non-negative number"},
    };
    for (const Case& c : cases) {
        QProcess process;
        process.start(QStringLiteral(NORVANE_FAKEHUB_EXE), c.arguments);
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 2) << c.message;
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        EXPECT_TRUE(process.readAllStandardError().contains(c.message)) << c.message;
    }
}
