#pragma once

#include "fakehub/fakehub.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <httplib.h>

namespace norvane::fakehub::testing {

using namespace Qt::StringLiterals;

// A small world with one of everything the client distinguishes, anchored at a fixed instant.
inline const char* const kWorld = R"({
  "now": "2026-12-06T12:00:00Z",
  "users": [
    {"login": "mona", "tokens": ["t-mona"]},
    {"login": "theo", "tokens": ["t-theo"]},
    {"login": "priya"}
  ],
  "oauth_app": {"client_id": "cid", "expires_in": 900, "interval": 5},
  "repositories": [
    {"full_name": "acme/api", "environments": ["staging", "production"],
     "commits": [{"message": "Older", "author": "theo", "date": "-1d"},
                 {"message": "Newest\n\nwith a body", "author": "mona", "date": "-1h"}],
     "deployments": [{"id": 7, "environment": "production", "creator": "theo", "created_at": "-2h",
                      "statuses": [{"state": "in_progress"}, {"state": "success"}]}],
     "workflow_runs": [{"name": "Deploy", "status": "completed", "conclusion": "success", "created_at": "-3h"},
                       {"name": "CI", "status": "queued", "created_at": "-1h"}],
     "issues": [{"number": 50, "title": "Bug", "author": "priya", "labels": ["bug"], "comments": 2,
                 "created_at": "-2d", "assignees": ["mona"]}]},
    {"full_name": "acme/old", "archived": true},
    {"full_name": "acme/secret", "private": true, "visible_to": ["theo"]}
  ],
  "pull_requests": [
    {"repository": "acme/api", "number": 1, "id": 101, "title": "Mine", "author": "mona",
     "requested_reviewers": ["priya"], "requested_teams": [{"slug": "core", "members": ["theo"]}],
     "created_at": "-3d", "updated_at": "-4h", "comments": 2,
     "review_comments": 3, "head_sha": "aaaa",
     "reviews": [{"user": "theo", "state": "APPROVED", "body": "LGTM", "submitted_at": "-5h"}],
     "check_runs": [{"name": "build", "status": "completed", "conclusion": "success"}],
     "statuses": [{"context": "ci/legacy", "state": "success"}]},
    {"repository": "acme/api", "number": 2, "id": 102, "title": "Review me", "author": "theo",
     "requested_reviewers": ["mona"], "draft": true, "created_at": "-2d", "updated_at": "-1h"},
    {"repository": "acme/api", "number": 3, "id": 103, "title": "Assigned", "author": "theo",
     "assignees": ["mona"], "created_at": "-1d", "updated_at": "-3h"},
    {"repository": "acme/api", "number": 4, "id": 104, "title": "Not mine", "author": "priya",
     "labels": ["urgent", "bug"],
     "created_at": "-1d", "updated_at": "-2h"},
    {"repository": "acme/api", "number": 5, "id": 105, "title": "Closed", "author": "mona", "state": "closed",
     "created_at": "-5d", "updated_at": "-4d", "closed_at": "-4d"},
    {"repository": "acme/old", "number": 1, "id": 201, "title": "Archived", "author": "theo",
     "requested_reviewers": ["mona"], "created_at": "-9d"},
    {"repository": "acme/secret", "number": 1, "id": 301, "title": "Hidden", "author": "theo",
     "requested_reviewers": ["mona"], "created_at": "-1d"}
  ]
})";

inline Scenario world()
{
    return Scenario::fromJson(kWorld);
}

inline QJsonValue parseBody(const std::string& body)
{
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(body));
    return doc.isArray()    ? QJsonValue(doc.array())
           : doc.isObject() ? QJsonValue(doc.object())
                            : QJsonValue(QJsonValue::Undefined);
}

inline QJsonValue example(const QString& name)
{
    QFile file(QStringLiteral(NORVANE_SOURCE_DIR "/tests/data/github-examples/") + name +
               QStringLiteral(".json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
}

// A synchronous client for one hub, authenticated as `token` unless it is empty.
class Http
{
public:
    // Paths go out as written: GitHub's clients send "+" and ":" in queries unencoded.
    explicit Http(const FakeHub& hub) : m_client("127.0.0.1", hub.port()) { m_client.set_url_encode(false); }

    httplib::Result get(const std::string& path, const std::string& token = "t-mona")
    {
        httplib::Headers headers{{"Accept", "application/vnd.github.v3+json"}};
        if (!token.empty())
            headers.emplace("Authorization", "token " + token);
        return m_client.Get(path, headers);
    }

    QJsonValue json(const std::string& path, const std::string& token = "t-mona")
    {
        const auto result = get(path, token);
        EXPECT_TRUE(result) << path;
        if (!result)
            return {};
        EXPECT_EQ(result->status, 200) << path << ": " << result->body;
        return parseBody(result->body);
    }

    httplib::Result post(const std::string& path, const std::string& form)
    {
        return m_client.Post(path, {{"Accept", "application/json"}}, form,
                             "application/x-www-form-urlencoded");
    }

    int status(const std::string& path, const std::string& token = "t-mona")
    {
        const auto result = get(path, token);
        return result ? result->status : 0;
    }

    httplib::Client& client() { return m_client; }

private:
    httplib::Client m_client;
};

// The value at a path such as "items[0].user.login"; undefined when any step is missing.
inline QJsonValue at(QJsonValue value, const QString& path)
{
    for (const QString& step : path.split(QLatin1Char('.'), Qt::SkipEmptyParts)) {
        QString key = step;
        int index = -1;
        if (const qsizetype bracket = step.indexOf(QLatin1Char('[')); bracket >= 0) {
            key = step.left(bracket);
            index = step.mid(bracket + 1).chopped(1).toInt();
        }
        if (!key.isEmpty())
            value = value.toObject().value(key);
        if (index >= 0)
            value = value.toArray().at(index);
    }
    return value;
}

inline QString str(const QJsonValue& value, const char* path)
{
    return at(value, QLatin1String(path)).toString();
}

inline qint64 num(const QJsonValue& value, const char* path)
{
    return at(value, QLatin1String(path)).toInteger();
}

} // namespace norvane::fakehub::testing
