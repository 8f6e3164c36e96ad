#include "platform/dbus_notifier.h"
#include "platform/notifier.h"

#include <QCoroTask>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace norvane;

namespace {

NotificationRequest request(const QString& title, std::optional<QString> prUrl = std::nullopt)
{
    return NotificationRequest{QStringLiteral("id-") + title,
                               title,
                               QStringLiteral("octo/hello"),
                               QStringLiteral("body of ") + title,
                               std::move(prUrl),
                               true};
}

// A coroutine that keeps what its post answered, so a test can look at it while other posts still wait.
QCoro::Task<> postInto(Notifier& notifier, NotificationRequest req,
                       std::optional<std::optional<QString>>& out)
{
    out = co_await notifier.post(std::move(req));
}

TEST(NotificationBody, TheSubtitleStandsAboveTheBodyAndMarkupIsEscapedOnlyForMarkupServices)
{
    struct Case
    {
        std::optional<QString> subtitle;
        QString body;
        bool markup;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("octo/hello"), QStringLiteral("'Fix' is ready"), false,
         QStringLiteral("octo/hello\n'Fix' is ready")},
        {std::nullopt, QStringLiteral("plain"), false, QStringLiteral("plain")},
        {QString(), QStringLiteral("empty subtitle"), false, QStringLiteral("empty subtitle")},
        {QStringLiteral("a&b/<c>"), QStringLiteral("<b>bold</b> & \"q\""), true,
         QStringLiteral("a&amp;b/&lt;c&gt;\n&lt;b&gt;bold&lt;/b&gt; &amp; &quot;q&quot;")},
        {QStringLiteral("a&b/<c>"), QStringLiteral("<b>x</b>"), false, QStringLiteral("a&b/<c>\n<b>x</b>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        NotificationRequest r{
            QStringLiteral("id"), QStringLiteral("t"), c.subtitle, c.body, std::nullopt, true};
        EXPECT_EQ(notificationBody(r, c.markup), c.expected);
    }
}

TEST(RecordingNotifier, HeldPostsCompleteInOrderWithTheAnswerTheTestGives)
{
    RecordingNotifier notifier;
    notifier.setHoldCompletions(true);
    std::optional<std::optional<QString>> first, second;
    auto a = postInto(notifier, request(QStringLiteral("one")), first);
    auto b = postInto(notifier, request(QStringLiteral("two"), QStringLiteral("https://x/2")), second);
    ASSERT_EQ(notifier.pendingCount(), 2);
    ASSERT_EQ(notifier.posts().size(), 2u);
    EXPECT_EQ(notifier.posts()[1].prUrl, QStringLiteral("https://x/2"));

    EXPECT_TRUE(notifier.completeNext(QStringLiteral("denied by the desktop")));
    QCoro::waitFor(a);
    EXPECT_FALSE(second.has_value()) << "the second post is still waiting";
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(*first, QStringLiteral("denied by the desktop"));

    EXPECT_TRUE(notifier.completeNext());
    QCoro::waitFor(b);
    ASSERT_TRUE(second.has_value());
    EXPECT_FALSE(second->has_value());
    EXPECT_FALSE(notifier.completeNext()) << "nothing left to complete";
}

TEST(RecordingNotifier, AnswersPermissionAsConfiguredAndReportsClicks)
{
    RecordingNotifier notifier;
    EXPECT_FALSE(QCoro::waitFor(notifier.post(request(QStringLiteral("now")))).has_value());
    notifier.setPermission(NotificationPermission::Denied);
    notifier.setAuthorizationAnswer({false, QStringLiteral("no")});
    EXPECT_EQ(QCoro::waitFor(notifier.permissionStatus()), NotificationPermission::Denied);
    const AuthorizationAnswer answer = QCoro::waitFor(notifier.requestAuthorization());
    EXPECT_FALSE(answer.granted);
    EXPECT_EQ(answer.error, QStringLiteral("no"));
    // Asking again gives the same answer, not one emptied by the first.
    EXPECT_EQ(QCoro::waitFor(notifier.requestAuthorization()).error, QStringLiteral("no"));
    EXPECT_EQ(notifier.authorizationRequests(), 2);

    QSignalSpy clicks(&notifier, &Notifier::activated);
    notifier.click(QStringLiteral("https://github.com/o/r/pull/1"));
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toString(), QStringLiteral("https://github.com/o/r/pull/1"));
}

} // namespace
