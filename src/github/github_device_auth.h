#pragma once

#include "github/cancellation.h"
#include "github/http_session.h"

#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

namespace norvane {

// Where the device flow stands.
struct DeviceAuthState {
    enum class Kind { idle, loading, awaitingAuthorization, failed };
    Kind kind = Kind::idle;
    QString userCode;     // awaitingAuthorization
    QUrl verificationURL; // awaitingAuthorization
    QDateTime expiresAt;  // awaitingAuthorization
    QString message;      // failed: shown to the user word for word

    static DeviceAuthState idle() { return {}; }
    static DeviceAuthState loading() { return {Kind::loading, {}, {}, {}, {}}; }
    static DeviceAuthState awaiting(QString code, QUrl url, QDateTime expires)
    {
        return {Kind::awaitingAuthorization, std::move(code), std::move(url), std::move(expires), {}};
    }
    static DeviceAuthState failed(QString message) { return {Kind::failed, {}, {}, {}, std::move(message)}; }

    friend bool operator==(const DeviceAuthState&, const DeviceAuthState&) = default;
};

struct AuthResult {
    QString token;
    QString username;
    friend bool operator==(const AuthResult&, const AuthResult&) = default;
};

// The flow's sense of time: real timers in the app, a virtual clock in tests.
class DeviceAuthTimer {
public:
    virtual ~DeviceAuthTimer() = default;
    virtual QDateTime now() const = 0;
    // Returns after `seconds`, or soon after `interrupt` is cancelled; an interrupted sleep ends normally,
    // the caller looks at the token.
    virtual QCoro::Task<> sleep(int seconds, CancelToken interrupt) = 0;
};

class RealDeviceAuthTimer final : public DeviceAuthTimer {
public:
    QDateTime now() const override;
    QCoro::Task<> sleep(int seconds, CancelToken interrupt) override;
};

// Signs a user in through GitHub's OAuth device flow: shows a user code, polls until the user approves it
// in the browser, then looks up the login. Owns no storage; the caller decides what to do with `result`.
//
// Setting up: the flow needs a GitHub OAuth App with "Enable Device Flow" ticked (GitHub, Settings,
// Developer settings, OAuth Apps, New OAuth App; any homepage and callback address will do, the device
// flow uses neither). Build with `-DNORVANE_OAUTH_CLIENT_ID=<the app's client id>`, or set the environment
// variable NORVANE_OAUTH_CLIENT_ID when starting norvane. With neither, the client id is
// "YOUR_CLIENT_ID_HERE" and the build offers no sign-in: startFlow() fails at once and says so.
//
// Known differences from a bare poll loop: a new startFlow() or cancel() also stops the device-code
// request of the current flow, destroying the object stops its loop, and cancelling wakes a sleeping loop
// at once instead of letting it sleep out its interval.
class GitHubDeviceAuth : public QObject {
    Q_OBJECT
    Q_PROPERTY(norvane::DeviceAuthState state READ state NOTIFY stateChanged)
    Q_PROPERTY(std::optional<norvane::AuthResult> result READ result NOTIFY resultChanged)
public:
    static QString buildClientId();
    // NORVANE_OAUTH_CLIENT_ID from the environment when set to something other than blanks, else the
    // build's client id: a registered app can be used without rebuilding. Read once, at start-up.
    static QString clientIdFromEnvironment();
    static constexpr auto kUnconfiguredClientId = "YOUR_CLIENT_ID_HERE";
    static constexpr auto kClientIdVariable = "NORVANE_OAUTH_CLIENT_ID";

    struct Config {
        QString clientId = buildClientId();
        QString webBaseURL = QStringLiteral("https://github.com");
        QString apiBaseURL = QStringLiteral("https://api.github.com");
    };

    GitHubDeviceAuth(HttpSession session, Config config, std::shared_ptr<DeviceAuthTimer> timer = nullptr,
                     QObject* parent = nullptr);
    ~GitHubDeviceAuth() override;

    const DeviceAuthState& state() const { return m_state; }
    const std::optional<AuthResult>& result() const { return m_result; }

    void startFlow();
    void cancel();
    // The client id and hosts of the next startFlow(); a flow in progress stops, since its codes belong to
    // the host it started on.
    void setConfig(Config config);
    const Config& config() const { return m_config; }

Q_SIGNALS:
    void stateChanged(const norvane::DeviceAuthState& state);
    void resultChanged(const std::optional<norvane::AuthResult>& result);

private:
    enum class PollOutcome { success, failure, pending, slowDown };
    struct Poll {
        PollOutcome outcome;
        QString value; // token or failure message
    };

    void setState(DeviceAuthState state);
    void setResult(AuthResult result);
    bool isConfigured() const;
    QCoro::Task<> requestDeviceCode(CancelToken flow);
    QCoro::Task<> pollLoop(QString deviceCode, int interval, QDateTime expiresAt, CancelToken flow);
    QCoro::Task<Poll> pollForToken(QString deviceCode, CancelToken flow);
    struct Lookup {
        std::optional<QString> login;
        std::optional<QString> failure; // what to add to the message when there is no login
    };
    QCoro::Task<Lookup> fetchUsername(QString token, CancelToken flow);

    HttpSession m_session;
    Config m_config;
    std::shared_ptr<DeviceAuthTimer> m_timer;
    DeviceAuthState m_state;
    std::optional<AuthResult> m_result;
    CancelToken m_flow; // the device-code request and the poll loop of the current flow
};

} // namespace norvane

Q_DECLARE_METATYPE(norvane::DeviceAuthState)
Q_DECLARE_METATYPE(norvane::AuthResult)
