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
