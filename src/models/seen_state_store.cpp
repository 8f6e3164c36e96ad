#include "models/seen_state_store.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"
#include "core/stored_keys.h"
#include "platform/preferences.h"

#include <QJsonDocument>

namespace norvane {

namespace {
QString seenStatesKey(const QUuid& accountId)
{
    return storedName(StoredKey::seenStates, accountId);
}
} // namespace

SeenStateStore::SeenStateStore(std::shared_ptr<Preferences> preferences)
    : m_preferences(std::move(preferences))
{
}

QList<PRUpdateType> SeenStateStore::unseenUpdates(const PullRequest& pr) const
{
    const auto it = m_states.constFind(pr.id);
    return it == m_states.constEnd() ? QList<PRUpdateType>{} : it->changes(pr);
}

void SeenStateStore::load(const QUuid& accountId)
{
    m_states.clear();
    m_stored.clear();
    if (const auto data = m_preferences->data(seenStatesKey(accountId))) {
        try {
            const QJsonObject objects = parseJsonObject(*data);
            m_states = seenStateMapFromJson(objects);
            for (auto it = m_states.cbegin(); it != m_states.cend(); ++it)
                m_stored.insert(it.key(), {it.value(), objects.value(it.key()).toObject()});
        } catch (const DecodeError&) {
            // Unreadable snapshots count as none; the next save replaces them.
        }
    }
    m_accountId = accountId;
}

void SeenStateStore::ensureLoaded(const QUuid& accountId)
{
    if (m_accountId != accountId)
        load(accountId);
}

void SeenStateStore::markAsSeen(const PullRequest& pr)
{
    m_states.insert(pr.id, PRSeenState::snapshot(pr));
    save();
}

void SeenStateStore::reconcile(const QList<PullRequest>& prs)
{
    bool changed = false;
    QSet<QString> current;
    for (const PullRequest& pr : prs) {
        current.insert(pr.id);
        if (m_states.contains(pr.id))
            continue;
        m_states.insert(pr.id, PRSeenState::snapshot(pr));
        changed = true;
    }
    for (auto it = m_states.begin(); it != m_states.end();) {
        if (current.contains(it.key())) {
            ++it;
        } else {
            it = m_states.erase(it);
            changed = true;
        }
    }
    if (changed)
        save();
}

void SeenStateStore::showSample(SeenStateMap states)
{
    m_states = std::move(states);
    m_stored.clear();
    m_accountId.reset();
}

void SeenStateStore::save()
{
    if (!m_accountId)
        return;
    QJsonObject objects;
    for (auto it = m_states.cbegin(); it != m_states.cend(); ++it) {
        const auto stored = m_stored.constFind(it.key());
        objects.insert(it.key(), encodeOver(it.value(), stored == m_stored.constEnd() ? nullptr : &*stored,
                                            kPRSeenStateKeys));
    }
    m_preferences->setData(seenStatesKey(*m_accountId),
                           QJsonDocument(objects).toJson(QJsonDocument::Compact));
}

} // namespace norvane
