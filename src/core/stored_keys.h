#pragma once

#include <QList>
#include <QString>
#include <QUuid>
#include <QVariant>

namespace norvane {

// Every value Norvane keeps in the preferences, by the key it is stored under. Readers and writers name a
// key through this table and never spell its stored name themselves, so a name exists once and the table is
// the complete list of what the preferences may hold. The stored names and the forms of their values are
// what earlier versions wrote: a file of any of them reads unchanged.
enum class StoredKey {
    accounts,             // the signed-in accounts; read and written only by AccountStore
    notificationSettings, // the three notification switches and the polling interval
    blockedRepositories,  // repositories and owners whose pull requests are hidden
    favoriteRepositories, // repositories listed first in the repository menu
    selectedRepository,   // the repository the pull-request list is narrowed to
    selectedSortOption,   // the pull-request list's sort
    trayIconStyle,        // the plain tray icon's colour
    activityFeedEnabled,  // whether GitHub's notification feed is checked between polls
    watchedRepos,         // the repositories each account watches on the issues and dashboard tabs
    seenStates,           // per account: what the user last saw of each pull request
    snoozes,              // per account: the snoozed pull requests
    sections,             // per account: the sections defined by the user's own searches
};

// How a value is stored.
enum class StoredType {
    json,       // a compact JSON document (an object or an array) stored as bytes
    string,     // one string
    stringList, // a list of strings
};

struct StoredKeyEntry
{
    StoredKey key;
    // The stored name; for a key kept per account, the prefix its account's id follows.
    QString name;
    StoredType type;
    bool perAccount;
    // What a missing key stands for, in stored form: a QByteArray for json, a QString for a string, a
    // QStringList for a string list; invalid where a missing key means "no value" (no repository selected).
    QVariant defaultValue;
};

// The table, in StoredKey order.
const QList<StoredKeyEntry>& storedKeys();
const StoredKeyEntry& storedKeyEntry(StoredKey key);

// The name a key is stored under. The first form is for keys kept once; the second for a key kept per
// account ("pr_seen_states_" followed by the account's id as uuidText writes it).
QString storedName(StoredKey key);
QString storedName(StoredKey key, const QUuid& accountId);

} // namespace norvane
