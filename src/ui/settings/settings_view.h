#pragma once

#include "core/github_account.h"
#include "core/watched_repo.h"
#include "models/pr_view_model.h"
#include "platform/app_identity.h"
#include "platform/autostart.h"
#include "ui/settings/add_account_view.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/theme.h"

#include <QHash>
#include <QPointer>
#include <QUuid>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace norvane {
class WatchedRepoStore;
}

namespace norvane::ui {

class SectionsEditor;

class SheetOverlay;
class SwitchControl;
class SegmentedControl;
class SymbolLabel;
class ThemedLabel;

// What the settings screen says, decided apart from its widgets.
// "Version 1.2 (34)", "Version 1.2", or "Version Unknown" when the program carries no version.
QString appVersionString(const QString& version, const QString& build);

struct PermissionAppearance
{
    Symbol symbol;
    ThemeColor tint;
    QString word;
    bool offersOpenSettings; // only when the user can still do something about it
};
PermissionAppearance permissionAppearance(PRViewModel::NotificationPermissionStatus status);

struct PollingChoice
{
    QString title;
    int minutes;
};
// The intervals offered, their titles in the user's language.
QList<PollingChoice> pollingChoices();

// Why a reconnect was refused: the browser was signed in to another GitHub user.
QString reauthMismatchMessage(const QString& signedInAs, const QString& accountUsername);
// The repositories of the user's pull requests that this account does not watch yet, in their order.
QStringList watchSuggestions(const QStringList& available, const QList<WatchedRepo>& watched);

// The settings tab: accounts, notifications, blocked and favourite repositories, watched repositories and
// version, on one scrolling page. It stores nothing itself: every change goes to the engine or to the
// watched-repository store. It also hosts the add-account sheet and decides what a sign-in does.
class SettingsView final : public QWidget
{
    Q_OBJECT

public:
    struct Dependencies
    {
        PRViewModel* model = nullptr;
        std::shared_ptr<WatchedRepoStore> watchedRepoStore;
        AppIdentity identity;
        // Opens the desktop's notification settings; empty where no settings panel is known.
        std::function<void()> openNotificationSettings;
        // What the sign-in model is built from, and what the add-account sheet opens links with.
        AddAccountDependencies addAccount;
        // "Start Norvane at login"; without it the switch is not shown.
        std::shared_ptr<Autostart> autostart = {};
    };
    explicit SettingsView(Dependencies dependencies, QWidget* parent = nullptr);
    ~SettingsView() override;

    // The add-account sheet; `reauth` reconnects that account instead of adding one.
    void presentAddAccount(std::optional<GitHubAccount> reauth = std::nullopt);
    void dismissAddAccount();
    AddAccountView* addAccountView() const;
    const std::optional<GitHubAccount>& reauthAccount() const { return m_signIn->reauthAccount(); }
    // What the sheet's sign-in does: reconnect the account it was opened for, or add a new one.
    void signIn(const QString& username, const QString& token, const std::optional<QString>& label,
                const norvane::AccountServer& server = {});

    // Whether a sheet or an alert is up; the panel keeps to this tab meanwhile, as behind a modal sheet.
    bool isPresenting() const;
    // Leaving the tab forgets what was typed and the messages under the fields.
    void discardTypedInput();

    // The "Account Mismatch" alert (and the one for a token the keychain would not keep).
    bool isAlertShown() const;
    QString alertTitle() const { return m_alertTitle; }
    QString alertMessage() const { return m_alertMessage; }
    void dismissAlert();

    // The parts, for tests.
    QScrollArea* scrollArea() const { return m_scroll; }
    QAbstractButton* addAccountButton() const { return m_addAccountButton; }
    QAbstractButton* reconnectButton(const QUuid& accountId) const;
    QAbstractButton* removeAccountButton(const QUuid& accountId) const;
    QAbstractButton* openSettingsButton() const { return m_openSettings; }
    ThemedLabel* permissionLabel() const { return m_permissionLabel; }
    QList<SwitchControl*> switches() const { return m_switches; }
    SegmentedControl* pollingPicker() const { return m_polling; }
    ThemedLabel* testErrorLabel() const { return m_testError; }
    QLineEdit* blockInput() const { return m_blockInput; }
    QPushButton* blockButton() const { return m_blockButton; }
    ThemedLabel* blockErrorLabel() const { return m_blockError; }
    QStringList blockedRowsShown() const;
    QLineEdit* watchedInput(const QUuid& accountId) const;
    QPushButton* watchedAddButton(const QUuid& accountId) const;
    ThemedLabel* watchedErrorLabel(const QUuid& accountId) const;
    QList<QAbstractButton*> suggestionChips(const QUuid& accountId) const;
    ThemedLabel* versionLabel() const { return m_versionLabel; }
    SwitchControl* autostartSwitch() const { return m_autostart; }
    SegmentedControl* trayIconStylePicker() const { return m_trayIconStyle; }
    SwitchControl* activityFeedSwitch() const { return m_activityFeed; }
    ThemedLabel* autostartErrorLabel() const { return m_autostartError; }

protected:
    void showEvent(QShowEvent* event) override;

public:
    SectionsEditor* sectionsEditor() const { return m_sectionsEditor; }

private:
    SectionsEditor* m_sectionsEditor = nullptr;
    struct WatchCard
    {
        QPointer<QWidget> card;
        QVBoxLayout* entries = nullptr;
        QWidget* suggestions = nullptr;
        QLineEdit* input = nullptr;
        QPushButton* add = nullptr;
        ThemedLabel* error = nullptr;
        QList<QAbstractButton*> chips;
        // What the lists show now: a poll that changes neither leaves their widgets alone, so the chip or
        // button under the pointer or holding the focus stays.
        std::optional<QList<WatchedRepo>> shownEntries;
        std::optional<QStringList> shownSuggestions;
    };

    QWidget* buildAccountsSection();
    QWidget* buildNotificationsSection();
    QWidget* buildRepositoriesSection();
    QWidget* buildWatchedSection();
    QWidget* buildAboutSection();

    // The scroll area sizes the page only when told: after a list changed, and when shown (lists that
    // changed while the tab was hidden did not tell it).
    void relayout();
    void updateAccounts();
    void updatePermission();
    void updateNotificationSettings();
    void updateTestError();
    void updateBlocked();
    void updateFavorites();
    void updateWatchCards();
    void updateWatchEntries();
    void rebuildWatchEntries(WatchCard& watch, const QList<WatchedRepo>& repos);
    void rebuildSuggestions(WatchCard& watch, const QUuid& accountId, const QStringList& names);
    void updateAutostart();

    void removeAccount(const GitHubAccount& account);
    void blockEntry();
    void addWatched(const QUuid& accountId);
    void setNotificationField(bool NotificationSettings::*field, bool on);
    void showAlert(const QString& title, const QString& message);
    QCoro::Task<> reconnect(GitHubAccount account, QString login, QString token);
    QCoro::Task<> addNewAccount(QString username, QString token, std::optional<QString> label,
                                AccountServer server);

    Dependencies m_deps;
    PRViewModel& m_model;
    WatchedRepoStore& m_store;

    SignInModel* m_signIn; // the sign-in of the sheet presented, and what it brought being kept

    // Screen state; leaving the tab keeps it only as long as this view lives.
    QPointer<SheetOverlay> m_sheet;
    QPointer<SheetOverlay> m_alert;
    QString m_alertTitle;
    QString m_alertMessage;
    QHash<QUuid, QString> m_newRepoInputs;
    QHash<QUuid, QString> m_newRepoErrors;

    QScrollArea* m_scroll = nullptr;
    QVBoxLayout* m_accountList = nullptr;
    QHash<QUuid, QAbstractButton*> m_reconnectButtons;
    QHash<QUuid, QAbstractButton*> m_removeButtons;
    QAbstractButton* m_addAccountButton = nullptr;
    QWidget* m_permissionCard = nullptr;
    SymbolLabel* m_permissionIcon = nullptr;
    ThemedLabel* m_permissionLabel = nullptr;
    QAbstractButton* m_openSettings = nullptr;
    QList<SwitchControl*> m_switches;
    SegmentedControl* m_polling = nullptr;
    ThemedLabel* m_testError = nullptr;
    QVBoxLayout* m_blockedList = nullptr;
    std::optional<QStringList> m_blockedShown;
    std::optional<QStringList> m_favoritesShown;
    std::optional<QStringList> m_accountsShown; // what each account card shows, as one line per card
    QLineEdit* m_blockInput = nullptr;
    QPushButton* m_blockButton = nullptr;
    ThemedLabel* m_blockError = nullptr;
    QVBoxLayout* m_favoriteList = nullptr;
    QVBoxLayout* m_watchList = nullptr;
    QHash<QUuid, WatchCard> m_watchCards;
    ThemedLabel* m_versionLabel = nullptr;
    SwitchControl* m_autostart = nullptr;
    SegmentedControl* m_trayIconStyle = nullptr;
    SwitchControl* m_activityFeed = nullptr;
    ThemedLabel* m_autostartError = nullptr;
};

} // namespace norvane::ui
