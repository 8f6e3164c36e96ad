#pragma once

#include "core/github_account.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

// The app's own command line (the tray app; the headless commands read theirs in src/cli). Read before any
// application object exists, so --help and --version work without a display.
namespace norvane {

struct AppOptions
{
    QString apiURL; // github.com accounts' API address, without trailing slashes
    QString webURL;
    std::optional<QString> profile;
    std::optional<QString> user; // signed in for this run only
    QString token;               // the user's token, from the variable --token-env names
    std::optional<int> quitAfterSeconds;
    bool showPanel = false;
};

// --help: the text goes to standard output and the app exits with 0.
struct AppHelp
{
    QString text;
};

// --version: the version goes to standard output and the app exits with 0.
struct AppVersion
{
};

// The command line cannot be run: "norvane: <message>" goes to standard error and the app exits with 2.
struct AppUsageError
{
    QString message;
};

using AppCommandLine = std::variant<AppOptions, AppHelp, AppVersion, AppUsageError>;

// `arguments` as the process received them, the program first. `environment` holds the variable --token-env
// names. The first fault found is the one reported.
AppCommandLine parseAppOptions(const QStringList& arguments, const QProcessEnvironment& environment);

// The stored account --user signs in, so that the token goes only to the address --api-url gives (`apiURL`):
// the account with that login (ignoring case) on the GitHub Enterprise Server whose API address is `apiURL`,
// else the github.com one. Nullopt when there is none: a github.com account is added for the login.
std::optional<GitHubAccount> signInAccount(const QList<GitHubAccount>& accounts, const QString& login,
                                           const QString& apiURL);

// The Qt platform to start on where the user chose none (QT_QPA_PLATFORM unset), or empty for Qt's own
// choice. GNOME's compositor puts a Wayland client's windows where it likes, so under GNOME on Wayland the
// app runs through XWayland ("xcb", where DISPLAY is set): there the panel can open where the tray's Activate
// says the click was, under the icon.
QString platformFor(const QProcessEnvironment& environment);

} // namespace norvane
