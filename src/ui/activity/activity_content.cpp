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
        return {Symbol::checkmarkCircleFill, ThemeColor::green, deploy.environment};
    case Status::failure:
        return {Symbol::xmarkCircleFill, ThemeColor::red, deploy.environment};
    case Status::inProgress:
        return {Symbol::clockFill, ThemeColor::orange, deploy.environment};
    case Status::pending:
    case Status::unknown:
        break;
    }
    return {Symbol::circle, ThemeColor::secondary, deploy.environment};
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

std::optional<QUrl> repositoryPage(const QString& webBase, const QString& repository)
{
    QString base = webBase;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return webAddress(base + QLatin1Char('/') + repository);
}

} // namespace norvane::ui
