#include "ui/tray/app_delegate.h"

#include "models/account_store.h"
#include "platform/debug_log.h"
#include "platform/desktop_settings.h"
#include "platform/keychain_service.h"
#include "platform/notifier.h"
#include "platform/preferences.h"
#include "platform/status_notifier_item.h"
#include "platform/system_events.h"
#include "platform/url_opener.h"
#include "ui/panel/content_view.h"
#include "ui/tray/panel_window.h"
#include "ui/tray/paw_icon.h"
#include "ui/widgets/theme.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMenu>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUuid>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <utility>

namespace norvane::ui {

namespace {

QString quotedList(const QStringList& keys)
{
    QStringList quoted;
    for (const QString& key : keys)
        quoted.append(QLatin1Char('"') + key + QLatin1Char('"'));
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString permissionLine(NotificationPermission permission)
{
    switch (permission) {
    case NotificationPermission::NotDetermined:
        return QStringLiteral("   → Not determined (will prompt)");
    case NotificationPermission::Denied:
        return QStringLiteral("   → Denied (user must enable in System Settings)");
    case NotificationPermission::Authorized:
        return QStringLiteral("   → Authorized ✅");
    }
    return QStringLiteral("   → Unknown status");
}

bool focusIsLeaving()
{
    const QWindow* focus = QGuiApplication::focusWindow();
    return focus && !focus->isVisible();
}

} // namespace

QString debugReport(const Preferences& preferences, const AppIdentity& identity)
{
    const QString location = preferences.location();
    const QStringList keys = preferences.keys();
    // The store "exists" when its file does, or, for a store without a file, when it holds anything.
    const bool found =
        identity.bundleIdentifier && (location.isEmpty() ? !keys.isEmpty() : QFileInfo::exists(location));
    QString report = QStringLiteral("=== Norvane Debug ===\nBundle ID: ") +
                     identity.bundleIdentifier.value_or(QStringLiteral("nil")) +
                     QStringLiteral("\nUserDefaults domain: ") +
                     (found ? QStringLiteral("found") : QStringLiteral("not found")) +
                     QStringLiteral("\nAll keys: ") + quotedList(keys) + QLatin1Char('\n');
    const QString accountsKey = AccountStore::storedName();
    if (const auto accounts = AccountStore::storedForm(preferences)) {
        report += QStringLiteral("%1: %2 bytes\n").arg(accountsKey).arg(accounts->size());
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(*accounts);
        if (!decoder.hasError())
            report += QStringLiteral("Raw content: ") + text.left(200) + QLatin1Char('\n');
    } else {
        report += accountsKey + QStringLiteral(": NOT FOUND\n");
    }
    return report;
}

AppDelegate::AppDelegate(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(std::move(dependencies)), m_identity(m_deps.model.identity),
      m_debugMode(m_deps.model.debugMode), m_print(m_deps.model.printLine),
      m_preferences(m_deps.model.preferences)
{
    if (!m_print)
        m_print = [](const QString& line) { norvane::printLine(line); };
    if (!m_deps.trayPresence)
        m_deps.trayPresence = std::make_shared<DesktopTrayPresence>();
    if (!m_deps.quit)
        m_deps.quit = [] { QCoreApplication::quit(); };
    if (m_deps.desktopDirectory.isEmpty())
        m_deps.desktopDirectory = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

AppDelegate::~AppDelegate()
{
    // The panel's screens observe the engine: they go first.
    delete m_panel;
    delete m_content.data(); // when no panel took it
    delete m_menu;
}

ContentView* AppDelegate::contentView() const
{
    return m_content;
}

void AppDelegate::print(const QString& line) const
{
    m_print(line);
}

void AppDelegate::applicationDidFinishLaunching()
{
    qInfo().noquote() << QStringLiteral("🚀 Norvane starting up - Debug mode: ") +
                             (m_debugMode ? QStringLiteral("true") : QStringLiteral("false"));
    if (m_debugMode)
        qInfo().noquote() << QStringLiteral("✅ Debug mode is ENABLED");
    debugUserDefaults();

    const auto trayIcon = [self = QPointer<AppDelegate>(this)]() -> QSystemTrayIcon* {
        return self ? self->m_tray : nullptr;
    };
    m_notifier = m_deps.makeNotifier ? m_deps.makeNotifier(trayIcon) : std::make_shared<RecordingNotifier>();
    setUpNotifications();
    if (m_deps.startupNotice) {
        print(QStringLiteral("⚠️ ") + *m_deps.startupNotice);
        postNotice(m_notifier, *m_deps.startupNotice);
    }

    PRViewModel::Dependencies modelDeps = std::move(m_deps.model);
    modelDeps.notifier = m_notifier;
    // The panel's other models get services of their own over the same session and stores.
    ContentView::Dependencies panelDeps{
        nullptr,          m_deps.urlOpener.get(), modelDeps.webBaseURL, m_debugMode,
        modelDeps.github, modelDeps.keychain,     modelDeps.preferences};
    panelDeps.identity = modelDeps.identity;
    panelDeps.openNotificationSettings = m_deps.openNotificationSettings;
    panelDeps.signIn = m_deps.signIn;
    panelDeps.autostart = m_deps.autostart;
    m_viewModel = std::make_unique<PRViewModel>(std::move(modelDeps));
    panelDeps.model = m_viewModel.get();
    // The first refresh starts now, so its token read and first request overlap building the icon and the
    // panel; both read the model's state when they are built, and its answers arrive from the event loop.
    m_viewModel->loadAccounts();

    m_content = new ContentView(std::move(panelDeps));

    connect(m_viewModel.get(), &PRViewModel::pullRequestsChanged, this, [this] { updateMenuBarIcon(); });
    connect(m_viewModel.get(), &PRViewModel::trayIconStyleChanged, this, [this] { updateMenuBarIcon(); });
    // The team review requests switch decides whether they count.
    connect(m_viewModel.get(), &PRViewModel::notificationSettingsChanged, this,
            [this] { updateMenuBarIcon(); });
    // The tooltip says when GitHub rejects the selected account's token.
    connect(m_viewModel.get(), &PRViewModel::reauthNeededChanged, this, [this] { updateMenuBarIcon(); });
    connect(m_viewModel.get(), &PRViewModel::selectedAccountChanged, this, [this] { updateMenuBarIcon(); });
    // The plain paw is drawn in the desktop's text colour: a switch between light and dark redraws it.
    qApp->installEventFilter(this);
    followPlasmaPanel();

    m_viewModel->startPolling();
    if (const auto& events = m_deps.systemEvents) {
        connect(events.get(), &SystemEvents::resumed, m_viewModel.get(), &PRViewModel::systemResumed);
        connect(events.get(), &SystemEvents::onlineChanged, m_viewModel.get(),
                &PRViewModel::setNetworkOnline);
        events->start();
        m_viewModel->setNetworkOnline(events->isOnline());
    }

    // Login autostart may run before the desktop's panel: wait a little for a tray, and take one that comes
    // later whenever it comes. A tray that goes (its panel quit) gets as long to come back (a panel that
    // restarts) before the app becomes a window again.
    m_trayGone = new QTimer(this);
    m_trayGone->setSingleShot(true);
    m_trayGone->setInterval(std::max(m_deps.trayWait, std::chrono::milliseconds::zero()));
    connect(m_trayGone, &QTimer::timeout, this, [this] {
        if (m_usesTray && !m_deps.trayPresence->available())
            leaveTray();
    });
    connect(m_deps.trayPresence.get(), &TrayPresence::appeared, this, &AppDelegate::moveToTray);
    connect(m_deps.trayPresence.get(), &TrayPresence::disappeared, this, [this] {
        if (m_usesTray)
            m_trayGone->start();
    });
    m_deps.trayPresence->start();
    if (m_deps.trayPresence->available())
        moveToTray();
    else if (m_deps.trayWait <= std::chrono::milliseconds::zero())
        useWindow();
    else
        QTimer::singleShot(m_deps.trayWait, this, [this] {
            if (!m_panel)
                useWindow();
        });
}

bool popupCanBePlaced(const QString& platformName, const QString& waylandDisplay, const QString& sessionType,
                      bool hostSaysWhere)
{
    if (platformName.startsWith(QLatin1String("wayland")))
        return false;
    const bool waylandSession =
        !waylandDisplay.isEmpty() || sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
    return !waylandSession || hostSaysWhere;
}

void AppDelegate::moveToTray()
{
    if (m_trayGone)
        m_trayGone->stop();
    if (m_usesTray)
        return;
    m_usesTray = true;
    if (!m_tray) {
        // Made only now: Qt settles which kind of tray it talks to at its first icon.
        m_tray = new QSystemTrayIcon(this);
        createContextMenu();
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                togglePanel();
        });
    }
    // A StatusNotifierItem host gets our own item, which keeps the place of a click and the tooltip's body;
    // an XEmbed tray gets Qt's icon.
    const bool ownItem = m_deps.trayPresence->kind() == QLatin1String("StatusNotifierItem");
    if (ownItem && !m_item) {
        m_item = new StatusNotifierItem(this);
        m_item->setContextMenu(m_menu);
        connect(m_item, &StatusNotifierItem::activated, this,
                [this](std::optional<QPoint> where) { togglePanel(where); });
    }
    m_drawnIcon.clear();
    updateMenuBarIcon(); // the palette may have changed while the icon was out of a tray
    // Shown, the icon registers with the tray there is now.
    if (ownItem) {
        m_tray->hide();
        m_item->show();
    } else {
        if (m_item)
            m_item->hide();
        m_tray->show();
    }
    // On the same clock as a script that started the process, so start-up can be timed from outside.
    if (isDebugMode()) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        const double ms = double(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) / 1e3;
        debugLog(QStringLiteral("Startup"),
                 QStringLiteral("Tray icon shown at monotonic %1 ms").arg(ms, 0, 'f', 3));
    }
    QApplication::setQuitOnLastWindowClosed(false);

    const QString platform = QGuiApplication::platformName();
    const QString waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    const QString sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    const bool popup = popupCanBePlaced(platform, waylandDisplay, sessionType, ownItem);
    m_pointerKnown = popupCanBePlaced(platform, waylandDisplay, sessionType);
    if (!m_panel)
        buildPanel(popup);
    else if (popup && m_panel->isVisible())
        m_popupWhenHidden = true; // the open window stays until the user closes it
    else if (popup)
        buildPanel(true);
    if (m_panelWanted)
        showPanel();
}

void AppDelegate::useWindow()
{
    print(QStringLiteral("⚠️ No system tray available - showing Norvane in a window"));
    m_popupWhenHidden = false;
    if (!m_panel || m_panel->mode() != PanelWindow::Mode::window)
        buildPanel(false);
    QApplication::setQuitOnLastWindowClosed(true);
    showPanel();
}

void AppDelegate::leaveTray()
{
    m_usesTray = false;
    // Hidden, the icon leaves the bookkeeping of the tray that went; shown again, it registers anew with
    // whatever tray comes.
    m_tray->hide();
    if (m_item)
        m_item->hide();
    useWindow();
}

void AppDelegate::buildPanel(bool popup)
{
    // The content moves into the new frame with its state; the old frame goes.
    PanelWindow* old = m_panel;
    m_panel = new PanelWindow(m_content, popup ? PanelWindow::Mode::popup : PanelWindow::Mode::window);
    m_panel->installEventFilter(this);
    delete old;
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && m_usesTray)
        updateMenuBarIcon();
    // The icon in an XEmbed tray is Qt's own widget, which opens the context menu as the press arrives,
    // before it says that the icon was clicked: a press that comes while the focus is moving away from the
    // panel is held until the move is done, then delivered as it came.
    if (event->type() == QEvent::MouseButtonPress && !m_replayingPress &&
        watched->inherits("QSystemTrayIconSys") && focusIsLeaving()) {
        std::shared_ptr<QEvent> press(event->clone());
        whenFocusSettled([this, icon = QPointer<QObject>(watched), press] {
            if (!icon)
                return;
            m_replayingPress = true;
            QCoreApplication::sendEvent(icon, press.get());
            m_replayingPress = false;
        });
        return true;
    }
    if (watched == m_panel && event->type() == QEvent::Hide && m_popupWhenHidden) {
        // Not inside the window's own hide: the frame is replaced from the event loop.
        m_popupWhenHidden = false;
        QTimer::singleShot(0, this, [this] {
            if (m_panel && !m_panel->isVisible())
                buildPanel(true);
        });
    }
    return QObject::eventFilter(watched, event);
}

void AppDelegate::setUpNotifications()
{
    if (!m_identity.bundleIdentifier) {
        print(QStringLiteral("⚠️ No bundle identifier - notifications will not work"));
        return;
    }
    connect(m_notifier.get(), &Notifier::activated, this, &AppDelegate::handleNotificationClick);
    reportPermission(QPointer<AppDelegate>(this), m_notifier);
}

QCoro::Task<> AppDelegate::reportPermission(QPointer<AppDelegate> self, std::shared_ptr<Notifier> notifier)
{
    const AuthorizationAnswer answer = co_await notifier->requestAuthorization();
    if (!self)
        co_return;
    if (answer.granted)
        self->print(QStringLiteral("✅ Notification permission granted"));
    else if (answer.error)
        self->print(QStringLiteral("❌ Notification permission error: ") + *answer.error);
    else
        self->print(QStringLiteral("⚠️ Notification permission denied by user"));

    const NotificationPermission status = co_await notifier->permissionStatus();
    if (!self)
        co_return;
    self->print(QStringLiteral("📋 Notification settings: %1").arg(int(status)));
    self->print(permissionLine(status));
}

QCoro::Task<> AppDelegate::postNotice(std::shared_ptr<Notifier> notifier, QString notice)
{
    NotificationRequest request{QStringLiteral("notice-") +
                                    QUuid::createUuid().toString(QUuid::WithoutBraces),
                                QStringLiteral("Norvane"),
                                std::nullopt,
                                notice,
                                std::nullopt,
                                false};
    if (const std::optional<QString> error = co_await notifier->post(std::move(request)))
        debugLog(QStringLiteral("Notifications"),
                 QStringLiteral("❌ Could not post the start-up notice: ") + *error);
}

void AppDelegate::handleNotificationClick(const QString& prUrl)
{
    // The pull request is not marked seen: the user only looked at the notification.
    if (webAddress(prUrl) && m_deps.urlOpener)
        m_deps.urlOpener->open(prUrl);
}

void AppDelegate::followPlasmaPanel()
{
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'));
    if (!desktops.contains(QStringLiteral("KDE"), Qt::CaseInsensitive))
        return;
    // Plasma draws its panel in its theme's colours, which a switch of the global theme changes while we
    // run: it rewrites plasmarc and kdeglobals, each by renaming a new file over the old one, which the
    // folder's watch sees (a watch on a file would end with the file it watched).
    const QStringList configDirs = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    const auto reread = [this, configDirs, dataDirs] {
        const QColor panel = plasmaPanelColor(configDirs, dataDirs).value_or(QColor());
        if (panel == m_panelColor)
            return;
        m_panelColor = panel;
        debugLog(QStringLiteral("Tray"), QStringLiteral("Plasma's panel is %1").arg(panel.name()));
        updateMenuBarIcon();
    };
    if (!configDirs.isEmpty()) {
        auto* watcher = new QFileSystemWatcher(this);
        QDir().mkpath(configDirs.first());
        watcher->addPath(configDirs.first());
        connect(watcher, &QFileSystemWatcher::directoryChanged, this, reread);
    }
    reread();
}

void AppDelegate::updateMenuBarIcon()
{
    if (!m_viewModel || !m_tray)
        return;
    const BadgeCounts counts = badgeCounts(m_viewModel->pullRequests(),
                                           m_viewModel->notificationSettings().notifyOnTeamReviewRequest);
    const Badge badge = badgeFor(counts);
    const QPalette palette = QApplication::palette();
    const auto badgeTint = themeColor(badge.color);
    const QColor badgeColor = badgeTint ? color(*badgeTint, palette) : QColor();
    const QColor plainColor = plainTrayColor(m_viewModel->trayIconStyle(), palette,
                                             qEnvironmentVariable("XDG_CURRENT_DESKTOP"), m_panelColor);
    // Every poll ends here. A new icon is a new key in Qt's pixmap cache, where the tray's scaled copies of
    // each one stay until the cache is full: draw one only when what it shows changed.
    const QString drawn = QStringLiteral("%1 %2 %3 %4 %5")
                              .arg(int(badge.color))
                              .arg(badge.count)
                              .arg(plainColor.rgba())
                              .arg(badgeColor.rgba())
                              .arg(qApp->devicePixelRatio());
    if (drawn != m_drawnIcon) {
        // Trays give a square slot: the count goes on the paw's corner, drawn for each usual slot size.
        m_tray->setIcon(squareTrayIcon(badge, plainColor, badgeColor, qApp->devicePixelRatio()));
        if (m_item)
            m_item->setIcon(m_tray->icon());
        m_drawnIcon = drawn;
    }
    const QString toolTip =
        trayToolTip(counts, m_viewModel->selectedAccountNeedsReauth()
                                ? std::optional<QString>(m_viewModel->selectedAccount()->username)
                                : std::nullopt);
    if (toolTip != m_tray->toolTip())
        m_tray->setToolTip(toolTip);
    // The item's tooltip has a title and a body: the name, and what the lines under it say.
    if (m_item) {
        const qsizetype lineEnd = toolTip.indexOf(QLatin1Char('\n'));
        m_item->setToolTip(toolTip.left(lineEnd), lineEnd < 0 ? QString() : toolTip.mid(lineEnd + 1));
    }
}

QImage AppDelegate::iconImage(int slotSize) const
{
    if (!m_tray)
        return {};
    return m_tray->icon().pixmap(QSize(slotSize, slotSize), qApp->devicePixelRatio()).toImage();
}

void AppDelegate::createContextMenu()
{
    m_menu = new QMenu();
    // Some hosts (GNOME's AppIndicator extension among them) open this menu on a left click: the panel is
    // then one click away too. Hosts that know a default action show it as such.
    QAction* open = m_menu->addAction(tr("Open Norvane"));
    connect(open, &QAction::triggered, this, [this] { showPanel(); });
    m_menu->setDefaultAction(open);
    QAction* refresh = m_menu->addAction(tr("Refresh"));
    refresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(refresh, &QAction::triggered, this, [this] { m_viewModel->refresh(); });
    QAction* settings = m_menu->addAction(tr("Settings..."));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings, &QAction::triggered, this, [this] {
        showPanel();
        m_viewModel->setShowSettings(true);
    });
    m_menu->addSeparator();
    QAction* quit = m_menu->addAction(tr("Quit Norvane"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, [this] { m_deps.quit(); });
    // Some desktops show a tray icon only once it has a menu.
    m_tray->setContextMenu(m_menu);
}

void AppDelegate::whenFocusSettled(std::function<void()> action)
{
    if (!focusIsLeaving()) {
        action();
        return;
    }
    // Qt deactivates the application once the window system has taken the focus from the hidden window
    // (on X11 up to 100 ms later, when no other window of the application took it), and deactivation closes
    // every popup: a menu opened before that would vanish as it appears, and a panel shown before it would
    // close again. The action runs from the event loop, once Qt has handled the whole change. The timer
    // only makes sure a click is never dropped where no change comes.
    auto pending = std::make_shared<std::function<void()>>(std::move(action));
    const auto run = [pending] {
        if (const auto next = std::exchange(*pending, nullptr))
            next();
    };
    connect(qApp, &QGuiApplication::focusWindowChanged, this, run,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    QTimer::singleShot(500, this, run);
}

void AppDelegate::togglePanel(std::optional<QPoint> where)
{
    if (!m_panel)
        return;
    // A click on the icon while the panel is open may first take the focus from it, which closes it; that
    // same click must not open it again.
    if (m_panel->isVisible() || m_panel->justClosed())
        closePanel();
    else
        showPanel(where);
}

void AppDelegate::showPanel(std::optional<QPoint> where)
{
    if (!m_panel) {
        m_panelWanted = true; // still waiting for a tray: shown once it is decided where
        return;
    }
    m_panelWanted = false;
    if (m_panel->mode() == PanelWindow::Mode::popup) {
        // The place the host passed stands for the pointer, wherever the pointer is now (the click may
        // have come from the keyboard).
        const QPoint pointer = where.value_or(QCursor::pos());
        const QRect icon = where || !m_tray->isVisible() ? QRect() : m_tray->geometry();
        // A pointer that says nothing says nothing of the screen either: GNOME's bar is on the primary one.
        QScreen* screen = where || m_pointerKnown
                              ? QGuiApplication::screenAt(icon.isEmpty() ? pointer : icon.center())
                              : nullptr;
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), m_panel->size());
        const QSize size = m_panel->size();
        // Nothing says where the icon is: the top right corner, where GNOME's bar keeps it.
        if (!where && icon.isEmpty() && !m_pointerKnown)
            m_panel->showAt(QRect(QPoint(area.right() + 1 - size.width(), area.top()), size));
        else
            m_panel->showAt(panelGeometry(icon, pointer, size, area));
    } else {
        m_panel->showAt({});
    }
}

void AppDelegate::closePanel()
{
    if (m_panel)
        m_panel->hide();
}

void AppDelegate::debugUserDefaults()
{
    if (!m_debugMode || !m_preferences)
        return;
    const QString report = debugReport(*m_preferences, m_identity);
    debugLog(QStringLiteral("UserDefaults"), report);
    // Failures are of no consequence: this is a diagnostic aid.
    QSaveFile file(QDir(m_deps.desktopDirectory).filePath(QStringLiteral("norvane_debug.txt")));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(report.toUtf8());
        file.commit();
    }
}

} // namespace norvane::ui
