#include "models/watched_repo_store.h"

#include "core/json_reader.h"
#include "platform/preferences.h"

#include <QJsonDocument>
#include <QSet>

#include <algorithm>

namespace norvane {

WatchedRepoStore::WatchedRepoStore(std::shared_ptr<Preferences> preferences, QObject* parent)
    : QObject(parent), m_preferences(std::move(preferences))
{
    load();
}

QList<WatchedRepo> WatchedRepoStore::repos(const QUuid& accountId) const
{
    QList<WatchedRepo> result;
    QSet<QString> seen;
    for (const WatchedRepo& repo : m_watchedRepos) {
        if (repo.accountId != accountId)
            continue;
        const QString key = repo.fullName.toCaseFolded();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        result.append(repo);
    }
    return result;
}

std::optional<WatchedRepo> WatchedRepoStore::find(const QString& fullName, const QUuid& accountId) const
{
    const QString name = trimHorizontalWhitespace(fullName);
    for (const WatchedRepo& repo : m_watchedRepos) {
        if (repo.accountId == accountId && repo.fullName.compare(name, Qt::CaseInsensitive) == 0)
            return repo;
    }
    return std::nullopt;
}

bool WatchedRepoStore::add(const QString& fullName, const QUuid& accountId)
{
    const QString name = trimHorizontalWhitespace(fullName);
    if (name.isEmpty() || find(name, accountId))
        return false;
    QList<WatchedRepo> repos = m_watchedRepos;
    repos.append(WatchedRepo{QUuid::createUuid(), name, accountId});
    setWatchedRepos(std::move(repos));
    save();
    return true;
}

void WatchedRepoStore::remove(const QUuid& id)
{
    QList<WatchedRepo> repos = m_watchedRepos;
    const auto entry = std::find_if(repos.cbegin(), repos.cend(), [&](const WatchedRepo& repo) { return repo.id == id; });
    if (entry != repos.cend()) {
        // The account's other spellings of the name were shown as this entry: they go with it.
        const WatchedRepo removed = *entry;
        repos.removeIf([&](const WatchedRepo& repo) {
            return repo.accountId == removed.accountId &&
                   repo.fullName.compare(removed.fullName, Qt::CaseInsensitive) == 0;
        });
    }
    setWatchedRepos(std::move(repos));
    save();
}

void WatchedRepoStore::removeAll(const QUuid& accountId)
{
    QList<WatchedRepo> repos = m_watchedRepos;
    repos.removeIf([&](const WatchedRepo& repo) { return repo.accountId == accountId; });
    setWatchedRepos(std::move(repos));
    save();
}

void WatchedRepoStore::load()
{
    const auto data = m_preferences->data(defaultsKey());
    if (!data)
        return;
    try {
        const QJsonArray objects = parseJsonArray(*data);
        QList<WatchedRepo> repos = watchedReposFromJson(objects);
        m_stored.clear();
        for (qsizetype i = 0; i < repos.size(); ++i)
            m_stored.insert(repos[i].id, {repos[i], objects[i].toObject()});
        setWatchedRepos(std::move(repos));
    } catch (const DecodeError&) {
        // An unreadable list counts as none; it stays stored until the next change replaces it.
    }
}

void WatchedRepoStore::save()
{
    QJsonArray objects;
    for (const WatchedRepo& repo : m_watchedRepos) {
        const auto stored = m_stored.constFind(repo.id);
        objects.append(
            encodeOver(repo, stored == m_stored.constEnd() ? nullptr : &*stored, kWatchedRepoKeys));
    }
    m_preferences->setData(defaultsKey(), QJsonDocument(objects).toJson(QJsonDocument::Compact));
}

void WatchedRepoStore::setWatchedRepos(QList<WatchedRepo> repos)
{
    m_watchedRepos = std::move(repos);
    Q_EMIT watchedReposChanged(m_watchedRepos);
}

} // namespace norvane
