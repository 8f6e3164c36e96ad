#pragma once

#include "core/activity_records.h"
#include "core/pr_rules.h"
#include "core/pull_request.h"
#include "core/repo_summary.h"
#include "core/snooze.h"
#include "github/rate_limit.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

// How the headless commands print what the models hold. Pure functions, so their shapes are tested alone.
namespace norvane::cli {

// One line per pull request: number, repository, verdicts, flags and title, in the order given. A pull
// request with a snooze in `snoozes` that has not woken is flagged "snoozed".
QString pullRequestTable(const QList<PullRequest>& prs, const SnoozeMap& snoozes = {});
// Each record's fields, "sections": the names of the user's sections that hold it, and "snoozedUntil": null,
// the time its snooze ends or "change".
QByteArray pullRequestsJson(const QList<PullRequest>& prs, const SnoozeMap& snoozes = {});

QString issueTable(const QList<GitHubIssue>& issues);
QByteArray issuesJson(const QList<GitHubIssue>& issues);
QString dashboardText(const QList<RepoSummary>& summaries);
// One object per card: the field names as keys, timestamps in the stored form, absent values left out.
QJsonObject toJson(const RepoSummary& summary);
QByteArray dashboardJson(const QList<RepoSummary>& summaries);

struct StatusReport
{
    Badge badge;
    QList<std::pair<PRFilter, int>> counts;     // every filter tab, in tab order
    QMap<QString, RateLimitReading> rateLimits; // the last reading per resource (JSON only)
    int sections = 0; // the account's own sections: each one more search per poll (JSON only)
};
QString statusText(const StatusReport& report);
QByteArray statusJson(const StatusReport& report);
// One JSON object for a waybar custom module: "text", "tooltip", "class" and "alt".
QByteArray statusWaybar(const StatusReport& report);

} // namespace norvane::cli
