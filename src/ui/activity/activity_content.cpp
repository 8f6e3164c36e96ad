#include "ui/activity/activity_content.h"

#include "core/relative_time.h"
#include "platform/url_opener.h"

#include <QCoreApplication>

namespace norvane::ui {

namespace {

class ActivityText
{
    Q_DECLARE_TR_FUNCTIONS(Activity)
};

constexpr int kMaxChips = 3;
constexpr int kMaxBadges = 3;
constexpr int kMaxEnvironments = 4;

std::optional<QString> beyond(qsizetype count, int shown)
{
    if (count <= shown)
        return std::nullopt;
    return QStringLiteral("+%1").arg(count - shown);
}

} // namespace

IssueRowContent issueRowContent(const GitHubIssue& issue, const QDateTime& now)
{
    IssueRowContent row;
    row.repository = issue.repository;
    row.number = QStringLiteral("#%1").arg(issue.number);
    row.title = issue.title;
    row.author = issue.author;
    row.time = relativeTimeText(issue.updatedAt, now);
    if (issue.commentCount >= 1)
        row.comments = QString::number(issue.commentCount);
    row.chips = issue.labels.mid(0, kMaxChips);
    row.moreLabels = beyond(issue.labels.size(), kMaxChips);
    return row;
}

DeployBadge deployBadge(const DeployInfo& deploy)
{
    using Status = DeployInfo::Status;
    switch (deploy.status) {
    case Status::success:
        return {Symbol::checkmarkCircleFill, ThemeColor::green, deploy.environment,
                //: A deploy's status, after its environment ("production succeeded")
                ActivityText::tr("succeeded")};
    case Status::failure:
        return {Symbol::xmarkCircleFill, ThemeColor::red, deploy.environment, ActivityText::tr("failed")};
    case Status::inProgress:
        return {Symbol::clockFill, ThemeColor::orange, deploy.environment, ActivityText::tr("in progress")};
    case Status::pending:
    case Status::unknown:
        break;
    }
    return {Symbol::circle, ThemeColor::secondary, deploy.environment, ActivityText::tr("pending")};
}

RepoCardContent cardContent(const RepoSummary& summary, const QDateTime& now)
{
    RepoCardContent card;
    card.repository = summary.repository;
    //: On a repository's card of the dashboard
    card.openPRs = ActivityText::tr("%n open PR(s)", nullptr, summary.openPRCount);
    if (summary.lastCommitAt)
        card.commitTime = relativeTimeText(*summary.lastCommitAt, now);
    if (summary.lastCommitMessage && !summary.lastCommitMessage->isEmpty())
        card.commitQuote = QLatin1Char('"') + *summary.lastCommitMessage + QLatin1Char('"');
    if (!summary.recentDeploys.isEmpty()) {
        //: On a repository's card; %1 counts the deploys of the last day
        card.deploys = ActivityText::tr("Deploys today: %1").arg(summary.recentDeploys.size());
        for (const DeployInfo& deploy : summary.recentDeploys.mid(0, kMaxBadges))
            card.badges.append(deployBadge(deploy));
    }
    if (summary.environments && !summary.environments->isEmpty()) {
        card.environments = summary.environments->mid(0, kMaxEnvironments).join(QStringLiteral(" · "));
        card.moreEnvironments = beyond(summary.environments->size(), kMaxEnvironments);
    }
    return card;
}

SpokenText spokenIssueRow(const IssueRowContent& row)
{
    QStringList parts;
    if (row.author)
        //: Spoken: %1 is the issue's author
        parts.append(ActivityText::tr("Author: %1").arg(*row.author));
    parts.append(row.time);
    if (row.comments)
        parts.append(ActivityText::tr("%n comment(s)", nullptr, row.comments->toInt()));
    if (!row.chips.isEmpty()) {
        const QString labels = row.chips.join(QStringLiteral(", "));
        parts.append(row.moreLabels
                         //: Spoken: %1 lists the labels shown, %n counts those left out
                         ? ActivityText::tr("Labels: %1 and %n more", nullptr, row.moreLabels->mid(1).toInt())
                               .arg(labels)
                         : ActivityText::tr("Labels: %1").arg(labels));
    }
    //: An issue's spoken name: %1 is the repository, %2 the number ("#12"), %3 the title
    return {ActivityText::tr("%1 %2, %3").arg(row.repository, row.number, row.title),
            parts.join(QStringLiteral(". "))};
}

SpokenText spokenCard(const RepoCardContent& card)
{
    QStringList parts{card.openPRs};
    if (card.commitTime || card.commitQuote) {
        //: Spoken: %1 is a relative time such as "2 hr. ago", %2 the commit's message in quotes
        parts.append(card.commitTime && card.commitQuote
                         ? ActivityText::tr("Last commit %1: %2").arg(*card.commitTime, *card.commitQuote)
                     : card.commitTime ? ActivityText::tr("Last commit %1").arg(*card.commitTime)
                                       : ActivityText::tr("Last commit: %1").arg(*card.commitQuote));
    }
    if (card.deploys) {
        QStringList badges;
        for (const DeployBadge& badge : card.badges)
            //: Spoken: %1 is a deploy's environment, %2 its status, such as "succeeded"
            badges.append(ActivityText::tr("%1 %2").arg(badge.environment, badge.status));
        parts.append(*card.deploys);
        if (!badges.isEmpty())
            //: Spoken: %1 lists the latest deploys
            parts.append(ActivityText::tr("Latest: %1").arg(badges.join(QStringLiteral(", "))));
    }
    if (card.environments) {
        const QString environments =
            card.environments->split(QStringLiteral(" · ")).join(QStringLiteral(", "));
        parts.append(card.moreEnvironments
                         //: Spoken: %1 lists the environments shown, %n counts those left out
                         ? ActivityText::tr("Environments: %1 and %n more", nullptr,
                                            card.moreEnvironments->mid(1).toInt())
                               .arg(environments)
                         : ActivityText::tr("Environments: %1").arg(environments));
    }
    return {card.repository, parts.join(QStringLiteral(". "))};
}

std::optional<QUrl> repositoryPage(const QString& webBase, const QString& repository)
{
    QString base = webBase;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return webAddress(base + QLatin1Char('/') + repository);
}

} // namespace norvane::ui
