#include "platform/dbus_notifier.h"
#include "platform/notifier.h"

#include <gtest/gtest.h>

using namespace norvane;

namespace {

TEST(NotificationBody, TheSubtitleStandsAboveTheBodyAndMarkupIsEscapedOnlyForMarkupServices)
{
    struct Case
    {
        std::optional<QString> subtitle;
        QString body;
        bool markup;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("octo/hello"), QStringLiteral("'Fix' is ready"), false,
         QStringLiteral("octo/hello\n'Fix' is ready")},
        {std::nullopt, QStringLiteral("plain"), false, QStringLiteral("plain")},
        {QString(), QStringLiteral("empty subtitle"), false, QStringLiteral("empty subtitle")},
        {QStringLiteral("a&b/<c>"), QStringLiteral("<b>bold</b> & \"q\""), true,
         QStringLiteral("a&amp;b/&lt;c&gt;\n&lt;b&gt;bold&lt;/b&gt; &amp; &quot;q&quot;")},
        {QStringLiteral("a&b/<c>"), QStringLiteral("<b>x</b>"), false, QStringLiteral("a&b/<c>\n<b>x</b>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        NotificationRequest r{
            QStringLiteral("id"), QStringLiteral("t"), c.subtitle, c.body, std::nullopt, true};
        EXPECT_EQ(notificationBody(r, c.markup), c.expected);
    }
}

} // namespace
