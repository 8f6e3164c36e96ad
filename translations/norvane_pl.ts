<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl">
<context>
    <name>Autostart</name>
    <message>
        <source>Not with --profile: the login entry starts Norvane with your own settings.</source>
        <translation>Niedostępne z --profile: wpis autostartu uruchamia Norvane z własnymi ustawieniami użytkownika.</translation>
    </message>
    <message>
        <source>Could not remove %1.</source>
        <translation>Nie można usunąć %1.</translation>
    </message>
    <message>
        <source>Could not create the folder %1.</source>
        <translation>Nie można utworzyć katalogu %1.</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 why the system could not write it.</extracomment>
        <translation>Nie można zapisać %1: %2</translation>
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
        <translation>Otwórz</translation>
    </message>
    <message>
        <source>Mark as Seen</source>
        <translation>Oznacz jako widziane</translation>
    </message>
    <message>
        <source>The notification service answered without a notification id</source>
        <translation>Usługa powiadomień odpowiedziała bez identyfikatora powiadomienia</translation>
    </message>
    <message>
        <source>No notification service (%1)</source>
        <extracomment>%1 is the desktop&apos;s own error message (usually English).</extracomment>
        <translation>Brak usługi powiadomień (%1)</translation>
    </message>
    <message>
        <source>No system tray that shows messages</source>
        <translation>Brak zasobnika systemowego wyświetlającego wiadomości</translation>
    </message>
</context>
<context>
    <name>Preferences</name>
    <message>
        <source>Your preferences file was damaged. Norvane kept it as %1 and started with default settings; your tokens in the keychain are untouched.</source>
        <extracomment>A notification at start-up; %1 is the path of the damaged file, kept beside the new one.</extracomment>
        <translation>Plik ustawień był uszkodzony. Norvane zachował go jako %1 i uruchomił się z ustawieniami domyślnymi; tokeny w systemowym pęku kluczy pozostały nienaruszone.</translation>
    </message>
</context>
<context>
    <name>norvane::ui::AppDelegate</name>
    <message>
        <source>Open Norvane</source>
        <translation>Otwórz Norvane</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Odśwież</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>Ustawienia…</translation>
    </message>
    <message>
        <source>Quit Norvane</source>
        <translation>Zakończ Norvane</translation>
    </message>
</context>
<context>
    <name>norvane::ui::ContentView</name>
    <message>
        <source>Issues of your watched repositories</source>
        <translation>Zgłoszenia obserwowanych repozytoriów</translation>
    </message>
    <message>
        <source>Dashboard of your watched repositories</source>
        <translation>Przegląd obserwowanych repozytoriów</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Ustawienia</translation>
    </message>
    <message>
        <source>Open GitHub...</source>
        <translation>Otwórz GitHub…</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <extracomment>A tab button&apos;s tooltip: %1 is the tab&apos;s name, %2 its shortcut (&quot;Ctrl+1&quot;).</extracomment>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Refresh (%1)</source>
        <translation>Odśwież (%1)</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Odśwież</translation>
    </message>
    <message>
        <source>Load Test Data</source>
        <translation>Wczytaj dane testowe</translation>
    </message>
    <message>
        <source>Send Test Notification</source>
        <translation>Wyślij powiadomienie testowe</translation>
    </message>
    <message>
        <source>Settings (%1)</source>
        <translation>Ustawienia (%1)</translation>
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
        <translation>Witaj w Norvane</translation>
    </message>
    <message>
        <source>Stay on top of GitHub pull requests right from your menu bar.</source>
        <translation>Śledź pull requesty z GitHuba prosto z panelu systemowego.</translation>
    </message>
    <message>
        <source>Sign in with GitHub</source>
        <translation>Zaloguj się przez GitHub</translation>
    </message>
    <message>
        <source>Your token is stored securely in your system keychain.</source>
        <translation>Token jest bezpiecznie przechowywany w systemowym pęku kluczy.</translation>
    </message>
    <message>
        <source>PRs</source>
        <extracomment>The pull-request tab&apos;s name, on a tab button of a 560-pixel-wide panel: keep it short.</extracomment>
        <translation>PR-y</translation>
    </message>
    <message>
        <source>Issues</source>
        <translation>Zgłoszenia</translation>
    </message>
    <message>
        <source>Dashboard</source>
        <translation>Przegląd</translation>
    </message>
    <message>
        <source>settings</source>
        <extracomment>The settings tab&apos;s name, in lower case in English.</extracomment>
        <translation>ustawienia</translation>
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
