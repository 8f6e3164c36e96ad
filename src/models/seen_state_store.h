#pragma once

#include "core/pr_rules.h"
#include "core/pull_request.h"
#include "core/stored_record.h"

#include <QHash>
#include <QUuid>
#include <memory>
#include <optional>

namespace norvane {

class Preferences;

// What the user last saw of each pull request, per account, stored as "pr_seen_states_<account id>". One
// account's snapshots are held at a time; saving writes them over what was read, so fields another version
// of Norvane stored with a snapshot stay. Sample snapshots belong to no account and are never stored.
class SeenStateStore
{
public:
    explicit SeenStateStore(std::shared_ptr<Preferences> preferences);

    const SeenStateMap& states() const { return m_states; }
    // The account whose snapshots are held; none before the first load and while sample snapshots are shown.
    const std::optional<QUuid>& accountId() const { return m_accountId; }
    QList<PRUpdateType> unseenUpdates(const PullRequest& pr) const;

    // Reads the account's snapshots (unreadable ones count as none); ensureLoaded only when another
    // account's, or none, are held.
    void load(const QUuid& accountId);
    void ensureLoaded(const QUuid& accountId);
    // Snapshots the pull request as seen now, and saves.
    void markAsSeen(const PullRequest& pr);
    // After an answer: pull requests seen for the first time count as seen, those gone are forgotten; saves
    // when either changed anything.
    void reconcile(const QList<PullRequest>& prs);
    // Holds `states` in memory only; the next load of an account replaces them.
    void showSample(SeenStateMap states);

private:
    void save();

    std::shared_ptr<Preferences> m_preferences;
    SeenStateMap m_states;
    std::optional<QUuid> m_accountId;
    QHash<QString, StoredRecord<PRSeenState>> m_stored; // as read, of the held account
};

} // namespace norvane
