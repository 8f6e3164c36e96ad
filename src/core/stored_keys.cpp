#include "core/stored_keys.h"

#include "core/stored_encoding.h"

#include <QStringList>

namespace norvane {

namespace {

QList<StoredKeyEntry> makeTable()
{
    using T = StoredType;
    const auto json = [](const char* text) { return QVariant(QByteArray(text)); };
    const auto string = [](const char* text) { return QVariant(QString::fromLatin1(text)); };
    const QVariant emptyList = QVariant(QStringList{});
    const QVariant none;
    return {
        {StoredKey::accounts, QStringLiteral("github_accounts"), T::json, false, json("[]")},
        {StoredKey::notificationSettings, QStringLiteral("notification_settings"), T::json, false,
         json(R"({"notifyOnApproval":true,"notifyOnChangesRequested":true,"notifyOnReviewRequest":true,)"
              R"("notifyOnTeamReviewRequest":true,"pollingIntervalMinutes":15})")},
        {StoredKey::blockedRepositories, QStringLiteral("blocked_repositories"), T::stringList, false,
         emptyList},
        {StoredKey::favoriteRepositories, QStringLiteral("favorite_repositories"), T::stringList, false,
         emptyList},
        {StoredKey::selectedRepository, QStringLiteral("selected_repository"), T::string, false, none},
        {StoredKey::selectedSortOption, QStringLiteral("selected_sort_option"), T::string, false,
         string("Updated")},
        {StoredKey::trayIconStyle, QStringLiteral("tray_icon_style"), T::string, false, string("automatic")},
        // Anything but "false" reads as on.
        {StoredKey::activityFeedEnabled, QStringLiteral("activity_feed_enabled"), T::string, false,
         string("true")},
        {StoredKey::watchedRepos, QStringLiteral("watched_repos"), T::json, false, json("[]")},
        {StoredKey::seenStates, QStringLiteral("pr_seen_states_"), T::json, true, json("{}")},
        {StoredKey::snoozes, QStringLiteral("pr_snoozes_"), T::json, true, json("{}")},
        {StoredKey::sections, QStringLiteral("pr_sections_"), T::json, true, json("[]")},
    };
}

} // namespace

const QList<StoredKeyEntry>& storedKeys()
{
    static const QList<StoredKeyEntry> table = makeTable();
    return table;
}

const StoredKeyEntry& storedKeyEntry(StoredKey key)
{
    const QList<StoredKeyEntry>& table = storedKeys();
    const auto index = qsizetype(key);
    Q_ASSERT(index >= 0 && index < table.size() && table[index].key == key);
    return table[index];
}

QString storedName(StoredKey key)
{
    const StoredKeyEntry& entry = storedKeyEntry(key);
    Q_ASSERT(!entry.perAccount);
    return entry.name;
}

QString storedName(StoredKey key, const QUuid& accountId)
{
    const StoredKeyEntry& entry = storedKeyEntry(key);
    Q_ASSERT(entry.perAccount);
    return entry.name + uuidText(accountId);
}

} // namespace norvane
