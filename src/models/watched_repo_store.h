#pragma once

#include "core/stored_keys.h"
#include "core/stored_record.h"
#include "core/watched_repo.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>
#include <memory>
#include <optional>

namespace norvane {

class Preferences;

// The repositories each account watches, kept in the preferences under "watched_repos" and published on
// every change so the issues and dashboard tabs reload. One per run, shared by those models and the settings
// screen. Names are not checked here: the settings screen checks what the user types (isValidRepoName).
class WatchedRepoStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<norvane::WatchedRepo> watchedRepos READ watchedRepos NOTIFY watchedReposChanged)

public:
    static QString defaultsKey() { return storedName(StoredKey::watchedRepos); }

    // Loads the stored list at once.
    explicit WatchedRepoStore(std::shared_ptr<Preferences> preferences, QObject* parent = nullptr);

    // Every account's entries, in the order they were added, as stored.
    const QList<WatchedRepo>& watchedRepos() const { return m_watchedRepos; }
    // The entries of one account, in list order, each repository once: GitHub's names ignore letter case,
    // so of two stored spellings of one name (an older version kept both) the first stands for both.
    QList<WatchedRepo> repos(const QUuid& accountId) const;
    // The account's entry for the name, ignoring letter case and the blanks around it.
    std::optional<WatchedRepo> find(const QString& fullName, const QUuid& accountId) const;

    // Appends the trimmed name for the account unless it is empty or the account already watches it in any
    // letter case; false when nothing was added.
    bool add(const QString& fullName, const QUuid& accountId);
    // Removes the entry, and any other spelling of it the account still has stored. Both removals publish
    // and save even when nothing matched.
    void remove(const QUuid& id);
    void removeAll(const QUuid& accountId);

Q_SIGNALS:
    void watchedReposChanged(const QList<norvane::WatchedRepo>& watchedRepos);

private:
    void load();
    void save();
    void setWatchedRepos(QList<WatchedRepo> repos);

    std::shared_ptr<Preferences> m_preferences;
    QList<WatchedRepo> m_watchedRepos;
    QHash<QUuid, StoredRecord<WatchedRepo>> m_stored; // as read, so saving keeps what other versions stored
};

} // namespace norvane
