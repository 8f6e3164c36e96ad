#include "models/pr_view_model.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"
#include "core/stored_keys.h"
#include "platform/debug_log.h"
#include "platform/keychain_service.h"
#include "platform/preferences.h"

#include <QJsonDocument>
#include <QLocale>

#include <algorithm>
#include <utility>

namespace norvane {

namespace {
const QString kRefresh = QStringLiteral("Refresh");

QString seenStatesKey(const QUuid& accountId)
{
    return storedName(StoredKey::seenStates, accountId);
}
} // namespace

// --- Refresh pipeline --------------------------------------------------------------------------------------

void PRViewModel::refresh()
{
    debugLog(kRefresh, QStringLiteral("refresh() called, selectedAccount: ") +
                           (m_selectedAccount ? m_selectedAccount->displayName() : QStringLiteral("nil")));
    if (!m_selectedAccount) {
        debugLog(kRefresh, QStringLiteral("⚠️ refresh() - no selected account, returning"));
        return;
    }
    const GitHubAccount account = *m_selectedAccount;
    ensureSeenStatesLoaded(account);
    refreshForAccount(account, true, false);
}

void PRViewModel::refreshSilently()
{
    if (!m_selectedAccount)
        return;
    if (m_isRefreshing) {
        debugLog(QStringLiteral("Polling"), QStringLiteral("Skipping silent refresh — refresh already in progress"));
        return;
    }
    if (!m_networkOnline) {
        debugLog(QStringLiteral("Polling"), QStringLiteral("Skipping silent refresh — the network is offline"));
        return;
    }
    const GitHubAccount account = *m_selectedAccount;
    if (const auto paused = m_pollsPausedUntil.constFind(account.id); paused != m_pollsPausedUntil.constEnd()) {
        if (m_deps.now() < *paused) {
            debugLog(QStringLiteral("Polling"),
                     QStringLiteral("Skipping background refresh for %1 — GitHub's rate limit allows requests again at %2")
                         .arg(account.displayName(), paused->toUTC().toString(Qt::ISODate)));
            return;
        }
        setPollsPaused(account.id, std::nullopt);
    }
    ensureSeenStatesLoaded(account);
    refreshForAccount(account, false, true);
}

// The local time of day in the user's short form, to the minute ("14:05"): some locales' short form, the C
// locale's among them, carries seconds, which say nothing here.
static QString clockTime(const QDateTime& at)
{
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    format.remove(QStringLiteral(":ss"));
    return QLocale().toString(at.toLocalTime().time(), format);
}

QString PRViewModel::retryLine(const QDateTime& at)
{
    return QStringLiteral("Norvane will try again at %1.").arg(clockTime(at));
}

std::optional<QString> PRViewModel::rateLimitNotice() const
{
    if (!m_selectedAccount)
        return std::nullopt;
    const auto until = m_pollsPausedUntil.constFind(m_selectedAccount->id);
    if (until == m_pollsPausedUntil.constEnd() || *until <= m_deps.now())
        return std::nullopt;
    return QStringLiteral("GitHub's rate limit: Norvane checks again at %1.").arg(clockTime(*until));
}

void PRViewModel::setPollsPaused(const QUuid& accountId, std::optional<QDateTime> until)
{
    const auto known = m_pollsPausedUntil.constFind(accountId);
    const std::optional<QDateTime> before =
        known == m_pollsPausedUntil.constEnd() ? std::nullopt : std::optional<QDateTime>(*known);
    if (before == until)
        return;
    if (until)
        m_pollsPausedUntil.insert(accountId, *until);
    else
        m_pollsPausedUntil.remove(accountId);
    schedulePauseEnd();
    Q_EMIT rateLimitNoticeChanged();
}

void PRViewModel::schedulePauseEnd()
{
    if (m_pollsPausedUntil.isEmpty()) {
        m_pauseEnd->stop();
        return;
    }
    const QDateTime first = *std::min_element(m_pollsPausedUntil.cbegin(), m_pollsPausedUntil.cend());
    // A pause lasts an hour at most, so the wait fits a timer; one that is over already ends at once.
    m_pauseEnd->start(int(std::clamp<qint64>(m_deps.now().msecsTo(first), 0, 3'600'000)));
}

void PRViewModel::endPausesThatAreOver()
{
    const QDateTime now = m_deps.now();
    QList<QUuid> over;
    for (auto it = m_pollsPausedUntil.cbegin(); it != m_pollsPausedUntil.cend(); ++it) {
        if (*it <= now)
            over.append(it.key());
    }
    // The next tick polls again. (Polling at once instead would collide with that tick, which a refresh
    // still running makes skip: the first good poll came an interval later.)
    for (const QUuid& id : over)
        setPollsPaused(id, std::nullopt);
    schedulePauseEnd(); // a timer that fired early waits for the rest
}

void PRViewModel::refreshForAccount(const GitHubAccount& account, bool showLoading, bool checkForChanges)
{
    debugLog(kRefresh, QStringLiteral("refreshForAccount() called for: ") + account.displayName());
    ensureSeenStatesLoaded(account);
    refreshInternal(account, showLoading, checkForChanges);
}

void PRViewModel::refreshInternal(const GitHubAccount& account, bool showLoading, bool checkForChanges)
{
    if (m_currentRefresh)
        m_currentRefresh->cancel();
    debugLog(kRefresh, QStringLiteral("refreshInternal() for account: %1, tokenIdentifier: %2")
                           .arg(account.displayName(), account.tokenIdentifier));
    if (showLoading) {
        setIsLoading(true);
        setErrorMessage(std::nullopt);
    }
    m_isRefreshing = true;
    m_currentRefresh = makeCancelToken();
    m_currentRefreshAccount = account.id;
    runRefresh(QPointer<PRViewModel>(this), account, showLoading, checkForChanges, m_currentRefresh,
               m_deps.github.forAccount(account), m_deps.keychain);
}

bool PRViewModel::isCurrentRun(const CancelToken& cancel) const
{
    return cancel == m_currentRefresh && !cancel->isCancelled();
}

void PRViewModel::cancelRunOf(const QUuid& accountId)
{
    if (!m_currentRefresh || m_currentRefreshAccount != accountId)
        return;
    // Cancelling resumes the run at once; it finds itself superseded and leaves everything alone.
    const CancelToken cancel = std::exchange(m_currentRefresh, nullptr);
    m_currentRefreshAccount.reset();
    cancel->cancel();
    m_isRefreshing = false;
    setIsLoading(false);
}

void PRViewModel::endRun(bool showLoading)
{
    m_isRefreshing = false;
    if (showLoading)
        setIsLoading(false);
}

QCoro::Task<> PRViewModel::runRefresh(QPointer<PRViewModel> self, GitHubAccount account, bool showLoading,
                                      bool checkForChanges, CancelToken cancel, GitHubService github,
                                      std::shared_ptr<KeychainService> keychain)
{
    const QString name = account.displayName();
    debugLog(kRefresh, QStringLiteral("Task started for ") + name);
    const std::optional<QString> token = co_await keychain->getAsync(account.tokenKey());
    debugLog(kRefresh, QStringLiteral("Token retrieved for %1: %2").arg(name, token ? QStringLiteral("YES") : QStringLiteral("NO")));
    if (!self)
        co_return;
    // A run superseded while it waited (a token read may wait minutes behind an unlock prompt) ends here
    // without a trace: the flags, the message and the list belong to its successor now.
    if (!self->isCurrentRun(cancel)) {
        debugLog(kRefresh, QStringLiteral("⚠️ Refresh task was superseded while reading the token for ") + name);
        co_return;
    }
    if (!token) {
        debugLog(kRefresh, QStringLiteral("❌ Failed to retrieve token for ") + account.username);
        self->setErrorMessage(
            QStringLiteral("Failed to retrieve token for %1. Add token in Settings.").arg(account.username));
        self->endRun(showLoading);
        co_return;
    }

    debugLog(kRefresh, QStringLiteral("🚀 Starting API fetch for ") + account.username);
    QList<PullRequest> prs;
    std::optional<QString> failure;
    std::optional<QDateTime> retryAt;
    bool unauthorized = false;
    try {
        prs = co_await github.fetchPullRequests(account.username, *token, cancel);
    } catch (const GitHubServiceError&) {
        unauthorized = true;
    } catch (const GitHubAPIError& e) {
        failure = e.errorDescription();
        retryAt = e.retryAt();
    } catch (const TransportError& e) {
        failure = e.description();
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    if (!self)
        co_return;
    PRViewModel& model = *self;

    if (!model.isCurrentRun(cancel)) {
        debugLog(kRefresh, (failure || unauthorized ? QStringLiteral("⚠️ Refresh task was cancelled (error path) for ")
                                                    : QStringLiteral("⚠️ Refresh task was cancelled for ")) +
                               name);
        co_return;
    }
    if (unauthorized) {
        debugLog(kRefresh, QStringLiteral("❌ 401 Unauthorized for %1 — token revoked, marking for reauth").arg(name));
        model.setErrorMessage(std::nullopt);
        QSet<QUuid> ids = model.m_reauthNeeded;
        ids.insert(account.id);
        model.setReauthNeeded(ids);
        model.endRun(showLoading);
        co_return;
    }
    if (retryAt) {
        // Asking again before GitHub's limit resets only spends what is left of it (or extends a secondary
        // block), so background polls wait; a refresh the user asks for still goes out.
        model.setPollsPaused(account.id, *retryAt);
        debugLog(QStringLiteral("Polling"), QStringLiteral("⏳ GitHub's rate limit reached for %1: background polls "
                                                           "paused until %2")
                                                .arg(name, retryAt->toUTC().toString(Qt::ISODate)));
        *failure += QLatin1Char(' ') + retryLine(*retryAt);
    }
    if (failure) {
        debugLog(kRefresh, QStringLiteral("❌ Error fetching PRs for %1: %2").arg(name, *failure));
        if (showLoading)
            model.setErrorMessage(*failure);
        model.endRun(showLoading);
        co_return;
    }

    model.setPollsPaused(account.id, std::nullopt);
    if (std::exchange(model.m_clearErrorOnSuccess, false))
        model.setErrorMessage(std::nullopt); // a failure from before the sleep or the outage is over
    debugLog(kRefresh, QStringLiteral("✅ Fetched %1 PRs for %2").arg(prs.size()).arg(name));
    model.updatePRStatesAndNotify(prs, account, checkForChanges);
    model.initializeSeenStatesForNewPRs(prs);
    QSet<QString> ids;
    for (const PullRequest& pr : prs)
        ids.insert(pr.id);
    model.cleanupStaleSeenStates(ids);
    model.setPullRequests(prs, account.id);
    model.endRun(showLoading);
}

// --- Seen state --------------------------------------------------------------------------------------------

QList<PRUpdateType> PRViewModel::unseenUpdates(const PullRequest& pr) const
{
    const auto it = m_seenStates.constFind(pr.id);
    return it == m_seenStates.constEnd() ? QList<PRUpdateType>{} : it->changes(pr);
}

void PRViewModel::markAsSeen(const PullRequest& pr)
{
    m_seenStates.insert(pr.id, PRSeenState::snapshot(pr));
    saveSeenStates();
    Q_EMIT seenStatesChanged();
}

void PRViewModel::loadSeenStates(const GitHubAccount& account)
{
    m_seenStates.clear();
    m_storedSeenStates.clear();
    if (const auto data = m_deps.preferences->data(seenStatesKey(account.id))) {
        try {
            const QJsonObject objects = parseJsonObject(*data);
            m_seenStates = seenStateMapFromJson(objects);
            for (auto it = m_seenStates.cbegin(); it != m_seenStates.cend(); ++it)
                m_storedSeenStates.insert(it.key(), {it.value(), objects.value(it.key()).toObject()});
        } catch (const DecodeError&) {
            // Unreadable snapshots count as none; the next save replaces them.
        }
    }
    m_currentSeenStatesAccountId = account.id;
}

void PRViewModel::ensureSeenStatesLoaded(const GitHubAccount& account)
{
    if (m_currentSeenStatesAccountId != account.id)
        loadSeenStates(account);
}

void PRViewModel::saveSeenStates()
{
    if (!m_currentSeenStatesAccountId)
        return;
    QJsonObject objects;
    for (auto it = m_seenStates.cbegin(); it != m_seenStates.cend(); ++it) {
        const auto stored = m_storedSeenStates.constFind(it.key());
        objects.insert(it.key(),
                       encodeOver(it.value(), stored == m_storedSeenStates.constEnd() ? nullptr : &*stored,
                                  kPRSeenStateKeys));
    }
    m_deps.preferences->setData(seenStatesKey(*m_currentSeenStatesAccountId),
                                QJsonDocument(objects).toJson(QJsonDocument::Compact));
}

void PRViewModel::initializeSeenStatesForNewPRs(const QList<PullRequest>& prs)
{
    bool inserted = false;
    for (const PullRequest& pr : prs) {
        if (m_seenStates.contains(pr.id))
            continue;
        m_seenStates.insert(pr.id, PRSeenState::snapshot(pr));
        inserted = true;
    }
    if (inserted)
        saveSeenStates();
}

void PRViewModel::cleanupStaleSeenStates(const QSet<QString>& currentIds)
{
    QStringList stale;
    for (auto it = m_seenStates.cbegin(); it != m_seenStates.cend(); ++it) {
        if (!currentIds.contains(it.key()))
            stale.append(it.key());
    }
    if (stale.isEmpty())
        return;
    for (const QString& id : stale)
        m_seenStates.remove(id);
    saveSeenStates();
}

} // namespace norvane
