#pragma once

#include "core/pull_request.h"
#include "core/snooze.h"

#include <QList>
#include <QUuid>
#include <memory>
#include <optional>

namespace norvane {

class Preferences;

// The snoozed pull requests of one account at a time, stored as "pr_snoozes_<account id>" and written
// through at every change. An unreadable stored entry counts as no snooze; the others stay.
class SnoozeStore
{
public:
    explicit SnoozeStore(std::shared_ptr<Preferences> preferences);

    const SnoozeMap& snoozes() const { return m_snoozes; }
    const std::optional<QUuid>& accountId() const { return m_accountId; }
    void ensureLoaded(const QUuid& accountId);

    void snooze(const PullRequest& pr, SnoozeLength length, const QDateTime& now);
    // Forgets the pull request's snooze, its mark of having woken included; whether there was one.
    bool forget(const QString& prId);
    // Snoozes that are over wake, and keep their mark until forgotten; saves when one woke. Returns the
    // answer without the pull requests still snoozed, and puts those in `snoozed`.
    QList<PullRequest> apply(const QList<PullRequest>& prs, const QDateTime& now,
                             QList<PullRequest>* snoozed);
    // After a whole answer: the snoozes of pull requests no longer in it (merged, closed) are dropped.
    void dropAbsent(const QList<PullRequest>& answer);
    // The earliest time a snooze is up; none when no snooze has a time.
    std::optional<QDateTime> nextWake() const;
    // Holds no snoozes and stores nothing until the next load (sample data).
    void clear();

private:
    void save();

    std::shared_ptr<Preferences> m_preferences;
    SnoozeMap m_snoozes;
    std::optional<QUuid> m_accountId;
};

} // namespace norvane
