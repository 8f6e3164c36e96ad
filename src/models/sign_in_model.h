#pragma once

#include "core/github_account.h"
#include "github/cancellation.h"
#include "github/github_device_auth.h"
#include "github/http_session.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

namespace norvane {

class PRViewModel;

// Signing in to GitHub, to add an account or to reconnect one whose token was rejected: the device flow, the
// check of a typed personal access token (whose is it?), and keeping what a sign-in brought, through the
// engine (a new account) or into the keychain under the reconnected account's own identifier.
//
// The add-account sheet shows its state and forwards what is typed and pressed; the settings page keeps one
// for its lifetime and starts a fresh sign-in (`begin`) for every presentation of the sheet, so each sheet
// has its own device flow. A sign-in that brought a login and its token says so through `signedIn`; what is
// then kept is the host's decision (`add` or `reconnect`), which outlives the sheet.
class SignInModel final : public QObject
{
    Q_OBJECT

public:
    struct Dependencies
    {
        HttpSession session;
        GitHubDeviceAuth::Config authConfig;    // github.com's client id, web and API base URLs
        std::shared_ptr<DeviceAuthTimer> timer; // null: real timers
        PRViewModel* accounts = nullptr;        // where `add` and `reconnect` keep; null keeps nothing
    };

    explicit SignInModel(Dependencies deps, QObject* parent = nullptr);
    ~SignInModel() override;

    // A fresh sign-in: a new device flow, no check and no message, an empty label. `reauth` is the account
    // being reconnected, whose server the sign-in stays on.
    void begin(std::optional<GitHubAccount> reauth = std::nullopt);
    // The sheet went: its device flow and its token check stop and the account it was for is forgotten. A
    // token being kept is still kept.
    void end();
    const std::optional<GitHubAccount>& reauthAccount() const { return m_reauthAccount; }

    // The label typed for a new account, as typed, spaces and all; only an empty one counts as none.
    void setLabel(const QString& label);
    const QString& label() const { return m_label; }
    std::optional<QString> labelValue() const;

    // The client id and hosts a sign-in on `server` uses: the configured ones for github.com, the server's
    // own for an Enterprise server (whose OAuth App's client id the account names; without one the device
    // flow says it is not configured).
    GitHubDeviceAuth::Config configFor(const AccountServer& server) const;

    // --- The device flow --------------------------------------------------------------------------------
    const DeviceAuthState& deviceState() const;
    // Starts (or starts again) the flow on `server`; a flow in progress stops.
    void startDeviceFlow(const AccountServer& server);
    void cancelDeviceFlow();
    // The server of the flow last started.
    const AccountServer& flowServer() const { return m_flowServer; }

    // --- A typed personal access token ------------------------------------------------------------------
    // Whether a check may start now: both values typed (otherwise the message says they are required), and no
    // check or save under way. The username counts without the white space around it, as it is checked.
    bool mayCheckToken(const QString& username, const QString& token);
    // Shows GitHub the token on `server`'s API host (and nowhere else), then says `signedIn` with the typed
    // values when it is `username`'s (in any case), or refuses it with a message saying why.
    void checkToken(const QString& username, const QString& token, const AccountServer& server);
    bool isCheckingToken() const { return bool(m_check); }
    // Gives up the check in flight, and its message: its answer would be for values no longer shown.
    void abandonTokenCheck();
    // Why the typed token was refused, or that the values are missing; none while there is nothing to say.
    const std::optional<QString>& tokenMessage() const { return m_tokenMessage; }
    void clearTokenMessage();

    // --- Keeping what a sign-in brought -----------------------------------------------------------------
    enum class Added {
        added,
        notAdded, // the keychain did not keep the token: no account
        busy,     // a token is being kept already; this one is dropped, so nothing is added twice
    };
    // A new account through the engine. While the keychain is asked (an unlock prompt can take its time)
    // `isSaving` is true.
    QCoro::Task<Added> add(QString username, QString token, std::optional<QString> label,
                           AccountServer server);
    bool isSaving() const { return m_saving; }

    enum class Reconnected {
        reconnected,
        mismatch, // `login` is not the account's: nothing stored, the account stays marked
        notSaved, // the keychain did not keep the token: the account stays marked
        busy,     // a token is being kept already; this one is dropped
    };
    // The account's new token: stored under the account's own identifier once `login` is the account's (in
    // any case), then its re-authentication mark goes and a refresh starts. The account keeps its identity,
    // label and server. While the keychain is asked `isSaving` is true, as for `add`: the account counts as
    // reconnected only once the keychain said it kept the token.
    QCoro::Task<Reconnected> reconnect(GitHubAccount account, QString login, QString token);

Q_SIGNALS:
    void deviceStateChanged(const norvane::DeviceAuthState& state);
    void checkingChanged(bool checking);
    void tokenMessageChanged(const std::optional<QString>& message);
    void savingChanged(bool saving);
    // A sign-in brought a login and its token: the device flow's, on the server it ran on, or a typed token
    // GitHub said was the typed login's, on the server it was checked against.
    void signedIn(const QString& username, const QString& token, const std::optional<QString>& label,
                  const norvane::AccountServer& server);

private:
    void renewDeviceFlow();
    void setTokenMessage(std::optional<QString> message);
    void setSaving(bool saving);
    QCoro::Task<> runTokenCheck(QString username, QString token, std::optional<QString> label,
                                AccountServer server, CancelToken check);

    Dependencies m_deps;
    std::optional<GitHubAccount> m_reauthAccount;
    QString m_label;
    GitHubDeviceAuth* m_auth = nullptr;
    AccountServer m_flowServer;
    CancelToken m_check; // the token check in flight
    std::optional<QString> m_tokenMessage;
    bool m_saving = false;
};

} // namespace norvane
