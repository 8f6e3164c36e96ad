#include "core/relative_time.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;

namespace {

TEST(RelativeTime, TheLargestWholeUnitInAbbreviatedEnglish)
{
    const QDateTime now(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);
    struct Case
    {
        qint64 secondsAgo;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0 sec. ago"},        {59, "59 sec. ago"},       {60, "1 min. ago"},
        {3599, "59 min. ago"},    {3600, "1 hr. ago"},       {2 * 3600 + 59 * 60, "2 hr. ago"},
        {86399, "23 hr. ago"},    {86400, "1 day ago"},      {6 * 86400, "6 days ago"},
        {7 * 86400, "1 wk. ago"}, {29 * 86400, "4 wk. ago"}, {-5 * 60, "in 5 min."},
        {-86400, "in 1 day"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(relativeTimeText(now.addSecs(-c.secondsAgo), now), QString::fromUtf8(c.expected))
            << c.secondsAgo;
}

TEST(RelativeTime, MonthsAndYearsFollowTheCalendar)
{
    const QDateTime now(QDate(2026, 3, 31), QTime(12, 0), Qt::UTC);
    const std::pair<const char*, const char*> cases[] = {
        {"2026-03-01T12:00:00Z", "4 wk. ago"}, {"2026-02-28T12:00:00Z", "1 mo. ago"},
        {"2026-01-31T12:00:00Z", "2 mo. ago"}, {"2026-01-31T12:01:00Z", "1 mo. ago"},
        {"2025-03-31T12:00:00Z", "1 yr. ago"}, {"2023-04-01T12:00:00Z", "2 yr. ago"},
        {"2027-05-01T12:00:00Z", "in 1 yr."},
    };
    for (const auto& [then, expected] : cases)
        EXPECT_EQ(relativeTimeText(QDateTime::fromString(QLatin1String(then), Qt::ISODate), now),
                  QLatin1String(expected))
            << then;
}

} // namespace
