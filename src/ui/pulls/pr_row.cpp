#include "ui/pulls/pr_row.h"

#include "core/relative_time.h"

#include <QCoreApplication>
#include <algorithm>

namespace norvane::ui {

namespace {

class RowText
{
    Q_DECLARE_TR_FUNCTIONS(PRRow)
};

// A review without words is kept as "(No comment)", in English, like the rest of what was fetched; the row
// says it in the user's language.
QString changeRequestQuote(const QString& preview)
{
    return preview == QLatin1String("(No comment)") ? RowText::tr("(No comment)") : preview;
}

} // namespace

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
        return {type, Symbol::arrowUpCircleFill, RowText::tr("New commits")};
    case PRUpdateType::newReview:
        return {type, Symbol::checkmarkBubbleFill, RowText::tr("New review")};
    case PRUpdateType::newComments:
        return {type, Symbol::bubbleLeftFill, RowText::tr("New comments")};
    case PRUpdateType::ciStatusChanged:
        break;
    }
    return {PRUpdateType::ciStatusChanged, Symbol::gearshapeFill, RowText::tr("CI status changed")};
}

std::optional<CILine> ciLine(const std::optional<PullRequest::CIStatus>& status)
{
    using CI = PullRequest::CIStatus;
    if (!status)
        return std::nullopt;
    switch (*status) {
    case CI::pending:
        return CILine{QStringLiteral("◷"), ThemeColor::orange, RowText::tr("Pending")};
    case CI::success:
        return CILine{QStringLiteral("✔"), ThemeColor::green, RowText::tr("Passing")};
    case CI::failure:
        return CILine{QStringLiteral("✖"), ThemeColor::red, RowText::tr("Failed")};
    case CI::error:
        return CILine{QStringLiteral("⚠"), ThemeColor::orange, RowText::tr("Error")};
    case CI::unknown:
        break;
    }
    return std::nullopt;
}

std::optional<QString> roleText(const PullRequest& pr)
{
    if (pr.isYourPR)
        //: The user's part in a pull request, on its row
        return RowText::tr("Role: Author");
    if (pr.reviewRequested)
        return RowText::tr("Role: Reviewer");
    if (pr.isAssigned)
        return RowText::tr("Role: Assigned");
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
                            RowText::tr("Already approved"),
                            RowText::tr("Another reviewer has already approved this PR")};
    }
    if (pr.isMergeable())
        return VerdictBadge{
            ThemeColor::green, std::nullopt, QStringLiteral("⚡"), RowText::tr("Ready to merge"), {}};
    if (pr.approvalStatus == AS::approved) {
        // Approved but not mergeable: CI is what stands in the way, and a failed run is not waited on.
        using CI = PullRequest::CIStatus;
        if (pr.ciStatus == CI::failure || pr.ciStatus == CI::error)
            return VerdictBadge{
                ThemeColor::red, std::nullopt, QStringLiteral("✓"), RowText::tr("Approved, CI failing"), {}};
        return VerdictBadge{ThemeColor::orange,
                            std::nullopt,
                            QStringLiteral("✓"),
                            RowText::tr("Approved, waiting on CI"),
                            {}};
    }
    if (pr.approvalStatus == AS::changesRequested)
        return VerdictBadge{
            ThemeColor::red, std::nullopt, QStringLiteral("🔧"), RowText::tr("Needs changes"), {}};
    return std::nullopt;
}

QString reviewCommentHelp(int count)
{
    return RowText::tr("%n review comment(s)", nullptr, count);
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
        //: %1 is a team ("org/slug"), %2 a relative time such as "5 min. ago"
        row.time = RowText::tr("Review requested from @%1 %2").arg(*pr.requestedTeam, since);
    else
        //: %1 is a relative time such as "5 min. ago"
        row.time = pr.reviewRequested ? RowText::tr("Requested your review %1").arg(since) : since;
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
            QLatin1Char('"') + changeRequestQuote(pr.lastChangeRequest->bodyPreview) + QLatin1Char('"'),
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
    //: A row's spoken name: %1 is the repository, %2 the number ("#12"), %3 the title
    spoken.name = RowText::tr("%1 %2, %3").arg(repository, row.number, row.title);

    QStringList parts;
    if (row.author)
        parts.append(RowText::tr("Author: %1").arg(*row.author));
    parts.append(row.time);
    if (row.verdict)
        parts.append(row.verdict->text);
    if (row.draft)
        parts.append(RowText::tr("Draft"));
    if (row.ci)
        //: Spoken: %1 is the CI's verdict, such as "Passing"
        parts.append(RowText::tr("CI: %1").arg(row.ci->word));
    if (row.role)
        parts.append(*row.role);
    if (row.waitingOn)
        //: Spoken: %1 lists the reviewers still awaited
        parts.append(RowText::tr("Waiting on: %1").arg(*row.waitingOn));
    if (row.reviewComments)
        parts.append(row.reviewCommentsHelp);
    if (row.changeRequest) {
        parts.append(
            //: Spoken: %1 is the reviewer's login, %2 a relative time such as "2 hr. ago", %3 the review's
            //: first line in quotes
            RowText::tr("Changes requested by %1 %2: %3")
                .arg(row.changeRequest->reviewer, row.changeRequest->time, row.changeRequest->quote));
    }
    for (const UpdateIcon& update : row.updates)
        parts.append(update.help);
    spoken.description = parts.join(QStringLiteral(". "));
    return spoken;
}

} // namespace norvane::ui
