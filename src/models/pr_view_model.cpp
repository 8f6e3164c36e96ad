#include "models/pr_view_model.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"
#include "platform/debug_log.h"
#include "platform/keychain_service.h"
#include "platform/notifier.h"
#include "platform/preferences.h"

#include <QJsonDocument>
#include <QTimer>

#include <algorithm>

namespace norvane {

namespace {

const QString kAccounts = QStringLiteral("Accounts");
const QString kAccountsKey = QStringLiteral("github_accounts");
const QString kNotificationSettingsKey = QStringLiteral("notification_settings");
const QString kBlockedKey = QStringLiteral("blocked_repositories");
const QString kFavoritesKey = QStringLiteral("favorite_repositories");
const QString kSelectedRepositoryKey = QStringLiteral("selected_repository");
const QString kSortKey = QStringLiteral("selected_sort_option");
const QString kTrayIconStyleKey = QStringLiteral("tray_icon_style");
const QString kActivityFeedKey = QStringLiteral("activity_feed_enabled");

QStringList sortedList(const QSet<QString>& set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    return list;
}

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
                              m_deps.catchUpDelayMs, m_deps.now});
    m_feed = std::make_unique<ActivityFeedWatch>(
        ActivityFeedWatch::Dependencies{m_deps.github, m_deps.keychain, std::move(m_deps.feedTimer),
                                        m_schedule.get(), [this] { return m_selectedAccount; }});
    connect(m_runner.get(), &RefreshRunner::finished, this, &PRViewModel::onRunFinished);
    connect(m_runner.get(), &RefreshRunner::ended, this, [this](bool showLoading) {
        if (showLoading)
            setIsLoading(false);
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
    connect(m_schedule.get(), &PollSchedule::pollDue, this, &PRViewModel::refreshSilently);
    connect(m_schedule.get(), &PollSchedule::catchUpDue, this, &PRViewModel::catchUp);
    connect(m_schedule.get(), &PollSchedule::pausesChanged, this, &PRViewModel::rateLimitNoticeChanged);
    connect(m_feed.get(), &ActivityFeedWatch::newActivity, this, &PRViewModel::refreshSilently);
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

void PRViewModel::setAccounts(QList<GitHubAccount> accounts)
{
    m_accounts = std::move(accounts);
    Q_EMIT accountsChanged(m_accounts);
}

void PRViewModel::setPullRequests(QList<PullRequest> prs, std::optional<QUuid> accountId)
{
    m_pullRequestsAccountId = accountId;
    m_pullRequests = std::move(prs);
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
    if (m_selectedFilter == filter)
        return;
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
    m_storedUnknownSortOption.reset(); // a sort chosen here replaces one only a newer version knew
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
    m_deps.preferences->setString(kTrayIconStyleKey, rawValue(style));
    Q_EMIT trayIconStyleChanged(style);
}

void PRViewModel::setChecksActivityFeed(bool on)
{
    if (m_checksActivityFeed == on)
        return;
    m_checksActivityFeed = on;
    m_deps.preferences->setString(kActivityFeedKey, on ? QStringLiteral("true") : QStringLiteral("false"));
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

// --- Accounts ----------------------------------------------------------------------------------------------

void PRViewModel::onSelectedAccountChanged(const GitHubAccount& account)
{
    print(QStringLiteral("🔄 Account changed to: %1 (username: %2)").arg(account.displayName(), account.username));
    // Another account's rows go at once: until this account's first answer the tab shows it loading, and a
    // failed answer shows the failure, never the list of the account selected before.
    if (m_pullRequestsAccountId != account.id && (!m_pullRequests.isEmpty() || m_pullRequestsAccountId))
        setPullRequests({}, std::nullopt);
    loadSeenStates(account);
    refreshForAccount(account, true, false);
}

void PRViewModel::loadAccounts()
{
    debugLog(kAccounts, QStringLiteral("loadAccounts() called"));
    debugLog(kAccounts, QStringLiteral("Bundle ID: ") + m_deps.identity.bundleIdentifier.value_or(QStringLiteral("nil")));
    const auto data = m_deps.preferences->data(kAccountsKey);
    if (!data) {
        debugLog(kAccounts, QStringLiteral("No github_accounts data found in UserDefaults"));
        return;
    }
    debugLog(kAccounts, QStringLiteral("Found github_accounts data, %1 bytes").arg(data->size()));
    QList<GitHubAccount> decoded;
    QJsonArray objects;
    try {
        objects = parseJsonArray(*data);
        decoded = gitHubAccountsFromJson(objects);
    } catch (const DecodeError&) {
        // The stored bytes stay as they are until the next save.
        debugLog(kAccounts, QStringLiteral("Failed to decode accounts JSON"));
        return;
    }
    m_storedAccounts.clear();
    for (qsizetype i = 0; i < decoded.size(); ++i)
        m_storedAccounts.insert(decoded[i].id, {decoded[i], objects[i].toObject()});
    setAccounts(decoded);
    debugLog(kAccounts, QStringLiteral("Decoded %1 accounts").arg(m_accounts.size()));
    if (!m_selectedAccount) {
        const std::optional<GitHubAccount> first =
            m_accounts.isEmpty() ? std::nullopt : std::optional<GitHubAccount>(m_accounts.first());
        setSelectedAccount(first);
        debugLog(kAccounts, QStringLiteral("Set selectedAccount to: ") +
                                (first ? first->username : QStringLiteral("nil")));
    }
}

void PRViewModel::saveAccounts()
{
    QJsonArray objects;
    for (const GitHubAccount& account : m_accounts) {
        const auto stored = m_storedAccounts.constFind(account.id);
        objects.append(encodeOver(account, stored == m_storedAccounts.constEnd() ? nullptr : &*stored,
                                  kGitHubAccountKeys));
    }
    m_deps.preferences->setData(kAccountsKey, QJsonDocument(objects).toJson(QJsonDocument::Compact));
}

QCoro::Task<bool> PRViewModel::addAccount(QString username, QString token, std::optional<QString> label,
                                          AccountServer server)
{
    QPointer<PRViewModel> self(this);
    const QString tokenIdentifier = QStringLiteral("github_token_") + uuidText(QUuid::createUuid());
    // The token must be in the store before the first refresh of the account asks for it. An account whose
    // token the keychain refused could never be refreshed, nor reconnected (that takes a 401): none is added.
    const std::shared_ptr<KeychainService> keychain = m_deps.keychain;
    const bool saved = co_await keychain->save(token, tokenStoreKey(tokenIdentifier, server.host));
    if (!self)
        co_return false;
    if (!saved) {
        debugLog(
            kAccounts,
            QStringLiteral("❌ The keychain did not keep the token for %1; no account added").arg(username));
        co_return false;
    }
    GitHubAccount account{QUuid::createUuid(), username, tokenIdentifier, label, server.host,
                          server.host ? server.oauthClientId : std::nullopt};
    QList<GitHubAccount> accounts = m_accounts;
    accounts.append(account);
    setAccounts(accounts);
    saveAccounts();
    if (!m_selectedAccount)
        setSelectedAccount(account);
    co_return true;
}

void PRViewModel::removeAccount(const GitHubAccount& accountRef)
{
    // A copy: callers often pass an element of `accounts`, which is replaced below.
    const GitHubAccount account = accountRef;
    // Its refresh first: replies arriving after the forgetting below would store its answers and readings
    // again, and with no account left to select nothing else would ever stop it.
    cancelRunOf(account.id);
    m_deps.keychain->remove(account.tokenKey());
    m_deps.github.forgetAccount(account.id);
    setPollsPaused(account.id, std::nullopt);
    m_feed->forgetAccount(account.id);
    QList<GitHubAccount> accounts = m_accounts;
    accounts.removeIf([&](const GitHubAccount& a) { return a.id == account.id; });
    setAccounts(accounts);
    saveAccounts();
    if (m_selectedAccount && m_selectedAccount->id == account.id) {
        setSelectedAccount(m_accounts.isEmpty() ? std::nullopt
                                                : std::optional<GitHubAccount>(m_accounts.first()));
    }
}

// --- Stored preferences ------------------------------------------------------------------------------------

void PRViewModel::loadNotificationSettings()
{
    const auto data = m_deps.preferences->data(kNotificationSettingsKey);
    if (!data)
        return;
    try {
        const QJsonObject object = parseJsonObject(*data);
        const NotificationSettings settings = notificationSettingsFromJson(object);
        m_storedNotificationSettings = StoredRecord<NotificationSettings>{settings, object};
        setNotificationSettings(settings);
    } catch (const DecodeError&) {
        // Unreadable settings: the defaults stay in force and the stored bytes stay untouched.
    }
}

void PRViewModel::saveNotificationSettings()
{
    const QJsonObject object = encodeOver(
        m_notificationSettings, m_storedNotificationSettings ? &*m_storedNotificationSettings : nullptr,
        kNotificationSettingsKeys);
    m_deps.preferences->setData(kNotificationSettingsKey,
                                QJsonDocument(object).toJson(QJsonDocument::Compact));
    if (isPolling())
        startPolling();
}

void PRViewModel::loadRepositorySettings()
{
    if (const auto blocked = m_deps.preferences->stringList(kBlockedKey))
        setBlockedRepositories(QSet<QString>(blocked->begin(), blocked->end()));
    if (const auto favorites = m_deps.preferences->stringList(kFavoritesKey))
        setFavoriteRepositories(QSet<QString>(favorites->begin(), favorites->end()));
    setSelectedRepository(m_deps.preferences->string(kSelectedRepositoryKey));
    if (const auto raw = m_deps.preferences->string(kSortKey)) {
        if (const auto option = prSortOptionFromRaw(*raw))
            setSelectedSortOption(*option);
        else
            m_storedUnknownSortOption = *raw;
    }
    // Anything but "false" leaves the feed on: a value a later version wrote stays stored until changed here.
    m_checksActivityFeed = m_deps.preferences->string(kActivityFeedKey) != QStringLiteral("false");
    // A style this version does not know reads as automatic and stays stored until one is chosen.
    if (const auto raw = m_deps.preferences->string(kTrayIconStyleKey))
        m_trayIconStyle = trayIconStyleFromRaw(*raw).value_or(TrayIconStyle::automatic);
}

void PRViewModel::saveRepositorySettings()
{
    m_deps.preferences->setStringList(kBlockedKey, sortedList(m_blockedRepositories));
    m_deps.preferences->setStringList(kFavoritesKey, sortedList(m_favoriteRepositories));
    if (m_selectedRepository)
        m_deps.preferences->setString(kSelectedRepositoryKey, *m_selectedRepository);
    else
        m_deps.preferences->remove(kSelectedRepositoryKey);
    m_deps.preferences->setString(kSortKey,
                                  m_storedUnknownSortOption.value_or(rawValue(m_selectedSortOption)));
}

} // namespace norvane
