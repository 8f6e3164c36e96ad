#include "models/stored_preferences.h"

#include "core/json_reader.h"
#include "core/stored_keys.h"
#include "platform/preferences.h"

#include <QJsonDocument>

namespace norvane {

namespace {

QString nameOf(StoredKey key, [[maybe_unused]] StoredType type)
{
    Q_ASSERT(storedKeyEntry(key).type == type);
    return storedName(key);
}

// The stored string, or the table's default for a missing one.
QString stringOrDefault(const Preferences& preferences, StoredKey key)
{
    return preferences.string(nameOf(key, StoredType::string))
        .value_or(storedKeyEntry(key).defaultValue.toString());
}

std::optional<QSet<QString>> storedSet(const Preferences& preferences, StoredKey key)
{
    const auto list = preferences.stringList(nameOf(key, StoredType::stringList));
    if (!list)
        return std::nullopt;
    return QSet<QString>(list->begin(), list->end());
}

void storeSet(Preferences& preferences, StoredKey key, const QSet<QString>& set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    preferences.setStringList(nameOf(key, StoredType::stringList), list);
}

} // namespace

StoredPreferences::StoredPreferences(std::shared_ptr<Preferences> preferences)
    : m_preferences(std::move(preferences))
{
}

std::optional<NotificationSettings> StoredPreferences::loadNotificationSettings()
{
    const auto data = m_preferences->data(nameOf(StoredKey::notificationSettings, StoredType::json));
    if (!data)
        return std::nullopt;
    try {
        const QJsonObject object = parseJsonObject(*data);
        const NotificationSettings settings = notificationSettingsFromJson(object);
        m_notificationSettings = StoredRecord<NotificationSettings>{settings, object};
        return settings;
    } catch (const DecodeError&) {
        return std::nullopt;
    }
}

void StoredPreferences::saveNotificationSettings(const NotificationSettings& settings)
{
    const QJsonObject object = encodeOver(
        settings, m_notificationSettings ? &*m_notificationSettings : nullptr, kNotificationSettingsKeys);
    m_preferences->setData(nameOf(StoredKey::notificationSettings, StoredType::json),
                           QJsonDocument(object).toJson(QJsonDocument::Compact));
}

StoredPreferences::RepositorySettings StoredPreferences::loadRepositorySettings()
{
    RepositorySettings settings;
    settings.blocked = storedSet(*m_preferences, StoredKey::blockedRepositories);
    settings.favorites = storedSet(*m_preferences, StoredKey::favoriteRepositories);
    settings.selectedRepository =
        m_preferences->string(nameOf(StoredKey::selectedRepository, StoredType::string));
    if (const auto sort = m_preferences->string(nameOf(StoredKey::selectedSortOption, StoredType::string))) {
        settings.sort = prSortOptionFromRaw(*sort);
        if (!settings.sort)
            m_unknownSortOption = *sort;
    }
    return settings;
}

void StoredPreferences::saveRepositorySettings(const QSet<QString>& blocked, const QSet<QString>& favorites,
                                               const std::optional<QString>& selectedRepository,
                                               PRSortOption sort)
{
    storeSet(*m_preferences, StoredKey::blockedRepositories, blocked);
    storeSet(*m_preferences, StoredKey::favoriteRepositories, favorites);
    const QString selectedName = nameOf(StoredKey::selectedRepository, StoredType::string);
    if (selectedRepository)
        m_preferences->setString(selectedName, *selectedRepository);
    else
        m_preferences->remove(selectedName);
    m_preferences->setString(nameOf(StoredKey::selectedSortOption, StoredType::string),
                             m_unknownSortOption.value_or(rawValue(sort)));
}

TrayIconStyle StoredPreferences::loadTrayIconStyle() const
{
    return trayIconStyleFromRaw(stringOrDefault(*m_preferences, StoredKey::trayIconStyle))
        .value_or(TrayIconStyle::automatic);
}

void StoredPreferences::saveTrayIconStyle(TrayIconStyle style)
{
    m_preferences->setString(nameOf(StoredKey::trayIconStyle, StoredType::string), rawValue(style));
}

bool StoredPreferences::loadChecksActivityFeed() const
{
    return stringOrDefault(*m_preferences, StoredKey::activityFeedEnabled) != QStringLiteral("false");
}

void StoredPreferences::saveChecksActivityFeed(bool on)
{
    m_preferences->setString(nameOf(StoredKey::activityFeedEnabled, StoredType::string),
                             on ? QStringLiteral("true") : QStringLiteral("false"));
}

QList<SearchSection> StoredPreferences::loadSections(const QUuid& accountId) const
{
    const auto data = m_preferences->data(storedName(StoredKey::sections, accountId));
    return data ? sectionsFromStored(*data) : QList<SearchSection>();
}

void StoredPreferences::saveSections(const QUuid& accountId, const QList<SearchSection>& sections)
{
    m_preferences->setData(storedName(StoredKey::sections, accountId), sectionsToStored(sections));
}

} // namespace norvane
