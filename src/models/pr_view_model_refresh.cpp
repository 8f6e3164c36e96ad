#include "models/pr_view_model.h"
#include "platform/debug_log.h"

#include <algorithm>

namespace norvane {

namespace {
const QString kRefresh = QStringLiteral("Refresh");
const QString kPolling = QStringLiteral("Polling");
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
    refreshForAccount(*m_selectedAccount, true, false);
}

void PRViewModel::refreshSilently()
{
    refreshInBackground(false);
}

void PRViewModel::refreshInBackground(bool narrow)
{
    if (!m_selectedAccount)
        return;
    if (m_runner->isRefreshing()) {
        debugLog(kPolling, QStringLiteral("Skipping silent refresh — refresh already in progress"));
        return;
    }
    const GitHubAccount account = *m_selectedAccount;
    if (m_schedule->isPaused(account.id)) {
        debugLog(kPolling,
                 QStringLiteral(
                     "Skipping background refresh for %1 — GitHub's rate limit allows requests again at %2")
                     .arg(account.displayName(),
                          m_schedule->pausedUntil(account.id)->toUTC().toString(Qt::ISODate)));
        return;
    }
    setPollsPaused(account.id, std::nullopt); // a pause that is over
    if (narrow && m_pullRequestsAccountId == account.id && !m_fullRefreshOwed.contains(account.id)) {
        debugLog(kRefresh, QStringLiteral("Narrow refresh for %1: only what changed is enriched again")
                               .arg(account.displayName()));
        m_seen.ensureLoaded(account.id);
        // The whole answer: a snoozed pull request keeps its detail too, and is not new to the list.
        m_runner->start(account, false, true, RefreshRunner::Narrow{m_answer, m_feed->takeNamed(account.id)},
                        m_sections);
        return;
    }
    refreshForAccount(account, false, true);
}

void PRViewModel::refreshForNews()
{
    // The run in flight may have read GitHub before the news: another follows it (one for any number of
    // news).
    if (m_runner->isRefreshing()) {
        debugLog(kPolling, QStringLiteral("A refresh is running: another follows it for the news"));
        m_refreshOwed = Owed::full;
        return;
    }
    refreshSilently();
}

void PRViewModel::refreshForFeed()
{
    if (m_runner->isRefreshing()) {
        debugLog(kPolling, QStringLiteral("A refresh is running: another follows it for the feed's news"));
        if (m_refreshOwed == Owed::nothing)
            m_refreshOwed = Owed::narrow;
        return;
    }
    refreshInBackground(true);
}

std::optional<QString> PRViewModel::rateLimitNotice() const
{
    return m_selectedAccount ? m_schedule->pauseNotice(m_selectedAccount->id) : std::nullopt;
}

void PRViewModel::setPollsPaused(const QUuid& accountId, std::optional<QDateTime> until)
{
    m_schedule->setPaused(accountId, until);
}

void PRViewModel::refreshForAccount(const GitHubAccount& account, bool showLoading, bool checkForChanges)
{
    debugLog(kRefresh, QStringLiteral("refreshForAccount() called for: ") + account.displayName());
    m_seen.ensureLoaded(account.id);
    if (showLoading) {
        setIsLoading(true);
        setErrorMessage(std::nullopt);
    }
    m_runner->start(account, showLoading, checkForChanges, std::nullopt, m_sections);
}

void PRViewModel::cancelRunOf(const QUuid& accountId)
{
    if (m_runner->cancelRunOf(accountId))
        setIsLoading(false);
}

// Only the current run reports here; the flags it set are cleared right after.
void PRViewModel::onRunFinished(const RefreshRunner::Outcome& run)
{
    const GitHubAccount& account = run.account;
    if (run.kind == RefreshRunner::Outcome::Kind::fetched) {
        if (!run.narrow)
            m_fullRefreshOwed.remove(account.id);
    } else if (run.narrow) {
        // What the feed announced is not on screen: the next feed check refreshes in full.
        debugLog(kPolling, QStringLiteral("⚠️ The narrow refresh for %1 failed: the next one is full")
                               .arg(account.displayName()));
        m_fullRefreshOwed.insert(account.id);
        m_feed->oweNews(account.id);
    }
    switch (run.kind) {
    case RefreshRunner::Outcome::Kind::noToken:
        setErrorMessage(
            //: %1 is the account's login
            tr("Failed to retrieve token for %1. Add token in Settings.").arg(account.username));
        return;
    case RefreshRunner::Outcome::Kind::unauthorized: {
        setErrorMessage(std::nullopt);
        QSet<QUuid> ids = m_reauthNeeded;
        ids.insert(account.id);
        setReauthNeeded(ids);
        return;
    }
    case RefreshRunner::Outcome::Kind::failed: {
        QString failure = run.failure;
        if (run.retryAt) {
            // Asking again before GitHub's limit resets only spends what is left of it (or extends a
            // secondary block), so background polls wait; a refresh the user asks for still goes out.
            setPollsPaused(account.id, *run.retryAt);
            debugLog(kPolling,
                     QStringLiteral("⏳ GitHub's rate limit reached for %1: background polls paused until %2")
                         .arg(account.displayName(), run.retryAt->toUTC().toString(Qt::ISODate)));
            failure += QLatin1Char(' ') + retryLine(*run.retryAt);
        }
        debugLog(kRefresh,
                 QStringLiteral("❌ Error fetching PRs for %1: %2").arg(account.displayName(), failure));
        if (m_runner->isCatchUpOwed())
            m_schedule->catchUpEnded(false);
        if (run.showLoading)
            setErrorMessage(failure);
        return;
    }
    case RefreshRunner::Outcome::Kind::fetched:
        setPollsPaused(account.id, std::nullopt);
        if (run.clearsEarlierMessage) {
            setErrorMessage(std::nullopt); // a failure from before the sleep or the outage is over
            m_schedule->catchUpEnded(true);
        }
        // Snoozed pull requests stay out of the comparison, so they notify only once they are back.
        m_snoozes.ensureLoaded(account.id);
        m_answer = run.pullRequests;
        m_sectionErrors = run.sectionErrors;
        Q_EMIT sectionsChanged();
        m_snoozes.dropAbsent(m_answer);
        {
            QList<PullRequest> counted = m_snoozes.apply(m_answer, m_schedule->now(), nullptr);
            counted.removeIf([this](const PullRequest& pr) { return !countsInBadge(pr); });
            m_notify->update(counted, account, run.checkForChanges, m_notificationSettings);
        }
        m_seen.reconcile(run.pullRequests);
        applySnoozes(account.id);
        return;
    }
}

// --- Seen state --------------------------------------------------------------------------------------------

QList<PRUpdateType> PRViewModel::unseenUpdates(const PullRequest& pr) const
{
    return m_seen.unseenUpdates(pr);
}

void PRViewModel::markAsSeen(const PullRequest& pr)
{
    m_seen.markAsSeen(pr);
    if (wokeFromSnooze(pr.id))
        m_snoozes.forget(pr.id);
    Q_EMIT seenStatesChanged();
}

// --- Snoozes -----------------------------------------------------------------------------------------------

void PRViewModel::snooze(const PullRequest& pr, SnoozeLength length)
{
    const bool listed = std::any_of(m_pullRequests.cbegin(), m_pullRequests.cend(),
                                    [&](const PullRequest& p) { return p.id == pr.id; });
    if (!listed)
        return;
    m_snoozes.snooze(pr, length, m_schedule->now());
    applySnoozes(m_pullRequestsAccountId);
}

void PRViewModel::unsnooze(const QString& prId)
{
    if (m_snoozes.forget(prId))
        applySnoozes(m_pullRequestsAccountId);
}

std::optional<Snooze> PRViewModel::snoozeOf(const QString& prId) const
{
    const auto it = m_snoozes.snoozes().constFind(prId);
    return it == m_snoozes.snoozes().constEnd() ? std::nullopt : std::optional<Snooze>(*it);
}

bool PRViewModel::wokeFromSnooze(const QString& prId) const
{
    const auto snooze = snoozeOf(prId);
    return snooze && snooze->woke;
}

void PRViewModel::applySnoozes(std::optional<QUuid> accountId)
{
    const QDateTime now = m_schedule->now();
    m_snoozed.clear();
    QList<PullRequest> shown = m_snoozes.apply(m_answer, now, &m_snoozed);
    m_wakeTimer.stop();
    if (const auto next = m_snoozes.nextWake()) {
        // At most a day at a time, so a clock that jumps (a suspend) is caught up with within a day.
        constexpr qint64 kDayMs = 24 * 60 * 60 * 1000;
        m_wakeTimer.start(int(std::clamp<qint64>(now.msecsTo(*next), 0, kDayMs)));
    }
    setPullRequests(std::move(shown), accountId);
}

void PRViewModel::loadSeenStates(const GitHubAccount& account)
{
    m_seen.load(account.id);
}

void PRViewModel::showSample(QList<PullRequest> prs, SeenStateMap seenStates)
{
    m_seen.showSample(std::move(seenStates));
    m_snoozes.clear();
    Q_EMIT seenStatesChanged();
    m_answer = std::move(prs);
    applySnoozes(m_selectedAccount ? std::optional<QUuid>(m_selectedAccount->id) : std::nullopt);
    const auto unseen = std::count_if(m_pullRequests.cbegin(), m_pullRequests.cend(),
                                      [this](const PullRequest& pr) { return !unseenUpdates(pr).isEmpty(); });
    print(QStringLiteral("✅ Loaded test data with %1 sample PRs (%2 have unseen updates)")
              .arg(m_pullRequests.size())
              .arg(unseen));
}

} // namespace norvane
