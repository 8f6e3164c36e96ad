// Every endpoint answers with GitHub's keys, nesting and JSON types, checked against GitHub's own
// documented example bodies in tests/data/github-examples.
#include "support.h"

using namespace norvane::fakehub;
using namespace norvane::fakehub::testing;

namespace {

// Walks GitHub's example and reports each key it has that `ours` lacks, and each value whose JSON type
// differs. `null` on either side matches anything: GitHub documents those fields as nullable.
void compareShape(const QJsonValue& theirs, const QJsonValue& ours, const QString& path,
                  const QSet<QString>& omitted, QStringList& problems)
{
    if (theirs.isNull() || ours.isNull())
        return;
    if (theirs.type() != ours.type()) {
        problems << u"%1: GitHub has %2, fakehub %3"_s.arg(path).arg(theirs.type()).arg(ours.type());
        return;
    }
    if (theirs.isObject()) {
        const QJsonObject t = theirs.toObject();
        const QJsonObject o = ours.toObject();
        for (auto it = t.begin(); it != t.end(); ++it) {
            const QString child = path.isEmpty() ? it.key() : path + QLatin1Char('.') + it.key();
            if (omitted.contains(child))
                continue;
            if (!o.contains(it.key()))
                problems << u"%1: missing"_s.arg(child);
            else
                compareShape(it.value(), o.value(it.key()), child, omitted, problems);
        }
    } else if (theirs.isArray()) {
        const QJsonArray t = theirs.toArray();
        const QJsonArray o = ours.toArray();
        if (t.isEmpty() || o.isEmpty())
            return;
        // Mixed arrays (protection rules) would need one model per variant; the first element stands for all.
        for (const QJsonValue& element : o)
            compareShape(t.first(), element, path + u"[]"_s, omitted, problems);
    }
}

struct Endpoint
{
    const char* example;
    std::string path;
    // Keys of GitHub's example fakehub leaves out on purpose (optional in GitHub's schema).
    QSet<QString> omitted;
    // What the client reads, with the JSON type it needs (never null): "path:type", type s, n, b, o or a.
    const char* reads;
};

} // namespace

TEST(Shapes, EveryEndpointMatchesGitHubsExample)
{
    FakeHub hub(world());
    Http http(hub);
    const std::vector<Endpoint> endpoints = {
        {"search-issues",
         "/search/issues?q=type:pr+state:open+author:mona&per_page=50",
         {"items[].type", "items[].milestone"},
         "total_count:n items[0].id:n items[0].number:n items[0].title:s items[0].html_url:s "
         "items[0].user.login:s items[0].created_at:s items[0].updated_at:s items[0].draft:b "
         "items[0].state:s"},
        {"pull",
         "/repos/acme/api/pulls/1",
         {"milestone", "merged_by", "assignee", "head.repo.license", "base.repo.license"},
         "head.sha:s requested_reviewers[0].login:s requested_teams[0].slug:s requested_teams[0].html_url:s "
         "comments:n review_comments:n"},
        {"pull-reviews",
         "/repos/acme/api/pulls/1/reviews",
         {},
         "[0].state:s [0].user.login:s [0].body:s [0].submitted_at:s"},
        {"commit-status", "/repos/acme/api/commits/aaaa/status", {}, "state:s statuses[0].state:s"},
        {"check-runs",
         "/repos/acme/api/commits/aaaa/check-runs?per_page=100",
         {"check_runs[].app.owner"},
         "total_count:n check_runs[0].status:s check_runs[0].conclusion:s"},
        {"repo-issues",
         "/repos/acme/api/issues?state=open&per_page=100",
         // pull_request is there only on pull requests; issues have none.
         {"[].milestone", "[].closed_by", "[].pull_request"},
         "[0].id:n [0].number:n [0].title:s [0].html_url:s [0].user.login:s [0].created_at:s "
         "[0].updated_at:s [0].labels:a [0].comments:n"},
        {"commits",
         "/repos/acme/api/commits?per_page=1",
         {},
         "[0].commit.message:s [0].commit.author.date:s"},
        {"environments", "/repos/acme/api/environments", {}, "environments[0].name:s"},
        {"deployments",
         "/repos/acme/api/deployments?per_page=30",
         {},
         "[0].id:n [0].environment:s [0].created_at:s"},
        {"deployment-statuses", "/repos/acme/api/deployments/7/statuses?per_page=1", {}, "[0].state:s"},
        {"actions-runs",
         "/repos/acme/api/actions/runs?per_page=30",
         {"workflow_runs[].repository.owner", "workflow_runs[].head_repository.owner"},
         "workflow_runs[0].id:n workflow_runs[0].name:s workflow_runs[0].status:s "
         "workflow_runs[1].conclusion:s workflow_runs[0].created_at:s workflow_runs[0].head_branch:s"},
        {"user", "/user", {}, "login:s plan:o"},
    };
    for (const Endpoint& e : endpoints) {
        SCOPED_TRACE(e.path);
        const QJsonValue ours = http.json(e.path);
        QStringList problems;
        compareShape(example(QLatin1String(e.example)), ours, QString(), e.omitted, problems);
        EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
        for (const QString& read : QString::fromLatin1(e.reads).split(u' ')) {
            const QString path = read.section(u':', 0, 0);
            // QJsonValue::Type counts Null, Bool, Double, String, Array, Object from 0.
            EXPECT_EQ(at(ours, path).type(), QJsonValue::Type(u"-bnsao"_s.indexOf(read.back())))
                << path.toStdString();
        }
    }
}

TEST(Shapes, PullRequestsInTheIssueListCarryPullRequestAndAddressesSplitIntoOwnerAndRepo)
{
    FakeHub hub(world());
    Http http(hub);
    const QJsonValue items = http.json("/repos/acme/api/issues?state=open&per_page=100");
    // Open pull requests 1-4 and issue 50, newest first by creation.
    QStringList kinds;
    for (const QJsonValue& item : items.toArray())
        kinds << (item[u"pull_request"_s].isObject() ? u"pr"_s : u"issue"_s) +
                     QString::number(num(item, "number"));
    EXPECT_EQ(kinds, QStringList({"pr3", "pr4", "pr2", "issue50", "pr1"})); // ties keep their order
    // An issue-list pull request reports the issue id, as GitHub does; the pull id is a different number.
    EXPECT_EQ(num(items, "[4].id"), 101);
    EXPECT_NE(num(http.json("/repos/acme/api/pulls/1"), "id"), 101);
    EXPECT_EQ(str(items, "[4].html_url"), hub.baseUrl() + u"/acme/api/pull/1"_s);
    EXPECT_EQ(str(items, "[3].html_url"), hub.baseUrl() + u"/acme/api/issues/50"_s);
    EXPECT_EQ(str(items, "[3].labels[0].name"), u"bug"_s);

    EXPECT_EQ(http.json("/repos/acme/api/issues?state=closed").toArray().size(), 1);
    EXPECT_EQ(http.json("/repos/acme/api/issues?state=all&per_page=2&page=3").toArray().size(), 2);
}

TEST(Shapes, ListsComeNewestFirstAndHonourPerPage)
{
    FakeHub hub(world());
    Http http(hub);
    EXPECT_EQ(str(http.json("/repos/acme/api/commits?per_page=1"), "[0].commit.message"),
              u"Newest\n\nwith a body"_s);
    EXPECT_EQ(http.json("/repos/acme/api/commits").toArray().size(), 2);
    // Deployment statuses newest first: the last one reported is what per_page=1 shows.
    EXPECT_EQ(str(http.json("/repos/acme/api/deployments/7/statuses?per_page=1"), "[0].state"), u"success"_s);
    EXPECT_EQ(http.status("/repos/acme/api/deployments/8/statuses"), 404);
    const QJsonValue runs = http.json("/repos/acme/api/actions/runs?per_page=30");
    EXPECT_EQ(str(runs, "workflow_runs[0].name"), u"CI"_s);
    EXPECT_TRUE(at(runs, u"workflow_runs[0].conclusion"_s).isNull());
    EXPECT_EQ(num(runs, "total_count"), 2);
    // A commit without statuses reads "pending" with an empty list, as on GitHub.
    const QJsonValue none = http.json("/repos/acme/api/commits/ffff/status");
    EXPECT_EQ(str(none, "state"), u"pending"_s);
    EXPECT_EQ(none[u"statuses"_s].toArray().size(), 0);
    EXPECT_EQ(num(http.json("/repos/acme/api/commits/ffff/check-runs"), "total_count"), 0);
    EXPECT_EQ(num(http.json("/repos/acme/old/environments"), "total_count"), 0);
}
