#include "core/activity_rules.h"
#include "core/json_reader.h"
#include "core/watched_repo.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace norvane;

namespace {

QUuid uuid(const char* text)
{
    return QUuid::fromString(QLatin1String(text));
}

GitHubIssue issue(const char* id, const char* repo, qint64 updatedSecs)
{
    GitHubIssue i;
    i.id = QString::fromLatin1(id);
    i.repository = QString::fromLatin1(repo);
    i.updatedAt = QDateTime::fromSecsSinceEpoch(updatedSecs, Qt::UTC);
    return i;
}

QStringList ids(const QList<GitHubIssue>& issues)
{
    QStringList result;
    for (const GitHubIssue& i : issues)
        result.append(i.id);
    return result;
}

} // namespace

TEST(WatchedRepoRules, RepoNameTable)
{
    const struct
    {
        QString input;
        bool valid;
    } cases[] = {
        {QStringLiteral("octo/hello-world"), true},
        {QStringLiteral("octo/hello.world_2"), true},
        {QStringLiteral("  octo/hello\t"), true},         // trimmed first
        {QStringLiteral("\u00a0octo/hello\u3000"), true}, // any space separator is trimmed
        {QStringLiteral("Zoë/café"), true},               // letters beyond ASCII
        {QStringLiteral("me/e\u0301t\u00e9"), true},      // a combining mark
        {QStringLiteral("octo/\U0001D7D8x"), true},       // a digit outside the BMP
        {QStringLiteral("octo"), false},
        {QStringLiteral("octo/"), false},
        {QStringLiteral("/hello"), false},
        {QStringLiteral("octo//hello"), false},
        {QStringLiteral("octo/hello/extra"), false},
        {QStringLiteral("octo/hello world"), false},
        {QStringLiteral("/octo/hello"), false},  // a leading "/" would address another path
        {QStringLiteral("octo/hello\n"), false}, // line breaks are not trimmed
        {QStringLiteral("octo/hel+lo"), false},
        {QStringLiteral(""), false},
        {QStringLiteral("   "), false},
        {QStringLiteral("/"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidRepoName(c.input), c.valid) << c.input.toStdString();
}

TEST(WatchedRepoRules, BlockEntryTable)
{
    const struct
    {
        QString input;
        bool valid;
    } cases[] = {
        {QStringLiteral("my-org"), true},
        {QStringLiteral("my-org/repo"), true},
        {QStringLiteral("my.org_2/re-po.js"), true},
        {QStringLiteral("Ünïcode"), true},
        {QStringLiteral("my org"), false},
        {QStringLiteral(""), false},
        {QStringLiteral("my-org/repo/extra"), false},
        {QStringLiteral("my-org//repo"), false},
        {QStringLiteral("my-org/"), false}, // would be blocked as a repository that never matches
        {QStringLiteral("/my-org"), false},
        {QStringLiteral(" my-org"), false}, // the caller trims; a space is never part of a name
        {QStringLiteral("my-org/re po"), false},
        {QStringLiteral("my@org"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidBlockEntry(c.input), c.valid) << c.input.toStdString();
}

TEST(WatchedRepoRules, TrimsOnlyHorizontalWhitespace)
{
    EXPECT_EQ(trimHorizontalWhitespace(QStringLiteral(" \t octo/hello \t ")), QStringLiteral("octo/hello"));
    EXPECT_EQ(trimHorizontalWhitespace(QStringLiteral("\nocto/hello\n")), QStringLiteral("\nocto/hello\n"));
    EXPECT_EQ(trimHorizontalWhitespace(QStringLiteral("a b")), QStringLiteral("a b"));
    EXPECT_EQ(trimHorizontalWhitespace(QStringLiteral(" \t ")), QString());
}

TEST(WatchedRepoJson, StoredFormRoundTripsWithItsThreeKeys)
{
    const QList<WatchedRepo> repos{
        {uuid("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"), QStringLiteral("octo/Hello"),
         uuid("0B5A7E9C-1D2E-4F30-8A1B-2C3D4E5F6A7B")},
        {uuid("11111111-2222-4333-8444-555555555555"), QStringLiteral("acme/ünï"),
         uuid("0B5A7E9C-1D2E-4F30-8A1B-2C3D4E5F6A7B")},
    };
    const QJsonArray json = toJson(repos);
    EXPECT_EQ(QJsonDocument(json.first().toObject()).toJson(QJsonDocument::Compact),
              QByteArray(R"({"accountId":"0B5A7E9C-1D2E-4F30-8A1B-2C3D4E5F6A7B",)"
                         R"("fullName":"octo/Hello","id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"})"));
    EXPECT_EQ(watchedReposFromJson(json), repos);
    EXPECT_TRUE(watchedReposFromJson(QJsonArray()).isEmpty());
}

TEST(WatchedRepoJson, OneUnreadableEntryMakesTheListUnreadable)
{
    const QJsonObject good{
        {QStringLiteral("id"), QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F")},
        {QStringLiteral("fullName"), QStringLiteral("octo/hello")},
        {QStringLiteral("accountId"), QStringLiteral("0B5A7E9C-1D2E-4F30-8A1B-2C3D4E5F6A7B")}};
    QJsonObject noAccount = good;
    noAccount.remove(QStringLiteral("accountId"));
    QJsonObject badId = good;
    badId.insert(QStringLiteral("id"), QStringLiteral("not-a-uuid"));
    QJsonObject numericName = good;
    numericName.insert(QStringLiteral("fullName"), 42);
    for (const QJsonValue& bad : {QJsonValue(noAccount), QJsonValue(badId), QJsonValue(numericName),
                                  QJsonValue(QStringLiteral("octo/hello"))}) {
        EXPECT_THROW(watchedReposFromJson(QJsonArray{good, bad}), DecodeError);
    }
}

TEST(ActivityRules, IssuesNewestFirstAcrossRepositoriesKeepingTies)
{
    QList<GitHubIssue> issues{issue("a1", "acme/api", 100), issue("w1", "acme/web", 300),
                              issue("a2", "acme/api", 200), issue("o1", "Ops/x", 200),
                              issue("w2", "acme/web", 50)};
    sortIssuesNewestFirst(issues);
    EXPECT_EQ(ids(issues), (QStringList{"w1", "a2", "o1", "a1", "w2"}));

    EXPECT_EQ(issueRepositories(issues), (QStringList{"Ops/x", "acme/api", "acme/web"}));
    EXPECT_TRUE(issueRepositories({}).isEmpty());

    EXPECT_EQ(ids(issuesInRepository(issues, std::nullopt)), ids(issues));
    EXPECT_EQ(ids(issuesInRepository(issues, QStringLiteral("acme/api"))), (QStringList{"a2", "a1"}));
    EXPECT_TRUE(issuesInRepository(issues, QStringLiteral("ACME/api")).isEmpty());
    EXPECT_TRUE(issuesInRepository(issues, QStringLiteral("acme/gone")).isEmpty());
}

TEST(ActivityRules, SummariesInCodePointOrder)
{
    QList<RepoSummary> summaries;
    for (const char* name : {"alpha/y", "Zeta/x", "acme/api", "Acme/api", "_tools/z"}) {
        RepoSummary s;
        s.repository = QString::fromLatin1(name);
        summaries.append(s);
    }
    sortSummariesByRepository(summaries);
    QStringList names;
    for (const RepoSummary& s : summaries)
        names.append(s.repository);
    EXPECT_EQ(names, (QStringList{"Acme/api", "Zeta/x", "_tools/z", "acme/api", "alpha/y"}));
}
