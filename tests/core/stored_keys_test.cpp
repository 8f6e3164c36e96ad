#include "core/github_account.h"
#include "core/json_reader.h"
#include "core/pr_rules.h"
#include "core/search_section.h"
#include "core/snooze.h"
#include "core/stored_encoding.h"
#include "core/stored_keys.h"
#include "core/watched_repo.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;

namespace {

// The names earlier versions stored, and so the names every later version must keep reading.
const struct
{
    StoredKey key;
    const char* name;
    StoredType type;
    bool perAccount;
} kStoredForms[] = {
    {StoredKey::accounts, "github_accounts", StoredType::json, false},
    {StoredKey::notificationSettings, "notification_settings", StoredType::json, false},
    {StoredKey::blockedRepositories, "blocked_repositories", StoredType::stringList, false},
    {StoredKey::favoriteRepositories, "favorite_repositories", StoredType::stringList, false},
    {StoredKey::selectedRepository, "selected_repository", StoredType::string, false},
    {StoredKey::selectedSortOption, "selected_sort_option", StoredType::string, false},
    {StoredKey::trayIconStyle, "tray_icon_style", StoredType::string, false},
    {StoredKey::activityFeedEnabled, "activity_feed_enabled", StoredType::string, false},
    {StoredKey::watchedRepos, "watched_repos", StoredType::json, false},
    {StoredKey::seenStates, "pr_seen_states_", StoredType::json, true},
    {StoredKey::snoozes, "pr_snoozes_", StoredType::json, true},
    {StoredKey::sections, "pr_sections_", StoredType::json, true},
};

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Decodes `entry`'s default the way the key's reader decodes a stored value, and checks it is the value the
// engine starts with when nothing is stored. Throws DecodeError when a JSON default does not decode.
void expectDefaultIsTheStartingValue(const StoredKeyEntry& entry)
{
    const QVariant& value = entry.defaultValue;
    switch (entry.key) {
    case StoredKey::accounts:
        EXPECT_TRUE(gitHubAccountsFromJson(parseJsonArray(value.toByteArray())).isEmpty());
        return;
    case StoredKey::notificationSettings:
        EXPECT_EQ(notificationSettingsFromJson(parseJsonObject(value.toByteArray())), NotificationSettings{});
        // Byte for byte what saving the default settings writes.
        EXPECT_EQ(value.toByteArray(), compact(toJson(NotificationSettings{})));
        return;
    case StoredKey::blockedRepositories:
    case StoredKey::favoriteRepositories:
        EXPECT_TRUE(value.toStringList().isEmpty());
        return;
    case StoredKey::selectedRepository:
        EXPECT_FALSE(value.isValid()); // no repository selected
        return;
    case StoredKey::selectedSortOption:
        EXPECT_EQ(prSortOptionFromRaw(value.toString()), PRScope{}.sort);
        return;
    case StoredKey::trayIconStyle:
        EXPECT_EQ(trayIconStyleFromRaw(value.toString()), TrayIconStyle::automatic);
        return;
    case StoredKey::activityFeedEnabled:
        // The reader takes anything but "false" for on; the default must be a value that says so plainly.
        EXPECT_EQ(value.toString(), u"true"_s);
        return;
    case StoredKey::watchedRepos:
        EXPECT_TRUE(watchedReposFromJson(parseJsonArray(value.toByteArray())).isEmpty());
        return;
    case StoredKey::seenStates:
        EXPECT_TRUE(seenStateMapFromJson(parseJsonObject(value.toByteArray())).isEmpty());
        return;
    case StoredKey::snoozes:
        EXPECT_TRUE(snoozeMapFromJson(parseJsonObject(value.toByteArray())).isEmpty());
        return;
    case StoredKey::sections:
        EXPECT_TRUE(sectionsFromStored(value.toByteArray()).isEmpty());
        return;
    }
    ADD_FAILURE() << "no reader known for " << entry.name.toStdString();
}

} // namespace

TEST(StoredKeysTest, EveryKeyKeepsTheNameAndFormEarlierVersionsStored)
{
    ASSERT_EQ(storedKeys().size(), qsizetype(std::size(kStoredForms)));
    for (const auto& expected : kStoredForms) {
        SCOPED_TRACE(expected.name);
        const StoredKeyEntry& entry = storedKeyEntry(expected.key);
        EXPECT_EQ(entry.key, expected.key);
        EXPECT_EQ(entry.name, QString::fromLatin1(expected.name));
        EXPECT_EQ(entry.type, expected.type);
        EXPECT_EQ(entry.perAccount, expected.perAccount);
        if (!expected.perAccount) {
            EXPECT_EQ(storedName(expected.key), QString::fromLatin1(expected.name));
        }
    }
    const QUuid account = QUuid::fromString(u"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"_s);
    EXPECT_EQ(storedName(StoredKey::seenStates, account),
              u"pr_seen_states_E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_s);
}

TEST(StoredKeysTest, EveryDefaultHasItsKeysTypeAndDecodesToTheStartingValue)
{
    for (const StoredKeyEntry& entry : storedKeys()) {
        SCOPED_TRACE(entry.name.toStdString());
        if (entry.defaultValue.isValid()) {
            const int expectedType = entry.type == StoredType::json     ? QMetaType::QByteArray
                                     : entry.type == StoredType::string ? QMetaType::QString
                                                                        : QMetaType::QStringList;
            EXPECT_EQ(entry.defaultValue.metaType().id(), expectedType);
        }
        try {
            expectDefaultIsTheStartingValue(entry);
        } catch (const DecodeError& e) {
            ADD_FAILURE() << "the default does not decode: " << e.description().toStdString();
        }
    }
}
