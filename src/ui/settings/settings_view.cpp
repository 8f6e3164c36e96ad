#include "ui/settings/settings_view.h"

#include "core/pr_rules.h"
#include "models/watched_repo_store.h"
#include "ui/settings/sections_editor.h"
#include "ui/settings/settings_support.h"
#include "ui/settings/sheet_overlay.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace norvane::ui {

QString appVersionString(const QString& version, const QString& build)
{
    //: Stands for the version of a program that carries none: "Version Unknown"
    const QString shortVersion = version.isEmpty() ? SettingsView::tr("Unknown") : version;
    //: In About: %1 is the version, %2 the build number
    if (!build.isEmpty())
        return SettingsView::tr("Version %1 (%2)").arg(shortVersion, build);
    return SettingsView::tr("Version %1").arg(shortVersion);
}

PermissionAppearance permissionAppearance(PRViewModel::NotificationPermissionStatus status)
{
    using Status = PRViewModel::NotificationPermissionStatus;
    switch (status) {
    case Status::unknown:
        break;
    // The words complete "Notification Permission: %1".
    case Status::notDetermined:
        return {Symbol::exclamationmarkCircle, ThemeColor::orange, SettingsView::tr("Not Requested"), true};
    case Status::denied:
        return {Symbol::xmarkCircleFill, ThemeColor::red, SettingsView::tr("Denied"), true};
    case Status::authorized:
        return {Symbol::checkmarkCircleFill, ThemeColor::green, SettingsView::tr("Enabled"), false};
    }
    return {Symbol::questionmarkCircle, ThemeColor::secondary, SettingsView::tr("Checking..."), false};
}

QList<PollingChoice> pollingChoices()
{
    QList<PollingChoice> choices;
    for (const int minutes : {5, 10, 15, 30}) {
        //: A choice of "Check for updates every:"; keep it short, five of them share one row
        choices.append({SettingsView::tr("%n minute(s)", nullptr, minutes), minutes});
    }
    //: A choice of "Check for updates every:"; keep it short, five of them share one row
    choices.append({SettingsView::tr("%n hour(s)", nullptr, 1), 60});
    return choices;
}

QString reauthMismatchMessage(const QString& signedInAs, const QString& accountUsername)
{
    //: %1 is the login the browser signed in as, %2 the login of the account being reconnected
    return SettingsView::tr(
               "Signed in as @%1, but this account is @%2. Sign in with the correct GitHub account.")
        .arg(signedInAs, accountUsername);
}

QStringList watchSuggestions(const QStringList& available, const QList<WatchedRepo>& watched)
{
    QStringList suggestions;
    for (const QString& name : available) {
        const bool isWatched = std::any_of(watched.begin(), watched.end(), [&](const WatchedRepo& repo) {
            return repo.fullName.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!isWatched)
            suggestions.append(name);
    }
    return suggestions;
}

using namespace settings;

SettingsView::SettingsView(Dependencies dependencies, QWidget* parent)
    : QWidget(parent), m_deps(std::move(dependencies)), m_model(*m_deps.model),
      m_store(*m_deps.watchedRepoStore),
      m_signIn(new SignInModel(
          {m_deps.addAccount.session, m_deps.addAccount.authConfig, m_deps.addAccount.timer, m_deps.model},
          this))
{
    auto* outer = column(this, 0);
    m_scroll = verticalScrollArea(this);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    outer->addWidget(m_scroll);

    auto* page = new QWidget(m_scroll);
    page->setBackgroundRole(QPalette::Window);
    auto* stack = column(page, 20, QMargins(16, 16, 16, 16));
    QVBoxLayout* sectionsBody = nullptr;
    QWidget* sectionsSection = section(tr("Sections"), 8, this, &sectionsBody);
    m_sectionsEditor = new SectionsEditor(m_model, sectionsSection);
    sectionsBody->addWidget(m_sectionsEditor);
    const QList<QWidget*> sections{buildAccountsSection(), sectionsSection, buildNotificationsSection(),
                                   buildRepositoriesSection(), buildWatchedSection(), buildAboutSection()};
    for (int i = 0; i < sections.size(); ++i) {
        if (i > 0)
            stack->addWidget(divider(page));
        sections[i]->setParent(page);
        stack->addWidget(sections[i]);
    }
    stack->addStretch();
    m_scroll->setWidget(page);

    connect(&m_model, &PRViewModel::accountsChanged, this, [this] {
        updateAccounts();
        updateWatchCards();
    });
    connect(&m_model, &PRViewModel::reauthNeededChanged, this, &SettingsView::updateAccounts);
    connect(&m_model, &PRViewModel::notificationPermissionStatusChanged, this,
            &SettingsView::updatePermission);
    connect(&m_model, &PRViewModel::notificationSettingsChanged, this,
            &SettingsView::updateNotificationSettings);
    connect(&m_model, &PRViewModel::errorMessageChanged, this, &SettingsView::updateTestError);
    connect(&m_model, &PRViewModel::blockedRepositoriesChanged, this, [this] {
        updateBlocked();
        updateWatchEntries();
    });
    connect(&m_model, &PRViewModel::favoriteRepositoriesChanged, this, [this] {
        updateFavorites();
        updateWatchEntries();
    });
    connect(&m_model, &PRViewModel::pullRequestsChanged, this, &SettingsView::updateWatchEntries);
    connect(&m_store, &WatchedRepoStore::watchedReposChanged, this, &SettingsView::updateWatchEntries);
    connect(&m_model, &PRViewModel::triggerAddAccountChanged, this, [this](bool trigger) {
        if (!trigger)
            return;
        presentAddAccount();
        m_model.setTriggerAddAccount(false);
    });

    updateAccounts();
    updatePermission();
    updateNotificationSettings();
    updateTestError();
    updateBlocked();
    updateFavorites();
    updateWatchCards();
    updateAutostart();
    if (m_model.triggerAddAccount()) {
        presentAddAccount();
        m_model.setTriggerAddAccount(false);
    }
}

void SettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateAutostart();
    relayout();
}

void SettingsView::relayout()
{
    // Posted events of this kind are merged, so a burst of list changes costs one pass.
    QCoreApplication::postEvent(m_scroll, new QEvent(QEvent::LayoutRequest));
}

SettingsView::~SettingsView()
{
    // The overlays live on the panel, not on this page.
    delete m_sheet.data();
    delete m_alert.data();
}

// --- Sections ----------------------------------------------------------------------------------------------

QWidget* SettingsView::buildAccountsSection()
{
    QVBoxLayout* body = nullptr;
    QWidget* widget = section(tr("GitHub Accounts"), 12, this, &body);
    auto* list = new QWidget(widget);
    m_accountList = column(list, 12);
    body->addWidget(list);
    // The platform's own bordered button: it is a thing to do, not a link to follow.
    auto* add = new QPushButton(tr("Add Account"), widget);
    add->setIcon(symbolIcon(Symbol::plusCircleFill, color(ThemeColor::accent, add->palette())));
    connect(add, &QAbstractButton::clicked, this, [this] { presentAddAccount(); });
    m_addAccountButton = add;
    body->addWidget(add, 0, Qt::AlignLeft);
    return widget;
}

QWidget* SettingsView::buildNotificationsSection()
{
    QVBoxLayout* body = nullptr;
    QWidget* widget = section(tr("Notifications"), 12, this, &body);
    body->addWidget(wrapped(label(tr("Get notified when PRs need your attention"), TextStyle::callout,
                                  ThemeColor::secondary, widget)));

    auto* permission = new Card(widget, 8);
    m_permissionCard = permission;
    auto* permissionRow = row(permission, 8, QMargins(12, 10, 12, 10));
    m_permissionIcon = nullptr;
    m_permissionLabel = label(QString(), TextStyle::callout, ThemeColor::primary, permission);
    auto* refresh = new SymbolButton(Symbol::arrowClockwise, ThemeColor::secondary,
                                     tr("Refresh permission status"), permission, 12);
    connect(refresh, &QToolButton::clicked, this, [this] { m_model.checkNotificationPermissionStatus(); });
    auto* open = new FilledButton(tr("Open Settings"), ThemeColor::accent, TextStyle::caption, permission);
    connect(open, &QAbstractButton::clicked, this, [this] {
        if (m_deps.openNotificationSettings)
            m_deps.openNotificationSettings();
    });
    m_openSettings = open;
    permissionRow->addWidget(m_permissionLabel);
    permissionRow->addWidget(refresh);
    permissionRow->addStretch();
    permissionRow->addWidget(open);
    body->addWidget(permission);

    struct SwitchRow
    {
        const char* title;
        const char* description;
        bool NotificationSettings::*field;
    };
    static const SwitchRow rows[] = {
        {QT_TR_NOOP("Review Requests"), QT_TR_NOOP("Notify when someone requests your review on a PR"),
         &NotificationSettings::notifyOnReviewRequest},
        {QT_TR_NOOP("Team Review Requests"),
         QT_TR_NOOP("Notify when a team you are in is asked for a review, and count it in the badge"),
         &NotificationSettings::notifyOnTeamReviewRequest},
        {QT_TR_NOOP("Changes Requested"), QT_TR_NOOP("Notify when your PR receives change requests"),
         &NotificationSettings::notifyOnChangesRequested},
        {QT_TR_NOOP("Approvals"), QT_TR_NOOP("Notify when your PR is approved"),
         &NotificationSettings::notifyOnApproval},
    };
    for (const SwitchRow& switchRow : rows) {
        auto* line = new QWidget(widget);
        auto* layout = row(line, 12);
        auto* text = new QWidget(line);
        auto* texts = column(text, 2);
        texts->addWidget(label(tr(switchRow.title), TextStyle::body, ThemeColor::primary, text));
        // Wrapped: in some languages a description is wider than the page.
        texts->addWidget(
            wrapped(label(tr(switchRow.description), TextStyle::caption, ThemeColor::secondary, text)));
        auto* toggle = new SwitchControl(line);
        toggle->setAccessibleName(tr(switchRow.title));
        const auto field = switchRow.field;
        connect(toggle, &QAbstractButton::toggled, this,
                [this, field](bool on) { setNotificationField(field, on); });
        m_switches.append(toggle);
        layout->addWidget(text, 1);
        layout->addWidget(toggle, 0, Qt::AlignVCenter);
        body->addWidget(line);
    }

    auto* polling = new QWidget(widget);
    auto* pollingColumn = column(polling, 8);
    pollingColumn->addWidget(
        label(tr("Check for updates every:"), TextStyle::callout, ThemeColor::primary, polling));
    QStringList titles;
    for (const PollingChoice& choice : pollingChoices())
        titles.append(choice.title);
    m_polling = new SegmentedControl(titles, tr("Polling Interval"), polling);
    connect(m_polling, &SegmentedControl::chosen, this, [this](int index) {
        NotificationSettings settings = m_model.notificationSettings();
        const int minutes = pollingChoices()[index].minutes;
        // Choosing the interval already in force changes nothing: saving would restart the poll's timer.
        if (settings.pollingIntervalMinutes == minutes)
            return;
        settings.pollingIntervalMinutes = minutes;
        m_model.setNotificationSettings(settings);
        m_model.saveNotificationSettings();
    });
    pollingColumn->addWidget(m_polling);
    body->addWidget(polling);
    // Between polls, the notification feed tells of new activity within a minute.
    {
        auto* line = new QWidget(widget);
        auto* layout = row(line, 12);
        auto* text = new QWidget(line);
        auto* texts = column(text, 2);
        const QString title = tr("Check for new activity every minute");
        texts->addWidget(label(title, TextStyle::body, ThemeColor::primary, text));
        texts->addWidget(
            wrapped(label(tr("Uses GitHub's notification feed: free against your rate limit when "
                             "nothing changed."),
                          TextStyle::caption, ThemeColor::secondary, text)));
        m_activityFeed = new SwitchControl(line);
        m_activityFeed->setAccessibleName(title);
        m_activityFeed->setChecked(m_model.checksActivityFeed());
        connect(m_activityFeed, &QAbstractButton::toggled, this,
                [this](bool on) { m_model.setChecksActivityFeed(on); });
        connect(&m_model, &PRViewModel::checksActivityFeedChanged, m_activityFeed, [this](bool on) {
            const QSignalBlocker blocker(m_activityFeed);
            m_activityFeed->setChecked(on);
        });
        layout->addWidget(text, 1);
        layout->addWidget(m_activityFeed, 0, Qt::AlignVCenter);
        body->addWidget(line);
    }
    // The tray icon's colour, for a panel whose colour is not the app's; the icon follows at once.
    auto* trayIcon = new QWidget(widget);
    auto* trayIconRow = row(trayIcon, 12, QMargins(0, 0, 0, 0));
    trayIconRow->addWidget(label(tr("Tray icon:"), TextStyle::body, ThemeColor::primary, trayIcon), 1);
    m_trayIconStyle =
        //: The tray icon's colours: follow the panel, or always light or dark
        new SegmentedControl({tr("Automatic"), tr("Light"), tr("Dark")},
                             //: Spoken name of the choice of the tray icon's colour
                             tr("Tray icon"), trayIcon);
    m_trayIconStyle->setSelectedIndex(int(kAllTrayIconStyles.indexOf(m_model.trayIconStyle())));
    connect(m_trayIconStyle, &SegmentedControl::chosen, this,
            [this](int index) { m_model.setTrayIconStyle(kAllTrayIconStyles.value(index)); });
    connect(&m_model, &PRViewModel::trayIconStyleChanged, m_trayIconStyle, [this](TrayIconStyle style) {
        m_trayIconStyle->setSelectedIndex(int(kAllTrayIconStyles.indexOf(style)));
    });
    trayIconRow->addWidget(m_trayIconStyle);
    body->addWidget(trayIcon);

    body->addWidget(divider(widget));
    body->addWidget(label(tr("Test Notifications"), TextStyle::callout, ThemeColor::secondary, widget));
    auto* tests = new QWidget(widget);
    auto* testRow = row(tests, 8);
    const QList<std::pair<QString, void (PRViewModel::*)()>> testButtons{
        //: Buttons under "Test Notifications": each sends an example of a review request, of change
        //: requests and of an approval
        {tr("Review"), &PRViewModel::sendTestReviewNotification},
        {tr("Changes"), &PRViewModel::sendTestChangesNotification},
        {tr("Approval"), &PRViewModel::sendTestApprovalNotification},
    };
    for (const auto& [title, send] : testButtons) {
        auto* button = new FilledButton(title, ThemeColor::accent, TextStyle::callout, tests);
        connect(button, &QAbstractButton::clicked, this, [this, send = send] { (m_model.*send)(); });
        testRow->addWidget(button);
    }
    testRow->addStretch();
    body->addWidget(tests);
    m_testError = wrapped(label(QString(), TextStyle::caption, ThemeColor::red, widget));
    body->addWidget(m_testError);
    body->addWidget(label(tr("💡 Click a button above to send a test notification"), TextStyle::caption2,
                          ThemeColor::secondary, widget));
    return widget;
}

QWidget* SettingsView::buildRepositoriesSection()
{
    QVBoxLayout* body = nullptr;
    QWidget* widget = section(tr("Repositories"), 12, this, &body);
    body->addWidget(wrapped(label(tr("Manage which repositories appear in Norvane"), TextStyle::callout,
                                  ThemeColor::secondary, widget)));

    auto* blocked = new QWidget(widget);
    auto* blockedColumn = column(blocked, 6);
    blockedColumn->addWidget(
        label(tr("Blocked Repos & Orgs"), TextStyle::callout, ThemeColor::primary, blocked, QFont::Medium));
    auto* blockedList = new QWidget(blocked);
    m_blockedList = column(blockedList, 4);
    blockedColumn->addWidget(blockedList);
    auto* input = new QWidget(blocked);
    auto* inputRow = row(input, 8);
    m_blockInput = new QLineEdit(input);
    m_blockInput->setPlaceholderText(tr("e.g. my-org or my-org/repo"));
    m_blockInput->setAccessibleName(tr("Repository or organization to block"));
    m_blockButton = new QPushButton(tr("Block"), input);
    m_blockButton->setEnabled(false);
    connect(m_blockInput, &QLineEdit::textEdited, this, [this] { m_blockError->hide(); });
    connect(m_blockInput, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_blockButton->setEnabled(!trimmedBlockInput(text).isEmpty()); });
    connect(m_blockInput, &QLineEdit::returnPressed, this, [this] {
        if (m_blockButton->isEnabled())
            blockEntry();
    });
    connect(m_blockButton, &QPushButton::clicked, this, &SettingsView::blockEntry);
    inputRow->addWidget(m_blockInput, 1);
    inputRow->addWidget(m_blockButton);
    blockedColumn->addWidget(input);
    m_blockError = label(QString(), TextStyle::caption, ThemeColor::red, blocked);
    m_blockError->hide();
    blockedColumn->addWidget(m_blockError);
    body->addWidget(blocked);

    auto* favorites = new QWidget(widget);
    auto* favoritesColumn = column(favorites, 6);
    favoritesColumn->addWidget(label(tr("Favorite Repositories"), TextStyle::callout, ThemeColor::primary,
                                     favorites, QFont::Medium));
    auto* favoriteList = new QWidget(favorites);
    m_favoriteList = column(favoriteList, 4);
    favoritesColumn->addWidget(favoriteList);
    body->addWidget(favorites);

    body->addWidget(wrapped(label(tr("Tip: Right-click a repository in the dropdown to block or favorite it"),
                                  TextStyle::caption, ThemeColor::secondary, widget)));
    return widget;
}

QWidget* SettingsView::buildWatchedSection()
{
    QVBoxLayout* body = nullptr;
    QWidget* widget = section(tr("Watched Repositories"), 12, this, &body);
    body->addWidget(wrapped(label(tr("Watch any repo you have access to \u2014 your own or anyone else's. "
                                     "Issues and Dashboard data will be fetched for each."),
                                  TextStyle::callout, ThemeColor::secondary, widget)));
    auto* list = new QWidget(widget);
    m_watchList = column(list, 12);
    body->addWidget(list);
    return widget;
}

QWidget* SettingsView::buildAboutSection()
{
    QVBoxLayout* body = nullptr;
    QWidget* widget = section(tr("About"), 8, this, &body);
    m_versionLabel = label(appVersionString(m_deps.identity.version, m_deps.identity.build),
                           TextStyle::callout, ThemeColor::secondary, widget);
    body->addWidget(m_versionLabel);
    body->addWidget(wrapped(label(tr("Norvane helps you stay on top of GitHub PRs that need your attention."),
                                  TextStyle::callout, ThemeColor::secondary, widget)));
    body->addWidget(label(tr("Features:"), TextStyle::callout, ThemeColor::primary, widget, QFont::Medium));
    const QList<std::pair<Symbol, QString>> features{
        {Symbol::eyeCircleFill, tr("Review requests")},
        {Symbol::personCropCircleFill, tr("Your open PRs")},
        {Symbol::person2CircleFill, tr("Multi-account support")},
        {Symbol::lockCircleFill, tr("Secure token storage")},
    };
    for (const auto& [symbol, text] : features) {
        auto* line = new QWidget(widget);
        auto* layout = row(line, 4);
        layout->addWidget(
            new SymbolLabel(symbol, ThemeColor::secondary, symbolSizeFor(TextStyle::caption), line));
        layout->addWidget(label(text, TextStyle::caption, ThemeColor::secondary, line));
        layout->addStretch();
        body->addWidget(line);
    }
    if (m_deps.autostart) {
        auto* line = new QWidget(widget);
        auto* layout = row(line, 12, QMargins(0, 8, 0, 0));
        layout->addWidget(label(tr("Start Norvane at login"), TextStyle::body, ThemeColor::primary, line), 1);
        m_autostart = new SwitchControl(line);
        m_autostart->setAccessibleName(tr("Start Norvane at login"));
        connect(m_autostart, &QAbstractButton::toggled, this, [this](bool on) {
            if (const std::optional<QString> failure = m_deps.autostart->setEnabled(on)) {
                m_autostartError->setText(*failure);
                m_autostartError->show();
            } else {
                m_autostartError->hide();
            }
            updateAutostart();
        });
        layout->addWidget(m_autostart, 0, Qt::AlignVCenter);
        body->addWidget(line);
        m_autostartError = wrapped(label(QString(), TextStyle::caption, ThemeColor::red, widget));
        m_autostartError->hide();
        body->addWidget(m_autostartError);
        if (const std::optional<QString>& reason = m_deps.autostart->unavailableReason()) {
            m_autostart->setEnabled(false);
            body->addWidget(wrapped(label(*reason, TextStyle::caption, ThemeColor::secondary, widget)));
        }
    }
    return widget;
}

void SettingsView::updateAutostart()
{
    if (!m_autostart)
        return;
    // The file is the setting: whatever happened to it since, the switch shows what is there now.
    const QSignalBlocker blocker(m_autostart);
    m_autostart->setChecked(m_deps.autostart->isEnabled());
}

} // namespace norvane::ui
