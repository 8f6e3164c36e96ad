#include "ui/activity/activity_content.h"
#include "ui/activity/issue_row_view.h"
#include "ui/ui_support.h"

#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::ui;
using Status = DeployInfo::Status;

namespace {

const QDateTime kNow(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);

GitHubIssue issue(qsizetype labels, qint64 comments, std::optional<QString> author = QStringLiteral("alice"))
{
    GitHubIssue i;
    i.id = QStringLiteral("issue-acme/api-1");
    i.number = 17;
    i.title = QStringLiteral("Crash when the cache is cold");
    i.url = QStringLiteral("https://github.com/acme/api/issues/17");
    i.repository = QStringLiteral("acme/api");
    i.author = std::move(author);
    i.createdAt = kNow.addDays(-3);
    i.updatedAt = kNow.addSecs(-2 * 3600);
    for (qsizetype n = 1; n <= labels; ++n)
        i.labels.append(QStringLiteral("label-%1").arg(n));
    i.commentCount = comments;
    return i;
}

TEST(IssueRowContent, ChipsStopAtThreeAndTheBubbleNeedsAComment)
{
    struct Case
    {
        qsizetype labels;
        qint64 comments;
        qsizetype chips;
        std::optional<QString> more;
        std::optional<QString> bubble;
    };
    const Case cases[] = {
        {0, 0, 0, std::nullopt, std::nullopt},
        {3, 1, 3, std::nullopt, QStringLiteral("1")},
        {5, 120, 3, QStringLiteral("+2"), QStringLiteral("120")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.labels);
        const IssueRowContent row = issueRowContent(issue(c.labels, c.comments), kNow);
        ASSERT_EQ(row.chips.size(), c.chips);
        for (qsizetype n = 0; n < c.chips; ++n)
            EXPECT_EQ(row.chips[n], QStringLiteral("label-%1").arg(n + 1)) << "the first labels, in order";
        EXPECT_EQ(row.moreLabels, c.more);
        EXPECT_EQ(row.comments, c.bubble);
    }
}

RepoSummary summary(qint64 prs, qsizetype deploys, std::optional<qsizetype> environments,
                    std::optional<QString> commit)
{
    RepoSummary s;
    s.repository = QStringLiteral("acme/api");
    s.openPRCount = prs;
    if (commit) {
        s.lastCommitAt = kNow.addSecs(-5 * 60);
        s.lastCommitMessage = commit;
    }
    const Status statuses[] = {Status::success, Status::failure, Status::inProgress, Status::pending};
    for (qsizetype n = 0; n < deploys; ++n)
        s.recentDeploys.append(DeployInfo{QStringLiteral("env-%1").arg(n), statuses[n % 4], kNow.addSecs(-n),
                                          DeployInfo::Source::deployments});
    if (environments) {
        s.environments = QStringList{};
        for (qsizetype n = 1; n <= *environments; ++n)
            s.environments->append(QStringLiteral("e%1").arg(n));
    }
    return s;
}

TEST(RepoCardContent, CountsDeploysEnvironmentsAndTheCommitLine)
{
    using Q = std::optional<QString>;
    struct Case
    {
        const char* name;
        RepoSummary summary;
        QString prs;
        Q time, quote, deploys;
        QStringList badges;
        Q environments, more;
    };
    const Case cases[] = {
        {"bare", summary(1, 0, std::nullopt, std::nullopt), "1 open PR", {}, {}, {}, {}, {}, {}},
        {"empty commit message",
         summary(12, 0, 4, QString()),
         "12 open PRs",
         QStringLiteral("5 min. ago"),
         {},
         {},
         {},
         QStringLiteral("e1 · e2 · e3 · e4"),
         {}},
        {"five deploys, six environments",
         summary(2, 5, 6, QStringLiteral("Ship")),
         "2 open PRs",
         QStringLiteral("5 min. ago"),
         QStringLiteral("\"Ship\""),
         QStringLiteral("Deploys today: 5"),
         {QStringLiteral("env-0"), QStringLiteral("env-1"), QStringLiteral("env-2")},
         QStringLiteral("e1 · e2 · e3 · e4"),
         QStringLiteral("+2")},
        {"an empty environment list", summary(0, 0, 0, std::nullopt), "0 open PRs", {}, {}, {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RepoCardContent card = cardContent(c.summary, kNow);
        EXPECT_EQ(card.repository, QStringLiteral("acme/api"));
        EXPECT_EQ(card.openPRs, c.prs);
        EXPECT_EQ(card.commitTime, c.time);
        EXPECT_EQ(card.commitQuote, c.quote);
        EXPECT_EQ(card.deploys, c.deploys);
        QStringList badges;
        for (const DeployBadge& badge : card.badges)
            badges.append(badge.environment);
        EXPECT_EQ(badges, c.badges);
        EXPECT_EQ(card.environments, c.environments);
        EXPECT_EQ(card.moreEnvironments, c.more);
    }
}

TEST(SpokenText, IssueRowsAndCardsSayWhatIsShown)
{
    struct Case
    {
        const char* name;
        SpokenText spoken;
        QString expectedName;
        QString description;
    };
    const Case cases[] = {
        {"a bare issue", spokenIssueRow(issueRowContent(issue(0, 0, std::nullopt), kNow)),
         "acme/api #17, Crash when the cache is cold", "2 hr. ago"},
        {"one comment, two labels", spokenIssueRow(issueRowContent(issue(2, 1), kNow)),
         "acme/api #17, Crash when the cache is cold",
         "Author: alice. 2 hr. ago. 1 comment. Labels: label-1, label-2"},
        {"five labels", spokenIssueRow(issueRowContent(issue(5, 4), kNow)),
         "acme/api #17, Crash when the cache is cold",
         "Author: alice. 2 hr. ago. 4 comments. Labels: label-1, label-2, label-3 and 2 more"},
        {"a full card", spokenCard(cardContent(summary(2, 5, 6, QStringLiteral("Ship")), kNow)), "acme/api",
         "2 open PRs. Last commit 5 min. ago: \"Ship\". Deploys today: 5. Latest: env-0 succeeded, env-1 "
         "failed, env-2 in progress. Environments: e1, e2, e3, e4 and 2 more"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.spoken.name, c.expectedName);
        EXPECT_EQ(c.spoken.description, c.description);
    }
}

TEST(RepositoryPage, TheFullNameIsThePathOnTheWebHost)
{
    struct Case
    {
        const char* base;
        std::optional<QUrl> page;
    };
    const Case cases[] = {
        {"https://github.com", QUrl(QStringLiteral("https://github.com/acme/api"))},
        {"https://ghe.example.com/", QUrl(QStringLiteral("https://ghe.example.com/acme/api"))},
        {"file:///tmp", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(repositoryPage(QString::fromLatin1(c.base), QStringLiteral("acme/api")), c.page) << c.base;
}

TEST(IssueRowLayout, LongTextsAreCutInsideTheRowAndTheHeightIsWhatTheListWasTold)
{
    const QPalette palette = norvane::testing::lightPalette();
    for (qsizetype labels : {0, 5}) {
        GitHubIssue long_ = issue(labels, 7);
        long_.title = QString(300, QLatin1Char('w'));
        long_.author = QString(120, QLatin1Char('a'));
        for (QString& label : long_.labels)
            label = QString(80, QLatin1Char('l'));
        const IssueRowContent row = issueRowContent(long_, kNow);
        for (qreal width : {320.0, 560.0}) {
            const RowLayout layout = layoutIssueRow(row, palette, width);
            EXPECT_EQ(layout.height, issueRowHeight(labels > 0));
            bool plus = false, count = false;
            for (const RowPiece& piece : layout.pieces) {
                EXPECT_LE(piece.rect.right(), width - 12 + 0.5) << piece.text.toStdString();
                EXPECT_LE(piece.rect.bottom(), layout.height);
                plus = plus || piece.text.startsWith(QLatin1Char('+'));
                count = count || piece.text == QStringLiteral("7");
            }
            EXPECT_EQ(plus, labels > 3) << "the \"+N\" is never squeezed out";
            EXPECT_TRUE(count) << "nor is the comment count";
        }
    }
}

} // namespace
