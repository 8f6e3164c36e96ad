#include "core/activity_records.h"
#include "core/json_reader.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;

TEST(ActivityRecords, IssueAndDeployRoundTripWithTheirKeys)
{
    const GitHubIssue issue{u"issue-o/r-9"_s,
                            9,
                            u"Crash on start"_s,
                            u"https://github.com/o/r/issues/9"_s,
                            u"o/r"_s,
                            u"octocat"_s,
                            QDateTime::fromMSecsSinceEpoch(1'700'000'000'123, Qt::UTC),
                            QDateTime::fromMSecsSinceEpoch(1'700'000'100'456, Qt::UTC),
                            {u"bug"_s, u"p1"_s},
                            4};
    const QJsonObject json = toJson(issue);
    QStringList keys = json.keys();
    keys.sort();
    EXPECT_EQ(keys.join(u','),
              u"author,commentCount,createdAt,id,labels,number,repository,title,updatedAt,url"_s);
    EXPECT_EQ(gitHubIssueFromJson(json), issue);
    GitHubIssue anonymous = issue;
    anonymous.author.reset();
    EXPECT_FALSE(toJson(anonymous).contains(u"author"_s));
    EXPECT_EQ(gitHubIssueFromJson(toJson(anonymous)), anonymous);

    for (auto status : {DeployInfo::Status::success, DeployInfo::Status::failure, DeployInfo::Status::pending,
                        DeployInfo::Status::inProgress, DeployInfo::Status::unknown}) {
        for (auto source : {DeployInfo::Source::deployments, DeployInfo::Source::actions}) {
            const DeployInfo d{u"production"_s, status,
                               QDateTime::fromMSecsSinceEpoch(1'700'000'000'001, Qt::UTC), source};
            EXPECT_EQ(deployInfoFromJson(toJson(d)), d);
        }
    }
    EXPECT_EQ(toJson(DeployInfo{u"e"_s, DeployInfo::Status::inProgress, QDateTime::currentDateTimeUtc(),
                                DeployInfo::Source::actions})
                  .value(u"status"_s)
                  .toString(),
              u"in_progress"_s);
}

TEST(ActivityRecords, DecodeRejectsUnknownRawValuesAndMissingKeys)
{
    QJsonObject deploy{{u"environment"_s, u"prod"_s},
                       {u"status"_s, u"inProgress"_s},
                       {u"deployedAt"_s, 1.0},
                       {u"source"_s, u"actions"_s}};
    const auto failure = [](const std::function<void()>& f) -> std::string {
        try {
            f();
        } catch (const DecodeError& e) {
            return e.what();
        }
        return "(decoded)";
    };
    EXPECT_EQ(failure([&] { deployInfoFromJson(deploy); }),
              "key \"status\": \"inProgress\" is not a known value");
    deploy.insert(u"status"_s, u"in_progress"_s);
    deploy.insert(u"source"_s, u"github"_s);
    EXPECT_EQ(failure([&] { deployInfoFromJson(deploy); }),
              "key \"source\": \"github\" is not a known value");

    QJsonObject issue = toJson(GitHubIssue{u"i"_s,
                                           1,
                                           u"t"_s,
                                           u"u"_s,
                                           u"o/r"_s,
                                           std::nullopt,
                                           QDateTime::currentDateTimeUtc(),
                                           QDateTime::currentDateTimeUtc(),
                                           {},
                                           0});
    issue.remove(u"labels"_s);
    EXPECT_EQ(failure([&] { gitHubIssueFromJson(issue); }), "key \"labels\": missing");
    issue.insert(u"labels"_s, QJsonValue::Null);
    EXPECT_EQ(failure([&] { gitHubIssueFromJson(issue); }), "key \"labels\": expected an array, found null");
}
