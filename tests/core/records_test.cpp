#include "core/activity_records.h"
#include "core/github_account.h"
#include "core/json_reader.h"
#include "core/pr_rules.h"
#include "core/pull_request.h"
#include "core/stored_encoding.h"
#include "core/watched_repo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
    pr.id = u"gh-1347"_s;
    pr.number = 1347;
    pr.title = u"Amazing new feature ✨"_s;
    pr.url = u"https://github.com/octocat/Hello-World/pull/1347"_s;
    pr.repository = u"octocat/Hello-World"_s;
    pr.author = u"octocat"_s;
    pr.createdAt = utc("2011-01-26T19:01:12.125Z");
    pr.updatedAt = utc("2026-12-05T18:53:52.999Z");
    pr.isDraft = true;
    pr.state = u"open"_s;
    pr.reviewRequested = true;
    pr.isYourPR = false;
    pr.isAssigned = true;
    pr.approvalStatus = AS::changesRequested;
    pr.ciStatus = CI::error;
    pr.requestedReviewers = QStringList{u"hubot"_s, u"other_user"_s};
    pr.headSha = u"6dcb09b5b57875f334f61aebed695e2e4193db5e"_s;
    pr.reviewCount = 3;
    pr.commentCount = 12;
    pr.lastChangeRequest =
        ChangeRequestInfo{u"hubot"_s, u"Please fix the tests"_s, utc("2026-12-04T10:00:00.500Z")};
    pr.reviewCommentCount = 7;
    return pr;
}

PullRequest minimalPullRequest()
{
    PullRequest pr;
    pr.id = u"gh-1"_s;
    pr.number = 1;
    pr.title = u"t"_s;
    pr.url = u"https://github.com/a/b/pull/1"_s;
    pr.repository = u"a/b"_s;
    pr.createdAt = utc("2026-01-01T00:00:00Z");
    pr.updatedAt = utc("2026-01-01T00:00:00Z");
    pr.state = u"open"_s;
    return pr;
}

// The stored form, which compares two records field by field.
QByteArray stored(const PullRequest& pr)
{
    return QJsonDocument(toJson(pr)).toJson(QJsonDocument::Compact);
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

QByteArray compact(const QJsonValue& value)
{
    return value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                           : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
}

struct StoredForm
{
    const char* name;
    QJsonValue stored, readBack;
    QString keys; // of an object, in order
};

template <class T, class Decode>
StoredForm form(const char* name, const T& value, Decode decode, QString keys = {})
{
    const auto json = toJson(value);
    if constexpr (std::is_invocable_v<Decode, decltype(json)>)
        return {name, json, toJson(decode(json)), std::move(keys)};
    else
        return {name, json, toJson(decode(json, QString())), std::move(keys)};
}

} // namespace

// Every record's stored form, as written to disk and read back: its keys (absent optionals left out) and
// the same form again after decoding.
TEST(StoredForms, EachRecordReadsBackAsItWasWritten)
{
    const QUuid id = QUuid::fromString(u"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"_s);
    GitHubAccount enterprise{id, u"mona"_s, u"github_token_1"_s, std::nullopt};
    enterprise.host = u"github.example.com"_s;
    enterprise.oauthClientId = u"Iv1.0123456789abcdef"_s;
    GitHubIssue issue{u"issue-o/r-9"_s,
                      9,
                      u"Crash on start"_s,
                      u"https://github.com/o/r/issues/9"_s,
                      u"o/r"_s,
                      u"octocat"_s,
                      QDateTime::fromMSecsSinceEpoch(1'700'000'000'123, Qt::UTC),
                      QDateTime::fromMSecsSinceEpoch(1'700'000'100'456, Qt::UTC),
                      {u"bug"_s, u"p1"_s},
                      4};
    GitHubIssue anonymous = issue;
    anonymous.author.reset();
    const StoredForm forms[] = {
        form("full pull request", fullPullRequest(), pullRequestFromJson,
             u"approvalStatus,author,ciStatus,commentCount,createdAt,headSha,id,isAssigned,isDraft,isYourPR,"
             u"lastChangeRequest,number,repository,requestedReviewers,reviewCommentCount,reviewCount,"
             u"reviewRequested,state,title,updatedAt,url"_s),
        form("minimal pull request", minimalPullRequest(), pullRequestFromJson,
             u"createdAt,id,isAssigned,isDraft,isYourPR,number,repository,reviewRequested,state,title,"
             u"updatedAt,"
             u"url"_s),
        form("labelled account", GitHubAccount{id, u"octocat"_s, u"github_token_1"_s, u"Work"_s},
             gitHubAccountFromJson, u"id,label,tokenIdentifier,username"_s),
        form("enterprise account", enterprise, gitHubAccountFromJson,
             u"host,id,oauthClientId,tokenIdentifier,username"_s),
        form("accounts", QList<GitHubAccount>{enterprise, {id, u"a"_s, u"t"_s, std::nullopt}},
             gitHubAccountsFromJson),
        form("issue", issue, gitHubIssueFromJson,
             u"author,commentCount,createdAt,id,labels,number,repository,title,updatedAt,url"_s),
        form("issue without author", anonymous, gitHubIssueFromJson,
             u"commentCount,createdAt,id,labels,number,repository,title,updatedAt,url"_s),
        form("seen states",
             SeenStateMap{{u"gh-1"_s, {u"abc"_s, 1, 2, CI::failure, AS::changesRequested}},
                          {u"gh-2"_s, {std::nullopt, 0, 0, std::nullopt, std::nullopt}}},
             seenStateMapFromJson, u"gh-1,gh-2"_s),
        form("notification settings", NotificationSettings{false, true, false, 30, false},
             notificationSettingsFromJson,
             u"notifyOnApproval,notifyOnChangesRequested,notifyOnReviewRequest,notifyOnTeamReviewRequest,"
             u"pollingIntervalMinutes"_s),
        form("watched repositories",
             QList<WatchedRepo>{
                 {id, u"octo/Hello"_s, QUuid::fromString(u"0B5A7E9C-1D2E-4F30-8A1B-2C3D4E5F6A7B"_s)}},
             watchedReposFromJson),
    };
    for (const StoredForm& f : forms) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(compact(f.readBack), compact(f.stored));
        if (!f.keys.isEmpty()) {
            EXPECT_EQ(f.stored.toObject().keys().join(u','), f.keys);
        }
    }
    // 2011-01-26T19:01:12.125Z is 317761272.125 s after 2001-01-01; identities are upper-case UUID text.
    EXPECT_DOUBLE_EQ(forms[0].stored[u"createdAt"_s].toDouble(), 317761272.125);
    EXPECT_EQ(forms[2].stored[u"id"_s].toString(), u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_s);
    EXPECT_EQ(forms[7].stored[u"gh-2"_s].toObject().keys(),
              (QStringList{u"commentCount"_s, u"reviewCount"_s}));
    EXPECT_EQ(compact(forms[9].stored),
              R"([{"accountId":"0B5A7E9C-1D2E-4F30-8A1B-2C3D4E5F6A7B","fullName":"octo/Hello",)"
              R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"}])");

    // Every status is stored as its raw value and reads back.
    const std::pair<AS, const char*> approvals[] = {{AS::approved, "approved"},
                                                    {AS::changesRequested, "changes_requested"},
                                                    {AS::pending, "pending"},
                                                    {AS::unknown, "unknown"}};
    const std::pair<CI, const char*> cis[] = {{CI::success, "success"},
                                              {CI::pending, "pending"},
                                              {CI::failure, "failure"},
                                              {CI::error, "error"},
                                              {CI::unknown, "unknown"}};
    const auto expectStored = [](const PullRequest& pr, const char* key, const char* raw) {
        const QJsonObject json = toJson(pr);
        EXPECT_EQ(json.value(QLatin1String(key)).toString(), QLatin1String(raw));
        EXPECT_EQ(stored(pullRequestFromJson(json)), stored(pr)) << raw;
    };
    PullRequest pr = minimalPullRequest();
    for (const auto& [status, raw] : approvals) {
        pr.approvalStatus = status;
        expectStored(pr, "approvalStatus", raw);
    }
    for (const auto& [status, raw] : cis) {
        pr.ciStatus = status;
        expectStored(pr, "ciStatus", raw);
    }
    for (auto status : {DeployInfo::Status::success, DeployInfo::Status::failure, DeployInfo::Status::pending,
                        DeployInfo::Status::inProgress, DeployInfo::Status::unknown}) {
        for (auto source : {DeployInfo::Source::deployments, DeployInfo::Source::actions}) {
            const DeployInfo d{u"production"_s, status,
                               QDateTime::fromMSecsSinceEpoch(1'700'000'000'001, Qt::UTC), source};
            EXPECT_EQ(deployInfoFromJson(toJson(d)), d);
        }
    }
    EXPECT_EQ(toJson(DeployInfo{u"e"_s, DeployInfo::Status::inProgress, QDateTime::currentDateTimeUtc(),
                                DeployInfo::Source::actions})
                  .value(u"status"_s)
                  .toString(),
              u"in_progress"_s);
}

// A stored form that does not decode names the key at fault; one bad entry makes a whole list unreadable.
TEST(StoredForms, DecodeFailuresNameTheKey)
{
    const QJsonObject pr = toJson(fullPullRequest());
    const auto withPR = [&](const char* key, const QJsonValue& value) {
        QJsonObject o = pr;
        value.isUndefined() ? o.remove(QLatin1String(key)) : void(o.insert(QLatin1String(key), value));
        return [o] { pullRequestFromJson(o); };
    };
    const auto account = [](const char* text) { return [text] { gitHubAccountFromJson(parse(text)); }; };
    QJsonObject deploy{{u"environment"_s, u"prod"_s},
                       {u"status"_s, u"in_progress"_s},
                       {u"deployedAt"_s, 1.0},
                       {u"source"_s, u"github"_s}};
    QJsonObject issue = toJson(GitHubIssue{u"i"_s,
                                           1,
                                           u"t"_s,
                                           u"u"_s,
                                           u"o/r"_s,
                                           std::nullopt,
                                           QDateTime::currentDateTimeUtc(),
                                           QDateTime::currentDateTimeUtc(),
                                           {},
                                           0});
    issue.insert(u"labels"_s, QJsonValue::Null);
    const QJsonObject repo{{u"id"_s, u"not-a-uuid"_s},
                           {u"fullName"_s, u"octo/hello"_s},
                           {u"accountId"_s, u"0B5A7E9C-1D2E-4F30-8A1B-2C3D4E5F6A7B"_s}};
    QJsonObject settings = toJson(NotificationSettings{});
    settings.insert(u"pollingIntervalMinutes"_s, u"15"_s);
    const std::pair<std::function<void()>, std::string> cases[] = {
        {withPR("id", QJsonValue::Undefined), "key \"id\": missing"},
        {withPR("number", 1.5), "key \"number\": expected an integer, found 1.5"},
        {withPR("number", u"12"_s), "key \"number\": expected an integer, found a string"},
        {withPR("createdAt", u"2026-01-01T00:00:00Z"_s),
         "key \"createdAt\": expected a number, found a string"},
        {withPR("isDraft", QJsonValue::Null), "key \"isDraft\": expected a boolean, found null"},
        {withPR("approvalStatus", u"changesRequested"_s),
         "key \"approvalStatus\": \"changesRequested\" is not a known value"},
        {withPR("requestedReviewers", QJsonArray{u"a"_s, 3}),
         "key \"requestedReviewers[1]\": expected a string, found a number"},
        {withPR("reviewCount", 4294967296.0),
         "key \"reviewCount\": 4294967296 does not fit a 32-bit integer"},
        {withPR("lastChangeRequest", QJsonObject{{u"reviewer"_s, u"x"_s}, {u"submittedAt"_s, 0}}),
         "key \"lastChangeRequest.bodyPreview\": missing"},
        {account(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","username":"octocat"})"),
         "key \"tokenIdentifier\": missing"},
        {account(R"({"id":"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}","username":"o","tokenIdentifier":"t"})"),
         "key \"id\": \"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}\" is not a UUID"},
        {account(
             R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","username":"o","tokenIdentifier":"t","label":5})"),
         "key \"label\": expected a string, found a number"},
        {account(
             R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","username":"m","tokenIdentifier":"t","host":7})"),
         "key \"host\": expected a string, found a number"},
        {[] { gitHubAccountsFromJson(QJsonArray{u"not an account"_s}); },
         "key \"[0]\": expected an object, found a string"},
        {[deploy] { deployInfoFromJson(deploy); }, "key \"source\": \"github\" is not a known value"},
        {[issue] { gitHubIssueFromJson(issue); }, "key \"labels\": expected an array, found null"},
        {[repo] { watchedReposFromJson(QJsonArray{repo}); }, "key \"[0].id\": \"not-a-uuid\" is not a UUID"},
        {[] {
             seenStateMapFromJson(QJsonObject{{u"gh-3"_s, QJsonObject{{u"reviewCount"_s, 1}}}});
         },
         "key \"gh-3.commentCount\": missing"},
        {[settings] { notificationSettingsFromJson(settings); },
         "key \"pollingIntervalMinutes\": expected an integer, found a string"},
    };
    for (const auto& [decode, message] : cases)
        EXPECT_EQ(decodeError(decode), message);

    // A null optional reads as absent; lower-case UUID text is the same identity.
    QJsonObject nulls = toJson(minimalPullRequest());
    nulls.insert(u"author"_s, QJsonValue::Null);
    nulls.insert(u"ciStatus"_s, QJsonValue::Null);
    const PullRequest decoded = pullRequestFromJson(nulls);
    EXPECT_FALSE(decoded.author.has_value() || decoded.ciStatus.has_value());
    // Settings an earlier version stored, without the team switch, read with it on.
    EXPECT_EQ(notificationSettingsFromJson(parse(R"({"notifyOnApproval":false,"notifyOnChangesRequested":true,)"
                                                 R"("notifyOnReviewRequest":true,"pollingIntervalMinutes":5})")),
              (NotificationSettings{true, true, false, 5, true}));
    EXPECT_EQ(gitHubAccountFromJson(parse(R"({"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","username":"o",)"
                                          R"("tokenIdentifier":"t"})"))
                  .id,
              QUuid::fromString(u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_s));
}

TEST(PullRequestRules, ColorFirstMatchWins)
{
    struct Case
    {
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
        {false, false, true, AS::unknown, DisplayColor::purple},
        {true, false, true, std::nullopt, DisplayColor::purple},
        {false, false, false, std::nullopt, DisplayColor::gray},
        {true, false, false, AS::pending, DisplayColor::blue},
    };
    for (const Case& c : cases) {
        PullRequest pr = minimalPullRequest();
        pr.isYourPR = c.yours;
        pr.reviewRequested = c.requested;
        pr.isAssigned = c.assigned;
        pr.approvalStatus = c.approval;
        EXPECT_EQ(displayColorName(pr.color()), displayColorName(c.expected))
            << c.yours << c.requested << c.assigned
            << (c.approval ? rawValue(*c.approval).toStdString() : "absent");
    }
}

TEST(PullRequestRules, MergeableOnlyWhenApprovedAndCiNotBlocking)
{
    const std::optional<AS> approvals[] = {std::nullopt, AS::approved, AS::changesRequested, AS::pending,
                                           AS::unknown};
    const std::optional<CI> cis[] = {std::nullopt, CI::success, CI::pending,
                                     CI::failure,  CI::error,   CI::unknown};
    for (const auto& approval : approvals) {
        for (const auto& ci : cis) {
            PullRequest pr = minimalPullRequest();
            pr.approvalStatus = approval;
            pr.ciStatus = ci;
            const bool expected = approval == AS::approved && (!ci || ci == CI::success || ci == CI::unknown);
            EXPECT_EQ(pr.isMergeable(), expected) << (approval ? rawValue(*approval).toStdString() : "absent")
                                                  << " / " << (ci ? rawValue(*ci).toStdString() : "absent");
        }
    }
}

TEST(GitHubAccount, DisplayName)
{
    const std::pair<std::optional<QString>, QString> cases[] = {
        {std::nullopt, u"octocat"_s},
        {QString(), u"octocat"_s},
        {u"Work"_s, u"Work (octocat)"_s},
        {u" "_s, u"  (octocat)"_s},
    };
    for (const auto& [label, expected] : cases) {
        GitHubAccount a{QUuid::createUuid(), u"octocat"_s, u"github_token_x"_s, label};
        EXPECT_EQ(a.displayName(), expected);
    }
}

TEST(GitHubAccount, AnEnterpriseHostAndAnOldRecordWhichIsGitHubCom)
{
    const QUuid id = QUuid::fromString(u"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"_s);
    GitHubAccount enterprise{id, u"mona"_s, u"github_token_1"_s, std::nullopt};
    enterprise.host = u"github.example.com"_s;
    EXPECT_EQ(enterprise.displayNameWithHost(), u"mona · github.example.com"_s);
    EXPECT_EQ(enterprise.endpoints(gitHubComEndpoints()),
              (GitHubEndpoints{u"https://github.example.com/api/v3"_s, u"https://github.example.com"_s}));
    // Its token is kept under a key an older version, reading the record as github.com, never looks up.
    EXPECT_EQ(enterprise.tokenKey(), u"github_token_1@github.example.com"_s);

    // A record written before accounts had a host is a github.com account, with the run's github.com
    // addresses.
    const GitHubAccount old = gitHubAccountFromJson(parse(
        R"({"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","username":"mona","tokenIdentifier":"t","label":"Me"})"));
    EXPECT_FALSE(old.isEnterprise());
    EXPECT_FALSE(toJson(old).contains(u"host"_s));
    EXPECT_EQ(old.displayNameWithHost(), u"Me (mona)"_s);
    EXPECT_EQ(old.tokenKey(), u"t"_s);
    const GitHubEndpoints standIn{u"http://127.0.0.1:1"_s, u"http://127.0.0.1:2"_s};
    EXPECT_EQ(old.endpoints(standIn), standIn);

    GitHubAccount local = old;
    local.host = u"http://127.0.0.1:8080"_s;
    EXPECT_EQ(local.endpoints(standIn).apiBaseURL, u"http://127.0.0.1:8080/api/v3"_s);
    EXPECT_EQ(local.displayNameWithHost(), u"Me (mona) · 127.0.0.1:8080"_s);
}

TEST(GitHubAccount, EnterpriseHostAsTyped)
{
    const std::pair<const char*, const char*> accepted[] = {
        {"github.example.com", "github.example.com"},
        {"  GitHub.Example.COM  ", "github.example.com"},
        {"https://github.example.com/", "github.example.com"},
        {"HTTPS://ghe.corp:8443", "ghe.corp:8443"},
        {"10.0.0.5", "10.0.0.5"},
        {"http://localhost:8080/", "http://localhost:8080"},
        {"http://[::1]:8080", "http://[::1]:8080"},
    };
    for (const auto& [typed, host] : accepted) {
        const EnterpriseHostCheck check = enterpriseHost(QString::fromUtf8(typed));
        EXPECT_EQ(check.host, QString::fromUtf8(host)) << typed;
        EXPECT_EQ(check.error, QString()) << typed;
    }
    const auto refusal = [](const char* typed) {
        const EnterpriseHostCheck check = enterpriseHost(QString::fromUtf8(typed));
        EXPECT_FALSE(check.host.has_value()) << typed;
        return check.error;
    };
    for (const char* typed :
         {"github.example.com/api/v3", "user@github.example.com", "git hub.example.com", "-bad-.example.com",
          "github..example.com", "ghe.corp:0", "ghe.corp:70000", "ghe.corp:", "300.1.1.1", "12345"})
        EXPECT_EQ(refusal(typed), u"Enter the server's host name, such as github.example.com."_s) << typed;
    for (const char* typed : {"http://github.example.com", "http://10.0.0.5", "ftp://github.example.com"})
        EXPECT_EQ(refusal(typed), u"A GitHub Enterprise Server is reached over https."_s) << typed;
    EXPECT_EQ(refusal(""), u"Enter your GitHub Enterprise Server's host name."_s);
    EXPECT_EQ(refusal("github.com"), u"github.com is GitHub.com itself: choose GitHub.com instead."_s);
    EXPECT_EQ(refusal("https://api.github.com"),
              u"api.github.com is GitHub.com itself: choose GitHub.com instead."_s);
}

TEST(StoredTimestamp, CountsFromTheReferenceDateToTheMillisecondAndRejectsNonsense)
{
    const std::pair<const char*, double> cases[] = {
        {"2001-01-01T00:00:00.000Z", 0.0},
        {"2001-01-01T00:00:01.500Z", 1.5},
        {"2000-12-31T23:59:59.000Z", -1.0},
        {"2026-12-05T18:53:52.001Z", 818189632.001},
    };
    for (const auto& [iso, seconds] : cases) {
        const QDateTime t = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
        ASSERT_TRUE(t.isValid()) << iso;
        EXPECT_NEAR(toStoredTimestamp(t), seconds, 1e-6) << iso;
        EXPECT_EQ(fromStoredTimestamp(seconds), t) << iso;
    }
    const QDateTime base = QDateTime::fromString(u"2026-12-05T18:53:52Z"_s, Qt::ISODate);
    for (int ms : {1, 499, 500, 999})
        EXPECT_EQ(fromStoredTimestamp(toStoredTimestamp(base.addMSecs(ms))), base.addMSecs(ms)) << ms;
    for (double bad :
         {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(), 1e300})
        EXPECT_FALSE(fromStoredTimestamp(bad).has_value()) << bad;
}

TEST(UuidText, UpperCaseCanonicalFormOnly)
{
    const QUuid id = QUuid::fromString(u"{e621e1f8-c36c-495a-93fc-0c247a3e6e5f}"_s);
    EXPECT_EQ(uuidText(id), u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_s);
    EXPECT_EQ(uuidText(QUuid::createUuid()).size(), 36);

    const std::pair<const char*, bool> cases[] = {
        {"E621E1F8-C36C-495A-93FC-0C247A3E6E5F", true},    {"e621e1f8-c36c-495a-93fc-0c247a3e6e5f", true},
        {"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}", false}, {"E621E1F8C36C495A93FC0C247A3E6E5F", false},
        {"E621E1F8-C36C-495A-93FC-0C247A3E6E5", false},    {"G621E1F8-C36C-495A-93FC-0C247A3E6E5F", false},
        {"E621E1F8+C36C-495A-93FC-0C247A3E6E5F", false},   {"", false},
    };
    for (const auto& [text, valid] : cases) {
        const auto parsed = uuidFromText(QString::fromLatin1(text));
        EXPECT_EQ(parsed.has_value(), valid) << text;
        if (valid && parsed && QString::fromLatin1(text).startsWith(u'e')) {
            EXPECT_EQ(*parsed, id);
        }
    }
}
