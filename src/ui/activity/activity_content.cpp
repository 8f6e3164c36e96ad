#include "ui/activity/activity_content.h"

#include "core/relative_time.h"
#include "platform/url_opener.h"

namespace norvane::ui {

namespace {

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
                QStringLiteral("succeeded")};
    case Status::failure:
        return {Symbol::xmarkCircleFill, ThemeColor::red, deploy.environment, QStringLiteral("failed")};
    case Status::inProgress:
        return {Symbol::clockFill, ThemeColor::orange, deploy.environment, QStringLiteral("in progress")};
    case Status::pending:
    case Status::unknown:
        break;
    }
    return {Symbol::circle, ThemeColor::secondary, deploy.environment, QStringLiteral("pending")};
}

RepoCardContent cardContent(const RepoSummary& summary, const QDateTime& now)
{
    RepoCardContent card;
    card.repository = summary.repository;
    card.openPRs = QStringLiteral("%1 open PR%2")
                       .arg(summary.openPRCount)
                       .arg(summary.openPRCount == 1 ? QString() : QStringLiteral("s"));
    if (summary.lastCommitAt)
        card.commitTime = relativeTimeText(*summary.lastCommitAt, now);
    if (summary.lastCommitMessage && !summary.lastCommitMessage->isEmpty())
        card.commitQuote = QLatin1Char('"') + *summary.lastCommitMessage + QLatin1Char('"');
    if (!summary.recentDeploys.isEmpty()) {
        card.deploys = QStringLiteral("Deploys today: %1").arg(summary.recentDeploys.size());
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
        parts.append(QStringLiteral("Author: ") + *row.author);
    parts.append(row.time);
    if (row.comments)
        parts.append(*row.comments == QLatin1String("1") ? QStringLiteral("1 comment")
                                                         : *row.comments + QStringLiteral(" comments"));
    if (!row.chips.isEmpty()) {
        QString labels = QStringLiteral("Labels: ") + row.chips.join(QStringLiteral(", "));
        if (row.moreLabels)
            labels += QStringLiteral(" and %1 more").arg(row.moreLabels->mid(1));
        parts.append(labels);
    }
    return {row.repository + QLatin1Char(' ') + row.number + QStringLiteral(", ") + row.title,
            parts.join(QStringLiteral(". "))};
}

SpokenText spokenCard(const RepoCardContent& card)
{
    QStringList parts{card.openPRs};
    if (card.commitTime || card.commitQuote) {
        QString commit = QStringLiteral("Last commit");
        if (card.commitTime)
            commit += QLatin1Char(' ') + *card.commitTime;
        if (card.commitQuote)
            commit += QStringLiteral(": ") + *card.commitQuote;
        parts.append(commit);
    }
    if (card.deploys) {
        QStringList badges;
        for (const DeployBadge& badge : card.badges)
            badges.append(badge.environment + QLatin1Char(' ') + badge.status);
        parts.append(*card.deploys);
        if (!badges.isEmpty())
            parts.append(QStringLiteral("Latest: ") + badges.join(QStringLiteral(", ")));
    }
    if (card.environments) {
        QString environments = QStringLiteral("Environments: ") +
                               card.environments->split(QStringLiteral(" · ")).join(QStringLiteral(", "));
        if (card.moreEnvironments)
            environments += QStringLiteral(" and %1 more").arg(card.moreEnvironments->mid(1));
        parts.append(environments);
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
