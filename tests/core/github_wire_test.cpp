#include "core/github_rules.h"
#include "core/github_wire.h"
#include "core/json_reader.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;

namespace {

QByteArray example(const char* name)
{
    QFile f(QStringLiteral(NORVANE_SOURCE_DIR "/tests/data/github-examples/") + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing example " << name;
    return f.readAll();
}

std::string decodeFailure(const std::function<void()>& decode)
{
    try {
        decode();
    } catch (const DecodeError& e) {
        return e.what();
    }
    return "(decoded)";
}

} // namespace

// GitHub's own documented bodies decode into what the queries read.
TEST(GitHubWire, DecodesGitHubsDocumentedExamples)
{
    const wire::PRDetail detail = wire::decodePRDetail(example("pull.json"));
    EXPECT_EQ(detail.headSha, u"6dcb09b5b57875f334f61aebed695e2e4193db5e"_s);
    EXPECT_EQ(detail.requestedReviewers, QStringList{u"other_user"_s});
    EXPECT_EQ(detail.comments, 10);
    EXPECT_EQ(detail.reviewComments, 0);

    const auto reviews = wire::decodeReviews(example("pull-reviews.json"));
    ASSERT_EQ(reviews.size(), 1);
    EXPECT_EQ(reviews[0].state, u"APPROVED"_s);
    EXPECT_EQ(reviews[0].userLogin, u"octocat"_s);
    EXPECT_EQ(reviews[0].submittedAt, u"2019-11-17T17:43:43Z"_s);

    const auto status = wire::decodeCommitStatus(example("commit-status.json"));
    EXPECT_EQ(legacyCIStatus(status), PullRequest::CIStatus::success);

    const auto runs = wire::decodeCheckRuns(example("check-runs.json"));
    EXPECT_EQ(runs.totalCount, 1);
    EXPECT_EQ(checkRunsCIStatus(runs), PullRequest::CIStatus::success); // completed + neutral

    const auto issues = wire::decodeIssues(example("repo-issues.json"));
    ASSERT_EQ(issues.size(), 1);
    EXPECT_TRUE(issues[0].isPullRequest); // the documented list holds only a pull request
    EXPECT_EQ(issues[0].labels, QStringList{u"bug"_s});

    const auto commits = wire::decodeCommits(example("commits.json"));
    ASSERT_EQ(commits.size(), 1);
    EXPECT_EQ(commitMessageFirstLine(commits[0].message), u"Fix all the bugs"_s);
    EXPECT_EQ(parseGitHubDate(commits[0].authorDate)->toString(Qt::ISODate), u"2011-04-14T16:00:49Z"_s);

    EXPECT_EQ(wire::decodeEnvironmentNames(example("environments.json")), QStringList{u"staging"_s});

    const auto deployments = wire::decodeDeployments(example("deployments.json"));
    ASSERT_EQ(deployments.size(), 1);
    EXPECT_EQ(deployments[0].environment, u"production"_s);
    EXPECT_EQ(wire::decodeDeploymentStatusStates(example("deployment-statuses.json")),
              QStringList{u"success"_s});

    const auto workflowRuns = wire::decodeWorkflowRuns(example("actions-runs.json"));
    ASSERT_EQ(workflowRuns.size(), 1);
    EXPECT_EQ(workflowRuns[0].name, u"Build"_s);
    EXPECT_FALSE(workflowRuns[0].conclusion.has_value());
    EXPECT_EQ(workflowRunDeployStatus(workflowRuns[0]), DeployInfo::Status::inProgress);

    EXPECT_GT(wire::decodeSearchTotalCount(example("search-issues.json")), 0);
}

// Our search record requires `draft`; GitHub's documented search item omits it, so that body is rejected.
TEST(GitHubWire, DocumentedSearchItemLacksTheRequiredDraftKey)
{
    EXPECT_EQ(decodeFailure([] { wire::decodeSearchResponse(example("search-issues.json")); }),
              "key \"items[0].draft\": missing");
}

TEST(GitHubWire, OptionalKeysMayBeMissingOrNull)
{
    const auto items = wire::decodeSearchResponse(R"({"total_count":1,"items":[
        {"id":5,"number":7,"title":"t","html_url":"https://github.com/o/r/pull/7","user":null,
         "created_at":"2026-01-01T00:00:00Z","updated_at":"2026-01-02T00:00:00Z","draft":true,"state":"open"}]})");
    ASSERT_EQ(items.size(), 1);
    EXPECT_FALSE(items[0].userLogin.has_value());
    EXPECT_TRUE(items[0].draft);

    const auto reviews =
        wire::decodeReviews(R"([{"state":"PENDING","user":null},{"state":"COMMENTED","body":null}])");
    ASSERT_EQ(reviews.size(), 2);
    EXPECT_FALSE(reviews[0].submittedAt.has_value());
    EXPECT_FALSE(reviews[1].body.has_value());

    const auto detail = wire::decodePRDetail(R"({"head":{"sha":"abc"},"requested_reviewers":[]})");
    EXPECT_FALSE(detail.comments.has_value());
    EXPECT_FALSE(detail.reviewComments.has_value());
}

TEST(GitHubWire, MalformedRepliesNameTheProblem)
{
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[] { wire::decodeSearchResponse("{\"items\": ["); }, "invalid JSON at offset"},
        {[] { wire::decodeSearchResponse("[]"); }, "expected a JSON object at the top level, found an array"},
        {[] { wire::decodeReviews("{}"); }, "expected a JSON array at the top level, found an object"},
        {[] { wire::decodeReviews(R"([{"user":{"login":"a"}}])"); }, "key \"[0].state\": missing"},
        {[] { wire::decodeReviews(R"([{"state":"APPROVED","user":{}}])"); },
         "key \"[0].user.login\": missing"},
        {[] { wire::decodePRDetail(R"({"head":{},"requested_reviewers":[]})"); },
         "key \"head.sha\": missing"},
        {[] { wire::decodePRDetail(R"({"head":{"sha":"a"},"requested_reviewers":[1]})"); },
         "key \"requested_reviewers[0]\": expected an object, found a number"},
        {[] { wire::decodeCheckRuns(R"({"total_count":"1","check_runs":[]})"); },
         "key \"total_count\": expected an integer, found a string"},
        {[] {
             wire::decodeWorkflowRuns(
                 R"({"workflow_runs":[{"id":1,"name":null,"status":"completed","created_at":"x"}]})");
         },
         "key \"workflow_runs[0].name\": expected a string, found null"},
    };
    for (const auto& [decode, message] : cases) {
        const std::string got = decodeFailure(decode);
        EXPECT_EQ(got.rfind(message, 0), 0u) << "got: " << got << "\nwant prefix: " << message;
    }
}
