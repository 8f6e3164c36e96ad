#include "core/json_reader.h"
#include "support/wait.h"
#include "ui/pulls/sample_pull_requests.h"
#include "ui/ui_support.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using norvane::testing::waitUntil;

namespace {

// Every stored value, to compare before and after.
QMap<QString, QString> storedValues(const InMemoryPreferences& preferences)
{
    QMap<QString, QString> values;
    for (const QString& key : preferences.keys()) {
        const auto text = preferences.string(key);
        const auto list = preferences.stringList(key);
        values.insert(key, text   ? *text
                           : list ? list->join(u'\n')
                                  : QString::fromUtf8(preferences.data(key).value_or(QByteArray())));
    }
    return values;
}

} // namespace

// The samples are shown under the signed-in account, but neither loading them nor opening one stores a
// snapshot: the account's own snapshots stay as they were, and its next refresh reads them again.
TEST(SamplePullRequests, NeverWriteThePreferences)
{
    norvane::testing::EngineWorld world;
    const GitHubAccount me = world.storeAccounts({u"me"_s}).first();
    const QString seenKey = u"pr_seen_states_"_s + uuidText(me.id);
    world.preferences->setData(
        seenKey, QByteArrayLiteral(R"({"gh-7":{"headSha":"abc","reviewCount":1,"commentCount":2}})"));
    auto model = std::make_unique<PRViewModel>(world.dependencies());
    model->loadAccounts();
    ASSERT_TRUE(waitUntil([&] { return !model->isLoading(); }));
    ASSERT_TRUE(model->seenStates().contains(u"gh-7"_s));
    const QMap<QString, QString> before = storedValues(*world.preferences);

    norvane::ui::loadSamplePullRequests(*model);
    ASSERT_EQ(model->pullRequests().size(), 6);
    EXPECT_TRUE(model->hasListForSelectedAccount());
    EXPECT_EQ(model->pullRequests().at(1).author, u"me"_s);
    for (const PullRequest& pr : model->pullRequests())
        model->markAsSeen(pr);
    EXPECT_EQ(storedValues(*world.preferences), before);

    model->refresh();
    EXPECT_EQ(model->seenStates().keys(), QList<QString>{u"gh-7"_s})
        << "the account's own snapshots are back once it refreshes";
    ASSERT_TRUE(waitUntil([&] { return !model->isLoading(); }));
    EXPECT_EQ(storedValues(*world.preferences), before);
}
