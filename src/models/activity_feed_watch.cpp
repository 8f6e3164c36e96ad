#include "models/activity_feed_watch.h"

#include "platform/debug_log.h"
#include "platform/keychain_service.h"

#include <QCryptographicHash>
#include <utility>

namespace norvane {

namespace {
const QString kPolling = QStringLiteral("Polling");
constexpr double kFirstCheckSecs = 3.0;
} // namespace

ActivityFeedWatch::ActivityFeedWatch(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(std::move(dependencies))
{
    if (!m_deps.timer)
        m_deps.timer = makeQtPollingTimer();
}

ActivityFeedWatch::~ActivityFeedWatch()
{
    // From the event loop, as an aborted request resumes its check at once (see RefreshRunner).
    if (m_check)
        QMetaObject::invokeMethod(m_check.get(), &Cancellation::cancel, Qt::QueuedConnection);
}

void ActivityFeedWatch::setEnabled(bool on)
{
    if (m_enabled == on)
        return;
    m_enabled = on;
    if (!on)
        stop();
    else if (m_started)
        restart(0);
}

void ActivityFeedWatch::start()
{
    m_started = true;
    // Each opening of the panel restarts the poll, not the feed: a new baseline would swallow what happened
    // since the last check. The first look sets the baseline and comes soon, to catch the first minute.
    if (!m_deps.timer->isActive() && !m_check)
        restart(kFirstCheckSecs);
}

bool ActivityFeedWatch::isWatching(const std::optional<QUuid>& accountId) const
{
    if (!m_enabled || !m_started || !m_deps.timer->isActive())
        return false;
    return !accountId || !m_refusedToken.contains(*accountId);
}

void ActivityFeedWatch::restart(double firstCheckSecs)
{
    stop();
    if (m_enabled)
        scheduleCheck(firstCheckSecs);
}

void ActivityFeedWatch::stop()
{
    m_deps.timer->stop();
    if (const CancelToken check = std::exchange(m_check, nullptr))
        check->cancel(); // resumes the check at once; it finds itself superseded
    m_account.reset();
    forgetBaseline();
}

void ActivityFeedWatch::forgetBaseline()
{
    m_hasBaseline = false;
    m_lastModified.clear();
    m_lastBody.clear();
    m_threads.clear();
}

void ActivityFeedWatch::forgetAccount(const QUuid& accountId)
{
    m_refusedToken.remove(accountId);
    m_named.remove(accountId);
    m_newsOwed.remove(accountId);
    if (m_account != accountId)
        return;
    // Superseded before it is cancelled: an aborted request resumes the check at once, which then finds
    // itself no longer current and stops.
    if (const CancelToken check = std::exchange(m_check, nullptr))
        check->cancel();
    m_account.reset();
    forgetBaseline();
    // A check in flight had stopped the timer; the next one is for whoever is selected by then.
    if (m_enabled && m_started && !m_deps.timer->isActive())
        scheduleCheck(m_interval);
}

void ActivityFeedWatch::scheduleCheck(double seconds)
{
    QPointer<ActivityFeedWatch> self(this);
    // One check at a time: the timer stops at its tick, and the next is scheduled when the check is done.
    m_deps.timer->start(seconds, [self] {
        if (!self)
            return;
        self->m_deps.timer->stop();
        self->check();
    });
}

void ActivityFeedWatch::check()
{
    if (!m_enabled)
        return;
    const auto skip = [this](const QString& why) {
        debugLog(kPolling, QStringLiteral("Skipping the notification feed — ") + why);
        scheduleCheck(m_interval);
    };
    const std::optional<GitHubAccount> selected = m_deps.selectedAccount();
    if (!selected)
        return skip(QStringLiteral("no account selected"));
    const GitHubAccount account = *selected;
    if (m_deps.schedule->isPaused(account.id))
        return skip(QStringLiteral("GitHub's rate limit holds %1's requests").arg(account.displayName()));
    if (m_account != account.id) {
        // Another account's feed: its first answer is a new baseline.
        m_account = account.id;
        forgetBaseline();
    }
    m_check = makeCancelToken();
    runCheck(QPointer<ActivityFeedWatch>(this), account, m_check, m_deps.github.forAccount(account),
             m_deps.keychain);
}

QCoro::Task<> ActivityFeedWatch::runCheck(QPointer<ActivityFeedWatch> self, GitHubAccount account,
                                          CancelToken cancel, GitHubService github,
                                          std::shared_ptr<KeychainService> keychain)
{
    using Outcome = GitHubService::FeedCheck::Outcome;
    const std::optional<QString> token = co_await keychain->getAsync(account.tokenKey());
    if (!self || !self->isCurrent(cancel))
        co_return;
    if (!token) {
        self->scheduleCheck(self->m_interval);
        co_return;
    }
    const QByteArray tokenKey = QCryptographicHash::hash(token->toUtf8(), QCryptographicHash::Sha256);
    if (const auto refused = self->m_refusedToken.constFind(account.id);
        refused != self->m_refusedToken.constEnd()) {
        if (*refused == tokenKey) {
            self->scheduleCheck(self->m_interval); // only another token can change the answer
            co_return;
        }
        debugLog(kPolling, QStringLiteral("🔄 %1 has a new token: checking the notification feed again")
                               .arg(account.displayName()));
        self->m_refusedToken.remove(account.id);
        self->forgetBaseline();
    }

    const GitHubService::FeedCheck check = co_await github.checkNotificationFeed(*token, cancel);
    if (!self || !self->isCurrent(cancel))
        co_return;
    ActivityFeedWatch& watch = *self;
    watch.m_check.reset();
    // GitHub's interval is a floor: never ask more often. An answer without one (a failure) leaves the last
    // one standing: GitHub may have asked for longer while it is busy.
    if (check.pollIntervalSecs) {
        watch.m_interval = double(*check.pollIntervalSecs);
        watch.m_intervalFor = account.id;
    } else if (watch.m_intervalFor != account.id) {
        watch.m_interval = kDefaultInterval; // another account's host gave the last one
    }
    const QString name = account.displayName();
    // What the feed now holds, and which pull requests its threads that are new or moved since the last
    // answer name.
    QSet<QString> named;
    if (check.threadsRead) {
        QHash<QString, QString> threads;
        threads.reserve(check.threads.size());
        for (const auto& thread : check.threads) {
            const auto before = watch.m_threads.constFind(thread.id);
            if (thread.pullRequest && (before == watch.m_threads.constEnd() || *before != thread.updatedAt))
                named.insert(*thread.pullRequest);
            threads.insert(thread.id, thread.updatedAt);
        }
        watch.m_threads = std::move(threads);
    }
    switch (check.outcome) {
    case Outcome::unchanged:
        watch.m_hasBaseline = true;
        if (!check.lastModified.isEmpty())
            watch.m_lastModified = check.lastModified;
        if (!check.bodyDigest.isEmpty())
            watch.m_lastBody = check.bodyDigest;
        break;
    case Outcome::changed: {
        // Without a stored answer to revalidate every answer is fresh; the feed's date still tells, and where
        // the server gives none, whether the feed reads differently from the last answer.
        const bool moved = check.lastModified.isEmpty() ? check.bodyDigest != watch.m_lastBody
                                                        : check.lastModified != watch.m_lastModified;
        const bool news = watch.m_hasBaseline && moved;
        watch.m_hasBaseline = true;
        watch.m_lastModified = check.lastModified;
        watch.m_lastBody = check.bodyDigest;
        if (news) {
            watch.m_named[account.id].unite(named);
            watch.m_newsOwed.remove(account.id);
            debugLog(kPolling,
                     QStringLiteral("📬 New activity in %1's notification feed, triggering silent refresh")
                         .arg(name));
            Q_EMIT watch.newActivity();
            if (!self)
                co_return;
        }
        break;
    }
    case Outcome::refused:
        // A fine-grained token cannot read the feed; the regular poll goes on as before.
        debugLog(kPolling,
                 QStringLiteral("⚠️ The notification feed answered %1 for %2: not checked again until "
                                "the account's token changes")
                     .arg(check.statusCode)
                     .arg(name));
        watch.m_refusedToken.insert(account.id, tokenKey);
        watch.m_hasBaseline = false;
        break;
    case Outcome::rateLimited:
        if (check.retryAt) {
            watch.m_deps.schedule->setPaused(account.id, *check.retryAt);
            debugLog(kPolling,
                     QStringLiteral("⏳ GitHub's rate limit reached for %1: feed checks and background "
                                    "polls paused until %2")
                         .arg(name, check.retryAt->toUTC().toString(Qt::ISODate)));
        }
        break;
    case Outcome::failed:
        debugLog(
            kPolling,
            QStringLiteral("❌ The notification feed did not answer for %1; asking again later").arg(name));
        break;
    }
    const bool answered = check.outcome == Outcome::unchanged || check.outcome == Outcome::changed;
    if (answered && watch.m_newsOwed.remove(account.id)) {
        debugLog(kPolling,
                 QStringLiteral("🔄 The refresh for %1's last news failed: refreshing again").arg(name));
        Q_EMIT watch.newActivity();
        if (!self)
            co_return;
    }
    watch.scheduleCheck(watch.m_interval);
}

} // namespace norvane
