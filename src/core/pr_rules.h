#pragma once

#include "core/pull_request.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// The engine's pure rules over pull-request lists: seen snapshots, filters, sorting, repository scope,
// notification switches and the tray badge.
namespace norvane {

struct NotificationSettings
{
    bool notifyOnReviewRequest = true;
    bool notifyOnChangesRequested = true;
    bool notifyOnApproval = true;
    int pollingIntervalMinutes = 15;
    // Reviews asked of a team the user is in: notified, and counted in the badge, only while on.
    bool notifyOnTeamReviewRequest = true;

    friend bool operator==(const NotificationSettings&, const NotificationSettings&) = default;
};
inline const QStringList kNotificationSettingsKeys{
    QStringLiteral("notifyOnReviewRequest"), QStringLiteral("notifyOnChangesRequested"),
    QStringLiteral("notifyOnApproval"), QStringLiteral("pollingIntervalMinutes"),
    QStringLiteral("notifyOnTeamReviewRequest")};
QJsonObject toJson(const NotificationSettings& settings);
// The first four keys are required (throws DecodeError otherwise); a missing notifyOnTeamReviewRequest,
// as earlier versions wrote, reads as on.
NotificationSettings notificationSettingsFromJson(const QJsonObject& object);

enum class PRUpdateType { newCommits, newReview, newComments, ciStatusChanged };
QString rawValue(PRUpdateType type);
inline const QList<PRUpdateType> kAllUpdateTypes{PRUpdateType::newCommits, PRUpdateType::newReview,
                                                 PRUpdateType::newComments, PRUpdateType::ciStatusChanged};

// What the user last saw of a pull request.
struct PRSeenState
{
    std::optional<QString> headSha;
    int reviewCount = 0;
    int commentCount = 0;
    std::optional<PullRequest::CIStatus> ciStatus;
    std::optional<PullRequest::ApprovalStatus> approvalStatus;

    static PRSeenState snapshot(const PullRequest& pr);
    // The unseen updates of `pr`, in PRUpdateType order. Absent values on either side never count.
    QList<PRUpdateType> changes(const PullRequest& pr) const;

    friend bool operator==(const PRSeenState&, const PRSeenState&) = default;
};
inline const QStringList kPRSeenStateKeys{QStringLiteral("headSha"), QStringLiteral("reviewCount"),
                                          QStringLiteral("commentCount"), QStringLiteral("ciStatus"),
                                          QStringLiteral("approvalStatus")};
QJsonObject toJson(const PRSeenState& state);
// A CI or approval state this version does not know (written by a newer one) reads as absent, which never
// counts as an unseen update; writing the record back unchanged keeps the stored value (stored_record.h).
PRSeenState prSeenStateFromJson(const QJsonObject& object, const QString& path = {});
using SeenStateMap = QHash<QString, PRSeenState>;
QJsonObject toJson(const SeenStateMap& states);
// The whole map or nothing: one unreadable entry makes the stored map unreadable.
SeenStateMap seenStateMapFromJson(const QJsonObject& object);

enum class PRFilter { all, needsReview, myPending, myApproved, myChanges, drafts };
inline const QList<PRFilter> kAllFilters{PRFilter::all,        PRFilter::needsReview, PRFilter::myPending,
                                         PRFilter::myApproved, PRFilter::myChanges,   PRFilter::drafts};
QString rawValue(PRFilter filter);
// The filter's chip as the user reads it ("All", "Review", ...); rawValue is what is stored.
QString filterTitle(PRFilter filter);
std::optional<PRFilter> prFilterFromRaw(const QString& raw);
bool filterIncludes(PRFilter filter, const PullRequest& pr);

enum class PRSortOption { updated, created, repository, prNumber };
inline const QList<PRSortOption> kAllSortOptions{PRSortOption::updated, PRSortOption::created,
                                                 PRSortOption::repository, PRSortOption::prNumber};
QString rawValue(PRSortOption option);
// The sort order as the sort menu names it; rawValue is what is stored.
QString sortTitle(PRSortOption option);
std::optional<PRSortOption> prSortOptionFromRaw(const QString& raw);
void sortPullRequests(QList<PullRequest>& prs, PRSortOption option);

// The owner part of "owner/name": the first non-empty piece before a "/".
QString repositoryOwner(const QString& repo);
bool isBlocked(const QString& repo, const QSet<QString>& blocked);

struct PRScope
{
    PRFilter filter = PRFilter::all;
    std::optional<QString> repository;
    PRSortOption sort = PRSortOption::updated;
    QSet<QString> blocked;
};
QList<PullRequest> filteredPullRequests(const QList<PullRequest>& prs, const PRScope& scope);
int countForFilter(const QList<PullRequest>& prs, PRFilter filter, const QSet<QString>& blocked);
int countForRepository(const QList<PullRequest>& prs, const QString& repo);
QStringList availableRepositories(const QList<PullRequest>& prs, const QSet<QString>& blocked,
                                  const QSet<QString>& favorites);
// Adds `owner` and drops the owner/name entries it makes redundant.
void addOwnerBlock(QSet<QString>& blocked, const QString& owner);

// Code-point order, the order every list of this engine uses.
inline bool codePointLess(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

// The tray icon's count badge.
enum class BadgeColor { none, red, blue, purple };
struct Badge
{
    BadgeColor color = BadgeColor::none;
    int count = 0;
    friend bool operator==(const Badge&, const Badge&) = default;
};
// What the badge counts, part by part. A pull request may count in more than one part (the user's own
// pull request with changes requested that is also assigned to the user).
struct BadgeCounts
{
    int reviewRequests = 0; // review requested from the user
    int assigned = 0;       // assigned to the user without a review request
    int changesRequested = 0;
    int approved = 0;
    int total() const { return reviewRequests + assigned + changesRequested + approved; }
};
// Whether the review is asked of a team the user is in rather than of the user.
inline bool isTeamReviewRequest(const PullRequest& pr)
{
    return pr.reviewRequested && pr.requestedTeam.has_value();
}
// Without `teamRequests`, a review asked of a team counts for nothing (an assignment still counts).
BadgeCounts badgeCounts(const QList<PullRequest>& prs, bool teamRequests = true);
Badge badgeFor(const BadgeCounts& counts);
Badge badgeFor(const QList<PullRequest>& prs, bool teamRequests = true);
QString badgeColorName(BadgeColor color);
// The tray icon's tooltip: "Norvane", and under it what the badge counts when there is one.
// With `rejectedLogin`, GitHub no longer accepts that account's token and a last line says so.
QString trayToolTip(const BadgeCounts& counts, const std::optional<QString>& rejectedLogin = std::nullopt);
// "GitHub no longer accepts the token for theo.": the pull-request tab's banner and the tooltip's line.
QString tokenRejectedText(const QString& login);

// How the plain paw is drawn: in the desktop's text colour (automatic), or light or dark whatever that says,
// for a panel whose colour is not the application's (GNOME's top bar is dark under a light theme).
enum class TrayIconStyle { automatic, light, dark };
inline const QList<TrayIconStyle> kAllTrayIconStyles{TrayIconStyle::automatic, TrayIconStyle::light,
                                                     TrayIconStyle::dark};
QString rawValue(TrayIconStyle style);
std::optional<TrayIconStyle> trayIconStyleFromRaw(const QString& raw);

} // namespace norvane
