#include "models/dashboard_view_model.h"
#include "models/issues_view_model.h"
#include "models/watched_repo_store.h"
#include "support/wait.h"
#include "support/world.h"
#include "ui/activity/dashboard_view.h"
#include "ui/activity/issue_row_view.h"
#include "ui/activity/issues_view.h"
#include "ui/panel/content_view.h"
#include "ui/ui_support.h"
#include "ui/widgets/controls.h"

#include <QApplication>
#include <QFile>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using namespace norvane::ui;
using norvane::testing::waitUntil;
namespace fh = norvane::fakehub;

namespace {

const QString kWeb = u"https://github.com"_s;

fh::Issue openIssue(qint64 number, QStringList labels = {})
{
    fh::Issue issue;
    issue.id = 9000 + number;
    issue.number = number;
    issue.title = u"Issue %1"_s.arg(number);
    issue.author = u"alice"_s;
    issue.labels = std::move(labels);
    issue.state = u"open"_s;
    issue.createdAt = issue.updatedAt = norvane::testing::utc("2026-11-20T10:00:00Z").addSecs(number * 60);
    return issue;
}

// Both screens over their models, against a fakehub, for one account that watches `watched`.
struct Screens
{
    Screens(fh::Scenario scenario, const QStringList& watched)
        : hub(std::move(scenario)), account{QUuid::createUuid(), u"me"_s, u"github_token_me"_s, std::nullopt}
    {
        keychain->storage()->insert_or_assign(account.tokenIdentifier, u"tok-me"_s);
        for (const QString& repo : watched)
            store->add(repo, account.id);
        const RepoActivityModel::Dependencies deps{GitHubService(HttpSession(&network), hub.baseUrl()),
                                                   keychain, store};
        issues = std::make_unique<IssuesViewModel>(deps);
        dashboard = std::make_unique<DashboardViewModel>(deps);
        issuesView = std::make_unique<IssuesView>(*issues, opener);
        dashboardView = std::make_unique<DashboardView>(*dashboard, opener, kWeb);
        issuesView->resize(ContentView::kWidth, 500);
        dashboardView->resize(ContentView::kWidth, 500);
    }
    // Hands the account to both models, which load, and waits for both.
    void load()
    {
        issues->setSelectedAccount(account);
        dashboard->setSelectedAccount(account);
        settle();
    }
    void settle()
    {
        EXPECT_TRUE(waitUntil([this] { return !issues->isLoading() && !dashboard->isLoading(); }, 15000));
    }

    fh::FakeHub hub;
    QNetworkAccessManager network;
    std::shared_ptr<InMemoryPreferences> preferences = std::make_shared<InMemoryPreferences>();
    std::shared_ptr<InMemoryKeychainService> keychain = std::make_shared<InMemoryKeychainService>();
    std::shared_ptr<WatchedRepoStore> store = std::make_shared<WatchedRepoStore>(preferences);
    RecordingUrlOpener opener;
    GitHubAccount account;
    std::unique_ptr<IssuesViewModel> issues;
    std::unique_ptr<DashboardViewModel> dashboard;
    std::unique_ptr<IssuesView> issuesView;
    std::unique_ptr<DashboardView> dashboardView;
};

using norvane::testing::menuTitles;

void chooseRepository(IssuesView& view, const QString& title)
{
    view.populateRepositoryMenu();
    if (QAction* action = norvane::testing::findAction(*view.repositoryMenu(), title))
        action->trigger();
}

fh::Scenario issuesWorld()
{
    fh::Scenario scenario = norvane::testing::baseWorld();
    scenario.repositories[0].issues = {openIssue(1), openIssue(2)};
    scenario.repositories[1].issues = {openIssue(3)};
    return scenario;
}

TEST(IssuesView, ASelectedRepositoryThatLosesItsIssuesShowsAllClearAndKeepsItsLabel)
{
    Screens screens(issuesWorld(), {u"acme/api"_s, u"acme/web"_s});
    IssuesView& view = *screens.issuesView;
    EXPECT_FALSE(view.filterBar()->isVisibleTo(&view)) << "nothing to choose from yet";
    EXPECT_EQ(view.state(), IssuesView::State::noWatchedRepos) << "no account yet";
    screens.load();
    ASSERT_EQ(view.state(), IssuesView::State::list);
    EXPECT_EQ(view.listModel()->rowCount(), 3);
    EXPECT_TRUE(view.filterBar()->isVisibleTo(&view));
    EXPECT_EQ(view.repositoryButton()->text(), u"All Repositories"_s);
    EXPECT_FALSE(view.clearButton()->isVisibleTo(&view));
    view.populateRepositoryMenu();
    EXPECT_EQ(menuTitles(*view.repositoryMenu()),
              (QStringList{u"All Repositories"_s, u"---"_s, u"acme/api"_s, u"acme/web"_s}));

    chooseRepository(view, u"acme/web"_s);
    EXPECT_EQ(screens.issues->selectedRepository(), u"acme/web"_s);
    EXPECT_EQ(view.listModel()->rowCount(), 1);
    EXPECT_TRUE(view.clearButton()->isVisibleTo(&view));

    // acme/web's only issue is closed; the reload shows the loading state, then all clear.
    screens.hub.mutate([](fh::Scenario& s) { s.repositories[1].issues[0].state = u"closed"_s; });
    screens.issues->refresh();
    EXPECT_EQ(view.state(), IssuesView::State::loading);
    screens.settle();
    EXPECT_EQ(view.state(), IssuesView::State::allClear);
    EXPECT_EQ(view.repositoryButton()->text(), u"acme/web"_s);
    view.populateRepositoryMenu();
    EXPECT_EQ(menuTitles(*view.repositoryMenu()),
              (QStringList{u"All Repositories"_s, u"---"_s, u"acme/api"_s}));

    view.clearButton()->click();
    EXPECT_EQ(screens.issues->selectedRepository(), std::nullopt);
    EXPECT_EQ(view.state(), IssuesView::State::list);
    EXPECT_EQ(view.listModel()->rowCount(), 2);
    chooseRepository(view, u"acme/api"_s);
    chooseRepository(view, u"All Repositories"_s);
    EXPECT_EQ(screens.issues->selectedRepository(), std::nullopt);

    screens.store->removeAll(screens.account.id);
    EXPECT_EQ(view.state(), IssuesView::State::noWatchedRepos);
    EXPECT_FALSE(view.filterBar()->isVisibleTo(&view));
}

TEST(ActivityScreens, TheErrorBannerStaysUntilTheNextRefreshClearsIt)
{
    Screens screens(issuesWorld(), {u"acme/api"_s});
    screens.load();
    ErrorBanner& issuesBanner = *screens.issuesView->errorBanner();
    ErrorBanner& dashboardBanner = *screens.dashboardView->errorBanner();
    EXPECT_TRUE(issuesBanner.shownText().isEmpty());

    // The token is gone: both loads fail and keep what they showed.
    screens.keychain->storage()->erase(screens.account.tokenIdentifier);
    screens.issues->refresh();
    screens.dashboard->refresh();
    screens.settle();
    const QString failure = u"Failed to retrieve token for me."_s;
    EXPECT_EQ(issuesBanner.shownText(), failure);
    EXPECT_EQ(dashboardBanner.shownText(), failure);
    EXPECT_EQ(screens.issuesView->state(), IssuesView::State::list);
    EXPECT_EQ(screens.dashboardView->state(), DashboardView::State::cards);

    // Choosing a repository is no refresh: the message stays.
    chooseRepository(*screens.issuesView, u"acme/api"_s);
    EXPECT_EQ(issuesBanner.shownText(), failure);

    screens.keychain->storage()->insert_or_assign(screens.account.tokenIdentifier, u"tok-me"_s);
    screens.issues->refresh();
    screens.dashboard->refresh();
    EXPECT_TRUE(issuesBanner.shownText().isEmpty());
    EXPECT_TRUE(dashboardBanner.shownText().isEmpty());
    screens.settle();
    EXPECT_TRUE(issuesBanner.shownText().isEmpty());
}

TEST(IssuesView, AClickOnARowOpensOnlyAWebAddress)
{
    Screens screens(issuesWorld(), {u"acme/api"_s});
    screens.load();
    IssuesView& view = *screens.issuesView;
    view.show();
    QListView& list = *view.listView();
    // The fake's own addresses are http; hostile ones from the network must not reach another handler.
    QList<GitHubIssue> rows = view.listModel()->issues();
    ASSERT_EQ(rows.size(), 2);
    rows.append(rows[0]);
    rows.append(rows[0]);
    rows[2].url = u"javascript:alert(1)"_s;
    rows[3].url = u"file:///etc/passwd"_s;
    view.listModel()->setIssues(rows);
    for (int row = 0; row < rows.size(); ++row) {
        const QRect rect = list.visualRect(view.listModel()->index(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
    }
    ASSERT_EQ(screens.opener.opened().size(), 2u);
    EXPECT_EQ(screens.opener.opened()[0], QUrl(rows[0].url));
    EXPECT_TRUE(rows[0].url.startsWith(screens.hub.baseUrl()));
    EXPECT_EQ(screens.opener.opened()[1], QUrl(rows[1].url));
}

TEST(DashboardView, CardsFollowTheModelAndTheNameOpensTheRepositoryPage)
{
    fh::Scenario scenario = norvane::testing::baseWorld();
    fh::Repository& api = scenario.repositories[0];
    // Just now and seconds apart, so they are today's wherever the test runs (but in the first seconds
    // after midnight); each in its own environment, as deploys of one minute to one environment are one.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const char* states[] = {"success", "failure", "in_progress", "pending", "success"};
    const char* environments[] = {"production", "staging", "preview", "canary", "qa"};
    for (int n = 0; n < 5; ++n) {
        const QByteArray at = now.addSecs(-n).toString(Qt::ISODate).toLatin1();
        api.deployments.append(
            norvane::testing::deployment(100 + n, environments[n], at.constData(), states[n]));
    }
    fh::Commit commit;
    commit.sha = u"abc"_s;
    commit.author = u"alice"_s;
    commit.date = QDateTime::currentDateTimeUtc().addSecs(-600);
    api.commits = {commit}; // an empty message
    Screens screens(scenario, {u"acme/web"_s, u"acme/api"_s});
    DashboardView& view = *screens.dashboardView;
    EXPECT_EQ(view.state(), DashboardView::State::empty);
    screens.load();
    ASSERT_EQ(view.state(), DashboardView::State::cards);
    ASSERT_EQ(view.cards().size(), 2);
    EXPECT_EQ(view.cards()[0]->content().repository, u"acme/api"_s);
    EXPECT_EQ(view.cards()[1]->content().repository, u"acme/web"_s);
    const RepoSummaryCard& card = *view.cards()[0];
    EXPECT_EQ(card.content().deploys, u"Deploys today: 5"_s);
    EXPECT_EQ(card.badges().size(), 3);
    EXPECT_TRUE(card.content().commitTime.has_value());
    EXPECT_FALSE(card.content().commitQuote.has_value()) << "an empty message shows no line";
    EXPECT_EQ(view.cards()[1]->shownTexts(), (QStringList{u"acme/web"_s, u"0 open PRs"_s}));

    view.cards()[0]->nameButton()->click();
    ASSERT_EQ(screens.opener.opened().size(), 1u);
    EXPECT_EQ(screens.opener.opened()[0], QUrl(u"https://github.com/acme/api"_s));

    screens.dashboard->refresh();
    EXPECT_EQ(view.state(), DashboardView::State::loading);
    screens.settle();
    EXPECT_EQ(view.cards().size(), 2);
    screens.store->removeAll(screens.account.id);
    EXPECT_EQ(view.state(), DashboardView::State::empty);
    EXPECT_TRUE(view.cards().isEmpty());
}

} // namespace
