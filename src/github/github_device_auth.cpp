#include "github/github_device_auth.h"

#include "core/github_wire.h"
#include "core/json_reader.h"
#include "github/github_errors.h"
#include "github/github_request.h"
#include "github/github_service.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <qcoro/qcorotimer.h>

namespace norvane {

namespace {

// GitHub asks for 5 seconds; anything below a second would hammer it. A day is far beyond any code's
// lifetime and keeps the timer's millisecond count in range.
constexpr qint64 kMinInterval = 1;
constexpr qint64 kMaxInterval = 24 * 60 * 60;
constexpr qint64 kMaxLifetime = 366 * 24 * 60 * 60;

QNetworkRequest jsonPost(const QString& address)
{
    return gitHubRequest(GitHubRequestKind::oauthForm, QUrl(address));
}

} // namespace

QDateTime RealDeviceAuthTimer::now() const
{
    return QDateTime::currentDateTimeUtc();
}

QCoro::Task<> RealDeviceAuthTimer::sleep(int seconds, CancelToken interrupt)
{
    QTimer timer;
    timer.setSingleShot(true);
    // A coarse timer may fire up to 5% early, and GitHub answers a poll that comes early with slow_down.
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(std::chrono::seconds(seconds));
    // Cancelling fires the timer early; the connection dies with the timer.
    if (interrupt)
        QObject::connect(interrupt.get(), &Cancellation::cancelled, &timer, [&timer] { timer.start(0); });
    if (!interrupt || !interrupt->isCancelled())
        co_await timer;
}

QString GitHubDeviceAuth::buildClientId()
{
    return QStringLiteral(NORVANE_OAUTH_CLIENT_ID);
}

QString GitHubDeviceAuth::clientIdFromEnvironment()
{
    // A stray newline or space from a shell assignment would otherwise reach GitHub as part of the id.
    const QString fromEnvironment = qEnvironmentVariable(kClientIdVariable).trimmed();
    return fromEnvironment.isEmpty() ? buildClientId() : fromEnvironment;
}

GitHubDeviceAuth::GitHubDeviceAuth(HttpSession session, Config config, std::shared_ptr<DeviceAuthTimer> timer,
                                   QObject* parent)
    : QObject(parent), m_session(std::move(session)), m_config(std::move(config)), m_timer(std::move(timer))
{
    if (!m_timer)
        m_timer = std::make_shared<RealDeviceAuthTimer>();
}

GitHubDeviceAuth::~GitHubDeviceAuth()
{
    // Aborts the requests in flight and wakes a sleeping loop, which then sees the token and ends.
    if (m_flow)
        m_flow->cancel();
}

void GitHubDeviceAuth::setState(DeviceAuthState state)
{
    if (m_state == state)
        return;
    m_state = std::move(state);
    Q_EMIT stateChanged(m_state);
}

void GitHubDeviceAuth::setResult(AuthResult result)
{
    if (m_result == result)
        return;
    m_result = std::move(result);
    Q_EMIT resultChanged(m_result);
}

bool GitHubDeviceAuth::isConfigured() const
{
    return !m_config.clientId.isEmpty() && m_config.clientId != QLatin1String(kUnconfiguredClientId);
}

void GitHubDeviceAuth::startFlow()
{
    if (!isConfigured()) {
        setState(DeviceAuthState::failed(QCoreApplication::translate(
            "DeviceAuth", "GitHub OAuth App not configured.\nSee GitHubDeviceAuth for setup instructions.")));
        return;
    }
    // A new flow supersedes whatever an earlier one still had running.
    if (m_flow)
        m_flow->cancel();
    m_flow = makeCancelToken();
    setState(DeviceAuthState::loading());
    requestDeviceCode(m_flow);
}

void GitHubDeviceAuth::setConfig(Config config)
{
    if (m_flow) {
        m_flow->cancel();
        m_flow.reset();
    }
    m_config = std::move(config);
}

void GitHubDeviceAuth::cancel()
{
    if (m_flow) {
        m_flow->cancel();
        m_flow.reset();
    }
    setState(DeviceAuthState::idle());
}

QCoro::Task<> GitHubDeviceAuth::requestDeviceCode(CancelToken flow)
{
    QPointer<GitHubDeviceAuth> self(this);
    const QByteArray form = "client_id=" + QUrl::toPercentEncoding(m_config.clientId) + "&scope=repo";
    const HttpSession session = m_session;
    QString deviceCode, userCode, verificationUri;
    qint64 expiresIn = 0, interval = 0;
    std::optional<QString> failure;
    try {
        const HttpReply reply = co_await session.postForm(
            jsonPost(m_config.webBaseURL + QStringLiteral("/login/device/code")), form, flow);
        if (!self || flow->isCancelled())
            co_return;
        const wire::DeviceCode answer = wire::decodeDeviceCode(reply.body);
        deviceCode = answer.deviceCode;
        userCode = answer.userCode;
        verificationUri = answer.verificationUri;
        expiresIn = answer.expiresIn;
        interval = answer.interval;
    } catch (const TransportError& e) {
        failure = e.description();
    } catch (const DecodeError& e) {
        failure = e.description(); // GitHub's JSON error objects end up here too
    }
    if (failure) {
        // A superseded or cancelled flow fails silently: its request was aborted on purpose.
        if (self && !flow->isCancelled())
            //: %1 is the network's or the decoder's own error text
            setState(DeviceAuthState::failed(
                QCoreApplication::translate("DeviceAuth", "Failed to connect to GitHub: %1").arg(*failure)));
        co_return;
    }

    const QUrl url(verificationUri, QUrl::StrictMode);
    if (!url.isValid() || url.isEmpty()) {
        setState(DeviceAuthState::failed(
            QCoreApplication::translate("DeviceAuth", "Invalid verification URL returned by GitHub")));
        co_return;
    }
    // Bounded so that nonsense from the wire cannot overflow the date arithmetic.
    const QDateTime expiresAt = m_timer->now().addSecs(std::clamp<qint64>(expiresIn, 0, kMaxLifetime));
    setState(DeviceAuthState::awaiting(userCode, url, expiresAt));
    pollLoop(deviceCode, int(std::clamp(interval, kMinInterval, kMaxInterval)), expiresAt, flow);
}

// The first poll comes one full interval after the code is shown, and polls never come faster than the
// interval GitHub asked for.
QCoro::Task<> GitHubDeviceAuth::pollLoop(QString deviceCode, int interval, QDateTime expiresAt,
                                         CancelToken flow)
{
    QPointer<GitHubDeviceAuth> self(this);
    const std::shared_ptr<DeviceAuthTimer> timer = m_timer;
    for (;;) {
        if (flow->isCancelled())
            co_return;
        co_await timer->sleep(interval, flow);
        if (!self || flow->isCancelled())
            co_return;
        // Checked only here: an answer that arrives after the code's lifetime is still acted on.
        if (!(timer->now() < expiresAt)) {
            setState(DeviceAuthState::failed(
                QCoreApplication::translate("DeviceAuth", "Authorization code expired. Please try again.")));
            co_return;
        }
        const Poll answer = co_await pollForToken(deviceCode, flow);
        if (!self || flow->isCancelled())
            co_return;
        switch (answer.outcome) {
        case PollOutcome::pending:
            continue;
        case PollOutcome::slowDown:
            // GitHub asked for more patience; it stays for the rest of the flow.
            interval = int(std::min<qint64>(qint64(interval) + 5, kMaxInterval));
            continue;
        case PollOutcome::failure:
            setState(DeviceAuthState::failed(answer.value));
            co_return;
        case PollOutcome::success:
            break;
        }
        const Lookup login = co_await fetchUsername(answer.value, flow);
        if (!self || flow->isCancelled())
            co_return;
        if (login.login) {
            setResult(AuthResult{answer.value, *login.login});
        } else {
            QString message = QCoreApplication::translate(
                "DeviceAuth", "Authorized, but couldn't fetch your GitHub username.");
            if (login.failure)
                message += QLatin1Char('\n') + *login.failure;
            setState(DeviceAuthState::failed(message));
        }
        co_return;
    }
}

QCoro::Task<GitHubDeviceAuth::Poll> GitHubDeviceAuth::pollForToken(QString deviceCode, CancelToken flow)
{
    // The device code goes out exactly as GitHub sent it.
    const QByteArray form = "client_id=" + QUrl::toPercentEncoding(m_config.clientId) +
                            "&device_code=" + deviceCode.toUtf8() +
                            "&grant_type=urn:ietf:params:oauth:grant-type:device_code";
    const HttpSession session = m_session;
    const QString address = m_config.webBaseURL + QStringLiteral("/login/oauth/access_token");
    std::optional<QString> token, error, description;
    try {
        const HttpReply reply = co_await session.postForm(jsonPost(address), form, flow);
        wire::AccessTokenAnswer answer = wire::decodeAccessTokenAnswer(reply.body);
        token = std::move(answer.accessToken);
        error = std::move(answer.error);
        description = std::move(answer.errorDescription);
    } catch (const TransportError& e) {
        if (e.isRedirectFailure()) // sent elsewhere: asking again would only be sent there again
            co_return Poll{PollOutcome::failure, e.description()};
        co_return Poll{PollOutcome::pending, {}}; // offline for a moment: try again after the interval
    } catch (const DecodeError&) {
        co_return Poll{PollOutcome::pending, {}};
    }
    if (token)
        co_return Poll{PollOutcome::success, *token};
    if (!error)
        co_return Poll{PollOutcome::failure, description.value_or(QCoreApplication::translate(
                                                 "DeviceAuth", "Unknown error from GitHub"))};
    if (*error == QLatin1String("authorization_pending"))
        co_return Poll{PollOutcome::pending, {}};
    if (*error == QLatin1String("slow_down"))
        co_return Poll{PollOutcome::slowDown, {}};
    if (*error == QLatin1String("expired_token"))
        co_return Poll{PollOutcome::failure,
                       QCoreApplication::translate("DeviceAuth", "Code expired. Please try again.")};
    if (*error == QLatin1String("access_denied"))
        co_return Poll{PollOutcome::failure,
                       QCoreApplication::translate("DeviceAuth", "Access denied by user.")};
    co_return Poll{PollOutcome::failure, description.value_or(*error)};
}

QCoro::Task<GitHubDeviceAuth::Lookup> GitHubDeviceAuth::fetchUsername(QString token, CancelToken flow)
{
    // Whatever the status: an answer that names a login is taken at its word.
    const GitHubService github(m_session, m_config.apiBaseURL);
    try {
        const GitHubService::UserAnswer answer = co_await github.fetchUser(token, flow);
        if (answer.login)
            co_return Lookup{QString(*answer.login), std::nullopt};
    } catch (const TransportError& e) {
        // A refused redirect is worth saying: the token was kept from another host.
        if (e.isRedirectFailure())
            co_return Lookup{std::nullopt, e.description()};
    }
    co_return Lookup{};
}

} // namespace norvane
