#include "models/watched_repo_store.h"

#include "core/json_reader.h"
#include "platform/preferences.h"

#include <QJsonDocument>

namespace norvane {

WatchedRepoStore::WatchedRepoStore(std::shared_ptr<Preferences> preferences, QObject* parent)
    : QObject(parent), m_preferences(std::move(preferences))
{
    load();
}

QList<WatchedRepo> WatchedRepoStore::repos(const QUuid& accountId) const
{
    QList<WatchedRepo> result;
    for (const WatchedRepo& repo : m_watchedRepos) {
        if (repo.accountId == accountId)
            result.append(repo);
    }
    return result;
}

void WatchedRepoStore::add(const QString& fullName, const QUuid& accountId)
{
    const QString name = trimHorizontalWhitespace(fullName);
    if (name.isEmpty())
        return;
    for (const WatchedRepo& repo : m_watchedRepos) {
        if (repo.fullName == name && repo.accountId == accountId)
            return;
    }
    QList<WatchedRepo> repos = m_watchedRepos;
    repos.append(WatchedRepo{QUuid::createUuid(), name, accountId});
    setWatchedRepos(std::move(repos));
    save();
}

void WatchedRepoStore::remove(const QUuid& id)
{
    QList<WatchedRepo> repos = m_watchedRepos;
    repos.removeIf([&](const WatchedRepo& repo) { return repo.id == id; });
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
