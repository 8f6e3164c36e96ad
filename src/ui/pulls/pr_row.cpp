#include "ui/pulls/pr_row.h"

#include "core/relative_time.h"

#include <algorithm>

namespace norvane::ui {

QList<PRUpdateType> rowUpdateOrder(QList<PRUpdateType> updates)
{
    std::sort(updates.begin(), updates.end(),
              [](PRUpdateType a, PRUpdateType b) { return codePointLess(rawValue(a), rawValue(b)); });
    return updates;
}

UpdateIcon updateIcon(PRUpdateType type)
{
    switch (type) {
    case PRUpdateType::newCommits:
        return {type, Symbol::arrowUpCircleFill, QStringLiteral("New commits")};
    case PRUpdateType::newReview:
        return {type, Symbol::checkmarkBubbleFill, QStringLiteral("New review")};
    case PRUpdateType::newComments:
        return {type, Symbol::bubbleLeftFill, QStringLiteral("New comments")};
    case PRUpdateType::ciStatusChanged:
        break;
    }
    return {PRUpdateType::ciStatusChanged, Symbol::gearshapeFill, QStringLiteral("CI status changed")};
}

std::optional<CILine> ciLine(const std::optional<PullRequest::CIStatus>& status)
{
    using CI = PullRequest::CIStatus;
    if (!status)
        return std::nullopt;
    switch (*status) {
    case CI::pending:
        return CILine{QStringLiteral("◷"), ThemeColor::orange, QStringLiteral("Pending")};
    case CI::success:
        return CILine{QStringLiteral("✔"), ThemeColor::green, QStringLiteral("Passing")};
    case CI::failure:
        return CILine{QStringLiteral("✖"), ThemeColor::red, QStringLiteral("Failed")};
    case CI::error:
        return CILine{QStringLiteral("⚠"), ThemeColor::orange, QStringLiteral("Error")};
    case CI::unknown:
        break;
    }
    return std::nullopt;
}

std::optional<QString> roleText(const PullRequest& pr)
{
    if (pr.isYourPR)
        return QStringLiteral("Role: Author");
    if (pr.reviewRequested)
        return QStringLiteral("Role: Reviewer");
    if (pr.isAssigned)
        return QStringLiteral("Role: Assigned");
    return std::nullopt;
}

std::optional<VerdictBadge> verdictBadge(const PullRequest& pr)
{
    using AS = PullRequest::ApprovalStatus;
    // Someone else already approved what the user was asked to look at: tell them, and never call it
    // "ready to merge", since merging is not theirs to do.
    if (!pr.isYourPR && (pr.reviewRequested || pr.isAssigned) && pr.approvalStatus == AS::approved) {
        return VerdictBadge{ThemeColor::green,
                            Symbol::checkmarkSealFill,
                            {},
                            QStringLiteral("Already approved"),
                            QStringLiteral("Another reviewer has already approved this PR")};
    }
    if (pr.isMergeable())
        return VerdictBadge{
            ThemeColor::green, std::nullopt, QStringLiteral("⚡"), QStringLiteral("Ready to merge"), {}};
    if (pr.approvalStatus == AS::approved) {
        // Approved but not mergeable: CI is what stands in the way, and a failed run is not waited on.
        using CI = PullRequest::CIStatus;
        if (pr.ciStatus == CI::failure || pr.ciStatus == CI::error)
            return VerdictBadge{ThemeColor::red,
                                std::nullopt,
                                QStringLiteral("✓"),
                                QStringLiteral("Approved, CI failing"),
                                {}};
        return VerdictBadge{ThemeColor::orange,
                            std::nullopt,
                            QStringLiteral("✓"),
                            QStringLiteral("Approved, waiting on CI"),
                            {}};
    }
    if (pr.approvalStatus == AS::changesRequested)
        return VerdictBadge{
            ThemeColor::red, std::nullopt, QStringLiteral("🔧"), QStringLiteral("Needs changes"), {}};
    return std::nullopt;
}

QString reviewCommentHelp(int count)
{
    return QStringLiteral("%1 review comment%2").arg(count).arg(count == 1 ? QString() : QStringLiteral("s"));
}

PRRowContent rowContent(const PullRequest& pr, const QList<PRUpdateType>& updates, bool selected,
                        const QDateTime& now, bool woke)
{
    PRRowContent row;
    row.dotColor = themeColor(pr.color());
    row.ring = woke || !updates.isEmpty();
    row.background =
        selected ? RowBackground::selected : (row.ring ? RowBackground::unseen : RowBackground::clear);
    row.header = pr.repository + QStringLiteral("/pull");
    for (PRUpdateType type : rowUpdateOrder(updates))
        row.updates.append(updateIcon(type));
    row.number = QStringLiteral("#%1").arg(pr.number);
    row.title = pr.title;
    row.author = pr.author;
    row.reviewRequested = pr.reviewRequested;
    const QString since = relativeTimeText(pr.updatedAt, now);
    if (isTeamReviewRequest(pr))
        row.time = QStringLiteral("Review requested from @%1 ").arg(*pr.requestedTeam) + since;
    else
        row.time = pr.reviewRequested ? QStringLiteral("Requested your review ") + since : since;
    row.ci = ciLine(pr.ciStatus);
    row.role = roleText(pr);
    if (pr.isYourPR && pr.requestedReviewers && !pr.requestedReviewers->isEmpty())
        row.waitingOn = pr.requestedReviewers->join(QStringLiteral(", "));
    row.verdict = verdictBadge(pr);
    row.draft = pr.isDraft;
    if (pr.reviewCommentCount && *pr.reviewCommentCount >= 1) {
        row.reviewComments = *pr.reviewCommentCount;
        row.reviewCommentsHelp = reviewCommentHelp(*pr.reviewCommentCount);
    }
    if (pr.lastChangeRequest) {
        row.changeRequest = ChangeRequestLine{
            QLatin1Char('"') + pr.lastChangeRequest->bodyPreview + QLatin1Char('"'),
            pr.lastChangeRequest->reviewer, relativeTimeText(pr.lastChangeRequest->submittedAt, now)};
    }
    return row;
}

SpokenRow spokenRow(const PRRowContent& row)
{
    SpokenRow spoken;
    QString repository = row.header;
    if (repository.endsWith(QStringLiteral("/pull")))
        repository.chop(5);
    spoken.name = repository + QLatin1Char(' ') + row.number + QStringLiteral(", ") + row.title;

    QStringList parts;
    if (row.author)
        parts.append(QStringLiteral("Author: ") + *row.author);
    parts.append(row.time);
    if (row.verdict)
        parts.append(row.verdict->text);
    if (row.draft)
        parts.append(QStringLiteral("Draft"));
    if (row.ci)
        parts.append(QStringLiteral("CI: ") + row.ci->word);
    if (row.role)
        parts.append(*row.role);
    if (row.waitingOn)
        parts.append(QStringLiteral("Waiting on: ") + *row.waitingOn);
    if (row.reviewComments)
        parts.append(row.reviewCommentsHelp);
    if (row.changeRequest) {
        parts.append(
            QStringLiteral("Changes requested by %1 %2: %3")
                .arg(row.changeRequest->reviewer, row.changeRequest->time, row.changeRequest->quote));
    }
    for (const UpdateIcon& update : row.updates)
        parts.append(update.help);
    spoken.description = parts.join(QStringLiteral(". "));
    return spoken;
}

} // namespace norvane::ui
