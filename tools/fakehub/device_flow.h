#pragma once

#include "scenario.h"

#include <QJsonObject>
#include <QString>
#include <chrono>
#include <vector>

namespace norvane::fakehub {

// One device code handed out by POST /login/device/code.
struct DeviceCode
{
    enum class State { Pending, Approved, Denied, Redeemed };

    QString deviceCode; // 40 hex characters, what the client polls with
    QString userCode;   // "WDJB-MJHT", what the user types on the verification page
    QString clientId;
    QString scope;
    State state = State::Pending;
    QString login; // who approved it
    std::chrono::milliseconds issuedAt{0};
    std::chrono::milliseconds lastPollAt{0};
    int interval = 5; // seconds; raised by 5 on every slow_down
    int expiresIn = 900;
};

struct OAuthReply
{
    int status = 200;
    QJsonObject body;
};

// The OAuth device-flow state machine of GitHub's web host. Time is passed in (milliseconds on fakehub's
// device-flow clock), so tests can jump past intervals and lifetimes instead of waiting for them.
class DeviceFlow
{
public:
    using Time = std::chrono::milliseconds;

    OAuthReply requestCode(const Scenario& world, const QString& clientId, const QString& scope, Time now,
                           const QString& base);
    OAuthReply pollToken(const Scenario& world, const QString& clientId, const QString& deviceCode,
                         const QString& grantType, Time now);

    // Approve or deny by user code (or device code). False when no pending code matches.
    bool approve(const QString& code, const QString& login);
    bool deny(const QString& code);
    const std::vector<DeviceCode>& codes() const { return m_codes; }

private:
    DeviceCode* find(const QString& code);

    std::vector<DeviceCode> m_codes;
};

} // namespace norvane::fakehub
