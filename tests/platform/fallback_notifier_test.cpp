#include "platform/fallback_notifier.h"
#include "support/run_task.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;
using norvane::testing::runTask;

namespace {

NotificationRequest request(const char* title)
{
    return NotificationRequest{u"id"_s,   QString::fromLatin1(title),         std::nullopt,
                               u"body"_s, u"https://github.com/o/r/pull/1"_s, true};
}

struct Pair
{
    std::shared_ptr<RecordingNotifier> preferred = std::make_shared<RecordingNotifier>();
    std::shared_ptr<RecordingNotifier> fallback = std::make_shared<RecordingNotifier>();
};

TEST(FallbackNotifier, ThePreferredServesWhileAuthorizedAndTheFallbackOnlyWhenItIsDenied)
{
    struct Case
    {
        NotificationPermission preferred;
        bool expectFallback;
    };
    for (const Case c :
         {Case{NotificationPermission::Authorized, false}, Case{NotificationPermission::NotDetermined, false},
          Case{NotificationPermission::Denied, true}}) {
        Pair pair;
        pair.preferred->setPermission(c.preferred);
        pair.fallback->setPermission(NotificationPermission::Authorized);
        FallbackNotifier notifier(pair.preferred, pair.fallback);
        EXPECT_FALSE(notifier.usesFallback().has_value());

        EXPECT_EQ(runTask(notifier.post(request("first"))), std::nullopt);
        const auto answer = runTask(notifier.requestAuthorization());
        const auto status = runTask(notifier.permissionStatus());

        ASSERT_EQ(notifier.usesFallback(), c.expectFallback) << int(c.preferred);
        const RecordingNotifier& used = c.expectFallback ? *pair.fallback : *pair.preferred;
        const RecordingNotifier& unused = c.expectFallback ? *pair.preferred : *pair.fallback;
        ASSERT_EQ(used.posts().size(), 1u);
        EXPECT_EQ(used.posts()[0].title, u"first"_s);
        EXPECT_TRUE(unused.posts().empty());
        EXPECT_EQ(used.authorizationRequests(), 1);
        EXPECT_EQ(unused.authorizationRequests(), 0);
        EXPECT_TRUE(answer.granted);
        EXPECT_EQ(status, c.expectFallback ? NotificationPermission::Authorized : c.preferred);
    }
}

TEST(FallbackNotifier, TheChoiceIsKeptWhenThePreferredServiceAppearsLaterAndClicksOfEitherArePassedOn)
{
    Pair pair;
    pair.preferred->setPermission(NotificationPermission::Denied);
    FallbackNotifier notifier(pair.preferred, pair.fallback);
    runTask(notifier.post(request("one")));
    pair.preferred->setPermission(NotificationPermission::Authorized);
    runTask(notifier.post(request("two")));
    EXPECT_EQ(pair.fallback->posts().size(), 2u);
    EXPECT_TRUE(pair.preferred->posts().empty());

    QSignalSpy spy(&notifier, &Notifier::activated);
    pair.preferred->click(u"https://a.example/1"_s);
    pair.fallback->click(u"https://b.example/2"_s);
    ASSERT_EQ(spy.size(), 2);
    EXPECT_EQ(spy[0][0].toString(), u"https://a.example/1"_s);
    EXPECT_EQ(spy[1][0].toString(), u"https://b.example/2"_s);
}

} // namespace
