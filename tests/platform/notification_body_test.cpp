#include "platform/dbus_notifier.h"
#include "platform/notifier.h"

#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

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
        {u"octo/hello"_s, u"'Fix' is ready"_s, false, u"octo/hello\n'Fix' is ready"_s},
        {std::nullopt, u"plain"_s, false, u"plain"_s},
        {QString(), u"empty subtitle"_s, false, u"empty subtitle"_s},
        {u"a&b/<c>"_s, u"<b>bold</b> & \"q\""_s, true,
         u"a&amp;b/&lt;c&gt;\n&lt;b&gt;bold&lt;/b&gt; &amp; &quot;q&quot;"_s},
        {u"a&b/<c>"_s, u"<b>x</b>"_s, false, u"a&b/<c>\n<b>x</b>"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        NotificationRequest r{u"id"_s, u"t"_s, c.subtitle, c.body, std::nullopt, true};
        EXPECT_EQ(notificationBody(r, c.markup), c.expected);
    }
}

} // namespace
