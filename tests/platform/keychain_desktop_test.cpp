// Runs against the Secret Service (gnome-keyring) of scripts/desktop-session.
#include "platform/keychain_service.h"

#include <QCoreApplication>
#include <QCoroSignal>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QUuid>
#include <gtest/gtest.h>
#include <qt6keychain/keychain.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

const QString kService = u"com.norvane.app"_s;

QString freshIdentifier()
{
    return u"github_token_"_s + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

// Items the Secret Service holds for (service, identifier), asked directly over D-Bus.
int itemCount(const QString& identifier)
{
    qDBusRegisterMetaType<QMap<QString, QString>>();
    QDBusMessage search =
        QDBusMessage::createMethodCall(u"org.freedesktop.secrets"_s, u"/org/freedesktop/secrets"_s,
                                       u"org.freedesktop.Secret.Service"_s, u"SearchItems"_s);
    const QMap<QString, QString> attributes{{u"user"_s, identifier}, {u"server"_s, kService}};
    search << QVariant::fromValue(attributes);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(search);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    int count = 0;
    for (const QVariant& paths : reply.arguments()) // unlocked items, then locked ones
        count += static_cast<int>(qdbus_cast<QList<QDBusObjectPath>>(paths).size());
    return count;
}

class SystemKeychain : public ::testing::Test
{
protected:
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    std::optional<QString> read(KeychainService& keychain, const QString& identifier, std::string& printed)
    {
        ::testing::internal::CaptureStdout();
        auto token = QCoro::waitFor(keychain.getAsync(identifier));
        printed = ::testing::internal::GetCapturedStdout();
        return token;
    }

    SystemKeychainService m_keychain;
};

// Stores raw bytes under (service, identifier) the way another QtKeychain client may have: as a binary item,
// whose attributes differ from those of a text item.
void storeBinaryItem(const QString& identifier, const QByteArray& bytes)
{
    auto* writer = new QKeychain::WritePasswordJob(kService); // deletes itself when finished
    writer->setKey(identifier);
    writer->setBinaryData(bytes);
    writer->start();
    QCoro::waitFor(qCoro(writer, &QKeychain::Job::finished));
}

TEST_F(SystemKeychain, SavingTwiceLeavesOneItemHoldingTheNewTokenForEveryReader)
{
    const QString id = freshIdentifier();
    storeBinaryItem(id, "gho_left_by_an_older_version"); // a save replaces it too, attributes and all
    EXPECT_TRUE(QCoro::waitFor(m_keychain.save(u"gho_first"_s, id)));
    EXPECT_TRUE(QCoro::waitFor(m_keychain.save(u"gho_second ünïcode"_s, id)));
    std::string printed;
    EXPECT_EQ(read(m_keychain, id, printed), u"gho_second ünïcode"_s);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(itemCount(id), 1);
    // Reads of one item at the same time share one answer; another instance reads what this one saved.
    auto first = m_keychain.getAsync(id);
    auto second = m_keychain.getAsync(id);
    EXPECT_EQ(QCoro::waitFor(std::move(first)), u"gho_second ünïcode"_s);
    EXPECT_EQ(QCoro::waitFor(std::move(second)), u"gho_second ünïcode"_s);
    SystemKeychainService another;
    EXPECT_EQ(read(another, id, printed), u"gho_second ünïcode"_s);
    // Another service name is another set of items.
    SystemKeychainService otherApp(u"com.example.other"_s);
    EXPECT_FALSE(read(otherApp, id, printed).has_value());
    QCoro::waitFor(m_keychain.remove(id));
    EXPECT_EQ(itemCount(id), 0);
}

TEST_F(SystemKeychain, NeverSavedOrDeletedIdentifiersGiveNothingAndPrintNothing)
{
    const QString saved = freshIdentifier();
    ASSERT_TRUE(QCoro::waitFor(m_keychain.save(u"gho_x"_s, saved)));
    QCoro::waitFor(m_keychain.remove(saved));
    ::testing::internal::CaptureStdout();
    QCoro::waitFor(m_keychain.remove(freshIdentifier())); // nothing there: silent and harmless
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

    for (const QString& id : {saved, freshIdentifier()}) {
        std::string printed;
        EXPECT_FALSE(read(m_keychain, id, printed).has_value());
        EXPECT_EQ(printed, "");
    }
}

TEST_F(SystemKeychain, AStoredValueThatIsNotUtf8IsAReadFailureWithStatusZero)
{
    const QString id = freshIdentifier();
    storeBinaryItem(id, QByteArray("gho_\xff\xfe\xc3", 7));

    std::string printed;
    EXPECT_FALSE(read(m_keychain, id, printed).has_value());
    EXPECT_EQ(printed, "⚠️ [Keychain] Read failed for " + id.toStdString() + ": OSStatus 0\n");
    QCoro::waitFor(m_keychain.remove(id));
    EXPECT_EQ(itemCount(id), 0);
}

TEST_F(SystemKeychain, AStoreThatDoesNotAnswerInTimeIsAReadFailure)
{
    const QString id = freshIdentifier();
    ASSERT_TRUE(QCoro::waitFor(m_keychain.save(u"gho_slow"_s, id)));
    // No Secret Service answers within zero milliseconds.
    SystemKeychainService impatient(kService, std::chrono::milliseconds(0));
    std::string printed;
    EXPECT_FALSE(read(impatient, id, printed).has_value());
    EXPECT_EQ(printed, "⚠️ [Keychain] Read failed for " + id.toStdString() + ": OSStatus -25308\n");
    // The abandoned job still finishes and cleans up after itself; the store keeps working.
    EXPECT_EQ(read(m_keychain, id, printed), u"gho_slow"_s);
    QCoro::waitFor(m_keychain.remove(id));

    // A save that did not answer in time fails once, and nothing it started stores the token later.
    const QString unsaved = freshIdentifier();
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(QCoro::waitFor(impatient.save(u"gho_late"_s, unsaved)));
    QCoro::waitFor(m_keychain.getAsync(freshIdentifier())); // the abandoned jobs answer before this one
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "⚠️ [Keychain] Save failed for " + unsaved.toStdString() + ": OSStatus -25308\n");
    EXPECT_EQ(itemCount(unsaved), 0);
}

} // namespace
