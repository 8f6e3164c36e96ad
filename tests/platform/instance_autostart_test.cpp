#include "platform/autostart.h"
#include "platform/single_instance.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace norvane;
using namespace Qt::StringLiterals;
using norvane::testing::waitUntil;

namespace {

sockaddr_un addressOf(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    return address;
}

// A Unix socket bound at `path`, listening with a queue of `backlog` when that is not negative.
int boundSocket(const QString& path, int backlog = -1)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_GE(fd, 0);
    const sockaddr_un address = addressOf(path);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    if (backlog >= 0) {
        EXPECT_EQ(::listen(fd, backlog), 0);
    }
    return fd;
}

TEST(Autostart, TheEntryQuotesTheCommandAsDesktopEntriesRequire)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/norvane", "Exec=/usr/bin/norvane\n"},
        {"/home/me/my apps/norvane", "Exec=\"/home/me/my apps/norvane\"\n"},
        {"/opt/$HOME/100%/norvane", "Exec=\"/opt/\\$HOME/100%%/norvane\"\n"},
        {"/opt/a\"b`c\\d", "Exec=\"/opt/a\\\"b\\`c\\\\d\"\n"},
    };
    for (const auto& [command, exec] : cases) {
        const QString text = Autostart::entryText(QString::fromUtf8(command));
        EXPECT_TRUE(text.startsWith(u"[Desktop Entry]\nType=Application\n"_s)) << command;
        EXPECT_TRUE(text.contains(QString::fromUtf8(exec))) << text.toStdString();
    }
}

// The switch's round trip through the file is the settings view's test; here what it does not reach.
TEST(Autostart, TheFileIsTheSetting)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const Autostart autostart(config.path(), u"/usr/bin/norvane"_s);
    EXPECT_EQ(autostart.setEnabled(true), std::nullopt);
    QFile entry(autostart.entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(entry.readAll()), Autostart::entryText(u"/usr/bin/norvane"_s));
    entry.close();

    // Hidden by hand: off, whatever the switch said before.
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nExec=norvane\nHidden=true\n");
    entry.close();
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_EQ(autostart.setEnabled(false), std::nullopt);
    EXPECT_EQ(autostart.setEnabled(false), std::nullopt) << "switching off twice is fine";

    // Where the folder cannot be made, the reason is given and nothing pretends to be on.
    QFile blocker(config.filePath(u"blocked"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Autostart blocked(config.filePath(u"blocked"_s), u"norvane"_s);
    const std::optional<QString> failure = blocked.setEnabled(true);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->startsWith(u"Could not create the folder"_s)) << failure->toStdString();
    EXPECT_FALSE(blocked.isEnabled());
}

// A run on another profile (--profile, the demo) never writes or removes the user's own login entry, which
// starts the user's own profile.
TEST(Autostart, ARunOnAnotherProfileLeavesTheUsersEntryAlone)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const Autostart own = Autostart::forRun(std::nullopt);
    const Autostart other = Autostart::forRun(u"/tmp/throw-away"_s);
    EXPECT_EQ(own.entryPath(), config.filePath(u"autostart/com.norvane.app.desktop"_s));
    EXPECT_FALSE(own.unavailableReason().has_value());

    const std::optional<QString> refused = other.setEnabled(true);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused, other.unavailableReason());
    EXPECT_FALSE(QFile::exists(own.entryPath()));
    ASSERT_EQ(own.setEnabled(true), std::nullopt);
    EXPECT_FALSE(other.isEnabled()) << "the switch of a profile run shows nothing of the user's entry";
    EXPECT_TRUE(other.setEnabled(false).has_value());
    EXPECT_TRUE(QFile::exists(own.entryPath()));
    if (before.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", before);
}

TEST(SingleInstance, ALaterStartHandsOverAndAStaleSocketDoesNotBlock)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QString path = runtime.filePath(u"norvane.socket"_s);

    // What a crash leaves: a socket file nobody listens on.
    ::close(boundSocket(path));
    ASSERT_TRUE(QFile::exists(path));

    SingleInstance first(path);
    QSignalSpy firstPrimary(&first, &SingleInstance::becamePrimary);
    QSignalSpy firstHanded(&first, &SingleInstance::handedOver);
    QSignalSpy shows(&first, &SingleInstance::showRequested);
    first.start();
    ASSERT_TRUE(waitUntil([&] { return firstPrimary.count() == 1; }));
    EXPECT_TRUE(first.isListening());

    for (int start = 1; start <= 2; ++start) {
        SingleInstance later(path);
        QSignalSpy primary(&later, &SingleInstance::becamePrimary);
        QSignalSpy handed(&later, &SingleInstance::handedOver);
        later.start();
        ASSERT_TRUE(waitUntil([&] { return handed.count() == 1; }));
        EXPECT_TRUE(waitUntil([&] { return shows.count() == start; }));
        EXPECT_EQ(primary.count(), 0);
    }
    EXPECT_EQ(firstHanded.count(), 0);

    // Different profiles are different instances; the same profile is the same one.
    EXPECT_NE(SingleInstance::socketPath(u"/tmp/a"_s), SingleInstance::socketPath(u"/tmp/b"_s));
    EXPECT_EQ(SingleInstance::socketPath(u"/tmp/a"_s), SingleInstance::socketPath(u"/tmp/a/"_s));
    EXPECT_NE(SingleInstance::socketPath(QString()), SingleInstance::socketPath(u"/tmp/a"_s));
}

// Login autostart and a click in the menu at the same moment, while a hung process still holds the socket:
// every knock goes unanswered, and yet exactly one start becomes the instance; the others hand over to it.
TEST(SingleInstance, StartsAtTheSameMomentMakeOneInstance)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QString path = runtime.filePath(u"norvane.socket"_s);

    // A listener that never accepts, its queue full: a knock neither connects nor fails until it times out.
    const int hung = boundSocket(path, 0);
    const sockaddr_un address = addressOf(path);
    std::vector<int> queued;
    for (int i = 0; i < 8; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        queued.push_back(fd);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
            break; // the queue is full
    }

    std::vector<std::unique_ptr<SingleInstance>> starts;
    int primaries = 0;
    int handedOver = 0;
    for (int i = 0; i < 5; ++i) {
        starts.push_back(std::make_unique<SingleInstance>(path));
        QObject::connect(starts.back().get(), &SingleInstance::becamePrimary, [&] { ++primaries; });
        QObject::connect(starts.back().get(), &SingleInstance::handedOver, [&] { ++handedOver; });
    }
    for (auto& start : starts)
        start->start();
    EXPECT_TRUE(waitUntil([&] { return primaries + handedOver == 5; }, 20'000));
    EXPECT_EQ(primaries, 1);
    EXPECT_EQ(handedOver, 4);
    EXPECT_EQ(std::count_if(starts.begin(), starts.end(), [](const auto& s) { return s->isListening(); }), 1);
    for (int fd : queued)
        ::close(fd);
    ::close(hung);
}

} // namespace
