#pragma once

#include "scenario.h"

#include <QJsonArray>
#include <QJsonObject>

namespace norvane::fakehub {

// Builds response bodies with GitHub's keys, nesting and JSON types (as in GitHub's documented examples)
// from the scenario's records. API and web addresses both live under `base`, so a pull request's
// html_url is `<base>/<owner>/<repo>/pull/<n>`.
class Payloads
{
public:
    Payloads(const Scenario& world, QString base);

    QJsonValue simpleUser(const QString& login) const; // null for an empty login
    QJsonObject authenticatedUser(const User& user) const;
    QJsonObject repository(const Repository& repo) const;

    // One item of /search/issues: the issue form plus `score` (and `draft` for pull requests).
    QJsonObject searchItem(const PullRequest& pr) const;
    QJsonObject searchItem(const Repository& repo, const Issue& issue) const;
    // One element of /repos/{o}/{r}/issues.
    QJsonObject issue(const PullRequest& pr) const;
    QJsonObject issue(const Repository& repo, const Issue& issue) const;

    QJsonObject pull(const PullRequest& pr) const;
    QJsonObject review(const PullRequest& pr, const Review& review) const;
    QJsonObject combinedStatus(const Repository& repo, const QString& sha) const;
    QJsonObject checkRun(const Repository& repo, const QString& sha, const CheckRun& run) const;
    QJsonObject commit(const Repository& repo, qsizetype index) const; // repo.commits newest first
    QJsonObject environment(const Repository& repo, const Environment& env) const;
    QJsonObject deployment(const Repository& repo, const Deployment& d) const;
    QJsonObject deploymentStatus(const Repository& repo, const Deployment& d,
                                 const DeploymentStatus& s) const;
    QJsonObject workflowRun(const Repository& repo, const WorkflowRun& run) const;
    // One thread of /notifications.
    QJsonObject thread(const NotificationThread& thread) const;

    static QJsonObject error(const QString& message, int status);

private:
    QString apiRepo(const QString& fullName) const;
    QJsonObject issueCommon(const QString& repoFullName, qint64 id, qint64 number, const QString& title,
                            const QString& body, const QString& author, const QStringList& labels,
                            const QStringList& assignees, qint64 comments, const QString& state,
                            const QDateTime& created, const QDateTime& updated,
                            const std::optional<QDateTime>& closed) const;
    QJsonArray labels(const QString& repoFullName, const QStringList& names) const;
    QJsonArray users(const QStringList& logins) const;
    QJsonArray teams(const PullRequest& pr) const;
    QJsonObject branch(const PullRequest& pr, const QString& ref, const QString& sha) const;

    const Scenario& m_world;
    QString m_base;
};

} // namespace norvane::fakehub
