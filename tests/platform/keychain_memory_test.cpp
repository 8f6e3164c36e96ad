#include "platform/keychain_service.h"
#include "support/run_task.h"

#include <QCoroTask>
#include <gtest/gtest.h>

using namespace norvane;

namespace {

TEST(KeychainService, FailureLinesCarryTheIdentifierAndTheSignedStatus)
{
    const QString id = QStringLiteral("github_token_0F5C2B1A-3C4D-4E5F-8A9B-0C1D2E3F4A5B");
    EXPECT_EQ(keychainSaveFailedLine(id, KeychainStatus::AuthFailed),
              QStringLiteral("⚠️ [Keychain] Save failed for ") + id +
                  QStringLiteral(": OSStatus -25293"));
    EXPECT_EQ(keychainReadFailedLine(id, KeychainStatus::Success),
              QStringLiteral("⚠️ [Keychain] Read failed for ") + id + QStringLiteral(": OSStatus 0"));
    // U+26A0, U+FE0F and a space open the line.
    EXPECT_EQ(keychainReadFailedLine(id, KeychainStatus::NotAvailable).left(3),
              QString::fromUtf16(u"\u26A0\uFE0F "));
}

TEST(InMemoryKeychainService, InstancesOverTheSameStorageShareTokensAndSaveReplaces)
{
    auto storage = std::make_shared<InMemoryKeychainService::Storage>();
    InMemoryKeychainService models(storage);
    InMemoryKeychainService issues(storage);
    InMemoryKeychainService elsewhere; // its own storage

    EXPECT_TRUE(QCoro::waitFor(models.save(QStringLiteral("old"), QStringLiteral("id"))));
    EXPECT_TRUE(QCoro::waitFor(models.save(QStringLiteral("new"), QStringLiteral("id"))));
    EXPECT_EQ(QCoro::waitFor(issues.getAsync(QStringLiteral("id"))), QStringLiteral("new"));
    // Reading leaves the token in place for the next reader.
    EXPECT_EQ(QCoro::waitFor(models.getAsync(QStringLiteral("id"))), QStringLiteral("new"));
    EXPECT_EQ(storage->size(), 1u);
    EXPECT_FALSE(QCoro::waitFor(elsewhere.getAsync(QStringLiteral("id"))).has_value());

    QCoro::waitFor(issues.remove(QStringLiteral("id")));
    QCoro::waitFor(issues.remove(QStringLiteral("never-saved")));
    EXPECT_FALSE(QCoro::waitFor(models.getAsync(QStringLiteral("id"))).has_value());
    EXPECT_TRUE(storage->empty());
}

// The store's answer, as when a person unlocks it: every read waiting at the gate goes on when it opens.
struct Gate
{
    struct Wait
    {
        Gate* gate;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> reader) { gate->waiting.push_back(reader); }
        void await_resume() const noexcept {}
    };

    Wait wait() { return Wait{this}; }
    void open()
    {
        for (const std::coroutine_handle<> reader : std::exchange(waiting, {}))
            reader.resume();
    }

    std::vector<std::coroutine_handle<>> waiting;
};

QCoro::Task<std::optional<QString>> answerWhenOpened(Gate* gate, QString value)
{
    co_await gate->wait();
    co_return value;
}

TEST(ReadsInFlight, AReadOfAKeyThatIsPendingWaitsForItsResult)
{
    auto reads = std::make_shared<ReadsInFlight>();
    Gate gate;
    QStringList started;
    const auto read = [&](const char* key, const char* value) {
        return ReadsInFlight::join(reads, QString::fromLatin1(key), [&started, &gate, key, value] {
            started.append(QString::fromLatin1(key));
            return answerWhenOpened(&gate, QString::fromLatin1(value));
        });
    };
    auto first = read("a", "tok-a");
    auto second = read("a", "tok-other");
    auto other = read("b", "tok-b");
    EXPECT_EQ(started, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));

    gate.open();
    EXPECT_EQ(norvane::testing::runTask(std::move(first)), QStringLiteral("tok-a"));
    EXPECT_EQ(norvane::testing::runTask(std::move(second)), QStringLiteral("tok-a"));
    EXPECT_EQ(norvane::testing::runTask(std::move(other)), QStringLiteral("tok-b"));

    // Once it has answered, the next read asks the store again.
    auto later = read("a", "tok-new");
    gate.open();
    EXPECT_EQ(norvane::testing::runTask(std::move(later)), QStringLiteral("tok-new"));
    EXPECT_EQ(started.size(), 3);
}

// A save (or removal) that finished while a read was pending: a read asked for after it never gets the token
// the pending read may still bring from before it, and later reads share the newer read instead.
TEST(ReadsInFlight, AReadAfterASaveNeverJoinsAReadFromBeforeIt)
{
    auto reads = std::make_shared<ReadsInFlight>();
    Gate gate;
    int started = 0;
    const auto read = [&](const char* value) {
        return ReadsInFlight::join(reads, QStringLiteral("a"), [&started, &gate, value] {
            ++started;
            return answerWhenOpened(&gate, QString::fromLatin1(value));
        });
    };
    auto beforeSave = read("tok-revoked");
    reads->changed(QStringLiteral("b")); // another item's save changes nothing here
    auto sharing = read("unused");
    EXPECT_EQ(started, 1);
    reads->changed(QStringLiteral("a"));
    auto afterSave = read("tok-new");
    auto afterThat = read("unused");
    EXPECT_EQ(started, 2);

    gate.open();
    EXPECT_EQ(norvane::testing::runTask(std::move(beforeSave)), QStringLiteral("tok-revoked"));
    EXPECT_EQ(norvane::testing::runTask(std::move(sharing)), QStringLiteral("tok-revoked"));
    EXPECT_EQ(norvane::testing::runTask(std::move(afterSave)), QStringLiteral("tok-new"));
    EXPECT_EQ(norvane::testing::runTask(std::move(afterThat)), QStringLiteral("tok-new"));
    EXPECT_EQ(started, 2);
}

} // namespace
