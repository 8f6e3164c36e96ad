#include "cli/overlay_preferences.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;

TEST(OverlayPreferences, ReadsThroughAndKeepsWritesToItself)
{
    auto base = std::make_shared<InMemoryPreferences>();
    base->setString(u"selected_repository"_s, u"acme/api"_s);
    base->setData(u"pr_seen_states_X"_s, QByteArrayLiteral("{}"));
    base->setStringList(u"blocked_repositories"_s, {u"spam"_s});
    OverlayPreferences overlay(base);

    EXPECT_EQ(overlay.string(u"selected_repository"_s), u"acme/api"_s);
    overlay.remove(u"selected_repository"_s);
    overlay.setData(u"pr_seen_states_X"_s, QByteArrayLiteral("{\"gh-1\":{}}"));
    overlay.setStringList(u"favorite_repositories"_s, {u"a/b"_s});

    EXPECT_FALSE(overlay.string(u"selected_repository"_s).has_value());
    EXPECT_EQ(overlay.data(u"pr_seen_states_X"_s), QByteArrayLiteral("{\"gh-1\":{}}"));
    EXPECT_EQ(overlay.keys(),
              (QStringList{u"blocked_repositories"_s, u"favorite_repositories"_s, u"pr_seen_states_X"_s}));
    // The store underneath is exactly as it was.
    EXPECT_EQ(base->string(u"selected_repository"_s), u"acme/api"_s);
    EXPECT_EQ(base->data(u"pr_seen_states_X"_s), QByteArrayLiteral("{}"));
    EXPECT_EQ(base->keys().size(), 3);

    // A key removed and then written again reads the new value.
    overlay.setString(u"selected_repository"_s, u"acme/web"_s);
    EXPECT_EQ(overlay.string(u"selected_repository"_s), u"acme/web"_s);
}
