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
        {"today 09:30", QDateTime(localDay, QTime(9, 30)).toUTC()},
        {"today -1m", std::max(now.addSecs(-60), localMidnight)},
        // A large offset stays on today's date instead of falling into yesterday.
        {"today -30h", localMidnight},
        {"2026-01-02T03:04:05", std::nullopt}, // no zone: ambiguous
        {"-2x", std::nullopt},
        {"2h", std::nullopt},
        {"today 25:00", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        const auto got = parseScenarioTime(QString::fromUtf8(text), now);
        EXPECT_EQ(got, expected) << text << " gave " << (got ? gitHubTime(*got).toStdString() : "nothing");
    }
    EXPECT_EQ(gitHubTime(now.addMSecs(999)), u"2026-12-06T12:00:00Z"_s);
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
