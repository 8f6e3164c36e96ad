#include "core/github_rules.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTextBoundaryFinder>
#include <QUrl>
#include <algorithm>

namespace norvane {

using ApprovalStatus = PullRequest::ApprovalStatus;
using CIStatus = PullRequest::CIStatus;

QString extractRepoName(const QString& url)
{
    const QStringList pieces = url.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (pieces.size() < 4)
        return QStringLiteral("Unknown");
    return pieces.at(2) + QLatin1Char('/') + pieces.at(3);
}

std::optional<QDateTime> parseGitHubDate(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2}):(\d{2})(?:\.(\d+))?(?:(Z)|([+-])(\d{2}):(\d{2}))$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    int msec = 0;
    if (m.hasCaptured(7))
        msec = m.captured(7).left(3).leftJustified(3, QLatin1Char('0')).toInt();
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), msec);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    int offsetSeconds = 0;
    if (!m.hasCaptured(8)) {
        const int hours = m.captured(10).toInt();
        const int minutes = m.captured(11).toInt();
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 3600 + minutes * 60) * (m.captured(9) == QLatin1String("-") ? -1 : 1);
    }
    QDateTime result(date, time, Qt::UTC);
    return result.addSecs(-offsetSeconds);
}

QDateTime parseGitHubDateOr(const QString& text, const QDateTime& now)
{
    return parseGitHubDate(text).value_or(now);
}

PullRequest pullRequestFromSearchItem(const wire::SearchItem& item, SearchKind kind, const QDateTime& now)
{
    PullRequest pr;
    pr.id = QStringLiteral("gh-") + QString::number(item.id);
    pr.number = item.number;
    pr.title = item.title;
    pr.url = item.htmlUrl;
    pr.repository = extractRepoName(item.htmlUrl);
    pr.author = item.userLogin;
    pr.createdAt = parseGitHubDateOr(item.createdAt, now);
    pr.updatedAt = parseGitHubDateOr(item.updatedAt, now);
    pr.isDraft = item.draft;
    pr.state = item.state;
    pr.reviewRequested = kind == SearchKind::reviewRequested;
    pr.isYourPR = kind == SearchKind::authored;
    pr.isAssigned = kind == SearchKind::assigned;
    return pr;
}

QString pullRequestKey(const QString& repository, qint64 number)
{
    return QStringLiteral("%1#%2").arg(repository.toLower()).arg(number);
}

std::optional<QString> pullRequestOfSubject(const QString& subjectUrl, const QString& apiBase)
{
    const QUrl url(subjectUrl, QUrl::StrictMode);
    const QUrl base(apiBase, QUrl::StrictMode);
    const auto port = [](const QUrl& u) { return u.port(u.scheme() == QLatin1String("https") ? 443 : 80); };
    if (!url.isValid() || !base.isValid() || url.scheme() != base.scheme() ||
        url.host().compare(base.host(), Qt::CaseInsensitive) != 0 || port(url) != port(base) ||
        url.hasQuery() || url.hasFragment())
        return std::nullopt;
    QString prefix = base.path();
    if (!prefix.endsWith(QLatin1Char('/')))
        prefix += QLatin1Char('/');
    prefix += QStringLiteral("repos/");
    const QString path = url.path();
    if (!path.startsWith(prefix))
        return std::nullopt;
    const QStringList parts = path.mid(prefix.size()).split(QLatin1Char('/'));
    if (parts.size() != 4 || parts[0].isEmpty() || parts[1].isEmpty() || parts[2] != QLatin1String("pulls"))
        return std::nullopt;
    static const QRegularExpression number(QStringLiteral("^[1-9][0-9]{0,17}$"));
    if (!number.match(parts[3]).hasMatch())
        return std::nullopt;
    return pullRequestKey(parts[0] + QLatin1Char('/') + parts[1], parts[3].toLongLong());
}

bool needsEnrichment(const PullRequest& fresh, const PullRequest* onScreen, bool named)
{
    return named || !onScreen || onScreen->updatedAt != fresh.updatedAt ||
           onScreen->isYourPR != fresh.isYourPR || onScreen->reviewRequested != fresh.reviewRequested ||
           onScreen->isAssigned != fresh.isAssigned;
}

void keepEnrichment(PullRequest& to, const PullRequest& from)
{
    to.approvalStatus = from.approvalStatus;
    to.ciStatus = from.ciStatus;
    to.requestedReviewers = from.requestedReviewers;
    to.headSha = from.headSha;
    to.headBranch = from.headBranch;
    to.requestedTeam = from.requestedTeam;
    to.reviewCount = from.reviewCount;
    to.commentCount = from.commentCount;
    to.lastChangeRequest = from.lastChangeRequest;
    to.reviewCommentCount = from.reviewCommentCount;
}

QList<PullRequest> mergeSearchResults(const QList<PullRequest>& concatenated)
{
    QList<PullRequest> merged;
    QHash<QString, qsizetype> indexById;
    for (const PullRequest& pr : concatenated) {
        const auto it = indexById.constFind(pr.id);
        if (it == indexById.constEnd()) {
            indexById.insert(pr.id, merged.size());
            merged.append(pr);
            continue;
        }
        PullRequest& kept = merged[*it];
        kept.reviewRequested = kept.reviewRequested || pr.reviewRequested;
        kept.isYourPR = kept.isYourPR || pr.isYourPR;
        kept.isAssigned = kept.isAssigned || pr.isAssigned;
    }
    return merged;
}

std::optional<QString> requestedTeam(const wire::PRDetail& detail, const QString& login,
                                     const QString& repository)
{
    if (detail.requestedReviewers.contains(login, Qt::CaseInsensitive) || detail.requestedTeams.isEmpty())
        return std::nullopt;
    const wire::RequestedTeam& team = detail.requestedTeams.first();
    // A team lives in an organisation; its page is the one place the answer names it.
    QString org = repository.section(QLatin1Char('/'), 0, 0, QString::SectionSkipEmpty);
    if (team.htmlUrl) {
        const QStringList path = QUrl(*team.htmlUrl).path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const qsizetype at = path.indexOf(QStringLiteral("orgs"));
        if (at >= 0 && at + 2 < path.size() && path[at + 2] == QLatin1String("teams") &&
            !path[at + 1].isEmpty())
            org = path[at + 1];
    }
    return org + QLatin1Char('/') + team.slug;
}

void sortByUpdatedDescending(QList<PullRequest>& prs)
{
    std::stable_sort(prs.begin(), prs.end(),
                     [](const PullRequest& a, const PullRequest& b) { return a.updatedAt > b.updatedAt; });
}

QString changeRequestPreview(const std::optional<QString>& body)
{
    // GitHub's web editor ends lines with CR LF; a lone CR ends a line too. A line of only white space reads
    // as empty.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = body.value_or(QString()).split(lineEnd);
    const auto first = std::find_if(lines.cbegin(), lines.cend(),
                                    [](const QString& line) { return !line.trimmed().isEmpty(); });
    if (first == lines.cend())
        return QStringLiteral("(No comment)");
    // 100 characters as the reader counts them: a surrogate pair or a letter with its combining marks is
    // one, and is never cut in two.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, *first);
    qsizetype end = 0;
    for (int count = 0; count < 100 && end < first->size(); ++count)
        end = graphemes.toNextBoundary();
    return first->left(end);
}

QString approvalCaseName(ApprovalStatus status)
{
    switch (status) {
    case ApprovalStatus::approved:
        return QStringLiteral("approved");
    case ApprovalStatus::changesRequested:
        return QStringLiteral("changesRequested");
    case ApprovalStatus::pending:
        return QStringLiteral("pending");
    case ApprovalStatus::unknown:
        break;
    }
    return QStringLiteral("unknown");
}

ReviewVerdict reviewVerdict(const QList<wire::Review>& reviews, const QDateTime& now)
{
    static const QString kApproved = QStringLiteral("APPROVED");
    static const QString kChanges = QStringLiteral("CHANGES_REQUESTED");

    ReviewVerdict verdict;
    verdict.result.reviewCount = int(reviews.size());
    QList<wire::Review>& kept = verdict.latestPerReviewer;
    QHash<QString, qsizetype> indexByLogin;
    for (const wire::Review& review : reviews) {
        if (!review.userLogin || (review.state != kApproved && review.state != kChanges))
            continue;
        const auto it = indexByLogin.constFind(*review.userLogin);
        if (it == indexByLogin.constEnd()) {
            indexByLogin.insert(*review.userLogin, kept.size());
            kept.append(review);
            continue;
        }
        wire::Review& current = kept[*it];
        // GitHub's UTC texts sort chronologically; without both times the earlier review stands.
        if (review.submittedAt && current.submittedAt && *review.submittedAt > *current.submittedAt)
            current = review;
    }

    const auto hasState = [&](const QString& state) {
        return std::any_of(kept.cbegin(), kept.cend(),
                           [&](const wire::Review& r) { return r.state == state; });
    };
    if (hasState(kChanges))
        verdict.result.status = ApprovalStatus::changesRequested;
    else if (hasState(kApproved))
        verdict.result.status = ApprovalStatus::approved;
    else
        verdict.result.status = ApprovalStatus::pending;

    if (verdict.result.status == ApprovalStatus::changesRequested) {
        // Newest change request; one without a time never beats one that has a time.
        const wire::Review* newest = nullptr;
        for (const wire::Review& r : kept) {
            if (r.state != kChanges)
                continue;
            if (!newest || (r.submittedAt && (!newest->submittedAt || *r.submittedAt > *newest->submittedAt)))
                newest = &r;
        }
        if (newest && newest->userLogin && newest->submittedAt) {
            verdict.result.lastChangeRequest =
                ChangeRequestInfo{*newest->userLogin, changeRequestPreview(newest->body),
                                  parseGitHubDateOr(*newest->submittedAt, now)};
        }
    }
    return verdict;
}

CIStatus legacyCIStatus(const wire::CommitStatus& status)
{
    // GitHub calls a commit without statuses "pending"; that says nothing about CI.
    if (status.statuses.isEmpty())
        return CIStatus::unknown;
    const QString state = status.state.toLower();
    if (state == QLatin1String("success"))
        return CIStatus::success;
    if (state == QLatin1String("pending"))
        return CIStatus::pending;
    if (state == QLatin1String("failure"))
        return CIStatus::failure;
    if (state == QLatin1String("error"))
        return CIStatus::error;
    return CIStatus::unknown;
}

CIStatus checkRunsCIStatus(const wire::CheckRuns& runs)
{
    const auto& list = runs.runs;
    if (list.isEmpty())
        return CIStatus::unknown;
    const auto any = [&](auto pred) { return std::any_of(list.cbegin(), list.cend(), pred); };
    if (any([](const wire::CheckRun& r) {
            return r.status == QLatin1String("queued") || r.status == QLatin1String("in_progress");
        }))
        return CIStatus::pending;
    static const QStringList failing{QStringLiteral("failure"), QStringLiteral("timed_out"),
                                     QStringLiteral("cancelled"), QStringLiteral("action_required")};
    if (any([](const wire::CheckRun& r) { return r.conclusion && failing.contains(*r.conclusion); }))
        return CIStatus::failure;
    static const QStringList passing{QStringLiteral("success"), QStringLiteral("neutral"),
                                     QStringLiteral("skipped"), QStringLiteral("stale")};
    const bool allPassed = std::all_of(list.cbegin(), list.cend(), [](const wire::CheckRun& r) {
        return r.status == QLatin1String("completed") && r.conclusion && passing.contains(*r.conclusion);
    });
    return allPassed ? CIStatus::success : CIStatus::unknown;
}

static int severity(CIStatus status)
{
    switch (status) {
    case CIStatus::failure:
        return 4;
    case CIStatus::error:
        return 3;
    case CIStatus::pending:
        return 2;
    case CIStatus::success:
        return 1;
    case CIStatus::unknown:
        break;
    }
    return 0;
}

CIStatus combinedCIStatus(CIStatus legacy, CIStatus checkRuns)
{
    return severity(checkRuns) > severity(legacy) ? checkRuns : legacy;
}

QString commitMessageFirstLine(const QString& message)
{
    // "\r\n" is one grapheme to the platform's splitter, so CR LF text is deliberately not split.
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= message.size(); ++i) {
        const bool end = i == message.size();
        const bool bareLineFeed =
            !end && message.at(i) == QLatin1Char('\n') && (i == 0 || message.at(i - 1) != QLatin1Char('\r'));
        if (end || bareLineFeed) {
            if (i > start)
                return message.mid(start, i - start);
            start = i + 1;
        }
    }
    return QString();
}

bool isSameLocalDay(const QDateTime& time, const QDateTime& now, const QTimeZone& zone)
{
    return time.toTimeZone(zone).date() == now.toTimeZone(zone).date();
}

DeployInfo::Status deploymentStatusFromStates(const QStringList& statesNewestFirst)
{
    if (statesNewestFirst.isEmpty())
        return DeployInfo::Status::unknown;
    return deployStatusFromRaw(statesNewestFirst.first()).value_or(DeployInfo::Status::unknown);
}

bool isDeployWorkflowName(const QString& name)
{
    const QString lower = name.toLower();
    for (const char* word : {"deploy", "release", "publish", "ship"}) {
        if (lower.contains(QLatin1String(word)))
            return true;
    }
    return false;
}

DeployInfo::Status workflowRunDeployStatus(const wire::WorkflowRun& run)
{
    if (run.status == QLatin1String("in_progress") || run.status == QLatin1String("queued"))
        return DeployInfo::Status::inProgress;
    return deployStatusFromRaw(run.conclusion.value_or(QString())).value_or(DeployInfo::Status::unknown);
}

QList<DeployInfo> mergeDeploys(const QList<DeployInfo>& deployments, const QList<DeployInfo>& actions)
{
    QList<DeployInfo> out;
    QSet<QString> seen;
    for (const QList<DeployInfo>* source : {&deployments, &actions}) {
        for (const DeployInfo& d : *source) {
            const qint64 minute = d.deployedAt.toSecsSinceEpoch() / 60;
            const QString key = d.environment + QLatin1Char('-') + QString::number(minute);
            if (seen.contains(key))
                continue;
            seen.insert(key);
            out.append(d);
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const DeployInfo& a, const DeployInfo& b) { return a.deployedAt > b.deployedAt; });
    return out;
}

} // namespace norvane
