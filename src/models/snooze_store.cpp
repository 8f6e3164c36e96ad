#include "models/snooze_store.h"

#include "core/json_reader.h"
#include "core/stored_keys.h"
#include "platform/preferences.h"

#include <QJsonDocument>

namespace norvane {

SnoozeStore::SnoozeStore(std::shared_ptr<Preferences> preferences) : m_preferences(std::move(preferences)) {}

void SnoozeStore::ensureLoaded(const QUuid& accountId)
{
    if (m_accountId == accountId)
        return;
    m_snoozes.clear();
    if (const auto data = m_preferences->data(storedName(StoredKey::snoozes, accountId))) {
        try {
            m_snoozes = snoozeMapFromJson(parseJsonObject(*data));
        } catch (const DecodeError&) {
            // Unreadable snoozes count as none; the next save replaces them.
        }
    }
    m_accountId = accountId;
}

void SnoozeStore::snooze(const PullRequest& pr, SnoozeLength length, const QDateTime& now)
{
    m_snoozes.insert(pr.id, Snooze::of(pr, length, now));
    save();
}

bool SnoozeStore::forget(const QString& prId)
{
    if (!m_snoozes.remove(prId))
        return false;
    save();
    return true;
}

QList<PullRequest> SnoozeStore::apply(const QList<PullRequest>& prs, const QDateTime& now,
                                      QList<PullRequest>* snoozed)
{
    bool changed = false;
    QList<PullRequest> shown;
    for (const PullRequest& pr : prs) {
        const auto it = m_snoozes.find(pr.id);
        if (it == m_snoozes.end() || it->woke) {
            shown.append(pr);
        } else if (snoozeWakes(*it, pr, now)) {
            it->woke = true;
            changed = true;
            shown.append(pr);
        } else if (snoozed) {
            snoozed->append(pr);
        }
    }
    if (changed)
        save();
    return shown;
}

void SnoozeStore::dropAbsent(const QList<PullRequest>& answer)
{
    QSet<QString> current;
    for (const PullRequest& pr : answer)
        current.insert(pr.id);
    bool changed = false;
    for (auto it = m_snoozes.begin(); it != m_snoozes.end();) {
        if (current.contains(it.key())) {
            ++it;
        } else {
            it = m_snoozes.erase(it);
            changed = true;
        }
    }
    if (changed)
        save();
}

std::optional<QDateTime> SnoozeStore::nextWake() const
{
    std::optional<QDateTime> next;
    for (const Snooze& s : m_snoozes) {
        if (!s.woke && s.until && (!next || *s.until < *next))
            next = s.until;
    }
    return next;
}

void SnoozeStore::clear()
{
    m_snoozes.clear();
    m_accountId.reset();
}

void SnoozeStore::save()
{
    if (!m_accountId)
        return;
    m_preferences->setData(storedName(StoredKey::snoozes, *m_accountId),
                           QJsonDocument(toJson(m_snoozes)).toJson(QJsonDocument::Compact));
}

} // namespace norvane
