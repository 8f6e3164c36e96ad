<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl">
<context>
    <name>Activity</name>
    <message>
        <source>succeeded</source>
        <extracomment>A deploy&apos;s status, after its environment (&quot;production succeeded&quot;)</extracomment>
        <translation>udane</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>nieudane</translation>
    </message>
    <message>
        <source>in progress</source>
        <translation>w toku</translation>
    </message>
    <message>
        <source>pending</source>
        <translation>oczekujące</translation>
    </message>
    <message numerus="yes">
        <source>%n open PR(s)</source>
        <extracomment>On a repository&apos;s card of the dashboard</extracomment>
        <translation>
            <numerusform>%n otwarty PR</numerusform>
            <numerusform>%n otwarte PR-y</numerusform>
            <numerusform>%n otwartych PR-ów</numerusform>
        </translation>
    </message>
    <message>
        <source>Deploys today: %1</source>
        <extracomment>On a repository&apos;s card; %1 counts the deploys of the last day</extracomment>
        <translation>Wdrożenia dzisiaj: %1</translation>
    </message>
    <message>
        <source>Author: %1</source>
        <extracomment>Spoken: %1 is the issue&apos;s author</extracomment>
        <translation>Autor: %1</translation>
    </message>
    <message numerus="yes">
        <source>%n comment(s)</source>
        <translation>
            <numerusform>%n komentarz</numerusform>
            <numerusform>%n komentarze</numerusform>
            <numerusform>%n komentarzy</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Labels: %1 and %n more</source>
        <translation>
            <numerusform>Etykiety: %1 i jeszcze %n</numerusform>
            <numerusform>Etykiety: %1 i jeszcze %n</numerusform>
            <numerusform>Etykiety: %1 i jeszcze %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Labels: %1</source>
        <translation>Etykiety: %1</translation>
    </message>
    <message>
        <source>Last commit %1: %2</source>
        <extracomment>Spoken: %1 is a relative time such as &quot;2 hr. ago&quot;, %2 the commit&apos;s message in quotes</extracomment>
        <translation>Ostatni commit %1: %2</translation>
    </message>
    <message>
        <source>Last commit %1</source>
        <translation>Ostatni commit %1</translation>
    </message>
    <message>
        <source>Last commit: %1</source>
        <translation>Ostatni commit: %1</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <extracomment>Spoken: %1 is a deploy&apos;s environment, %2 its status, such as &quot;succeeded&quot;</extracomment>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Latest: %1</source>
        <extracomment>Spoken: %1 lists the latest deploys</extracomment>
        <translation>Najnowsze: %1</translation>
    </message>
    <message numerus="yes">
        <source>Environments: %1 and %n more</source>
        <translation>
            <numerusform>Środowiska: %1 i jeszcze %n</numerusform>
            <numerusform>Środowiska: %1 i jeszcze %n</numerusform>
            <numerusform>Środowiska: %1 i jeszcze %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Environments: %1</source>
        <translation>Środowiska: %1</translation>
    </message>
    <message>
        <source>%1 %2, %3</source>
        <extracomment>An issue&apos;s spoken name: %1 is the repository, %2 the number (&quot;#12&quot;), %3 the title</extracomment>
        <translation>%1 %2, %3</translation>
    </message>
</context>
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
    <name>DeviceAuth</name>
    <message>
        <source>GitHub OAuth App not configured.
See GitHubDeviceAuth for setup instructions.</source>
        <translation>Nie skonfigurowano aplikacji OAuth GitHuba.
Instrukcja konfiguracji znajduje się przy GitHubDeviceAuth.</translation>
    </message>
    <message>
        <source>Failed to connect to GitHub: %1</source>
        <extracomment>%1 is the network&apos;s or the decoder&apos;s own error text</extracomment>
        <translation>Nie udało się połączyć z GitHubem: %1</translation>
    </message>
    <message>
        <source>Invalid verification URL returned by GitHub</source>
        <translation>GitHub zwrócił nieprawidłowy adres weryfikacji</translation>
    </message>
    <message>
        <source>Authorization code expired. Please try again.</source>
        <translation>Kod autoryzacji wygasł. Spróbuj ponownie.</translation>
    </message>
    <message>
        <source>Authorized, but couldn&apos;t fetch your GitHub username.</source>
        <translation>Autoryzowano, ale nie udało się pobrać nazwy użytkownika GitHuba.</translation>
    </message>
    <message>
        <source>Unknown error from GitHub</source>
        <translation>Nieznany błąd GitHuba</translation>
    </message>
    <message>
        <source>Code expired. Please try again.</source>
        <translation>Kod wygasł. Spróbuj ponownie.</translation>
    </message>
    <message>
        <source>Access denied by user.</source>
        <translation>Użytkownik odmówił dostępu.</translation>
    </message>
</context>
<context>
    <name>EnterpriseHost</name>
    <message>
        <source>Enter the server&apos;s host name, such as github.example.com.</source>
        <translation>Wpisz nazwę hosta serwera, np. github.example.com.</translation>
    </message>
    <message>
        <source>Enter your GitHub Enterprise Server&apos;s host name.</source>
        <translation>Wpisz nazwę hosta swojego serwera GitHub Enterprise Server.</translation>
    </message>
    <message>
        <source>A GitHub Enterprise Server is reached over https.</source>
        <translation>Z serwerem GitHub Enterprise Server łączy się przez https.</translation>
    </message>
    <message>
        <source>%1 is GitHub.com itself: choose GitHub.com instead.</source>
        <extracomment>%1 is the host name typed, such as &quot;api.github.com&quot;</extracomment>
        <translation>%1 to sam GitHub.com: wybierz GitHub.com.</translation>
    </message>
</context>
<context>
    <name>GitHubError</name>
    <message>
        <source>Invalid URL: %1</source>
        <extracomment>%1 is the address that could not be parsed</extracomment>
        <translation>Nieprawidłowy adres: %1</translation>
    </message>
    <message>
        <source>API Error [%1]: HTTP %2 - %3</source>
        <extracomment>%1 names the request (e.g. &quot;search/issues (author)&quot;), %2 is the HTTP status, %3 the start of the server&apos;s answer</extracomment>
        <translation>Błąd API [%1]: HTTP %2 - %3</translation>
    </message>
    <message>
        <source>Network Error [%1]: %2</source>
        <extracomment>%1 names the request, %2 is the network&apos;s own error text</extracomment>
        <translation>Błąd sieci [%1]: %2</translation>
    </message>
    <message>
        <source>JSON Decode Error [%1]: %2 - Response: %3</source>
        <extracomment>%1 names the request, %2 says what in the answer was wrong, %3 is the start of the answer</extracomment>
        <translation>Błąd dekodowania JSON [%1]: %2 - Odpowiedź: %3</translation>
    </message>
    <message>
        <source>GitHub rejected the access token (HTTP 401).</source>
        <translation>GitHub odrzucił token dostępu (HTTP 401).</translation>
    </message>
    <message>
        <source>Non-HTTP response</source>
        <translation>Odpowiedź spoza HTTP</translation>
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
    <name>Network</name>
    <message>
        <source>GitHub redirected the request more than %1 times; Norvane stopped following it.</source>
        <translation>GitHub przekierował żądanie więcej niż %1 razy; Norvane przestał za nim podążać.</translation>
    </message>
    <message>
        <source>The TLS certificate of %1 could not be verified (%2). Norvane does not connect without a verified certificate; check the system&apos;s certificates, or a proxy that intercepts HTTPS.</source>
        <extracomment>%1 is the server&apos;s host name, %2 the TLS library&apos;s own words</extracomment>
        <translation>Nie udało się zweryfikować certyfikatu TLS serwera %1 (%2). Norvane nie łączy się bez zweryfikowanego certyfikatu; sprawdź certyfikaty systemu lub serwer pośredniczący, który przechwytuje HTTPS.</translation>
    </message>
    <message>
        <source>GitHub redirected the request to %1; Norvane does not send your token to another host.</source>
        <extracomment>%1 is the host the request was sent on to, e.g. &quot;evil.example.com&quot; or &quot;http://api.github.com&quot;</extracomment>
        <translation>GitHub przekierował żądanie do %1; Norvane nie wysyła tokenu do innego hosta.</translation>
    </message>
    <message>
        <source>%1 MiB</source>
        <translation>%1 MiB</translation>
    </message>
    <message numerus="yes">
        <source>%n byte(s)</source>
        <translation>
            <numerusform>%n bajt</numerusform>
            <numerusform>%n bajty</numerusform>
            <numerusform>%n bajtów</numerusform>
        </translation>
    </message>
    <message>
        <source>The reply from %1 was larger than %2; Norvane stopped reading it.</source>
        <extracomment>%1 is the server&apos;s host name, %2 a size such as &quot;32 MiB&quot;</extracomment>
        <translation>Odpowiedź z %1 była większa niż %2; Norvane przerwał jej odczyt.</translation>
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
    <name>PRRow</name>
    <message>
        <source>(No comment)</source>
        <translation>(Brak komentarza)</translation>
    </message>
    <message>
        <source>New commits</source>
        <translation>Nowe commity</translation>
    </message>
    <message>
        <source>New review</source>
        <translation>Nowa recenzja</translation>
    </message>
    <message>
        <source>New comments</source>
        <translation>Nowe komentarze</translation>
    </message>
    <message>
        <source>CI status changed</source>
        <translation>Zmienił się stan CI</translation>
    </message>
    <message>
        <source>Pending</source>
        <translation>Oczekuje</translation>
    </message>
    <message>
        <source>Passing</source>
        <translation>Przechodzi</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Nieudane</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Błąd</translation>
    </message>
    <message>
        <source>Role: Author</source>
        <extracomment>The user&apos;s part in a pull request, on its row</extracomment>
        <translation>Rola: autor</translation>
    </message>
    <message>
        <source>Role: Reviewer</source>
        <translation>Rola: recenzent</translation>
    </message>
    <message>
        <source>Role: Assigned</source>
        <translation>Rola: przypisany</translation>
    </message>
    <message>
        <source>Already approved</source>
        <translation>Już zatwierdzony</translation>
    </message>
    <message>
        <source>Another reviewer has already approved this PR</source>
        <translation>Inny recenzent już zatwierdził ten PR</translation>
    </message>
    <message>
        <source>Ready to merge</source>
        <translation>Gotowy do scalenia</translation>
    </message>
    <message>
        <source>Approved, CI failing</source>
        <translation>Zatwierdzony, CI nie przechodzi</translation>
    </message>
    <message>
        <source>Approved, waiting on CI</source>
        <translation>Zatwierdzony, czeka na CI</translation>
    </message>
    <message>
        <source>Needs changes</source>
        <translation>Wymaga zmian</translation>
    </message>
    <message numerus="yes">
        <source>%n review comment(s)</source>
        <translation>
            <numerusform>%n komentarz recenzji</numerusform>
            <numerusform>%n komentarze recenzji</numerusform>
            <numerusform>%n komentarzy recenzji</numerusform>
        </translation>
    </message>
    <message>
        <source>Review requested from @%1 %2</source>
        <extracomment>%1 is a team (&quot;org/slug&quot;), %2 a relative time such as &quot;5 min. ago&quot;</extracomment>
        <translation>Poproszono @%1 o recenzję %2</translation>
    </message>
    <message>
        <source>Requested your review %1</source>
        <extracomment>%1 is a relative time such as &quot;5 min. ago&quot;</extracomment>
        <translation>Poproszono Cię o recenzję %1</translation>
    </message>
    <message>
        <source>Author: %1</source>
        <extracomment>%1 is the pull request&apos;s author</extracomment>
        <translation>Autor: %1</translation>
    </message>
    <message>
        <source>Draft</source>
        <translation>Szkic</translation>
    </message>
    <message>
        <source>CI: %1</source>
        <extracomment>Spoken: %1 is the CI&apos;s verdict, such as &quot;Passing&quot;</extracomment>
        <translation>CI: %1</translation>
    </message>
    <message>
        <source>Waiting on: %1</source>
        <extracomment>Spoken: %1 lists the reviewers still awaited</extracomment>
        <translation>Czeka na: %1</translation>
    </message>
    <message>
        <source>Changes requested by %1 %2: %3</source>
        <extracomment>Spoken: %1 is the reviewer&apos;s login, %2 a relative time such as &quot;2 hr. ago&quot;, %3 the review&apos;s first line in quotes</extracomment>
        <translation>Prośba o zmiany od %1 %2: %3</translation>
    </message>
    <message>
        <source>%1 %2, %3</source>
        <extracomment>A row&apos;s spoken name: %1 is the repository, %2 the number (&quot;#12&quot;), %3 the title</extracomment>
        <translation>%1 %2, %3</translation>
    </message>
</context>
<context>
    <name>PRRowMenu</name>
    <message>
        <source>until it changes</source>
        <translation>do następnej zmiany</translation>
    </message>
    <message>
        <source>ddd d MMM</source>
        <extracomment>The date of a snooze&apos;s end in Qt&apos;s date pattern (ddd: weekday, d: day, MMM: month), e.g. &quot;Tue 9 Dec&quot;</extracomment>
        <translation>ddd d MMM</translation>
    </message>
    <message>
        <source>until %1, %2</source>
        <extracomment>A snooze&apos;s end: %1 is the day, such as &quot;Tue 9 Dec&quot;, %2 the time of day</extracomment>
        <translation>do %1, %2</translation>
    </message>
    <message>
        <source>Pull request #%1</source>
        <translation>Pull request #%1</translation>
    </message>
    <message>
        <source>Open in Browser</source>
        <translation>Otwórz w przeglądarce</translation>
    </message>
    <message>
        <source>Copy Link</source>
        <translation>Kopiuj odnośnik</translation>
    </message>
    <message>
        <source>Copy Branch Name</source>
        <translation>Kopiuj nazwę gałęzi</translation>
    </message>
    <message>
        <source>Copy Checkout Command</source>
        <translation>Kopiuj polecenie checkout</translation>
    </message>
    <message>
        <source>Snooze until it changes</source>
        <translation>Odłóż do następnej zmiany</translation>
    </message>
    <message>
        <source>Snooze for a day</source>
        <translation>Odłóż na dzień</translation>
    </message>
    <message>
        <source>Snooze for a week</source>
        <translation>Odłóż na tydzień</translation>
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
    <name>PullRequestText</name>
    <message>
        <source>All</source>
        <extracomment>A filter chip of the pull-request tab (short: six chips share a 560 px row)</extracomment>
        <translation>Razem</translation>
    </message>
    <message>
        <source>Review</source>
        <extracomment>A filter chip: pull requests whose review is asked of the user or assigned to them</extracomment>
        <translation>Ocena</translation>
    </message>
    <message>
        <source>Pending</source>
        <extracomment>A filter chip: the user&apos;s own pull requests still waiting for a review</extracomment>
        <translation>Czekają</translation>
    </message>
    <message>
        <source>Approved</source>
        <extracomment>A filter chip: the user&apos;s own approved pull requests</extracomment>
        <translation>Przyjęte</translation>
    </message>
    <message>
        <source>Changes</source>
        <extracomment>A filter chip: the user&apos;s own pull requests with changes requested</extracomment>
        <translation>Zmiany</translation>
    </message>
    <message>
        <source>Drafts</source>
        <extracomment>A filter chip: the user&apos;s own draft pull requests</extracomment>
        <translation>Szkice</translation>
    </message>
    <message>
        <source>Updated</source>
        <extracomment>A sort order of the pull-request list, after &quot;Sort by:&quot;</extracomment>
        <translation>Zmiana</translation>
    </message>
    <message>
        <source>Created</source>
        <extracomment>A sort order of the pull-request list, after &quot;Sort by:&quot;</extracomment>
        <translation>Utworzenie</translation>
    </message>
    <message>
        <source>Repository</source>
        <extracomment>A sort order of the pull-request list, after &quot;Sort by:&quot;</extracomment>
        <translation>Repozytorium</translation>
    </message>
    <message>
        <source>PR #</source>
        <extracomment>A sort order of the pull-request list, after &quot;Sort by:&quot;: by the pull request&apos;s number</extracomment>
        <translation>Nr PR</translation>
    </message>
    <message>
        <source>GitHub no longer accepts the token for %1.</source>
        <extracomment>%1 is the account&apos;s login</extracomment>
        <translation>GitHub nie akceptuje już tokenu konta %1.</translation>
    </message>
    <message numerus="yes">
        <source>%n review request(s)</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n prośba o recenzję</numerusform>
            <numerusform>%n prośby o recenzję</numerusform>
            <numerusform>%n próśb o recenzję</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n assigned to you</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n przypisany do Ciebie</numerusform>
            <numerusform>%n przypisane do Ciebie</numerusform>
            <numerusform>%n przypisanych do Ciebie</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n with changes requested</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n z prośbą o zmiany</numerusform>
            <numerusform>%n z prośbą o zmiany</numerusform>
            <numerusform>%n z prośbą o zmiany</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n approved</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n zatwierdzony</numerusform>
            <numerusform>%n zatwierdzone</numerusform>
            <numerusform>%n zatwierdzonych</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n pull request(s) need(s) you: %1</source>
        <extracomment>The tray icon&apos;s tooltip; %1 lists the parts, such as &quot;2 review requests, 1 approved&quot;</extracomment>
        <translation>
            <numerusform>%n pull request czeka na Ciebie: %1</numerusform>
            <numerusform>%n pull requesty czekają na Ciebie: %1</numerusform>
            <numerusform>%n pull requestów czeka na Ciebie: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RelativeTime</name>
    <message numerus="yes">
        <source>%n sec. ago</source>
        <translation>
            <numerusform>%n sek. temu</numerusform>
            <numerusform>%n sek. temu</numerusform>
            <numerusform>%n sek. temu</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n sec.</source>
        <translation>
            <numerusform>za %n sek.</numerusform>
            <numerusform>za %n sek.</numerusform>
            <numerusform>za %n sek.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n min. ago</source>
        <translation>
            <numerusform>%n min temu</numerusform>
            <numerusform>%n min temu</numerusform>
            <numerusform>%n min temu</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n min.</source>
        <translation>
            <numerusform>za %n min</numerusform>
            <numerusform>za %n min</numerusform>
            <numerusform>za %n min</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n hr. ago</source>
        <translation>
            <numerusform>%n godz. temu</numerusform>
            <numerusform>%n godz. temu</numerusform>
            <numerusform>%n godz. temu</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n hr.</source>
        <translation>
            <numerusform>za %n godz.</numerusform>
            <numerusform>za %n godz.</numerusform>
            <numerusform>za %n godz.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n day(s) ago</source>
        <translation>
            <numerusform>%n dzień temu</numerusform>
            <numerusform>%n dni temu</numerusform>
            <numerusform>%n dni temu</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n day(s)</source>
        <translation>
            <numerusform>za %n dzień</numerusform>
            <numerusform>za %n dni</numerusform>
            <numerusform>za %n dni</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n wk. ago</source>
        <translation>
            <numerusform>%n tydz. temu</numerusform>
            <numerusform>%n tyg. temu</numerusform>
            <numerusform>%n tyg. temu</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n wk.</source>
        <translation>
            <numerusform>za %n tydz.</numerusform>
            <numerusform>za %n tyg.</numerusform>
            <numerusform>za %n tyg.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n mo. ago</source>
        <translation>
            <numerusform>%n mies. temu</numerusform>
            <numerusform>%n mies. temu</numerusform>
            <numerusform>%n mies. temu</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n mo.</source>
        <translation>
            <numerusform>za %n mies.</numerusform>
            <numerusform>za %n mies.</numerusform>
            <numerusform>za %n mies.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n yr. ago</source>
        <translation>
            <numerusform>%n rok temu</numerusform>
            <numerusform>%n lata temu</numerusform>
            <numerusform>%n lat temu</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n yr.</source>
        <translation>
            <numerusform>za %n rok</numerusform>
            <numerusform>za %n lata</numerusform>
            <numerusform>za %n lat</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TokenCheck</name>
    <message>
        <source>Could not reach GitHub to check this token: %1</source>
        <extracomment>Shown under the token field; %1 is the network&apos;s own error text</extracomment>
        <translation>Nie udało się połączyć z GitHubem, aby sprawdzić ten token: %1</translation>
    </message>
    <message>
        <source>GitHub could not check this token (HTTP %1). Try again in a moment.</source>
        <extracomment>%1 is the HTTP status GitHub answered with</extracomment>
        <translation>GitHub nie mógł sprawdzić tego tokenu (HTTP %1). Spróbuj ponownie za chwilę.</translation>
    </message>
    <message>
        <source>GitHub rejected this token.</source>
        <translation>GitHub odrzucił ten token.</translation>
    </message>
    <message>
        <source>This token belongs to @%1, not @%2.</source>
        <extracomment>%1 is the login the token belongs to, %2 the login that was typed</extracomment>
        <translation>Ten token należy do @%1, a nie do @%2.</translation>
    </message>
</context>
<context>
    <name>norvane::ChangeNotifier</name>
    <message>
        <source>✅ Notifications working</source>
        <translation>✅ Powiadomienia działają</translation>
    </message>
    <message>
        <source>Norvane can deliver notifications on this device.</source>
        <translation>Norvane może wyświetlać powiadomienia na tym urządzeniu.</translation>
    </message>
    <message>
        <source>👀 Review Requested</source>
        <extracomment>A notification&apos;s title (the emoji stays first)</extracomment>
        <translation>👀 Prośba o recenzję</translation>
    </message>
    <message>
        <source>%1 requested a review from @%2 on &apos;%3&apos;</source>
        <extracomment>A notification: %1 is the author&apos;s login, %2 a team (&quot;org/slug&quot;), %3 the title</extracomment>
        <translation>%1 prosi @%2 o recenzję „%3”</translation>
    </message>
    <message>
        <source>Someone</source>
        <translation>Ktoś</translation>
    </message>
    <message>
        <source>%1 requested your review on &apos;%2&apos;</source>
        <extracomment>A notification: %1 is the author&apos;s login, %2 the pull request&apos;s title</extracomment>
        <translation>%1 prosi Cię o recenzję „%2”</translation>
    </message>
    <message>
        <source>🔧 Changes Requested</source>
        <extracomment>A notification&apos;s title (the emoji stays first)</extracomment>
        <translation>🔧 Prośba o zmiany</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs changes before it can merge</source>
        <extracomment>A notification: %1 is the pull request&apos;s title</extracomment>
        <translation>„%1” wymaga zmian przed scaleniem</translation>
    </message>
    <message>
        <source>✅ PR Approved</source>
        <extracomment>A notification&apos;s title (the emoji stays first)</extracomment>
        <translation>✅ PR zatwierdzony</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is ready to merge</source>
        <extracomment>A notification: %1 is the pull request&apos;s title</extracomment>
        <translation>„%1” jest gotowy do scalenia</translation>
    </message>
    <message>
        <source>Notifications require running from .app bundle</source>
        <translation>Powiadomienia wymagają uruchomienia z pakietu .app</translation>
    </message>
    <message>
        <source>Review Requested</source>
        <extracomment>The title of a test notification</extracomment>
        <translation>Prośba o recenzję</translation>
    </message>
    <message>
        <source>teammate requested your review on &apos;Add new authentication feature&apos;</source>
        <extracomment>A test notification; &quot;teammate&quot; stands for a login, the quoted text for a title</extracomment>
        <translation>teammate prosi Cię o recenzję „Dodaj nową funkcję uwierzytelniania”</translation>
    </message>
    <message>
        <source>Changes Requested</source>
        <extracomment>The title of a test notification</extracomment>
        <translation>Prośba o zmiany</translation>
    </message>
    <message>
        <source>Your PR &apos;Fix critical bug in payment processing&apos; needs changes</source>
        <extracomment>A test notification; the quoted text stands for a title</extracomment>
        <translation>Twój PR „Napraw krytyczny błąd w obsłudze płatności” wymaga zmian</translation>
    </message>
    <message>
        <source>PR Approved!</source>
        <extracomment>The title of a test notification</extracomment>
        <translation>PR zatwierdzony!</translation>
    </message>
    <message>
        <source>Your PR &apos;Update dependencies to latest versions&apos; was approved</source>
        <extracomment>A test notification; the quoted text stands for a title</extracomment>
        <translation>Twój PR „Zaktualizuj zależności do najnowszych wersji” został zatwierdzony</translation>
    </message>
    <message>
        <source>Notifications denied. Enable in System Settings → Notifications → Norvane</source>
        <translation>Powiadomienia zablokowane. Włącz je w Ustawieniach systemu → Powiadomienia → Norvane</translation>
    </message>
    <message>
        <source>Notification permission not requested yet. Requesting now...</source>
        <translation>Nie poproszono jeszcze o zgodę na powiadomienia. Prośba zostanie wysłana teraz…</translation>
    </message>
    <message>
        <source>Permission granted! Try again.</source>
        <translation>Zgoda udzielona! Spróbuj ponownie.</translation>
    </message>
    <message>
        <source>Permission denied. Enable in System Settings → Notifications → Norvane</source>
        <translation>Odmowa zgody. Włącz powiadomienia w Ustawieniach systemu → Powiadomienia → Norvane</translation>
    </message>
    <message>
        <source>Notification failed: %1</source>
        <extracomment>%1 is the desktop&apos;s reason</extracomment>
        <translation>Powiadomienie nie powiodło się: %1</translation>
    </message>
    <message>
        <source>Notification sent! Check Notification Center if not visible.</source>
        <translation>Powiadomienie wysłane! Jeśli go nie widać, sprawdź centrum powiadomień.</translation>
    </message>
</context>
<context>
    <name>norvane::PRViewModel</name>
    <message>
        <source>Failed to retrieve token for %1. Add token in Settings.</source>
        <extracomment>%1 is the account&apos;s login</extracomment>
        <translation>Nie udało się odczytać tokenu konta %1. Dodaj token w Ustawieniach.</translation>
    </message>
    <message>
        <source>No account is selected.</source>
        <translation>Nie wybrano konta.</translation>
    </message>
    <message>
        <source>Norvane could not read the token of %1.</source>
        <translation>Norvane nie może odczytać tokenu konta %1.</translation>
    </message>
</context>
<context>
    <name>norvane::PollSchedule</name>
    <message>
        <source>GitHub&apos;s rate limit: Norvane checks again at %1.</source>
        <extracomment>Under the pull-request tab&apos;s bars; %1 is a time of day</extracomment>
        <translation>Limit zapytań GitHuba: Norvane sprawdzi ponownie o %1.</translation>
    </message>
    <message>
        <source>Norvane will try again at %1.</source>
        <extracomment>Ends an error line of the pull-request tab; %1 is a time of day</extracomment>
        <translation>Norvane spróbuje ponownie o %1.</translation>
    </message>
</context>
<context>
    <name>norvane::RepoActivityModel</name>
    <message>
        <source>Failed to retrieve token for %1.</source>
        <translation>Nie udało się odczytać tokenu konta %1.</translation>
    </message>
    <message>
        <source>Token expired. Re-authenticate in Settings.</source>
        <translation>Token wygasł. Uwierzytelnij się ponownie w Ustawieniach.</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Nieznany błąd</translation>
    </message>
</context>
<context>
    <name>norvane::SignInModel</name>
    <message>
        <source>Username and token are required</source>
        <translation>Nazwa użytkownika i token są wymagane</translation>
    </message>
</context>
<context>
    <name>norvane::ui::AddAccountView</name>
    <message>
        <source>Open %1/login/device</source>
        <extracomment>The button that opens the page where the code is entered; %1 is the server, e.g. &quot;github.com&quot;</extracomment>
        <translation>Otwórz %1/login/device</translation>
    </message>
    <message>
        <source>Create a token at %1/settings/tokens</source>
        <extracomment>A link to the server&apos;s page of tokens; %1 is the server, e.g. &quot;github.com&quot;</extracomment>
        <translation>Utwórz token na %1/settings/tokens</translation>
    </message>
    <message>
        <source>Reconnect %1</source>
        <extracomment>The sheet&apos;s title when an account signs in again; %1 is its login</extracomment>
        <translation>Połącz ponownie %1</translation>
    </message>
    <message>
        <source>Add GitHub Account</source>
        <translation>Dodaj konto GitHuba</translation>
    </message>
    <message>
        <source>Label (optional)</source>
        <translation>Etykieta (opcjonalnie)</translation>
    </message>
    <message>
        <source>e.g., Personal, Work</source>
        <extracomment>Examples of an account&apos;s label</extracomment>
        <translation>np. Prywatne, Praca</translation>
    </message>
    <message>
        <source>Helps differentiate multiple GitHub accounts</source>
        <translation>Pomaga odróżnić kilka kont GitHuba</translation>
    </message>
    <message>
        <source>Norvane will open GitHub in your browser.
No passwords are stored in the app.</source>
        <translation>Norvane otworzy GitHuba w przeglądarce.
Aplikacja nie przechowuje żadnych haseł.</translation>
    </message>
    <message>
        <source>Connect with GitHub</source>
        <translation>Połącz z GitHubem</translation>
    </message>
    <message>
        <source>Use a Personal Access Token instead</source>
        <translation>Użyj zamiast tego osobistego tokenu dostępu</translation>
    </message>
    <message>
        <source>Connecting to GitHub…</source>
        <translation>Łączenie z GitHubem…</translation>
    </message>
    <message>
        <source>Enter this code at GitHub:</source>
        <translation>Wpisz ten kod na GitHubie:</translation>
    </message>
    <message>
        <source>Copy Code</source>
        <translation>Skopiuj kod</translation>
    </message>
    <message>
        <source>Waiting for you to authorize in the browser…</source>
        <translation>Oczekiwanie na autoryzację w przeglądarce…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Try Again</source>
        <translation>Spróbuj ponownie</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Wstecz</translation>
    </message>
    <message>
        <source>username</source>
        <extracomment>Placeholder of the login field</extracomment>
        <translation>nazwa użytkownika</translation>
    </message>
    <message>
        <source>GitHub Username</source>
        <translation>Nazwa użytkownika GitHuba</translation>
    </message>
    <message>
        <source>ghp_…</source>
        <extracomment>Placeholder of the token field: how a token begins; keep it as it is</extracomment>
        <translation>ghp_…</translation>
    </message>
    <message>
        <source>Personal Access Token</source>
        <translation>Osobisty token dostępu</translation>
    </message>
    <message>
        <source>Required scopes: repo (or public_repo for public repos only)</source>
        <extracomment>&quot;repo&quot; and &quot;public_repo&quot; are GitHub&apos;s names of the scopes: keep them as they are</extracomment>
        <translation>Wymagane zakresy: repo (lub public_repo tylko dla publicznych repozytoriów)</translation>
    </message>
    <message>
        <source>Add Account</source>
        <translation>Dodaj konto</translation>
    </message>
    <message>
        <source>Checking…</source>
        <translation>Sprawdzanie…</translation>
    </message>
    <message>
        <source>Saving the token…</source>
        <translation>Zapisywanie tokenu…</translation>
    </message>
    <message>
        <source>Asking GitHub whose token this is…</source>
        <translation>Sprawdzanie w GitHubie, do kogo należy token…</translation>
    </message>
    <message>
        <source>GitHub.com</source>
        <extracomment>The two kinds of server, by their product names</extracomment>
        <translation>GitHub.com</translation>
    </message>
    <message>
        <source>GitHub Enterprise Server</source>
        <translation>GitHub Enterprise Server</translation>
    </message>
    <message>
        <source>Server</source>
        <extracomment>Spoken name of the choice between GitHub.com and an Enterprise Server</extracomment>
        <translation>Serwer</translation>
    </message>
    <message>
        <source>Host</source>
        <extracomment>The field&apos;s placeholder: an example of a server&apos;s host name</extracomment>
        <translation>Host</translation>
    </message>
    <message>
        <source>github.example.com</source>
        <translation>github.example.com</translation>
    </message>
    <message>
        <source>OAuth App client ID (optional)</source>
        <extracomment>&quot;Connect&quot; is the button &quot;Connect with GitHub&quot;</extracomment>
        <translation>Identyfikator klienta aplikacji OAuth (opcjonalnie)</translation>
    </message>
    <message>
        <source>the server&apos;s OAuth App, for Connect</source>
        <translation>aplikacja OAuth serwera, dla „Połącz”</translation>
    </message>
    <message>
        <source>GitHub Enterprise Server: %1</source>
        <extracomment>%1 is the server&apos;s host name</extracomment>
        <translation>GitHub Enterprise Server: %1</translation>
    </message>
    <message>
        <source>Create a token on your server, under Settings, Developer settings</source>
        <translation>Utwórz token na swoim serwerze, w Settings, Developer settings</translation>
    </message>
</context>
<context>
    <name>norvane::ui::AlertCard</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
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
    <name>norvane::ui::DashboardView</name>
    <message>
        <source>Loading repos...</source>
        <translation>Wczytywanie repozytoriów…</translation>
    </message>
    <message>
        <source>No watched repos</source>
        <translation>Brak obserwowanych repozytoriów</translation>
    </message>
    <message>
        <source>Add repos in Settings to see a dashboard here</source>
        <translation>Dodaj repozytoria w Ustawieniach, aby zobaczyć tu przegląd</translation>
    </message>
</context>
<context>
    <name>norvane::ui::IssuesView</name>
    <message>
        <source>Repository:</source>
        <translation>Repozytorium:</translation>
    </message>
    <message>
        <source>Repository</source>
        <translation>Repozytorium</translation>
    </message>
    <message>
        <source>Show all repositories</source>
        <translation>Pokaż wszystkie repozytoria</translation>
    </message>
    <message>
        <source>Loading issues...</source>
        <translation>Wczytywanie zgłoszeń…</translation>
    </message>
    <message>
        <source>No watched repos</source>
        <translation>Brak obserwowanych repozytoriów</translation>
    </message>
    <message>
        <source>Add repos in Settings to see their issues here</source>
        <translation>Dodaj repozytoria w Ustawieniach, aby zobaczyć tu ich zgłoszenia</translation>
    </message>
    <message>
        <source>No open issues</source>
        <translation>Brak otwartych zgłoszeń</translation>
    </message>
    <message>
        <source>All clear for the selected repos</source>
        <translation>Wszystko załatwione w wybranych repozytoriach</translation>
    </message>
    <message>
        <source>All Repositories</source>
        <translation>Wszystkie repozytoria</translation>
    </message>
</context>
<context>
    <name>norvane::ui::PRRowView</name>
    <message>
        <source>CI:</source>
        <extracomment>Shown before the CI&apos;s verdict, such as &quot;✔ Passing&quot;</extracomment>
        <translation>CI:</translation>
    </message>
    <message>
        <source>Waiting on:</source>
        <extracomment>Shown before the logins of the reviewers still awaited</extracomment>
        <translation>Czeka na:</translation>
    </message>
    <message>
        <source>DRAFT</source>
        <translation>SZKIC</translation>
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
<context>
    <name>norvane::ui::PullRequestTab</name>
    <message>
        <source>Reconnect</source>
        <translation>Połącz ponownie</translation>
    </message>
    <message>
        <source>Loading PRs...</source>
        <translation>Wczytywanie PR-ów…</translation>
    </message>
    <message>
        <source>All caught up!</source>
        <translation>Wszystko załatwione!</translation>
    </message>
    <message>
        <source>Pull requests not loaded</source>
        <translation>Nie wczytano pull requestów</translation>
    </message>
    <message>
        <source>Add a GitHub account in Settings</source>
        <translation>Dodaj konto GitHub w Ustawieniach</translation>
    </message>
    <message>
        <source>No PRs match this filter</source>
        <translation>Żaden PR nie pasuje do tego filtra</translation>
    </message>
    <message>
        <source>Reconnect %1 to load its pull requests.</source>
        <translation>Połącz ponownie konto %1, aby wczytać jego pull requesty.</translation>
    </message>
    <message>
        <source>Refresh to try loading the pull requests of %1 again.</source>
        <translation>Odśwież, aby ponownie spróbować wczytać pull requesty konta %1.</translation>
    </message>
    <message>
        <source>All Repositories (%1)</source>
        <extracomment>The repository menu&apos;s first entry; %1 counts the pull requests shown</extracomment>
        <translation>Wszystkie repozytoria (%1)</translation>
    </message>
    <message>
        <source>Repository:</source>
        <translation>Repozytorium:</translation>
    </message>
    <message>
        <source>Repository</source>
        <translation>Repozytorium</translation>
    </message>
    <message>
        <source>Show all repositories</source>
        <translation>Pokaż wszystkie repozytoria</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Wybierz</translation>
    </message>
    <message>
        <source>Remove from Favorites</source>
        <translation>Usuń z ulubionych</translation>
    </message>
    <message>
        <source>Add to Favorites</source>
        <translation>Dodaj do ulubionych</translation>
    </message>
    <message>
        <source>Block Repository</source>
        <translation>Zablokuj repozytorium</translation>
    </message>
    <message>
        <source>Block all from %1</source>
        <extracomment>%1 is a repository&apos;s owner, a user or an organization</extracomment>
        <translation>Zablokuj wszystkie od %1</translation>
    </message>
    <message>
        <source>Unsnooze</source>
        <translation>Cofnij odłożenie</translation>
    </message>
    <message numerus="yes">
        <source>Snoozed %n</source>
        <extracomment>The button that lists the snoozed pull requests, with their count</extracomment>
        <translation>
            <numerusform>Odłożone: %n</numerusform>
            <numerusform>Odłożone: %n</numerusform>
            <numerusform>Odłożone: %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Sort by: %1</source>
        <extracomment>The sort button; %1 is the sort order, such as &quot;Updated&quot;</extracomment>
        <translation>Sortuj: %1</translation>
    </message>
    <message>
        <source>Sections</source>
        <translation>Sekcje</translation>
    </message>
    <message>
        <source>The search failed: %1</source>
        <translation>Wyszukiwanie nie powiodło się: %1</translation>
    </message>
</context>
<context>
    <name>norvane::ui::SectionsEditor</name>
    <message>
        <source>Your own GitHub searches, each a chip after the filters. &quot;is:pr is:open archived:false&quot; is added unless the query says otherwise.</source>
        <translation>Własne wyszukiwania w GitHubie, każde jako przycisk za filtrami. Dodawane jest „is:pr is:open archived:false”, chyba że zapytanie mówi inaczej.</translation>
    </message>
    <message>
        <source>Section name</source>
        <translation>Nazwa sekcji</translation>
    </message>
    <message>
        <source>Section query</source>
        <translation>Zapytanie sekcji</translation>
    </message>
    <message>
        <source>org:northwind label:urgent</source>
        <translation>org:northwind label:urgent</translation>
    </message>
    <message>
        <source>Notify</source>
        <translation>Powiadamiaj</translation>
    </message>
    <message>
        <source>Notify for this section&apos;s pull requests</source>
        <translation>Powiadamiaj o pull requestach tej sekcji</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nazwa</translation>
    </message>
    <message>
        <source>Query</source>
        <translation>Zapytanie</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Zapisz</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Add Section…</source>
        <translation>Dodaj sekcję…</translation>
    </message>
    <message>
        <source>%1 — %2 (notifies)</source>
        <translation>%1 — %2 (powiadamia)</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edytuj</translation>
    </message>
    <message>
        <source>Edit section %1</source>
        <translation>Edytuj sekcję %1</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>W górę</translation>
    </message>
    <message>
        <source>Move section %1 up</source>
        <translation>Przesuń sekcję %1 w górę</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>W dół</translation>
    </message>
    <message>
        <source>Move section %1 down</source>
        <translation>Przesuń sekcję %1 w dół</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Usuń</translation>
    </message>
    <message>
        <source>Remove section %1</source>
        <translation>Usuń sekcję %1</translation>
    </message>
    <message>
        <source>A section needs a name.</source>
        <translation>Sekcja musi mieć nazwę.</translation>
    </message>
    <message>
        <source>A section needs a query.</source>
        <translation>Sekcja musi mieć zapytanie.</translation>
    </message>
    <message>
        <source>Another section is already called &quot;%1&quot;.</source>
        <translation>Inna sekcja nazywa się już „%1”.</translation>
    </message>
    <message numerus="yes">
        <source>An account holds at most %n section(s).</source>
        <translation>
            <numerusform>Konto może mieć najwyżej %n sekcję.</numerusform>
            <numerusform>Konto może mieć najwyżej %n sekcje.</numerusform>
            <numerusform>Konto może mieć najwyżej %n sekcji.</numerusform>
        </translation>
    </message>
    <message>
        <source>Checking the query with GitHub…</source>
        <translation>Sprawdzanie zapytania w GitHubie…</translation>
    </message>
    <message>
        <source>The sections changed meanwhile: try again.</source>
        <translation>Sekcje zmieniły się w międzyczasie: spróbuj ponownie.</translation>
    </message>
    <message numerus="yes">
        <source>Matches %n pull request(s).</source>
        <translation>
            <numerusform>Pasuje %n pull request.</numerusform>
            <numerusform>Pasują %n pull requesty.</numerusform>
            <numerusform>Pasuje %n pull requestów.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>norvane::ui::SettingsView</name>
    <message>
        <source>Watch %1</source>
        <extracomment>Tooltip of a suggested repository; %1 is its owner/name</extracomment>
        <translation>Obserwuj %1</translation>
    </message>
    <message>
        <source>No accounts configured</source>
        <translation>Brak skonfigurowanych kont</translation>
    </message>
    <message>
        <source>Reconnect</source>
        <translation>Połącz ponownie</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <extracomment>Spoken name of the trash button of an account; %1 is the account&apos;s name (and server)</extracomment>
        <translation>Usuń %1</translation>
    </message>
    <message>
        <source>Notification Permission: %1</source>
        <extracomment>%1 is one of &quot;Not Requested&quot;, &quot;Denied&quot;, &quot;Enabled&quot;, &quot;Checking...&quot;</extracomment>
        <translation>Zgoda na powiadomienia: %1</translation>
    </message>
    <message>
        <source>No blocked repos or orgs</source>
        <translation>Brak zablokowanych repozytoriów i organizacji</translation>
    </message>
    <message>
        <source>all repos</source>
        <extracomment>A small badge beside a blocked organisation: every repository of it is blocked</extracomment>
        <translation>wszystkie repozytoria</translation>
    </message>
    <message>
        <source>Unblock</source>
        <translation>Odblokuj</translation>
    </message>
    <message>
        <source>No favorite repositories</source>
        <translation>Brak ulubionych repozytoriów</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Usuń</translation>
    </message>
    <message>
        <source>e.g. apple/swift or your-org/your-repo</source>
        <translation>np. apple/swift lub twoja-org/twoje-repo</translation>
    </message>
    <message>
        <source>Repository to watch for %1</source>
        <extracomment>Spoken name of the field; %1 is the account&apos;s name (and server)</extracomment>
        <translation>Repozytorium do obserwowania dla %1</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Dodaj</translation>
    </message>
    <message>
        <source>No repos watched</source>
        <translation>Brak obserwowanych repozytoriów</translation>
    </message>
    <message>
        <source>Stop watching %1</source>
        <translation>Przestań obserwować %1</translation>
    </message>
    <message>
        <source>From your PR activity:</source>
        <extracomment>Above the repositories of the user&apos;s pull requests, offered to be watched</extracomment>
        <translation>Z Twoich pull requestów:</translation>
    </message>
    <message>
        <source>Enter an org (my-org) or repo (my-org/repo)</source>
        <translation>Podaj organizację (moja-org) lub repozytorium (moja-org/repo)</translation>
    </message>
    <message>
        <source>Use format: owner/repo</source>
        <translation>Użyj formatu: właściciel/repo</translation>
    </message>
    <message>
        <source>Already watching %1</source>
        <translation>Repozytorium %1 jest już obserwowane</translation>
    </message>
    <message>
        <source>Account Not Added</source>
        <translation>Nie dodano konta</translation>
    </message>
    <message>
        <source>The token for @%1 could not be saved in the system keychain, so the account was not added. Make sure the keychain is unlocked, then add the account again.</source>
        <extracomment>%1 is the login of the account</extracomment>
        <translation>Nie udało się zapisać tokenu @%1 w systemowej bazie kluczy, więc nie dodano konta. Upewnij się, że baza kluczy jest odblokowana, i dodaj konto ponownie.</translation>
    </message>
    <message>
        <source>Account Mismatch</source>
        <translation>Niezgodne konto</translation>
    </message>
    <message>
        <source>Reconnect Failed</source>
        <translation>Nie udało się połączyć ponownie</translation>
    </message>
    <message>
        <source>The new token for @%1 could not be saved in the system keychain. Make sure the keychain is unlocked, then reconnect again.</source>
        <extracomment>%1 is the login of the account</extracomment>
        <translation>Nie udało się zapisać nowego tokenu @%1 w systemowej bazie kluczy. Upewnij się, że baza kluczy jest odblokowana, i połącz ponownie.</translation>
    </message>
    <message>
        <source>Unknown</source>
        <extracomment>Stands for the version of a program that carries none: &quot;Version Unknown&quot;</extracomment>
        <translation>nieznana</translation>
    </message>
    <message>
        <source>Version %1 (%2)</source>
        <extracomment>In About: %1 is the version, %2 the build number</extracomment>
        <translation>Wersja %1 (%2)</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Wersja %1</translation>
    </message>
    <message>
        <source>Not Requested</source>
        <translation>Nie zapytano</translation>
    </message>
    <message>
        <source>Denied</source>
        <translation>Odmowa</translation>
    </message>
    <message>
        <source>Enabled</source>
        <translation>Włączone</translation>
    </message>
    <message>
        <source>Checking...</source>
        <translation>Sprawdzanie…</translation>
    </message>
    <message numerus="yes">
        <source>%n minute(s)</source>
        <extracomment>A choice of &quot;Check for updates every:&quot;; keep it short, five of them share one row</extracomment>
        <translation>
            <numerusform>%n minuta</numerusform>
            <numerusform>%n minuty</numerusform>
            <numerusform>%n minut</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n hour(s)</source>
        <extracomment>A choice of &quot;Check for updates every:&quot;; keep it short, five of them share one row</extracomment>
        <translation>
            <numerusform>%n godzina</numerusform>
            <numerusform>%n godziny</numerusform>
            <numerusform>%n godzin</numerusform>
        </translation>
    </message>
    <message>
        <source>Signed in as @%1, but this account is @%2. Sign in with the correct GitHub account.</source>
        <extracomment>%1 is the login the browser signed in as, %2 the login of the account being reconnected</extracomment>
        <translation>Zalogowano jako @%1, ale to konto to @%2. Zaloguj się na właściwe konto GitHuba.</translation>
    </message>
    <message>
        <source>GitHub Accounts</source>
        <translation>Konta GitHuba</translation>
    </message>
    <message>
        <source>Add Account</source>
        <translation>Dodaj konto</translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation>Powiadomienia</translation>
    </message>
    <message>
        <source>Get notified when PRs need your attention</source>
        <translation>Otrzymuj powiadomienia, gdy pull requesty wymagają Twojej uwagi</translation>
    </message>
    <message>
        <source>Refresh permission status</source>
        <translation>Odśwież stan zgody</translation>
    </message>
    <message>
        <source>Open Settings</source>
        <translation>Otwórz ustawienia</translation>
    </message>
    <message>
        <source>Review Requests</source>
        <translation>Prośby o recenzję</translation>
    </message>
    <message>
        <source>Notify when someone requests your review on a PR</source>
        <translation>Powiadamiaj, gdy ktoś poprosi Cię o recenzję pull requesta</translation>
    </message>
    <message>
        <source>Team Review Requests</source>
        <translation>Prośby o recenzję do zespołów</translation>
    </message>
    <message>
        <source>Notify when a team you are in is asked for a review, and count it in the badge</source>
        <translation>Powiadamiaj, gdy Twój zespół zostanie poproszony o recenzję, i wliczaj to do licznika</translation>
    </message>
    <message>
        <source>Changes Requested</source>
        <translation>Prośby o zmiany</translation>
    </message>
    <message>
        <source>Notify when your PR receives change requests</source>
        <translation>Powiadamiaj, gdy ktoś poprosi o zmiany w Twoim pull requeście</translation>
    </message>
    <message>
        <source>Approvals</source>
        <translation>Zatwierdzenia</translation>
    </message>
    <message>
        <source>Notify when your PR is approved</source>
        <translation>Powiadamiaj, gdy Twój pull request zostanie zatwierdzony</translation>
    </message>
    <message>
        <source>Check for updates every:</source>
        <translation>Sprawdzaj co:</translation>
    </message>
    <message>
        <source>Polling Interval</source>
        <translation>Częstotliwość sprawdzania</translation>
    </message>
    <message>
        <source>Check for new activity every minute</source>
        <translation>Sprawdzaj nową aktywność co minutę</translation>
    </message>
    <message>
        <source>Uses GitHub&apos;s notification feed: free against your rate limit when nothing changed.</source>
        <translation>Korzysta z powiadomień GitHuba: nie zużywa limitu zapytań, gdy nic się nie zmieniło.</translation>
    </message>
    <message>
        <source>Tray icon:</source>
        <translation>Ikona w zasobniku:</translation>
    </message>
    <message>
        <source>Automatic</source>
        <extracomment>The tray icon&apos;s colours: follow the panel, or always light or dark</extracomment>
        <translation>Automatyczna</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Jasna</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>Ciemna</translation>
    </message>
    <message>
        <source>Tray icon</source>
        <extracomment>Spoken name of the choice of the tray icon&apos;s colour</extracomment>
        <translation>Ikona w zasobniku</translation>
    </message>
    <message>
        <source>Test Notifications</source>
        <translation>Powiadomienia próbne</translation>
    </message>
    <message>
        <source>Review</source>
        <extracomment>Buttons under &quot;Test Notifications&quot;: each sends an example of a review request, of change requests and of an approval</extracomment>
        <translation>Recenzja</translation>
    </message>
    <message>
        <source>Changes</source>
        <translation>Zmiany</translation>
    </message>
    <message>
        <source>Approval</source>
        <translation>Zatwierdzenie</translation>
    </message>
    <message>
        <source>💡 Click a button above to send a test notification</source>
        <translation>💡 Kliknij przycisk powyżej, aby wysłać powiadomienie próbne</translation>
    </message>
    <message>
        <source>Repositories</source>
        <translation>Repozytoria</translation>
    </message>
    <message>
        <source>Manage which repositories appear in Norvane</source>
        <translation>Wybierz, które repozytoria pokazuje Norvane</translation>
    </message>
    <message>
        <source>Blocked Repos &amp; Orgs</source>
        <translation>Zablokowane repozytoria i organizacje</translation>
    </message>
    <message>
        <source>e.g. my-org or my-org/repo</source>
        <translation>np. moja-org lub moja-org/repo</translation>
    </message>
    <message>
        <source>Repository or organization to block</source>
        <translation>Repozytorium lub organizacja do zablokowania</translation>
    </message>
    <message>
        <source>Block</source>
        <translation>Zablokuj</translation>
    </message>
    <message>
        <source>Favorite Repositories</source>
        <translation>Ulubione repozytoria</translation>
    </message>
    <message>
        <source>Tip: Right-click a repository in the dropdown to block or favorite it</source>
        <translation>Wskazówka: kliknij repozytorium na liście rozwijanej prawym przyciskiem, aby je zablokować lub dodać do ulubionych</translation>
    </message>
    <message>
        <source>Watched Repositories</source>
        <translation>Obserwowane repozytoria</translation>
    </message>
    <message>
        <source>Watch any repo you have access to — your own or anyone else&apos;s. Issues and Dashboard data will be fetched for each.</source>
        <translation>Obserwuj dowolne repozytorium, do którego masz dostęp — swoje lub cudze. Dla każdego zostaną pobrane zgłoszenia i dane panelu.</translation>
    </message>
    <message>
        <source>About</source>
        <translation>O programie</translation>
    </message>
    <message>
        <source>Norvane helps you stay on top of GitHub PRs that need your attention.</source>
        <translation>Norvane pomaga śledzić pull requesty na GitHubie, które wymagają Twojej uwagi.</translation>
    </message>
    <message>
        <source>Features:</source>
        <translation>Funkcje:</translation>
    </message>
    <message>
        <source>Review requests</source>
        <translation>Prośby o recenzję</translation>
    </message>
    <message>
        <source>Your open PRs</source>
        <translation>Twoje otwarte pull requesty</translation>
    </message>
    <message>
        <source>Multi-account support</source>
        <translation>Obsługa wielu kont</translation>
    </message>
    <message>
        <source>Secure token storage</source>
        <translation>Bezpieczne przechowywanie tokenów</translation>
    </message>
    <message>
        <source>Start Norvane at login</source>
        <translation>Uruchamiaj Norvane po zalogowaniu</translation>
    </message>
    <message>
        <source>Sections</source>
        <translation>Sekcje</translation>
    </message>
</context>
</TS>
