#include "core/github_rules.h"
#include "core/github_wire.h"
#include "core/json_reader.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using AS = PullRequest::ApprovalStatus;
using CI = PullRequest::CIStatus;
using DS = DeployInfo::Status;

namespace {

const QDateTime kNow = QDateTime(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);

QDateTime at(const char* iso)
{
    return *parseGitHubDate(QString::fromLatin1(iso));
}

// Reviews written "login:STATE@day", the day of January 2026 being optional; an empty login is none.
QList<wire::Review> reviews(const char* text)
{
    QList<wire::Review> out;
    for (const QString& entry : QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts)) {
        wire::Review r;
        const QString login = entry.section(u':', 0, 0);
        if (!login.isEmpty())
            r.userLogin = login;
        r.state = entry.section(u':', 1).section(u'@', 0, 0);
        if (entry.contains(u'@'))
            r.submittedAt = u"2026-01-%1T00:00:00Z"_s.arg(entry.section(u'@', 1).toInt(), 2, 10, QChar(u'0'));
        out.append(r);
    }
    return out;
}

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

TEST(GitHubRules, ExtractRepoName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"https://github.com/octocat/Hello-World/pull/1347", "octocat/Hello-World"},
        {"https://github.com//octocat//Hello-World/pull/1", "octocat/Hello-World"},
        {"http://127.0.0.1:8080/acme/api/issues/3", "acme/api"},
        {"https://github.com/octocat", "Unknown"},
        {"", "Unknown"},
    };
    for (const auto& [url, expected] : cases)
        EXPECT_EQ(extractRepoName(QString::fromLatin1(url)), QString::fromLatin1(expected)) << url;
}

// A notification thread names a pull request only by its API address on the account's own host.
TEST(GitHubRules, NotificationSubjectNamesAPullRequest)
{
    const char* dotcom = "https://api.github.com";
    const char* server = "https://ghe.example:8443/api/v3";
    struct Row
    {
        const char* url;
        const char* apiBase;
        const char* named; // nullptr: none
    };
    const Row rows[] = {
        {"https://api.github.com/repos/Octo/Hello-World/pulls/1347", dotcom, "octo/hello-world#1347"},
        {"https://API.github.com:443/repos/o/r/pulls/7", dotcom, "o/r#7"},
        {"https://ghe.example:8443/api/v3/repos/o/r/pulls/7", server, "o/r#7"},
        {"https://api.github.com/repos/o/r/issues/7", dotcom, nullptr},
        {"https://api.github.com/repos/o/r/commits/abc", dotcom, nullptr},
        {"https://api.github.com/repos/o/r/pulls/7/reviews", dotcom, nullptr},
        {"https://api.github.com/repos/o/r/pulls/07", dotcom, nullptr},
        {"https://api.github.com/repos/o/r/pulls/x", dotcom, nullptr},
        {"https://api.github.com/repos/o/r/pulls/7?x=1", dotcom, nullptr},
        {"https://api.github.com/repos//r/pulls/7", dotcom, nullptr},
        {"https://evil.example/repos/o/r/pulls/7", dotcom, nullptr},
        {"http://api.github.com/repos/o/r/pulls/7", dotcom, nullptr},
        {"https://ghe.example/api/v3/repos/o/r/pulls/7", server, nullptr},
        {"https://ghe.example:8443/repos/o/r/pulls/7", server, nullptr},
        {"not a url", dotcom, nullptr},
        {"", dotcom, nullptr},
    };
    for (const Row& row : rows) {
        const auto named =
            pullRequestOfSubject(QString::fromLatin1(row.url), QString::fromLatin1(row.apiBase));
        EXPECT_EQ(named, row.named ? std::optional(QString::fromLatin1(row.named)) : std::nullopt) << row.url;
    }
    const auto threads = wire::decodeNotifications(R"([
        {"id":"1","reason":"review_requested","updated_at":"2026-12-08T01:00:00Z",
         "subject":{"title":"t","url":"https://api.github.com/repos/o/r/pulls/7","type":"PullRequest"}},
        {"id":"2","updated_at":"2026-12-08T01:00:00Z","subject":{"title":"d","url":null,"type":"Discussion"}}])");
    ASSERT_EQ(threads.size(), 2);
    EXPECT_EQ(threads[0].subjectUrl, u"https://api.github.com/repos/o/r/pulls/7"_s);
    EXPECT_EQ(threads[0].reason, u"review_requested"_s);
    EXPECT_FALSE(threads[1].subjectUrl.has_value());
    EXPECT_EQ(decodeFailure([] { wire::decodeNotifications(R"([{"id":"1","updated_at":"x"}])"); }),
              "key \"[0].subject\": missing");
}

TEST(GitHubRules, ParseGitHubDateReadsZuluOffsetsAndFractions)
{
    const std::pair<const char*, const char*> valid[] = {
        {"2024-05-01T12:00:00Z", "2024-05-01T12:00:00.000Z"},
        {"2024-05-01T12:00:00.5Z", "2024-05-01T12:00:00.500Z"},
        {"2024-05-01T12:00:00.123456Z", "2024-05-01T12:00:00.123Z"},
        {"2017-07-08T16:18:44-04:00", "2017-07-08T20:18:44.000Z"},
        {"2020-01-08T23:48:37.000-08:00", "2020-01-09T07:48:37.000Z"},
        {"2026-12-06T01:30:00+05:30", "2026-12-05T20:00:00.000Z"},
    };
    for (const auto& [text, utc] : valid) {
        const auto parsed = parseGitHubDate(QString::fromLatin1(text));
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(parsed->toUTC().toString(Qt::ISODateWithMs), QString::fromLatin1(utc)) << text;
    }
    for (const char* bad : {"", "2024-05-01", "2024-05-01T12:00:00", "2024-13-01T12:00:00Z",
                            "2024-05-01 12:00:00Z", "2024-05-01T12:00:00+24:00"}) {
        EXPECT_FALSE(parseGitHubDate(QString::fromLatin1(bad)).has_value()) << bad;
        EXPECT_EQ(parseGitHubDateOr(QString::fromLatin1(bad), kNow), kNow) << bad;
    }
}

TEST(GitHubRules, SearchItemBecomesAPullRequestWithOneFlag)
{
    const wire::SearchItem item{42,
                                7,
                                u"Fix"_s,
                                u"https://github.com/o/r/pull/7"_s,
                                {},
                                u"garbage"_s,
                                u"2026-12-01T10:00:00Z"_s,
                                true,
                                u"open"_s};
    const PullRequest pr = pullRequestFromSearchItem(item, SearchKind::assigned, kNow);
    EXPECT_EQ(pr.id, u"gh-42"_s);
    EXPECT_EQ(pr.repository, u"o/r"_s);
    EXPECT_FALSE(pr.author.has_value());
    EXPECT_EQ(pr.createdAt, kNow); // unparsable text: the time of the fetch
    EXPECT_EQ(pr.updatedAt, at("2026-12-01T10:00:00Z"));
    EXPECT_TRUE(pr.isDraft);
    EXPECT_TRUE(pr.isAssigned);
    EXPECT_FALSE(pr.isYourPR || pr.reviewRequested || pr.approvalStatus || pr.ciStatus || pr.headSha);
}

TEST(GitHubRules, MergeKeepsFirstCopyAndOrsTheFlags)
{
    auto make = [](const char* id, SearchKind kind, const char* title) {
        wire::SearchItem item;
        item.title = QString::fromLatin1(title);
        item.htmlUrl = u"https://github.com/o/r/pull/1"_s;
        PullRequest pr = pullRequestFromSearchItem(item, kind, kNow);
        pr.id = QString::fromLatin1(id);
        return pr;
    };
    // Every flag arrives once in a later copy, so each must be added to the first copy's.
    const QList<PullRequest> merged = mergeSearchResults({
        make("gh-1", SearchKind::assigned, "assigned copy"),
        make("gh-2", SearchKind::authored, "authored copy"),
        make("gh-1", SearchKind::reviewRequested, "requested copy of 1"),
        make("gh-3", SearchKind::reviewRequested, "requested copy of 3"),
        make("gh-3", SearchKind::authored, "authored copy of 3"),
        make("gh-3", SearchKind::assigned, "assigned copy of 3"),
    });
    ASSERT_EQ(merged.size(), 3);
    const auto find = [&](const char* id) {
        return *std::find_if(merged.begin(), merged.end(),
                             [&](const PullRequest& p) { return p.id == QLatin1String(id); });
    };
    EXPECT_EQ(find("gh-1").title, u"assigned copy"_s);
    EXPECT_TRUE(find("gh-1").reviewRequested && find("gh-1").isAssigned && !find("gh-1").isYourPR);
    EXPECT_EQ(find("gh-2").title, u"authored copy"_s);
    EXPECT_TRUE(find("gh-2").isYourPR && !find("gh-2").isAssigned && !find("gh-2").reviewRequested);
    EXPECT_TRUE(find("gh-3").isYourPR && find("gh-3").isAssigned && find("gh-3").reviewRequested);
}

TEST(GitHubRules, SortIsNewestFirstAndStable)
{
    QList<PullRequest> prs;
    for (const auto& [id, time] :
         {std::pair{"a", "2026-01-01T00:00:00Z"}, std::pair{"b", "2026-03-01T00:00:00Z"},
          std::pair{"c", "2026-01-01T00:00:00Z"}, std::pair{"d", "2026-02-01T00:00:00Z"}}) {
        PullRequest pr;
        pr.id = QString::fromLatin1(id);
        pr.updatedAt = at(time);
        prs.append(pr);
    }
    sortByUpdatedDescending(prs);
    QStringList order;
    for (const auto& pr : prs)
        order.append(pr.id);
    EXPECT_EQ(order.join(u','), u"b,d,a,c"_s);
}

TEST(GitHubRules, ReviewVerdictTable)
{
    struct Case
    {
        const char* name;
        const char* reviews;
        AS status;
        int count;
        const char* changeRequester; // nullptr: no last change request
    };
    const Case cases[] = {
        {"none", "", AS::pending, 0, nullptr},
        {"later approval replaces change request", "a:APPROVED@1 b:CHANGES_REQUESTED@2 b:APPROVED@3",
         AS::approved, 3, nullptr},
        {"comment after change request is skipped", "a:CHANGES_REQUESTED@1 a:COMMENTED@2",
         AS::changesRequested, 2, "a"},
        {"equal times keep the first", "a:CHANGES_REQUESTED@1 a:APPROVED@1", AS::changesRequested, 2, "a"},
        {"later without time keeps the first", "a:CHANGES_REQUESTED@1 a:APPROVED", AS::changesRequested, 2,
         "a"},
        {"one change request outweighs approvals", "a:APPROVED@1 b:APPROVED@1 c:CHANGES_REQUESTED@1",
         AS::changesRequested, 3, "c"},
        {"dismissed and pending never count", "a:DISMISSED@1 b:PENDING c:approved", AS::pending, 3, nullptr},
        {"reviews without a user are skipped", ":CHANGES_REQUESTED@1", AS::pending, 1, nullptr},
        {"newest change request wins", "a:CHANGES_REQUESTED@1 b:CHANGES_REQUESTED@5 c:CHANGES_REQUESTED@3",
         AS::changesRequested, 3, "b"},
        {"change request without time gives no info", "a:CHANGES_REQUESTED", AS::changesRequested, 1,
         nullptr},
    };
    for (const Case& c : cases) {
        const ReviewFetchResult r = reviewVerdict(reviews(c.reviews), kNow).result;
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(r.reviewCount, c.count) << c.name;
        EXPECT_EQ(r.lastChangeRequest.has_value(), c.changeRequester != nullptr) << c.name;
        if (c.changeRequester && r.lastChangeRequest) {
            EXPECT_EQ(r.lastChangeRequest->reviewer, QString::fromLatin1(c.changeRequester)) << c.name;
        }
    }
}

TEST(GitHubRules, ChangeRequestPreview)
{
    const QString longLine(250, u'x');
    const std::pair<std::optional<QString>, QString> cases[] = {
        {std::nullopt, u"(No comment)"_s},
        {QString(), u"(No comment)"_s},
        {u"\n\n\n"_s, u"(No comment)"_s},
        {u"\n\nPlease add tests\nand docs"_s, u"Please add tests"_s},
        {longLine + u"\nmore"_s, QString(100, u'x')},
        // Bodies from GitHub's web editor end their lines with CR LF; a lone CR ends a line too.
        {u"\r\n\r\nPlease rename this.\r\nSecond line"_s, u"Please rename this."_s},
        {u"\rFirst\rSecond"_s, u"First"_s},
        {u" \t\r\n  \nReal text"_s, u"Real text"_s},
        // The cut never splits a surrogate pair or a letter from its combining mark.
        {QString(99, u'x') + u"👋 tail"_s, QString(99, u'x') + u"👋"_s},
        {QString(99, u'x') + u"e\u0301 tail"_s, QString(99, u'x') + u"e\u0301"_s},
    };
    for (const auto& [body, expected] : cases)
        EXPECT_EQ(changeRequestPreview(body), expected) << body.value_or(u"(absent)"_s).toStdString();

    QList<wire::Review> withBody = reviews("rev:CHANGES_REQUESTED@5");
    withBody[0].body = u"\n\nNeeds a test\nthanks"_s;
    const auto r = reviewVerdict(withBody, kNow).result;
    ASSERT_TRUE(r.lastChangeRequest.has_value());
    EXPECT_EQ(*r.lastChangeRequest,
              (ChangeRequestInfo{u"rev"_s, u"Needs a test"_s, at("2026-01-05T00:00:00Z")}));
}

TEST(GitHubRules, CIVerdicts)
{
    auto runs = [](std::initializer_list<std::pair<const char*, const char*>> list) {
        wire::CheckRuns r;
        for (const auto& [status, conclusion] : list)
            r.runs.append(
                {QString::fromLatin1(status),
                 conclusion ? std::optional<QString>(QString::fromLatin1(conclusion)) : std::nullopt});
        r.totalCount = r.runs.size();
        return r;
    };
    const std::pair<wire::CheckRuns, CI> checkCases[] = {
        {runs({}), CI::unknown},
        {runs({{"in_progress", nullptr}, {"completed", "failure"}}), CI::pending},
        {runs({{"completed", "timed_out"}, {"completed", "success"}}), CI::failure},
        {runs({{"completed", "success"}, {"completed", "skipped"}}), CI::success},
        {runs({{"completed", "neutral"}, {"completed", "stale"}}), CI::success},
        {runs({{"completed", "success"}, {"completed", nullptr}}), CI::unknown},
        {runs({{"waiting", nullptr}}), CI::unknown},
        {runs({{"completed", "SUCCESS"}}), CI::unknown},
    };
    for (const auto& [r, expected] : checkCases)
        EXPECT_EQ(checkRunsCIStatus(r), expected) << rawValue(expected).toStdString();

    const std::tuple<const char*, QStringList, CI> legacyCases[] = {
        {"pending", {}, CI::unknown},
        {"SUCCESS", {u"success"_s}, CI::success},
        {"pending", {u"pending"_s}, CI::pending},
        {"failure", {u"failure"_s}, CI::failure},
        {"error", {u"error"_s}, CI::error},
        {"weird", {u"success"_s}, CI::unknown},
    };
    for (const auto& [state, statuses, expected] : legacyCases)
        EXPECT_EQ(legacyCIStatus({QString::fromLatin1(state), statuses}), expected) << state;

    const std::tuple<CI, CI, CI> combined[] = {
        {CI::failure, CI::success, CI::failure}, {CI::pending, CI::failure, CI::failure},
        {CI::unknown, CI::pending, CI::pending}, {CI::error, CI::pending, CI::error},
        {CI::success, CI::unknown, CI::success}, {CI::unknown, CI::unknown, CI::unknown},
        {CI::error, CI::failure, CI::failure},   {CI::success, CI::success, CI::success},
    };
    for (const auto& [legacy, checks, expected] : combined)
        EXPECT_EQ(combinedCIStatus(legacy, checks), expected)
            << rawValue(legacy).toStdString() << "+" << rawValue(checks).toStdString();
}

TEST(GitHubRules, CommitMessageFirstLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Fix build", "Fix build"},
        {"\n\nFix build\nmore\nlines", "Fix build"},
        {"Subject\r\nBody", "Subject\r\nBody"},
        {"\n\n", ""},
        {"One\n", "One"},
    };
    for (const auto& [message, expected] : cases)
        EXPECT_EQ(commitMessageFirstLine(QString::fromLatin1(message)), QString::fromLatin1(expected))
            << message;
}

TEST(GitHubRules, TodayIsTheLocalCalendarDay)
{
    const QTimeZone berlin("Europe/Berlin");
    ASSERT_TRUE(berlin.isValid());
    const QDateTime now = at("2026-12-06T10:00:00Z"); // 11:00 in Berlin
    const std::pair<const char*, bool> cases[] = {
        {"2026-12-05T22:59:00Z", false}, // 23:59 yesterday, local
        {"2026-12-05T23:01:00Z", true},  // 00:01 today, local (still the 5th in UTC)
        {"2026-12-06T22:59:59Z", true},       {"2026-12-06T23:00:00Z", false}, // local midnight of tomorrow
        {"2026-12-06T00:30:00+02:00", false},
    };
    for (const auto& [time, today] : cases)
        EXPECT_EQ(isSameLocalDay(at(time), now, berlin), today) << time;
}

TEST(GitHubRules, DeployStatusMapping)
{
    EXPECT_EQ(deploymentStatusFromStates({}), DS::unknown);
    const std::pair<const char*, DS> deployments[] = {
        {"success", DS::success},        {"failure", DS::failure}, {"pending", DS::pending},
        {"in_progress", DS::inProgress}, {"queued", DS::unknown},  {"Success", DS::unknown},
    };
    for (const auto& [state, expected] : deployments)
        EXPECT_EQ(deploymentStatusFromStates({QString::fromLatin1(state), u"success"_s}), expected) << state;

    const std::tuple<const char*, const char*, DS> runs[] = {
        {"queued", nullptr, DS::inProgress},     {"in_progress", "failure", DS::inProgress},
        {"completed", "success", DS::success},   {"completed", "failure", DS::failure},
        {"completed", "cancelled", DS::unknown}, {"completed", nullptr, DS::unknown},
    };
    for (const auto& [status, conclusion, expected] : runs) {
        wire::WorkflowRun run;
        run.status = QString::fromLatin1(status);
        if (conclusion)
            run.conclusion = QString::fromLatin1(conclusion);
        EXPECT_EQ(workflowRunDeployStatus(run), expected) << status;
    }

    const std::pair<const char*, bool> names[] = {
        {"Deploy", true},
        {"Ship it", true},
        {"Pre-release checks", true},
        {"Publish docs", true},
        {"Build", false},
        {"REDEPLOYMENT", true},
        {"", false},
    };
    for (const auto& [name, deploy] : names)
        EXPECT_EQ(isDeployWorkflowName(QString::fromLatin1(name)), deploy) << name;
}

TEST(GitHubRules, MergeDeploysDropsSameMinuteRepeatsAndSortsNewestFirst)
{
    using S = DeployInfo::Source;
    const QList<DeployInfo> deployments{
        {u"production"_s, DS::success, at("2026-12-06T09:00:10Z"), S::deployments},
        {u"Deploy"_s, DS::failure, at("2026-12-06T11:00:05Z"), S::deployments},
    };
    const QList<DeployInfo> actions{
        {u"Deploy"_s, DS::success, at("2026-12-06T11:00:45Z"), S::actions},     // same minute: dropped
        {u"Deploy"_s, DS::inProgress, at("2026-12-06T11:01:00Z"), S::actions},  // next minute: kept
        {u"Release"_s, DS::success, at("2026-12-06T09:00:10Z"), S::actions},    // equal time: stays after
        {u"production"_s, DS::unknown, at("2026-12-06T09:00:59Z"), S::actions}, // dropped
    };
    const QList<DeployInfo> merged = mergeDeploys(deployments, actions);
    ASSERT_EQ(merged.size(), 4);
    EXPECT_EQ(merged[0], actions[1]);
    EXPECT_EQ(merged[1], deployments[1]);
    EXPECT_EQ(merged[2], deployments[0]);
    EXPECT_EQ(merged[3], actions[2]);
}

// GitHub's own documented bodies decode into what the queries read.
TEST(GitHubWire, DecodesGitHubsDocumentedExamples)
{
    const wire::PRDetail detail = wire::decodePRDetail(example("pull.json"));
    EXPECT_EQ(detail.headSha, u"6dcb09b5b57875f334f61aebed695e2e4193db5e"_s);
    EXPECT_EQ(detail.requestedReviewers, QStringList{u"other_user"_s});
    ASSERT_EQ(detail.requestedTeams.size(), 1);
    EXPECT_EQ(detail.requestedTeams[0].slug, u"justice-league"_s);
    // The team's organisation is github, though octocat owns the repository.
    EXPECT_EQ(requestedTeam(detail, u"mona"_s, u"octocat/Hello-World"_s), u"github/justice-league"_s);
    EXPECT_EQ(requestedTeam(detail, u"Other_User"_s, u"octocat/Hello-World"_s), std::nullopt);
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
    EXPECT_TRUE(detail.requestedTeams.isEmpty());
}

// Which team a review was asked of: the organisation comes from the team's page, else the repository's owner.
TEST(GitHubRules, RequestedTeamNamesTheTeamWhenTheUserIsNotAsked)
{
    const auto team = [](const char* url) {
        return wire::RequestedTeam{u"web"_s, url ? QString::fromLatin1(url) : std::optional<QString>()};
    };
    const std::tuple<QStringList, QList<wire::RequestedTeam>, std::optional<QString>> cases[] = {
        {{}, {team("https://ghe.example.com/orgs/acme/teams/web")}, u"acme/web"_s},
        {{u"theo"_s}, {team(nullptr), {u"b"_s, {}}}, u"north/web"_s},
        {{}, {team("https://github.com/acme")}, u"north/web"_s},
        {{u"theo"_s, u"ME"_s}, {team(nullptr)}, std::nullopt},
        {{u"theo"_s}, {}, std::nullopt},
    };
    for (const auto& [reviewers, teams, expected] : cases)
        EXPECT_EQ(requestedTeam({u"sha"_s, {}, reviewers, teams, {}, {}}, u"me"_s, u"north/api"_s), expected)
            << reviewers.join(u',').toStdString() << " " << teams.size();
}

TEST(GitHubWire, MalformedRepliesNameTheProblem)
{
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[] { wire::decodeSearchResponse("{\"items\": ["); }, "invalid JSON at offset"},
        {[] { wire::decodeSearchResponse("[]"); }, "expected a JSON object at the top level, found an array"},
        {[] { wire::decodeReviews(R"([{"user":{"login":"a"}}])"); }, "key \"[0].state\": missing"},
        {[] { wire::decodePRDetail(R"({"head":{},"requested_reviewers":[]})"); },
         "key \"head.sha\": missing"},
        {[] { wire::decodePRDetail(R"({"head":{"sha":"a"},"requested_reviewers":[1]})"); },
         "key \"requested_reviewers[0]\": expected an object, found a number"},
        {[] {
             wire::decodePRDetail(R"({"head":{"sha":"a"},"requested_reviewers":[],"requested_teams":[{}]})");
         },
         "key \"requested_teams[0].slug\": missing"},
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
