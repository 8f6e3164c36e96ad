#include "models/dashboard_view_model.h"
#include "watched_fixture.h"

#include <QSignalSpy>

using namespace norvane;
using namespace norvane::testing;

namespace {

QStringList repositories(const QList<RepoSummary>& summaries)
{
    QStringList result;
    for (const RepoSummary& s : summaries)
        result.append(s.repository);
    return result;
}

RepoSummary emptyCard(const char* repository)
{
    RepoSummary s;
    s.repository = QString::fromLatin1(repository);
    return s;
}

class DashboardModelTest : public WatchedModelTest
{
protected:
    // acme/api has everything a card shows; Zeta/x and alpha/y have nothing; acme/secret only alice can see.
    static fh::Scenario dashboardWorld()
    {
        fh::Scenario s = baseWorld();
        s.repositories.append(repository("Zeta", "x"));
        s.repositories.append(repository("alpha", "y"));
        fh::Repository secret = repository("acme", "secret");
        secret.visibleTo = QStringList{u"alice"_s};
        secret.environments = {fh::Environment{900, u"hidden"_s, utc("2024-01-01T00:00:00Z")}};
        s.repositories.append(secret);
        s.pullRequests = {pull("acme/api", 1, "me"), pull("acme/api", 2, "bob"), pull("acme/web", 3, "bob")};

        fh::Repository& api = *s.repository(u"acme/api"_s);
        api.commits = {
            fh::Commit{u"c1"_s, u"Older"_s, u"bob"_s, utc("2026-12-04T10:00:00Z")},
            fh::Commit{u"c2"_s, u"\n\nFix build\nDetails"_s, u"alice"_s, utc("2026-12-05T12:30:00Z")},
        };
        api.environments = {fh::Environment{901, u"production"_s, utc("2024-01-01T00:00:00Z")},
                            fh::Environment{902, u"staging"_s, utc("2024-01-01T00:00:00Z")}};
        api.deployments = {deployment(41, "production", "2026-12-06T08:00:00Z", "success"),
                           deployment(40, "staging", "2026-12-05T23:59:00Z", "failure")};
        api.workflowRuns = {workflowRun(51, "Deploy prod", "2026-12-06T09:00:00Z", "completed", "success"),
                            workflowRun(52, "CI", "2026-12-06T09:30:00Z", "completed", "success")};
        return s;
    }

    static RepoSummary apiCard()
    {
        RepoSummary s;
        s.repository = u"acme/api"_s;
        s.openPRCount = 2;
        s.lastCommitAt = utc("2026-12-05T12:30:00Z");
        s.lastCommitMessage = u"Fix build"_s;
        s.recentDeploys = {
            DeployInfo{u"Deploy prod"_s, DeployInfo::Status::success, utc("2026-12-06T09:00:00Z"),
                       DeployInfo::Source::actions},
            DeployInfo{u"production"_s, DeployInfo::Status::success, utc("2026-12-06T08:00:00Z"),
                       DeployInfo::Source::deployments},
        };
        s.environments = QStringList{u"production"_s, u"staging"_s};
        return s;
    }
};

} // namespace

TEST_F(DashboardModelTest, OneCardPerWatchedRepositoryInCodePointOrder)
{
    start(dashboardWorld());
    watch(me, {"alpha/y", "acme/api", "Zeta/x", "acme/secret"});
    watch(alice, {"acme/web"});
    DashboardViewModel model(deps());
    QSignalSpy summariesSpy(&model, &DashboardViewModel::summariesChanged);
    model.setSelectedAccount(me);
    EXPECT_TRUE(model.isLoading());
    ASSERT_TRUE(settled(model));

    EXPECT_EQ(repositories(model.summaries()), (QStringList{"Zeta/x", "acme/api", "acme/secret", "alpha/y"}));
    EXPECT_EQ(model.summaries().at(1), apiCard());
    // Repositories with nothing to show, or that the token cannot read, still get a card, without a message.
    EXPECT_EQ(model.summaries().at(0), emptyCard("Zeta/x"));
    EXPECT_EQ(model.summaries().at(2), emptyCard("acme/secret"));
    EXPECT_EQ(model.summaries().at(3), emptyCard("alpha/y"));
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    EXPECT_EQ(summariesSpy.count(), 1);

    // Per repository: the count search, the newest commit, the environments, both deploy sources, and one
    // status request for each deployment of today.
    QStringList apiPaths;
    for (const auto& request : hub->requests()) {
        if (request.path.contains(u"acme/api"_s) || request.query.contains(u"acme/api"_s))
            apiPaths.append(request.path);
        EXPECT_EQ(request.header(u"Authorization"_s), u"token tok-me"_s);
    }
    apiPaths.sort();
    EXPECT_EQ(apiPaths, (QStringList{"/repos/acme/api/actions/runs", "/repos/acme/api/commits",
                                     "/repos/acme/api/deployments", "/repos/acme/api/deployments/41/statuses",
                                     "/repos/acme/api/environments", "/search/issues"}));
}

TEST_F(DashboardModelTest, QueriesOfACardRunConcurrently)
{
    start(dashboardWorld());
    watch(me, {"acme/api"});
    hub->injectFault(fh::Fault::delayed(u"GET"_s, u"**"_s, 2500ms));
    DashboardViewModel model(deps());
    model.setSelectedAccount(me);
    // Count, commit, environments and the two deploy sources are all asked before any answer comes.
    EXPECT_TRUE(waitUntil([&] { return requestCount() == 5; }, 2000));
    hub->clearFaults(); // the deployment statuses answer at once
    ASSERT_TRUE(settled(model));
    ASSERT_EQ(model.summaries().size(), 1);
    EXPECT_EQ(model.summaries().first(), apiCard());
}

// (A refused count search or one deploy source failing: the GitHub tests.)
TEST_F(DashboardModelTest, AFailingQueryOnlyEmptiesItsPartOfTheCard)
{
    const QString get = u"GET"_s;
    const struct
    {
        const char* name;
        std::optional<fh::Fault> fault;           // none: the token is revoked
        std::function<void(RepoSummary&)> expect; // applied to the full card
    } cases[] = {
        {"revoked token", std::nullopt, [](RepoSummary& s) { s = emptyCard("acme/api"); }},
        {"commits undecodable", fh::Fault::malformedJson(get, u"/repos/acme/api/commits"_s),
         [](RepoSummary& s) {
             s.lastCommitAt.reset();
             s.lastCommitMessage.reset();
         }},
        {"environments fail", fh::Fault::httpStatus(get, u"/repos/acme/api/environments"_s, 500),
         [](RepoSummary& s) { s.environments.reset(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        start(dashboardWorld());
        keychain->put(me.tokenIdentifier, u"tok-me"_s);
        store->removeAll(me.id);
        watch(me, {"acme/api"});
        if (c.fault)
            hub->injectFault(*c.fault);
        else
            keychain->put(me.tokenIdentifier, u"revoked"_s);
        DashboardViewModel model(deps());
        model.setSelectedAccount(me);
        ASSERT_TRUE(settled(model));
        RepoSummary expected = apiCard();
        c.expect(expected);
        ASSERT_EQ(model.summaries().size(), 1);
        EXPECT_EQ(model.summaries().first(), expected);
        EXPECT_EQ(model.errorMessage(), std::nullopt);
        hub.reset();
    }
}
