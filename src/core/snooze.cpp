#include "core/snooze.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"

namespace norvane {

namespace {
bool asksForReview(const PullRequest& pr)
{
    return pr.reviewRequested || pr.isAssigned;
}
bool hasChangesRequested(const PullRequest& pr)
{
    return pr.approvalStatus == PullRequest::ApprovalStatus::changesRequested;
}
} // namespace

Snooze Snooze::of(const PullRequest& pr, SnoozeLength length, const QDateTime& now)
{
    Snooze s;
    s.at = now;
    if (length == SnoozeLength::day)
        s.until = now.addDays(1);
    else if (length == SnoozeLength::week)
        s.until = now.addDays(7);
    s.updatedAt = pr.updatedAt;
    s.reviewRequested = asksForReview(pr);
    s.changesRequested = hasChangesRequested(pr);
    return s;
}

bool snoozeWakes(const Snooze& s, const PullRequest& pr, const QDateTime& now)
{
    if (s.woke)
        return true;
    if (s.until && now >= *s.until)
        return true;
    // GitHub's clock and this machine's differ: an update counts when it is later than both the moment of
    // snoozing and the update the user had seen.
    if (!s.until && pr.updatedAt.isValid() && pr.updatedAt > s.at &&
        (!s.updatedAt.isValid() || pr.updatedAt > s.updatedAt))
        return true;
    if (asksForReview(pr) && !s.reviewRequested)
        return true;
    if (hasChangesRequested(pr) && !s.changesRequested)
        return true;
    return pr.lastChangeRequest && pr.lastChangeRequest->submittedAt.isValid() &&
           pr.lastChangeRequest->submittedAt > s.at;
}

QJsonObject toJson(const Snooze& s)
{
    QJsonObject o{{QStringLiteral("at"), toStoredTimestamp(s.at)},
                  {QStringLiteral("reviewRequested"), s.reviewRequested},
                  {QStringLiteral("changesRequested"), s.changesRequested}};
    if (s.until)
        o.insert(QStringLiteral("until"), toStoredTimestamp(*s.until));
    if (s.updatedAt.isValid())
        o.insert(QStringLiteral("updatedAt"), toStoredTimestamp(s.updatedAt));
    if (s.woke)
        o.insert(QStringLiteral("woke"), true);
    return o;
}

Snooze snoozeFromJson(const QJsonObject& object, const QString& path)
{
    const JsonReader r(object, path);
    Snooze s;
    s.at = r.storedDate(QStringLiteral("at"));
    s.until = r.optionalStoredDate(QStringLiteral("until"));
    s.updatedAt = r.optionalStoredDate(QStringLiteral("updatedAt")).value_or(QDateTime());
    s.reviewRequested = r.optionalBoolean(QStringLiteral("reviewRequested")).value_or(false);
    s.changesRequested = r.optionalBoolean(QStringLiteral("changesRequested")).value_or(false);
    s.woke = r.optionalBoolean(QStringLiteral("woke")).value_or(false);
    return s;
}

QJsonObject toJson(const SnoozeMap& snoozes)
{
    QJsonObject o;
    for (auto it = snoozes.cbegin(); it != snoozes.cend(); ++it)
        o.insert(it.key(), toJson(it.value()));
    return o;
}

SnoozeMap snoozeMapFromJson(const QJsonObject& object)
{
    SnoozeMap map;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isObject())
            continue;
        try {
            map.insert(it.key(), snoozeFromJson(it.value().toObject(), it.key()));
        } catch (const DecodeError&) {
            // One unreadable entry costs only itself.
        }
    }
    return map;
}

QJsonValue snoozedUntilJson(const std::optional<Snooze>& snooze)
{
    if (!snooze || snooze->woke)
        return QJsonValue::Null;
    if (!snooze->until)
        return QStringLiteral("change");
    return snooze->until->toUTC().toString(Qt::ISODate);
}

} // namespace norvane
