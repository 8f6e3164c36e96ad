#include "core/activity_records.h"
#include "core/json_reader.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace norvane;

TEST(ActivityRecords, IssueAndDeployRoundTripWithTheirKeys)
{
    const GitHubIssue issue{QStringLiteral("issue-o/r-9"),
                            9,
                            QStringLiteral("Crash on start"),
                            QStringLiteral("https://github.com/o/r/issues/9"),
                            QStringLiteral("o/r"),
                            QStringLiteral("octocat"),
                            QDateTime::fromMSecsSinceEpoch(1'700'000'000'123, Qt::UTC),
                            QDateTime::fromMSecsSinceEpoch(1'700'000'100'456, Qt::UTC),
                            {QStringLiteral("bug"), QStringLiteral("p1")},
                            4};
    const QJsonObject json = toJson(issue);
    QStringList keys = json.keys();
    keys.sort();
    EXPECT_EQ(keys.join(QLatin1Char(',')),
              QStringLiteral("author,commentCount,createdAt,id,labels,number,repository,title,updatedAt,url"));
    EXPECT_EQ(gitHubIssueFromJson(json), issue);
    GitHubIssue anonymous = issue;
    anonymous.author.reset();
    EXPECT_FALSE(toJson(anonymous).contains(QStringLiteral("author")));
    EXPECT_EQ(gitHubIssueFromJson(toJson(anonymous)), anonymous);

    for (auto status : {DeployInfo::Status::success, DeployInfo::Status::failure, DeployInfo::Status::pending,
                        DeployInfo::Status::inProgress, DeployInfo::Status::unknown}) {
        for (auto source : {DeployInfo::Source::deployments, DeployInfo::Source::actions}) {
            const DeployInfo d{QStringLiteral("production"), status,
                               QDateTime::fromMSecsSinceEpoch(1'700'000'000'001, Qt::UTC), source};
            EXPECT_EQ(deployInfoFromJson(toJson(d)), d);
        }
    }
    EXPECT_EQ(toJson(DeployInfo{QStringLiteral("e"), DeployInfo::Status::inProgress, QDateTime::currentDateTimeUtc(),
                                DeployInfo::Source::actions})
                  .value(QStringLiteral("status"))
                  .toString(),
              QStringLiteral("in_progress"));
}

TEST(ActivityRecords, DecodeRejectsUnknownRawValuesAndMissingKeys)
{
    QJsonObject deploy{{QStringLiteral("environment"), QStringLiteral("prod")},
                       {QStringLiteral("status"), QStringLiteral("inProgress")},
                       {QStringLiteral("deployedAt"), 1.0},
                       {QStringLiteral("source"), QStringLiteral("actions")}};
    const auto failure = [](const std::function<void()>& f) -> std::string {
        try {
            f();
        } catch (const DecodeError& e) {
            return e.what();
        }
        return "(decoded)";
    };
    EXPECT_EQ(failure([&] { deployInfoFromJson(deploy); }), "key \"status\": \"inProgress\" is not a known value");
    deploy.insert(QStringLiteral("status"), QStringLiteral("in_progress"));
    deploy.insert(QStringLiteral("source"), QStringLiteral("github"));
    EXPECT_EQ(failure([&] { deployInfoFromJson(deploy); }), "key \"source\": \"github\" is not a known value");

    QJsonObject issue = toJson(GitHubIssue{QStringLiteral("i"), 1, QStringLiteral("t"), QStringLiteral("u"),
                                           QStringLiteral("o/r"), std::nullopt, QDateTime::currentDateTimeUtc(),
                                           QDateTime::currentDateTimeUtc(), {}, 0});
    issue.remove(QStringLiteral("labels"));
    EXPECT_EQ(failure([&] { gitHubIssueFromJson(issue); }), "key \"labels\": missing");
    issue.insert(QStringLiteral("labels"), QJsonValue::Null);
    EXPECT_EQ(failure([&] { gitHubIssueFromJson(issue); }), "key \"labels\": expected an array, found null");
}
