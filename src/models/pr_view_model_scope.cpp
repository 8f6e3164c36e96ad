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

// --- Sample data -------------------------------------------------------------------------------------------

void PRViewModel::loadTestData()
{
    using AS = PullRequest::ApprovalStatus;
    using CI = PullRequest::CIStatus;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString me = m_selectedAccount ? m_selectedAccount->username : QStringLiteral("you");
    struct Sample {
        const char* id;
        qint64 number;
        const char* path;
        const char* title;
        QString author;
        qint64 createdAgo, updatedAgo; // seconds
        bool requested, yours;
        std::optional<AS> approval;
        CI ci;
        const char* sha;
        int reviews, comments;
    };
    const Sample samples[] = {
        {"test-1", 123, "/example/repo/pull/123", "Add new feature for user authentication", QStringLiteral("teammate"),
         86400, 7200, true, false, std::nullopt, CI::success, "abc123new", 1, 5},
        {"test-2", 456, "/example/repo/pull/456", "Fix: Resolve memory leak in data loader", me, 2 * 86400, 3600, false,
         true, AS::pending, CI::unknown, "def456", 0, 3},
        {"test-3", 789, "/example/repo/pull/789", "Update dependencies to latest versions", me, 3 * 86400, 7200, false,
         true, AS::approved, CI::success, "ghi789", 2, 1},
        {"test-4", 101, "/example/repo/pull/101", "Refactor API client for better performance", me, 12 * 3600, 3 * 3600,
         false, true, AS::changesRequested, CI::failure, "jkl101", 3, 7},
        {"test-5", 555, "/example/repo/pull/555", "Add analytics tracking for user events", me, 6 * 3600, 90 * 60, false,
         true, AS::approved, CI::pending, "mno555", 1, 0},
        {"test-6", 999, "/security/toolkit/pull/999", "Fix critical security vulnerability in auth flow",
         QStringLiteral("security-team"), 3600, 30 * 60, true, false, std::nullopt, CI::success, "pqr999", 0, 2},
    };
    QList<PullRequest> prs;
    for (const Sample& s : samples) {
        PullRequest p;
        p.id = QString::fromLatin1(s.id);
        p.number = s.number;
        p.title = QString::fromLatin1(s.title);
        p.url = webBaseURL() + QString::fromLatin1(s.path);
        p.repository = QString::fromLatin1(s.path).section(QLatin1Char('/'), 1, 2);
        p.author = s.author;
        p.createdAt = now.addSecs(-s.createdAgo);
        p.updatedAt = now.addSecs(-s.updatedAgo);
        p.state = QStringLiteral("open");
        p.reviewRequested = s.requested;
        p.isYourPR = s.yours;
        p.approvalStatus = s.approval;
        p.ciStatus = s.ci;
        p.headSha = QString::fromLatin1(s.sha);
        p.reviewCount = s.reviews;
        p.commentCount = s.comments;
        prs.append(p);
    }

    m_seenStates.insert(QStringLiteral("test-1"), {QStringLiteral("abc123old"), 1, 5, CI::success, std::nullopt});
    m_seenStates.insert(QStringLiteral("test-2"), {QStringLiteral("def456"), 0, 1, CI::unknown, AS::pending});
    m_seenStates.insert(QStringLiteral("test-4"), {QStringLiteral("jkl101"), 2, 7, CI::failure, AS::changesRequested});
    m_seenStates.insert(QStringLiteral("test-5"), {QStringLiteral("mno555"), 1, 0, CI::success, AS::approved});
    saveSeenStates();
    Q_EMIT seenStatesChanged();
    setPullRequests(prs, m_selectedAccount ? std::optional<QUuid>(m_selectedAccount->id) : std::nullopt);
    print(QStringLiteral("✅ Loaded test data with 6 sample PRs (4 have unseen updates)"));
}

} // namespace norvane
