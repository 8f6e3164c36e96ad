#include "core/activity_rules.h"

#include "core/pr_rules.h"

#include <algorithm>

namespace norvane {

void sortIssuesNewestFirst(QList<GitHubIssue>& issues)
{
    std::stable_sort(issues.begin(), issues.end(),
                     [](const GitHubIssue& a, const GitHubIssue& b) { return a.updatedAt > b.updatedAt; });
}

QStringList issueRepositories(const QList<GitHubIssue>& issues)
{
    QStringList repositories;
    for (const GitHubIssue& issue : issues) {
        if (!repositories.contains(issue.repository))
            repositories.append(issue.repository);
    }
    std::sort(repositories.begin(), repositories.end(), codePointLess);
    return repositories;
}

QList<GitHubIssue> issuesInRepository(const QList<GitHubIssue>& issues,
                                      const std::optional<QString>& repository)
{
    if (!repository)
        return issues;
    QList<GitHubIssue> result;
    for (const GitHubIssue& issue : issues) {
        if (issue.repository == *repository)
            result.append(issue);
    }
    return result;
}

void sortSummariesByRepository(QList<RepoSummary>& summaries)
{
    std::stable_sort(summaries.begin(), summaries.end(), [](const RepoSummary& a, const RepoSummary& b) {
        return codePointLess(a.repository, b.repository);
    });
}

} // namespace norvane
