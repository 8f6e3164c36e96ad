#include "app/app_options.h"

#include "github/github_service.h"
#include "platform/url_opener.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace norvane {

AppCommandLine parseAppOptions(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Keeps you on top of your GitHub pull requests."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Print this help and exit."));
    const QCommandLineOption versionOption(QStringLiteral("version"),
                                           QStringLiteral("Print the version and exit."));
    const QCommandLineOption apiOption(
        QStringLiteral("api-url"),
        QStringLiteral("GitHub REST API address of github.com accounts (default: %1); a GitHub Enterprise "
                       "Server account keeps its server's.")
            .arg(GitHubService::defaultBaseURL()),
        QStringLiteral("url"));
    const QCommandLineOption webOption(
        QStringLiteral("web-url"),
        QStringLiteral("GitHub web address of github.com accounts (default: %1).")
            .arg(GitHubService::defaultWebURL()),
        QStringLiteral("url"));
    const QCommandLineOption profileOption(
        QStringLiteral("profile"), QStringLiteral("Keep preferences in DIR instead of the user's own."),
        QStringLiteral("dir"));
    // The same pair as the headless commands': a sign-in whose token never reaches the keychain.
    const QCommandLineOption userOption(
        QStringLiteral("user"),
        QStringLiteral(
            "With --profile and --token-env: sign LOGIN in for this run; the token stays in memory."),
        QStringLiteral("login"));
    const QCommandLineOption tokenEnvOption(
        QStringLiteral("token-env"), QStringLiteral("The environment variable holding the token for --user."),
        QStringLiteral("name"));
    const QCommandLineOption quitAfterOption(QStringLiteral("quit-after"),
                                             QStringLiteral("Quit after SECONDS (scripted runs)."),
                                             QStringLiteral("seconds"));
    const QCommandLineOption showPanelOption(
        QStringLiteral("show-panel"), QStringLiteral("Open the panel once the tray icon is in place."));
    parser.addOptions({helpOption, versionOption, apiOption, webOption, profileOption, userOption,
                       tokenEnvOption, quitAfterOption, showPanelOption});
    if (!parser.parse(arguments))
        return AppUsageError{parser.errorText()};
    if (parser.isSet(helpOption)) {
        // Qt names the program after the application object, which does not exist yet while the options are
        // read (so that --help needs no display) and which a test's process names after itself: the usage
        // line names the program as it was started instead.
        const QString program =
            arguments.isEmpty() ? QString() : QFileInfo(arguments.constFirst()).fileName();
        QString text = parser.helpText();
        const QString usage = QStringLiteral("Usage: ");
        const qsizetype options = text.indexOf(QStringLiteral(" [options]"));
        if (text.startsWith(usage) && options > usage.size() && options < text.indexOf(QLatin1Char('\n')))
            text.replace(usage.size(), options - usage.size(),
                         program.isEmpty() ? QStringLiteral("norvane") : program);
        return AppHelp{text};
    }
    if (parser.isSet(versionOption))
        return AppVersion{};

    AppOptions options;
    options.apiURL = parser.isSet(apiOption) ? parser.value(apiOption) : GitHubService::defaultBaseURL();
    options.webURL = parser.isSet(webOption) ? parser.value(webOption) : GitHubService::defaultWebURL();
    for (QString* url : {&options.apiURL, &options.webURL}) {
        while (url->endsWith(QLatin1Char('/')))
            url->chop(1);
        if (!webAddress(*url))
            return AppUsageError{QStringLiteral("\"%1\" is not an http or https address").arg(*url)};
    }
    if (parser.isSet(profileOption))
        options.profile = parser.value(profileOption);
    if (parser.isSet(userOption) != parser.isSet(tokenEnvOption))
        return AppUsageError{QStringLiteral("--user and --token-env go together")};
    if (parser.isSet(userOption)) {
        if (!options.profile)
            return AppUsageError{
                QStringLiteral("--user needs --profile, so the account stays out of your own preferences")};
        options.token = environment.value(parser.value(tokenEnvOption));
        if (options.token.isEmpty())
            return AppUsageError{QStringLiteral("the environment variable %1 holds no token")
                                     .arg(parser.value(tokenEnvOption))};
        options.user = parser.value(userOption);
    }
    if (parser.isSet(quitAfterOption)) {
        bool ok = false;
        const int seconds = parser.value(quitAfterOption).toInt(&ok);
        if (!ok || seconds < 0)
            return AppUsageError{QStringLiteral("--quit-after takes a non-negative number of seconds")};
        options.quitAfterSeconds = seconds;
    }
    options.showPanel = parser.isSet(showPanelOption);
    return options;
}

std::optional<GitHubAccount> signInAccount(const QList<GitHubAccount>& accounts, const QString& login,
                                           const QString& apiURL)
{
    std::optional<GitHubAccount> gitHubCom;
    for (const GitHubAccount& account : accounts) {
        if (account.username.compare(login, Qt::CaseInsensitive) != 0)
            continue;
        if (!account.isEnterprise())
            gitHubCom = gitHubCom.value_or(account);
        else if (account.endpoints({}).apiBaseURL == apiURL)
            return account;
    }
    return gitHubCom;
}

QString platformFor(const QProcessEnvironment& environment)
{
    const auto set = [&](const char* name) { return !environment.value(QLatin1String(name)).isEmpty(); };
    if (set("QT_QPA_PLATFORM") || !set("DISPLAY"))
        return {};
    // XDG_CURRENT_DESKTOP is a list: "ubuntu:GNOME", "GNOME-Classic:GNOME".
    const QStringList desktops =
        environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const bool gnome = desktops.contains(QLatin1String("GNOME"), Qt::CaseInsensitive);
    const bool wayland = set("WAYLAND_DISPLAY") ||
                         environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    return gnome && wayland ? QStringLiteral("xcb") : QString();
}

} // namespace norvane
