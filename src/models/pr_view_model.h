#pragma once

#include "core/github_account.h"
#include "core/pr_rules.h"
#include "core/pull_request.h"
#include "core/stored_record.h"
#include "github/cancellation.h"
#include "github/github_service.h"
#include "models/account_store.h"
#include "models/stored_preferences.h"
#include "models/activity_feed_watch.h"
#include "models/change_notifier.h"
#include "models/poll_schedule.h"
#include "models/refresh_runner.h"
#include "models/seen_state_store.h"
#include "models/snooze_store.h"
#include "platform/app_identity.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace norvane {

class KeychainService;
class Notifier;
class Preferences;

// The pull-request engine the screens bind to: accounts and preferences, and the published state of the
// parts it is made of (the refresh run, seen state, change detection with notifications, the poll schedule
// and the notification-feed watch), with the filtered view of the list. Lives on the main thread.
class PRViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<norvane::GitHubAccount> accounts READ accounts NOTIFY accountsChanged)
    Q_PROPERTY(std::optional<norvane::GitHubAccount> selectedAccount READ selectedAccount WRITE setSelectedAccount
                   NOTIFY selectedAccountChanged)
    Q_PROPERTY(QList<norvane::PullRequest> pullRequests READ pullRequests NOTIFY pullRequestsChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(std::optional<QString> errorMessage READ errorMessage WRITE setErrorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(bool showSettings READ showSettings WRITE setShowSettings NOTIFY showSettingsChanged)
    Q_PROPERTY(bool triggerAddAccount READ triggerAddAccount WRITE setTriggerAddAccount NOTIFY triggerAddAccountChanged)
    Q_PROPERTY(norvane::PRFilter selectedFilter READ selectedFilter WRITE setSelectedFilter NOTIFY selectedFilterChanged)
    Q_PROPERTY(std::optional<QString> selectedRepository READ selectedRepository WRITE setSelectedRepository
                   NOTIFY selectedRepositoryChanged)
    Q_PROPERTY(norvane::PRSortOption selectedSortOption READ selectedSortOption WRITE setSelectedSortOption
                   NOTIFY selectedSortOptionChanged)
    Q_PROPERTY(norvane::NotificationSettings notificationSettings READ notificationSettings WRITE
                   setNotificationSettings NOTIFY notificationSettingsChanged)
    Q_PROPERTY(QSet<QString> blockedRepositories READ blockedRepositories WRITE setBlockedRepositories
                   NOTIFY blockedRepositoriesChanged)
    Q_PROPERTY(QSet<QString> favoriteRepositories READ favoriteRepositories NOTIFY favoriteRepositoriesChanged)
    Q_PROPERTY(norvane::PRViewModel::NotificationPermissionStatus notificationPermissionStatus READ
                   notificationPermissionStatus NOTIFY notificationPermissionStatusChanged)
    Q_PROPERTY(QSet<QUuid> reauthNeeded READ reauthNeeded WRITE setReauthNeeded NOTIFY reauthNeededChanged)

public:
    enum class NotificationPermissionStatus { unknown, notDetermined, denied, authorized };
    Q_ENUM(NotificationPermissionStatus)

    struct Dependencies {
        GitHubService github;
        std::shared_ptr<KeychainService> keychain;
        std::shared_ptr<Preferences> preferences;
        std::shared_ptr<Notifier> notifier;
        AppIdentity identity;
        std::unique_ptr<PollingTimer> timer;          // default: a QTimer
        std::optional<QString> pollIntervalOverride;  // the NORVANE_POLL_INTERVAL_SECS text, when set
        bool debugMode = false;
        QString webBaseURL = GitHubService::defaultWebURL();
        std::function<void(const QString&)> printLine; // standard output; default: the process's
        std::function<QDateTime()> now = {};           // default: the current time
        std::unique_ptr<PollingTimer> feedTimer = {};  // paces the notification-feed checks; default: a QTimer
        int catchUpDelayMs = 5000; // after a wake or a return online, before the refresh that catches up
        int catchUpRetryMs = 30000; // after a catch-up that failed, before it is tried once more
    };

    explicit PRViewModel(Dependencies dependencies, QObject* parent = nullptr);
    ~PRViewModel() override;

    // Published state.
    const QList<GitHubAccount>& accounts() const { return m_accountStore.accounts(); }
    const std::optional<GitHubAccount>& selectedAccount() const { return m_selectedAccount; }
    void setSelectedAccount(std::optional<GitHubAccount> account);
    const QList<PullRequest>& pullRequests() const { return m_pullRequests; }
    // The account whose answer `pullRequests` is; absent until an answer for the selected account arrived.
    // Selecting another account empties the list at once, so no screen shows one account's pull requests
    // under another's name.
    const std::optional<QUuid>& pullRequestsAccountId() const { return m_pullRequestsAccountId; }
    // Whether `pullRequests` is the selected account's list.
    bool hasListForSelectedAccount() const
    {
        return m_selectedAccount && m_pullRequestsAccountId == m_selectedAccount->id;
    }
    // Whether GitHub rejected the selected account's token (its id is in `reauthNeeded`).
    bool selectedAccountNeedsReauth() const
    {
        return m_selectedAccount && m_reauthNeeded.contains(m_selectedAccount->id);
    }
    bool isLoading() const { return m_isLoading; }
    const std::optional<QString>& errorMessage() const { return m_errorMessage; }
    void setErrorMessage(std::optional<QString> message);
    bool showSettings() const { return m_showSettings; }
    void setShowSettings(bool show);
    bool triggerAddAccount() const { return m_triggerAddAccount; }
    void setTriggerAddAccount(bool trigger);
    PRFilter selectedFilter() const { return m_selectedFilter; }
    void setSelectedFilter(PRFilter filter);
    const std::optional<QString>& selectedRepository() const { return m_selectedRepository; }
    void setSelectedRepository(std::optional<QString> repository);
    PRSortOption selectedSortOption() const { return m_selectedSortOption; }
    void setSelectedSortOption(PRSortOption option);
    // The tray icon's colour ("tray_icon_style"); saved at once.
    TrayIconStyle trayIconStyle() const { return m_trayIconStyle; }
    void setTrayIconStyle(TrayIconStyle style);
    const NotificationSettings& notificationSettings() const { return m_notificationSettings; }
    void setNotificationSettings(NotificationSettings settings);
    const QSet<QString>& blockedRepositories() const { return m_blockedRepositories; }
    void setBlockedRepositories(QSet<QString> blocked);
    const QSet<QString>& favoriteRepositories() const { return m_favoriteRepositories; }
    NotificationPermissionStatus notificationPermissionStatus() const { return m_permissionStatus; }
    const QSet<QUuid>& reauthNeeded() const { return m_reauthNeeded; }
    void setReauthNeeded(QSet<QUuid> ids);
    // Where an account's queries and links go: github.com's addresses (or the run's stand-ins for them) for a
    // github.com account, its own server's for an Enterprise one.
    GitHubEndpoints endpoints(const GitHubAccount& account) const
    {
        return account.endpoints({m_deps.github.baseURL(), m_deps.webBaseURL});
    }
    // The selected account's web host; github.com's without an account.
    QString webBaseURL() const
    {
        return m_selectedAccount ? endpoints(*m_selectedAccount).webBaseURL : m_deps.webBaseURL;
    }
    // The token store the engine reads from; the settings screen writes a reconnected token through it.
    const std::shared_ptr<KeychainService>& keychainService() const { return m_deps.keychain; }

    // Accounts and stored preferences.
    void loadAccounts();
    void saveAccounts() { m_accountStore.save(); }
    // Stores the token first; resolves once the account is added (and selected when it is the first), with
    // true. A token the keychain did not keep adds nothing and resolves with false.
    QCoro::Task<bool> addAccount(QString username, QString token, std::optional<QString> label,
                                 AccountServer server = {});
    void removeAccount(const GitHubAccount& account);
    void loadNotificationSettings();
    void saveNotificationSettings();
    void loadRepositorySettings();
    void saveRepositorySettings();

    // Refresh pipeline.
    void refresh();
    bool isRefreshing() const { return m_runner->isRefreshing(); }
    // When GitHub's rate limit stopped the account's last refresh, the time background polls resume.
    std::optional<QDateTime> pollsPausedUntil(const QUuid& accountId) const
    {
        return m_schedule->pausedUntil(accountId);
    }
    // The sentence a rate-limit failure gains: when Norvane asks again, in local time.
    static QString retryLine(const QDateTime& at) { return PollSchedule::retryLine(at); }
    // While GitHub's rate limit holds the selected account's polls, the quiet line the pull-request tab shows
    // ("GitHub's rate limit: Norvane checks again at 14:05."); none otherwise.
    std::optional<QString> rateLimitNotice() const;

    // Seen state.
    const SeenStateMap& seenStates() const { return m_seen.states(); }
    QList<PRUpdateType> unseenUpdates(const PullRequest& pr) const;
    void markAsSeen(const PullRequest& pr);

    // Snoozing. A snoozed pull request of the selected account is out of `pullRequests` (so of the counts
    // and the badge) and posts no notification until its snooze wakes; it then comes back marked as woken
    // until it is marked seen. Snoozes are kept per account and dropped with their pull request's end.
    void snooze(const PullRequest& pr, SnoozeLength length);
    void unsnooze(const QString& prId);
    // The selected account's snoozed pull requests, in the answer's order.
    const QList<PullRequest>& snoozedPullRequests() const { return m_snoozed; }
    // The answer `pullRequests` was taken from: the snoozed pull requests in their places too.
    const QList<PullRequest>& answeredPullRequests() const { return m_answer; }
    std::optional<Snooze> snoozeOf(const QString& prId) const;
    // Back from a snooze and not yet seen since: the row keeps its unseen mark.
    bool wokeFromSnooze(const QString& prId) const;

    // Notifications and polling.
    void checkNotificationPermissionStatus();
    void sendTestNotification();
    void sendTestReviewNotification();
    void sendTestChangesNotification();
    void sendTestApprovalNotification();
    double pollingInterval() const;
    void startPolling();
    bool isPolling() const;

    // Checking GitHub's notification feed for new activity between polls ("activity_feed_enabled"; on by
    // default). Saved at once; off stops the checks.
    bool checksActivityFeed() const { return m_checksActivityFeed; }
    void setChecksActivityFeed(bool on);
    // Whether the feed is checked for the selected account now: the switch is on, polling has started and
    // the feed did not refuse the account's current token.
    bool isWatchingActivityFeed() const;
    // Seconds between two feed checks: GitHub's last X-Poll-Interval, a minute until it said one.
    double activityFeedInterval() const { return m_feed->interval(); }
    // The desktop's word on the network and on sleep. Coming back online or waking from sleep refreshes
    // silently a few seconds later (once, when both come together), and once more when that refresh failed.
    // Polls and feed checks go on whatever the desktop says of the network: a request that fails offline
    // fails quietly and the next one tries again.
    void setNetworkOnline(bool online);
    bool isNetworkOnline() const { return m_schedule->isNetworkOnline(); }
    void systemResumed();

    // Filters, sorting and repository scope.
    QList<PullRequest> filteredPullRequests() const;
    QStringList availableRepositories() const;
    int countForFilter(PRFilter filter) const;
    int countForRepository(const QString& repo) const;
    bool isBlocked(const QString& repo) const;
    void blockRepository(const QString& name);
    void blockOwner(const QString& owner);
    void toggleFavorite(const QString& repo);

    // The selected account's sections: its own searches, each a chip after the built-in filters. A pull
    // request only a section found is listed under that section alone: it is out of `pullRequests` (so of
    // the badge, the tooltip, the built-in filters' counts and the notifications) unless one of its sections
    // has "Notify" on.
    const QList<SearchSection>& sections() const { return m_sections; }
    // Replaces the selected account's sections (names and queries trimmed) and saves them at once; a quiet
    // refresh fetches what they find. A list that cannot be kept is refused with its problem, unchanged.
    SectionProblem setSections(QList<SearchSection> sections);
    // The section whose pull requests the list shows instead of a built-in filter's; none when a built-in
    // filter is chosen. Choosing a filter clears it.
    const std::optional<QString>& selectedSection() const { return m_selectedSection; }
    void setSelectedSection(std::optional<QString> name);
    // The section's pull requests outside blocked repositories, snoozed ones aside.
    int countForSection(const QString& name) const;
    // The section's pull requests as shown (snoozed ones aside), in the answer's order.
    QList<PullRequest> sectionPullRequests(const QString& name) const;
    // Why the section's search failed at the last refresh; none when it answered.
    std::optional<QString> sectionError(const QString& name) const;
    // Runs a query once as a section would, with the selected account's token.
    QCoro::Task<GitHubService::SectionCheck> checkSectionQuery(QString query);

    // Shows sample pull requests for the selected account, with their seen snapshots held in memory only:
    // nothing of them is stored, and the next refresh reads the account's own snapshots again.
    void showSample(QList<PullRequest> prs, SeenStateMap seenStates);

Q_SIGNALS:
    void accountsChanged(const QList<norvane::GitHubAccount>& accounts);
    void selectedAccountChanged(const std::optional<norvane::GitHubAccount>& account);
    void pullRequestsChanged(const QList<norvane::PullRequest>& pullRequests);
    void isLoadingChanged(bool isLoading);
    void errorMessageChanged(const std::optional<QString>& message);
    void showSettingsChanged(bool show);
    void triggerAddAccountChanged(bool trigger);
    void selectedFilterChanged(norvane::PRFilter filter);
    void selectedRepositoryChanged(const std::optional<QString>& repository);
    void selectedSortOptionChanged(norvane::PRSortOption option);
    void trayIconStyleChanged(norvane::TrayIconStyle style);
    void checksActivityFeedChanged(bool on);
    void notificationSettingsChanged(const norvane::NotificationSettings& settings);
    void blockedRepositoriesChanged(const QSet<QString>& blocked);
    void favoriteRepositoriesChanged(const QSet<QString>& favorites);
    void notificationPermissionStatusChanged(norvane::PRViewModel::NotificationPermissionStatus status);
    void reauthNeededChanged(const QSet<QUuid>& ids);
    // The seen snapshots changed (a pull request was opened or test data loaded): rows redraw their icons.
    void seenStatesChanged();
    // A rate-limit pause began or ended, or another account was selected: rateLimitNotice() may differ.
    void rateLimitNoticeChanged();
    // The sections, or what their last searches said, changed.
    void sectionsChanged();
    void selectedSectionChanged(const std::optional<QString>& name);

private:
    void setPullRequests(QList<PullRequest> prs, std::optional<QUuid> accountId);
    void setIsLoading(bool loading);
    void setFavoriteRepositories(QSet<QString> favorites);
    void setPermissionStatus(NotificationPermissionStatus status);
    void onSelectedAccountChanged(const GitHubAccount& account);

    void refreshSilently();
    // A silent refresh; `narrow` enriches only what changed (the feed's news), which needs the account's own
    // list on screen and no failed narrow refresh since the last full one, and is full otherwise.
    void refreshInBackground(bool narrow);
    // A silent refresh for news (a wake's, the network's return; the feed's is narrow): while a refresh runs,
    // one is owed, and runs when that one ends.
    void refreshForNews();
    void refreshForFeed();
    void refreshForAccount(const GitHubAccount& account, bool showLoading, bool checkForChanges);
    void onRunFinished(const RefreshRunner::Outcome& run);
    // Cancels the current run when it refreshes that account, and clears the flags it set.
    void cancelRunOf(const QUuid& accountId);
    void setPollsPaused(const QUuid& accountId, std::optional<QDateTime> until);
    void loadSeenStates(const GitHubAccount& account);
    // Installs `m_answer` without the pull requests still snoozed, and sets the timer for the next wake.
    void applySnoozes(std::optional<QUuid> accountId);
    void catchUp();
    void print(const QString& line) const;

    bool countsInBadge(const PullRequest& pr) const;

    Dependencies m_deps;

    std::optional<GitHubAccount> m_selectedAccount;
    QList<PullRequest> m_pullRequests;
    std::optional<QUuid> m_pullRequestsAccountId;
    bool m_isLoading = false;
    std::optional<QString> m_errorMessage;
    bool m_showSettings = false;
    bool m_triggerAddAccount = false;
    PRFilter m_selectedFilter = PRFilter::all;
    std::optional<QString> m_selectedRepository;
    PRSortOption m_selectedSortOption = PRSortOption::updated;
    TrayIconStyle m_trayIconStyle = TrayIconStyle::automatic;
    NotificationSettings m_notificationSettings;
    QSet<QString> m_blockedRepositories;
    QSet<QString> m_favoriteRepositories;
    NotificationPermissionStatus m_permissionStatus = NotificationPermissionStatus::unknown;
    QSet<QUuid> m_reauthNeeded;

    AccountStore m_accountStore{m_deps.preferences}; // the account list and its stored form
    StoredPreferences m_storedPreferences{m_deps.preferences};
    bool m_checksActivityFeed = true;

    enum class Owed { nothing, narrow, full };
    Owed m_refreshOwed = Owed::nothing; // news came while a refresh ran
    QSet<QUuid> m_fullRefreshOwed;      // accounts whose last narrow refresh failed

    SeenStateStore m_seen;
    SnoozeStore m_snoozes{m_deps.preferences};
    QList<PullRequest> m_answer;  // the last answer, snoozed pull requests included
    QList<PullRequest> m_snoozed; // the answer's pull requests still snoozed
    QTimer m_wakeTimer;           // the next snooze whose time is up
    QList<SearchSection> m_sections;         // the selected account's
    QHash<QString, QString> m_sectionErrors; // by section name, from the last refresh
    std::optional<QString> m_selectedSection;
    QList<PullRequest> m_sectionOnly; // shown only under their sections: not in `m_pullRequests`
    std::unique_ptr<RefreshRunner> m_runner;
    std::unique_ptr<ChangeNotifier> m_notify;
    std::unique_ptr<PollSchedule> m_schedule;
    std::unique_ptr<ActivityFeedWatch> m_feed;
};

} // namespace norvane

Q_DECLARE_METATYPE(norvane::GitHubAccount)
Q_DECLARE_METATYPE(norvane::PullRequest)
Q_DECLARE_METATYPE(norvane::NotificationSettings)
Q_DECLARE_METATYPE(norvane::PRFilter)
Q_DECLARE_METATYPE(norvane::PRSortOption)
