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
    // What the client reads, with the JSON type it needs (never null).
    std::vector<std::pair<const char*, QJsonValue::Type>> reads;
};

} // namespace

TEST(Shapes, EveryEndpointMatchesGitHubsExample)
{
    FakeHub hub(world());
    Http http(hub);
    const auto S = QJsonValue::String;
    const auto N = QJsonValue::Double;
    const auto B = QJsonValue::Bool;
    const auto O = QJsonValue::Object;
    const std::vector<Endpoint> endpoints = {
        {"search-issues",
         "/search/issues?q=type:pr+state:open+author:mona&per_page=50",
         {"items[].type", "items[].milestone"},
         {{"total_count", N},
          {"items[0].id", N},
          {"items[0].number", N},
          {"items[0].title", S},
          {"items[0].html_url", S},
          {"items[0].user.login", S},
          {"items[0].created_at", S},
          {"items[0].updated_at", S},
          {"items[0].draft", B},
          {"items[0].state", S}}},
        {"pull",
         "/repos/acme/api/pulls/1",
         {"milestone", "requested_teams[]", "merged_by", "assignee", "head.repo.license",
          "base.repo.license"},
         {{"head.sha", S}, {"requested_reviewers[0].login", S}, {"comments", N}, {"review_comments", N}}},
        {"pull-reviews",
         "/repos/acme/api/pulls/1/reviews",
         {},
         {{"[0].state", S}, {"[0].user.login", S}, {"[0].body", S}, {"[0].submitted_at", S}}},
        {"commit-status",
         "/repos/acme/api/commits/aaaa/status",
         {},
         {{"state", S}, {"statuses[0].state", S}}},
        {"check-runs",
         "/repos/acme/api/commits/aaaa/check-runs?per_page=100",
         {"check_runs[].app.owner"},
         {{"total_count", N}, {"check_runs[0].status", S}, {"check_runs[0].conclusion", S}}},
        {"repo-issues",
         "/repos/acme/api/issues?state=open&per_page=100",
         // pull_request is there only on pull requests; issues have none.
         {"[].milestone", "[].closed_by", "[].pull_request"},
         {{"[0].id", N},
          {"[0].number", N},
          {"[0].title", S},
          {"[0].html_url", S},
          {"[0].user.login", S},
          {"[0].created_at", S},
          {"[0].updated_at", S},
          {"[0].labels", QJsonValue::Array},
          {"[0].comments", N}}},
        {"commits",
         "/repos/acme/api/commits?per_page=1",
         {},
         {{"[0].commit.message", S}, {"[0].commit.author.date", S}}},
        {"environments", "/repos/acme/api/environments", {}, {{"environments[0].name", S}}},
        {"deployments",
         "/repos/acme/api/deployments?per_page=30",
         {},
         {{"[0].id", N}, {"[0].environment", S}, {"[0].created_at", S}}},
        {"deployment-statuses", "/repos/acme/api/deployments/7/statuses?per_page=1", {}, {{"[0].state", S}}},
        {"actions-runs",
         "/repos/acme/api/actions/runs?per_page=30",
         {"workflow_runs[].repository.owner", "workflow_runs[].head_repository.owner"},
         {{"workflow_runs[0].id", N},
          {"workflow_runs[0].name", S},
          {"workflow_runs[0].status", S},
          {"workflow_runs[1].conclusion", S},
          {"workflow_runs[0].created_at", S},
          {"workflow_runs[0].head_branch", S}}},
        {"user", "/user", {}, {{"login", S}, {"plan", O}}},
    };
    for (const Endpoint& e : endpoints) {
        SCOPED_TRACE(e.path);
        const QJsonValue ours = http.json(e.path);
        QStringList problems;
        compareShape(example(QLatin1String(e.example)), ours, QString(), e.omitted, problems);
        EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
        for (const auto& [path, type] : e.reads)
            EXPECT_EQ(at(ours, QLatin1String(path)).type(), type) << path;
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
