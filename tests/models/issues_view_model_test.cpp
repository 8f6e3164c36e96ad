#include "models/issues_view_model.h"
#include "watched_fixture.h"

#include <QSignalSpy>

using namespace norvane;
using namespace norvane::testing;

namespace {

QStringList titles(const QList<GitHubIssue>& issues)
{
    QStringList result;
    for (const GitHubIssue& issue : issues)
        result.append(issue.title);
    return result;
}

using IssuesModelTest = WatchedModelTest;

} // namespace

TEST_F(IssuesModelTest, MergesTheIssuesOfEveryWatchedRepositoryNewestFirst)
{
    // (Pull requests, which GitHub lists as issues too, left out: the GitHub tests.)
    fh::Scenario world = issueWorld();
    world.repository(u"acme/api"_s)->issues.append(openIssue(12, "api newest", "2026-12-05T10:00:00Z"));
    start(world);
    watch(me, {"acme/api", "acme/web", "acme/ops"});
    watch(alice, {"acme/web"});
    IssuesViewModel model(deps());
    QSignalSpy issuesSpy(&model, &IssuesViewModel::issuesChanged);
    EXPECT_FALSE(model.hasWatchedRepos());

    model.setSelectedAccount(me); // assigning an account loads it
    EXPECT_TRUE(model.isLoading());
    EXPECT_TRUE(model.hasWatchedRepos());
    ASSERT_TRUE(settled(model));

    EXPECT_EQ(model.errorMessage(), std::nullopt);
    EXPECT_EQ(titles(model.issues()), (QStringList{"api newest", "web issue", "ops issue", "api issue"}));
    EXPECT_EQ(model.issues().first().id, u"issue-acme/api-12"_s);
    EXPECT_EQ(issuesSpy.count(), 1);
    EXPECT_EQ(model.availableRepositories(), (QStringList{"acme/api", "acme/ops", "acme/web"}));
    // One request per repository, each with the selected account's token.
    EXPECT_EQ(requestCount("/repos/*/*/issues"), 3u);
    for (const auto& request : hub->requests(u"GET"_s, u"/repos/*/*/issues"_s))
        EXPECT_EQ(request.header(u"Authorization"_s), u"token tok-me"_s);

    // (Narrowed to one repository: the issues view's tests.)
    model.setSelectedRepository(u"acme/gone"_s);
    EXPECT_TRUE(model.filteredIssues().isEmpty());

    // The narrowing survives a load and the same account handed over again, but not an account that
    // does not watch that repository: it would hide all of that account's issues.
    model.setSelectedAccount(me);
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.selectedRepository(), u"acme/gone"_s);
    model.setSelectedAccount(alice);
    EXPECT_EQ(model.selectedRepository(), std::nullopt);
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(titles(model.issues()), (QStringList{"web issue"}));
    EXPECT_EQ(titles(model.filteredIssues()), (QStringList{"web issue"}));
    // An account that watches it too keeps it, whatever the case of the name.
    model.setSelectedRepository(u"ACME/WEB"_s);
    model.setSelectedAccount(me);
    EXPECT_EQ(model.selectedRepository(), u"ACME/WEB"_s);
    ASSERT_TRUE(settled(model));
}

TEST_F(IssuesModelTest, RepositoriesAreFetchedConcurrently)
{
    start(issueWorld());
    watch(me, {"acme/api", "acme/web", "acme/ops"});
    hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/repos/*/*/issues"_s, 2500ms));
    IssuesViewModel model(deps());
    model.setSelectedAccount(me);
    // Asked one after another, the second request would wait for the first answer.
    EXPECT_TRUE(waitUntil([&] { return requestCount("/repos/*/*/issues") == 3; }, 2000));
    EXPECT_TRUE(model.isLoading());
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.issues().size(), 3);
}

TEST_F(IssuesModelTest, OneFailingRepositoryFailsTheLoadStopsTheOthersAndKeepsThePreviousList)
{
    start(issueWorld());
    watch(me, {"acme/api", "acme/web"});
    IssuesViewModel model(deps());
    model.setSelectedAccount(me);
    ASSERT_TRUE(settled(model));
    ASSERT_EQ(titles(model.issues()), (QStringList{"web issue", "api issue"}));

    // acme/api answers late; acme/web's 404 ends the load long before.
    hub->injectFault(fh::Fault::delayed(u"GET"_s, u"/repos/acme/api/issues"_s, 4000ms));
    hub->injectFault(
        fh::Fault::httpStatus(u"GET"_s, u"/repos/acme/web/issues"_s, 404, R"({"message":"Not Found"})"));
    QSignalSpy issuesSpy(&model, &IssuesViewModel::issuesChanged);
    model.refresh();
    EXPECT_TRUE(model.isLoading());
    ASSERT_TRUE(settled(model, 2500));
    EXPECT_EQ(model.errorMessage(),
              uR"(API Error [repos/acme/web/issues]: HTTP 404 - {"message":"Not Found"})"_s);
    EXPECT_EQ(titles(model.issues()), (QStringList{"web issue", "api issue"}));
    EXPECT_EQ(issuesSpy.count(), 0);

    // A revoked token says so, and the list stays. (How each kind of failure reads: the GitHub tests; the
    // next refresh clearing the message: the activity screens' tests.)
    hub->clearFaults();
    keychain->put(me.tokenIdentifier, u"revoked"_s);
    model.refresh();
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.errorMessage(), u"Token expired. Re-authenticate in Settings."_s);
    EXPECT_EQ(titles(model.issues()), (QStringList{"web issue", "api issue"}));
}
