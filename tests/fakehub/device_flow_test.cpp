#include "fakehub/search.h"
#include "support.h"

#include <QRegularExpression>

using namespace norvane::fakehub;
using namespace norvane::fakehub::testing;
using namespace std::chrono_literals;

namespace {

const std::string kGrant = "urn:ietf:params:oauth:grant-type:device_code";

struct Flow
{
    explicit Flow(FakeHub& hub) : hub(hub), http(hub)
    {
        const auto result = http.post("/login/device/code", "client_id=cid&scope=repo");
        EXPECT_EQ(result->status, 200);
        code = parseBody(result->body).toObject();
    }

    QJsonObject poll(const std::string& clientId = "cid", const std::string& grant = kGrant)
    {
        const std::string form = "client_id=" + clientId + "&device_code=" +
                                 code[QStringLiteral("device_code")].toString().toStdString() +
                                 "&grant_type=" + grant;
        return parseBody(http.post("/login/oauth/access_token", form)->body).toObject();
    }

    QString error() { return poll()[QStringLiteral("error")].toString(); }
    QString userCode() const { return code[QStringLiteral("user_code")].toString(); }

    FakeHub& hub;
    Http http;
    QJsonObject code;
};

} // namespace

TEST(DeviceFlow, CodeHasGitHubsShape)
{
    FakeHub hub(world());
    Flow flow(hub);
    const QJsonObject code = flow.code;
    EXPECT_EQ(code.keys(), example(QStringLiteral("device-code")).toObject().keys());
    EXPECT_EQ(code[QStringLiteral("device_code")].toString().size(), 40);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z]{4}-[A-Z]{4}$")).match(flow.userCode()).hasMatch())
        << flow.userCode().toStdString();
    EXPECT_EQ(code[QStringLiteral("verification_uri")].toString(),
              hub.baseUrl() + QStringLiteral("/login/device"));
    EXPECT_EQ(code[QStringLiteral("expires_in")].toInt(), 900);
    EXPECT_EQ(code[QStringLiteral("interval")].toInt(), 5);
    ASSERT_EQ(hub.deviceCodes().size(), 1u);
    EXPECT_EQ(hub.deviceCodes()[0].userCode, flow.userCode());
}

TEST(DeviceFlow, PendingUntilApprovedThenTheUsersTokenOnce)
{
    FakeHub hub(world());
    Flow flow(hub);
    hub.advanceClock(5s);
    const QJsonObject pending = flow.poll();
    EXPECT_EQ(pending, example(QStringLiteral("access-token-authorization-pending")).toObject());
    EXPECT_TRUE(hub.approveDeviceCode(flow.userCode(), QStringLiteral("theo")));
    EXPECT_FALSE(hub.approveDeviceCode(flow.userCode(), QStringLiteral("theo"))) << "only pending codes";
    hub.advanceClock(5s);
    const QJsonObject success = flow.poll();
    EXPECT_EQ(success.keys(), example(QStringLiteral("access-token-success")).toObject().keys());
    EXPECT_EQ(success[QStringLiteral("access_token")].toString(), QStringLiteral("t-theo"));
    EXPECT_EQ(success[QStringLiteral("token_type")].toString(), QStringLiteral("bearer"));
    EXPECT_EQ(success[QStringLiteral("scope")].toString(), QStringLiteral("repo"));
    // The token works on the API host, which is the same server.
    EXPECT_EQ(flow.http.json("/user", "t-theo")[QStringLiteral("login")].toString(), QStringLiteral("theo"));
    hub.advanceClock(5s);
    EXPECT_EQ(flow.error(), QStringLiteral("incorrect_device_code")) << "a code is redeemed once";
    EXPECT_THROW(hub.approveDeviceCode(flow.userCode(), QStringLiteral("priya")), std::invalid_argument)
        << "priya has no token";
}

TEST(DeviceFlow, PollingFasterThanTheIntervalSlowsDownByFiveSecondsEachTime)
{
    FakeHub hub(world());
    Flow flow(hub);
    const QJsonObject first = flow.poll(); // at once, before 5 s have passed
    EXPECT_EQ(first, example(QStringLiteral("access-token-slow-down")).toObject());
    EXPECT_EQ(first[QStringLiteral("interval")].toInt(), 10);
    hub.advanceClock(9s);
    const QJsonObject second = flow.poll();
    EXPECT_EQ(second[QStringLiteral("error")].toString(), QStringLiteral("slow_down"));
    EXPECT_EQ(second[QStringLiteral("interval")].toInt(), 15);
    hub.advanceClock(15s);
    EXPECT_EQ(flow.error(), QStringLiteral("authorization_pending"));
    hub.advanceClock(15s);
    EXPECT_EQ(flow.error(), QStringLiteral("authorization_pending")) << "the raised interval stays";
    EXPECT_EQ(hub.deviceCodes()[0].interval, 15);
}

TEST(DeviceFlow, DeniedExpiredAndMalformedPollsEndWithTheirErrors)
{
    FakeHub hub(world());
    {
        Flow flow(hub);
        EXPECT_TRUE(hub.denyDeviceCode(flow.userCode()));
        hub.advanceClock(5s);
        EXPECT_EQ(flow.poll(), example(QStringLiteral("access-token-access-denied")).toObject());
    }
    {
        Flow flow(hub);
        hub.advanceClock(899s);
        EXPECT_EQ(flow.error(), QStringLiteral("authorization_pending"));
        hub.advanceClock(1s);
        EXPECT_EQ(flow.poll(), example(QStringLiteral("access-token-expired-token")).toObject());
        EXPECT_TRUE(hub.approveDeviceCode(flow.userCode(), QStringLiteral("mona")));
        hub.advanceClock(10s);
        EXPECT_EQ(flow.error(), QStringLiteral("expired_token")) << "approval after expiry is too late";
    }
    Flow flow(hub);
    hub.advanceClock(5s);
    EXPECT_EQ(flow.poll("other")[QStringLiteral("error")].toString(),
              QStringLiteral("incorrect_client_credentials"));
    EXPECT_EQ(flow.poll("cid", "password")[QStringLiteral("error")].toString(),
              QStringLiteral("unsupported_grant_type"));
    flow.code[QStringLiteral("device_code")] = QStringLiteral("0000");
    EXPECT_EQ(flow.error(), QStringLiteral("incorrect_device_code"));

    // Unknown client ids get no code.
    const auto refused = flow.http.post("/login/device/code", "client_id=nope&scope=repo");
    EXPECT_EQ(refused->status, 400);
    EXPECT_EQ(parseBody(refused->body)[QStringLiteral("error")].toString(),
              QStringLiteral("incorrect_client_credentials"));
    EXPECT_FALSE(parseBody(refused->body).toObject().contains(QStringLiteral("device_code")));
}

TEST(DeviceFlow, AnswersFormEncodedWithoutAcceptJsonAndAutoApprovesForTheDemo)
{
    Scenario s = world();
    s.oauthApp->autoApproveAs = QStringLiteral("mona");
    s.oauthApp->interval = 0;
    FakeHub hub(std::move(s));
    Http http(hub);
    const auto code = http.post("/login/device/code", "client_id=cid&scope=repo", false);
    EXPECT_EQ(code->get_header_value("Content-Type").rfind("application/x-www-form-urlencoded", 0), 0u);
    QString deviceCode;
    for (const auto& [key, value] : decodeQueryString(code->body)) {
        if (key == QLatin1String("device_code"))
            deviceCode = value;
    }
    ASSERT_EQ(deviceCode.size(), 40);
    const auto token =
        http.post("/login/oauth/access_token",
                  "client_id=cid&device_code=" + deviceCode.toStdString() + "&grant_type=" + kGrant, false);
    EXPECT_EQ(token->body, "access_token=t-mona&scope=repo&token_type=bearer");
}
