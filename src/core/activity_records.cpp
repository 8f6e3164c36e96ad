#include "core/activity_records.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"

#include <QJsonArray>

namespace norvane {

using Status = DeployInfo::Status;
using Source = DeployInfo::Source;

QString rawValue(Status status)
{
    switch (status) {
    case Status::success:
        return QStringLiteral("success");
    case Status::failure:
        return QStringLiteral("failure");
    case Status::pending:
        return QStringLiteral("pending");
    case Status::inProgress:
        return QStringLiteral("in_progress");
    case Status::unknown:
        break;
    }
    return QStringLiteral("unknown");
}

QString rawValue(Source source)
{
    return source == Source::actions ? QStringLiteral("actions") : QStringLiteral("deployments");
}

std::optional<Status> deployStatusFromRaw(const QString& raw)
{
    for (auto s : {Status::success, Status::failure, Status::pending, Status::inProgress, Status::unknown}) {
        if (rawValue(s) == raw)
            return s;
    }
    return std::nullopt;
}

std::optional<Source> deploySourceFromRaw(const QString& raw)
{
    for (auto s : {Source::deployments, Source::actions}) {
        if (rawValue(s) == raw)
            return s;
    }
    return std::nullopt;
}

QJsonObject toJson(const GitHubIssue& issue)
{
    QJsonObject o{
        {QStringLiteral("id"), issue.id},
        {QStringLiteral("number"), double(issue.number)},
        {QStringLiteral("title"), issue.title},
        {QStringLiteral("url"), issue.url},
        {QStringLiteral("repository"), issue.repository},
        {QStringLiteral("createdAt"), toStoredTimestamp(issue.createdAt)},
        {QStringLiteral("updatedAt"), toStoredTimestamp(issue.updatedAt)},
        {QStringLiteral("labels"), QJsonArray::fromStringList(issue.labels)},
        {QStringLiteral("commentCount"), double(issue.commentCount)},
    };
    if (issue.author)
        o.insert(QStringLiteral("author"), *issue.author);
    return o;
}

GitHubIssue gitHubIssueFromJson(const QJsonObject& object, const QString& path)
{
    const JsonReader r(object, path);
    GitHubIssue issue;
    issue.id = r.string(QStringLiteral("id"));
    issue.number = r.int64(QStringLiteral("number"));
    issue.title = r.string(QStringLiteral("title"));
    issue.url = r.string(QStringLiteral("url"));
    issue.repository = r.string(QStringLiteral("repository"));
    issue.author = r.optionalString(QStringLiteral("author"));
    issue.createdAt = r.storedDate(QStringLiteral("createdAt"));
    issue.updatedAt = r.storedDate(QStringLiteral("updatedAt"));
    issue.labels = r.stringList(QStringLiteral("labels"));
    issue.commentCount = r.int64(QStringLiteral("commentCount"));
    return issue;
}

QJsonObject toJson(const DeployInfo& deploy)
{
    return QJsonObject{
        {QStringLiteral("environment"), deploy.environment},
        {QStringLiteral("status"), rawValue(deploy.status)},
        {QStringLiteral("deployedAt"), toStoredTimestamp(deploy.deployedAt)},
        {QStringLiteral("source"), rawValue(deploy.source)},
    };
}

DeployInfo deployInfoFromJson(const QJsonObject& object, const QString& path)
{
    const JsonReader r(object, path);
    DeployInfo deploy;
    deploy.environment = r.string(QStringLiteral("environment"));
    const QString status = r.string(QStringLiteral("status"));
    const auto s = deployStatusFromRaw(status);
    if (!s)
        r.fail(QStringLiteral("status"), QStringLiteral("\"%1\" is not a known value").arg(status));
    deploy.status = *s;
    deploy.deployedAt = r.storedDate(QStringLiteral("deployedAt"));
    const QString source = r.string(QStringLiteral("source"));
    const auto src = deploySourceFromRaw(source);
    if (!src)
        r.fail(QStringLiteral("source"), QStringLiteral("\"%1\" is not a known value").arg(source));
    deploy.source = *src;
    return deploy;
}

} // namespace norvane
