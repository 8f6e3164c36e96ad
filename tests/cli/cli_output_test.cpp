#include "cli/cli_output.h"

#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::cli;

TEST(CliOutput, TextTablesAlignTheirColumns)
{
    PullRequest a;
    a.number = 7;
    a.repository = QStringLiteral("o/r");
    a.title = QStringLiteral("Short");
    a.isYourPR = true;
    a.isDraft = true;
    a.approvalStatus = PullRequest::ApprovalStatus::changesRequested;
    PullRequest b = a;
    b.number = 1234;
    b.repository = QStringLiteral("long-owner/long-name");
    b.title = QStringLiteral("Ünïcode ✓");
    b.isYourPR = false;
    b.isDraft = false;
    b.reviewRequested = true;
    b.approvalStatus.reset();
    b.ciStatus = PullRequest::CIStatus::failure;
    EXPECT_EQ(pullRequestTable({a, b}),
              QStringLiteral("    #  REPOSITORY            REVIEW             CI       FLAGS       TITLE\n"
                             "   #7  o/r                   changes_requested  -        mine,draft  Short\n"
                             "#1234  long-owner/long-name  -                  failure  review      Ünïcode ✓\n"));
    EXPECT_EQ(pullRequestTable({}), QStringLiteral("No open pull requests.\n"));

    RepoSummary card;
    card.repository = QStringLiteral("o/r");
    card.openPRCount = 2;
    EXPECT_EQ(dashboardText({card}), QStringLiteral("o/r\n  open pull requests: 2\n"));
    card.lastCommitAt = QDateTime(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);
    card.lastCommitMessage = QStringLiteral("Fix build");
    card.recentDeploys = {DeployInfo{QStringLiteral("production"), DeployInfo::Status::inProgress,
                                     QDateTime(QDate(2026, 12, 6), QTime(10, 0), Qt::UTC), DeployInfo::Source::actions}};
    EXPECT_EQ(dashboardText({card}),
              QStringLiteral("o/r\n  open pull requests: 2\n  last commit: 2026-12-06T09:00:00Z  Fix build\n"
                             "  deploy: 2026-12-06T10:00:00Z  production  in_progress (actions)\n"));
    const QJsonObject json = toJson(card);
    EXPECT_EQ(json.keys(), (QStringList{QStringLiteral("lastCommitAt"), QStringLiteral("lastCommitMessage"),
                                        QStringLiteral("openPRCount"), QStringLiteral("recentDeploys"),
                                        QStringLiteral("repository")}));
    EXPECT_DOUBLE_EQ(json.value(QStringLiteral("lastCommitAt")).toDouble(), 818240400.0);
}
