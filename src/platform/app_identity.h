#pragma once

#include <QString>

#include <optional>

namespace norvane {

// Who the running program is: its application id (the desktop's counterpart of a bundle identifier),
// version and build. Tests build one without an id to exercise the paths where none exists.
struct AppIdentity {
    std::optional<QString> bundleIdentifier;
    QString version;
    QString build;

    static AppIdentity current();
};

inline constexpr auto kApplicationId = "com.norvane.app";

} // namespace norvane
