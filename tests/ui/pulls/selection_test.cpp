#include "ui/pulls/list_selection.h"

#include <gtest/gtest.h>

using namespace norvane::ui;

namespace {

TEST(ListSelection, StepsClampAtTheEndsAndUnknownSelectionsStartAtTheTop)
{
    const QStringList three{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    using Step = std::optional<QString> (*)(const QStringList&, const std::optional<QString>&);
    struct Case
    {
        Step step;
        QStringList ids;
        std::optional<QString> current;
        std::optional<QString> expected;
    };
    const std::optional<QString> none;
    const auto id = [](const char* s) { return std::optional<QString>(QString::fromLatin1(s)); };
    const Case cases[] = {
        {nextSelection, three, id("a"), id("b")},        {nextSelection, three, id("c"), id("c")},
        {nextSelection, three, id("gone"), id("a")},     {nextSelection, {}, none, none},
        {previousSelection, three, id("c"), id("b")},    {previousSelection, three, id("a"), id("a")},
        {previousSelection, three, id("gone"), id("a")}, {validSelection, three, id("b"), id("b")},
        {validSelection, three, id("gone"), id("a")},    {validSelection, {}, id("b"), none},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.step(c.ids, c.current), c.expected)
            << c.current.value_or(QStringLiteral("-")).toStdString();
}

} // namespace
