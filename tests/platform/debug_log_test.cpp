#include "platform/debug_log.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

struct Fixture
{
    QTemporaryDir home;
    QStringList systemLines;
    std::mutex mutex;

    QString logDir() const { return home.filePath(u"data/Norvane"_s); }
    QString logFile() const { return home.filePath(u"data/Norvane/norvane_debug.log"_s); }

    DebugLogEnvironment env(std::optional<QString> debugVar, bool marker)
    {
        if (marker) {
            QFile f(home.filePath(u".norvane_debug"_s));
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

const QRegularExpression kStamped(uR"(^\[\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ\] (.*)$)"_s);

QString unstamped(const QString& line)
{
    const auto m = kStamped.match(line);
    return m.hasMatch() ? m.captured(1) : u"<no timestamp> "_s + line;
}

} // namespace

TEST(DebugLog, ModeSwitchTableAndOffWritesNothing)
{
    const std::tuple<std::optional<QString>, bool, bool> cases[] = {
        {std::nullopt, false, false}, {u"1"_s, false, true},      {u"0"_s, true, true},
        {u"true"_s, false, false},    {std::nullopt, true, true},
    };
    for (const auto& [variable, marker, expected] : cases) {
        SCOPED_TRACE(variable.value_or(u"<unset>"_s).toStdString() + (marker ? " with marker" : ""));
        Fixture fx;
        {
            DebugLogger logger(fx.env(variable, marker));
            EXPECT_EQ(logger.isDebugMode(), expected);
            logger.log(u"API"_s, u"hello"_s);
        }
        // Off, nothing is written and no folder is made.
        EXPECT_EQ(fx.systemLines.size(), expected ? 1 : 0);
        EXPECT_EQ(QDir(fx.logDir()).exists(), expected);
    }
    // The marker is read once, when the logger starts.
    Fixture fx;
    DebugLogger logger(fx.env(std::nullopt, false));
    QFile(fx.home.filePath(u".norvane_debug"_s)).open(QIODevice::WriteOnly);
    EXPECT_FALSE(logger.isDebugMode());
}

TEST(DebugLog, EachRunStartsAFreshFileOfStampedLines)
{
    Fixture fx;
    {
        DebugLogger first(fx.env(u"1"_s, false));
        for (int i = 0; i < 5; ++i)
            first.log(u"Polling"_s, u"first run %1"_s.arg(i));
    }
    ASSERT_EQ(fx.fileLines().size(), 5);
    fx.systemLines.clear();
    DebugLogger logger(fx.env(u"1"_s, false));
    logger.log(u"API"_s, u"🚀 GET /search/issues"_s);
    logger.log(u"Refresh"_s, u"headers:\nAccept: json"_s);
    logger.waitUntilIdle();

    EXPECT_EQ(fx.systemLines,
              (QStringList{u"[API] 🚀 GET /search/issues"_s, u"[Refresh] headers:\nAccept: json"_s}));
    const QStringList lines = fx.fileLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(unstamped(lines[0]), u"[API] 🚀 GET /search/issues"_s);
    EXPECT_EQ(unstamped(lines[1]), u"[Refresh] headers:"_s);
    // A message's own line feed continues the entry without a timestamp.
    EXPECT_EQ(lines[2], u"Accept: json"_s);
}

TEST(DebugLog, UnwritableDirectoryLosesFileLinesButKeepsSystemLog)
{
    Fixture fx;
    // A regular file where the directory should be: the directory can never be created.
    QFile blocker(fx.home.filePath(u"data"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    DebugLogger logger(fx.env(u"1"_s, false));
    logger.log(u"API"_s, u"one"_s);
    logger.log(u"API"_s, u"two"_s);
    logger.waitUntilIdle();
    EXPECT_EQ(fx.systemLines.size(), 2);
    EXPECT_FALSE(QFile::exists(fx.logFile()));

    DebugLogEnvironment noDir = fx.env(u"1"_s, false);
    noDir.logDirectory.reset();
    DebugLogger withoutLocation(noDir);
    withoutLocation.log(u"API"_s, u"three"_s);
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
        DebugLogger logger(fx.env(u"1"_s, false));
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&logger, t] {
                for (int i = 0; i < kLines; ++i)
                    logger.log(u"T%1"_s.arg(t), QString::number(i));
            });
        }
        for (auto& th : threads)
            th.join();
    } // destruction drains the queue

    const QStringList lines = fx.fileLines();
    ASSERT_EQ(lines.size(), kThreads * kLines);
    EXPECT_EQ(fx.systemLines.size(), kThreads * kLines);
    std::vector<int> next(kThreads, 0);
    const QRegularExpression re(uR"(^\[T(\d+)\] (\d+)$)"_s);
    for (const QString& line : lines) {
        const auto m = re.match(unstamped(line));
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const int t = m.captured(1).toInt();
        EXPECT_EQ(m.captured(2).toInt(), next[t]) << "thread " << t;
        next[t] = m.captured(2).toInt() + 1;
    }
}
