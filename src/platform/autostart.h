#pragma once

#include <QString>
#include <optional>

namespace norvane {

// Whether Norvane starts with the desktop session. The setting is the desktop entry in the user's autostart
// folder (the XDG autostart convention), not a preference: removing the file by hand turns it off, and
// what the switch shows is read from there.
class Autostart
{
public:
    // `configDirectory`: where "autostart/" lives (the XDG config home); `command`: the program to start.
    Autostart(QString configDirectory, QString command);
    // The user's own: $XDG_CONFIG_HOME (or ~/.config) and this executable.
    static Autostart forUser();
    // What a run may offer: the user's own, or, for a run on another profile (--profile, the demo), none:
    // the login entry starts the user's own profile, and a throw-away one must never change it.
    static Autostart forRun(const std::optional<QString>& profile);

    // Why the switch cannot be used in this run, or nullopt when it can.
    const std::optional<QString>& unavailableReason() const { return m_unavailable; }

    QString entryPath() const;
    // The entry is there and not hidden (an entry with Hidden=true is switched off by the user's desktop).
    bool isEnabled() const;
    // Writes or removes the entry; on failure, a message a person can act on. Touches nothing when the
    // switch is unavailable (and says why).
    std::optional<QString> setEnabled(bool enabled) const;

    // The entry's text for `command`, quoted as desktop entries require.
    static QString entryText(const QString& command);

private:
    QString m_configDirectory;
    QString m_command;
    std::optional<QString> m_unavailable;
};

} // namespace norvane
