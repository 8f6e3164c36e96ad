#include "models/pr_view_model.h"

#include "platform/debug_log.h"
#include "platform/keychain_service.h"
#include "platform/notifier.h"

#include <QTimer>
#include <algorithm>
#include <utility>

namespace norvane {

namespace {

const QString kAccounts = QStringLiteral("Accounts");

} // namespace

PRViewModel::PRViewModel(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(std::move(dependencies)), m_seen(m_deps.preferences)
{
    if (!m_deps.printLine)
        m_deps.printLine = [](const QString& line) { norvane::printLine(line); };
    m_runner = std::make_unique<RefreshRunner>(m_deps.github, m_deps.keychain);
    m_notify = std::make_unique<ChangeNotifier>(m_deps.notifier, m_deps.identity, m_deps.printLine);
    m_schedule = std::make_unique<PollSchedule>(
        PollSchedule::Options{std::move(m_deps.timer), m_deps.pollIntervalOverride, m_deps.debugMode,
                              m_deps.catchUpDelayMs, m_deps.now, m_deps.catchUpRetryMs});
    m_feed = std::make_unique<ActivityFeedWatch>(
        ActivityFeedWatch::Dependencies{m_deps.github, m_deps.keychain, std::move(m_deps.feedTimer),
                                        m_schedule.get(), [this] { return m_selectedAccount; }});
    connect(m_runner.get(), &RefreshRunner::finished, this, &PRViewModel::onRunFinished);
    connect(m_runner.get(), &RefreshRunner::ended, this, [this](bool showLoading) {
        if (showLoading)
            setIsLoading(false);
        const Owed owed = std::exchange(m_refreshOwed, Owed::nothing);
        if (owed != Owed::nothing)
            refreshInBackground(owed == Owed::narrow);
    });
    connect(m_notify.get(), &ChangeNotifier::message, this, &PRViewModel::setErrorMessage);
    connect(m_notify.get(), &ChangeNotifier::permissionChanged, this,
            [this](NotificationPermission permission) {
                using S = NotificationPermissionStatus;
                setPermissionStatus(permission == NotificationPermission::Authorized      ? S::authorized
                                    : permission == NotificationPermission::Denied        ? S::denied
                                    : permission == NotificationPermission::NotDetermined ? S::notDetermined
                                                                                          : S::unknown);
            });
    if (m_deps.notifier) {
        connect(m_deps.notifier.get(), &Notifier::markSeenRequested, this, [this](const QString& prUrl) {
            // The notification's pull request, as the list has it now; one gone since has nothing to mark.
            const auto it = std::find_if(m_pullRequests.cbegin(), m_pullRequests.cend(),
                                         [&](const PullRequest& pr) { return pr.url == prUrl; });
            if (it != m_pullRequests.cend())
                markAsSeen(*it);
        });
    }
    connect(m_schedule.get(), &PollSchedule::pollDue, this, &PRViewModel::refreshSilently);
    connect(m_schedule.get(), &PollSchedule::catchUpDue, this, &PRViewModel::catchUp);
    connect(m_schedule.get(), &PollSchedule::pausesChanged, this, &PRViewModel::rateLimitNoticeChanged);
    connect(m_feed.get(), &ActivityFeedWatch::newActivity, this, &PRViewModel::refreshForFeed);
    m_wakeTimer.setSingleShot(true);
    connect(&m_wakeTimer, &QTimer::timeout, this, [this] { applySnoozes(m_pullRequestsAccountId); });
    loadNotificationSettings();
    loadRepositorySettings();
    m_feed->setEnabled(m_checksActivityFeed);
    checkNotificationPermissionStatus();
}

// The parts cancel their own requests from the event loop as they go.
PRViewModel::~PRViewModel() = default;

void PRViewModel::print(const QString& line) const
{
    m_deps.printLine(line);
}

// --- Published setters -------------------------------------------------------------------------------------

void PRViewModel::setSelectedAccount(std::optional<GitHubAccount> account)
{
    // The engine reacts first, so observers that read the model see it already switched.
    if (account)
        onSelectedAccountChanged(*account);
    m_selectedAccount = std::move(account);
    Q_EMIT selectedAccountChanged(m_selectedAccount);
    Q_EMIT rateLimitNoticeChanged();
}

void PRViewModel::setPullRequests(QList<PullRequest> prs, std::optional<QUuid> accountId)
{
    m_pullRequestsAccountId = accountId;
    m_pullRequests.clear();
    m_sectionOnly.clear();
    for (PullRequest& pr : prs)
        (countsInBadge(pr) ? m_pullRequests : m_sectionOnly).append(std::move(pr));
    Q_EMIT pullRequestsChanged(m_pullRequests);
}

void PRViewModel::setIsLoading(bool loading)
{
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    Q_EMIT isLoadingChanged(loading);
}

void PRViewModel::setErrorMessage(std::optional<QString> message)
{
    if (m_errorMessage == message)
        return;
    m_errorMessage = std::move(message);
    Q_EMIT errorMessageChanged(m_errorMessage);
}

void PRViewModel::setShowSettings(bool show)
{
    if (m_showSettings == show)
        return;
    m_showSettings = show;
    Q_EMIT showSettingsChanged(show);
}

void PRViewModel::setTriggerAddAccount(bool trigger)
{
    if (m_triggerAddAccount == trigger)
        return;
    m_triggerAddAccount = trigger;
    Q_EMIT triggerAddAccountChanged(trigger);
}

void PRViewModel::setSelectedFilter(PRFilter filter)
{
    const bool sectionWasShown = m_selectedSection.has_value();
    m_selectedSection.reset();
    if (sectionWasShown)
        Q_EMIT selectedSectionChanged(m_selectedSection);
    if (m_selectedFilter == filter) {
        if (sectionWasShown)
            Q_EMIT selectedFilterChanged(filter);
        return;
    }
    m_selectedFilter = filter;
    Q_EMIT selectedFilterChanged(filter);
}

void PRViewModel::setSelectedRepository(std::optional<QString> repository)
{
    if (m_selectedRepository == repository)
        return;
    m_selectedRepository = std::move(repository);
    Q_EMIT selectedRepositoryChanged(m_selectedRepository);
}

void PRViewModel::setSelectedSortOption(PRSortOption option)
{
    m_storedPreferences.forgetUnknownSortOption();
    if (m_selectedSortOption == option)
        return;
    m_selectedSortOption = option;
    Q_EMIT selectedSortOptionChanged(option);
}

void PRViewModel::setTrayIconStyle(TrayIconStyle style)
{
    if (m_trayIconStyle == style)
        return;
    m_trayIconStyle = style;
    m_storedPreferences.saveTrayIconStyle(style);
    Q_EMIT trayIconStyleChanged(style);
}

void PRViewModel::setChecksActivityFeed(bool on)
{
    if (m_checksActivityFeed == on)
        return;
    m_checksActivityFeed = on;
    m_storedPreferences.saveChecksActivityFeed(on);
    m_feed->setEnabled(on);
    Q_EMIT checksActivityFeedChanged(on);
}

void PRViewModel::setNotificationSettings(NotificationSettings settings)
{
    if (m_notificationSettings == settings)
        return;
    m_notificationSettings = settings;
    Q_EMIT notificationSettingsChanged(m_notificationSettings);
}

void PRViewModel::setBlockedRepositories(QSet<QString> blocked)
{
    if (m_blockedRepositories == blocked)
        return;
    m_blockedRepositories = std::move(blocked);
    Q_EMIT blockedRepositoriesChanged(m_blockedRepositories);
}

void PRViewModel::setFavoriteRepositories(QSet<QString> favorites)
{
    if (m_favoriteRepositories == favorites)
        return;
    m_favoriteRepositories = std::move(favorites);
    Q_EMIT favoriteRepositoriesChanged(m_favoriteRepositories);
}

void PRViewModel::setPermissionStatus(NotificationPermissionStatus status)
{
    if (m_permissionStatus == status)
        return;
    m_permissionStatus = status;
    Q_EMIT notificationPermissionStatusChanged(status);
}

void PRViewModel::setReauthNeeded(QSet<QUuid> ids)
{
    if (m_reauthNeeded == ids)
        return;
    m_reauthNeeded = std::move(ids);
    Q_EMIT reauthNeededChanged(m_reauthNeeded);
}

// --- Accounts and stored preferences -----------------------------------------------------------------------

void PRViewModel::onSelectedAccountChanged(const GitHubAccount& account)
{
    print(QStringLiteral("🔄 Account changed to: %1 (username: %2)")
              .arg(account.displayName(), account.username));
    // Another account's rows go at once: until this account's first answer the tab shows it loading, and a
    // failed answer shows the failure, never the list of the account selected before.
    if (m_pullRequestsAccountId != account.id && (!m_pullRequests.isEmpty() || m_pullRequestsAccountId)) {
        m_answer.clear();
        m_snoozed.clear();
        setPullRequests({}, std::nullopt);
    }
    loadSeenStates(account);
    m_snoozes.ensureLoaded(account.id);
    m_sections = m_storedPreferences.loadSections(account.id);
    m_sectionErrors.clear();
    if (m_selectedSection) {
        m_selectedSection.reset();
        Q_EMIT selectedSectionChanged(m_selectedSection);
    }
    Q_EMIT sectionsChanged();
    refreshForAccount(account, true, false);
}

void PRViewModel::loadAccounts()
{
    debugLog(kAccounts, QStringLiteral("loadAccounts() called"));
    debugLog(kAccounts, QStringLiteral("Bundle ID: ") +
                            m_deps.identity.bundleIdentifier.value_or(QStringLiteral("nil")));
    const AccountStore::Loaded loaded = m_accountStore.load();
    for (const QString& note : loaded.notes)
        debugLog(kAccounts, note);
    if (loaded.status != AccountStore::Loaded::Status::read)
        return;
    Q_EMIT accountsChanged(accounts());
    if (!m_selectedAccount) {
        const std::optional<GitHubAccount> first = m_accountStore.first();
        setSelectedAccount(first);
        debugLog(kAccounts, QStringLiteral("Set selectedAccount to: ") +
                                (first ? first->username : QStringLiteral("nil")));
    }
}

QCoro::Task<bool> PRViewModel::addAccount(QString username, QString token, std::optional<QString> label,
                                          AccountServer server)
{
    QPointer<PRViewModel> self(this);
    const GitHubAccount account = AccountStore::newAccount(username, std::move(label), server);
    // The token must be in the store before the first refresh of the account asks for it. An account whose
    // token the keychain refused could never be refreshed, nor reconnected (that takes a 401): none is added.
    const std::shared_ptr<KeychainService> keychain = m_deps.keychain;
    const bool saved = co_await keychain->save(token, account.tokenKey());
    if (!self)
        co_return false;
    if (!saved) {
        debugLog(
            kAccounts,
            QStringLiteral("❌ The keychain did not keep the token for %1; no account added").arg(username));
        co_return false;
    }
    m_accountStore.add(account);
    Q_EMIT accountsChanged(accounts());
    if (!m_selectedAccount)
        setSelectedAccount(account);
    co_return true;
}

void PRViewModel::removeAccount(const GitHubAccount& accountRef)
{
    // A copy: callers often pass an element of `accounts`, which is removed below.
    const GitHubAccount account = accountRef;
    // Its work first (the refresh, the feed check): replies arriving after the forgetting below would store
    // its answers, readings, pause or marks again, and with no account left to select nothing else would ever
    // stop them. The answer cache and the readings refuse the account from now on whatever still arrives.
    cancelRunOf(account.id);
    m_feed->forgetAccount(account.id);
    m_fullRefreshOwed.remove(account.id);
    m_deps.keychain->remove(account.tokenKey());
    m_deps.github.forgetAccount(account.id);
    setPollsPaused(account.id, std::nullopt);
    if (m_reauthNeeded.contains(account.id)) {
        QSet<QUuid> marked = m_reauthNeeded;
        marked.remove(account.id);
        setReauthNeeded(std::move(marked));
    }
    m_accountStore.remove(account.id);
    Q_EMIT accountsChanged(accounts());
    if (m_selectedAccount && m_selectedAccount->id == account.id)
        setSelectedAccount(m_accountStore.first());
}

void PRViewModel::loadNotificationSettings()
{
    setNotificationSettings(m_storedPreferences.loadNotificationSettings().value_or(m_notificationSettings));
}

void PRViewModel::saveNotificationSettings()
{
    m_storedPreferences.saveNotificationSettings(m_notificationSettings);
    if (isPolling())
        startPolling();
}

void PRViewModel::loadRepositorySettings()
{
    const StoredPreferences::RepositorySettings stored = m_storedPreferences.loadRepositorySettings();
    setBlockedRepositories(stored.blocked.value_or(m_blockedRepositories));
    setFavoriteRepositories(stored.favorites.value_or(m_favoriteRepositories));
    setSelectedRepository(stored.selectedRepository);
    if (stored.sort)
        setSelectedSortOption(*stored.sort);
    m_checksActivityFeed = m_storedPreferences.loadChecksActivityFeed();
    m_trayIconStyle = m_storedPreferences.loadTrayIconStyle();
}

void PRViewModel::saveRepositorySettings()
{
    m_storedPreferences.saveRepositorySettings(m_blockedRepositories, m_favoriteRepositories,
                                               m_selectedRepository, m_selectedSortOption);
}

} // namespace norvane
