#pragma once

#include "github/github_service.h"
#include "platform/app_identity.h"
#include "platform/autostart.h"
#include "ui/settings/add_account_view.h"

#include <QAbstractButton>
#include <QList>
#include <QString>
#include <QWidget>
#include <memory>

class QComboBox;
class QPushButton;
class QStackedWidget;

namespace norvane {
class DashboardViewModel;
class IssuesViewModel;
class KeychainService;
class Preferences;
class PRViewModel;
class UrlOpener;
class WatchedRepoStore;
} // namespace norvane

namespace norvane::ui {

class DashboardView;
class IssuesView;
class PillButton;
class PullRequestTab;
class SettingsView;
class SymbolButton;

enum class AppTab { prs, issues, dashboard, settings };
inline const QList<AppTab> kAllTabs{AppTab::prs, AppTab::issues, AppTab::dashboard, AppTab::settings};
// Also the tab's label.
QString rawValue(AppTab tab);

// The full-width "Open GitHub..." link at the panel's foot.
class FooterButton final : public QAbstractButton
{
    Q_OBJECT

public:
    FooterButton(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The panel: the tab bar, the account picker (two or more accounts), the visible tab and the footer.
class ContentView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 600;

    struct Dependencies
    {
        PRViewModel* model = nullptr;
        UrlOpener* urlOpener = nullptr;
        QString webBaseURL;     // github.com's web host (an Enterprise account's links go to its own)
        bool debugMode = false; // adds the test-data and test-notification buttons
        // What the issues and dashboard models are built from; without a GitHub service they are not built.
        std::optional<GitHubService> github;
        std::shared_ptr<KeychainService> keychain;
        std::shared_ptr<Preferences> preferences;
        // The settings tab: what the program reports as its version, the desktop's notification settings
        // (empty where none is known) and what the add-account sheet signs in with. Without a sign-in the
        // settings tab is not built.
        AppIdentity identity = {};
        std::function<void()> openNotificationSettings = {};
        std::optional<AddAccountDependencies> signIn = {};
        std::shared_ptr<Autostart> autostart = {};
    };
    explicit ContentView(Dependencies dependencies, QWidget* parent = nullptr);
    ~ContentView() override;

    AppTab selectedTab() const { return m_selectedTab; }
    void setSelectedTab(AppTab tab);
    // Refreshes what the visible tab shows; the settings tab has nothing to refresh.
    void refreshVisibleTab();
    void toggleSettings();

    // The parts, for the shell and the tests.
    PillButton* tabButton(AppTab tab) const { return m_tabButtons.value(int(tab)); }
    SymbolButton* refreshButton() const { return m_refreshButton; }
    SymbolButton* settingsButton() const { return m_settingsButton; }
    const QList<SymbolButton*>& debugButtons() const { return m_debugButtons; }
    QWidget* accountRow() const { return m_accountRow; }
    QComboBox* accountPicker() const { return m_accountPicker; }
    FooterButton* footerButton() const { return m_footer; }
    PullRequestTab* pullRequestTab() const { return m_prTab; }
    // The issues and dashboard screens; absent without a GitHub service.
    IssuesView* issuesView() const { return m_issuesView; }
    DashboardView* dashboardView() const { return m_dashboardView; }
    SettingsView* settingsView() const { return m_settings; }
    QWidget* welcomeView() const { return m_welcome; }
    QPushButton* signInButton() const { return m_signIn; }
    // The models the panel owns for its other tabs (absent without a GitHub service).
    const std::shared_ptr<WatchedRepoStore>& watchedRepoStore() const { return m_watchedRepoStore; }
    IssuesViewModel* issuesViewModel() const { return m_issues.get(); }
    DashboardViewModel* dashboardViewModel() const { return m_dashboard.get(); }
    // The widget filling the content area now.
    QWidget* currentContent() const;

Q_SIGNALS:
    void selectedTabChanged(norvane::ui::AppTab tab);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildTabBar();
    QWidget* buildAccountRow();
    QWidget* buildWelcome();
    QWidget* placeholder(const QString& text);
    void buildActivityModels();
    void followAccount();
    void onAppear();
    void updateTabBar();
    void updateAccounts();
    void updateContent();

    Dependencies m_deps;
    PRViewModel& m_model;
    std::shared_ptr<WatchedRepoStore> m_watchedRepoStore;
    std::unique_ptr<IssuesViewModel> m_issues;
    std::unique_ptr<DashboardViewModel> m_dashboard;
    AppTab m_selectedTab = AppTab::prs;

    QList<PillButton*> m_tabButtons;
    SymbolButton* m_refreshButton = nullptr;
    QList<SymbolButton*> m_debugButtons;
    SymbolButton* m_settingsButton = nullptr;
    QWidget* m_accountRow = nullptr;
    QComboBox* m_accountPicker = nullptr;
    QStackedWidget* m_content = nullptr;
    QWidget* m_welcome = nullptr;
    QPushButton* m_signIn = nullptr;
    PullRequestTab* m_prTab = nullptr;
    IssuesView* m_issuesView = nullptr;
    DashboardView* m_dashboardView = nullptr;
    SettingsView* m_settings = nullptr;
    QList<QWidget*> m_tabPages; // by AppTab
    FooterButton* m_footer = nullptr;
    QWidget* m_footerDivider = nullptr;
};

} // namespace norvane::ui
