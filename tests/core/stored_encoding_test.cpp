#include "core/stored_encoding.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;

TEST(StoredTimestamp, CountsFromTheReferenceDate)
{
    const std::pair<const char*, double> cases[] = {
        {"2001-01-01T00:00:00.000Z", 0.0},           {"2001-01-01T00:00:01.500Z", 1.5},
        {"2000-12-31T23:59:59.000Z", -1.0},          {"1970-01-01T00:00:00.000Z", -978307200.0},
        {"2026-12-05T18:53:52.001Z", 818189632.001},
    };
    for (const auto& [iso, seconds] : cases) {
        const QDateTime t = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
        ASSERT_TRUE(t.isValid()) << iso;
        EXPECT_NEAR(toStoredTimestamp(t), seconds, 1e-6) << iso;
        EXPECT_EQ(fromStoredTimestamp(seconds), t) << iso;
    }
}

TEST(StoredTimestamp, RoundTripsToTheMillisecondAndRejectsNonsense)
{
    const QDateTime base = QDateTime::fromString(u"2026-12-05T18:53:52Z"_s, Qt::ISODate);
    for (int ms : {0, 1, 7, 123, 499, 500, 999})
        EXPECT_EQ(fromStoredTimestamp(toStoredTimestamp(base.addMSecs(ms))), base.addMSecs(ms)) << ms;
    for (double bad :
         {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(), 1e300})
        EXPECT_FALSE(fromStoredTimestamp(bad).has_value()) << bad;
}

TEST(UuidText, UpperCaseCanonicalFormOnly)
{
    const QUuid id = QUuid::fromString(u"{e621e1f8-c36c-495a-93fc-0c247a3e6e5f}"_s);
    EXPECT_EQ(uuidText(id), u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_s);
    EXPECT_EQ(uuidText(QUuid::createUuid()).size(), 36);

    const std::pair<const char*, bool> cases[] = {
        {"E621E1F8-C36C-495A-93FC-0C247A3E6E5F", true},
        {"e621e1f8-c36c-495a-93fc-0c247a3e6e5f", true},
        {"00000000-0000-0000-0000-000000000000", true},
        {"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}", false},
        {"E621E1F8C36C495A93FC0C247A3E6E5F", false},
        {"E621E1F8-C36C-495A-93FC-0C247A3E6E5", false},
        {"G621E1F8-C36C-495A-93FC-0C247A3E6E5F", false},
        {"E621E1F8+C36C-495A-93FC-0C247A3E6E5F", false},
        {"", false},
    };
    for (const auto& [text, valid] : cases) {
        const auto parsed = uuidFromText(QString::fromLatin1(text));
        EXPECT_EQ(parsed.has_value(), valid) << text;
        if (valid && parsed && QString::fromLatin1(text).startsWith(u'e')) {
            EXPECT_EQ(*parsed, id);
        }
    }
}
