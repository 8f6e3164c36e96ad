#include "cli/overlay_preferences.h"

#include <gtest/gtest.h>

using namespace norvane;

TEST(OverlayPreferences, ReadsThroughAndKeepsWritesToItself)
{
    auto base = std::make_shared<InMemoryPreferences>();
    base->setString(QStringLiteral("selected_repository"), QStringLiteral("acme/api"));
    base->setData(QStringLiteral("pr_seen_states_X"), QByteArrayLiteral("{}"));
    base->setStringList(QStringLiteral("blocked_repositories"), {QStringLiteral("spam")});
    OverlayPreferences overlay(base);

    EXPECT_EQ(overlay.string(QStringLiteral("selected_repository")), QStringLiteral("acme/api"));
    overlay.remove(QStringLiteral("selected_repository"));
    overlay.setData(QStringLiteral("pr_seen_states_X"), QByteArrayLiteral("{\"gh-1\":{}}"));
    overlay.setStringList(QStringLiteral("favorite_repositories"), {QStringLiteral("a/b")});

    EXPECT_FALSE(overlay.string(QStringLiteral("selected_repository")).has_value());
    EXPECT_EQ(overlay.data(QStringLiteral("pr_seen_states_X")), QByteArrayLiteral("{\"gh-1\":{}}"));
    EXPECT_EQ(overlay.keys(), (QStringList{QStringLiteral("blocked_repositories"), QStringLiteral("favorite_repositories"),
                                           QStringLiteral("pr_seen_states_X")}));
    // The store underneath is exactly as it was.
    EXPECT_EQ(base->string(QStringLiteral("selected_repository")), QStringLiteral("acme/api"));
    EXPECT_EQ(base->data(QStringLiteral("pr_seen_states_X")), QByteArrayLiteral("{}"));
    EXPECT_EQ(base->keys().size(), 3);

    // A key removed and then written again reads the new value.
    overlay.setString(QStringLiteral("selected_repository"), QStringLiteral("acme/web"));
    EXPECT_EQ(overlay.string(QStringLiteral("selected_repository")), QStringLiteral("acme/web"));
}
