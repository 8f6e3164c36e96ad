#pragma once

#include "core/github_account.h"
#include "github/cancellation.h"
#include "github/github_service.h"
#include "models/poll_schedule.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <functional>
#include <memory>
#include <optional>

namespace norvane {

class KeychainService;

// Between polls, GitHub's notification feed of the selected account is checked, which answers "nothing new"
// with a 304 that costs no rate-limit points; `newActivity` says when it changed. The first answer for an
// account is the baseline. A feed that refused a token (a fine-grained one cannot read it) is not checked
// again until the account's token changes. Checks are skipped while the account's requests wait for GitHub's
// rate limit, and pause it when they meet the limit; what the desktop says of the network stops none.
// With the news it keeps, per account, which pull requests the feed's changed threads named (new threads, or
// threads whose updated_at moved since the last answer), until a refresh takes them.
class ActivityFeedWatch : public QObject
{
    Q_OBJECT
public:
    struct Dependencies
    {
        GitHubService github;
        std::shared_ptr<KeychainService> keychain;
        std::unique_ptr<PollingTimer> timer;                           // paces the checks; default: a QTimer
        PollSchedule* schedule = nullptr;                              // the rate-limit pauses
        std::function<std::optional<GitHubAccount>()> selectedAccount; // whose feed is checked
    };
    explicit ActivityFeedWatch(Dependencies dependencies, QObject* parent = nullptr);
    ~ActivityFeedWatch() override;

    // Off stops the checks; on starts them again at once once `start` was called.
    void setEnabled(bool on);
    // Begins the checks, the first soon; the feed keeps its own pace across later calls.
    void start();
    // Whether the feed is checked for the account now (or for none selected).
    bool isWatching(const std::optional<QUuid>& accountId) const;
    // Seconds between two checks: the last X-Poll-Interval GitHub gave for the account checked (at most an
    // hour), a minute until it gave one.
    double interval() const { return m_interval; }
    // The account was removed: its check in flight ends without a word (no answer kept, no pause, no
    // refusal remembered) and what the watch knew of its feed goes.
    void forgetAccount(const QUuid& accountId);
    // The pull requests (pullRequestKey) the changed threads named since the last call for the account.
    QSet<QString> takeNamed(const QUuid& accountId) { return m_named.take(accountId); }
    // The refresh for the account's news failed: its next check that GitHub answers is news again.
    void oweNews(const QUuid& accountId) { m_newsOwed.insert(accountId); }

Q_SIGNALS:
    void newActivity();

private:
    void restart(double firstCheckSecs);
    void stop();
    void forgetBaseline();
    void scheduleCheck(double seconds);
    void check();
    static QCoro::Task<> runCheck(QPointer<ActivityFeedWatch> self, GitHubAccount account, CancelToken cancel,
                                  GitHubService github, std::shared_ptr<KeychainService> keychain);
    bool isCurrent(const CancelToken& cancel) const { return cancel == m_check && !cancel->isCancelled(); }

    Dependencies m_deps;
    bool m_enabled = true;
    bool m_started = false;
    std::optional<QUuid> m_account; // whose feed the baseline is of
    bool m_hasBaseline = false;
    QByteArray m_lastModified;
    QByteArray m_lastBody;             // the digest of the last answer read
    QHash<QString, QString> m_threads; // the last answer's threads: id → updated_at
    QHash<QUuid, QSet<QString>> m_named;
    QSet<QUuid> m_newsOwed;
    static constexpr double kDefaultInterval = 60.0;
    double m_interval = kDefaultInterval;
    std::optional<QUuid> m_intervalFor; // the account whose host gave m_interval
    CancelToken m_check;
    QHash<QUuid, QByteArray> m_refusedToken; // per account, the digest of the token the feed refused
};

} // namespace norvane
