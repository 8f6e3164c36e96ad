#include "core/github_wire.h"

#include "core/json_reader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace norvane::wire {

namespace {

QJsonValue parse(const QByteArray& body)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodeError(
            QStringLiteral("invalid JSON at offset %1: %2").arg(error.offset).arg(error.errorString()));
    return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
}

QJsonObject topObject(const QByteArray& body)
{
    const QJsonValue v = parse(body);
    if (!v.isObject())
        throw DecodeError(QStringLiteral("expected a JSON object at the top level, found %1").arg(jsonTypeName(v)));
    return v.toObject();
}

// Calls `decode(reader)` for each element of an array, which must hold objects only.
template <typename T, typename F>
QList<T> decodeEach(const QJsonArray& array, const QString& path, F decode)
{
    const auto withReader = [&](const QJsonObject& object, const QString& itemPath) {
        return decode(JsonReader(object, itemPath));
    };
    return decodeObjectArray<T>(array, withReader, path);
}

template <typename T, typename F>
QList<T> decodeTopArray(const QByteArray& body, F decode)
{
    const QJsonValue v = parse(body);
    if (!v.isArray())
        throw DecodeError(QStringLiteral("expected a JSON array at the top level, found %1").arg(jsonTypeName(v)));
    return decodeEach<T>(v.toArray(), QString(), decode);
}

// `user` objects are optional (and null for deleted accounts) but need a login when present.
std::optional<QString> optionalLogin(const JsonReader& r, const QString& key)
{
    const auto user = r.optionalObject(key);
    if (!user)
        return std::nullopt;
    return JsonReader(*user, r.pathOf(key)).string(QStringLiteral("login"));
}

JsonReader nested(const JsonReader& r, const QString& key)
{
    return JsonReader(r.objectValue(key), r.pathOf(key));
}

} // namespace

QList<SearchItem> decodeSearchResponse(const QByteArray& body)
{
    const JsonReader top(topObject(body));
    return decodeEach<SearchItem>(top.array(QStringLiteral("items")), QStringLiteral("items"), [](const JsonReader& r) {
        SearchItem item;
        item.id = r.int64(QStringLiteral("id"));
        item.number = r.int64(QStringLiteral("number"));
        item.title = r.string(QStringLiteral("title"));
        item.htmlUrl = r.string(QStringLiteral("html_url"));
        item.userLogin = optionalLogin(r, QStringLiteral("user"));
        item.createdAt = r.string(QStringLiteral("created_at"));
        item.updatedAt = r.string(QStringLiteral("updated_at"));
        item.draft = r.boolean(QStringLiteral("draft"));
        item.state = r.string(QStringLiteral("state"));
        return item;
    });
}

QList<NotificationThread> decodeNotifications(const QByteArray& body)
{
    return decodeTopArray<NotificationThread>(body, [](const JsonReader& r) {
        const JsonReader subject = nested(r, QStringLiteral("subject"));
        return NotificationThread{r.string(QStringLiteral("id")), r.string(QStringLiteral("updated_at")),
                                  subject.optionalString(QStringLiteral("url")),
                                  r.optionalString(QStringLiteral("reason")).value_or(QString())};
    });
}

PRDetail decodePRDetail(const QByteArray& body)
{
    const JsonReader r(topObject(body));
    PRDetail detail;
    const JsonReader head = nested(r, QStringLiteral("head"));
    detail.headSha = head.string(QStringLiteral("sha"));
    detail.headBranch = head.optionalString(QStringLiteral("ref"));
    const auto reviewers = decodeEach<QString>(r.array(QStringLiteral("requested_reviewers")),
                                               QStringLiteral("requested_reviewers"),
                                               [](const JsonReader& u) { return u.string(QStringLiteral("login")); });
    detail.requestedReviewers = QStringList(reviewers.begin(), reviewers.end());
    const auto team = [](const JsonReader& t) {
        return RequestedTeam{t.string(QStringLiteral("slug")), t.optionalString(QStringLiteral("html_url"))};
    };
    const QString teams = QStringLiteral("requested_teams");
    detail.requestedTeams =
        decodeEach<RequestedTeam>(r.optionalArray(teams).value_or(QJsonArray()), teams, team);
    detail.comments = r.optionalInt64(QStringLiteral("comments"));
    detail.reviewComments = r.optionalInt64(QStringLiteral("review_comments"));
    return detail;
}

QList<Review> decodeReviews(const QByteArray& body)
{
    return decodeTopArray<Review>(body, [](const JsonReader& r) {
        return Review{r.string(QStringLiteral("state")), optionalLogin(r, QStringLiteral("user")),
                      r.optionalString(QStringLiteral("body")), r.optionalString(QStringLiteral("submitted_at"))};
    });
}

CommitStatus decodeCommitStatus(const QByteArray& body)
{
    const JsonReader r(topObject(body));
    CommitStatus status;
    status.state = r.string(QStringLiteral("state"));
    const auto states = decodeEach<QString>(r.array(QStringLiteral("statuses")), QStringLiteral("statuses"),
                                            [](const JsonReader& s) { return s.string(QStringLiteral("state")); });
    status.statuses = QStringList(states.begin(), states.end());
    return status;
}

CheckRuns decodeCheckRuns(const QByteArray& body)
{
    const JsonReader r(topObject(body));
    CheckRuns runs;
    runs.totalCount = r.int64(QStringLiteral("total_count"));
    runs.runs = decodeEach<CheckRun>(r.array(QStringLiteral("check_runs")), QStringLiteral("check_runs"),
                                     [](const JsonReader& c) {
                                         return CheckRun{c.string(QStringLiteral("status")),
                                                         c.optionalString(QStringLiteral("conclusion"))};
                                     });
    return runs;
}

QList<Issue> decodeIssues(const QByteArray& body)
{
    return decodeTopArray<Issue>(body, [](const JsonReader& r) {
        Issue issue;
        issue.id = r.int64(QStringLiteral("id"));
        issue.number = r.int64(QStringLiteral("number"));
        issue.title = r.string(QStringLiteral("title"));
        issue.htmlUrl = r.string(QStringLiteral("html_url"));
        issue.userLogin = optionalLogin(r, QStringLiteral("user"));
        issue.createdAt = r.string(QStringLiteral("created_at"));
        issue.updatedAt = r.string(QStringLiteral("updated_at"));
        const auto names = decodeEach<QString>(r.array(QStringLiteral("labels")), r.pathOf(QStringLiteral("labels")),
                                               [](const JsonReader& l) { return l.string(QStringLiteral("name")); });
        issue.labels = QStringList(names.begin(), names.end());
        issue.comments = r.int64(QStringLiteral("comments"));
        if (const auto pr = r.optionalObject(QStringLiteral("pull_request"))) {
            JsonReader(*pr, r.pathOf(QStringLiteral("pull_request"))).string(QStringLiteral("url"));
            issue.isPullRequest = true;
        }
        return issue;
    });
}

qint64 decodeSearchTotalCount(const QByteArray& body)
{
    return JsonReader(topObject(body)).int64(QStringLiteral("total_count"));
}

QList<Commit> decodeCommits(const QByteArray& body)
{
    return decodeTopArray<Commit>(body, [](const JsonReader& r) {
        const JsonReader commit = nested(r, QStringLiteral("commit"));
        return Commit{commit.string(QStringLiteral("message")),
                      nested(commit, QStringLiteral("author")).string(QStringLiteral("date"))};
    });
}

QStringList decodeEnvironmentNames(const QByteArray& body)
{
    const JsonReader r(topObject(body));
    const auto names = decodeEach<QString>(r.array(QStringLiteral("environments")), QStringLiteral("environments"),
                                           [](const JsonReader& e) { return e.string(QStringLiteral("name")); });
    return QStringList(names.begin(), names.end());
}

QList<Deployment> decodeDeployments(const QByteArray& body)
{
    return decodeTopArray<Deployment>(body, [](const JsonReader& r) {
        return Deployment{r.int64(QStringLiteral("id")), r.string(QStringLiteral("environment")),
                          r.string(QStringLiteral("created_at"))};
    });
}

QStringList decodeDeploymentStatusStates(const QByteArray& body)
{
    const auto states =
        decodeTopArray<QString>(body, [](const JsonReader& r) { return r.string(QStringLiteral("state")); });
    return QStringList(states.begin(), states.end());
}

QList<WorkflowRun> decodeWorkflowRuns(const QByteArray& body)
{
    const JsonReader top(topObject(body));
    return decodeEach<WorkflowRun>(top.array(QStringLiteral("workflow_runs")), QStringLiteral("workflow_runs"),
                                   [](const JsonReader& r) {
                                       WorkflowRun run;
                                       run.id = r.int64(QStringLiteral("id"));
                                       run.name = r.string(QStringLiteral("name"));
                                       run.status = r.string(QStringLiteral("status"));
                                       run.conclusion = r.optionalString(QStringLiteral("conclusion"));
                                       run.createdAt = r.string(QStringLiteral("created_at"));
                                       run.headBranch = r.optionalString(QStringLiteral("head_branch"));
                                       return run;
                                   });
}

DeviceCode decodeDeviceCode(const QByteArray& body)
{
    const JsonReader r(topObject(body));
    return DeviceCode{r.string(QStringLiteral("device_code")), r.string(QStringLiteral("user_code")),
                      r.string(QStringLiteral("verification_uri")), r.int64(QStringLiteral("expires_in")),
                      r.int64(QStringLiteral("interval"))};
}

AccessTokenAnswer decodeAccessTokenAnswer(const QByteArray& body)
{
    const JsonReader r(topObject(body));
    return AccessTokenAnswer{r.optionalString(QStringLiteral("access_token")),
                             r.optionalString(QStringLiteral("error")),
                             r.optionalString(QStringLiteral("error_description"))};
}

std::optional<QString> decodeUserLogin(const QByteArray& body)
{
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    const QJsonValue login = doc.object().value(QStringLiteral("login"));
    if (doc.isObject() && login.isString())
        return login.toString();
    return std::nullopt;
}

} // namespace norvane::wire
