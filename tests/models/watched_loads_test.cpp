// What the issues and dashboard tabs share: when they load, what replaces or stops a load, and the messages
// that do not depend on what is loaded. Every case runs against both models.

#include "models/dashboard_view_model.h"
#include "models/issues_view_model.h"
#include "watched_fixture.h"

#include <QSignalSpy>

using namespace norvane;
using namespace norvane::testing;

namespace {

template <typename Model> class WatchedLoadTest : public WatchedModelTest
{
protected:
    // The published results, reduced to the repositories they come from.
    static QStringList shown(const Model& model)
    {
        QStringList result;
        if constexpr (std::is_same_v<Model, IssuesViewModel>) {
            for (const GitHubIssue& issue : model.issues())
                result.append(issue.repository);
        } else {
            for (const RepoSummary& summary : model.summaries())
                result.append(summary.repository);
        }
        return result;
    }
    static auto changed()
    {
        if constexpr (std::is_same_v<Model, IssuesViewModel>)
            return &IssuesViewModel::issuesChanged;
        else
            return &DashboardViewModel::summariesChanged;
    }
};

using Models = ::testing::Types<IssuesViewModel, DashboardViewModel>;
TYPED_TEST_SUITE(WatchedLoadTest, Models);

} // namespace

TYPED_TEST(WatchedLoadTest, AssigningAnAccountOrChangingAnyWatchedListReloads)
{
    this->start(this->issueWorld());
    this->watch(this->me, {"acme/api"});
    TypeParam model(this->deps());
    QSignalSpy changed(&model, this->changed());
    // Nothing loads before an account is assigned, not even when the list changes.
    this->watch(this->alice, {"acme/ops"});
    this->settle(50);
    EXPECT_EQ(this->requestCount(), 0u);
    EXPECT_EQ(this->keychain->reads, 0);

    model.setSelectedAccount(this->me);
    EXPECT_TRUE(model.isLoading());
    ASSERT_TRUE(this->settled(model));
    EXPECT_EQ(this->shown(model), QStringList{"acme/api"});

    // A change of another account's list reloads the selected account.
    const int reads = this->keychain->reads;
    this->watch(this->alice, {"acme/web"});
    EXPECT_TRUE(model.isLoading());
    ASSERT_TRUE(this->settled(model));
    EXPECT_EQ(this->keychain->reads, reads + 1);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(this->shown(model), QStringList{"acme/api"});

    // A change of its own list loads the new repository as well.
    this->watch(this->me, {"acme/web"});
    ASSERT_TRUE(this->settled(model));
    QStringList repositories = this->shown(model);
    repositories.sort();
    EXPECT_EQ(repositories, (QStringList{"acme/api", "acme/web"}));
}

TYPED_TEST(WatchedLoadTest, WithoutAnAccountNothingChangesAndWithoutARepositoryTheResultsEmptyAtOnce)
{
    this->start(this->issueWorld());
    this->watch(this->alice, {"acme/api"});
    TypeParam model(this->deps());
    model.setSelectedAccount(this->alice);
    ASSERT_TRUE(this->settled(model));
    // The load after the token went fails, named by the login (not the label), and keeps what was shown.
    this->keychain->erase(this->alice.tokenIdentifier);
    model.refresh();
    ASSERT_TRUE(this->settled(model));
    ASSERT_EQ(model.errorMessage(), u"Failed to retrieve token for alice."_s);
    ASSERT_EQ(this->shown(model), QStringList{"acme/api"});

    std::size_t requests = this->requestCount();
    int reads = this->keychain->reads;
    QSignalSpy loading(&model, &RepoActivityModel::isLoadingChanged);
    model.setSelectedAccount(std::nullopt);
    model.refresh();
    this->watch(this->alice, {"acme/web"});
    this->store->remove(this->store->repos(this->alice.id).last().id);
    this->settle(100);
    EXPECT_EQ(model.errorMessage(), u"Failed to retrieve token for alice."_s);
    EXPECT_EQ(this->shown(model), QStringList{"acme/api"});
    EXPECT_EQ(loading.count(), 0);
    EXPECT_FALSE(model.hasWatchedRepos());
    EXPECT_EQ(this->requestCount(), requests);
    EXPECT_EQ(this->keychain->reads, reads);

    // Back on alice (whose token is still missing), unwatching her last repository needs no token or network.
    model.setSelectedAccount(this->alice);
    ASSERT_TRUE(this->settled(model));
    reads = this->keychain->reads;
    this->store->remove(this->store->repos(this->alice.id).first().id); // reloads by itself
    EXPECT_TRUE(this->shown(model).isEmpty());
    EXPECT_FALSE(model.isLoading());
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    EXPECT_FALSE(model.hasWatchedRepos());
    this->settle(100);
    EXPECT_EQ(this->keychain->reads, reads);
    EXPECT_EQ(this->requestCount(), requests);
}

TYPED_TEST(WatchedLoadTest, UnwatchingTheLastRepositoryDiscardsTheLoadInFlight)
{
    this->start(this->issueWorld());
    this->watch(this->me, {"acme/api", "acme/web"});
    this->hub->injectFault(fh::Fault::delayed(u"GET"_s, u"**"_s, 300ms));
    TypeParam model(this->deps());
    QSignalSpy changed(&model, this->changed());
    QSignalSpy loading(&model, &RepoActivityModel::isLoadingChanged);
    model.setSelectedAccount(this->me);
    ASSERT_TRUE(waitUntil([&] { return this->requestCount() >= 2; }));

    this->store->removeAll(this->me.id);
    EXPECT_TRUE(this->shown(model).isEmpty());
    EXPECT_FALSE(model.isLoading());
    // Long enough for every delayed answer (a card's deployment statuses come after its deployments): the
    // stopped load must not show the repositories that are no longer watched.
    this->settle(1500);
    EXPECT_TRUE(this->shown(model).isEmpty());
    EXPECT_FALSE(model.isLoading());
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    EXPECT_EQ(changed.count(), 1); // the emptying only
    EXPECT_EQ(loading.count(), 2); // on, then off once
}

TYPED_TEST(WatchedLoadTest, ANewLoadReplacesTheOneInFlight)
{
    this->start(this->issueWorld());
    this->watch(this->me, {"acme/api"});
    this->watch(this->alice, {"acme/web"});
    // me's load answers late, alice's sooner: only alice's may show, however late me's answers come.
    this->hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/repos/acme/api/**"_s, 900ms));
    this->hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/repos/acme/web/**"_s, 400ms));
    TypeParam model(this->deps());
    QSignalSpy changed(&model, this->changed());
    model.setSelectedAccount(this->me);
    ASSERT_TRUE(waitUntil([&] { return this->requestCount("/repos/acme/api/**") >= 1; }));
    model.setSelectedAccount(this->alice);

    // The replaced load ends at once; the loading flag belongs to the newer load until that one ends.
    this->settle(200);
    EXPECT_TRUE(model.isLoading());
    ASSERT_TRUE(this->settled(model));
    EXPECT_EQ(this->shown(model), QStringList{"acme/web"});
    this->settle(1000);
    EXPECT_EQ(this->shown(model), QStringList{"acme/web"});
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.errorMessage(), std::nullopt);

    // Two refreshes in a row: one result, from the second.
    this->hub->clearFaults();
    model.refresh();
    model.refresh();
    ASSERT_TRUE(this->settled(model));
    this->settle(100);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(this->shown(model), QStringList{"acme/web"});
}

TYPED_TEST(WatchedLoadTest, ALoadReplacedWhileReadingTheTokenLeavesEverythingToTheNewerOne)
{
    this->start(this->issueWorld());
    this->watch(this->me, {"acme/api"});
    this->watch(this->alice, {"acme/web"});
    this->keychain->erase(this->me.tokenIdentifier);
    this->keychain->hold(this->me.tokenIdentifier);
    this->hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/repos/acme/web/**"_s, 600ms));
    TypeParam model(this->deps());
    QSignalSpy loading(&model, &RepoActivityModel::isLoadingChanged);
    model.setSelectedAccount(this->me);
    model.setSelectedAccount(this->alice);

    // me's token read answers, with no token, while alice's load goes on.
    ASSERT_TRUE(waitUntil([&] { return this->requestCount("/repos/acme/web/**") >= 1; }));
    ASSERT_EQ(this->keychain->waiting(this->me.tokenIdentifier), 1);
    this->keychain->release(this->me.tokenIdentifier);
    this->settle(100);
    EXPECT_TRUE(model.isLoading());
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    ASSERT_TRUE(this->settled(model));
    EXPECT_EQ(this->shown(model), QStringList{"acme/web"});
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    EXPECT_EQ(loading.count(), 2);
}

TYPED_TEST(WatchedLoadTest, AModelThatIsGoneIgnoresItsLoadAndTheStore)
{
    this->start(this->issueWorld());
    this->watch(this->me, {"acme/api"});
    this->hub->injectFault(fh::Fault::delayed(u"GET"_s, u"**"_s, 300ms));
    auto model = std::make_unique<TypeParam>(this->deps());
    model->setSelectedAccount(this->me);
    ASSERT_TRUE(waitUntil([&] { return this->requestCount() >= 1; }));
    model.reset();
    this->settle(600); // the sanitizers catch any touch of the deleted model
    this->watch(this->me, {"acme/web"});
    this->settle(50);
    EXPECT_EQ(this->hub->requests(u"GET"_s, u"/repos/acme/web/**"_s).size(), 0u);
}

// An Enterprise account's load goes to its own server only, and belongs to that account alone: the rows of
// the account before never stand in for it, and clearing the selection stops it before its token goes
// anywhere.
TYPED_TEST(WatchedLoadTest, ALoadRunsOnItsAccountsOwnHostAndEndsWithItsSelection)
{
    this->start(this->issueWorld());
    fh::Scenario serverWorld = this->issueWorld();
    for (fh::User& user : serverWorld.users)
        user.tokens = {u"ghe-"_s + user.login};
    fh::FakeHub::Options layout;
    layout.enterprise = true;
    fh::FakeHub server(serverWorld, layout);
    GitHubAccount work{QUuid::fromString(u"AAAAAAAA-0000-4000-8000-000000000003"_s), u"me"_s, u"tid-work"_s,
                       std::nullopt};
    work.host = server.baseUrl();
    this->keychain->put(work.tokenKey(), u"ghe-me"_s);
    this->watch(this->me, {"acme/api"});
    this->watch(work, {"acme/web"});
    TypeParam model(this->deps());
    model.setSelectedAccount(this->me);
    ASSERT_TRUE(this->settled(model));
    ASSERT_EQ(this->shown(model), QStringList{"acme/api"});

    // The switch empties me's results at once; work's load waits for its token when the selection goes.
    this->keychain->hold(work.tokenKey());
    model.setSelectedAccount(work);
    EXPECT_TRUE(this->shown(model).isEmpty());
    EXPECT_TRUE(model.isLoading());
    model.setSelectedAccount(std::nullopt);
    EXPECT_FALSE(model.isLoading());
    this->keychain->release(work.tokenKey()); // runs the token read's continuation to its end
    ASSERT_TRUE(this->settled(model));
    for (const auto& request : this->hub->requests())
        EXPECT_EQ(request.header(u"Authorization"_s).toStdString(), "token tok-me")
            << request.path.toStdString();
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(model.errorMessage(), std::nullopt);

    model.setSelectedAccount(work);
    ASSERT_TRUE(this->settled(model));
    EXPECT_EQ(this->shown(model), QStringList{"acme/web"});
    EXPECT_FALSE(server.requests().empty());
    for (const auto& request : server.requests())
        EXPECT_EQ(request.header(u"Authorization"_s).toStdString(), "token ghe-me")
            << request.path.toStdString();
}
