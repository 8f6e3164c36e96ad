// Between polls the engine watches GitHub's notification feed, which answers "nothing new" with a 304 that
// costs no rate-limit points, and refreshes silently as soon as it changes. It also catches up after the
// machine slept or the network was gone, instead of waiting out the rest of an interval.
#include "models/pr_view_model.h"
#include "platform/debug_log.h"
#include "platform/keychain_service.h"

#include <QCryptographicHash>
#include <algorithm>

namespace norvane {

namespace {
const QString kPolling = QStringLiteral("Polling");
constexpr double kDefaultFeedIntervalSecs = 60.0;
} // namespace

bool PRViewModel::isWatchingActivityFeed() const
{
    if (!m_checksActivityFeed || !m_feedStarted || !m_deps.feedTimer->isActive())
        return false;
    return !m_selectedAccount || !m_feedRefusedToken.contains(m_selectedAccount->id);
}

void PRViewModel::restartActivityFeed(double firstCheckSecs)
{
    stopActivityFeed();
    if (m_checksActivityFeed)
        scheduleFeedCheck(firstCheckSecs);
}

void PRViewModel::stopActivityFeed()
{
    m_deps.feedTimer->stop();
    if (const CancelToken check = std::exchange(m_feedCheck, nullptr))
        check->cancel(); // resumes the check at once; it finds itself superseded
    m_feedAccount.reset();
    m_feedHasBaseline = false;
    m_feedLastModified.clear();
}

void PRViewModel::scheduleFeedCheck(double seconds)
{
    QPointer<PRViewModel> self(this);
    // One check at a time: the timer stops at its tick, and the next is scheduled when the check is done.
    m_deps.feedTimer->start(seconds, [self] {
        if (!self)
            return;
        self->m_deps.feedTimer->stop();
        self->checkActivityFeed();
    });
}

void PRViewModel::checkActivityFeed()
{
    if (!m_checksActivityFeed)
        return;
    const auto skip = [this](const QString& why) {
        debugLog(kPolling, QStringLiteral("Skipping the notification feed — ") + why);
        scheduleFeedCheck(m_feedInterval);
    };
    if (!m_selectedAccount)
        return skip(QStringLiteral("no account selected"));
    if (!m_networkOnline)
        return skip(QStringLiteral("the network is offline"));
    const GitHubAccount account = *m_selectedAccount;
    if (const auto paused = m_pollsPausedUntil.constFind(account.id);
        paused != m_pollsPausedUntil.constEnd() && m_deps.now() < *paused)
        return skip(QStringLiteral("GitHub's rate limit holds %1's requests").arg(account.displayName()));
    if (m_feedAccount != account.id) {
        // Another account's feed: its first answer is a new baseline.
        m_feedAccount = account.id;
        m_feedHasBaseline = false;
        m_feedLastModified.clear();
    }
    m_feedCheck = makeCancelToken();
    runFeedCheck(QPointer<PRViewModel>(this), account, m_feedCheck, m_deps.github.forAccount(account),
                 m_deps.keychain);
}

QCoro::Task<> PRViewModel::runFeedCheck(QPointer<PRViewModel> self, GitHubAccount account, CancelToken cancel,
                                        GitHubService github, std::shared_ptr<KeychainService> keychain)
{
    using Outcome = GitHubService::FeedCheck::Outcome;
    const std::optional<QString> token = co_await keychain->getAsync(account.tokenKey());
    if (!self || cancel != self->m_feedCheck || cancel->isCancelled())
        co_return;
    if (!token) {
        self->scheduleFeedCheck(self->m_feedInterval);
        co_return;
    }
    const QByteArray tokenKey = QCryptographicHash::hash(token->toUtf8(), QCryptographicHash::Sha256);
    if (const auto refused = self->m_feedRefusedToken.constFind(account.id);
        refused != self->m_feedRefusedToken.constEnd()) {
        if (*refused == tokenKey) {
            self->scheduleFeedCheck(self->m_feedInterval); // only another token can change the answer
            co_return;
        }
        debugLog(kPolling, QStringLiteral("🔄 %1 has a new token: checking the notification feed again")
                               .arg(account.displayName()));
        self->m_feedRefusedToken.remove(account.id);
        self->m_feedHasBaseline = false;
    }

    const GitHubService::FeedCheck check = co_await github.checkNotificationFeed(*token, cancel);
    if (!self || cancel != self->m_feedCheck || cancel->isCancelled())
        co_return;
    PRViewModel& model = *self;
    model.m_feedCheck.reset();
    // GitHub's interval is a floor: never ask more often. Without one, a minute.
    model.m_feedInterval =
        check.pollIntervalSecs ? double(*check.pollIntervalSecs) : kDefaultFeedIntervalSecs;
    const QString name = account.displayName();
    switch (check.outcome) {
    case Outcome::unchanged:
        model.m_feedHasBaseline = true;
        if (!check.lastModified.isEmpty())
            model.m_feedLastModified = check.lastModified;
        break;
    case Outcome::changed: {
        // Without a stored answer to revalidate every answer is fresh; the feed's date still tells.
        const bool moved = check.lastModified.isEmpty() || check.lastModified != model.m_feedLastModified;
        const bool news = model.m_feedHasBaseline && moved;
        model.m_feedHasBaseline = true;
        model.m_feedLastModified = check.lastModified;
        if (news) {
            debugLog(kPolling,
                     QStringLiteral("📬 New activity in %1's notification feed, triggering silent refresh")
                         .arg(name));
            model.refreshSilently();
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
        model.m_feedRefusedToken.insert(account.id, tokenKey);
        model.m_feedHasBaseline = false;
        break;
    case Outcome::rateLimited:
        if (check.retryAt) {
            model.setPollsPaused(account.id, *check.retryAt);
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
    model.scheduleFeedCheck(model.m_feedInterval);
}

void PRViewModel::setNetworkOnline(bool online)
{
    if (m_networkOnline == online)
        return;
    m_networkOnline = online;
    debugLog(kPolling, online ? QStringLiteral("🔄 The network is back: refreshing shortly")
                              : QStringLiteral("⚠️ The network is offline: polls wait until it is back"));
    if (online)
        m_catchUp->start();
    else
        m_catchUp->stop();
}

void PRViewModel::systemResumed()
{
    debugLog(kPolling, QStringLiteral("🔄 The system woke from sleep: refreshing shortly"));
    m_catchUp->start(); // a wake and the network's return a moment later start one refresh, not two
}

void PRViewModel::catchUp()
{
    if (!m_networkOnline)
        return; // the network's return starts it again
    m_clearErrorOnSuccess = true;
    refreshSilently();
}

} // namespace norvane
