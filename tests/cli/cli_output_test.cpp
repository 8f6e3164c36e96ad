#include "cli/cli_output.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::cli;

TEST(CliOutput, TextTablesAlignTheirColumns)
{
    PullRequest a;
    a.number = 7;
    a.repository = u"o/r"_s;
    a.title = u"Short"_s;
    a.isYourPR = true;
    a.isDraft = true;
    a.approvalStatus = PullRequest::ApprovalStatus::changesRequested;
    PullRequest b = a;
    b.number = 1234;
    b.repository = u"long-owner/long-name"_s;
    b.title = u"Ünïcode ✓"_s;
    b.isYourPR = false;
    b.isDraft = false;
    b.reviewRequested = true;
    b.approvalStatus.reset();
    b.ciStatus = PullRequest::CIStatus::failure;
    EXPECT_EQ(pullRequestTable({a, b}),
              u"    #  REPOSITORY            REVIEW             CI       FLAGS       TITLE\n"
              "   #7  o/r                   changes_requested  -        mine,draft  Short\n"
              "#1234  long-owner/long-name  -                  failure  review      Ünïcode ✓\n"_s);
    EXPECT_EQ(pullRequestTable({}), u"No open pull requests.\n"_s);

    RepoSummary card;
    card.repository = u"o/r"_s;
    card.openPRCount = 2;
    EXPECT_EQ(dashboardText({card}), u"o/r\n  open pull requests: 2\n"_s);
    EXPECT_FALSE(toJson(card).contains(u"lastCommitAt"_s)); // absent: the key is left out
    card.environments = QStringList{u"production"_s, u"staging"_s};
    card.lastCommitAt = QDateTime(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);
    card.lastCommitMessage = u"Fix build"_s;
    card.recentDeploys = {DeployInfo{u"production"_s, DeployInfo::Status::inProgress,
                                     QDateTime(QDate(2026, 12, 6), QTime(10, 0), Qt::UTC),
                                     DeployInfo::Source::actions}};
    EXPECT_EQ(
        dashboardText({card}),
        u"o/r\n  open pull requests: 2\n  last commit: 2026-12-06T09:00:00Z  Fix build\n"
        "  environments: production, staging\n  deploy: 2026-12-06T10:00:00Z  production  in_progress (actions)\n"_s);
    const QJsonObject json = toJson(card);
    EXPECT_EQ(json.keys(), (QStringList{u"environments"_s, u"lastCommitAt"_s, u"lastCommitMessage"_s,
                                        u"openPRCount"_s, u"recentDeploys"_s, u"repository"_s}));
    EXPECT_EQ(json.value(u"environments"_s).toArray(), (QJsonArray{u"production"_s, u"staging"_s}));
    EXPECT_DOUBLE_EQ(json.value(u"lastCommitAt"_s).toDouble(), 818240400.0);
}
