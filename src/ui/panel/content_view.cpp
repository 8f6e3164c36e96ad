#include "ui/panel/content_view.h"

#include "models/dashboard_view_model.h"
#include "models/issues_view_model.h"
#include "models/pr_view_model.h"
#include "models/watched_repo_store.h"
#include "platform/url_opener.h"
#include "ui/activity/dashboard_view.h"
#include "ui/activity/issues_view.h"
#include "ui/pulls/pr_tab.h"
#include "ui/pulls/sample_pull_requests.h"
#include "ui/settings/settings_view.h"
#include "ui/widgets/controls.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace norvane::ui {

QString rawValue(AppTab tab)
{
    switch (tab) {
    case AppTab::prs:
        //: The pull-request tab's name, on a tab button of a 560-pixel-wide panel: keep it short.
        return QCoreApplication::translate("norvane::ui::ContentView", "PRs");
    case AppTab::issues:
        return QCoreApplication::translate("norvane::ui::ContentView", "Issues");
    case AppTab::dashboard:
        return QCoreApplication::translate("norvane::ui::ContentView", "Dashboard");
    case AppTab::settings:
        break;
    }
    //: The settings tab's name, in lower case in English.
    return QCoreApplication::translate("norvane::ui::ContentView", "settings");
}

namespace {

// How the desktop writes a shortcut: "Ctrl+1" here, "⌘1" on a Mac.
QString shortcutText(const QKeySequence& sequence)
{
    return sequence.toString(QKeySequence::NativeText);
}

} // namespace

FooterButton::FooterButton(const QString& text, QWidget* parent) : QAbstractButton(parent)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
}

QSize FooterButton::sizeHint() const
{
    return QSize(100, QFontMetrics(textFont(TextStyle::subheadline)).height() + 14);
}

void FooterButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (underMouse())
        painter.fillRect(rect(), withAlpha(color(ThemeColor::primary, palette()), 0.05));
    painter.setFont(textFont(TextStyle::subheadline));
    painter.setPen(color(ThemeColor::secondary, palette()));
    painter.drawText(rect(), Qt::AlignCenter, text());
    painter.setRenderHint(QPainter::Antialiasing);
    paintFocusRing(painter, *this, rect(), 4);
}

ContentView::ContentView(Dependencies dependencies, QWidget* parent)
    : QWidget(parent), m_deps(std::move(dependencies)), m_model(*m_deps.model)
{
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    buildActivityModels();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildTabBar());
    column->addWidget(buildAccountRow());
    column->addWidget(divider(this));

    m_content = new QStackedWidget(this);
    m_prTab = new PullRequestTab(m_model, *m_deps.urlOpener, m_content);
    // Without a GitHub service there are no issues or dashboard models: those tabs only say what they hold.
    if (m_issues) {
        m_issuesView = new IssuesView(*m_issues, *m_deps.urlOpener, m_content);
        m_dashboardView = new DashboardView(*m_dashboard, *m_deps.urlOpener, m_deps.webBaseURL, m_content);
    }
    // The settings tab edits the watched repositories and signs in: it needs the store and a sign-in.
    if (m_watchedRepoStore && m_deps.signIn) {
        m_settings = new SettingsView(
            SettingsView::Dependencies{&m_model, m_watchedRepoStore, m_deps.identity,
                                       m_deps.openNotificationSettings, *m_deps.signIn, m_deps.autostart},
            m_content);
    }
    if (m_settings) {
        // The banner's "Reconnect" opens the same sheet as the settings card, over the tab in sight.
        connect(m_prTab, &PullRequestTab::reconnectRequested, this, [this] {
            if (const auto& account = m_model.selectedAccount())
                m_settings->presentAddAccount(*account);
        });
    }
    m_tabPages = {m_prTab,
                  m_issuesView ? static_cast<QWidget*>(m_issuesView)
                               : placeholder(tr("Issues of your watched repositories")),
                  m_dashboardView ? static_cast<QWidget*>(m_dashboardView)
                                  : placeholder(tr("Dashboard of your watched repositories")),
                  m_settings ? static_cast<QWidget*>(m_settings) : placeholder(tr("Settings"))};
    for (QWidget* page : m_tabPages)
        m_content->addWidget(page);
    m_welcome = buildWelcome();
    m_content->addWidget(m_welcome);
    column->addWidget(m_content, 1);

    m_footer = new FooterButton(tr("Open GitHub..."), this);
    connect(m_footer, &QAbstractButton::clicked, this,
            [this] { m_deps.urlOpener->open(m_model.webBaseURL()); });
    m_footerDivider = divider(this);
    column->addWidget(m_footerDivider);
    column->addWidget(m_footer);

    connect(&m_model, &PRViewModel::pullRequestsChanged, this, [this] { updateTabBar(); });
    connect(&m_model, &PRViewModel::blockedRepositoriesChanged, this, [this] { updateTabBar(); });
    connect(&m_model, &PRViewModel::accountsChanged, this, [this] {
        updateAccounts();
        updateContent();
    });
    connect(&m_model, &PRViewModel::selectedAccountChanged, this, [this] {
        updateAccounts();
        followAccount();
    });
    connect(&m_model, &PRViewModel::showSettingsChanged, this, [this](bool show) {
        // The shell's "Settings..." command: switch, then hand the flag back.
        if (!show)
            return;
        setSelectedTab(AppTab::settings);
        m_model.setShowSettings(false);
    });

    updateTabBar();
    updateAccounts();
    updateContent();
    if (m_model.showSettings()) {
        setSelectedTab(AppTab::settings);
        m_model.setShowSettings(false);
    }
}

ContentView::~ContentView() = default;

void ContentView::buildActivityModels()
{
    if (!m_deps.github)
        return;
    // One store for the run, shared by both tabs (and the settings screen that edits it).
    m_watchedRepoStore = std::make_shared<WatchedRepoStore>(m_deps.preferences);
    m_issues = std::make_unique<IssuesViewModel>(
        IssuesViewModel::Dependencies{*m_deps.github, m_deps.keychain, m_watchedRepoStore});
    m_dashboard = std::make_unique<DashboardViewModel>(
        DashboardViewModel::Dependencies{*m_deps.github, m_deps.keychain, m_watchedRepoStore});
    const auto counts = [this] { updateTabBar(); };
    connect(m_issues.get(), &IssuesViewModel::issuesChanged, this, counts);
    connect(m_issues.get(), &IssuesViewModel::selectedRepositoryChanged, this, counts);
}

void ContentView::followAccount()
{
    if (!m_issues)
        return;
    m_issues->setSelectedAccount(m_model.selectedAccount());
    m_dashboard->setSelectedAccount(m_model.selectedAccount());
}

QWidget* ContentView::buildTabBar()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(2);
    for (int i = 0; i < kAllTabs.size(); ++i) {
        const AppTab tab = kAllTabs[i];
        auto* button = new PillButton(PillButton::Kind::tab, rawValue(tab), bar);
        const QKeySequence keys(Qt::CTRL | Qt::Key(Qt::Key_1 + i));
        //: A tab button's tooltip: %1 is the tab's name, %2 its shortcut ("Ctrl+1").
        button->setToolTip(tr("%1 (%2)").arg(rawValue(tab), shortcutText(keys)));
        connect(button, &QAbstractButton::clicked, this, [this, tab] { setSelectedTab(tab); });
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, tab] { setSelectedTab(tab); });
        m_tabButtons.append(button);
        row->addWidget(button);
    }
    row->addStretch();

    const QKeySequence refreshKeys(Qt::CTRL | Qt::Key_R);
    m_refreshButton = new SymbolButton(Symbol::arrowClockwise, ThemeColor::primary,
                                       tr("Refresh (%1)").arg(shortcutText(refreshKeys)), bar);
    m_refreshButton->setAccessibleName(tr("Refresh"));
    connect(m_refreshButton, &QToolButton::clicked, this, &ContentView::refreshVisibleTab);
    connect(new QShortcut(refreshKeys, this), &QShortcut::activated, this, &ContentView::refreshVisibleTab);
    row->addWidget(m_refreshButton);

    if (m_deps.debugMode) {
        auto* testData = new SymbolButton(Symbol::hammerFill, ThemeColor::primary, tr("Load Test Data"), bar);
        connect(testData, &QToolButton::clicked, this, [this] { loadSamplePullRequests(m_model); });
        auto* testNotification =
            new SymbolButton(Symbol::bellBadgeFill, ThemeColor::primary, tr("Send Test Notification"), bar);
        connect(testNotification, &QToolButton::clicked, this, [this] { m_model.sendTestNotification(); });
        m_debugButtons = {testData, testNotification};
        row->addWidget(testData);
        row->addWidget(testNotification);
    }

    const QKeySequence settingsKeys(Qt::CTRL | Qt::Key_Comma);
    m_settingsButton = new SymbolButton(Symbol::gearshape, ThemeColor::primary,
                                        tr("Settings (%1)").arg(shortcutText(settingsKeys)), bar);
    m_settingsButton->setAccessibleName(tr("Settings"));
    connect(m_settingsButton, &QToolButton::clicked, this, &ContentView::toggleSettings);
    connect(new QShortcut(settingsKeys, this), &QShortcut::activated, this, &ContentView::toggleSettings);
    row->addWidget(m_settingsButton);
    return bar;
}

QWidget* ContentView::buildAccountRow()
{
    m_accountRow = new QWidget(this);
    auto* row = new QHBoxLayout(m_accountRow);
    row->setContentsMargins(12, 0, 12, 8);
    auto* label = new ThemedLabel(tr("Account:"), TextStyle::subheadline, ThemeColor::primary, m_accountRow);
    row->addWidget(label);
    m_accountPicker = new QComboBox(m_accountRow);
    m_accountPicker->setAccessibleName(tr("Account"));
    label->setBuddy(m_accountPicker);
    // Reached with Tab, but not kept after a click: the arrows belong to the list.
    m_accountPicker->setFocusPolicy(Qt::TabFocus);
    connect(m_accountPicker, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < m_model.accounts().size())
            m_model.setSelectedAccount(m_model.accounts()[index]);
    });
    row->addWidget(m_accountPicker);
    row->addStretch();
    return m_accountRow;
}

QWidget* ContentView::buildWelcome()
{
    auto* page = new QWidget(m_content);
    auto* column = new QVBoxLayout(page);
    column->setSpacing(12);
    column->addStretch();
    column->addWidget(new ThemedLabel(tr("Welcome to Norvane"), TextStyle::title, ThemeColor::primary, page,
                                      QFont::DemiBold),
                      0, Qt::AlignHCenter);
    column->addWidget(new ThemedLabel(tr("Stay on top of GitHub pull requests right from your menu bar."),
                                      TextStyle::body, ThemeColor::secondary, page),
                      0, Qt::AlignHCenter);
    m_signIn = new ProminentButton(Symbol::personBadgePlus, tr("Sign in with GitHub"), page);
    connect(m_signIn, &QPushButton::clicked, this, [this] {
        setSelectedTab(AppTab::settings);
        m_model.setTriggerAddAccount(true);
    });
    column->addWidget(m_signIn, 0, Qt::AlignHCenter);
    auto* note = new QWidget(page);
    auto* noteRow = new QHBoxLayout(note);
    noteRow->setContentsMargins(0, 0, 0, 0);
    noteRow->addWidget(new SymbolLabel(Symbol::checkmarkSealFill, ThemeColor::green, 12, note));
    noteRow->addWidget(new ThemedLabel(tr("Your token is stored securely in your system keychain."),
                                       TextStyle::caption, ThemeColor::secondary, note));
    column->addWidget(note, 0, Qt::AlignHCenter);
    column->addStretch();
    return page;
}

QWidget* ContentView::placeholder(const QString& text)
{
    auto* page = new QWidget(m_content);
    auto* column = new QVBoxLayout(page);
    column->addStretch();
    column->addWidget(new ThemedLabel(text, TextStyle::callout, ThemeColor::secondary, page), 0,
                      Qt::AlignHCenter);
    column->addStretch();
    return page;
}

void ContentView::setSelectedTab(AppTab tab)
{
    if (m_selectedTab == tab)
        return;
    // A sheet or an alert is modal, over whichever tab opened it: the tab shortcuts wait until it is gone.
    if (m_settings && m_settings->isPresenting())
        return;
    if (m_settings && m_selectedTab == AppTab::settings)
        m_settings->discardTypedInput();
    m_selectedTab = tab;
    updateTabBar();
    updateAccounts();
    updateContent();
    Q_EMIT selectedTabChanged(tab);
}

void ContentView::toggleSettings()
{
    setSelectedTab(m_selectedTab == AppTab::settings ? AppTab::prs : AppTab::settings);
}

void ContentView::refreshVisibleTab()
{
    switch (m_selectedTab) {
    case AppTab::prs:
        m_model.refresh();
        break;
    case AppTab::issues:
        if (m_issues)
            m_issues->refresh();
        break;
    case AppTab::dashboard:
        if (m_dashboard)
            m_dashboard->refresh();
        break;
    case AppTab::settings:
        break;
    }
}

QWidget* ContentView::currentContent() const
{
    return m_content->currentWidget();
}

void ContentView::updateTabBar()
{
    for (int i = 0; i < m_tabButtons.size(); ++i)
        m_tabButtons[i]->setSelected(kAllTabs[i] == m_selectedTab);
    m_tabButtons[int(AppTab::prs)]->setCount(m_model.countForFilter(PRFilter::all));
    m_tabButtons[int(AppTab::issues)]->setCount(m_issues ? int(m_issues->filteredIssues().size()) : 0);
    const bool settings = m_selectedTab == AppTab::settings;
    m_settingsButton->setSymbol(settings ? Symbol::gearshapeFill : Symbol::gearshape,
                                settings ? ThemeColor::accent : ThemeColor::primary);
}

void ContentView::updateAccounts()
{
    const QList<GitHubAccount>& accounts = m_model.accounts();
    m_accountRow->setVisible(accounts.size() >= 2 && m_selectedTab != AppTab::settings);
    QSignalBlocker blocker(m_accountPicker);
    m_accountPicker->clear();
    for (const GitHubAccount& account : accounts)
        m_accountPicker->addItem(account.displayNameWithHost());
    int selected = -1;
    if (const auto& current = m_model.selectedAccount()) {
        for (int i = 0; i < accounts.size(); ++i) {
            if (accounts[i].id == current->id)
                selected = i;
        }
    }
    m_accountPicker->setCurrentIndex(selected);
}

void ContentView::updateContent()
{
    const bool settings = m_selectedTab == AppTab::settings;
    if (m_model.accounts().isEmpty() && !settings)
        m_content->setCurrentWidget(m_welcome);
    else
        m_content->setCurrentWidget(m_tabPages[int(m_selectedTab)]);
    m_footer->setVisible(!settings);
    m_footerDivider->setVisible(!settings);
}

void ContentView::keyPressEvent(QKeyEvent* event)
{
    // Return acts on the focused button as Space does, where the button itself left the key alone.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & ~Qt::KeypadModifier)) {
        auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        if (button && isAncestorOf(button) && button->isEnabled()) {
            button->click();
            return;
        }
    }
    if (m_content->currentWidget() == m_prTab && m_prTab->handleKey(event->key(), event->modifiers()))
        return;
    QWidget::keyPressEvent(event);
}

void ContentView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Every opening, not only the first: the issues and cards may be a day old otherwise. Unchanged answers
    // come back as 304s, so this is cheap.
    if (!event->spontaneous())
        onAppear();
}

void ContentView::onAppear()
{
    // The poll is started, never restarted, here: restarting it on every opening would keep pushing the
    // next poll away from a user who opens the panel more often than the interval, who would then never be
    // polled.
    if (!m_model.isPolling())
        m_model.startPolling();
    if (!m_issues)
        return;
    // Handing a model another account reloads it by itself; the same account again is reloaded here. One
    // load each, so no request is started only to be cancelled.
    for (RepoActivityModel* activity : {static_cast<RepoActivityModel*>(m_issues.get()),
                                        static_cast<RepoActivityModel*>(m_dashboard.get())}) {
        if (activity->selectedAccount() == m_model.selectedAccount())
            activity->refresh();
        else
            activity->setSelectedAccount(m_model.selectedAccount());
    }
}

} // namespace norvane::ui
