#include "platform/preferences.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

const QString kAccounts = u"github_accounts"_s;
const QString kRepository = u"selected_repository"_s;

// A list large enough that writing it takes a while, every element stamped with the generation.
QByteArray accountsOfGeneration(int generation)
{
    QJsonArray list;
    for (int i = 0; i < 400; ++i)
        list.append(QJsonObject{{u"generation"_s, generation},
                                {u"username"_s, u"user-%1-%2"_s.arg(generation).arg(i)}});
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

// The generation every element of a stored list carries, or -1 when they disagree (a torn value).
int generationOf(const QByteArray& stored)
{
    const QJsonArray list = QJsonDocument::fromJson(stored).array();
    if (list.isEmpty())
        return -1;
    const int generation = list.first().toObject().value(u"generation"_s).toInt(-1);
    for (const QJsonValue& item : list) {
        if (item.toObject().value(u"generation"_s).toInt(-2) != generation)
            return -1;
    }
    return generation;
}

// Writes generation after generation, each key on its own, until killed.
[[noreturn]] void writeUntilKilled(const QString& directory)
{
    auto preferences = SettingsPreferences::forProfile(directory);
    for (int generation = 1;; ++generation) {
        preferences->setData(kAccounts, accountsOfGeneration(generation));
        preferences->setString(kRepository, u"gen/%1"_s.arg(generation));
    }
}

// kill -9 lands anywhere in a stream of writes: before, during and after QSettings' write of the temporary
// file, its flush and its rename. The file must always be an earlier complete state, and the lock file a
// killed writer leaves behind must not stop the next one.
TEST(SettingsPreferencesCrash, KillNineDuringWritesLeavesAnEarlierCompleteFile)
{
    qint64 slowestNextWriteMs = 0;
    for (int trial = 0; trial < 40; ++trial) {
        SCOPED_TRACE(trial);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        {
            auto seed = SettingsPreferences::forProfile(dir.path());
            seed->setData(kAccounts, accountsOfGeneration(0));
            seed->setString(kRepository, u"gen/0"_s);
        }
        std::fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            writeUntilKilled(dir.path());
        QThread::usleep(QRandomGenerator::global()->bounded(20'000, 400'000));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const QString path = dir.filePath(u"preferences.ini"_s);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(preferencesFileDamage(file.readAll()), std::nullopt);

        // Read the way the next launch does, from a copy: this process's QSettings still caches the path.
        QTemporaryDir copy;
        ASSERT_TRUE(QFile::copy(path, copy.filePath(u"preferences.ini"_s)));
        auto reader = SettingsPreferences::forProfile(copy.path());
        EXPECT_EQ(reader->setAsidePath(), std::nullopt);
        const int accounts = generationOf(reader->data(kAccounts).value_or(QByteArray()));
        const QString repository = reader->string(kRepository).value_or(QString());
        if (accounts < 0) {
            ADD_FAILURE() << "the stored list is torn";
            continue;
        }
        // The repository is written after the list of the same generation.
        EXPECT_TRUE(repository == u"gen/%1"_s.arg(accounts) || repository == u"gen/%1"_s.arg(accounts - 1))
            << qPrintable(repository) << " after list " << accounts;

        auto next = SettingsPreferences::forProfile(dir.path());
        QElapsedTimer clock;
        clock.start();
        next->setString(kRepository, u"after/kill"_s);
        slowestNextWriteMs = std::max(slowestNextWriteMs, clock.elapsed());
        EXPECT_FALSE(QFile::exists(path + u".lock"_s));
        EXPECT_EQ(SettingsPreferences::forProfile(dir.path())->string(kRepository), u"after/kill"_s);
    }
    EXPECT_LT(slowestNextWriteMs, 2000);
}

// The writer killed between creating the lock file and writing its owner into it: QLockFile alone would
// wait 30 seconds before it calls such a lock stale.
TEST(SettingsPreferencesCrash, AnEmptyLockFileLeftByAKilledWriterDoesNotHoldUpTheNextWrite)
{
    QTemporaryDir dir;
    {
        QFile lock(dir.filePath(u"preferences.ini.lock"_s));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    }
    QElapsedTimer clock;
    clock.start();
    SettingsPreferences::forProfile(dir.path())->setString(kRepository, u"a/b"_s);
    // A lock with no owner counts as stale only after 30 s; the bound leaves room for a loaded machine.
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(SettingsPreferences::forProfile(dir.path())->string(kRepository), u"a/b"_s);
}

} // namespace
