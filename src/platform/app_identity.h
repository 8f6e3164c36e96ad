#pragma once

#include <QString>
#include <optional>

namespace norvane {

// Who the running program is: its application id (the desktop's counterpart of a bundle identifier),
// version and build. Tests build one without an id to exercise the paths where none exists.
struct AppIdentity
{
    std::optional<QString> bundleIdentifier;
    QString version;
    QString build;

    static AppIdentity current();
};

// The application id; also the desktop entry name, the keychain service and the notification hint.
inline constexpr auto kApplicationId = "com.norvane.app";
// The names the desktop shows and the user's preferences are filed under.
inline constexpr auto kApplicationName = "Norvane";
inline constexpr auto kOrganizationName = "Norvane";

} // namespace norvane
