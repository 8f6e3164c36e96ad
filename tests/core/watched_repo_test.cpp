#include "core/activity_rules.h"
#include "core/json_reader.h"
#include "core/watched_repo.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;

namespace {

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

TEST(WatchedRepoRules, RepoNamesAndBlockEntries)
{
    // A name is trimmed of any space separator first, never of a line break; letters, marks and digits
    // beyond ASCII count; a leading "/" would address another path.
    for (const QString& name :
         {u"octo/hello-world"_s, u"octo/hello.world_2"_s, u"  octo/hello\t"_s, u"\u00a0octo/hello\u3000"_s,
          u"Zoë/café"_s, u"me/e\u0301t\u00e9"_s, u"octo/\U0001D7D8x"_s})
        EXPECT_TRUE(isValidRepoName(name)) << name.toStdString();
    for (const QString& name :
         {u"octo"_s, u"octo/"_s, u"/hello"_s, u"octo//hello"_s, u"octo/hello/extra"_s, u"octo/hello world"_s,
          u"/octo/hello"_s, u"octo/hello\n"_s, u"octo/hel+lo"_s, u""_s, u"   "_s, u"/"_s})
        EXPECT_FALSE(isValidRepoName(name)) << name.toStdString();

    // An owner or a repository. The caller trims: a space is never part of an entry, and "owner/" would
    // block a repository that never matches.
    for (const QString& entry : {u"my-org"_s, u"my-org/repo"_s, u"my.org_2/re-po.js"_s, u"Ünïcode"_s})
        EXPECT_TRUE(isValidBlockEntry(entry)) << entry.toStdString();
    for (const QString& entry : {u"my org"_s, u""_s, u"my-org/repo/extra"_s, u"my-org//repo"_s, u"my-org/"_s,
                                 u"/my-org"_s, u" my-org"_s, u"my-org/re po"_s, u"my@org"_s})
        EXPECT_FALSE(isValidBlockEntry(entry)) << entry.toStdString();
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
    EXPECT_EQ(ids(issuesInRepository(issues, u"acme/api"_s)), (QStringList{"a2", "a1"}));
    EXPECT_TRUE(issuesInRepository(issues, u"ACME/api"_s).isEmpty());
    EXPECT_TRUE(issuesInRepository(issues, u"acme/gone"_s).isEmpty());
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
