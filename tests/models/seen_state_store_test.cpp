#include "core/stored_encoding.h"
#include "models/seen_state_store.h"
#include "platform/preferences.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

PullRequest pr(const char* id, const char* sha, int comments = 0)
{
    PullRequest p;
    p.id = QString::fromLatin1(id);
    p.headSha = QString::fromLatin1(sha);
    p.commentCount = comments;
    return p;
}

QString key(const QUuid& account)
{
    return u"pr_seen_states_"_s + uuidText(account);
}

QJsonObject stored(const InMemoryPreferences& preferences, const QUuid& account)
{
    return QJsonDocument::fromJson(preferences.data(key(account)).value_or(QByteArray())).object();
}

QStringList ids(const SeenStateMap& states)
{
    QStringList out = states.keys();
    out.sort();
    return out;
}

class SeenStateStoreTest : public ::testing::Test
{
protected:
    void storeRaw(const QUuid& account, const QByteArray& json) { preferences->setData(key(account), json); }

    std::shared_ptr<InMemoryPreferences> preferences = std::make_shared<InMemoryPreferences>();
    SeenStateStore store{preferences};
    QUuid alice = QUuid::createUuid();
    QUuid bob = QUuid::createUuid();
};

} // namespace

TEST_F(SeenStateStoreTest, EachAccountHasItsOwnSnapshots)
{
    storeRaw(alice, R"({"a-1":{"headSha":"x","reviewCount":0,"commentCount":0}})");
    storeRaw(bob, R"({"b-1":{"headSha":"y","reviewCount":0,"commentCount":0}})");
    EXPECT_FALSE(store.accountId().has_value());

    store.load(alice);
    EXPECT_EQ(store.accountId(), alice);
    EXPECT_EQ(ids(store.states()), QStringList{u"a-1"_s});
    store.load(bob);
    EXPECT_EQ(ids(store.states()), QStringList{u"b-1"_s});

    store.markAsSeen(pr("b-2", "z"));
    EXPECT_EQ(QStringList(stored(*preferences, bob).keys()), (QStringList{u"b-1"_s, u"b-2"_s}));
    EXPECT_EQ(QStringList(stored(*preferences, alice).keys()), QStringList{u"a-1"_s}) << "alice's untouched";
}

TEST_F(SeenStateStoreTest, EnsureLoadedReadsOnlyWhenAnotherAccountIsHeld)
{
    store.load(alice);
    store.markAsSeen(pr("a-1", "x"));
    storeRaw(alice, "{}"); // written underneath; the held snapshots stay the ones in use
    store.ensureLoaded(alice);
    EXPECT_EQ(ids(store.states()), QStringList{u"a-1"_s});
    store.ensureLoaded(bob);
    EXPECT_TRUE(store.states().isEmpty());
    store.ensureLoaded(alice);
    EXPECT_TRUE(store.states().isEmpty()) << "another account was held: read again";
}

TEST_F(SeenStateStoreTest, UnreadableSnapshotsCountAsNoneUntilTheNextSave)
{
    const char* unreadable[] = {"not json", "[1,2]", R"({"a-1":{"headSha":"x"}})",
                                R"({"a-1":{"headSha":"x","reviewCount":0,"commentCount":0},"a-2":7})"};
    for (const char* raw : unreadable) {
        storeRaw(alice, raw);
        store.load(alice);
        EXPECT_TRUE(store.states().isEmpty()) << raw;
        EXPECT_EQ(preferences->data(key(alice)), QByteArray(raw)) << "loading leaves the stored bytes alone";
        store.markAsSeen(pr("a-3", "y"));
        EXPECT_EQ(QStringList(stored(*preferences, alice).keys()), QStringList{u"a-3"_s}) << raw;
    }
}

// What another version stored: a key this one does not know, a CI state it does not know. The unknown state
// counts as absent, so no unseen CI change is made up; the snapshot stays as stored until it is taken again,
// which replaces the state and keeps the unknown key.
TEST_F(SeenStateStoreTest, SavingKeepsWhatAnotherVersionStored)
{
    const QByteArray raw = R"({"a-1":{"headSha":"x","reviewCount":0,"commentCount":0,"ciStatus":"cancelled",)"
                           R"("approvalStatus":"approved","pinned":true}})";
    storeRaw(alice, raw);
    store.load(alice);
    PullRequest a1 = pr("a-1", "x");
    a1.ciStatus = PullRequest::CIStatus::success;
    EXPECT_TRUE(store.unseenUpdates(a1).isEmpty());
    store.markAsSeen(pr("a-2", "y"));
    EXPECT_EQ(stored(*preferences, alice).value(u"a-1"_s),
              QJsonDocument::fromJson(raw).object().value(u"a-1"_s));

    a1.headSha = u"z"_s;
    store.markAsSeen(a1);
    const QJsonObject written = stored(*preferences, alice).value(u"a-1"_s).toObject();
    EXPECT_EQ(written.value(u"headSha"_s), QJsonValue(u"z"_s));
    EXPECT_EQ(written.value(u"ciStatus"_s), QJsonValue(u"success"_s));
    EXPECT_EQ(written.value(u"pinned"_s), QJsonValue(true));
}

TEST_F(SeenStateStoreTest, AnAnswerAddsNewPullRequestsAsSeenAndForgetsThoseGone)
{
    struct Case
    {
        const char* name;
        QList<PullRequest> answer;
        QStringList expected;
        bool writes;
    };
    const QList<PullRequest> held{pr("1", "a"), pr("2", "b")};
    const Case cases[] = {
        {"the same", {pr("1", "a2"), pr("2", "b")}, {"1", "2"}, false},
        {"one new", {pr("1", "a"), pr("2", "b"), pr("3", "c")}, {"1", "2", "3"}, true},
        {"one gone", {pr("2", "b")}, {"2"}, true},
        {"none left", {}, {}, true},
    };
    for (const Case& c : cases) {
        preferences->remove(key(alice));
        store.load(alice);
        for (const PullRequest& p : held)
            store.markAsSeen(p);
        preferences->remove(key(alice));
        store.reconcile(c.answer);
        EXPECT_EQ(ids(store.states()), c.expected) << c.name;
        EXPECT_EQ(preferences->data(key(alice)).has_value(), c.writes) << c.name;
        if (c.writes) {
            EXPECT_EQ(QStringList(stored(*preferences, alice).keys()), c.expected) << c.name;
        }
    }
    // A pull request already known keeps its old snapshot, so its news stay unseen.
    store.load(alice);
    store.markAsSeen(pr("1", "a"));
    store.reconcile({pr("1", "a2")});
    EXPECT_EQ(store.unseenUpdates(pr("1", "a2")), QList<PRUpdateType>{PRUpdateType::newCommits});
    EXPECT_TRUE(store.unseenUpdates(pr("9", "z")).isEmpty()) << "no snapshot, nothing to tell";
}
// (Sample pull requests never storing a snapshot: SamplePullRequests' test.)
