#include "support.h"

using namespace norvane::fakehub;
using namespace norvane::fakehub::testing;

namespace {

// "repo#number" of each item, in answer order.
QStringList hits(const QJsonValue& answer)
{
    QStringList out;
    for (const QJsonValue& item : answer[u"items"_s].toArray()) {
        const QStringList url = str(item, "html_url").split(u'/', Qt::SkipEmptyParts);
        out << url[3] + u'#' + url[5];
    }
    return out;
}

} // namespace

TEST(Search, QualifiersSelectWhatTheUserMaySee)
{
    FakeHub hub(world());
    Http http(hub);
    const std::string open = "type:pr+state:open+archived:false+";
    const std::vector<std::tuple<std::string, std::string, QStringList, qint64>> cases = {
        // Archived and invisible repositories drop out; newest update first.
        {open + "review-requested:mona", "t-mona", {"api#2"}, 1},
        {open + "review-requested:mona", "t-theo", {"api#2", "secret#1"}, 2},
        {open + "author:mona", "t-mona", {"api#1"}, 1},
        // A review requested from a team finds the pull request for its members.
        {open + "review-requested:theo", "t-theo", {"api#1"}, 1},
        {"type:pr+state:closed+author:mona", "t-mona", {"api#5"}, 1},
        {open + "assignee:mona", "t-mona", {"api#3"}, 1},
        {open + "author:nobody", "t-mona", {}, 0},
        // Both qualifiers must hold.
        {open + "author:theo+assignee:mona", "t-mona", {"api#3"}, 1},
        // Owners (any of them), labels (all of them), teams as owner/slug, drafts.
        {open + "org:acme+label:urgent", "t-mona", {"api#4"}, 1},
        {open + "user:nobody+user:acme+label:urgent+label:bug", "t-mona", {"api#4"}, 1},
        {open + "label:urgent+label:docs", "t-mona", {}, 0},
        {open + "org:northwind", "t-mona", {}, 0},
        {open + "team-review-requested:acme/core", "t-mona", {"api#1"}, 1},
        {open + "team-review-requested:other/core", "t-mona", {}, 0},
        {open + "is:draft", "t-mona", {"api#2"}, 1},
        {open + "draft:false+author:theo", "t-mona", {"api#3"}, 1},
        {"type:issue+label:bug", "t-mona", {"api#50"}, 1},
        // Repository counts read total_count with per_page=1.
        {"repo:acme/api+type:pr+state:open&per_page=1", "t-mona", {"api#2"}, 4},
        {"repo:acme/secret+type:pr+state:open&per_page=1", "t-mona", {}, 0},
        {"type:issue+state:open+assignee:mona", "t-mona", {"api#50"}, 1},
        // Blanks as %20, colons as %3A, order and sort.
        {"type%3Apr%20state%3Aopen%20archived%3Afalse%20author%3Atheo&sort=updated&order=asc",
         "t-mona",
         {"api#3", "api#2"},
         2},
        // Without archived:false archived repositories count too.
        {"type:pr+state:open+author:theo&sort=created&order=desc", "t-mona", {"api#3", "api#2", "old#1"}, 3},
        {open + "author:theo&per_page=1&page=2", "t-mona", {"api#3"}, 2},
    };
    for (const auto& [query, token, expected, total] : cases) {
        const QJsonValue answer = http.json("/search/issues?q=" + query, token);
        EXPECT_EQ(hits(answer), expected) << query;
        EXPECT_EQ(num(answer, "total_count"), total) << query;
        EXPECT_EQ(answer[u"incomplete_results"_s].toBool(true), false);
    }
}

TEST(Search, RefusesQueriesOutsideTheSupportedSyntax)
{
    FakeHub hub(world());
    Http http(hub);
    // GitHub's body for a query it cannot read: the reason in errors[].message.
    for (const auto& [query, reason] : std::vector<std::pair<std::string, QString>>{
             {"", u""_s},
             {"?q=fix+bug", u"Free text \"fix\" is not supported."_s},
             {"?q=type:pr+lable:bug", u"The qualifier \"lable:bug\" is not supported."_s},
             {"?q=-author:mona", u"The qualifier \"-author:mona\" is not supported."_s},
             {"?q=repo:acme", u"The qualifier \"repo:acme\" is not supported."_s},
             {"?q=org:acme/api", u"The qualifier \"org:acme/api\" is not supported."_s},
             {"?q=team-review-requested:core",
              u"The qualifier \"team-review-requested:core\" is not supported."_s},
             {"?q=draft:maybe", u"The qualifier \"draft:maybe\" is not supported."_s},
             {"?q=label:", u"Free text \"label:\" is not supported."_s},
         }) {
        const auto result = http.get("/search/issues" + query);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 422) << query;
        const QJsonValue body = parseBody(result->body);
        EXPECT_EQ(str(body, "message"), u"Validation Failed"_s) << query;
        EXPECT_EQ(str(body, "errors[0].field"), u"q"_s) << query;
        EXPECT_EQ(str(body, "errors[0].resource"), u"Search"_s) << query;
        EXPECT_EQ(str(body, "errors[0].code"), query.empty() ? u"missing"_s : u"invalid"_s) << query;
        EXPECT_EQ(str(body, "errors[0].message"), reason) << query;
        EXPECT_EQ(str(body, "documentation_url"), u"https://docs.github.com/v3/search/"_s) << query;
    }
}

TEST(Authorization, TokensMustMatchAUserAndRepositoriesMustBeVisible)
{
    FakeHub hub(world());
    Http http(hub);
    // Path, Authorization header, status and the message of the error body.
    const std::vector<std::tuple<std::string, std::optional<std::string>, int, const char*>> cases = {
        {"/user", std::nullopt, 401, "Requires authentication"},
        {"/user", "token wrong", 401, "Bad credentials"},
        {"/user", "t-mona", 401, "Bad credentials"}, // no scheme
        {"/repos/acme/api/pulls/1", "token t-priya", 401, "Bad credentials"},
        {"/user", "token t-mona", 200, ""},
        {"/user", "Bearer t-mona", 200, ""},
        {"/repos/acme/secret/pulls/1", "token t-mona", 404, "Not Found"},
        {"/repos/acme/secret/pulls/1", "token t-theo", 200, ""},
        {"/repos/acme/nothing/issues", "token t-mona", 404, "Not Found"},
        {"/repos/acme/api/pulls/99", "token t-mona", 404, "Not Found"},
        {"/nowhere", "token t-mona", 404, "Not Found"},
    };
    for (const auto& [path, authorization, status, message] : cases) {
        httplib::Headers headers;
        if (authorization)
            headers.emplace("Authorization", *authorization);
        const auto result = http.client().Get(path, headers);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, status) << path << " with " << authorization.value_or("nothing");
        if (*message) {
            EXPECT_EQ(str(parseBody(result->body), "message"), QLatin1String(message)) << path;
        }
    }
    // The 401 body is GitHub's, key for key.
    EXPECT_EQ(parseBody(http.get("/user", "wrong")->body), example(u"error-401"_s));
    EXPECT_EQ(str(http.json("/user", "t-theo"), "login"), u"theo"_s);
}
