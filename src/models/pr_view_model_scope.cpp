#include "models/pr_view_model.h"

namespace norvane {

// --- Filters, sorting and repository scope -----------------------------------------------------------------

QList<PullRequest> PRViewModel::filteredPullRequests() const
{
    return norvane::filteredPullRequests(
        m_pullRequests, PRScope{m_selectedFilter, m_selectedRepository, m_selectedSortOption, m_blockedRepositories});
}

QStringList PRViewModel::availableRepositories() const
{
    return norvane::availableRepositories(m_pullRequests, m_blockedRepositories, m_favoriteRepositories);
}

int PRViewModel::countForFilter(PRFilter filter) const
{
    return norvane::countForFilter(m_pullRequests, filter, m_blockedRepositories);
}

int PRViewModel::countForRepository(const QString& repo) const
{
    return norvane::countForRepository(m_pullRequests, repo);
}

bool PRViewModel::isBlocked(const QString& repo) const
{
    return norvane::isBlocked(repo, m_blockedRepositories);
}

void PRViewModel::blockRepository(const QString& name)
{
    QSet<QString> blocked = m_blockedRepositories;
    blocked.insert(name);
    setBlockedRepositories(blocked);
    QSet<QString> favorites = m_favoriteRepositories;
    favorites.remove(name);
    setFavoriteRepositories(favorites);
    if (m_selectedRepository && isBlocked(*m_selectedRepository))
        setSelectedRepository(std::nullopt);
    saveRepositorySettings();
}

void PRViewModel::blockOwner(const QString& owner)
{
    QSet<QString> blocked = m_blockedRepositories;
    addOwnerBlock(blocked, owner);
    setBlockedRepositories(blocked);
    if (m_selectedRepository && isBlocked(*m_selectedRepository))
        setSelectedRepository(std::nullopt);
    saveRepositorySettings();
}

void PRViewModel::toggleFavorite(const QString& repo)
{
    QSet<QString> favorites = m_favoriteRepositories;
    if (!favorites.remove(repo))
        favorites.insert(repo);
    setFavoriteRepositories(favorites);
    saveRepositorySettings();
}

} // namespace norvane
