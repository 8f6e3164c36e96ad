#include "core/relative_time.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(relativeTimeText(QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC), now),
              QStringLiteral("4 wk. ago"));
    EXPECT_EQ(relativeTimeText(QDateTime(QDate(2026, 2, 28), QTime(12, 0), Qt::UTC), now),
              QStringLiteral("1 mo. ago"));
    EXPECT_EQ(relativeTimeText(QDateTime(QDate(2026, 1, 31), QTime(12, 0), Qt::UTC), now),
              QStringLiteral("2 mo. ago"));
    EXPECT_EQ(relativeTimeText(QDateTime(QDate(2026, 1, 31), QTime(12, 1), Qt::UTC), now),
              QStringLiteral("1 mo. ago"));
    EXPECT_EQ(relativeTimeText(QDateTime(QDate(2025, 3, 31), QTime(12, 0), Qt::UTC), now),
              QStringLiteral("1 yr. ago"));
    EXPECT_EQ(relativeTimeText(QDateTime(QDate(2023, 4, 1), QTime(12, 0), Qt::UTC), now),
              QStringLiteral("2 yr. ago"));
    EXPECT_EQ(relativeTimeText(QDateTime(QDate(2027, 5, 1), QTime(12, 0), Qt::UTC), now),
              QStringLiteral("in 1 yr."));
}

} // namespace
