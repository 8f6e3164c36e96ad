#include "ui/activity/activity_content.h"
#include "ui/activity/issue_row_view.h"
#include "ui/ui_support.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::ui;
using Status = DeployInfo::Status;

namespace {

const QDateTime kNow(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);

GitHubIssue issue(qsizetype labels, qint64 comments, std::optional<QString> author = u"alice"_s)
{
    GitHubIssue i;
    i.id = u"issue-acme/api-1"_s;
    i.number = 17;
    i.title = u"Crash when the cache is cold"_s;
    i.url = u"https://github.com/acme/api/issues/17"_s;
    i.repository = u"acme/api"_s;
    i.author = std::move(author);
    i.createdAt = kNow.addDays(-3);
    i.updatedAt = kNow.addSecs(-2 * 3600);
    for (qsizetype n = 1; n <= labels; ++n)
        i.labels.append(u"label-%1"_s.arg(n));
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
        {3, 1, 3, std::nullopt, u"1"_s},
        {5, 120, 3, u"+2"_s, u"120"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.labels);
        const IssueRowContent row = issueRowContent(issue(c.labels, c.comments), kNow);
        ASSERT_EQ(row.chips.size(), c.chips);
        for (qsizetype n = 0; n < c.chips; ++n)
            EXPECT_EQ(row.chips[n], u"label-%1"_s.arg(n + 1)) << "the first labels, in order";
        EXPECT_EQ(row.moreLabels, c.more);
        EXPECT_EQ(row.comments, c.bubble);
    }
}

RepoSummary summary(qint64 prs, qsizetype deploys, std::optional<qsizetype> environments,
                    std::optional<QString> commit)
{
    RepoSummary s;
    s.repository = u"acme/api"_s;
    s.openPRCount = prs;
    if (commit) {
        s.lastCommitAt = kNow.addSecs(-5 * 60);
        s.lastCommitMessage = commit;
    }
    const Status statuses[] = {Status::success, Status::failure, Status::inProgress, Status::pending};
    for (qsizetype n = 0; n < deploys; ++n)
        s.recentDeploys.append(DeployInfo{u"env-%1"_s.arg(n), statuses[n % 4], kNow.addSecs(-n),
                                          DeployInfo::Source::deployments});
    if (environments) {
        s.environments = QStringList{};
        for (qsizetype n = 1; n <= *environments; ++n)
            s.environments->append(u"e%1"_s.arg(n));
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
         u"5 min. ago"_s,
         {},
         {},
         {},
         u"e1 · e2 · e3 · e4"_s,
         {}},
        {"five deploys, six environments",
         summary(2, 5, 6, u"Ship"_s),
         "2 open PRs",
         u"5 min. ago"_s,
         u"\"Ship\""_s,
         u"Deploys today: 5"_s,
         {u"env-0"_s, u"env-1"_s, u"env-2"_s},
         u"e1 · e2 · e3 · e4"_s,
         u"+2"_s},
        {"an empty environment list", summary(0, 0, 0, std::nullopt), "0 open PRs", {}, {}, {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RepoCardContent card = cardContent(c.summary, kNow);
        EXPECT_EQ(card.repository, u"acme/api"_s);
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
        {"a full card", spokenCard(cardContent(summary(2, 5, 6, u"Ship"_s), kNow)), "acme/api",
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
        {"https://github.com", QUrl(u"https://github.com/acme/api"_s)},
        {"https://ghe.example.com/", QUrl(u"https://ghe.example.com/acme/api"_s)},
        {"file:///tmp", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(repositoryPage(QString::fromLatin1(c.base), u"acme/api"_s), c.page) << c.base;
}

TEST(IssueRowLayout, LongTextsAreCutInsideTheRowAndTheHeightIsWhatTheListWasTold)
{
    const QPalette palette = norvane::testing::lightPalette();
    for (qsizetype labels : {0, 5}) {
        GitHubIssue long_ = issue(labels, 7);
        long_.title = QString(300, u'w');
        long_.author = QString(120, u'a');
        for (QString& label : long_.labels)
            label = QString(80, u'l');
        const IssueRowContent row = issueRowContent(long_, kNow);
        for (qreal width : {320.0, 560.0}) {
            const RowLayout layout = layoutIssueRow(row, palette, width);
            EXPECT_EQ(layout.height, issueRowHeight(labels > 0));
            bool plus = false, count = false;
            for (const RowPiece& piece : layout.pieces) {
                EXPECT_LE(piece.rect.right(), width - 12 + 0.5) << piece.text.toStdString();
                EXPECT_LE(piece.rect.bottom(), layout.height);
                plus = plus || piece.text.startsWith(u'+');
                count = count || piece.text == u"7"_s;
            }
            EXPECT_EQ(plus, labels > 3) << "the \"+N\" is never squeezed out";
            EXPECT_TRUE(count) << "nor is the comment count";
        }
    }
}

} // namespace
