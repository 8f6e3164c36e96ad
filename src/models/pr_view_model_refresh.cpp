#include "models/pr_view_model.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"
#include "platform/debug_log.h"
#include "platform/keychain_service.h"
#include "platform/preferences.h"

#include <QJsonDocument>
#include <QLocale>

namespace norvane {

namespace {
const QString kRefresh = QStringLiteral("Refresh");

QString seenStatesKey(const QUuid& accountId)
{
    return QStringLiteral("pr_seen_states_") + uuidText(accountId);
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
    const GitHubAccount account = *m_selectedAccount;
    if (const auto paused = m_pollsPausedUntil.constFind(account.id); paused != m_pollsPausedUntil.constEnd()) {
        if (m_deps.now() < *paused) {
            debugLog(QStringLiteral("Polling"),
                     QStringLiteral("Skipping background refresh for %1 — GitHub's rate limit allows requests again at %2")
                         .arg(account.displayName(), paused->toUTC().toString(Qt::ISODate)));
            return;
        }
        m_pollsPausedUntil.erase(paused);
    }
    ensureSeenStatesLoaded(account);
    refreshForAccount(account, false, true);
}

QString PRViewModel::retryLine(const QDateTime& at)
{
    const QDateTime local = at.toLocalTime();
    return QStringLiteral("Norvane will try again at %1.").arg(QLocale().toString(local.time(), QLocale::ShortFormat));
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
    runRefresh(QPointer<PRViewModel>(this), account, showLoading, checkForChanges, m_currentRefresh,
               m_deps.github.forAccount(account.id), m_deps.keychain);
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
    const std::optional<QString> token = co_await keychain->getAsync(account.tokenIdentifier);
    debugLog(kRefresh, QStringLiteral("Token retrieved for %1: %2").arg(name, token ? QStringLiteral("YES") : QStringLiteral("NO")));
    if (!self)
        co_return;
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

    if (unauthorized) {
        debugLog(kRefresh, QStringLiteral("❌ 401 Unauthorized for %1 — token revoked, marking for reauth").arg(name));
        model.setErrorMessage(std::nullopt);
        QSet<QUuid> ids = model.m_reauthNeeded;
        ids.insert(account.id);
        model.setReauthNeeded(ids);
        model.endRun(showLoading);
        co_return;
    }
    if (cancel->isCancelled()) {
        debugLog(kRefresh, (failure ? QStringLiteral("⚠️ Refresh task was cancelled (error path) for ")
                                    : QStringLiteral("⚠️ Refresh task was cancelled for ")) +
                               name);
        model.endRun(showLoading);
        co_return;
    }
    if (retryAt) {
        // Asking again before GitHub's limit resets only spends what is left of it (or extends a secondary
        // block), so background polls wait; a refresh the user asks for still goes out.
        model.m_pollsPausedUntil.insert(account.id, *retryAt);
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

    model.m_pollsPausedUntil.remove(account.id);
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
