#include "core/github_account.h"
#include "core/json_reader.h"
#include "core/pull_request.h"
#include "core/stored_encoding.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace norvane;
using AS = PullRequest::ApprovalStatus;
using CI = PullRequest::CIStatus;

namespace {

QDateTime utc(const char* iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
}

PullRequest fullPullRequest()
{
    PullRequest pr;
    pr.id = QStringLiteral("gh-1347");
    pr.number = 1347;
    pr.title = QStringLiteral("Amazing new feature ✨");
    pr.url = QStringLiteral("https://github.com/octocat/Hello-World/pull/1347");
    pr.repository = QStringLiteral("octocat/Hello-World");
    pr.author = QStringLiteral("octocat");
    pr.createdAt = utc("2011-01-26T19:01:12.125Z");
    pr.updatedAt = utc("2026-12-05T18:53:52.999Z");
    pr.isDraft = true;
    pr.state = QStringLiteral("open");
    pr.reviewRequested = true;
    pr.isYourPR = false;
    pr.isAssigned = true;
    pr.approvalStatus = AS::changesRequested;
    pr.ciStatus = CI::error;
    pr.requestedReviewers = QStringList{QStringLiteral("hubot"), QStringLiteral("other_user")};
    pr.headSha = QStringLiteral("6dcb09b5b57875f334f61aebed695e2e4193db5e");
    pr.reviewCount = 3;
    pr.commentCount = 12;
    pr.lastChangeRequest = ChangeRequestInfo{QStringLiteral("hubot"), QStringLiteral("Please fix the tests"),
                                             utc("2026-12-04T10:00:00.500Z")};
    pr.reviewCommentCount = 7;
    return pr;
}

PullRequest minimalPullRequest()
{
    PullRequest pr;
    pr.id = QStringLiteral("gh-1");
    pr.number = 1;
    pr.title = QStringLiteral("t");
    pr.url = QStringLiteral("https://github.com/a/b/pull/1");
    pr.repository = QStringLiteral("a/b");
    pr.createdAt = utc("2026-01-01T00:00:00Z");
    pr.updatedAt = utc("2026-01-01T00:00:00Z");
    pr.state = QStringLiteral("open");
    return pr;
}

void expectSame(const PullRequest& a, const PullRequest& b)
{
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.number, b.number);
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.url, b.url);
    EXPECT_EQ(a.repository, b.repository);
    EXPECT_EQ(a.author, b.author);
    EXPECT_EQ(a.createdAt, b.createdAt);
    EXPECT_EQ(a.updatedAt, b.updatedAt);
    EXPECT_EQ(a.isDraft, b.isDraft);
    EXPECT_EQ(a.state, b.state);
    EXPECT_EQ(a.reviewRequested, b.reviewRequested);
    EXPECT_EQ(a.isYourPR, b.isYourPR);
    EXPECT_EQ(a.isAssigned, b.isAssigned);
    EXPECT_EQ(a.approvalStatus, b.approvalStatus);
    EXPECT_EQ(a.ciStatus, b.ciStatus);
    EXPECT_EQ(a.requestedReviewers, b.requestedReviewers);
    EXPECT_EQ(a.headSha, b.headSha);
    EXPECT_EQ(a.reviewCount, b.reviewCount);
    EXPECT_EQ(a.commentCount, b.commentCount);
    EXPECT_EQ(a.lastChangeRequest, b.lastChangeRequest);
    EXPECT_EQ(a.reviewCommentCount, b.reviewCommentCount);
}

QJsonObject parse(const char* json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

std::string decodeError(const std::function<void()>& decode)
{
    try {
        decode();
    } catch (const DecodeError& e) {
        return e.what();
    }
    return "(decoded without error)";
}

} // namespace

TEST(PullRequestJson, RoundTripsEveryField)
{
    for (const PullRequest& pr : {fullPullRequest(), minimalPullRequest()}) {
        const QByteArray bytes = QJsonDocument(toJson(pr)).toJson();
        expectSame(pullRequestFromJson(parseJsonObject(bytes)), pr);
    }
}

TEST(PullRequestJson, WritesCamelCaseKeysAndRawValuesAndOmitsAbsentOptionals)
{
    const QJsonObject full = toJson(fullPullRequest());
    const QStringList expectedKeys{
        QStringLiteral("id"),           QStringLiteral("number"),           QStringLiteral("title"),
        QStringLiteral("url"),          QStringLiteral("repository"),       QStringLiteral("author"),
        QStringLiteral("createdAt"),    QStringLiteral("updatedAt"),        QStringLiteral("isDraft"),
        QStringLiteral("state"),        QStringLiteral("reviewRequested"),  QStringLiteral("isYourPR"),
        QStringLiteral("isAssigned"),   QStringLiteral("approvalStatus"),   QStringLiteral("ciStatus"),
        QStringLiteral("requestedReviewers"), QStringLiteral("headSha"),    QStringLiteral("reviewCount"),
        QStringLiteral("commentCount"), QStringLiteral("lastChangeRequest"), QStringLiteral("reviewCommentCount")};
    QStringList keys = full.keys();
    QStringList sortedExpected = expectedKeys;
    keys.sort();
    sortedExpected.sort();
    EXPECT_EQ(keys, sortedExpected);
    EXPECT_EQ(full.value(QStringLiteral("approvalStatus")).toString(), QStringLiteral("changes_requested"));
    EXPECT_EQ(full.value(QStringLiteral("ciStatus")).toString(), QStringLiteral("error"));
    // 2011-01-26T19:01:12.125Z is 317761272.125 s after 2001-01-01.
    EXPECT_DOUBLE_EQ(full.value(QStringLiteral("createdAt")).toDouble(), 317761272.125);

    const QJsonObject minimal = toJson(minimalPullRequest());
    for (const char* key : {"author", "approvalStatus", "ciStatus", "requestedReviewers", "headSha", "reviewCount",
                            "commentCount", "lastChangeRequest", "reviewCommentCount"})
        EXPECT_FALSE(minimal.contains(QString::fromLatin1(key))) << key;
    EXPECT_EQ(minimal.size(), 12);
}

TEST(PullRequestJson, DecodeFailuresNameTheKey)
{
    const QJsonObject good = toJson(fullPullRequest());
    struct Case {
        const char* key;
        QJsonValue value; // Undefined removes the key
        const char* message;
    };
    const Case cases[] = {
        {"id", QJsonValue::Undefined, "key \"id\": missing"},
        {"number", QJsonValue::Undefined, "key \"number\": missing"},
        {"number", 1.5, "key \"number\": expected an integer, found 1.5"},
        {"number", QStringLiteral("12"), "key \"number\": expected an integer, found a string"},
        {"createdAt", QStringLiteral("2026-01-01T00:00:00Z"), "key \"createdAt\": expected a number, found a string"},
        {"isDraft", QJsonValue::Null, "key \"isDraft\": expected a boolean, found null"},
        {"approvalStatus", QStringLiteral("changesRequested"),
         "key \"approvalStatus\": \"changesRequested\" is not a known value"},
        {"approvalStatus", QStringLiteral("APPROVED"), "key \"approvalStatus\": \"APPROVED\" is not a known value"},
        {"ciStatus", QStringLiteral("passed"), "key \"ciStatus\": \"passed\" is not a known value"},
        {"requestedReviewers", QJsonArray{QStringLiteral("a"), 3},
         "key \"requestedReviewers[1]\": expected a string, found a number"},
        {"reviewCount", 4294967296.0, "key \"reviewCount\": 4294967296 does not fit a 32-bit integer"},
        {"lastChangeRequest", QJsonObject{{QStringLiteral("reviewer"), QStringLiteral("x")},
                                          {QStringLiteral("submittedAt"), 0}},
         "key \"lastChangeRequest.bodyPreview\": missing"},
    };
    for (const Case& c : cases) {
        QJsonObject o = good;
        if (c.value.isUndefined())
            o.remove(QString::fromLatin1(c.key));
        else
            o.insert(QString::fromLatin1(c.key), c.value);
        EXPECT_EQ(decodeError([&] { pullRequestFromJson(o); }), c.message) << c.key;
    }
}

TEST(PullRequestJson, NullOptionalReadsAsAbsent)
{
    QJsonObject o = toJson(minimalPullRequest());
    o.insert(QStringLiteral("author"), QJsonValue::Null);
    o.insert(QStringLiteral("ciStatus"), QJsonValue::Null);
    const PullRequest pr = pullRequestFromJson(o);
    EXPECT_FALSE(pr.author.has_value());
    EXPECT_FALSE(pr.ciStatus.has_value());
}

TEST(StatusRawValues, DecodeOnlyRawValues)
{
    const std::pair<const char*, std::optional<AS>> approval[] = {
        {"approved", AS::approved}, {"changes_requested", AS::changesRequested}, {"pending", AS::pending},
        {"unknown", AS::unknown},   {"changesRequested", std::nullopt},        {"Approved", std::nullopt},
        {"", std::nullopt}};
    for (const auto& [raw, expected] : approval)
        EXPECT_EQ(approvalStatusFromRaw(QString::fromLatin1(raw)), expected) << raw;

    const std::pair<const char*, std::optional<CI>> ci[] = {
        {"success", CI::success}, {"pending", CI::pending}, {"failure", CI::failure}, {"error", CI::error},
        {"unknown", CI::unknown}, {"SUCCESS", std::nullopt}, {"failed", std::nullopt}};
    for (const auto& [raw, expected] : ci)
        EXPECT_EQ(ciStatusFromRaw(QString::fromLatin1(raw)), expected) << raw;
}

TEST(PullRequestRules, ColorFirstMatchWins)
{
    struct Case {
        bool yours, requested, assigned;
        std::optional<AS> approval;
        DisplayColor expected;
    };
    const Case cases[] = {
        {true, true, true, AS::approved, DisplayColor::green},
        {true, false, false, AS::approved, DisplayColor::green},
        {false, false, false, AS::approved, DisplayColor::gray},
        {true, true, true, AS::changesRequested, DisplayColor::red},
        {false, false, false, AS::changesRequested, DisplayColor::red},
        {false, true, true, AS::pending, DisplayColor::orange},
        {true, true, false, std::nullopt, DisplayColor::orange},
        {false, false, true, AS::unknown, DisplayColor::purple},
        {true, false, true, std::nullopt, DisplayColor::purple},
        {false, false, false, std::nullopt, DisplayColor::gray},
        {true, false, false, AS::pending, DisplayColor::blue},
        {true, false, false, std::nullopt, DisplayColor::blue},
    };
    for (const Case& c : cases) {
        PullRequest pr = minimalPullRequest();
        pr.isYourPR = c.yours;
        pr.reviewRequested = c.requested;
        pr.isAssigned = c.assigned;
        pr.approvalStatus = c.approval;
        EXPECT_EQ(displayColorName(pr.color()), displayColorName(c.expected))
            << c.yours << c.requested << c.assigned << (c.approval ? rawValue(*c.approval).toStdString() : "absent");
    }
}

TEST(PullRequestRules, MergeableOnlyWhenApprovedAndCiNotBlocking)
{
    const std::optional<AS> approvals[] = {std::nullopt, AS::approved, AS::changesRequested, AS::pending, AS::unknown};
    const std::optional<CI> cis[] = {std::nullopt, CI::success, CI::pending, CI::failure, CI::error, CI::unknown};
    for (const auto& approval : approvals) {
        for (const auto& ci : cis) {
            PullRequest pr = minimalPullRequest();
            pr.approvalStatus = approval;
            pr.ciStatus = ci;
            const bool expected =
                approval == AS::approved && (!ci || ci == CI::success || ci == CI::unknown);
            EXPECT_EQ(pr.isMergeable(), expected)
                << (approval ? rawValue(*approval).toStdString() : "absent") << " / "
                << (ci ? rawValue(*ci).toStdString() : "absent");
        }
    }
}

TEST(ChangeRequestInfo, EqualityComparesAllFields)
{
    const ChangeRequestInfo a{QStringLiteral("r"), QStringLiteral("b"), utc("2026-01-01T00:00:00Z")};
    EXPECT_EQ(a, a);
    EXPECT_NE(a, (ChangeRequestInfo{QStringLiteral("x"), a.bodyPreview, a.submittedAt}));
    EXPECT_NE(a, (ChangeRequestInfo{a.reviewer, QStringLiteral("x"), a.submittedAt}));
    EXPECT_NE(a, (ChangeRequestInfo{a.reviewer, a.bodyPreview, a.submittedAt.addMSecs(1)}));
}

TEST(GitHubAccount, DisplayName)
{
    const std::pair<std::optional<QString>, QString> cases[] = {
        {std::nullopt, QStringLiteral("octocat")},
        {QString(), QStringLiteral("octocat")},
        {QStringLiteral("Work"), QStringLiteral("Work (octocat)")},
        {QStringLiteral(" "), QStringLiteral("  (octocat)")},
    };
    for (const auto& [label, expected] : cases) {
        GitHubAccount a{QUuid::createUuid(), QStringLiteral("octocat"), QStringLiteral("github_token_x"), label};
        EXPECT_EQ(a.displayName(), expected);
    }
}

TEST(GitHubAccount, JsonFormAndDecodeEdges)
{
    const QUuid id = QUuid::fromString(QStringLiteral("e621e1f8-c36c-495a-93fc-0c247a3e6e5f"));
    const GitHubAccount labelled{id, QStringLiteral("octocat"), QStringLiteral("github_token_1"), QStringLiteral("Work")};
    const QJsonObject json = toJson(labelled);
    EXPECT_EQ(json.value(QStringLiteral("id")).toString(), QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
    EXPECT_EQ(json.keys().size(), 4);
    EXPECT_EQ(gitHubAccountFromJson(json), labelled);

    const GitHubAccount unlabelled{id, QStringLiteral("octocat"), QStringLiteral("github_token_1"), std::nullopt};
    EXPECT_FALSE(toJson(unlabelled).contains(QStringLiteral("label")));

    // Absent label decodes; lower-case UUID text reads as the same identity.
    const GitHubAccount decoded = gitHubAccountFromJson(parse(
        R"({"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","username":"octocat","tokenIdentifier":"github_token_1"})"));
    EXPECT_EQ(decoded, unlabelled);
    EXPECT_NE(decoded, labelled); // relabelled: different value, same identity
    EXPECT_EQ(decoded.id, labelled.id);

    const std::pair<const char*, const char*> failures[] = {
        {R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","username":"octocat"})", "key \"tokenIdentifier\": missing"},
        {R"({"username":"octocat","tokenIdentifier":"t"})", "key \"id\": missing"},
        {R"({"id":"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}","username":"o","tokenIdentifier":"t"})",
         "key \"id\": \"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}\" is not a UUID"},
        {R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","username":"o","tokenIdentifier":"t","label":5})",
         "key \"label\": expected a string, found a number"},
    };
    for (const auto& [text, message] : failures)
        EXPECT_EQ(decodeError([&] { gitHubAccountFromJson(parse(text)); }), message) << text;
}

TEST(GitHubAccount, EnterpriseHostRoundTripsAndAnOldRecordIsGitHubCom)
{
    const QUuid id = QUuid::fromString(QStringLiteral("e621e1f8-c36c-495a-93fc-0c247a3e6e5f"));
    GitHubAccount enterprise{id, QStringLiteral("mona"), QStringLiteral("github_token_1"), std::nullopt};
    enterprise.host = QStringLiteral("github.example.com");
    enterprise.oauthClientId = QStringLiteral("Iv1.0123456789abcdef");
    const QJsonObject json = toJson(enterprise);
    EXPECT_EQ(json.value(QStringLiteral("host")).toString(), QStringLiteral("github.example.com"));
    EXPECT_EQ(gitHubAccountFromJson(json), enterprise);
    EXPECT_EQ(enterprise.displayNameWithHost(), QStringLiteral("mona · github.example.com"));
    EXPECT_EQ(enterprise.endpoints(gitHubComEndpoints()),
              (GitHubEndpoints{QStringLiteral("https://github.example.com/api/v3"),
                               QStringLiteral("https://github.example.com")}));
    // Its token is kept under a key an older version, reading the record as github.com, never looks up.
    EXPECT_EQ(enterprise.tokenKey(), QStringLiteral("github_token_1@github.example.com"));

    // A record written before accounts had a host is a github.com account, with the run's github.com
    // addresses.
    const GitHubAccount old = gitHubAccountFromJson(parse(
        R"({"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","username":"mona","tokenIdentifier":"t","label":"Me"})"));
    EXPECT_FALSE(old.isEnterprise());
    EXPECT_FALSE(toJson(old).contains(QStringLiteral("host")));
    EXPECT_EQ(old.displayNameWithHost(), QStringLiteral("Me (mona)"));
    EXPECT_EQ(old.tokenKey(), QStringLiteral("t"));
    const GitHubEndpoints standIn{QStringLiteral("http://127.0.0.1:1"), QStringLiteral("http://127.0.0.1:2")};
    EXPECT_EQ(old.endpoints(standIn), standIn);

    GitHubAccount local = old;
    local.host = QStringLiteral("http://127.0.0.1:8080");
    EXPECT_EQ(local.endpoints(standIn).apiBaseURL, QStringLiteral("http://127.0.0.1:8080/api/v3"));
    EXPECT_EQ(local.displayNameWithHost(), QStringLiteral("Me (mona) · 127.0.0.1:8080"));
    EXPECT_EQ(decodeError([&] {
                  gitHubAccountFromJson(
                      parse(R"({"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","username":"m",)"
                            R"("tokenIdentifier":"t","host":7})"));
              }),
              "key \"host\": expected a string, found a number");
}

TEST(GitHubAccount, EnterpriseHostAsTyped)
{
    const QString notAHost = QStringLiteral("Enter the server's host name, such as github.example.com.");
    const QString httpsOnly = QStringLiteral("A GitHub Enterprise Server is reached over https.");
    const struct
    {
        const char* typed;
        std::optional<QString> host; // nullopt: refused with `error`
        QString error = {};
    } cases[] = {
        {"github.example.com", QStringLiteral("github.example.com")},
        {"  GitHub.Example.COM  ", QStringLiteral("github.example.com")},
        {"https://github.example.com/", QStringLiteral("github.example.com")},
        {"HTTPS://ghe.corp:8443", QStringLiteral("ghe.corp:8443")},
        {"10.0.0.5", QStringLiteral("10.0.0.5")},
        {"http://127.0.0.1:41234", QStringLiteral("http://127.0.0.1:41234")},
        {"http://localhost:8080/", QStringLiteral("http://localhost:8080")},
        {"http://[::1]:8080", QStringLiteral("http://[::1]:8080")},
        {"", std::nullopt, QStringLiteral("Enter your GitHub Enterprise Server's host name.")},
        {"http://github.example.com", std::nullopt, httpsOnly},
        {"http://10.0.0.5", std::nullopt, httpsOnly},
        {"ftp://github.example.com", std::nullopt, httpsOnly},
        {"github.example.com/api/v3", std::nullopt, notAHost},
        {"github.example.com?x=1", std::nullopt, notAHost},
        {"user@github.example.com", std::nullopt, notAHost},
        {"git hub.example.com", std::nullopt, notAHost},
        {"-bad-.example.com", std::nullopt, notAHost},
        {"github..example.com", std::nullopt, notAHost},
        {"ghe.corp:0", std::nullopt, notAHost},
        {"ghe.corp:70000", std::nullopt, notAHost},
        {"ghe.corp:", std::nullopt, notAHost},
        {"300.1.1.1", std::nullopt, notAHost},
        {"12345", std::nullopt, notAHost},
        {"github.com", std::nullopt,
         QStringLiteral("github.com is GitHub.com itself: choose GitHub.com instead.")},
        {"https://api.github.com", std::nullopt,
         QStringLiteral("api.github.com is GitHub.com itself: choose GitHub.com instead.")},
    };
    for (const auto& c : cases) {
        const EnterpriseHostCheck check = enterpriseHost(QString::fromUtf8(c.typed));
        EXPECT_EQ(check.host, c.host) << c.typed;
        EXPECT_EQ(check.error, c.error) << c.typed;
    }
}

TEST(GitHubAccount, ListDecodesWholeOrNotAtAll)
{
    const QList<GitHubAccount> accounts{
        {QUuid::createUuid(), QStringLiteral("a"), QStringLiteral("github_token_a"), std::nullopt},
        {QUuid::createUuid(), QStringLiteral("b"), QStringLiteral("github_token_b"), QStringLiteral("B")}};
    const QByteArray bytes = QJsonDocument(toJson(accounts)).toJson(QJsonDocument::Compact);
    EXPECT_EQ(gitHubAccountsFromJson(parseJsonArray(bytes)), accounts);

    QJsonArray broken = toJson(accounts);
    broken.append(QStringLiteral("not an account"));
    EXPECT_EQ(decodeError([&] { gitHubAccountsFromJson(broken); }),
              "key \"[2]\": expected an object, found a string");
    EXPECT_EQ(decodeError([&] { parseJsonArray("[{\"id\":"); }).rfind("invalid JSON at offset", 0), 0u);
}
