#include "cli/command_line.h"

#include "cli/cli_output.h"
#include "cli/overlay_preferences.h"
#include "core/github_account.h"
#include "github/github_service.h"
#include "github/tls_trust.h"
#include "models/account_store.h"
#include "models/dashboard_view_model.h"
#include "models/issues_view_model.h"
#include "models/pr_view_model.h"
#include "models/watched_repo_store.h"
#include "platform/app_identity.h"
#include "platform/keychain_service.h"
#include "platform/notifier.h"
#include "platform/preferences.h"
#include "platform/translations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTextStream>
#include <QUrlQuery>
#include <cstdio>

namespace norvane::cli {

namespace {

const QStringList kCommands{QStringLiteral("prs"), QStringLiteral("issues"), QStringLiteral("dashboard"),
                            QStringLiteral("status")};

// Fixed namespace for the identities of accounts given on the command line, so one login always maps to
// the same id (and so to the same seen-state key).
const QUuid kCommandLineAccounts =
    QUuid::fromString(QStringLiteral("{8e5f0c3a-2b7d-4c61-9a0e-5f3b1d2c4e6a}"));

void out(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void err(const QString& line)
{
    const QByteArray bytes = ("norvane: " + line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

void errorLine(const QString& line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// The exit code of a failed load, from the message the model left.
int exitCodeFor(const QString& message)
{
    const bool token = message.startsWith(QStringLiteral("Failed to retrieve token")) ||
                       message.startsWith(QStringLiteral("Token expired"));
    return token ? ExitCode::authentication : ExitCode::failure;
}

QString rejectedTokenLine(const GitHubAccount& account)
{
    return QStringLiteral("GitHub rejected the token for %1 (HTTP 401). Sign in again in Norvane's settings.")
        .arg(account.username);
}

struct Options
{
    QString command;
    bool json = false;
    bool all = false; // prs: the snoozed pull requests too
    QString format = QStringLiteral("text");
    QStringList repos;
    // The addresses the run talks to: the account's own (see useAccountHost).
    QString apiUrl = GitHubService::defaultBaseURL();
    QString webUrl = GitHubService::defaultWebURL();
    std::optional<QString> apiUrlGiven;
    std::optional<QString> webUrlGiven;
    std::optional<QString> profile;
    std::optional<QString> account;
    std::optional<QString> user;
    std::optional<QString> tokenEnv;
    std::optional<QString> section;
};

QString helpText()
{
    return QStringLiteral(
        "Usage: norvane COMMAND [OPTIONS]\n"
        "\n"
        "Commands:\n"
        "  prs                 the open pull requests that concern you\n"
        "  issues              the open issues of your watched repositories\n"
        "  dashboard           one summary per watched repository\n"
        "  status              the tray badge and the count of every filter tab\n"
        "\n"
        "Options:\n"
        "  --json              print JSON instead of text (prs, issues, dashboard)\n"
        "  --all               the snoozed pull requests too (prs)\n"
        "  --section NAME      only the pull requests of this section of yours (prs)\n"
        "  --format FORMAT     text, json or waybar (status)\n"
        "  --repo OWNER/NAME   a repository to look at instead of the watched ones (issues, dashboard;\n"
        "                      repeatable)\n"
        "  --api-url URL       the API address of github.com accounts (default: https://api.github.com);\n"
        "                      a GitHub Enterprise Server account keeps its server's, https://HOST/api/v3\n"
        "  --web-url URL       the web address of github.com accounts (default: https://github.com); a\n"
        "                      GitHub Enterprise Server account keeps https://HOST\n"
        "  --profile DIR       read preferences from DIR instead of your own store\n"
        "  --account LOGIN     use this stored account (default: the first one); LOGIN@HOST picks one of\n"
        "                      accounts that share a login (HOST: github.com or the Enterprise server)\n"
        "  --user LOGIN        use this login with the token in --token-env instead of stored accounts\n"
        "  --token-env NAME    the environment variable holding the token for --user; the keychain is\n"
        "                      not touched\n"
        "  -h, --help          show this help\n"
        "\n"
        "Exit codes: 0 success, 2 usage error, 3 token missing or rejected, 4 any other failure.\n");
}

// Parses the arguments; on a usage error prints the reason and the usage and returns nullopt.
std::optional<Options> parse(const QStringList& arguments, bool& helpShown)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption all(QStringLiteral("all"));
    const QCommandLineOption section(QStringLiteral("section"), QString(), QStringLiteral("name"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("format"));
    const QCommandLineOption repo(QStringLiteral("repo"), QString(), QStringLiteral("repo"));
    const QCommandLineOption apiUrl(QStringLiteral("api-url"), QString(), QStringLiteral("url"));
    const QCommandLineOption webUrl(QStringLiteral("web-url"), QString(), QStringLiteral("url"));
    const QCommandLineOption profile(QStringLiteral("profile"), QString(), QStringLiteral("dir"));
    const QCommandLineOption account(QStringLiteral("account"), QString(), QStringLiteral("login"));
    const QCommandLineOption user(QStringLiteral("user"), QString(), QStringLiteral("login"));
    const QCommandLineOption tokenEnv(QStringLiteral("token-env"), QString(), QStringLiteral("name"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions(
        {json, all, section, format, repo, apiUrl, webUrl, profile, account, user, tokenEnv, help});

    const auto usageError = [](const QString& reason) -> std::optional<Options> {
        err(reason);
        std::fputs(qPrintable(helpText()), stderr);
        return std::nullopt;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        helpShown = true;
        out(helpText().toUtf8());
        return std::nullopt;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1 || !kCommands.contains(positional.first()))
        return usageError(positional.isEmpty()
                              ? QStringLiteral("no command given")
                              : QStringLiteral("unknown command \"%1\"").arg(positional.join(' ')));
    Options o;
    o.command = positional.first();
    o.json = parser.isSet(json);
    o.all = parser.isSet(all);
    if (parser.isSet(section))
        o.section = parser.value(section);
    if (o.section && o.command != QLatin1String("prs"))
        return usageError(QStringLiteral("--section goes with prs"));
    if (parser.isSet(format))
        o.format = parser.value(format);
    if (o.format != QLatin1String("text") && o.format != QLatin1String("json") &&
        o.format != QLatin1String("waybar"))
        return usageError(QStringLiteral("unknown format \"%1\" (use text, json or waybar)").arg(o.format));
    o.repos = parser.values(repo);
    for (const QString& r : o.repos) {
        if (r.count(QLatin1Char('/')) != 1 || r.startsWith(QLatin1Char('/')) || r.endsWith(QLatin1Char('/')))
            return usageError(QStringLiteral("\"%1\" is not an owner/name repository").arg(r));
    }
    if (parser.isSet(apiUrl))
        o.apiUrlGiven = parser.value(apiUrl);
    if (parser.isSet(webUrl))
        o.webUrlGiven = parser.value(webUrl);
    for (std::optional<QString>* given : {&o.apiUrlGiven, &o.webUrlGiven}) {
        if (!*given)
            continue;
        QString* url = &**given;
        while (url->endsWith(QLatin1Char('/')))
            url->chop(1);
        const QUrl parsed(*url, QUrl::StrictMode);
        if (!parsed.isValid() ||
            (parsed.scheme() != QLatin1String("http") && parsed.scheme() != QLatin1String("https")))
            return usageError(QStringLiteral("\"%1\" is not an http or https address").arg(*url));
    }
    if (parser.isSet(profile))
        o.profile = parser.value(profile);
    if (parser.isSet(account))
        o.account = parser.value(account);
    if (parser.isSet(user))
        o.user = parser.value(user);
    if (parser.isSet(tokenEnv))
        o.tokenEnv = parser.value(tokenEnv);
    if (o.user.has_value() != o.tokenEnv.has_value())
        return usageError(QStringLiteral("--user and --token-env go together"));
    if (o.user && o.account)
        return usageError(QStringLiteral("--account cannot be combined with --user"));
    return o;
}

// Everything one command needs, built from the options.
struct Environment
{
    std::shared_ptr<Preferences> preferences;
    std::shared_ptr<KeychainService> keychain;
    GitHubAccount account;
};

// The run talks to the account's own host. As in the app, --api-url and --web-url stand in for github.com's
// addresses only: a GitHub Enterprise Server account keeps its server's, so its token never goes elsewhere.
void useAccountHost(Options& o, const GitHubAccount& account)
{
    const GitHubEndpoints own = account.endpoints({o.apiUrlGiven.value_or(GitHubService::defaultBaseURL()),
                                                   o.webUrlGiven.value_or(GitHubService::defaultWebURL())});
    o.apiUrl = own.apiBaseURL;
    o.webUrl = own.webBaseURL;
}

// Resolves the account and its token source; on failure prints why and sets the exit code.
std::optional<Environment> resolve(Options& o, int& exitCode)
{
    Environment env;
    // Commands never write preferences, so a damaged file is read as it is and left for the app to set aside.
    constexpr auto asIs = SettingsPreferences::OnDamage::readAsIs;
    std::shared_ptr<Preferences> base =
        o.profile ? std::shared_ptr<Preferences>(SettingsPreferences::forProfile(*o.profile, asIs))
                  : std::shared_ptr<Preferences>(SettingsPreferences::forUser(asIs));
    env.preferences = std::make_shared<OverlayPreferences>(std::move(base));

    if (o.user) {
        const QString token = qEnvironmentVariable(qPrintable(*o.tokenEnv));
        if (token.isEmpty()) {
            err(QStringLiteral("the environment variable %1 holds no token").arg(*o.tokenEnv));
            exitCode = ExitCode::authentication;
            return std::nullopt;
        }
        const QString identifier = QStringLiteral("command-line");
        auto storage = std::make_shared<InMemoryKeychainService::Storage>();
        (*storage)[identifier] = token;
        env.keychain = std::make_shared<InMemoryKeychainService>(storage);
        env.account = GitHubAccount{QUuid::createUuidV5(kCommandLineAccounts, *o.user), *o.user, identifier,
                                    std::nullopt};
        useAccountHost(o, env.account);
        return env;
    }

    AccountStore store(env.preferences);
    const AccountStore::Loaded loaded = store.load();
    if (loaded.status == AccountStore::Loaded::Status::unreadable) {
        err(QStringLiteral("the stored accounts cannot be read (%1)").arg(loaded.problem));
        exitCode = ExitCode::failure;
        return std::nullopt;
    }
    const QList<GitHubAccount>& accounts = store.accounts();
    if (accounts.isEmpty()) {
        err(QStringLiteral("no GitHub account is set up: add one in Norvane's settings, or pass --user LOGIN "
                           "--token-env NAME"));
        exitCode = ExitCode::authentication;
        return std::nullopt;
    }
    if (o.account) {
        const AccountChoice choice = chooseAccount(accounts, *o.account);
        if (!choice.account) {
            err(choice.error);
            exitCode = ExitCode::usage;
            return std::nullopt;
        }
        env.account = *choice.account;
    } else {
        env.account = accounts.first();
    }
    // Standard output carries only the command's output: the store's failure lines go with the errors.
    env.keychain = std::make_shared<SystemKeychainService>(QString::fromLatin1(kApplicationId),
                                                           SystemKeychainService::kDefaultTimeout, errorLine);
    useAccountHost(o, env.account);
    return env;
}

// Runs one pull-request command to its end and quits the application with its exit code.
class PullRequestCommand : public QObject
{
public:
    PullRequestCommand(Options options, Environment env, const HttpSession& session)
        : m_options(std::move(options)), m_account(env.account), m_github(session, m_options.apiUrl)
    {
        PRViewModel::Dependencies deps{
            m_github,
            env.keychain,
            env.preferences,
            std::make_shared<RecordingNotifier>(), // a single refresh never notifies
            AppIdentity::current(),
            nullptr,
            std::nullopt,
            false,
            m_options.webUrl,
            [](const QString&) {}, // the account-change line is for the app's own output
        };
        m_model = std::make_unique<PRViewModel>(std::move(deps));
        // The outcome is read from the event loop, once the load has settled every field it sets: a model
        // may clear its loading flag before it publishes the error.
        connect(m_model.get(), &PRViewModel::isLoadingChanged, this, [this](bool loading) {
            if (!loading)
                QMetaObject::invokeMethod(this, &PullRequestCommand::finish, Qt::QueuedConnection);
        });
    }

    void start() { m_model->setSelectedAccount(m_account); }

private:
    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        QCoreApplication::exit(report());
    }

    int report()
    {
        if (m_model->reauthNeeded().contains(m_account.id)) {
            err(rejectedTokenLine(m_account));
            return ExitCode::authentication;
        }
        if (const auto message = m_model->errorMessage()) {
            err(*message);
            return exitCodeFor(*message);
        }
        if (m_options.command == QLatin1String("prs")) {
            QList<PullRequest> prs =
                m_options.all ? m_model->answeredPullRequests() : m_model->pullRequests();
            if (m_options.section) {
                const QList<SearchSection>& sections = m_model->sections();
                if (std::none_of(sections.cbegin(), sections.cend(),
                                 [&](const SearchSection& s) { return s.name == *m_options.section; })) {
                    QStringList names;
                    for (const SearchSection& s : sections)
                        names << s.name;
                    err(QStringLiteral("no section \"%1\" for %2 (its sections: %3)")
                            .arg(*m_options.section, m_account.username,
                                 names.isEmpty() ? QStringLiteral("none")
                                                 : names.join(QStringLiteral(", "))));
                    return ExitCode::usage;
                }
                prs = m_options.all ? m_model->answeredPullRequests()
                                    : m_model->sectionPullRequests(*m_options.section);
                prs.removeIf(
                    [&](const PullRequest& pr) { return !pr.sections.contains(*m_options.section); });
            }
            SnoozeMap snoozes;
            for (const PullRequest& pr : prs) {
                if (const auto snooze = m_model->snoozeOf(pr.id))
                    snoozes.insert(pr.id, *snooze);
            }
            out(m_options.json ? pullRequestsJson(prs, snoozes) : pullRequestTable(prs, snoozes).toUtf8());
            return ExitCode::ok;
        }
        StatusReport status;
        status.badge =
            badgeFor(m_model->pullRequests(), m_model->notificationSettings().notifyOnTeamReviewRequest);
        for (PRFilter filter : kAllFilters)
            status.counts.append({filter, m_model->countForFilter(filter)});
        status.rateLimits = m_github.rateLimits(m_account.id);
        status.sections = int(m_model->sections().size());
        if (m_options.format == QLatin1String("json"))
            out(statusJson(status));
        else if (m_options.format == QLatin1String("waybar"))
            out(statusWaybar(status));
        else
            out(statusText(status).toUtf8());
        return ExitCode::ok;
    }

    Options m_options;
    GitHubAccount m_account;
    GitHubService m_github;
    std::unique_ptr<PRViewModel> m_model;
    bool m_finished = false;
};

// Runs the issues or dashboard load for the watched (or the given) repositories and prints the result.
class RepoActivityCommand : public QObject
{
public:
    RepoActivityCommand(Options options, Environment env, const HttpSession& session)
        : m_options(std::move(options)), m_account(env.account)
    {
        QNetworkAccessManager* nam = session.manager();
        // --repo replaces the watched list for this run only; it never reaches the stored list.
        std::shared_ptr<Preferences> store = env.preferences;
        if (!m_options.repos.isEmpty())
            store = std::make_shared<InMemoryPreferences>();
        m_store = std::make_shared<WatchedRepoStore>(store);
        for (const QString& repo : std::as_const(m_options.repos))
            m_store->add(repo, m_account.id);

        RepoActivityModel::Dependencies deps{GitHubService(session, m_options.apiUrl), env.keychain, m_store};
        if (m_options.command == QLatin1String("issues")) {
            m_issues = new IssuesViewModel(std::move(deps), this);
        } else {
            m_dashboard = new DashboardViewModel(std::move(deps), this);
            // A card shows a failed query as "not available", so the dashboard never reports one; a script
            // must still learn that the token was rejected or which figures GitHub failed to give. Watch the
            // replies themselves.
            connect(nam, &QNetworkAccessManager::finished, this, &RepoActivityCommand::noteReply);
        }
        // The outcome is read from the event loop, once the load has settled every field it sets: a model
        // may clear its loading flag before it publishes the error.
        connect(model(), &RepoActivityModel::isLoadingChanged, this, [this](bool loading) {
            if (!loading)
                QMetaObject::invokeMethod(this, &RepoActivityCommand::finish, Qt::QueuedConnection);
        });
    }

    void start()
    {
        model()->setSelectedAccount(m_account);
        // With nothing to look at there is no load to wait for.
        if (!model()->isLoading())
            QMetaObject::invokeMethod(this, &RepoActivityCommand::finish, Qt::QueuedConnection);
    }

private:
    RepoActivityModel* model() const
    {
        return m_issues ? static_cast<RepoActivityModel*>(m_issues)
                        : static_cast<RepoActivityModel*>(m_dashboard);
    }

    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        QCoreApplication::exit(report());
    }

    // What one query of the dashboard asked for, for a warning line: its path, and a search's terms.
    static QString queryName(const QUrl& url)
    {
        const QString terms = QUrlQuery(url).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded);
        return terms.isEmpty() ? url.path() : QStringLiteral("%1 (%2)").arg(url.path(), terms);
    }

    // Every reply of the dashboard's queries. A rejected token, a server-side failure and a transport
    // failure are failed queries; other answers (a repository without environments answers 404) are what
    // the cards show as not available.
    void noteReply(QNetworkReply* reply)
    {
        ++m_queries;
        if (const std::optional<QString> refused = HttpSession::refusedRedirect(reply)) {
            m_failedQueries.append(QStringLiteral("%1 (%2)").arg(*refused, queryName(reply->url())));
            return;
        }
        if (const std::optional<QString> oversized = HttpSession::oversizedReply(reply)) {
            m_failedQueries.append(QStringLiteral("%1 (%2)").arg(*oversized, queryName(reply->url())));
            return;
        }
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid()) {
            if (status.toInt() == 401)
                m_rejected = true;
            else if (status.toInt() >= 500)
                m_failedQueries.append(QStringLiteral("GitHub answered HTTP %1 for %2")
                                           .arg(status.toInt())
                                           .arg(queryName(reply->url())));
        } else if (reply->error() != QNetworkReply::NoError &&
                   reply->error() != QNetworkReply::OperationCanceledError) {
            m_failedQueries.append(
                QStringLiteral("%1 (%2)").arg(reply->errorString(), queryName(reply->url())));
        }
    }

    int report()
    {
        if (const auto message = model()->errorMessage()) {
            err(*message);
            return exitCodeFor(*message);
        }
        if (m_rejected) {
            err(rejectedTokenLine(m_account));
            return ExitCode::authentication;
        }
        if (!model()->hasWatchedRepos() && !m_options.json) {
            out("No watched repositories: add some in Norvane's settings, or pass --repo OWNER/NAME.\n");
            return ExitCode::ok;
        }
        if (m_issues) {
            out(m_options.json ? issuesJson(m_issues->issues()) : issueTable(m_issues->issues()).toUtf8());
            return ExitCode::ok;
        }
        // The cards as the tab builds them, a failed figure left out; one warning per failed query. Only when
        // nothing at all came back is there nothing to print.
        if (!m_failedQueries.isEmpty() && m_failedQueries.size() == m_queries) {
            // A failure ends with one line; the first answer stands for the rest, which are alike.
            err(QStringLiteral("every query of the dashboard failed (%1 of them): %2")
                    .arg(m_queries)
                    .arg(m_failedQueries.first()));
            return ExitCode::failure;
        }
        for (const QString& failure : std::as_const(m_failedQueries))
            err(QStringLiteral("warning: %1").arg(failure));
        out(m_options.json ? dashboardJson(m_dashboard->summaries())
                           : dashboardText(m_dashboard->summaries()).toUtf8());
        return ExitCode::ok;
    }

    Options m_options;
    GitHubAccount m_account;
    std::shared_ptr<WatchedRepoStore> m_store;
    IssuesViewModel* m_issues = nullptr;
    DashboardViewModel* m_dashboard = nullptr;
    bool m_finished = false;
    bool m_rejected = false;
    int m_queries = 0;
    QStringList m_failedQueries;
};

} // namespace

AccountChoice chooseAccount(const QList<GitHubAccount>& accounts, const QString& name)
{
    QList<GitHubAccount> named;
    std::copy_if(accounts.begin(), accounts.end(), std::back_inserter(named),
                 [&](const GitHubAccount& a) { return accountNamed(a, name); });
    if (named.size() == 1)
        return {named.first(), QString()};
    const auto addresses = [](const QList<GitHubAccount>& list) {
        QStringList text;
        for (const GitHubAccount& a : list)
            text.append(accountAddress(a));
        return text.join(QStringLiteral(", "));
    };
    if (named.isEmpty())
        return {std::nullopt,
                QStringLiteral("no stored account \"%1\" (stored: %2)").arg(name, addresses(accounts))};
    return {std::nullopt, QStringLiteral("\"%1\" names %2 stored accounts (%3): give one as LOGIN@HOST")
                              .arg(name, QString::number(named.size()), addresses(named))};
}

bool isCommand(const QStringList& arguments)
{
    return arguments.size() > 1 && kCommands.contains(arguments.at(1));
}

int run(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const AppIdentity identity = AppIdentity::current();
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QCoreApplication::setApplicationVersion(identity.version);
    // Scripts read what a command prints: it stays English whatever the desktop's language.
    installTranslations(TranslationScope::English);

    bool helpShown = false;
    auto options = parse(QCoreApplication::arguments(), helpShown);
    if (!options)
        return helpShown ? ExitCode::ok : ExitCode::usage;
    int exitCode = ExitCode::ok;
    const auto env = resolve(*options, exitCode);
    if (!env)
        return exitCode;

    QNetworkAccessManager nam;
    // The app's answer cache is shared, so a command right after a poll is answered mostly by 304s.
    HttpSession session(&nam);
    session.trustAlsoWhenNeeded([] {
        const ExtraAuthorities authorities = extraAuthoritiesFromEnvironment();
        for (const QString& problem : authorities.problems)
            err(problem);
        return authorities.certificates;
    });
    session.setResponseCache(std::make_shared<ResponseCache>(ResponseCache::directoryFor(options->profile)));
    session.setRateLimitLedger(std::make_shared<RateLimitLedger>());
    if (options->command == QLatin1String("issues") || options->command == QLatin1String("dashboard")) {
        RepoActivityCommand command(*options, *env, session);
        command.start();
        return app.exec();
    }
    PullRequestCommand command(*options, *env, session);
    command.start();
    return app.exec();
}

} // namespace norvane::cli
