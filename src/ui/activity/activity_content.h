#pragma once

#include "core/activity_records.h"
#include "core/repo_summary.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/theme.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// What an issue row and a dashboard card say, decided from the record alone. The widgets only place and
// paint these parts.
namespace norvane::ui {

struct IssueRowContent
{
    QString repository;
    QString number; // "#12"
    QString title;
    std::optional<QString> author;
    QString time;                      // relative to the moment of drawing
    std::optional<QString> comments;   // the count beside the bubble; absent without comments
    QStringList chips;                 // the first three labels
    std::optional<QString> moreLabels; // "+2" for the labels beyond three
};

IssueRowContent issueRowContent(const GitHubIssue& issue, const QDateTime& now);

struct DeployBadge
{
    Symbol symbol;
    ThemeColor color;
    QString environment;
    QString status; // what the symbol and colour show, in words: "succeeded", "failed", ...
};

DeployBadge deployBadge(const DeployInfo& deploy);

struct RepoCardContent
{
    QString repository;
    QString openPRs;                         // "1 open PR", "3 open PRs"
    std::optional<QString> commitTime;       // relative time of the last commit
    std::optional<QString> commitQuote;      // its first line between straight double quotes
    std::optional<QString> deploys;          // "Deploys today: 5"
    QList<DeployBadge> badges;               // the first three deploys, newest first
    std::optional<QString> environments;     // up to four names joined by " · "
    std::optional<QString> moreEnvironments; // "+2" for the names beyond four
};

RepoCardContent cardContent(const RepoSummary& summary, const QDateTime& now);

// What a screen reader says of an issue row or a dashboard card: the name is what the row or card is
// ("northwind/api #12, Crash on start"; "northwind/api"), the description the rest of what it shows, in
// reading order, one sentence a part.
struct SpokenText
{
    QString name;
    QString description;
};
SpokenText spokenIssueRow(const IssueRowContent& row);
SpokenText spokenCard(const RepoCardContent& card);

// The repository's page on the web host: `webBase` with the full name as its path. Absent when the result
// is not a web address.
std::optional<QUrl> repositoryPage(const QString& webBase, const QString& repository);

} // namespace norvane::ui
