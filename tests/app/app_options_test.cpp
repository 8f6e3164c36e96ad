#include "app/app_options.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;

namespace {

QStringList command(std::initializer_list<const char*> options)
{
    QStringList arguments{u"norvane"_s};
    for (const char* option : options)
        arguments.append(QString::fromUtf8(option));
    return arguments;
}

QProcessEnvironment environment()
{
    QProcessEnvironment environment;
    environment.insert(u"T"_s, u"gho_secret"_s);
    environment.insert(u"EMPTY"_s, QString());
    return environment;
}

// What a command line comes to, in a form one table can spell: the fault's message, "help", "version",
// or the options that differ from an empty command line.
std::string outcome(const AppCommandLine& line)
{
    if (const auto* error = std::get_if<AppUsageError>(&line))
        return "error: " + error->message.toStdString();
    if (std::holds_alternative<AppHelp>(line))
        return "help";
    if (std::holds_alternative<AppVersion>(line))
        return "version";
    const auto& o = std::get<AppOptions>(line);
    std::string text = "run";
    if (o.apiURL != u"https://api.github.com"_s)
        text += " api=" + o.apiURL.toStdString();
    if (o.webURL != u"https://github.com"_s)
        text += " web=" + o.webURL.toStdString();
    if (o.profile)
        text += " profile=" + o.profile->toStdString();
    if (o.user)
        text += " user=" + o.user->toStdString() + " token=" + o.token.toStdString();
    else if (!o.token.isEmpty())
        text += " token without a user";
    if (o.quitAfterSeconds)
        text += " quit-after=" + std::to_string(*o.quitAfterSeconds);
    if (o.showPanel)
        text += " show-panel";
    return text;
}

TEST(AppOptions, EachCommandLineComesToItsOptionsOrItsOneFault)
{
    struct Case
    {
        QStringList arguments;
        std::string expected;
    };
    const Case cases[] = {
        // Valid.
        {command({}), "run"},
        {command({"--profile", "/tmp/p", "--user", "mona", "--token-env", "T"}),
         "run profile=/tmp/p user=mona token=gho_secret"},
        {command({"--api-url", "https://ghe.example.com/api/v3/", "--web-url=https://ghe.example.com///"}),
         "run api=https://ghe.example.com/api/v3 web=https://ghe.example.com"},
        {command({"--api-url", "http://127.0.0.1:8080"}), "run api=http://127.0.0.1:8080"},
        {command({"--quit-after", "0", "--show-panel"}), "run quit-after=0 show-panel"},
        {command({"--quit-after", "5", "--quit-after", "6"}), "run quit-after=6"},
        {command({"stray"}), "run"},
        // Help and version come before any check of the rest; help before version.
        {command({"--help"}), "help"},
        {command({"--version"}), "version"},
        {command({"--version", "--help"}), "help"},
        {command({"--api-url", "file:///x", "--help"}), "help"},
        // Unknown options and missing values: Qt's parser says which.
        {command({"--bogus"}), "error: Unknown option 'bogus'."},
        {command({"--bogus", "--help"}), "error: Unknown option 'bogus'."},
        {command({"--api-url"}), "error: Missing value after '--api-url'."},
        {command({"--show-panel=yes"}), "error: Unexpected value after '--show-panel'."},
        // Addresses.
        {command({"--api-url", "file:///etc/passwd"}),
         "error: \"file:///etc/passwd\" is not an http or https address"},
        {command({"--api-url", ""}), "error: \"\" is not an http or https address"},
        {command({"--api-url", "https:///"}), "error: \"https:\" is not an http or https address"},
        // The sign-in for this run.
        {command({"--user", "mona"}), "error: --user and --token-env go together"},
        {command({"--profile", "/p", "--token-env", "T"}), "error: --user and --token-env go together"},
        {command({"--user", "mona", "--token-env", "T"}),
         "error: --user needs --profile, so the account stays out of your own preferences"},
        {command({"--profile", "/p", "--user", "mona", "--token-env", "EMPTY"}),
         "error: the environment variable EMPTY holds no token"},
        // Bad numbers.
        {command({"--quit-after", "-1"}), "error: --quit-after takes a non-negative number of seconds"},
        {command({"--quit-after", "1.5"}), "error: --quit-after takes a non-negative number of seconds"},
        {command({"--quit-after", "99999999999"}),
         "error: --quit-after takes a non-negative number of seconds"},
        // The first fault is the one said: addresses, then the sign-in, then numbers.
        {command({"--quit-after", "x", "--api-url", "ftp://x", "--user", "mona"}),
         "error: \"ftp://x\" is not an http or https address"},
        {command({"--user", "mona", "--token-env", "T", "--quit-after", "x"}),
         "error: --user needs --profile, so the account stays out of your own preferences"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(outcome(parseAppOptions(c.arguments, environment())), c.expected)
            << c.arguments.join(u' ').toStdString();
}

// --user signs in the stored account of that login on the host --api-url names, so the token from the
// environment goes only to that address: an Enterprise account only when --api-url is its server's API.
TEST(AppOptions, TheUserSignsInTheAccountOfThatLoginOnTheHostTheApiAddressNames)
{
    const auto account = [](const char* login, std::optional<QString> host) {
        return GitHubAccount{QUuid::createUuid(), QString::fromUtf8(login), u"t"_s, std::nullopt, host};
    };
    const QList<GitHubAccount> accounts{account("theo", u"ghe.example.com"_s), account("Mona", std::nullopt),
                                        account("mona", u"ghe.example.com"_s),
                                        account("mona", u"http://127.0.0.1:8080"_s)};
    const struct
    {
        const char* login;
        const char* apiURL;
        const char* expected; // the account's address, or "none" (a github.com account is added)
    } cases[] = {
        {"mona", "https://api.github.com", "Mona@github.com"},
        {"MONA", "http://127.0.0.1:9000", "Mona@github.com"},
        {"mona", "https://ghe.example.com/api/v3", "mona@ghe.example.com"},
        {"mona", "http://127.0.0.1:8080/api/v3", "mona@127.0.0.1:8080"},
        {"mona", "http://127.0.0.1:8080", "Mona@github.com"},
        {"theo", "https://api.github.com", "none"},
        {"theo", "https://other.example.com/api/v3", "none"},
        {"Theo", "https://ghe.example.com/api/v3", "theo@ghe.example.com"},
        {"bob", "https://api.github.com", "none"},
    };
    for (const auto& c : cases) {
        const auto chosen = signInAccount(accounts, QString::fromUtf8(c.login), QString::fromUtf8(c.apiURL));
        EXPECT_EQ(chosen ? accountAddress(*chosen).toStdString() : "none", c.expected)
            << c.login << " " << c.apiURL;
    }
}

TEST(AppOptions, TheHelpNamesTheProgramAsNorvaneAndGivesTheDefaults)
{
    for (const char* program : {"norvane", "/usr/bin/norvane", "./build/release/src/app/norvane", ""}) {
        const QStringList arguments{QString::fromUtf8(program), u"--help"_s};
        const QString help = std::get<AppHelp>(parseAppOptions(arguments, {})).text;
        EXPECT_TRUE(help.startsWith(u"Usage: norvane [options]"_s)) << program << ": " << help.toStdString();
        EXPECT_TRUE(help.contains(u"(default: https://api.github.com)"_s)) << help.toStdString();
    }
}

TEST(AppOptions, GnomeOnWaylandRunsThroughXWaylandUnlessThePlatformIsChosen)
{
    struct Case
    {
        const char* desktop;
        const char* waylandDisplay;
        const char* display;
        const char* chosen;
        const char* platform;
    };
    const Case cases[] = {
        {"GNOME", "wayland-0", ":0", "", "xcb"},
        {"ubuntu:GNOME", "wayland-0", ":0", "", "xcb"},
        {"GNOME", "wayland-0", ":0", "wayland", ""}, // the user's choice stands
        {"GNOME", "wayland-0", "", "", ""},          // no XWayland
        {"GNOME", "", ":0", "", ""},                 // GNOME on X11
        {"KDE", "wayland-0", ":0", "", ""},          // Plasma places the panel itself
        {"sway", "wayland-1", ":0", "", ""},
    };
    for (const Case& c : cases) {
        QProcessEnvironment environment;
        for (const auto& [name, value] : {std::pair{"XDG_CURRENT_DESKTOP", c.desktop},
                                          {"WAYLAND_DISPLAY", c.waylandDisplay},
                                          {"DISPLAY", c.display},
                                          {"QT_QPA_PLATFORM", c.chosen}})
            if (*value)
                environment.insert(QString::fromLatin1(name), QString::fromLatin1(value));
        EXPECT_EQ(platformFor(environment), QString::fromLatin1(c.platform))
            << c.desktop << " " << c.waylandDisplay << " " << c.display << " " << c.chosen;
    }
}

} // namespace
