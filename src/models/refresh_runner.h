#pragma once

#include "core/github_account.h"
#include "core/pull_request.h"
#include "github/cancellation.h"
#include "github/github_service.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <memory>
#include <optional>

namespace norvane {

class KeychainService;

// The refresh run: reads the account's token, fetches its pull requests and reports how that ended. One run
// at a time: starting another cancels the one before, and a run that was cancelled or replaced ends at its
// next step without reporting anything, so only the current run decides what the engine shows.
class RefreshRunner : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        enum class Kind { noToken, unauthorized, failed, fetched };
        Kind kind = Kind::failed;
        GitHubAccount account;
        bool showLoading = false;
        bool checkForChanges = false;
        QList<PullRequest> pullRequests;   // fetched
        QString failure;                   // failed: what went wrong
        std::optional<QDateTime> retryAt;  // failed: GitHub's rate limit allows requests again then
        bool clearsEarlierMessage = false; // fetched: a catch-up was owed and a message from before is over
        bool narrow = false;               // the run enriched only what changed (`Narrow`)
        QHash<QString, QString> sectionErrors; // fetched: why a section's search failed, by its name
    };
    // A run for the feed's news: only the pull requests new to `onScreen`, named by the feed (`named`,
    // pullRequestKey) or with a moved updated_at are enriched; the rest keep what `onScreen` holds.
    struct Narrow
    {
        QList<PullRequest> onScreen;
        QSet<QString> named;
    };

    RefreshRunner(GitHubService github, std::shared_ptr<KeychainService> keychain, QObject* parent = nullptr);
    ~RefreshRunner() override;

    // Cancels the current run and starts one for the account: a full refresh, or a narrow one.
    // `sections` are the account's own searches, run after the three.
    void start(const GitHubAccount& account, bool showLoading, bool checkForChanges,
               std::optional<Narrow> narrow = std::nullopt, QList<SearchSection> sections = {});
    // Cancels the current run when it refreshes that account; true when it did.
    bool cancelRunOf(const QUuid& accountId);
    bool isRefreshing() const { return m_isRefreshing; }
    // The next run that fetches reports `clearsEarlierMessage` (a catch-up after sleep or an outage).
    void oweCatchUp() { m_catchUpOwed = true; }
    bool isCatchUpOwed() const { return m_catchUpOwed; }

Q_SIGNALS:
    // The current run ended this way; `isRefreshing` turns false right after, then `ended` follows.
    void finished(const norvane::RefreshRunner::Outcome& outcome);
    void ended(bool showLoading);

private:
    static QCoro::Task<> run(QPointer<RefreshRunner> self, GitHubAccount account, bool showLoading,
                             bool checkForChanges, std::optional<Narrow> narrow,
                             QList<SearchSection> sections, CancelToken cancel, GitHubService github,
                             std::shared_ptr<KeychainService> keychain);
    bool isCurrentRun(const CancelToken& cancel) const
    {
        return cancel == m_current && !cancel->isCancelled();
    }
    void finish(Outcome outcome);

    GitHubService m_github;
    std::shared_ptr<KeychainService> m_keychain;
    CancelToken m_current;
    std::optional<QUuid> m_currentAccount;
    bool m_isRefreshing = false;
    bool m_catchUpOwed = false;
};

} // namespace norvane
