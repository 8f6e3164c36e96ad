<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Autostart</name>
    <message>
        <source>Not with --profile: the login entry starts Norvane with your own settings.</source>
        <translation>Nicht mit --profile: Der Autostart-Eintrag startet Norvane mit den eigenen Einstellungen.</translation>
    </message>
    <message>
        <source>Could not remove %1.</source>
        <translation>%1 konnte nicht entfernt werden.</translation>
    </message>
    <message>
        <source>Could not create the folder %1.</source>
        <translation>Der Ordner %1 konnte nicht erstellt werden.</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 why the system could not write it.</extracomment>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>MenuButton</name>
    <message>
        <source>%1: %2</source>
        <extracomment>What a screen reader says of a menu button: %1 is what it is for (&quot;Sort by&quot;), %2 what is chosen now.</extracomment>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>Notification</name>
    <message>
        <source>Open</source>
        <extracomment>A notification&apos;s button (where the desktop shows one): opens the pull request.</extracomment>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Mark as Seen</source>
        <translation>Als gesehen markieren</translation>
    </message>
    <message>
        <source>The notification service answered without a notification id</source>
        <translation>Der Benachrichtigungsdienst hat ohne Benachrichtigungs-ID geantwortet</translation>
    </message>
    <message>
        <source>No notification service (%1)</source>
        <extracomment>%1 is the desktop&apos;s own error message (usually English).</extracomment>
        <translation>Kein Benachrichtigungsdienst (%1)</translation>
    </message>
    <message>
        <source>No system tray that shows messages</source>
        <translation>Keine Systemleiste, die Meldungen anzeigt</translation>
    </message>
</context>
<context>
    <name>Preferences</name>
    <message>
        <source>Your preferences file was damaged. Norvane kept it as %1 and started with default settings; your tokens in the keychain are untouched.</source>
        <extracomment>A notification at start-up; %1 is the path of the damaged file, kept beside the new one.</extracomment>
        <translation>Die Einstellungsdatei war beschädigt. Norvane hat sie als %1 aufbewahrt und mit den Standardeinstellungen begonnen; die Token im Schlüsselbund bleiben unberührt.</translation>
    </message>
</context>
<context>
    <name>norvane::ui::AppDelegate</name>
    <message>
        <source>Open Norvane</source>
        <translation>Norvane öffnen</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>Einstellungen …</translation>
    </message>
    <message>
        <source>Quit Norvane</source>
        <translation>Norvane beenden</translation>
    </message>
</context>
<context>
    <name>norvane::ui::ContentView</name>
    <message>
        <source>Issues of your watched repositories</source>
        <translation>Issues der beobachteten Repositorys</translation>
    </message>
    <message>
        <source>Dashboard of your watched repositories</source>
        <translation>Übersicht der beobachteten Repositorys</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Open GitHub...</source>
        <translation>GitHub öffnen …</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <extracomment>A tab button&apos;s tooltip: %1 is the tab&apos;s name, %2 its shortcut (&quot;Ctrl+1&quot;).</extracomment>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Refresh (%1)</source>
        <translation>Aktualisieren (%1)</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Load Test Data</source>
        <translation>Testdaten laden</translation>
    </message>
    <message>
        <source>Send Test Notification</source>
        <translation>Testbenachrichtigung senden</translation>
    </message>
    <message>
        <source>Settings (%1)</source>
        <translation>Einstellungen (%1)</translation>
    </message>
    <message>
        <source>Account:</source>
        <translation>Konto:</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>Welcome to Norvane</source>
        <translation>Willkommen bei Norvane</translation>
    </message>
    <message>
        <source>Stay on top of GitHub pull requests right from your menu bar.</source>
        <translation>GitHub-Pull-Requests direkt aus der Kontrollleiste im Blick behalten.</translation>
    </message>
    <message>
        <source>Sign in with GitHub</source>
        <translation>Mit GitHub anmelden</translation>
    </message>
    <message>
        <source>Your token is stored securely in your system keychain.</source>
        <translation>Das Token wird sicher im Schlüsselbund des Systems gespeichert.</translation>
    </message>
    <message>
        <source>PRs</source>
        <extracomment>The pull-request tab&apos;s name, on a tab button of a 560-pixel-wide panel: keep it short.</extracomment>
        <translation>PRs</translation>
    </message>
    <message>
        <source>Issues</source>
        <translation>Issues</translation>
    </message>
    <message>
        <source>Dashboard</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>settings</source>
        <extracomment>The settings tab&apos;s name, in lower case in English.</extracomment>
        <translation>Einstellungen</translation>
    </message>
</context>
<context>
    <name>norvane::ui::PillButton</name>
    <message>
        <source>%1, %2</source>
        <extracomment>What a screen reader says of a tab or filter with a count: %1 its name, %2 the count.</extracomment>
        <translation>%1, %2</translation>
    </message>
</context>
</TS>
