#include "cli/cli_output.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace norvane::cli {

namespace {

QString verdict(const std::optional<PullRequest::ApprovalStatus>& status)
{
    return status ? rawValue(*status) : QStringLiteral("-");
}

QString ci(const std::optional<PullRequest::CIStatus>& status)
{
    return status ? rawValue(*status) : QStringLiteral("-");
}

QString flags(const PullRequest& pr, const SnoozeMap& snoozes)
{
    QStringList out;
    if (pr.isYourPR)
        out.append(QStringLiteral("mine"));
    if (pr.reviewRequested)
        out.append(QStringLiteral("review"));
    if (pr.isAssigned)
        out.append(QStringLiteral("assigned"));
    if (pr.isDraft)
        out.append(QStringLiteral("draft"));
    if (const auto it = snoozes.constFind(pr.id); it != snoozes.constEnd() && !it->woke)
        out.append(QStringLiteral("snoozed"));
    return out.join(QLatin1Char(','));
}

// Lays out rows in columns two blanks apart; the last column is never padded.
QString formatTable(const QList<QStringList>& rows, const QList<bool>& rightAligned)
{
    QList<int> widths(rightAligned.size(), 0);
    for (const QStringList& row : rows) {
        for (int c = 0; c < row.size() - 1; ++c)
            widths[c] = std::max(widths[c], int(row[c].size()));
    }
    QString out;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (int c = 0; c < row.size(); ++c) {
            const bool last = c == row.size() - 1;
            if (last)
                cells.append(row[c]);
            else
                cells.append(rightAligned[c] ? row[c].rightJustified(widths[c])
                                             : row[c].leftJustified(widths[c]));
        }
        out += cells.join(QStringLiteral("  ")) + QLatin1Char('\n');
    }
    return out;
}

QString countsLine(const StatusReport& report, const QString& separator)
{
    QStringList parts;
    for (const auto& [filter, count] : report.counts)
        parts.append(QStringLiteral("%1 %2").arg(rawValue(filter)).arg(count));
    return parts.join(separator);
}

} // namespace

QString pullRequestTable(const QList<PullRequest>& prs, const SnoozeMap& snoozes)
{
    if (prs.isEmpty())
        return QStringLiteral("No open pull requests.\n");
    QList<QStringList> rows{{QStringLiteral("#"), QStringLiteral("REPOSITORY"), QStringLiteral("REVIEW"),
                             QStringLiteral("CI"), QStringLiteral("FLAGS"), QStringLiteral("TITLE")}};
    for (const PullRequest& pr : prs) {
        rows.append({QLatin1Char('#') + QString::number(pr.number), pr.repository, verdict(pr.approvalStatus),
                     ci(pr.ciStatus), flags(pr, snoozes), pr.title});
    }
    return formatTable(rows, {true, false, false, false, false, false});
}

QByteArray pullRequestsJson(const QList<PullRequest>& prs, const SnoozeMap& snoozes)
{
    QJsonArray out;
    for (const PullRequest& pr : prs) {
        QJsonObject object = toJson(pr);
        // Who the review was asked of: "you", the team ("org/slug"), or nobody (not a review request).
        object.insert(QStringLiteral("reviewRequestedFrom"),
                      !pr.reviewRequested ? QJsonValue(QJsonValue::Null)
                      : pr.requestedTeam  ? QJsonValue(*pr.requestedTeam)
                                          : QJsonValue(QStringLiteral("you")));
        object.insert(QStringLiteral("sections"), QJsonArray::fromStringList(pr.sections));
        const auto it = snoozes.constFind(pr.id);
        object.insert(QStringLiteral("snoozedUntil"),
                      snoozedUntilJson(it == snoozes.constEnd() ? std::nullopt : std::optional<Snooze>(*it)));
        out.append(object);
    }
    return QJsonDocument(out).toJson(QJsonDocument::Indented);
}

QString issueTable(const QList<GitHubIssue>& issues)
{
    if (issues.isEmpty())
        return QStringLiteral("No open issues.\n");
    QList<QStringList> rows{{QStringLiteral("#"), QStringLiteral("REPOSITORY"), QStringLiteral("AUTHOR"),
                             QStringLiteral("COMMENTS"), QStringLiteral("TITLE")}};
    for (const GitHubIssue& issue : issues) {
        QString title = issue.title;
        if (!issue.labels.isEmpty())
            title += QStringLiteral(" [") + issue.labels.join(QStringLiteral(", ")) + QLatin1Char(']');
        rows.append({QLatin1Char('#') + QString::number(issue.number), issue.repository,
                     issue.author.value_or(QStringLiteral("-")), QString::number(issue.commentCount), title});
    }
    return formatTable(rows, {true, false, false, true, false});
}

QByteArray issuesJson(const QList<GitHubIssue>& issues)
{
    return QJsonDocument(encodeObjectArray(issues)).toJson(QJsonDocument::Indented);
}

QJsonObject toJson(const RepoSummary& summary)
{
    const QJsonArray deploys = encodeObjectArray(summary.recentDeploys);
    QJsonObject o{{QStringLiteral("repository"), summary.repository},
                  {QStringLiteral("openPRCount"), double(summary.openPRCount)},
                  {QStringLiteral("recentDeploys"), deploys}};
    if (summary.lastCommitAt)
        o.insert(QStringLiteral("lastCommitAt"), toStoredTimestamp(*summary.lastCommitAt));
    if (summary.lastCommitMessage)
        o.insert(QStringLiteral("lastCommitMessage"), *summary.lastCommitMessage);
    if (summary.environments)
        o.insert(QStringLiteral("environments"), QJsonArray::fromStringList(*summary.environments));
    return o;
}

QByteArray dashboardJson(const QList<RepoSummary>& summaries)
{
    QJsonArray array;
    for (const RepoSummary& s : summaries)
        array.append(toJson(s));
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QString dashboardText(const QList<RepoSummary>& summaries)
{
    if (summaries.isEmpty())
        return QStringLiteral("No watched repositories.\n");
    QString out;
    for (const RepoSummary& s : summaries) {
        out += s.repository + QLatin1Char('\n');
        out += QStringLiteral("  open pull requests: %1\n").arg(s.openPRCount);
        if (s.lastCommitAt) {
            out += QStringLiteral("  last commit: %1  %2\n")
                       .arg(s.lastCommitAt->toUTC().toString(Qt::ISODate),
                            s.lastCommitMessage.value_or(QString()));
        }
        if (s.environments)
            out += QStringLiteral("  environments: ") + s.environments->join(QStringLiteral(", ")) +
                   QLatin1Char('\n');
        for (const DeployInfo& d : s.recentDeploys) {
            out += QStringLiteral("  deploy: %1  %2  %3 (%4)\n")
                       .arg(d.deployedAt.toUTC().toString(Qt::ISODate), d.environment, rawValue(d.status),
                            rawValue(d.source));
        }
    }
    return out;
}

QString statusText(const StatusReport& report)
{
    const QString badge =
        report.badge.color == BadgeColor::none
            ? QStringLiteral("no badge")
            : QStringLiteral("%1 %2").arg(badgeColorName(report.badge.color)).arg(report.badge.count);
    return badge + QLatin1Char('\n') + countsLine(report, QStringLiteral(" · ")) + QLatin1Char('\n');
}

QByteArray statusJson(const StatusReport& report)
{
    QJsonObject counts;
    for (const auto& [filter, count] : report.counts)
        counts.insert(rawValue(filter), count);
    // What GitHub last said about each budget; an unstated field is null, the reset a stored timestamp.
    QJsonObject rateLimit;
    for (auto it = report.rateLimits.cbegin(); it != report.rateLimits.cend(); ++it) {
        const RateLimitReading& r = it.value();
        const auto count = [](qint64 n) { return n < 0 ? QJsonValue() : QJsonValue(double(n)); };
        rateLimit.insert(it.key(),
                         QJsonObject{
                             {QStringLiteral("remaining"), count(r.remaining)},
                             {QStringLiteral("limit"), count(r.limit)},
                             {QStringLiteral("reset"),
                              r.reset.isValid() ? QJsonValue(toStoredTimestamp(r.reset)) : QJsonValue()},
                         });
    }
    const QJsonObject o{
        {QStringLiteral("badge"), QJsonObject{{QStringLiteral("color"), badgeColorName(report.badge.color)},
                                              {QStringLiteral("count"), report.badge.count}}},
        {QStringLiteral("counts"), counts},
        {QStringLiteral("rateLimit"), rateLimit},
        // The three built-in searches and one per section; an unchanged answer costs no point.
        {QStringLiteral("sections"), report.sections},
        {QStringLiteral("searchesPerPoll"), 3 + report.sections},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray statusWaybar(const StatusReport& report)
{
    const bool shown = report.badge.color != BadgeColor::none;
    const QJsonObject o{
        {QStringLiteral("text"), shown ? QString::number(report.badge.count) : QString()},
        {QStringLiteral("tooltip"), countsLine(report, QStringLiteral("\n"))},
        {QStringLiteral("class"), badgeColorName(report.badge.color)},
        {QStringLiteral("alt"), badgeColorName(report.badge.color)},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace norvane::cli
