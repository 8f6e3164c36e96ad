#pragma once

#include "core/pull_request.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>

// Snoozing a pull request: it leaves the list until something happens to it or its time is up.
namespace norvane {

enum class SnoozeLength { untilChange, day, week };

// One snoozed pull request, with what it was when it was snoozed so a change can be told from what was.
struct Snooze
{
    QDateTime at;                   // when the user snoozed it
    std::optional<QDateTime> until; // absent: until it changes
    QDateTime updatedAt;            // the pull request's updated_at then
    bool reviewRequested = false;   // a review was requested from the user (or it was assigned) then
    bool changesRequested = false;  // its verdict was "changes requested" then
    // Back in the list, still marked unseen until the user opens it or marks it seen.
    bool woke = false;

    static Snooze of(const PullRequest& pr, SnoozeLength length, const QDateTime& now);
    friend bool operator==(const Snooze&, const Snooze&) = default;
};

// Whether the snooze is over: its time is up, GitHub reports the pull request updated after it was snoozed
// (until it changes), or a review or changes were requested on it since.
bool snoozeWakes(const Snooze& snooze, const PullRequest& pr, const QDateTime& now);

// By pull-request id.
using SnoozeMap = QHash<QString, Snooze>;

QJsonObject toJson(const Snooze& snooze);
// Throws DecodeError.
Snooze snoozeFromJson(const QJsonObject& object, const QString& path = {});
QJsonObject toJson(const SnoozeMap& snoozes);
// Entry by entry: an unreadable entry is left out, the others stay.
SnoozeMap snoozeMapFromJson(const QJsonObject& object);

// What the command line reports of a pull request: null when it is not snoozed, the time it comes back (ISO
// 8601, UTC) or "change".
QJsonValue snoozedUntilJson(const std::optional<Snooze>& snooze);

} // namespace norvane
