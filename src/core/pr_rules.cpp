#include "core/pr_rules.h"

#include "core/json_reader.h"

#include <QCoreApplication>
#include <algorithm>
#include <climits>
#include <limits>
#include <numeric>
#include <vector>

namespace norvane {

using AS = PullRequest::ApprovalStatus;
using CI = PullRequest::CIStatus;

namespace {

class PullRequestText
{
    Q_DECLARE_TR_FUNCTIONS(PullRequestText)
};

} // namespace

QJsonObject toJson(const NotificationSettings& s)
{
    return QJsonObject{{QStringLiteral("notifyOnReviewRequest"), s.notifyOnReviewRequest},
                       {QStringLiteral("notifyOnChangesRequested"), s.notifyOnChangesRequested},
                       {QStringLiteral("notifyOnApproval"), s.notifyOnApproval},
                       {QStringLiteral("pollingIntervalMinutes"), s.pollingIntervalMinutes},
                       {QStringLiteral("notifyOnTeamReviewRequest"), s.notifyOnTeamReviewRequest}};
}

NotificationSettings notificationSettingsFromJson(const QJsonObject& object)
{
    const JsonReader r(object);
    NotificationSettings s;
    s.notifyOnReviewRequest = r.boolean(QStringLiteral("notifyOnReviewRequest"));
    s.notifyOnChangesRequested = r.boolean(QStringLiteral("notifyOnChangesRequested"));
    s.notifyOnApproval = r.boolean(QStringLiteral("notifyOnApproval"));
    const qint64 minutes = r.int64(QStringLiteral("pollingIntervalMinutes"));
    if (minutes < INT_MIN || minutes > INT_MAX)
        r.fail(QStringLiteral("pollingIntervalMinutes"), QStringLiteral("out of range"));
    s.pollingIntervalMinutes = int(minutes);
    s.notifyOnTeamReviewRequest =
        r.optionalBoolean(QStringLiteral("notifyOnTeamReviewRequest")).value_or(true);
    return s;
}

QString rawValue(PRUpdateType type)
{
    switch (type) {
    case PRUpdateType::newCommits:
        return QStringLiteral("newCommits");
    case PRUpdateType::newReview:
        return QStringLiteral("newReview");
    case PRUpdateType::newComments:
        return QStringLiteral("newComments");
    case PRUpdateType::ciStatusChanged:
        break;
    }
    return QStringLiteral("ciStatusChanged");
}

PRSeenState PRSeenState::snapshot(const PullRequest& pr)
{
    return PRSeenState{pr.headSha, pr.reviewCount.value_or(0), pr.commentCount.value_or(0), pr.ciStatus,
                       pr.approvalStatus};
}

QList<PRUpdateType> PRSeenState::changes(const PullRequest& pr) const
{
    QList<PRUpdateType> out;
    if (pr.headSha && headSha && *pr.headSha != *headSha)
        out.append(PRUpdateType::newCommits);
    if (pr.reviewCount && reviewCount < *pr.reviewCount)
        out.append(PRUpdateType::newReview);
    if (pr.commentCount && commentCount < *pr.commentCount)
        out.append(PRUpdateType::newComments);
    if (pr.ciStatus && *pr.ciStatus != CI::unknown && ciStatus && *ciStatus != CI::unknown &&
        *ciStatus != *pr.ciStatus)
        out.append(PRUpdateType::ciStatusChanged);
    return out;
}

QJsonObject toJson(const PRSeenState& s)
{
    QJsonObject o{{QStringLiteral("reviewCount"), s.reviewCount},
                  {QStringLiteral("commentCount"), s.commentCount}};
    if (s.headSha)
        o.insert(QStringLiteral("headSha"), *s.headSha);
    if (s.ciStatus)
        o.insert(QStringLiteral("ciStatus"), rawValue(*s.ciStatus));
    if (s.approvalStatus)
        o.insert(QStringLiteral("approvalStatus"), rawValue(*s.approvalStatus));
    return o;
}

static int boundedInt(const JsonReader& r, const QString& key)
{
    const qint64 v = r.int64(key);
    if (v < INT_MIN || v > INT_MAX)
        r.fail(key, QStringLiteral("%1 does not fit a 32-bit integer").arg(v));
    return int(v);
}

PRSeenState prSeenStateFromJson(const QJsonObject& object, const QString& path)
{
    const JsonReader r(object, path);
    PRSeenState s;
    s.headSha = r.optionalString(QStringLiteral("headSha"));
    s.reviewCount = boundedInt(r, QStringLiteral("reviewCount"));
    s.commentCount = boundedInt(r, QStringLiteral("commentCount"));
    if (const auto raw = r.optionalString(QStringLiteral("ciStatus")))
        s.ciStatus = ciStatusFromRaw(*raw);
    if (const auto raw = r.optionalString(QStringLiteral("approvalStatus")))
        s.approvalStatus = approvalStatusFromRaw(*raw);
    return s;
}

QJsonObject toJson(const SeenStateMap& states)
{
    QJsonObject o;
    for (auto it = states.cbegin(); it != states.cend(); ++it)
        o.insert(it.key(), toJson(it.value()));
    return o;
}

SeenStateMap seenStateMapFromJson(const QJsonObject& object)
{
    SeenStateMap map;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isObject())
            throw DecodeError(QStringLiteral("key \"%1\": expected an object, found %2")
                                  .arg(it.key(), jsonTypeName(it.value())));
        map.insert(it.key(), prSeenStateFromJson(it.value().toObject(), it.key()));
    }
    return map;
}

QString rawValue(PRFilter filter)
{
    switch (filter) {
    case PRFilter::all:
        return QStringLiteral("All");
    case PRFilter::needsReview:
        return QStringLiteral("Review");
    case PRFilter::myPending:
        return QStringLiteral("Pending");
    case PRFilter::myApproved:
        return QStringLiteral("Approved");
    case PRFilter::myChanges:
        return QStringLiteral("Changes");
    case PRFilter::drafts:
        break;
    }
    return QStringLiteral("Drafts");
}

std::optional<PRFilter> prFilterFromRaw(const QString& raw)
{
    for (PRFilter f : kAllFilters) {
        if (rawValue(f) == raw)
            return f;
    }
    return std::nullopt;
}

QString filterTitle(PRFilter filter)
{
    switch (filter) {
    case PRFilter::all:
        //: A filter chip of the pull-request tab (short: six chips share a 560 px row)
        return PullRequestText::tr("All");
    case PRFilter::needsReview:
        //: A filter chip: pull requests whose review is asked of the user or assigned to them
        return PullRequestText::tr("Review");
    case PRFilter::myPending:
        //: A filter chip: the user's own pull requests still waiting for a review
        return PullRequestText::tr("Pending");
    case PRFilter::myApproved:
        //: A filter chip: the user's own approved pull requests
        return PullRequestText::tr("Approved");
    case PRFilter::myChanges:
        //: A filter chip: the user's own pull requests with changes requested
        return PullRequestText::tr("Changes");
    case PRFilter::drafts:
        break;
    }
    //: A filter chip: the user's own draft pull requests
    return PullRequestText::tr("Drafts");
}

bool filterIncludes(PRFilter filter, const PullRequest& p)
{
    switch (filter) {
    case PRFilter::all:
        return true;
    case PRFilter::needsReview:
        return p.reviewRequested || p.isAssigned;
    case PRFilter::myPending:
        return p.isYourPR && p.approvalStatus == AS::pending && !p.isDraft;
    case PRFilter::myApproved:
        return p.isYourPR && p.approvalStatus == AS::approved && !p.isDraft;
    case PRFilter::myChanges:
        return p.isYourPR && p.approvalStatus == AS::changesRequested && !p.isDraft;
    case PRFilter::drafts:
        break;
    }
    return p.isYourPR && p.isDraft;
}

QString rawValue(PRSortOption option)
{
    switch (option) {
    case PRSortOption::updated:
        return QStringLiteral("Updated");
    case PRSortOption::created:
        return QStringLiteral("Created");
    case PRSortOption::repository:
        return QStringLiteral("Repository");
    case PRSortOption::prNumber:
        break;
    }
    return QStringLiteral("PR #");
}

QString sortTitle(PRSortOption option)
{
    switch (option) {
    case PRSortOption::updated:
        //: A sort order of the pull-request list, after "Sort by:"
        return PullRequestText::tr("Updated");
    case PRSortOption::created:
        //: A sort order of the pull-request list, after "Sort by:"
        return PullRequestText::tr("Created");
    case PRSortOption::repository:
        //: A sort order of the pull-request list, after "Sort by:"
        return PullRequestText::tr("Repository");
    case PRSortOption::prNumber:
        break;
    }
    //: A sort order of the pull-request list, after "Sort by:": by the pull request's number
    return PullRequestText::tr("PR #");
}

std::optional<PRSortOption> prSortOptionFromRaw(const QString& raw)
{
    for (PRSortOption o : kAllSortOptions) {
        if (rawValue(o) == raw)
            return o;
    }
    return std::nullopt;
}

QString rawValue(TrayIconStyle style)
{
    switch (style) {
    case TrayIconStyle::automatic:
        return QStringLiteral("automatic");
    case TrayIconStyle::light:
        return QStringLiteral("light");
    case TrayIconStyle::dark:
        return QStringLiteral("dark");
    }
    return {};
}

std::optional<TrayIconStyle> trayIconStyleFromRaw(const QString& raw)
{
    for (TrayIconStyle style : kAllTrayIconStyles) {
        if (rawValue(style) == raw)
            return style;
    }
    return std::nullopt;
}

namespace {

// A time as a number that orders as QDateTime does: an invalid time before every valid one.
qint64 timeKey(const QDateTime& time)
{
    return time.isValid() ? time.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

// The pull requests in the order `option` gives, as pointers: sorting pointers moves eight bytes where
// sorting the records would move a few hundred, and the caller builds its list once, in the final order. Each
// sort key is worked out once per pull request, not once per comparison.
template <typename Pointer> void sortByOption(std::vector<Pointer>& order, PRSortOption option)
{
    // By repository in code-point order, then oldest update first: the few repositories are ranked once, so
    // the sort compares numbers, not names.
    std::vector<qint64> rankOf;
    if (option == PRSortOption::repository) {
        QHash<QString, qint64> firstSeen;
        QStringList names;
        rankOf.reserve(order.size());
        for (Pointer p : order) {
            auto it = firstSeen.constFind(p->repository);
            if (it == firstSeen.constEnd()) {
                it = firstSeen.insert(p->repository, names.size());
                names.append(p->repository);
            }
            rankOf.push_back(*it);
        }
        std::vector<qint64> byName(size_t(names.size()));
        std::iota(byName.begin(), byName.end(), 0);
        std::sort(byName.begin(), byName.end(),
                  [&names](qint64 a, qint64 b) { return codePointLess(names[a], names[b]); });
        std::vector<qint64> rank(byName.size());
        for (size_t i = 0; i < byName.size(); ++i)
            rank[size_t(byName[i])] = qint64(i);
        for (qint64& r : rankOf)
            r = rank[size_t(r)];
    }
    struct Keyed
    {
        qint64 first;
        qint64 second;
        Pointer pr;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const Pointer p = order[i];
        switch (option) {
        case PRSortOption::updated:
            keyed.push_back({0, timeKey(p->updatedAt), p});
            break;
        case PRSortOption::created:
            keyed.push_back({0, timeKey(p->createdAt), p});
            break;
        case PRSortOption::repository:
            keyed.push_back({rankOf[i], timeKey(p->updatedAt), p});
            break;
        case PRSortOption::prNumber:
            keyed.push_back({0, p->number, p});
            break;
        }
    }
    const bool ascending = option == PRSortOption::repository;
    std::stable_sort(keyed.begin(), keyed.end(), [ascending](const Keyed& a, const Keyed& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return ascending ? a.second < b.second : a.second > b.second;
    });
    for (size_t i = 0; i < keyed.size(); ++i)
        order[i] = keyed[i].pr;
}

// isBlocked, asked once per repository: a list holds many pull requests of few repositories.
class BlockedRepositories
{
public:
    explicit BlockedRepositories(const QSet<QString>& blocked) : m_blocked(blocked) {}
    bool contains(const QString& repo)
    {
        if (m_blocked.isEmpty())
            return false;
        const auto known = m_answers.constFind(repo);
        if (known != m_answers.constEnd())
            return *known;
        const bool blocked = isBlocked(repo, m_blocked);
        m_answers.insert(repo, blocked);
        return blocked;
    }

private:
    const QSet<QString>& m_blocked;
    QHash<QString, bool> m_answers;
};

} // namespace

void sortPullRequests(QList<PullRequest>& prs, PRSortOption option)
{
    std::vector<PullRequest*> order;
    order.reserve(size_t(prs.size()));
    for (PullRequest& p : prs)
        order.push_back(&p);
    sortByOption(order, option);
    QList<PullRequest> sorted;
    sorted.reserve(prs.size());
    for (PullRequest* p : order)
        sorted.append(std::move(*p));
    prs = std::move(sorted);
}

QString repositoryOwner(const QString& repo)
{
    const QStringList pieces = repo.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return pieces.isEmpty() ? QString() : pieces.first();
}

bool isBlocked(const QString& repo, const QSet<QString>& blocked)
{
    if (blocked.contains(repo))
        return true;
    const QString owner = repositoryOwner(repo);
    return !owner.isEmpty() && blocked.contains(owner);
}

QList<PullRequest> filteredPullRequests(const QList<PullRequest>& prs, const PRScope& scope)
{
    BlockedRepositories blocked(scope.blocked);
    std::vector<const PullRequest*> order;
    for (const PullRequest& p : prs) {
        if (!filterIncludes(scope.filter, p) || blocked.contains(p.repository))
            continue;
        if (scope.repository && p.repository != *scope.repository)
            continue;
        order.push_back(&p);
    }
    sortByOption(order, scope.sort);
    QList<PullRequest> out;
    out.reserve(qsizetype(order.size()));
    for (const PullRequest* p : order)
        out.append(*p);
    return out;
}

int countForFilter(const QList<PullRequest>& prs, PRFilter filter, const QSet<QString>& blocked)
{
    BlockedRepositories isBlockedRepo(blocked);
    return int(std::count_if(prs.cbegin(), prs.cend(), [&](const PullRequest& p) {
        return filterIncludes(filter, p) && !isBlockedRepo.contains(p.repository);
    }));
}

int countForRepository(const QList<PullRequest>& prs, const QString& repo)
{
    return int(
        std::count_if(prs.cbegin(), prs.cend(), [&](const PullRequest& p) { return p.repository == repo; }));
}

QStringList availableRepositories(const QList<PullRequest>& prs, const QSet<QString>& blocked,
                                  const QSet<QString>& favorites)
{
    QStringList repos;
    QSet<QString> seen;
    for (const PullRequest& p : prs) {
        if (seen.contains(p.repository))
            continue;
        seen.insert(p.repository);
        if (!isBlocked(p.repository, blocked))
            repos.append(p.repository);
    }
    std::sort(repos.begin(), repos.end(), [&](const QString& a, const QString& b) {
        const bool fa = favorites.contains(a), fb = favorites.contains(b);
        if (fa != fb)
            return fa;
        return codePointLess(a, b);
    });
    return repos;
}

void addOwnerBlock(QSet<QString>& blocked, const QString& owner)
{
    blocked.insert(owner);
    for (auto it = blocked.begin(); it != blocked.end();) {
        if (*it != owner && repositoryOwner(*it) == owner)
            it = blocked.erase(it);
        else
            ++it;
    }
}

BadgeCounts badgeCounts(const QList<PullRequest>& prs, bool teamRequests)
{
    BadgeCounts counts;
    for (const PullRequest& p : prs) {
        if (p.reviewRequested && (teamRequests || !isTeamReviewRequest(p)))
            ++counts.reviewRequests;
        else if (p.isAssigned)
            ++counts.assigned;
        if (p.isYourPR && p.approvalStatus == AS::changesRequested)
            ++counts.changesRequested;
        if (p.isYourPR && p.approvalStatus == AS::approved)
            ++counts.approved;
    }
    return counts;
}

Badge badgeFor(const BadgeCounts& counts)
{
    Badge badge;
    badge.count = counts.total();
    if (counts.changesRequested > 0)
        badge.color = BadgeColor::red;
    else if (counts.reviewRequests + counts.assigned > 0)
        badge.color = BadgeColor::blue;
    else if (counts.approved > 0)
        badge.color = BadgeColor::purple;
    return badge;
}

Badge badgeFor(const QList<PullRequest>& prs, bool teamRequests)
{
    return badgeFor(badgeCounts(prs, teamRequests));
}

QString badgeColorName(BadgeColor color)
{
    switch (color) {
    case BadgeColor::red:
        return QStringLiteral("red");
    case BadgeColor::blue:
        return QStringLiteral("blue");
    case BadgeColor::purple:
        return QStringLiteral("purple");
    case BadgeColor::none:
        break;
    }
    return QStringLiteral("none");
}

QString tokenRejectedText(const QString& login)
{
    //: %1 is the account's login
    return PullRequestText::tr("GitHub no longer accepts the token for %1.").arg(login);
}

QString trayToolTip(const BadgeCounts& counts, const std::optional<QString>& rejectedLogin)
{
    const QString name = QStringLiteral("Norvane");
    const QString rejected =
        rejectedLogin ? QLatin1Char('\n') + tokenRejectedText(*rejectedLogin) : QString();
    const int total = counts.total();
    if (total < 1)
        return name + rejected;
    QStringList parts;
    if (counts.reviewRequests > 0)
        //: In the tray icon's tooltip, one of the parts after "N pull requests need you:"
        parts.append(PullRequestText::tr("%n review request(s)", nullptr, counts.reviewRequests));
    if (counts.assigned > 0)
        //: In the tray icon's tooltip, one of the parts after "N pull requests need you:"
        parts.append(PullRequestText::tr("%n assigned to you", nullptr, counts.assigned));
    if (counts.changesRequested > 0)
        //: In the tray icon's tooltip, one of the parts after "N pull requests need you:"
        parts.append(PullRequestText::tr("%n with changes requested", nullptr, counts.changesRequested));
    if (counts.approved > 0)
        //: In the tray icon's tooltip, one of the parts after "N pull requests need you:"
        parts.append(PullRequestText::tr("%n approved", nullptr, counts.approved));
    //: The tray icon's tooltip; %1 lists the parts, such as "2 review requests, 1 approved"
    return name + QLatin1Char('\n') +
           PullRequestText::tr("%n pull request(s) need(s) you: %1", nullptr, total)
               .arg(parts.join(QStringLiteral(", "))) +
           rejected;
}

} // namespace norvane
