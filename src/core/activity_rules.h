#pragma once

#include "core/activity_records.h"
#include "core/repo_summary.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The pure rules behind the issues and dashboard tabs.
namespace norvane {

// Newest update first; issues updated at the same instant keep their order.
void sortIssuesNewestFirst(QList<GitHubIssue>& issues);
// The repositories that have at least one of the issues, each once, in code-point order.
QStringList issueRepositories(const QList<GitHubIssue>& issues);
// The issues of one repository (compared exactly), in list order; all of them when `repository` is absent.
QList<GitHubIssue> issuesInRepository(const QList<GitHubIssue>& issues,
                                      const std::optional<QString>& repository);

// Code-point order of the repository names, so "Zeta/x" comes before "alpha/y".
void sortSummariesByRepository(QList<RepoSummary>& summaries);

} // namespace norvane
