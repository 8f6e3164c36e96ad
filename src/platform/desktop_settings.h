#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

// The desktop's own notification settings, for the settings screen's "Open Settings". Each desktop ships its
// panel as a desktop entry under a known id; where none of them is installed there is nothing to open.
namespace norvane {

// Desktop entry ids of notification settings panels, the current desktop's first (XDG_CURRENT_DESKTOP,
// e.g. "GNOME" or "KDE", a colon-separated list).
QStringList notificationSettingsEntryIds(const QString& currentDesktop);

// The path of the first installed entry among `ids`, looked up in the XDG application directories.
std::optional<QString> findDesktopEntry(const QStringList& ids);

// The program and arguments of an entry's Exec key, field codes removed; absent for an entry that cannot
// be run (unreadable, hidden, no Exec, or not an application).
struct DesktopCommand
{
    QString program;
    QStringList arguments;
    friend bool operator==(const DesktopCommand&, const DesktopCommand&) = default;
};
std::optional<DesktopCommand> desktopEntryCommand(const QString& entryText);

// Starts the entry's program detached; false when it cannot be read or started.
bool launchDesktopEntry(const QString& path);

// The background of KDE Plasma's panel: the window colour of the Plasma theme named in plasmarc when that
// theme has colours of its own (breeze-dark, breeze-light), otherwise of the colour scheme in kdeglobals,
// written there or read from the scheme's file (Breeze Light where none is named, as in Plasma). `configDirs`
// are searched in order, the user's first (KConfig's cascade); `dataDirs` hold plasma/desktoptheme/ and
// color-schemes/. Absent when nothing names a colour.
std::optional<QColor> plasmaPanelColor(const QStringList& configDirs, const QStringList& dataDirs);

} // namespace norvane
