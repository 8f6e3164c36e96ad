#include "support.h"

using namespace norvane::fakehub;
using namespace norvane::fakehub::testing;

namespace {

// "repo#number" of each item, in answer order.
QStringList hits(const QJsonValue& answer)
{
    QStringList out;
    for (const QJsonValue& item : answer[QStringLiteral("items")].toArray()) {
        const QStringList url =
            item[QStringLiteral("html_url")].toString().split(QLatin1Char('/'), Qt::SkipEmptyParts);
        out << url[3] + QLatin1Char('#') + url[5];
    }
    return out;
}

} // namespace

TEST(Search, QualifiersSelectWhatTheUserMaySee)
{
    FakeHub hub(world());
    Http http(hub);
    struct Case
    {
        std::string query;
        std::string token;
        QStringList expected;
        qint64 total;
    };
    const std::string open = "type:pr+state:open+archived:false+";
    const std::vector<Case> cases = {
        // Archived and invisible repositories drop out; newest update first.
        {open + "review-requested:mona", "t-mona", {"api#2"}, 1},
        {"type:pr+state:open+review-requested:mona", "t-mona", {"api#2", "old#1"}, 2},
        {open + "review-requested:mona", "t-theo", {"api#2", "secret#1"}, 2},
        {open + "author:mona", "t-mona", {"api#1"}, 1},
        {"type:pr+state:closed+author:mona", "t-mona", {"api#5"}, 1},
        {open + "assignee:mona", "t-mona", {"api#3"}, 1},
        {open + "author:theo", "t-mona", {"api#2", "api#3"}, 2},
        {open + "author:nobody", "t-mona", {}, 0},
        // Both qualifiers must hold.
        {open + "author:theo+assignee:mona", "t-mona", {"api#3"}, 1},
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
    for (const Case& c : cases) {
        const QJsonValue answer = http.json("/search/issues?q=" + c.query, c.token);
        EXPECT_EQ(hits(answer), c.expected) << c.query;
        EXPECT_EQ(answer[QStringLiteral("total_count")].toInteger(), c.total) << c.query;
        EXPECT_EQ(answer[QStringLiteral("incomplete_results")].toBool(true), false);
    }
}

TEST(Search, RefusesQueriesOutsideTheSupportedSyntax)
{
    FakeHub hub(world());
    Http http(hub);
    for (const std::string query :
         {"", "?q=", "?q=fix+bug", "?q=type:pr+label:bug", "?q=-author:mona", "?q=repo:acme"}) {
        const auto result = http.get("/search/issues" + query);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 422) << query;
        const QJsonValue body = parseBody(result->body);
        EXPECT_EQ(body[QStringLiteral("message")].toString(), QStringLiteral("Validation Failed")) << query;
        EXPECT_EQ(at(body, QStringLiteral("errors[0].field")).toString(), QStringLiteral("q")) << query;
    }
}

TEST(Authorization, TokensMustMatchAUserAndRepositoriesMustBeVisible)
{
    FakeHub hub(world());
    Http http(hub);
    struct Case
    {
        std::string path;
        std::optional<std::string> authorization;
        int status;
        QString message;
    };
    const std::vector<Case> cases = {
        {"/user", std::nullopt, 401, "Requires authentication"},
        {"/user", "token wrong", 401, "Bad credentials"},
        {"/user", "token ", 401, "Bad credentials"},
        {"/user", "t-mona", 401, "Bad credentials"}, // no scheme
        {"/user", "Basic t-mona", 401, "Bad credentials"},
        {"/search/issues?q=type:pr", "token wrong", 401, "Bad credentials"},
        {"/repos/acme/api/pulls/1", "token t-priya", 401, "Bad credentials"},
        {"/user", "token t-mona", 200, {}},
        {"/user", "Bearer t-mona", 200, {}},
        {"/repos/acme/secret/pulls/1", "token t-mona", 404, "Not Found"},
        {"/repos/acme/secret/pulls/1", "token t-theo", 200, {}},
        {"/repos/acme/nothing/issues", "token t-mona", 404, "Not Found"},
        {"/repos/acme/api/pulls/99", "token t-mona", 404, "Not Found"},
        {"/repos/acme/api/pulls/abc", "token t-mona", 404, "Not Found"},
        {"/repos/acme/api/branches", "token t-mona", 404, "Not Found"},
        {"/nowhere", "token t-mona", 404, "Not Found"},
        {"/repos/ACME/Api/pulls/1", "token t-mona", 200, {}},
    };
    for (const Case& c : cases) {
        httplib::Headers headers;
        if (c.authorization)
            headers.emplace("Authorization", *c.authorization);
        const auto result = http.client().Get(c.path, headers);
        ASSERT_TRUE(result) << c.path;
        EXPECT_EQ(result->status, c.status) << c.path << " with " << c.authorization.value_or("nothing");
        if (!c.message.isEmpty()) {
            EXPECT_EQ(parseBody(result->body)[QStringLiteral("message")].toString(), c.message) << c.path;
        }
    }
    // The 401 body is GitHub's, key for key.
    EXPECT_EQ(parseBody(http.get("/user", "wrong")->body), example(QStringLiteral("error-401")));
    EXPECT_EQ(http.json("/user", "t-theo")[QStringLiteral("login")].toString(), QStringLiteral("theo"));
}
