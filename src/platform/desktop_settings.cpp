#include "platform/desktop_settings.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace norvane {

QStringList notificationSettingsEntryIds(const QString& currentDesktop)
{
    // GNOME's control centre, Plasma's system settings module, Xfce's notification daemon settings.
    const QList<std::pair<QString, QString>> known{
        {QStringLiteral("GNOME"), QStringLiteral("gnome-notifications-panel.desktop")},
        {QStringLiteral("KDE"), QStringLiteral("kcm_notifications.desktop")},
        {QStringLiteral("XFCE"), QStringLiteral("xfce4-notifyd-config.desktop")},
    };
    QStringList ids;
    for (const QString& desktop : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const auto& [name, id] : known) {
            if (desktop.compare(name, Qt::CaseInsensitive) == 0 && !ids.contains(id))
                ids.append(id);
        }
    }
    for (const auto& [name, id] : known) {
        if (!ids.contains(id))
            ids.append(id);
    }
    return ids;
}

std::optional<QString> findDesktopEntry(const QStringList& ids)
{
    for (const QString& id : ids) {
        const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
        if (!path.isEmpty())
            return path;
    }
    return std::nullopt;
}

std::optional<DesktopCommand> desktopEntryCommand(const QString& entryText)
{
    bool inEntry = false;
    QString exec;
    QString type;
    bool hidden = false;
    for (const QString& rawLine : entryText.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Exec"))
            exec = value;
        else if (key == QLatin1String("Type"))
            type = value;
        else if (key == QLatin1String("Hidden"))
            hidden = value == QLatin1String("true");
    }
    if (hidden || type != QLatin1String("Application") || exec.isEmpty())
        return std::nullopt;
    QStringList words = QProcess::splitCommand(exec);
    // Field codes stand for files or addresses to open; there are none here.
    QStringList kept;
    for (QString& word : words) {
        if (word.size() == 2 && word[0] == QLatin1Char('%') && word[1] != QLatin1Char('%'))
            continue;
        kept.append(word.replace(QStringLiteral("%%"), QStringLiteral("%")));
    }
    if (kept.isEmpty())
        return std::nullopt;
    return DesktopCommand{kept.takeFirst(), kept};
}

bool launchDesktopEntry(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const std::optional<DesktopCommand> command = desktopEntryCommand(QString::fromUtf8(file.readAll()));
    if (!command)
        return false;
    return QProcess::startDetached(command->program, command->arguments);
}

} // namespace norvane

namespace norvane {

namespace {

// A key of a KConfig group in a file's text, without its locale or flag suffixes ("Key[$e]=").
std::optional<QString> kconfigValue(const QString& text, QStringView group, QStringView key)
{
    bool inGroup = false;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QStringView line = QStringView(rawLine).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line.size() == group.size() + 2 && line.mid(1, group.size()) == group;
            continue;
        }
        if (!inGroup || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        QStringView name = line.left(equals).trimmed();
        if (const qsizetype bracket = name.indexOf(QLatin1Char('[')); bracket > 0)
            name = name.left(bracket);
        if (name == key)
            return line.mid(equals + 1).trimmed().toString();
    }
    return std::nullopt;
}

QString fileText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(1 << 20));
}

// The first of the cascade's files that sets the key.
std::optional<QString> cascadeValue(const QStringList& configDirs, const QString& fileName, QStringView group,
                                    QStringView key)
{
    for (const QString& dir : configDirs) {
        if (auto value = kconfigValue(fileText(dir + QLatin1Char('/') + fileName), group, key))
            return value;
    }
    return std::nullopt;
}

// KConfig writes colours as "r,g,b" (or "r,g,b,a"), and reads names such as "#rrggbb" too.
std::optional<QColor> kconfigColor(const std::optional<QString>& value)
{
    if (!value)
        return std::nullopt;
    const QStringList parts = value->split(QLatin1Char(','));
    if (parts.size() == 3 || parts.size() == 4) {
        int rgb[3];
        for (int i = 0; i < 3; ++i) {
            bool ok = false;
            rgb[i] = parts[i].trimmed().toInt(&ok);
            if (!ok || rgb[i] < 0 || rgb[i] > 255)
                return std::nullopt;
        }
        return QColor(rgb[0], rgb[1], rgb[2]);
    }
    const QColor named = QColor::fromString(*value);
    return named.isValid() ? std::optional<QColor>(named) : std::nullopt;
}

std::optional<QColor> windowBackground(const QString& text)
{
    return kconfigColor(kconfigValue(text, u"Colors:Window", u"BackgroundNormal"));
}

} // namespace

std::optional<QColor> plasmaPanelColor(const QStringList& configDirs, const QStringList& dataDirs)
{
    // Only a theme of fixed colours has a colours file; "default" (Breeze) follows the colour scheme. Names
    // come from files anyone may edit: never let one walk out of the theme folder.
    const QString theme = cascadeValue(configDirs, QStringLiteral("plasmarc"), u"Theme", u"name")
                              .value_or(QStringLiteral("default"));
    if (!theme.contains(QLatin1Char('/')) && !theme.startsWith(QLatin1Char('.'))) {
        for (const QString& dir : dataDirs) {
            if (auto color = windowBackground(fileText(dir + QStringLiteral("/plasma/desktoptheme/") + theme +
                                                       QStringLiteral("/colors"))))
                return color;
        }
    }
    if (auto color = kconfigColor(
            cascadeValue(configDirs, QStringLiteral("kdeglobals"), u"Colors:Window", u"BackgroundNormal")))
        return color;
    // Plasma's own default where nothing names one.
    const auto scheme = cascadeValue(configDirs, QStringLiteral("kdeglobals"), u"General", u"ColorScheme")
                            .value_or(QStringLiteral("BreezeLight"));
    if (scheme.contains(QLatin1Char('/')) || scheme.startsWith(QLatin1Char('.')))
        return std::nullopt;
    for (const QString& dir : dataDirs) {
        if (auto color = windowBackground(
                fileText(dir + QStringLiteral("/color-schemes/") + scheme + QStringLiteral(".colors"))))
            return color;
    }
    return std::nullopt;
}

} // namespace norvane
