#include "models/pr_view_model.h"
#include "platform/keychain_service.h"

#include <QPointer>
#include <algorithm>

namespace norvane {

// --- Filters, sorting and repository scope -----------------------------------------------------------------

QList<PullRequest> PRViewModel::filteredPullRequests() const
{
    if (m_selectedSection)
        return norvane::filteredPullRequests(
            sectionPullRequests(*m_selectedSection),
            PRScope{PRFilter::all, m_selectedRepository, m_selectedSortOption, m_blockedRepositories});
    return norvane::filteredPullRequests(
        m_pullRequests,
        PRScope{m_selectedFilter, m_selectedRepository, m_selectedSortOption, m_blockedRepositories});
}

QStringList PRViewModel::availableRepositories() const
{
    return norvane::availableRepositories(m_selectedSection ? sectionPullRequests(*m_selectedSection)
                                                            : m_pullRequests,
                                          m_blockedRepositories, m_favoriteRepositories);
}

// --- Sections ----------------------------------------------------------------------------------------------

QList<PullRequest> PRViewModel::sectionPullRequests(const QString& name) const
{
    QList<PullRequest> out;
    for (const QList<PullRequest>* list : {&m_pullRequests, &m_sectionOnly}) {
        for (const PullRequest& pr : *list) {
            if (pr.sections.contains(name))
                out.append(pr);
        }
    }
    return out;
}

bool PRViewModel::countsInBadge(const PullRequest& pr) const
{
    if (pr.isFromBuiltInSearches())
        return true;
    return std::any_of(m_sections.cbegin(), m_sections.cend(), [&](const SearchSection& section) {
        return section.notify && pr.sections.contains(section.name);
    });
}

SectionProblem PRViewModel::setSections(QList<SearchSection> sections)
{
    for (SearchSection& section : sections)
        section = trimmedSection(std::move(section));
    const SectionProblem problem = sectionProblem(sections);
    if (problem != SectionProblem::none || !m_selectedAccount)
        return problem;
    m_sections = std::move(sections);
    m_storedPreferences.saveSections(m_selectedAccount->id, m_sections);
    if (m_selectedSection &&
        std::none_of(m_sections.cbegin(), m_sections.cend(),
                     [&](const SearchSection& s) { return s.name == *m_selectedSection; }))
        setSelectedFilter(m_selectedFilter);
    Q_EMIT sectionsChanged();
    // A switch turned on or off moves pull requests in or out of the counted list.
    applySnoozes(m_pullRequestsAccountId);
    refreshForAccount(*m_selectedAccount, false, false);
    return SectionProblem::none;
}

void PRViewModel::setSelectedSection(std::optional<QString> name)
{
    if (m_selectedSection == name)
        return;
    m_selectedSection = std::move(name);
    Q_EMIT selectedSectionChanged(m_selectedSection);
}

int PRViewModel::countForSection(const QString& name) const
{
    return norvane::countForFilter(sectionPullRequests(name), PRFilter::all, m_blockedRepositories);
}

std::optional<QString> PRViewModel::sectionError(const QString& name) const
{
    const auto it = m_sectionErrors.constFind(name);
    return it == m_sectionErrors.constEnd() ? std::nullopt : std::optional<QString>(*it);
}

QCoro::Task<GitHubService::SectionCheck> PRViewModel::checkSectionQuery(QString query)
{
    GitHubService::SectionCheck check;
    if (!m_selectedAccount) {
        check.message = tr("No account is selected.");
        co_return check;
    }
    const GitHubAccount account = *m_selectedAccount;
    const std::shared_ptr<KeychainService> keychain = m_deps.keychain;
    const GitHubService github = m_deps.github.forAccount(account);
    const std::optional<QString> token = co_await keychain->getAsync(account.tokenKey());
    if (!token) {
        check.message = tr("Norvane could not read the token of %1.").arg(account.username);
        co_return check;
    }
    co_return co_await github.checkSectionQuery(std::move(query), *token);
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
