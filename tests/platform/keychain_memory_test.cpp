#include "platform/keychain_service.h"

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

} // namespace
