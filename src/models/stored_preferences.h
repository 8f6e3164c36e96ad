#pragma once

#include "core/pr_rules.h"
#include "core/search_section.h"
#include "core/stored_record.h"

#include <QSet>
#include <QString>
#include <memory>
#include <optional>

namespace norvane {

class Preferences;

// The pull-request engine's settings in their stored form (core/stored_keys.h): the notification settings,
// the repository scope and sort, the tray icon's colour and the feed switch. Remembers what it read that
// this version cannot show, so that writing the settings back keeps it.
class StoredPreferences
{
public:
    explicit StoredPreferences(std::shared_ptr<Preferences> preferences);

    // The stored notification settings; nullopt when none are stored or they cannot be read, in which case
    // the defaults stay in force and the stored bytes stay untouched until the next save.
    std::optional<NotificationSettings> loadNotificationSettings();
    // Written over what was read, so keys another version stored with the settings stay.
    void saveNotificationSettings(const NotificationSettings& settings);

    // What is stored of the repository scope and sort: each part absent when it is not stored (or, for the
    // sort, names one only a newer version knows: that one stays stored until a sort is chosen here).
    struct RepositorySettings
    {
        std::optional<QSet<QString>> blocked;
        std::optional<QSet<QString>> favorites;
        std::optional<QString> selectedRepository;
        std::optional<PRSortOption> sort;
    };
    RepositorySettings loadRepositorySettings();
    void saveRepositorySettings(const QSet<QString>& blocked, const QSet<QString>& favorites,
                                const std::optional<QString>& selectedRepository, PRSortOption sort);
    // A sort chosen here replaces one only a newer version knew.
    void forgetUnknownSortOption() { m_unknownSortOption.reset(); }

    // A style this version does not know reads as automatic and stays stored until one is chosen.
    TrayIconStyle loadTrayIconStyle() const;
    void saveTrayIconStyle(TrayIconStyle style);
    // Anything but "false" leaves the feed on: a value a later version wrote stays stored until changed here.
    bool loadChecksActivityFeed() const;
    void saveChecksActivityFeed(bool on);

    // An account's sections; none when none are stored or they cannot be read (unreadable bytes stay stored
    // until the next save replaces them).
    QList<SearchSection> loadSections(const QUuid& accountId) const;
    void saveSections(const QUuid& accountId, const QList<SearchSection>& sections);

private:
    std::shared_ptr<Preferences> m_preferences;
    std::optional<StoredRecord<NotificationSettings>> m_notificationSettings; // as read
    std::optional<QString> m_unknownSortOption; // a newer version's sort, kept until one is chosen
};

} // namespace norvane
