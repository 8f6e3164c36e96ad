#include "app/app_options.h"
#include "cli/command_line.h"
#include "core/github_account.h"
#include "github/github_service.h"
#include "github/http_session.h"
#include "github/network_proxy.h"
#include "github/tls_trust.h"
#include "models/account_store.h"
#include "platform/app_identity.h"
#include "platform/autostart.h"
#include "platform/dbus_notifier.h"
#include "platform/debug_log.h"
#include "platform/desktop_settings.h"
#include "platform/fallback_notifier.h"
#include "platform/keychain_service.h"
#include "platform/preferences.h"
#include "platform/single_instance.h"
#include "platform/system_events.h"
#include "platform/translations.h"
#include "platform/tray_message_notifier.h"
#include "platform/url_opener.h"
#include "ui/tray/app_delegate.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QProcessEnvironment>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace norvane;

namespace {

// Signs `login` in for this run with a token that lives only in memory: the account is recorded in the
// (throw-away) profile, the token never reaches the system keychain, and it goes only to `apiURL` (see
// signInAccount).
void signInForThisRun(std::shared_ptr<Preferences> preferences, InMemoryKeychainService& keychain,
                      const QString& login, const QString& token, const QString& apiURL)
{
    // An unreadable list is replaced by one holding only this account; a readable one keeps what other
    // versions stored for the rest.
    AccountStore store(std::move(preferences));
    store.load();
    std::optional<GitHubAccount> account = signInAccount(store.accounts(), login, apiURL);
    if (!account) {
        account = AccountStore::newAccount(login);
        store.add(*account);
    }
    keychain.storage()->insert_or_assign(account->tokenKey(), token);
}

bool hasDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// Builds the services, the engine and the tray shell, and starts them.
std::unique_ptr<ui::AppDelegate> launch(const AppOptions& options, const AppIdentity& identity,
                                        QNetworkAccessManager& network)
{
    HttpSession session(&network);
    // A company's own certificate authority, named as for curl and git, read when the first https request
    // needs it; a name that leads nowhere is said then.
    session.trustAlsoWhenNeeded([] {
        const ExtraAuthorities authorities = extraAuthoritiesFromEnvironment();
        for (const QString& problem : authorities.problems) {
            std::fprintf(stderr, "norvane: %s\n", qPrintable(problem));
            debugLog(QStringLiteral("API"), QStringLiteral("⚠️ ") + problem);
        }
        return authorities.certificates;
    });
    // Answers are kept per account and revalidated, so an unchanged poll costs GitHub's budget nothing.
    session.setResponseCache(std::make_shared<ResponseCache>(ResponseCache::directoryFor(options.profile)));
    session.setRateLimitLedger(std::make_shared<RateLimitLedger>());
    std::shared_ptr<SettingsPreferences> settings =
        options.profile ? SettingsPreferences::forProfile(*options.profile) : SettingsPreferences::forUser();
    const std::optional<QString> preferencesNotice = settings->setAsideNotice();
    std::shared_ptr<Preferences> preferences = std::move(settings);
    std::shared_ptr<KeychainService> keychain;
    if (options.user) {
        auto memory = std::make_shared<InMemoryKeychainService>();
        signInForThisRun(preferences, *memory, *options.user, options.token, options.apiURL);
        keychain = memory;
    } else {
        keychain = std::make_shared<SystemKeychainService>();
    }
    std::optional<QString> pollOverride;
    if (qEnvironmentVariableIsSet("NORVANE_POLL_INTERVAL_SECS"))
        pollOverride = qEnvironmentVariable("NORVANE_POLL_INTERVAL_SECS");

    ui::AppDelegate::Dependencies deps(PRViewModel::Dependencies{GitHubService(session, options.apiURL),
                                                                 keychain,
                                                                 preferences,
                                                                 nullptr,
                                                                 identity,
                                                                 nullptr,
                                                                 pollOverride,
                                                                 isDebugMode(),
                                                                 options.webURL,
                                                                 {}});
    deps.makeNotifier = [](std::function<QSystemTrayIcon*()> icon) -> std::shared_ptr<Notifier> {
        DBusNotifier::Options notifierOptions;
        notifierOptions.desktopEntry = QString::fromLatin1(kApplicationId);
        notifierOptions.appIcon = QString::fromLatin1(kApplicationId);
        return std::make_shared<FallbackNotifier>(std::make_shared<DBusNotifier>(notifierOptions),
                                                  std::make_shared<TrayMessageNotifier>(std::move(icon)));
    };
    deps.urlOpener = std::make_shared<DesktopUrlOpener>();
    // Read once: a user who registered an OAuth App (and the demo) can sign in without rebuilding.
    GitHubDeviceAuth::Config authConfig{GitHubDeviceAuth::clientIdFromEnvironment(), options.webURL,
                                        options.apiURL};
    deps.signIn = ui::AddAccountDependencies{session, authConfig, deps.urlOpener.get(), nullptr};
    if (const std::optional<QString> entry =
            findDesktopEntry(notificationSettingsEntryIds(qEnvironmentVariable("XDG_CURRENT_DESKTOP")))) {
        deps.openNotificationSettings = [path = *entry] { launchDesktopEntry(path); };
    }
    deps.autostart = std::make_shared<Autostart>(Autostart::forRun(options.profile));
    deps.startupNotice = preferencesNotice;
    deps.systemEvents = std::make_shared<SystemEvents>();
    auto delegate = std::make_unique<ui::AppDelegate>(std::move(deps));
    delegate->applicationDidFinishLaunching();
    return delegate;
}

} // namespace

int main(int argc, char* argv[])
{
    useSystemProxies();
    // Headless commands run without a display, on their own core application.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (cli::isCommand(arguments))
        return cli::run(argc, argv);

    // Parsed before any application object exists, so --version and --help work without a display.
    const AppIdentity identity = AppIdentity::current();
    const AppCommandLine commandLine = parseAppOptions(arguments, QProcessEnvironment::systemEnvironment());
    const auto fail = [](const QString& message) {
        std::fprintf(stderr, "norvane: %s\n", qPrintable(message));
        return 2;
    };
    if (const auto* error = std::get_if<AppUsageError>(&commandLine))
        return fail(error->message);
    if (const auto* help = std::get_if<AppHelp>(&commandLine)) {
        QTextStream(stdout) << help->text;
        return 0;
    }
    if (std::holds_alternative<AppVersion>(commandLine)) {
        QTextStream(stdout) << "Norvane " << identity.version << " (" << identity.build << ")\n";
        return 0;
    }
    const AppOptions& options = std::get<AppOptions>(commandLine);
    if (!hasDisplay())
        return fail(QStringLiteral(
            "no display to show the tray icon on (set DISPLAY, or QT_QPA_PLATFORM=offscreen)"));

    // Chosen for this process only: what it starts (a browser) gets the environment it was given.
    const QString platform = platformFor(QProcessEnvironment::systemEnvironment());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform.toLatin1());
    QApplication app(argc, argv);
    if (!platform.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QCoreApplication::setApplicationVersion(identity.version);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
    installTranslations(TranslationScope::UserLanguage);

    QNetworkAccessManager network;
    // One instance per user and profile: a second start shows the first one's panel and leaves.
    SingleInstance instance(SingleInstance::socketPath(options.profile.value_or(QString())));
    std::unique_ptr<ui::AppDelegate> running;
    QObject::connect(&instance, &SingleInstance::handedOver, &app, [] { QCoreApplication::exit(0); });
    QObject::connect(&instance, &SingleInstance::showRequested, &app, [&running] {
        if (running)
            running->showPanel();
    });
    QObject::connect(&instance, &SingleInstance::becamePrimary, &app, [&] {
        running = launch(options, identity, network);
        // The tray host needs a moment to embed the icon; before that the icon has no place to open under.
        if (options.showPanel)
            QTimer::singleShot(1000, running.get(), [&running] { running->showPanel(); });
    });
    instance.start();
    if (options.quitAfterSeconds)
        QTimer::singleShot(*options.quitAfterSeconds * 1000, &app, &QCoreApplication::quit);

    const int status = app.exec();
    // The models cancel their requests in flight from the event loop when they go: let those cancels run
    // while the network is still there.
    running.reset();
    QCoreApplication::sendPostedEvents();
    processDebugLogger().waitUntilIdle();
    return status;
}
