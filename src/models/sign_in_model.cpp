#include "models/sign_in_model.h"

#include "github/token_check.h"
#include "models/pr_view_model.h"
#include "platform/debug_log.h"
#include "platform/keychain_service.h"

#include <QMetaObject>
#include <utility>

namespace norvane {

SignInModel::SignInModel(Dependencies deps, QObject* parent) : QObject(parent), m_deps(std::move(deps))
{
    renewDeviceFlow();
}

SignInModel::~SignInModel()
{
    // The flow dies with its object, below; nothing it may still say concerns a model being taken down.
    disconnect(m_auth, nullptr, this, nullptr);
    // The token check stops too, from the event loop: aborting its request here would resume it inside this
    // destructor.
    if (m_check)
        QMetaObject::invokeMethod(m_check.get(), &Cancellation::cancel, Qt::QueuedConnection);
}

void SignInModel::begin(std::optional<GitHubAccount> reauth)
{
    end();
    m_reauthAccount = std::move(reauth);
}

void SignInModel::end()
{
    renewDeviceFlow();
    abandonTokenCheck();
    m_reauthAccount.reset();
    m_label.clear();
}

void SignInModel::renewDeviceFlow()
{
    const bool wasIdle = !m_auth || m_auth->state().kind == DeviceAuthState::Kind::idle;
    if (m_auth) {
        // Nothing the old flow may still say concerns the next sign-in. It may be the one announcing the
        // result that ended its sign-in, so it goes once that announcement is over.
        disconnect(m_auth, nullptr, this, nullptr);
        m_auth->cancel();
        m_auth->deleteLater();
    }
    m_auth = new GitHubDeviceAuth(m_deps.session, m_deps.authConfig, m_deps.timer, this);
    m_flowServer = {};
    connect(m_auth, &GitHubDeviceAuth::stateChanged, this, &SignInModel::deviceStateChanged);
    connect(m_auth, &GitHubDeviceAuth::resultChanged, this, [this](const std::optional<AuthResult>& result) {
        if (!result)
            return;
        // Copies: whoever hears this may start another sign-in, which replaces the flow and its server.
        const AuthResult signedInAs = *result;
        const AccountServer server = m_flowServer;
        Q_EMIT signedIn(signedInAs.username, signedInAs.token, labelValue(), server);
    });
    if (!wasIdle)
        Q_EMIT deviceStateChanged(m_auth->state());
}

void SignInModel::setLabel(const QString& label)
{
    m_label = label;
}

std::optional<QString> SignInModel::labelValue() const
{
    return m_label.isEmpty() ? std::nullopt : std::optional(m_label);
}

GitHubDeviceAuth::Config SignInModel::configFor(const AccountServer& server) const
{
    if (!server.host)
        return m_deps.authConfig;
    GitHubAccount account;
    account.host = server.host;
    const GitHubEndpoints endpoints = account.endpoints({});
    // Every server registers its own OAuth App: without its client id the flow says it is not configured.
    return GitHubDeviceAuth::Config{server.oauthClientId.value_or(QString()), endpoints.webBaseURL,
                                    endpoints.apiBaseURL};
}

const DeviceAuthState& SignInModel::deviceState() const
{
    return m_auth->state();
}

void SignInModel::startDeviceFlow(const AccountServer& server)
{
    m_flowServer = server;
    m_auth->setConfig(configFor(server));
    m_auth->startFlow();
}

void SignInModel::cancelDeviceFlow()
{
    m_auth->cancel();
}

bool SignInModel::mayCheckToken(const QString& username, const QString& token)
{
    if (username.trimmed().isEmpty() || token.isEmpty()) {
        setTokenMessage(tr("Username and token are required"));
        return false;
    }
    return !m_check && !m_saving;
}

void SignInModel::checkToken(const QString& username, const QString& token, const AccountServer& server)
{
    if (!mayCheckToken(username, token))
        return;
    const CancelToken check = makeCancelToken();
    m_check = check;
    setTokenMessage(std::nullopt);
    Q_EMIT checkingChanged(true);
    // A login never holds white space: what a paste brought along around it is not part of it.
    runTokenCheck(username.trimmed(), token, labelValue(), server, check);
}

QCoro::Task<> SignInModel::runTokenCheck(QString username, QString token, std::optional<QString> label,
                                         AccountServer server, CancelToken check)
{
    // A token is kept only once GitHub has said it is this login's: a mistyped or revoked one would otherwise
    // become an account that fails every refresh.
    QPointer<SignInModel> self(this);
    // The token goes only to the host the account will belong to.
    const GitHubService github(m_deps.session, configFor(server).apiBaseURL);
    const TokenOwner owner = co_await fetchTokenOwner(github, token, check);
    // A check given up, or replaced by a later one, says nothing.
    if (!self || check->isCancelled() || m_check != check)
        co_return;
    m_check.reset();
    Q_EMIT checkingChanged(false);
    if (const std::optional<QString> refusal = tokenRefusal(owner, username)) {
        debugLog(QStringLiteral("Accounts"),
                 QStringLiteral("❌ Token for %1 refused: %2").arg(username, *refusal));
        setTokenMessage(refusal);
        co_return;
    }
    Q_EMIT signedIn(username, token, label, server);
}

void SignInModel::abandonTokenCheck()
{
    if (const CancelToken check = std::exchange(m_check, {})) {
        check->cancel();
        Q_EMIT checkingChanged(false);
    }
    setTokenMessage(std::nullopt);
}

void SignInModel::clearTokenMessage()
{
    setTokenMessage(std::nullopt);
}

void SignInModel::setTokenMessage(std::optional<QString> message)
{
    if (m_tokenMessage == message)
        return;
    m_tokenMessage = std::move(message);
    Q_EMIT tokenMessageChanged(m_tokenMessage);
}

void SignInModel::setSaving(bool saving)
{
    if (m_saving == saving)
        return;
    m_saving = saving;
    Q_EMIT savingChanged(m_saving);
}

QCoro::Task<SignInModel::Added> SignInModel::add(QString username, QString token,
                                                 std::optional<QString> label, AccountServer server)
{
    if (m_saving)
        co_return Added::busy;
    if (!m_deps.accounts)
        co_return Added::notAdded;
    QPointer<SignInModel> self(this);
    setSaving(true);
    const bool added = co_await m_deps.accounts->addAccount(username, token, label, server);
    if (!self)
        co_return Added::notAdded; // nobody is left to hear it
    setSaving(false);
    co_return added ? Added::added : Added::notAdded;
}

QCoro::Task<SignInModel::Reconnected> SignInModel::reconnect(GitHubAccount account, QString login,
                                                             QString token)
{
    if (m_saving)
        co_return Reconnected::busy;
    // Another GitHub user's token is dropped, and the account stays marked.
    if (login.toLower() != account.username.toLower())
        co_return Reconnected::mismatch;
    if (!m_deps.accounts)
        co_return Reconnected::notSaved;
    QPointer<SignInModel> self(this);
    const QPointer<PRViewModel> accounts(m_deps.accounts);
    const std::shared_ptr<KeychainService> keychain = accounts->keychainService();
    const QString tokenKey = account.tokenKey();
    setSaving(true);
    // The refresh reads the token back, so it starts only once the keychain has it.
    const bool saved = co_await keychain->save(token, tokenKey);
    if (!self)
        co_return Reconnected::notSaved; // nobody is left to hear it
    setSaving(false);
    if (!accounts || !saved)
        co_return Reconnected::notSaved;
    QSet<QUuid> marked = accounts->reauthNeeded();
    marked.remove(account.id);
    accounts->setReauthNeeded(marked);
    accounts->refresh();
    co_return Reconnected::reconnected;
}

} // namespace norvane
