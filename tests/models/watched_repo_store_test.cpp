#include "models/watched_repo_store.h"
#include "platform/preferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

const QUuid kMe = QUuid::fromString(u"AAAAAAAA-0000-4000-8000-000000000001"_s);
const QUuid kAlice = QUuid::fromString(u"AAAAAAAA-0000-4000-8000-000000000002"_s);

QStringList names(const QList<WatchedRepo>& repos)
{
    QStringList result;
    for (const WatchedRepo& repo : repos)
        result.append(repo.fullName);
    return result;
}

} // namespace

TEST(WatchedRepoStore, AddTrimsAndKeepsOneEntryPerNameAndAccount)
{
    auto preferences = std::make_shared<InMemoryPreferences>();
    WatchedRepoStore store(preferences);
    QSignalSpy changed(&store, &WatchedRepoStore::watchedReposChanged);

    const std::pair<const char*, bool> adds[] = {
        {"  octo/hello \t", true}, {"octo/hello", false}, // already watched
        {"Octo/Hello", false},                            // GitHub's names ignore letter case
        {" \t ", false},                                  // empty once trimmed
        {"acme/api", true},
    };
    for (const auto& [name, added] : adds)
        EXPECT_EQ(store.add(QString::fromLatin1(name), kMe), added) << name;
    EXPECT_TRUE(store.add(u"OCTO/hello"_s, kAlice)); // another account
    EXPECT_EQ(store.find(u" OCTO/HELLO"_s, kMe)->fullName, u"octo/hello"_s);

    EXPECT_EQ(names(store.watchedRepos()), (QStringList{"octo/hello", "acme/api", "OCTO/hello"}));
    EXPECT_EQ(names(store.repos(kMe)), (QStringList{"octo/hello", "acme/api"}));
    EXPECT_EQ(names(store.repos(kAlice)), (QStringList{"OCTO/hello"}));
    EXPECT_TRUE(store.repos(QUuid::createUuid()).isEmpty());
    EXPECT_EQ(changed.count(), 3); // ignored adds publish nothing
    for (const WatchedRepo& repo : store.watchedRepos())
        EXPECT_FALSE(repo.id.isNull()) << repo.fullName.toStdString();
}

TEST(WatchedRepoStore, RemovalsKeepTheOrderOfTheRestAndAlwaysPublish)
{
    auto preferences = std::make_shared<InMemoryPreferences>();
    WatchedRepoStore store(preferences);
    store.add(u"a/1"_s, kMe);
    store.add(u"b/2"_s, kAlice);
    store.add(u"c/3"_s, kMe);
    store.add(u"d/4"_s, kAlice);
    store.add(u"e/5"_s, kMe);
    QSignalSpy changed(&store, &WatchedRepoStore::watchedReposChanged);

    store.remove(store.repos(kMe).at(1).id);
    EXPECT_EQ(names(store.watchedRepos()), (QStringList{"a/1", "b/2", "d/4", "e/5"}));
    store.removeAll(kMe);
    EXPECT_EQ(names(store.watchedRepos()), (QStringList{"b/2", "d/4"}));
    store.remove(QUuid::createUuid());
    store.removeAll(kMe);
    EXPECT_EQ(names(store.watchedRepos()), (QStringList{"b/2", "d/4"}));
    EXPECT_EQ(changed.count(), 4);
    EXPECT_EQ(changed.last().at(0).value<QList<WatchedRepo>>(), store.watchedRepos());
}

// What an older version let in: two spellings of one repository for one account. The account shows it once,
// and removing what is shown removes both.
TEST(WatchedRepoStore, StoredSpellingsOfOneRepositoryShowOnce)
{
    auto preferences = std::make_shared<InMemoryPreferences>();
    const QList<WatchedRepo> stored{{QUuid::createUuid(), u"octo/hello"_s, kMe},
                                    {QUuid::createUuid(), u"acme/api"_s, kMe},
                                    {QUuid::createUuid(), u"Octo/Hello"_s, kMe},
                                    {QUuid::createUuid(), u"octo/HELLO"_s, kAlice}};
    preferences->setData(WatchedRepoStore::defaultsKey(), QJsonDocument(toJson(stored)).toJson());
    WatchedRepoStore store(preferences);
    EXPECT_EQ(names(store.repos(kMe)), (QStringList{"octo/hello", "acme/api"}));
    EXPECT_EQ(names(store.repos(kAlice)), (QStringList{"octo/HELLO"}));
    store.remove(store.repos(kMe).first().id);
    EXPECT_EQ(names(store.watchedRepos()), (QStringList{"acme/api", "octo/HELLO"}));
}

// Its stored form read from a file and written back: the preferences-file test.
TEST(WatchedRepoStore, AnUnreadableStoredListCountsAsEmptyUntilTheNextChangeReplacesIt)
{
    const QByteArray entry = R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","fullName":"octo/hello",)"
                             R"("accountId":"AAAAAAAA-0000-4000-8000-000000000001"})";
    const QByteArray unreadable[] = {
        "not json",
        "{}", // not a list
        "[" + entry +
            ",42]", // one unreadable entry (what makes an entry unreadable: WatchedRepoJson's tests)
    };
    for (const QByteArray& value : unreadable) {
        SCOPED_TRACE(value.toStdString());
        auto preferences = std::make_shared<InMemoryPreferences>();
        preferences->setData(WatchedRepoStore::defaultsKey(), value);
        WatchedRepoStore store(preferences);
        EXPECT_TRUE(store.watchedRepos().isEmpty());
        EXPECT_EQ(preferences->data(WatchedRepoStore::defaultsKey()), value); // left as it was

        store.add(u"acme/api"_s, kMe);
        const auto replaced = preferences->data(WatchedRepoStore::defaultsKey());
        ASSERT_TRUE(replaced.has_value());
        EXPECT_EQ(watchedReposFromJson(QJsonDocument::fromJson(*replaced).array()), store.watchedRepos());
    }

    // A value of another kind under the key reads as absent too.
    auto preferences = std::make_shared<InMemoryPreferences>();
    preferences->setString(WatchedRepoStore::defaultsKey(), u"[]"_s);
    EXPECT_TRUE(WatchedRepoStore(preferences).watchedRepos().isEmpty());

    // An empty stored list is a readable one.
    preferences->setData(WatchedRepoStore::defaultsKey(), "[]");
    EXPECT_TRUE(WatchedRepoStore(preferences).watchedRepos().isEmpty());
}

// A list another version wrote, with keys this one does not know, survives a change made here.
TEST(WatchedRepoStore, KeysOfAnotherVersionSurviveAChange)
{
    const QByteArray stored =
        R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","fullName":"octo/hello",)"
        R"("accountId":"AAAAAAAA-0000-4000-8000-000000000001","pinned":true,"branch":"main"}])";
    auto preferences = std::make_shared<InMemoryPreferences>();
    preferences->setData(WatchedRepoStore::defaultsKey(), stored);
    WatchedRepoStore store(preferences);
    ASSERT_EQ(names(store.watchedRepos()), QStringList{"octo/hello"});
    store.add(u"acme/api"_s, kAlice);
    const QJsonArray written =
        QJsonDocument::fromJson(*preferences->data(WatchedRepoStore::defaultsKey())).array();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written.at(0).toObject(), QJsonDocument::fromJson(stored).array().at(0).toObject());
    EXPECT_EQ(written.at(1).toObject().keys(), (QStringList{"accountId", "fullName", "id"}));
}
