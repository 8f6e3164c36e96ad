#include "platform/autostart.h"

#include "platform/app_identity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace norvane {

namespace {

// Desktop entries quote an argument holding blanks or reserved characters in double quotes, and escape
// the four characters that stay special inside them.
QString quoteExecArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=%");
    const bool needsQuotes = argument.isEmpty() || std::any_of(argument.begin(), argument.end(),
                                                               [](QChar c) { return reserved.contains(c); });
    QString escaped = argument;
    escaped.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (!needsQuotes)
        return escaped;
    QString quoted;
    for (QChar c : std::as_const(escaped)) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

Autostart::Autostart(QString configDirectory, QString command)
    : m_configDirectory(std::move(configDirectory)), m_command(std::move(command))
{
}

Autostart Autostart::forUser()
{
    return Autostart(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                     QCoreApplication::applicationFilePath());
}

Autostart Autostart::forRun(const std::optional<QString>& profile)
{
    Autostart autostart = forUser();
    if (profile)
        autostart.m_unavailable = QCoreApplication::translate(
            "Autostart", "Not with --profile: the login entry starts Norvane with your own settings.");
    return autostart;
}

QString Autostart::entryPath() const
{
    return m_configDirectory + QStringLiteral("/autostart/") + QLatin1String(kApplicationId) +
           QStringLiteral(".desktop");
}

bool Autostart::isEnabled() const
{
    if (m_unavailable)
        return false;
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Small and local: the folder holds a handful of entries of a few hundred bytes.
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.trimmed() == "Hidden=true")
            return false;
    }
    return true;
}

std::optional<QString> Autostart::setEnabled(bool enabled) const
{
    if (m_unavailable)
        return m_unavailable;
    const QString path = entryPath();
    if (!enabled) {
        if (QFile::exists(path) && !QFile::remove(path))
            return QCoreApplication::translate("Autostart", "Could not remove %1.")
                .arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QCoreApplication::translate("Autostart", "Could not create the folder %1.")
            .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText(m_command).toUtf8()) < 0 || !file.commit())
        //: %1 is a file's path, %2 why the system could not write it.
        return QCoreApplication::translate("Autostart", "Could not write %1: %2")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    return std::nullopt;
}

QString Autostart::entryText(const QString& command)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Norvane\n"
                          "Comment=Keep on top of your GitHub pull requests\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "StartupNotify=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quoteExecArgument(command), QLatin1String(kApplicationId));
}

} // namespace norvane
