#include "platform/desktop_settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

namespace {

TEST(DesktopSettings, TheCurrentDesktopsPanelComesFirst)
{
    const QString gnome = u"gnome-notifications-panel.desktop"_s;
    const QString kde = u"kcm_notifications.desktop"_s;
    const QString xfce = u"xfce4-notifyd-config.desktop"_s;
    const std::pair<const char*, QStringList> cases[] = {
        {"KDE", {kde, gnome, xfce}},
        {"XFCE", {xfce, gnome, kde}},
        {"kde:xfce", {kde, xfce, gnome}},
        {"Sway", {gnome, kde, xfce}},
    };
    for (const auto& [desktop, expected] : cases) {
        SCOPED_TRACE(desktop);
        EXPECT_EQ(notificationSettingsEntryIds(QString::fromUtf8(desktop)), expected);
    }
}

TEST(DesktopSettings, ExecLinesBecomeAProgramWithoutFieldCodes)
{
    const auto command = [](const char* program, QStringList arguments) {
        return std::optional<DesktopCommand>(
            DesktopCommand{QString::fromUtf8(program), std::move(arguments)});
    };
    const std::pair<const char*, std::optional<DesktopCommand>> cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=systemsettings kcm_notifications %U\n",
         command("systemsettings", {u"kcm_notifications"_s})},
        {"[Desktop Entry]\nType=Application\nExec=\"/opt/my tools/panel\" --rate=50%% %f\n",
         command("/opt/my tools/panel", {u"--rate=50%"_s})},
        // The Exec of another group is not the entry's.
        {"[Desktop Entry]\nType=Application\n[Desktop Action x]\nExec=other\n", std::nullopt},
        {"[Desktop Entry]\nType=Application\nExec=panel\nHidden=true\n", std::nullopt},
        {"[Desktop Entry]\nType=Link\nURL=https://example.com\nExec=panel\n", std::nullopt},
        {"[Desktop Entry]\nType=Application\nExec=%F\n", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(desktopEntryCommand(QString::fromUtf8(text)), expected);
    }
}

TEST(DesktopSettings, EntriesAreFoundInTheUsersApplicationDirectory)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QByteArray savedDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    qputenv("XDG_DATA_DIRS", home.filePath(u"none"_s).toUtf8());
    const QStringList ids = notificationSettingsEntryIds(u"KDE"_s);
    EXPECT_EQ(findDesktopEntry(ids), std::nullopt);

    ASSERT_TRUE(QDir(home.path()).mkpath(u"applications"_s));
    const QString path = home.filePath(u"applications/gnome-notifications-panel.desktop"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nExec=true\n");
    file.close();
    EXPECT_EQ(findDesktopEntry(ids), std::optional<QString>(path));
    EXPECT_TRUE(launchDesktopEntry(path));
    EXPECT_FALSE(launchDesktopEntry(home.filePath(u"applications/missing.desktop"_s)));

    const auto restore = [](const char* name, const QByteArray& value) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    };
    restore("XDG_DATA_HOME", saved);
    restore("XDG_DATA_DIRS", savedDirs);
}

} // namespace
