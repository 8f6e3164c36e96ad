#include "models/refresh_runner.h"

#include "platform/debug_log.h"
#include "platform/keychain_service.h"

#include <utility>

namespace norvane {

namespace {
const QString kRefresh = QStringLiteral("Refresh");
} // namespace

RefreshRunner::RefreshRunner(GitHubService github, std::shared_ptr<KeychainService> keychain, QObject* parent)
    : QObject(parent), m_github(std::move(github)), m_keychain(std::move(keychain))
{
}

RefreshRunner::~RefreshRunner()
{
    // Stop the run's requests, but from the event loop: an aborted request resumes the run at once, which
    // inside this destructor would still find the runner and report from an object being destroyed.
    if (m_current)
        QMetaObject::invokeMethod(m_current.get(), &Cancellation::cancel, Qt::QueuedConnection);
}

void RefreshRunner::start(const GitHubAccount& account, bool showLoading, bool checkForChanges,
                          std::optional<Narrow> narrow, QList<SearchSection> sections)
{
    if (m_current)
        m_current->cancel();
    debugLog(kRefresh, QStringLiteral("refreshInternal() for account: %1, tokenIdentifier: %2")
                           .arg(account.displayName(), account.tokenIdentifier));
    m_isRefreshing = true;
    m_current = makeCancelToken();
    m_currentAccount = account.id;
    run(QPointer<RefreshRunner>(this), account, showLoading, checkForChanges, std::move(narrow),
        std::move(sections), m_current, m_github.forAccount(account), m_keychain);
}

bool RefreshRunner::cancelRunOf(const QUuid& accountId)
{
    if (!m_current || m_currentAccount != accountId)
        return false;
    // Cancelling resumes the run at once; it finds itself superseded and leaves everything alone.
    const CancelToken cancel = std::exchange(m_current, nullptr);
    m_currentAccount.reset();
    cancel->cancel();
    m_isRefreshing = false;
    return true;
}

void RefreshRunner::finish(Outcome outcome)
{
    if (outcome.kind == Outcome::Kind::fetched)
        outcome.clearsEarlierMessage = std::exchange(m_catchUpOwed, false);
    QPointer<RefreshRunner> self(this);
    Q_EMIT finished(outcome);
    if (!self)
        return;
    m_isRefreshing = false;
    Q_EMIT ended(outcome.showLoading);
}

QCoro::Task<> RefreshRunner::run(QPointer<RefreshRunner> self, GitHubAccount account, bool showLoading,
                                 bool checkForChanges, std::optional<Narrow> narrow,
                                 QList<SearchSection> sections, CancelToken cancel, GitHubService github,
                                 std::shared_ptr<KeychainService> keychain)
{
    const QString name = account.displayName();
    debugLog(kRefresh, QStringLiteral("Task started for ") + name);
    const std::optional<QString> token = co_await keychain->getAsync(account.tokenKey());
    debugLog(kRefresh, QStringLiteral("Token retrieved for %1: %2")
                           .arg(name, token ? QStringLiteral("YES") : QStringLiteral("NO")));
    if (!self)
        co_return;
    // A run superseded while it waited (a token read may wait minutes behind an unlock prompt) ends here
    // without a trace: the flags, the message and the list belong to its successor now.
    if (!self->isCurrentRun(cancel)) {
        debugLog(kRefresh,
                 QStringLiteral("⚠️ Refresh task was superseded while reading the token for ") + name);
        co_return;
    }
    Outcome outcome;
    outcome.account = account;
    outcome.showLoading = showLoading;
    outcome.checkForChanges = checkForChanges;
    outcome.narrow = narrow.has_value();
    if (!token) {
        debugLog(kRefresh, QStringLiteral("❌ Failed to retrieve token for ") + account.username);
        outcome.kind = Outcome::Kind::noToken;
        self->finish(std::move(outcome));
        co_return;
    }

    debugLog(kRefresh, QStringLiteral("🚀 Starting API fetch for ") + account.username);
    try {
        std::optional<QList<PullRequest>> onScreen;
        QSet<QString> named;
        if (narrow) {
            onScreen = std::move(narrow->onScreen);
            named = std::move(narrow->named);
        }
        GitHubService::Answer answer = co_await github.fetchPullRequestsWithSections(
            account.username, *token, std::move(sections), std::move(onScreen), std::move(named), cancel);
        outcome.pullRequests = std::move(answer.pullRequests);
        outcome.sectionErrors = std::move(answer.sectionErrors);
        outcome.kind = Outcome::Kind::fetched;
    } catch (const GitHubServiceError&) {
        outcome.kind = Outcome::Kind::unauthorized;
    } catch (const GitHubAPIError& e) {
        outcome.failure = e.errorDescription();
        outcome.retryAt = e.retryAt();
    } catch (const TransportError& e) {
        outcome.failure = e.description();
    } catch (const std::exception& e) {
        outcome.failure = QString::fromUtf8(e.what());
    }
    if (!self)
        co_return;
    if (!self->isCurrentRun(cancel)) {
        debugLog(kRefresh, (outcome.kind != Outcome::Kind::fetched
                                ? QStringLiteral("⚠️ Refresh task was cancelled (error path) for ")
                                : QStringLiteral("⚠️ Refresh task was cancelled for ")) +
                               name);
        co_return;
    }
    if (outcome.kind == Outcome::Kind::unauthorized)
        debugLog(kRefresh,
                 QStringLiteral("❌ 401 Unauthorized for %1 — token revoked, marking for reauth").arg(name));
    else if (outcome.kind == Outcome::Kind::fetched)
        debugLog(kRefresh,
                 QStringLiteral("✅ Fetched %1 PRs for %2").arg(outcome.pullRequests.size()).arg(name));
    self->finish(std::move(outcome));
}

} // namespace norvane
