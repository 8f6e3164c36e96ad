#include "models/dashboard_view_model.h"
#include "models/issues_view_model.h"
#include "models/watched_repo_store.h"
#include "support/wait.h"
#include "support/world.h"
#include "ui/panel/content_view.h"
#include "ui/pulls/pr_list_model.h"
#include "ui/pulls/pr_tab.h"
#include "ui/pulls/sample_pull_requests.h"
#include "ui/settings/settings_view.h"
#include "ui/ui_support.h"
#include "ui/widgets/controls.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::ui;
using norvane::testing::waitUntil;

namespace {

using norvane::testing::findAction;
using norvane::testing::menuTitles;

struct Panel : norvane::testing::PanelWorld
{
    using PanelWorld::PanelWorld;
    PullRequestTab& tab() const { return *view->pullRequestTab(); }
    QStringList rowIds() const
    {
        QStringList ids;
        for (const PullRequest& pr : tab().listModel()->pullRequests())
            ids.append(pr.id);
        return ids;
    }
};

TEST(ContentView, WithoutAccountsEveryTabButSettingsWelcomes)
{
    Panel panel(QStringList{});
    ContentView& view = *panel.view;
    for (AppTab tab : {AppTab::prs, AppTab::issues, AppTab::dashboard}) {
        view.setSelectedTab(tab);
        EXPECT_EQ(view.currentContent(), view.welcomeView()) << rawValue(tab).toStdString();
        EXPECT_TRUE(view.footerButton()->isVisibleTo(&view));
    }
    view.setSelectedTab(AppTab::settings);
    EXPECT_NE(view.currentContent(), view.welcomeView());
    EXPECT_FALSE(view.footerButton()->isVisibleTo(&view));
    EXPECT_EQ(panel.tab().emptyDetailText(), u"Add a GitHub account in Settings"_s);

    view.setSelectedTab(AppTab::prs);
    view.signInButton()->click();
    EXPECT_EQ(view.selectedTab(), AppTab::settings);
    EXPECT_TRUE(panel.model->triggerAddAccount());
}

TEST(ContentView, TheAccountRowShowsOnlyForTwoOrMoreAccountsOutsideSettings)
{
    struct Case
    {
        QStringList logins;
        bool visible;
    };
    const Case cases[] = {{{u"me"_s}, false}, {{u"me"_s, u"work"_s}, true}};
    for (const Case& c : cases) {
        Panel panel(c.logins);
        ContentView& view = *panel.view;
        EXPECT_EQ(view.accountRow()->isVisibleTo(&view), c.visible) << c.logins.size();
        QStringList items;
        for (int i = 0; i < view.accountPicker()->count(); ++i)
            items.append(view.accountPicker()->itemText(i));
        EXPECT_EQ(items, c.logins);
        EXPECT_EQ(view.accountPicker()->currentIndex(), 0);
        view.setSelectedTab(AppTab::settings);
        EXPECT_FALSE(view.accountRow()->isVisibleTo(&view));
    }
    Panel two({u"me"_s, u"work"_s});
    two.view->accountPicker()->activated(1);
    ASSERT_TRUE(two.model->selectedAccount());
    EXPECT_EQ(two.model->selectedAccount()->username, u"work"_s);
    EXPECT_EQ(two.view->accountPicker()->currentIndex(), 1);
}

TEST(ContentView, TabShortcutsGearAndTheSettingsCommand)
{
    Panel panel;
    ContentView& view = *panel.view;
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    struct Step
    {
        Qt::Key key;
        AppTab expected;
    };
    view.setSelectedTab(AppTab::settings);
    const Step steps[] = {{Qt::Key_3, AppTab::dashboard},
                          {Qt::Key_1, AppTab::prs},
                          {Qt::Key_Comma, AppTab::settings},
                          {Qt::Key_Comma, AppTab::prs}};
    for (const Step& step : steps) {
        QTest::keyClick(&view, step.key, Qt::ControlModifier);
        EXPECT_EQ(view.selectedTab(), step.expected) << step.key;
    }
    // The gear: into settings, and from settings back to the pull requests; filled and tinted while there.
    view.settingsButton()->click();
    EXPECT_EQ(view.selectedTab(), AppTab::settings);
    EXPECT_EQ(view.settingsButton()->symbol(), Symbol::gearshapeFill);
    EXPECT_EQ(view.settingsButton()->tint(), ThemeColor::accent);
    view.settingsButton()->click();
    EXPECT_EQ(view.selectedTab(), AppTab::prs);
    EXPECT_EQ(view.settingsButton()->symbol(), Symbol::gearshape);

    panel.model->setShowSettings(true);
    EXPECT_EQ(view.selectedTab(), AppTab::settings);
    EXPECT_FALSE(panel.model->showSettings());
}

TEST(ContentView, RefreshActsOnTheVisibleTabAndNotOnSettings)
{
    Panel panel;
    ContentView& view = *panel.view;
    view.setSelectedTab(AppTab::settings);
    view.refreshButton()->click();
    EXPECT_FALSE(panel.model->isLoading());
    view.setSelectedTab(AppTab::prs);
    view.refreshButton()->click();
    EXPECT_TRUE(panel.model->isLoading());
    EXPECT_TRUE(waitUntil([&] { return !panel.model->isLoading(); }));
    EXPECT_EQ(panel.tab().listState(), PullRequestTab::ListState::unavailable);
    // The failed refresh shows its message in the banner.
    EXPECT_FALSE(panel.tab().errorText().isEmpty());
    panel.model->setErrorMessage(std::nullopt);
    EXPECT_TRUE(panel.tab().errorText().isEmpty());
    EXPECT_EQ(panel.tab().unavailableDetailText(),
              u"Refresh to try loading the pull requests of me again."_s);

    // A list shown stays through a refresh, and through its failure.
    norvane::ui::loadSamplePullRequests(*panel.model);
    view.refreshButton()->click();
    EXPECT_EQ(panel.tab().listState(), PullRequestTab::ListState::loading);
    EXPECT_TRUE(waitUntil([&] { return !panel.model->isLoading(); }));
    EXPECT_EQ(panel.tab().listState(), PullRequestTab::ListState::list);
}

TEST(ContentView, DebugButtonsOnlyInDebugModeAndTheFooterOpensGitHub)
{
    Panel quiet;
    EXPECT_TRUE(quiet.view->debugButtons().isEmpty());
    quiet.view->footerButton()->click();
    ASSERT_EQ(quiet.world.opener->opened().size(), 1u);
    EXPECT_EQ(quiet.world.opener->opened()[0], QUrl(u"https://github.com"_s));

    Panel debug({u"me"_s}, true);
    ASSERT_EQ(debug.view->debugButtons().size(), 2);
    debug.view->debugButtons()[0]->click();
    EXPECT_EQ(debug.model->pullRequests().size(), 6);
    EXPECT_EQ(debug.view->tabButton(AppTab::prs)->count(), 6);
}

TEST(ContentView, EveryOpeningReloadsTheIssuesAndCardsButLeavesThePollsScheduleAlone)
{
    namespace fh = norvane::fakehub;
    fh::Scenario scenario = norvane::testing::baseWorld();
    for (int n : {1, 2, 3}) {
        fh::Issue issue;
        issue.id = 9000 + n;
        issue.number = n;
        issue.title = u"Issue %1"_s.arg(n);
        issue.author = u"alice"_s;
        issue.state = n == 3 ? u"closed"_s : u"open"_s;
        issue.createdAt = issue.updatedAt = norvane::testing::utc("2026-11-20T10:00:00Z");
        scenario.repositories[0].issues.append(issue);
    }
    fh::FakeHub hub(scenario);
    Panel panel({u"me"_s, u"alice"_s}, false, hub.baseUrl());
    ContentView& view = *panel.view;
    IssuesViewModel& issues = *view.issuesViewModel();
    DashboardViewModel& dashboard = *view.dashboardViewModel();
    view.watchedRepoStore()->add(u"acme/api"_s, panel.accounts[0].id);
    EXPECT_EQ(issues.selectedAccount(), std::nullopt) << "nothing loads before the panel opens";
    EXPECT_FALSE(panel.model->isPolling());
    const auto settled = [&] { return !issues.isLoading() && !dashboard.isLoading(); };
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        hub.clearRequests();
        view.show();
        // Opening starts the poll once; later openings leave its schedule alone, or a user who opens the
        // panel more often than the interval would never be polled.
        EXPECT_TRUE(panel.model->isPolling());
        EXPECT_EQ(panel.world.timer->starts, 1);
        // Opening hands the account to both models and loads them: the open issues count on the tab.
        EXPECT_EQ(issues.selectedAccount(), panel.accounts[0]);
        EXPECT_EQ(dashboard.selectedAccount(), panel.accounts[0]);
        ASSERT_TRUE(waitUntil(settled, 15000));
        EXPECT_EQ(view.tabButton(AppTab::issues)->count(), 2);
        EXPECT_EQ(dashboard.summaries().size(), 1);
        EXPECT_EQ(hub.requests(u"GET"_s, u"/repos/acme/api/issues"_s).size(), 1u);
        EXPECT_EQ(hub.requests(u"GET"_s, u"/repos/acme/api/commits"_s).size(), 1u);
        view.hide();
    }

    // The refresh button reloads the tab in sight.
    view.show();
    ASSERT_TRUE(waitUntil(settled, 15000));
    view.setSelectedTab(AppTab::issues);
    view.refreshButton()->click();
    EXPECT_TRUE(issues.isLoading());
    ASSERT_TRUE(waitUntil(settled, 15000));
    view.setSelectedTab(AppTab::dashboard);
    view.refreshButton()->click();
    EXPECT_TRUE(dashboard.isLoading());

    // Another account: both follow; it watches nothing, so the count goes.
    panel.model->setSelectedAccount(panel.accounts[1]);
    EXPECT_EQ(issues.selectedAccount(), panel.accounts[1]);
    EXPECT_EQ(dashboard.selectedAccount(), panel.accounts[1]);
    EXPECT_TRUE(waitUntil([&] { return view.tabButton(AppTab::issues)->count() == 0; }));
}

TEST(PullRequestTab, RepositoryMenuGroupsFavouritesAndEachRepositoryHasItsSubmenu)
{
    Panel panel;
    norvane::ui::loadSamplePullRequests(*panel.model);
    panel.model->toggleFavorite(u"security/toolkit"_s);
    PullRequestTab& tab = panel.tab();
    tab.populateRepositoryMenu();
    EXPECT_EQ(menuTitles(*tab.repositoryMenu()),
              (QStringList{u"All Repositories (6)"_s, u"---"_s, u"security/toolkit (1)"_s, u"---"_s,
                           u"example/repo (5)"_s}));
    QMenu* favorite = findAction(*tab.repositoryMenu(), u"security/toolkit (1)"_s)->menu();
    QMenu* other = findAction(*tab.repositoryMenu(), u"example/repo (5)"_s)->menu();
    ASSERT_TRUE(favorite && other);
    EXPECT_FALSE(favorite->icon().isNull());
    EXPECT_TRUE(other->icon().isNull());
    EXPECT_EQ(menuTitles(*favorite), (QStringList{u"Select"_s, u"Remove from Favorites"_s,
                                                  u"Block Repository"_s, u"Block all from security"_s}));
    EXPECT_EQ(menuTitles(*other), (QStringList{u"Select"_s, u"Add to Favorites"_s, u"Block Repository"_s,
                                               u"Block all from example"_s}));

    // Without favourites there is no second divider.
    panel.model->toggleFavorite(u"security/toolkit"_s);
    tab.populateRepositoryMenu();
    EXPECT_EQ(
        menuTitles(*tab.repositoryMenu()),
        (QStringList{u"All Repositories (6)"_s, u"---"_s, u"example/repo (5)"_s, u"security/toolkit (1)"_s}));
}

TEST(PullRequestTab, RepositoryMenuActionsReachTheEngineAndTabCountsIgnoreTheRepository)
{
    Panel panel;
    norvane::ui::loadSamplePullRequests(*panel.model);
    PullRequestTab& tab = panel.tab();
    EXPECT_EQ(tab.repositoryButton()->text(), u"All Repositories (6)"_s);
    EXPECT_FALSE(tab.clearRepositoryButton()->isVisibleTo(&tab));
    QList<int> countsBefore;
    for (const PillButton* filter : tab.filterTabs())
        countsBefore.append(filter->count());

    tab.populateRepositoryMenu();
    findAction(*findAction(*tab.repositoryMenu(), u"security/toolkit (1)"_s)->menu(), u"Select"_s)->trigger();
    EXPECT_EQ(panel.model->selectedRepository(), u"security/toolkit"_s);
    EXPECT_EQ(panel.world.preferences->string(u"selected_repository"_s), u"security/toolkit"_s);
    EXPECT_EQ(tab.repositoryButton()->text(), u"security/toolkit (1)"_s);
    EXPECT_EQ(tab.repositoryButton()->leading(), std::nullopt);
    EXPECT_TRUE(tab.clearRepositoryButton()->isVisibleTo(&tab));
    EXPECT_EQ(panel.rowIds(), QStringList{u"test-6"_s});
    // The tab bar and the filter tabs keep counting every repository.
    EXPECT_EQ(panel.view->tabButton(AppTab::prs)->count(), 6);
    QList<int> countsAfter;
    for (const PillButton* filter : tab.filterTabs())
        countsAfter.append(filter->count());
    EXPECT_EQ(countsAfter, countsBefore);

    panel.model->toggleFavorite(u"security/toolkit"_s);
    EXPECT_EQ(tab.repositoryButton()->leading(), Symbol::starFill);

    tab.clearRepositoryButton()->click();
    EXPECT_EQ(panel.model->selectedRepository(), std::nullopt);
    EXPECT_EQ(panel.world.preferences->string(u"selected_repository"_s), std::nullopt);
    EXPECT_EQ(panel.rowIds().size(), 6);

    tab.populateRepositoryMenu();
    findAction(*findAction(*tab.repositoryMenu(), u"example/repo (5)"_s)->menu(), u"Block all from example"_s)
        ->trigger();
    EXPECT_TRUE(panel.model->blockedRepositories().contains(u"example"_s));
    EXPECT_EQ(panel.rowIds(), QStringList{u"test-6"_s});
    EXPECT_EQ(panel.view->tabButton(AppTab::prs)->count(), 1);
    tab.populateRepositoryMenu();
    findAction(*findAction(*tab.repositoryMenu(), u"security/toolkit (1)"_s)->menu(), u"Block Repository"_s)
        ->trigger();
    EXPECT_TRUE(panel.rowIds().isEmpty());
    EXPECT_FALSE(tab.repositoryBar()->isVisibleTo(&tab)) << "no repository left to choose from";
    EXPECT_EQ(tab.listState(), PullRequestTab::ListState::empty);
    EXPECT_EQ(tab.emptyDetailText(), u"No PRs match this filter"_s);
}

TEST(PullRequestTab, FilterTabsAndSortMenu)
{
    Panel panel;
    norvane::ui::loadSamplePullRequests(*panel.model);
    PullRequestTab& tab = panel.tab();
    EXPECT_EQ(tab.filterTabs()[1]->visibleText(), u"Review 2"_s);
    EXPECT_EQ(tab.filterTabs()[5]->visibleText(), u"Drafts"_s) << "no count of nothing";
    EXPECT_TRUE(tab.filterTabs()[0]->isSelected());

    tab.filterTabs()[1]->click();
    EXPECT_EQ(panel.model->selectedFilter(), PRFilter::needsReview);
    EXPECT_TRUE(tab.filterTabs()[1]->isSelected());
    EXPECT_FALSE(tab.filterTabs()[0]->isSelected());
    EXPECT_EQ(panel.rowIds().size(), 2);
    tab.filterTabs()[5]->click();
    EXPECT_EQ(tab.listState(), PullRequestTab::ListState::empty);

    const auto checked = [&] {
        QStringList names;
        for (const QAction* action : tab.sortMenu()->actions()) {
            if (action->isChecked())
                names.append(action->text());
        }
        return names;
    };
    EXPECT_EQ(checked(), QStringList{u"Updated"_s});
    tab.filterTabs()[0]->click();
    findAction(*tab.sortMenu(), u"PR #"_s)->trigger();
    EXPECT_EQ(panel.model->selectedSortOption(), PRSortOption::prNumber);
    EXPECT_EQ(checked(), QStringList{u"PR #"_s});
    EXPECT_EQ(tab.sortButton()->text(), u"Sort by: PR #"_s);
    EXPECT_EQ(panel.rowIds().first(), u"test-6"_s) << "#999 first";
    // Squeezed by long counts, the sort menu names only the option rather than cutting the words short.
    tab.sortButton()->resize(tab.sortButton()->sizeHint());
    EXPECT_EQ(tab.sortButton()->shownText(), u"Sort by: PR #"_s);
    tab.sortButton()->resize(tab.sortButton()->minimumSizeHint());
    EXPECT_EQ(tab.sortButton()->shownText(), u"PR #"_s);
    // The filter choice is not kept across runs.
    EXPECT_FALSE(panel.world.preferences->keys().contains(u"selected_filter"_s));
}

TEST(PullRequestTab, KeyboardNavigationStopsAtTheEndsAndFollowsTheList)
{
    Panel panel;
    norvane::ui::loadSamplePullRequests(*panel.model);
    ContentView& view = *panel.view;
    PullRequestTab& tab = panel.tab();
    const QStringList ids = panel.rowIds();
    ASSERT_EQ(ids.size(), 6);
    // A fresh list selects its first row.
    EXPECT_EQ(tab.selectedPRId(), ids.first());

    // The arrows step through the list (where they stop at the ends: the ListSelection table).
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Up);
    EXPECT_EQ(tab.selectedPRId(), ids[1]);
    // Modified arrows are not navigation.
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(tab.selectedPRId(), ids[1]);

    // The selected row leaves the list: the first remaining row takes over; an empty list clears it.
    const QString selected = *tab.selectedPRId();
    panel.model->setSelectedFilter(PRFilter::needsReview);
    const QStringList review = panel.rowIds();
    ASSERT_FALSE(review.contains(selected));
    EXPECT_EQ(tab.selectedPRId(), review.first());
    panel.model->setSelectedFilter(PRFilter::drafts);
    EXPECT_EQ(tab.selectedPRId(), std::nullopt);
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(tab.selectedPRId(), std::nullopt);
    EXPECT_TRUE(panel.world.opener->opened().empty());

    // A selection still in the list stays.
    panel.model->setSelectedFilter(PRFilter::all);
    QTest::keyClick(&view, Qt::Key_Down);
    const auto kept = tab.selectedPRId();
    panel.model->setSelectedSortOption(PRSortOption::prNumber);
    EXPECT_EQ(tab.selectedPRId(), kept);
}

TEST(PullRequestTab, ReturnAndClickMarkSeenThenOpen)
{
    Panel panel;
    norvane::ui::loadSamplePullRequests(*panel.model);
    ContentView& view = *panel.view;
    PullRequestTab& tab = panel.tab();
    view.show();
    // test-1 has new commits; find it and select it.
    while (tab.selectedPRId() != u"test-1"_s)
        QTest::keyClick(&view, Qt::Key_Down);
    const auto pr = [&](const QString& id) {
        return tab.listModel()->pullRequests()[tab.listModel()->rowOf(id)];
    };
    ASSERT_FALSE(panel.model->unseenUpdates(pr(u"test-1"_s)).isEmpty());
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_TRUE(panel.model->unseenUpdates(pr(u"test-1"_s)).isEmpty());
    ASSERT_EQ(panel.world.opener->opened().size(), 1u);
    EXPECT_EQ(panel.world.opener->opened()[0], QUrl(u"https://github.com/example/repo/pull/123"_s));
    EXPECT_FALSE(panel.world.preferences->keys().join(u' ').contains(u"pr_seen_states_"_s))
        << "sample snapshots are never stored";

    // A click on a row does the same, whichever row is selected.
    const int row = tab.listModel()->rowOf(u"test-4"_s);
    ASSERT_FALSE(panel.model->unseenUpdates(pr(u"test-4"_s)).isEmpty());
    QListView& list = *tab.listView();
    list.scrollTo(tab.listModel()->index(row));
    const QRect rect = list.visualRect(tab.listModel()->index(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_TRUE(panel.model->unseenUpdates(pr(u"test-4"_s)).isEmpty());
    ASSERT_EQ(panel.world.opener->opened().size(), 2u);
    EXPECT_EQ(panel.world.opener->opened()[1], QUrl(u"https://github.com/example/repo/pull/101"_s));
    EXPECT_EQ(tab.selectedPRId(), u"test-1"_s);
}

// The Menu key, Shift+F10 and a right-click open the row's menu; its snooze takes the row out of the list
// and into "Snoozed N", whose "Unsnooze" brings it back.
TEST(PullRequestTab, TheRowMenuSnoozesAndTheSnoozedEntryUnsnoozes)
{
    Panel panel;
    norvane::ui::loadSamplePullRequests(*panel.model);
    ContentView& view = *panel.view;
    PullRequestTab& tab = panel.tab();
    view.show();
    EXPECT_FALSE(tab.snoozedButton()->isVisibleTo(&view));
    const auto openMenu = [&](const std::function<void()>& press) -> QMenu* {
        press();
        for (QMenu* menu : tab.findChildren<QMenu*>()) {
            if (menu->isVisible())
                return menu;
        }
        return nullptr;
    };
    const QString first = *tab.selectedPRId();
    const struct
    {
        const char* name;
        std::function<void()> press;
    } openers[] = {
        {"Menu key", [&] { QTest::keyClick(&view, Qt::Key_Menu); }},
        {"Shift+F10", [&] { QTest::keyClick(&view, Qt::Key_F10, Qt::ShiftModifier); }},
        {"right-click",
         [&] {
             const QRect rect = tab.listView()->visualRect(tab.listModel()->index(1));
             Q_EMIT tab.listView()->customContextMenuRequested(rect.center());
         }},
    };
    for (const auto& o : openers) {
        QMenu* menu = openMenu(o.press);
        ASSERT_NE(menu, nullptr) << o.name;
        // A screen reader reads every item by its text.
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(menu);
        QStringList names;
        for (int i = 0; i < spoken->childCount(); ++i) {
            if (spoken->child(i)->role() == QAccessible::MenuItem)
                names.append(spoken->child(i)->text(QAccessible::Name));
        }
        QStringList items = menuTitles(*menu);
        items.removeAll(u"---"_s);
        EXPECT_EQ(names, items) << o.name;
        EXPECT_EQ(items.size(), 7) << o.name;
        menu->close();
    }
    // The right-click selected the row it was on; F10 alone is no menu.
    EXPECT_EQ(tab.selectedPRId(), panel.rowIds()[1]);
    EXPECT_EQ(openMenu([&] { QTest::keyClick(&view, Qt::Key_F10); }), nullptr);

    QMenu* menu = openMenu([&] { QTest::keyClick(&view, Qt::Key_Menu); });
    ASSERT_NE(menu, nullptr);
    const QString snoozed = *tab.selectedPRId();
    findAction(*menu, u"Snooze for a day"_s)->trigger();
    EXPECT_FALSE(panel.rowIds().contains(snoozed));
    EXPECT_EQ(panel.rowIds().size(), 5);
    ASSERT_TRUE(tab.snoozedButton()->isVisibleTo(&view));
    EXPECT_EQ(tab.snoozedButton()->text(), u"Snoozed 1"_s);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(tab.snoozedButton())->text(QAccessible::Name),
              u"Snoozed 1"_s);
    tab.populateSnoozedMenu();
    const QList<QAction*> entries = tab.snoozedButton()->menu()->actions();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_TRUE(entries[0]->text().contains(u"(until "_s));
    findAction(*entries[0]->menu(), u"Unsnooze"_s)->trigger();
    EXPECT_TRUE(panel.rowIds().contains(snoozed));
    EXPECT_FALSE(tab.snoozedButton()->isVisibleTo(&view));
    EXPECT_NE(first, QString());
}

// me has two pull requests and alice one; alice's token is rejected until she reconnects.
norvane::fakehub::Scenario twoAccountsWorld()
{
    norvane::fakehub::Scenario scenario = norvane::testing::baseWorld();
    scenario.pullRequests = {norvane::testing::pull("acme/api", 1, "me"),
                             norvane::testing::pull("acme/web", 2, "me"),
                             norvane::testing::pull("acme/web", 3, "alice")};
    return scenario;
}

TEST(PullRequestTab, TheListIsAlwaysTheSelectedAccountsAndARejectedTokenSaysSo)
{
    namespace fh = norvane::fakehub;
    fh::FakeHub hub(twoAccountsWorld());
    Panel panel({u"me"_s, u"alice"_s}, false, hub.baseUrl());
    const GitHubAccount me = panel.accounts[0];
    const GitHubAccount alice = panel.accounts[1];
    panel.world.keychain->storage()->insert_or_assign(alice.tokenIdentifier, u"revoked"_s);
    ContentView& view = *panel.view;
    PullRequestTab& tab = panel.tab();
    view.show();
    ASSERT_EQ(panel.rowIds().size(), 2);
    QTest::keyClick(&view, Qt::Key_Down);
    ASSERT_TRUE(tab.selectedPRId());

    // The switch: me's rows go at once, and the tab shows alice loading.
    panel.model->setSelectedAccount(alice);
    EXPECT_TRUE(panel.rowIds().isEmpty());
    EXPECT_EQ(tab.listState(), PullRequestTab::ListState::loading);
    EXPECT_EQ(view.tabButton(AppTab::prs)->count(), 0);
    ASSERT_TRUE(waitUntil([&] { return !panel.model->isLoading(); }));

    // GitHub rejects alice's token: the banner says so over no list at all.
    EXPECT_EQ(tab.listState(), PullRequestTab::ListState::unavailable);
    EXPECT_EQ(tab.reauthText(), u"GitHub no longer accepts the token for alice."_s);
    EXPECT_EQ(tab.unavailableDetailText(), u"Reconnect alice to load its pull requests."_s);
    EXPECT_EQ(tab.errorText(), QString());
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_TRUE(panel.world.opener->opened().empty());
    const QString aliceSeen = u"pr_seen_states_"_s + uuidText(alice.id);
    EXPECT_FALSE(panel.world.preferences->data(aliceSeen)) << "nothing of me's is marked seen for alice";

    // Back to me, whose answer fails: the failure shows, not alice's list. (Reconnecting from the banner is
    // the wrong-token journey's.)
    hub.injectFault(fh::Fault::httpStatus(u"GET"_s, u"/search/issues"_s, 502));
    panel.model->setSelectedAccount(me);
    EXPECT_TRUE(panel.rowIds().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !panel.model->isLoading(); }));
    EXPECT_EQ(tab.listState(), PullRequestTab::ListState::unavailable);
    EXPECT_TRUE(tab.errorText().contains(u"HTTP 502"_s)) << tab.errorText().toStdString();
    EXPECT_EQ(tab.reauthText(), QString());
}

} // namespace

// A pull request's title, author and repository as GitHub sends them, and a message holding GitHub's text,
// are shown as written, never as markup.
TEST(ContentView, TextFromGitHubIsShownAsWritten)
{
    const QString markup = norvane::testing::kMarkupLike;
    const QString repo = u"<b>x & y/<i>z"_s; // what the search's page address names
    fakehub::FakeHub hub(norvane::testing::baseWorld());
    const QJsonObject item{{u"id"_s, 1},
                           {u"number"_s, 1},
                           {u"title"_s, markup},
                           {u"html_url"_s, hub.baseUrl() + u'/' + repo + u"/pull/1"_s},
                           {u"user"_s, QJsonObject{{u"login"_s, markup}}},
                           {u"created_at"_s, u"2026-12-01T10:00:00Z"_s},
                           {u"updated_at"_s, u"2026-12-01T10:00:00Z"_s},
                           {u"draft"_s, false},
                           {u"state"_s, u"open"_s}};
    hub.injectFault(fakehub::Fault::httpStatus(
        u"GET"_s, u"/search/issues"_s, 200,
        QJsonDocument(QJsonObject{{u"total_count"_s, 1}, {u"items"_s, QJsonArray{item}}}).toJson()));
    Panel panel({u"me"_s}, false, hub.baseUrl());
    ASSERT_EQ(panel.model->pullRequests().size(), 1);
    const PullRequest& pr = panel.model->pullRequests().first();
    EXPECT_EQ(pr.title, markup);
    EXPECT_EQ(pr.author, markup);
    EXPECT_EQ(pr.repository, repo);
    EXPECT_EQ(panel.tab().listModel()->pullRequests().size(), 1);

    panel.model->setErrorMessage(markup);
    panel.view->resize(560, 600);
    panel.view->show();
    panel.tab().populateRepositoryMenu();
    EXPECT_EQ(norvane::testing::shownAsWritten(*panel.view, markup),
              1); // the message; rows are painted as text
    EXPECT_EQ(norvane::testing::shownAsWritten(*panel.view, repo), 1); // the repository's menu item
}
