#include "support/wait.h"
#include "support/world.h"
#include "ui/pulls/pr_tab.h"
#include "ui/pulls/rate_limit_line.h"
#include "ui/ui_support.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::ui;
using namespace norvane::testing;

// While GitHub's rate limit holds the selected account's polls the tab says until when, quietly; when the
// wait is over the line goes.
TEST(RateLimitLine, ShowsWhileTheSelectedAccountWaitsForGitHubsLimit)
{
    fh::Scenario scenario = baseWorld();
    scenario.pullRequests = {pull("acme/api", 1, "me")};
    fh::FakeHub hub(scenario);
    EngineWorld world;
    world.storeAccounts({u"me"_s});
    QDateTime clock = QDateTime::currentDateTimeUtc();
    PRViewModel::Dependencies deps = world.dependencies(hub.baseUrl());
    deps.now = [&clock] { return clock; };
    PRViewModel model(std::move(deps));
    PullRequestTab tab(model, *world.opener);
    tab.resize(560, 260);
    auto* line = tab.findChild<RateLimitLine*>();
    ASSERT_NE(line, nullptr);
    model.loadAccounts();
    ASSERT_TRUE(waitUntil([&] { return !model.isRefreshing(); }));
    model.startPolling();
    EXPECT_TRUE(line->isHidden());

    hub.secondaryRateLimit(std::chrono::seconds(1), 429);
    model.refresh();
    ASSERT_TRUE(waitUntil([&] { return !model.isRefreshing(); }));
    const std::optional<QDateTime> until = model.pollsPausedUntil(model.accounts().first().id);
    ASSERT_TRUE(until.has_value());
    EXPECT_FALSE(line->isHidden());
    // In the user's short form, to the minute (the tests run in the C locale).
    EXPECT_EQ(line->text(), u"GitHub's rate limit: Norvane checks again at %1."_s.arg(
                                until->toLocalTime().toString(u"HH:mm"_s)));

    clock = until->addSecs(1);
    ASSERT_TRUE(waitUntil([&] { return line->isHidden(); }, 10'000));
    EXPECT_EQ(model.pollsPausedUntil(model.accounts().first().id), std::nullopt);
}
