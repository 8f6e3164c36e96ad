#include "platform/keychain_service.h"
#include "support/run_task.h"

#include <QCoroTask>
#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

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
    EXPECT_EQ(started, (QStringList{u"a"_s, u"b"_s}));

    gate.open();
    EXPECT_EQ(norvane::testing::runTask(std::move(first)), u"tok-a"_s);
    EXPECT_EQ(norvane::testing::runTask(std::move(second)), u"tok-a"_s);
    EXPECT_EQ(norvane::testing::runTask(std::move(other)), u"tok-b"_s);

    // Once it has answered, the next read asks the store again.
    auto later = read("a", "tok-new");
    gate.open();
    EXPECT_EQ(norvane::testing::runTask(std::move(later)), u"tok-new"_s);
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
        return ReadsInFlight::join(reads, u"a"_s, [&started, &gate, value] {
            ++started;
            return answerWhenOpened(&gate, QString::fromLatin1(value));
        });
    };
    auto beforeSave = read("tok-revoked");
    reads->changed(u"b"_s); // another item's save changes nothing here
    auto sharing = read("unused");
    EXPECT_EQ(started, 1);
    reads->changed(u"a"_s);
    auto afterSave = read("tok-new");
    auto afterThat = read("unused");
    EXPECT_EQ(started, 2);

    gate.open();
    EXPECT_EQ(norvane::testing::runTask(std::move(beforeSave)), u"tok-revoked"_s);
    EXPECT_EQ(norvane::testing::runTask(std::move(sharing)), u"tok-revoked"_s);
    EXPECT_EQ(norvane::testing::runTask(std::move(afterSave)), u"tok-new"_s);
    EXPECT_EQ(norvane::testing::runTask(std::move(afterThat)), u"tok-new"_s);
    EXPECT_EQ(started, 2);
}

} // namespace
