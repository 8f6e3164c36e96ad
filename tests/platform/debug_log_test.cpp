#include "platform/debug_log.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

using namespace norvane;

namespace {

struct Fixture {
    QTemporaryDir home;
    QStringList systemLines;
    std::mutex mutex;

    QString logDir() const { return home.filePath(QStringLiteral("data/Norvane")); }
    QString logFile() const { return home.filePath(QStringLiteral("data/Norvane/norvane_debug.log")); }

    DebugLogEnvironment env(std::optional<QString> debugVar, bool marker)
    {
        if (marker) {
            QFile f(home.filePath(QStringLiteral(".norvane_debug")));
            f.open(QIODevice::WriteOnly);
        }
        DebugLogEnvironment e;
        e.debugModeVariable = std::move(debugVar);
        e.homeDirectory = home.path();
        e.logDirectory = logDir();
        e.systemLog = [this](const QString& line) {
            std::lock_guard lock(mutex);
            systemLines.append(line);
        };
        return e;
    }

    QStringList fileLines() const
    {
        QFile f(logFile());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
};

const QRegularExpression kStamped(QStringLiteral(R"(^\[\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ\] (.*)$)"));

QString unstamped(const QString& line)
{
    const auto m = kStamped.match(line);
    return m.hasMatch() ? m.captured(1) : QStringLiteral("<no timestamp> ") + line;
}

} // namespace

TEST(DebugLog, ModeSwitchTable)
{
    struct Case {
        std::optional<QString> variable;
        bool marker;
        bool expected;
    };
    const Case cases[] = {
        {std::nullopt, false, false},      {QStringLiteral("1"), false, true},
        {QStringLiteral("0"), true, true}, {QStringLiteral("true"), false, false},
        {QStringLiteral(" 1"), false, false}, {QStringLiteral(""), true, true},
        {std::nullopt, true, true},
    };
    for (const Case& c : cases) {
        Fixture fx;
        DebugLogger logger(fx.env(c.variable, c.marker));
        EXPECT_EQ(logger.isDebugMode(), c.expected) << c.variable.value_or(QStringLiteral("<unset>")).toStdString()
                                                    << " marker=" << c.marker;
    }
}

TEST(DebugLog, MarkerIsReadOnceWhenTheLoggerStarts)
{
    Fixture fx;
    DebugLogger logger(fx.env(std::nullopt, false));
    QFile(fx.home.filePath(QStringLiteral(".norvane_debug"))).open(QIODevice::WriteOnly);
    EXPECT_FALSE(logger.isDebugMode());
}

TEST(DebugLog, OffWritesNothingAndCreatesNoFile)
{
    Fixture fx;
    {
        DebugLogger logger(fx.env(QStringLiteral("0"), false));
        logger.log(QStringLiteral("API"), QStringLiteral("hello"));
        logger.waitUntilIdle();
    }
    EXPECT_TRUE(fx.systemLines.isEmpty());
    EXPECT_FALSE(QDir(fx.logDir()).exists());
}

TEST(DebugLog, WritesSystemLogAndStampedFileLines)
{
    Fixture fx;
    DebugLogger logger(fx.env(QStringLiteral("1"), false));
    logger.log(QStringLiteral("API"), QStringLiteral("🚀 GET /search/issues"));
    logger.log(QStringLiteral("Refresh"), QStringLiteral("headers:\nAccept: json"));
    logger.waitUntilIdle();

    EXPECT_EQ(fx.systemLines, (QStringList{QStringLiteral("[API] 🚀 GET /search/issues"),
                                           QStringLiteral("[Refresh] headers:\nAccept: json")}));
    const QStringList lines = fx.fileLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(unstamped(lines[0]), QStringLiteral("[API] 🚀 GET /search/issues"));
    EXPECT_EQ(unstamped(lines[1]), QStringLiteral("[Refresh] headers:"));
    // A message's own line feed continues the entry without a timestamp.
    EXPECT_EQ(lines[2], QStringLiteral("Accept: json"));
}

TEST(DebugLog, EachRunStartsAFreshFile)
{
    Fixture fx;
    {
        DebugLogger first(fx.env(QStringLiteral("1"), false));
        for (int i = 0; i < 5; ++i)
            first.log(QStringLiteral("Polling"), QStringLiteral("first run %1").arg(i));
    }
    ASSERT_EQ(fx.fileLines().size(), 5);
    {
        DebugLogger second(fx.env(QStringLiteral("1"), false));
        second.log(QStringLiteral("Polling"), QStringLiteral("second run 0"));
        second.log(QStringLiteral("Polling"), QStringLiteral("second run 1"));
    }
    const QStringList lines = fx.fileLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(unstamped(lines[0]), QStringLiteral("[Polling] second run 0"));
    EXPECT_EQ(unstamped(lines[1]), QStringLiteral("[Polling] second run 1"));
}

TEST(DebugLog, UnwritableDirectoryLosesFileLinesButKeepsSystemLog)
{
    Fixture fx;
    // A regular file where the directory should be: the directory can never be created.
    QFile blocker(fx.home.filePath(QStringLiteral("data")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    DebugLogger logger(fx.env(QStringLiteral("1"), false));
    logger.log(QStringLiteral("API"), QStringLiteral("one"));
    logger.log(QStringLiteral("API"), QStringLiteral("two"));
    logger.waitUntilIdle();
    EXPECT_EQ(fx.systemLines.size(), 2);
    EXPECT_FALSE(QFile::exists(fx.logFile()));

    DebugLogEnvironment noDir = fx.env(QStringLiteral("1"), false);
    noDir.logDirectory.reset();
    DebugLogger withoutLocation(noDir);
    withoutLocation.log(QStringLiteral("API"), QStringLiteral("three"));
    withoutLocation.waitUntilIdle();
    EXPECT_FALSE(withoutLocation.logFilePath().has_value());
    EXPECT_EQ(fx.systemLines.size(), 3);
}

TEST(DebugLog, ConcurrentCallersKeepTheirOrderAndLoseNothing)
{
    Fixture fx;
    constexpr int kThreads = 8;
    constexpr int kLines = 400;
    {
        DebugLogger logger(fx.env(QStringLiteral("1"), false));
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&logger, t] {
                for (int i = 0; i < kLines; ++i)
                    logger.log(QStringLiteral("T%1").arg(t), QString::number(i));
            });
        }
        for (auto& th : threads)
            th.join();
    } // destruction drains the queue

    const QStringList lines = fx.fileLines();
    ASSERT_EQ(lines.size(), kThreads * kLines);
    EXPECT_EQ(fx.systemLines.size(), kThreads * kLines);
    std::vector<int> next(kThreads, 0);
    const QRegularExpression re(QStringLiteral(R"(^\[T(\d+)\] (\d+)$)"));
    for (const QString& line : lines) {
        const auto m = re.match(unstamped(line));
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const int t = m.captured(1).toInt();
        EXPECT_EQ(m.captured(2).toInt(), next[t]) << "thread " << t;
        next[t] = m.captured(2).toInt() + 1;
    }
}
