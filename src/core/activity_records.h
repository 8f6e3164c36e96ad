#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace norvane {

// One open issue of a watched repository.
struct GitHubIssue {
    QString id; // "issue-" + repository + "-" + GitHub's numeric id
    qint64 number = 0;
    QString title;
    QString url;
    QString repository;
    std::optional<QString> author;
    QDateTime createdAt;
    QDateTime updatedAt;
    QStringList labels;
    qint64 commentCount = 0;

    friend bool operator==(const GitHubIssue&, const GitHubIssue&) = default;
};

// One deploy of today, from the Deployments API or derived from an Actions workflow run.
struct DeployInfo {
    enum class Status { success, failure, pending, inProgress, unknown };
    enum class Source { deployments, actions };

    QString environment;
    Status status = Status::unknown;
    QDateTime deployedAt;
    Source source = Source::deployments;

    friend bool operator==(const DeployInfo&, const DeployInfo&) = default;
};

QString rawValue(DeployInfo::Status status);
QString rawValue(DeployInfo::Source source);
// Exact, case-sensitive lookups; nullopt for any other text.
std::optional<DeployInfo::Status> deployStatusFromRaw(const QString& raw);
std::optional<DeployInfo::Source> deploySourceFromRaw(const QString& raw);

QJsonObject toJson(const GitHubIssue& issue);
GitHubIssue gitHubIssueFromJson(const QJsonObject& object, const QString& path = {});
QJsonObject toJson(const DeployInfo& deploy);
DeployInfo deployInfoFromJson(const QJsonObject& object, const QString& path = {});

} // namespace norvane
