#include "support.h"

#include <QJsonDocument>
#include <QTimeZone>

using namespace norvane::fakehub;
using namespace norvane::fakehub::testing;

TEST(ScenarioTime, ResolvesEveryFormAgainstNow)
{
    const QDateTime now = QDateTime::fromString(u"2026-12-06T12:00:00Z"_s, Qt::ISODate);
    const QDate localDay = now.toLocalTime().date();
    const QDateTime localMidnight = localDay.startOfDay().toUTC();
    const std::pair<const char*, std::optional<QDateTime>> cases[] = {
        {"2026-01-02T03:04:05Z", QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone::utc())},
        {"2026-01-02T03:04:05.250+02:00",
         QDateTime(QDate(2026, 1, 2), QTime(1, 4, 5, 250), QTimeZone::utc())},
        {"now", now},
        {" -2h ", now.addSecs(-7200)},
        {"-1d3h30m", now.addSecs(-(86400 + 3 * 3600 + 1800))},
        {"-1w", now.addDays(-7)},
        {"-45s", now.addSecs(-45)},
        {"today 09:30", QDateTime(localDay, QTime(9, 30)).toUTC()},
        {"today 23:59:58", QDateTime(localDay, QTime(23, 59, 58)).toUTC()},
        {"today -1m", std::max(now.addSecs(-60), localMidnight)},
        // A large offset stays on today's date instead of falling into yesterday.
        {"today -30h", localMidnight},
        {"2026-01-02T03:04:05", std::nullopt}, // no zone: ambiguous
        {"-2x", std::nullopt},
        {"-h", std::nullopt},
        {"2h", std::nullopt},
        {"today 25:00", std::nullopt},
        {"yesterday", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        const auto got = parseScenarioTime(QString::fromUtf8(text), now);
        EXPECT_EQ(got, expected) << text << " gave " << (got ? gitHubTime(*got).toStdString() : "nothing");
    }
    EXPECT_EQ(gitHubTime(now.addMSecs(999)), u"2026-12-06T12:00:00Z"_s);
}

TEST(Scenario, DemoWorldCoversEveryStateTheClientShows)
{
    const Scenario s = Scenario::fromFile(demoPath());
    EXPECT_GE(s.repositories.size(), 6);
    EXPECT_GE(s.pullRequests.size(), 25);
    QSet<QString> reviewStates, checkOutcomes, statusStates;
    int drafts = 0, multiLineChangeRequests = 0, stillRequested = 0;
    for (const PullRequest& pr : s.pullRequests) {
        drafts += pr.draft ? 1 : 0;
        stillRequested += pr.requestedReviewers.isEmpty() ? 0 : 1;
        for (const Review& r : pr.reviews) {
            reviewStates.insert(r.state);
            multiLineChangeRequests += r.state == u"CHANGES_REQUESTED"_s && r.body.contains(u'\n');
        }
        const auto& checks = s.repository(pr.repository)->checks;
        if (const auto it = checks.find(pr.headSha); it != checks.end()) {
            for (const CheckRun& run : it->second.checkRuns)
                checkOutcomes.insert(run.conclusion.value_or(run.status));
            for (const CommitStatus& st : it->second.statuses)
                statusStates.insert(st.state);
        }
    }
    EXPECT_GE(drafts, 2);
    EXPECT_GE(multiLineChangeRequests, 2);
    EXPECT_GE(stillRequested, 5);
    for (const char* state : {"APPROVED", "CHANGES_REQUESTED", "COMMENTED"})
        EXPECT_TRUE(reviewStates.contains(QLatin1String(state))) << state;
    for (const char* outcome : {"success", "failure", "in_progress", "queued", "timed_out"})
        EXPECT_TRUE(checkOutcomes.contains(QLatin1String(outcome))) << outcome;
    for (const char* state : {"success", "pending", "error"})
        EXPECT_TRUE(statusStates.contains(QLatin1String(state))) << state;

    // Deploys and workflow runs of "today" are on the local day the demo runs, whenever that is.
    const QDate today = QDate::currentDate();
    int deploysToday = 0, runsToday = 0, issues = 0, commits = 0, environments = 0;
    for (const Repository& r : s.repositories) {
        for (const Deployment& d : r.deployments)
            deploysToday += d.createdAt.toLocalTime().date() == today;
        for (const WorkflowRun& w : r.workflowRuns)
            runsToday += w.createdAt.toLocalTime().date() == today;
        issues += static_cast<int>(r.issues.size());
        commits += static_cast<int>(r.commits.size());
        environments += static_cast<int>(r.environments.size());
    }
    EXPECT_GE(deploysToday, 4);
    EXPECT_GE(runsToday, 5);
    EXPECT_GE(issues, 5);
    EXPECT_GE(commits, 6);
    EXPECT_GE(environments, 6);
}

TEST(Scenario, GeneratorMakesExactlyNPullRequestsThatAllLoad)
{
    for (const int n : {0, 1, 7, 250}) {
        const Scenario s = Scenario::fromJson(QJsonDocument(generateScenarioJson(n)).toJson());
        EXPECT_EQ(s.pullRequests.size(), n);
        QSet<QString> keys;
        int involvingBench = 0;
        for (const PullRequest& pr : s.pullRequests) {
            keys.insert(pr.repository + QString::number(pr.number));
            involvingBench += pr.author == u"bench"_s || pr.requestedReviewers.contains(u"bench"_s) ||
                              pr.assignees.contains(u"bench"_s);
        }
        EXPECT_EQ(keys.size(), n) << "pull requests must have distinct numbers";
        EXPECT_EQ(involvingBench, n);
        EXPECT_NE(s.userByToken(u"bench-token"_s), nullptr);
    }
    EXPECT_EQ(generateScenarioJson(40), generateScenarioJson(40)) << "the generator is deterministic";
}
