#include "device_flow.h"

#include <QRandomGenerator>

namespace norvane::fakehub {

namespace {

const char* const kErrorUri =
    "https://docs.github.com/developers/apps/authorizing-oauth-apps#error-codes-for-the-device-flow";

OAuthReply oauthError(const char* error, const char* description, int status = 200)
{
    return OAuthReply{status, QJsonObject{{QStringLiteral("error"), QLatin1String(error)},
                                          {QStringLiteral("error_description"), QLatin1String(description)},
                                          {QStringLiteral("error_uri"), QLatin1String(kErrorUri)}}};
}

QString randomCode(const char* alphabet, int length)
{
    const int size = static_cast<int>(qstrlen(alphabet));
    QString out;
    for (int i = 0; i < length; ++i)
        out.append(QLatin1Char(alphabet[QRandomGenerator::global()->bounded(size)]));
    return out;
}

} // namespace

DeviceCode* DeviceFlow::find(const QString& code)
{
    for (DeviceCode& c : m_codes) {
        if (c.deviceCode == code || c.userCode.compare(code, Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

OAuthReply DeviceFlow::requestCode(const Scenario& world, const QString& clientId, const QString& scope,
                                   Time now, const QString& base)
{
    if (!world.oauthApp || world.oauthApp->clientId != clientId)
        return oauthError("incorrect_client_credentials",
                          "The client_id and/or client_secret passed are incorrect.", 400);
    DeviceCode code;
    code.deviceCode = randomCode("0123456789abcdef", 40);
    // GitHub's user codes avoid vowels and look-alike characters.
    const char* const letters = "BCDFGHJKLMNPQRSTVWXZ";
    code.userCode = randomCode(letters, 4) + QLatin1Char('-') + randomCode(letters, 4);
    code.clientId = clientId;
    code.scope = scope;
    code.issuedAt = now;
    code.lastPollAt = now;
    code.interval = world.oauthApp->interval;
    code.expiresIn = world.oauthApp->expiresIn;
    if (!world.oauthApp->autoApproveAs.isEmpty()) {
        code.state = DeviceCode::State::Approved;
        code.login = world.oauthApp->autoApproveAs;
    }
    m_codes.push_back(code);
    return OAuthReply{
        200, QJsonObject{{QStringLiteral("device_code"), code.deviceCode},
                         {QStringLiteral("user_code"), code.userCode},
                         {QStringLiteral("verification_uri"), base + QStringLiteral("/login/device")},
                         {QStringLiteral("expires_in"), code.expiresIn},
                         {QStringLiteral("interval"), code.interval}}};
}

OAuthReply DeviceFlow::pollToken(const Scenario& world, const QString& clientId, const QString& deviceCode,
                                 const QString& grantType, Time now)
{
    if (!world.oauthApp || world.oauthApp->clientId != clientId)
        return oauthError("incorrect_client_credentials",
                          "The client_id and/or client_secret passed are incorrect.");
    if (grantType != QLatin1String("urn:ietf:params:oauth:grant-type:device_code"))
        return oauthError("unsupported_grant_type", "The grant type is not supported.");
    DeviceCode* code = nullptr;
    for (DeviceCode& c : m_codes) {
        if (c.deviceCode == deviceCode && c.clientId == clientId)
            code = &c;
    }
    // A redeemed code is spent: GitHub hands out a token once.
    if (!code || code->state == DeviceCode::State::Redeemed)
        return oauthError("incorrect_device_code", "The device_code provided is not valid.");
    if (now >= code->issuedAt + std::chrono::seconds(code->expiresIn))
        return oauthError("expired_token", "The `device code` has expired.");
    if (code->state == DeviceCode::State::Denied)
        return oauthError("access_denied", "The user has denied your application access.");
    // Polls are measured from the previous poll (or from when the code was handed out).
    const bool tooFast = now - code->lastPollAt < std::chrono::seconds(code->interval);
    code->lastPollAt = now;
    if (tooFast) {
        code->interval += 5;
        OAuthReply reply = oauthError("slow_down", "Too many requests have been made in the same timeframe.");
        reply.body.insert(QStringLiteral("interval"), code->interval);
        return reply;
    }
    if (code->state == DeviceCode::State::Pending)
        return oauthError("authorization_pending", "The authorization request is still pending.");
    const User* user = world.user(code->login);
    if (!user || user->tokens.isEmpty())
        return oauthError("access_denied", "The user has denied your application access.");
    code->state = DeviceCode::State::Redeemed;
    return OAuthReply{200, QJsonObject{{QStringLiteral("access_token"), user->tokens.first()},
                                       {QStringLiteral("token_type"), QStringLiteral("bearer")},
                                       {QStringLiteral("scope"), code->scope}}};
}

bool DeviceFlow::approve(const QString& code, const QString& login)
{
    DeviceCode* c = find(code);
    if (!c || c->state != DeviceCode::State::Pending)
        return false;
    c->state = DeviceCode::State::Approved;
    c->login = login;
    return true;
}

bool DeviceFlow::deny(const QString& code)
{
    DeviceCode* c = find(code);
    if (!c || c->state != DeviceCode::State::Pending)
        return false;
    c->state = DeviceCode::State::Denied;
    return true;
}

} // namespace norvane::fakehub
