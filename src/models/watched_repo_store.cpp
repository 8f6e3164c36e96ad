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
        setWatchedRepos(watchedReposFromJson(parseJsonArray(*data)));
    } catch (const DecodeError&) {
        // An unreadable list counts as none; it stays stored until the next change replaces it.
    }
}

void WatchedRepoStore::save()
{
    m_preferences->setData(defaultsKey(),
                           QJsonDocument(toJson(m_watchedRepos)).toJson(QJsonDocument::Compact));
}

void WatchedRepoStore::setWatchedRepos(QList<WatchedRepo> repos)
{
    m_watchedRepos = std::move(repos);
    Q_EMIT watchedReposChanged(m_watchedRepos);
}

} // namespace norvane
