#pragma once

#include "core/activity_records.h"
#include "core/github_wire.h"
#include "core/pull_request.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <optional>

// The pure rules of the GitHub queries: everything that decides, with no network in sight.
namespace norvane {

// Owner and repository of a GitHub web address ("https://github.com/o/r/pull/1" gives "o/r"), or "Unknown".
QString extractRepoName(const QString& url);

// ISO 8601 internet date-time with "Z" or a numeric offset, with or without fractional seconds.
std::optional<QDateTime> parseGitHubDate(const QString& text);
// As above, falling back to `now` for text that does not parse.
QDateTime parseGitHubDateOr(const QString& text, const QDateTime& now);

// `section`: a search of the user's own, which sets none of the three flags.
enum class SearchKind { reviewRequested, authored, assigned, section };
PullRequest pullRequestFromSearchItem(const wire::SearchItem& item, SearchKind kind, const QDateTime& now);

// One record per id: the first copy in the order given, with each flag set when any copy has it.
QList<PullRequest> mergeSearchResults(const QList<PullRequest>& concatenated);

// When the review-requested search found a pull request whose requested reviewers do not name `login`, the
// review was asked of a team the user is in: that team as "org/slug" (the first, when several were asked).
// The organisation is the one the team's page names, else the repository's owner. None when `login` is
// named, or no team was asked.
std::optional<QString> requestedTeam(const wire::PRDetail& detail, const QString& login,
                                     const QString& repository);

// Newest first; stable, so equal update times keep their order.
void sortByUpdatedDescending(QList<PullRequest>& prs);

// A pull request by repository and number, as the notification feed names it: "owner/name#N", lower-case,
// since GitHub's names ignore case.
QString pullRequestKey(const QString& repository, qint64 number);
// The pull request a notification thread's subject names: `apiBase`/repos/OWNER/NAME/pulls/N on the
// account's own API host. An issue, a commit, a release, another host or a malformed address name none.
std::optional<QString> pullRequestOfSubject(const QString& subjectUrl, const QString& apiBase);

// Whether a refresh for the feed's news must ask for a pull request's detail, reviews and CI again rather
// than keep what the list on screen holds: it is new to the list, a changed thread of the feed named it, its
// updated_at moved, or it concerns the user in another way than before (which queries it needs differs).
bool needsEnrichment(const PullRequest& fresh, const PullRequest* onScreen, bool named);
// The enrichment of `from` (detail, verdict, CI), laid over the search fields of `to`.
void keepEnrichment(PullRequest& to, const PullRequest& from);

struct ReviewFetchResult
{
    PullRequest::ApprovalStatus status = PullRequest::ApprovalStatus::unknown;
    int reviewCount = 0;
    std::optional<ChangeRequestInfo> lastChangeRequest;

    static ReviewFetchResult unknown() { return {}; }
};

struct ReviewVerdict
{
    ReviewFetchResult result;
    QList<wire::Review> latestPerReviewer; // the deciding review of each reviewer, in first-seen order
};
ReviewVerdict reviewVerdict(const QList<wire::Review>& reviews, const QDateTime& now);

// First line of a review body with more than white space, cut to 100 characters (grapheme clusters), or
// "(No comment)". CR LF, CR and LF all end a line.
QString changeRequestPreview(const std::optional<QString>& body);
QString approvalCaseName(PullRequest::ApprovalStatus status);

PullRequest::CIStatus legacyCIStatus(const wire::CommitStatus& status);
PullRequest::CIStatus checkRunsCIStatus(const wire::CheckRuns& runs);
// The more severe of the two (failure > error > pending > success > unknown); the legacy one on a tie.
PullRequest::CIStatus combinedCIStatus(PullRequest::CIStatus legacy, PullRequest::CIStatus checkRuns);

// First non-empty line of a commit message; only a bare line feed splits lines.
QString commitMessageFirstLine(const QString& message);

// Whether `time` falls on the same calendar day as `now` in `zone`.
bool isSameLocalDay(const QDateTime& time, const QDateTime& now, const QTimeZone& zone);

DeployInfo::Status deploymentStatusFromStates(const QStringList& statesNewestFirst);
// A workflow run counts as a deploy when its name mentions deploying, releasing, publishing or shipping.
bool isDeployWorkflowName(const QString& name);
DeployInfo::Status workflowRunDeployStatus(const wire::WorkflowRun& run);

// Deployments entries first, then Actions entries; drops repeats of one name within one clock minute
// (the first wins) and sorts newest first, stably.
QList<DeployInfo> mergeDeploys(const QList<DeployInfo>& deployments, const QList<DeployInfo>& actions);

} // namespace norvane
