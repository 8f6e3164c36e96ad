<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Activity</name>
    <message>
        <source>succeeded</source>
        <extracomment>A deploy&apos;s status, after its environment (&quot;production succeeded&quot;)</extracomment>
        <translation>erfolgreich</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
    <message>
        <source>in progress</source>
        <translation>läuft</translation>
    </message>
    <message>
        <source>pending</source>
        <translation>ausstehend</translation>
    </message>
    <message numerus="yes">
        <source>%n open PR(s)</source>
        <extracomment>On a repository&apos;s card of the dashboard</extracomment>
        <translation>
            <numerusform>%n offener PR</numerusform>
            <numerusform>%n offene PRs</numerusform>
        </translation>
    </message>
    <message>
        <source>Deploys today: %1</source>
        <extracomment>On a repository&apos;s card; %1 counts the deploys of the last day</extracomment>
        <translation>Deployments heute: %1</translation>
    </message>
    <message>
        <source>Author: %1</source>
        <extracomment>Spoken: %1 is the issue&apos;s author</extracomment>
        <translation>Autor: %1</translation>
    </message>
    <message numerus="yes">
        <source>%n comment(s)</source>
        <translation>
            <numerusform>%n Kommentar</numerusform>
            <numerusform>%n Kommentare</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Labels: %1 and %n more</source>
        <translation>
            <numerusform>Labels: %1 und %n weiteres</numerusform>
            <numerusform>Labels: %1 und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>Labels: %1</source>
        <translation>Labels: %1</translation>
    </message>
    <message>
        <source>Last commit %1: %2</source>
        <extracomment>Spoken: %1 is a relative time such as &quot;2 hr. ago&quot;, %2 the commit&apos;s message in quotes</extracomment>
        <translation>Letzter Commit %1: %2</translation>
    </message>
    <message>
        <source>Last commit %1</source>
        <translation>Letzter Commit %1</translation>
    </message>
    <message>
        <source>Last commit: %1</source>
        <translation>Letzter Commit: %1</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <extracomment>Spoken: %1 is a deploy&apos;s environment, %2 its status, such as &quot;succeeded&quot;</extracomment>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Latest: %1</source>
        <extracomment>Spoken: %1 lists the latest deploys</extracomment>
        <translation>Zuletzt: %1</translation>
    </message>
    <message numerus="yes">
        <source>Environments: %1 and %n more</source>
        <translation>
            <numerusform>Umgebungen: %1 und %n weitere</numerusform>
            <numerusform>Umgebungen: %1 und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>Environments: %1</source>
        <translation>Umgebungen: %1</translation>
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
    <name>DeviceAuth</name>
    <message>
        <source>GitHub OAuth App not configured.
See GitHubDeviceAuth for setup instructions.</source>
        <translation>Keine OAuth-App von GitHub eingerichtet.
Die Einrichtung ist bei GitHubDeviceAuth beschrieben.</translation>
    </message>
    <message>
        <source>Failed to connect to GitHub: %1</source>
        <extracomment>%1 is the network&apos;s or the decoder&apos;s own error text</extracomment>
        <translation>Verbindung zu GitHub fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Invalid verification URL returned by GitHub</source>
        <translation>GitHub hat eine ungültige Bestätigungsadresse geliefert</translation>
    </message>
    <message>
        <source>Authorization code expired. Please try again.</source>
        <translation>Der Autorisierungscode ist abgelaufen. Bitte erneut versuchen.</translation>
    </message>
    <message>
        <source>Authorized, but couldn&apos;t fetch your GitHub username.</source>
        <translation>Autorisiert, aber Ihr GitHub-Benutzername konnte nicht abgerufen werden.</translation>
    </message>
    <message>
        <source>Unknown error from GitHub</source>
        <translation>Unbekannter Fehler von GitHub</translation>
    </message>
    <message>
        <source>Code expired. Please try again.</source>
        <translation>Der Code ist abgelaufen. Bitte erneut versuchen.</translation>
    </message>
    <message>
        <source>Access denied by user.</source>
        <translation>Zugriff vom Benutzer verweigert.</translation>
    </message>
</context>
<context>
    <name>EnterpriseHost</name>
    <message>
        <source>Enter the server&apos;s host name, such as github.example.com.</source>
        <translation>Host-Namen des Servers eingeben, etwa github.example.com.</translation>
    </message>
    <message>
        <source>Enter your GitHub Enterprise Server&apos;s host name.</source>
        <translation>Host-Namen des GitHub Enterprise Servers eingeben.</translation>
    </message>
    <message>
        <source>A GitHub Enterprise Server is reached over https.</source>
        <translation>Ein GitHub Enterprise Server wird über https erreicht.</translation>
    </message>
    <message>
        <source>%1 is GitHub.com itself: choose GitHub.com instead.</source>
        <extracomment>%1 is the host name typed, such as &quot;api.github.com&quot;</extracomment>
        <translation>%1 ist GitHub.com selbst: stattdessen GitHub.com wählen.</translation>
    </message>
</context>
<context>
    <name>GitHubError</name>
    <message>
        <source>Invalid URL: %1</source>
        <extracomment>%1 is the address that could not be parsed</extracomment>
        <translation>Ungültige Adresse: %1</translation>
    </message>
    <message>
        <source>API Error [%1]: HTTP %2 - %3</source>
        <extracomment>%1 names the request (e.g. &quot;search/issues (author)&quot;), %2 is the HTTP status, %3 the start of the server&apos;s answer</extracomment>
        <translation>API-Fehler [%1]: HTTP %2 - %3</translation>
    </message>
    <message>
        <source>Network Error [%1]: %2</source>
        <extracomment>%1 names the request, %2 is the network&apos;s own error text</extracomment>
        <translation>Netzwerkfehler [%1]: %2</translation>
    </message>
    <message>
        <source>JSON Decode Error [%1]: %2 - Response: %3</source>
        <extracomment>%1 names the request, %2 says what in the answer was wrong, %3 is the start of the answer</extracomment>
        <translation>JSON-Dekodierfehler [%1]: %2 - Antwort: %3</translation>
    </message>
    <message>
        <source>GitHub rejected the access token (HTTP 401).</source>
        <translation>GitHub hat das Zugriffstoken abgelehnt (HTTP 401).</translation>
    </message>
    <message>
        <source>Non-HTTP response</source>
        <translation>Keine HTTP-Antwort</translation>
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
        <translation>GitHub hat die Anfrage mehr als %1-mal umgeleitet; Norvane folgt ihr nicht weiter.</translation>
    </message>
    <message>
        <source>The TLS certificate of %1 could not be verified (%2). Norvane does not connect without a verified certificate; check the system&apos;s certificates, or a proxy that intercepts HTTPS.</source>
        <extracomment>%1 is the server&apos;s host name, %2 the TLS library&apos;s own words</extracomment>
        <translation>Das TLS-Zertifikat von %1 konnte nicht überprüft werden (%2). Norvane verbindet sich nur mit überprüftem Zertifikat; prüfen Sie die Zertifikate des Systems oder einen Proxy, der HTTPS abfängt.</translation>
    </message>
    <message>
        <source>GitHub redirected the request to %1; Norvane does not send your token to another host.</source>
        <extracomment>%1 is the host the request was sent on to, e.g. &quot;evil.example.com&quot; or &quot;http://api.github.com&quot;</extracomment>
        <translation>GitHub hat die Anfrage nach %1 umgeleitet; Norvane sendet Ihr Token an keinen anderen Host.</translation>
    </message>
    <message>
        <source>%1 MiB</source>
        <translation>%1 MiB</translation>
    </message>
    <message numerus="yes">
        <source>%n byte(s)</source>
        <translation>
            <numerusform>%n Byte</numerusform>
            <numerusform>%n Bytes</numerusform>
        </translation>
    </message>
    <message>
        <source>The reply from %1 was larger than %2; Norvane stopped reading it.</source>
        <extracomment>%1 is the server&apos;s host name, %2 a size such as &quot;32 MiB&quot;</extracomment>
        <translation>Die Antwort von %1 war größer als %2; Norvane hat das Lesen abgebrochen.</translation>
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
    <name>PRRow</name>
    <message>
        <source>(No comment)</source>
        <translation>(Kein Kommentar)</translation>
    </message>
    <message>
        <source>New commits</source>
        <translation>Neue Commits</translation>
    </message>
    <message>
        <source>New review</source>
        <translation>Neues Review</translation>
    </message>
    <message>
        <source>New comments</source>
        <translation>Neue Kommentare</translation>
    </message>
    <message>
        <source>CI status changed</source>
        <translation>CI-Status geändert</translation>
    </message>
    <message>
        <source>Pending</source>
        <translation>Ausstehend</translation>
    </message>
    <message>
        <source>Passing</source>
        <translation>Erfolgreich</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Role: Author</source>
        <extracomment>The user&apos;s part in a pull request, on its row</extracomment>
        <translation>Rolle: Autor</translation>
    </message>
    <message>
        <source>Role: Reviewer</source>
        <translation>Rolle: Reviewer</translation>
    </message>
    <message>
        <source>Role: Assigned</source>
        <translation>Rolle: Zugewiesen</translation>
    </message>
    <message>
        <source>Already approved</source>
        <translation>Bereits genehmigt</translation>
    </message>
    <message>
        <source>Another reviewer has already approved this PR</source>
        <translation>Ein anderer Reviewer hat diesen PR bereits genehmigt</translation>
    </message>
    <message>
        <source>Ready to merge</source>
        <translation>Bereit zum Mergen</translation>
    </message>
    <message>
        <source>Approved, CI failing</source>
        <translation>Genehmigt, CI schlägt fehl</translation>
    </message>
    <message>
        <source>Approved, waiting on CI</source>
        <translation>Genehmigt, wartet auf CI</translation>
    </message>
    <message>
        <source>Needs changes</source>
        <translation>Änderungen nötig</translation>
    </message>
    <message numerus="yes">
        <source>%n review comment(s)</source>
        <translation>
            <numerusform>%n Review-Kommentar</numerusform>
            <numerusform>%n Review-Kommentare</numerusform>
        </translation>
    </message>
    <message>
        <source>Review requested from @%1 %2</source>
        <extracomment>%1 is a team (&quot;org/slug&quot;), %2 a relative time such as &quot;5 min. ago&quot;</extracomment>
        <translation>Review von @%1 %2 angefragt</translation>
    </message>
    <message>
        <source>Requested your review %1</source>
        <extracomment>%1 is a relative time such as &quot;5 min. ago&quot;</extracomment>
        <translation>Review %1 angefragt</translation>
    </message>
    <message>
        <source>Author: %1</source>
        <extracomment>%1 is the pull request&apos;s author</extracomment>
        <translation>Autor: %1</translation>
    </message>
    <message>
        <source>Draft</source>
        <translation>Entwurf</translation>
    </message>
    <message>
        <source>CI: %1</source>
        <extracomment>Spoken: %1 is the CI&apos;s verdict, such as &quot;Passing&quot;</extracomment>
        <translation>CI: %1</translation>
    </message>
    <message>
        <source>Waiting on: %1</source>
        <extracomment>Spoken: %1 lists the reviewers still awaited</extracomment>
        <translation>Wartet auf: %1</translation>
    </message>
    <message>
        <source>Changes requested by %1 %2: %3</source>
        <extracomment>Spoken: %1 is the reviewer&apos;s login, %2 a relative time such as &quot;2 hr. ago&quot;, %3 the review&apos;s first line in quotes</extracomment>
        <translation>Änderungen angefordert von %1 %2: %3</translation>
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
        <translation>bis zur nächsten Änderung</translation>
    </message>
    <message>
        <source>ddd d MMM</source>
        <extracomment>The date of a snooze&apos;s end in Qt&apos;s date pattern (ddd: weekday, d: day, MMM: month), e.g. &quot;Tue 9 Dec&quot;</extracomment>
        <translation>ddd d. MMM</translation>
    </message>
    <message>
        <source>until %1, %2</source>
        <extracomment>A snooze&apos;s end: %1 is the day, such as &quot;Tue 9 Dec&quot;, %2 the time of day</extracomment>
        <translation>bis %1, %2</translation>
    </message>
    <message>
        <source>Pull request #%1</source>
        <translation>Pull-Request #%1</translation>
    </message>
    <message>
        <source>Open in Browser</source>
        <translation>Im Browser öffnen</translation>
    </message>
    <message>
        <source>Copy Link</source>
        <translation>Link kopieren</translation>
    </message>
    <message>
        <source>Copy Branch Name</source>
        <translation>Branch-Namen kopieren</translation>
    </message>
    <message>
        <source>Copy Checkout Command</source>
        <translation>Checkout-Befehl kopieren</translation>
    </message>
    <message>
        <source>Snooze until it changes</source>
        <translation>Bis zur nächsten Änderung zurückstellen</translation>
    </message>
    <message>
        <source>Snooze for a day</source>
        <translation>Für einen Tag zurückstellen</translation>
    </message>
    <message>
        <source>Snooze for a week</source>
        <translation>Für eine Woche zurückstellen</translation>
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
    <name>PullRequestText</name>
    <message>
        <source>All</source>
        <extracomment>A filter chip of the pull-request tab (short: six chips share a 560 px row)</extracomment>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Review</source>
        <extracomment>A filter chip: pull requests whose review is asked of the user or assigned to them</extracomment>
        <translation>Review</translation>
    </message>
    <message>
        <source>Pending</source>
        <extracomment>A filter chip: the user&apos;s own pull requests still waiting for a review</extracomment>
        <translation>Offen</translation>
    </message>
    <message>
        <source>Approved</source>
        <extracomment>A filter chip: the user&apos;s own approved pull requests</extracomment>
        <translation>Genehmigt</translation>
    </message>
    <message>
        <source>Changes</source>
        <extracomment>A filter chip: the user&apos;s own pull requests with changes requested</extracomment>
        <translation>Ändern</translation>
    </message>
    <message>
        <source>Drafts</source>
        <extracomment>A filter chip: the user&apos;s own draft pull requests</extracomment>
        <translation>Entwürfe</translation>
    </message>
    <message>
        <source>Updated</source>
        <extracomment>A sort order of the pull-request list, after &quot;Sort by:&quot;</extracomment>
        <translation>Geändert</translation>
    </message>
    <message>
        <source>Created</source>
        <extracomment>A sort order of the pull-request list, after &quot;Sort by:&quot;</extracomment>
        <translation>Erstellt</translation>
    </message>
    <message>
        <source>Repository</source>
        <extracomment>A sort order of the pull-request list, after &quot;Sort by:&quot;</extracomment>
        <translation>Repository</translation>
    </message>
    <message>
        <source>PR #</source>
        <extracomment>A sort order of the pull-request list, after &quot;Sort by:&quot;: by the pull request&apos;s number</extracomment>
        <translation>PR-Nr.</translation>
    </message>
    <message>
        <source>GitHub no longer accepts the token for %1.</source>
        <extracomment>%1 is the account&apos;s login</extracomment>
        <translation>GitHub akzeptiert das Token für %1 nicht mehr.</translation>
    </message>
    <message numerus="yes">
        <source>%n review request(s)</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n Review-Anfrage</numerusform>
            <numerusform>%n Review-Anfragen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n assigned to you</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n zugewiesen</numerusform>
            <numerusform>%n zugewiesen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n with changes requested</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n mit angeforderten Änderungen</numerusform>
            <numerusform>%n mit angeforderten Änderungen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n approved</source>
        <extracomment>In the tray icon&apos;s tooltip, one of the parts after &quot;N pull requests need you:&quot;</extracomment>
        <translation>
            <numerusform>%n genehmigt</numerusform>
            <numerusform>%n genehmigt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n pull request(s) need(s) you: %1</source>
        <extracomment>The tray icon&apos;s tooltip; %1 lists the parts, such as &quot;2 review requests, 1 approved&quot;</extracomment>
        <translation>
            <numerusform>%n Pull-Request erfordert Aufmerksamkeit: %1</numerusform>
            <numerusform>%n Pull-Requests erfordern Aufmerksamkeit: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RelativeTime</name>
    <message numerus="yes">
        <source>%n sec. ago</source>
        <translation>
            <numerusform>vor %n Sek.</numerusform>
            <numerusform>vor %n Sek.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n sec.</source>
        <translation>
            <numerusform>in %n Sek.</numerusform>
            <numerusform>in %n Sek.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n min. ago</source>
        <translation>
            <numerusform>vor %n Min.</numerusform>
            <numerusform>vor %n Min.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n min.</source>
        <translation>
            <numerusform>in %n Min.</numerusform>
            <numerusform>in %n Min.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n hr. ago</source>
        <translation>
            <numerusform>vor %n Std.</numerusform>
            <numerusform>vor %n Std.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n hr.</source>
        <translation>
            <numerusform>in %n Std.</numerusform>
            <numerusform>in %n Std.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n day(s) ago</source>
        <translation>
            <numerusform>vor %n Tag</numerusform>
            <numerusform>vor %n Tagen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n day(s)</source>
        <translation>
            <numerusform>in %n Tag</numerusform>
            <numerusform>in %n Tagen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n wk. ago</source>
        <translation>
            <numerusform>vor %n Woche</numerusform>
            <numerusform>vor %n Wochen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n wk.</source>
        <translation>
            <numerusform>in %n Woche</numerusform>
            <numerusform>in %n Wochen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n mo. ago</source>
        <translation>
            <numerusform>vor %n Monat</numerusform>
            <numerusform>vor %n Monaten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n mo.</source>
        <translation>
            <numerusform>in %n Monat</numerusform>
            <numerusform>in %n Monaten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n yr. ago</source>
        <translation>
            <numerusform>vor %n Jahr</numerusform>
            <numerusform>vor %n Jahren</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>in %n yr.</source>
        <translation>
            <numerusform>in %n Jahr</numerusform>
            <numerusform>in %n Jahren</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TokenCheck</name>
    <message>
        <source>Could not reach GitHub to check this token: %1</source>
        <extracomment>Shown under the token field; %1 is the network&apos;s own error text</extracomment>
        <translation>GitHub ist zum Prüfen dieses Tokens nicht erreichbar: %1</translation>
    </message>
    <message>
        <source>GitHub could not check this token (HTTP %1). Try again in a moment.</source>
        <extracomment>%1 is the HTTP status GitHub answered with</extracomment>
        <translation>GitHub konnte dieses Token nicht prüfen (HTTP %1). Bitte gleich erneut versuchen.</translation>
    </message>
    <message>
        <source>GitHub rejected this token.</source>
        <translation>GitHub hat dieses Token abgelehnt.</translation>
    </message>
    <message>
        <source>This token belongs to @%1, not @%2.</source>
        <extracomment>%1 is the login the token belongs to, %2 the login that was typed</extracomment>
        <translation>Dieses Token gehört @%1, nicht @%2.</translation>
    </message>
</context>
<context>
    <name>norvane::ChangeNotifier</name>
    <message>
        <source>✅ Notifications working</source>
        <translation>✅ Benachrichtigungen funktionieren</translation>
    </message>
    <message>
        <source>Norvane can deliver notifications on this device.</source>
        <translation>Norvane kann auf diesem Gerät Benachrichtigungen zustellen.</translation>
    </message>
    <message>
        <source>👀 Review Requested</source>
        <extracomment>A notification&apos;s title (the emoji stays first)</extracomment>
        <translation>👀 Review angefragt</translation>
    </message>
    <message>
        <source>%1 requested a review from @%2 on &apos;%3&apos;</source>
        <extracomment>A notification: %1 is the author&apos;s login, %2 a team (&quot;org/slug&quot;), %3 the title</extracomment>
        <translation>%1 bittet @%2 um ein Review von „%3“</translation>
    </message>
    <message>
        <source>Someone</source>
        <translation>Jemand</translation>
    </message>
    <message>
        <source>%1 requested your review on &apos;%2&apos;</source>
        <extracomment>A notification: %1 is the author&apos;s login, %2 the pull request&apos;s title</extracomment>
        <translation>%1 bittet Sie um ein Review von „%2“</translation>
    </message>
    <message>
        <source>🔧 Changes Requested</source>
        <extracomment>A notification&apos;s title (the emoji stays first)</extracomment>
        <translation>🔧 Änderungen angefordert</translation>
    </message>
    <message>
        <source>&apos;%1&apos; needs changes before it can merge</source>
        <extracomment>A notification: %1 is the pull request&apos;s title</extracomment>
        <translation>„%1“ braucht Änderungen vor dem Mergen</translation>
    </message>
    <message>
        <source>✅ PR Approved</source>
        <extracomment>A notification&apos;s title (the emoji stays first)</extracomment>
        <translation>✅ PR genehmigt</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is ready to merge</source>
        <extracomment>A notification: %1 is the pull request&apos;s title</extracomment>
        <translation>„%1“ ist bereit zum Mergen</translation>
    </message>
    <message>
        <source>Notifications require running from .app bundle</source>
        <translation>Benachrichtigungen erfordern den Start aus dem .app-Bundle</translation>
    </message>
    <message>
        <source>Review Requested</source>
        <extracomment>The title of a test notification</extracomment>
        <translation>Review angefragt</translation>
    </message>
    <message>
        <source>teammate requested your review on &apos;Add new authentication feature&apos;</source>
        <extracomment>A test notification; &quot;teammate&quot; stands for a login, the quoted text for a title</extracomment>
        <translation>teammate bittet Sie um ein Review von „Neue Authentifizierungsfunktion hinzufügen“</translation>
    </message>
    <message>
        <source>Changes Requested</source>
        <extracomment>The title of a test notification</extracomment>
        <translation>Änderungen angefordert</translation>
    </message>
    <message>
        <source>Your PR &apos;Fix critical bug in payment processing&apos; needs changes</source>
        <extracomment>A test notification; the quoted text stands for a title</extracomment>
        <translation>Ihr PR „Kritischen Fehler in der Zahlungsabwicklung beheben“ braucht Änderungen</translation>
    </message>
    <message>
        <source>PR Approved!</source>
        <extracomment>The title of a test notification</extracomment>
        <translation>PR genehmigt!</translation>
    </message>
    <message>
        <source>Your PR &apos;Update dependencies to latest versions&apos; was approved</source>
        <extracomment>A test notification; the quoted text stands for a title</extracomment>
        <translation>Ihr PR „Abhängigkeiten auf die neuesten Versionen aktualisieren“ wurde genehmigt</translation>
    </message>
    <message>
        <source>Notifications denied. Enable in System Settings → Notifications → Norvane</source>
        <translation>Benachrichtigungen abgelehnt. In den Systemeinstellungen → Benachrichtigungen → Norvane aktivieren</translation>
    </message>
    <message>
        <source>Notification permission not requested yet. Requesting now...</source>
        <translation>Benachrichtigungen noch nicht erlaubt. Erlaubnis wird angefragt …</translation>
    </message>
    <message>
        <source>Permission granted! Try again.</source>
        <translation>Erlaubnis erteilt! Bitte erneut versuchen.</translation>
    </message>
    <message>
        <source>Permission denied. Enable in System Settings → Notifications → Norvane</source>
        <translation>Erlaubnis verweigert. In den Systemeinstellungen → Benachrichtigungen → Norvane aktivieren</translation>
    </message>
    <message>
        <source>Notification failed: %1</source>
        <extracomment>%1 is the desktop&apos;s reason</extracomment>
        <translation>Benachrichtigung fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Notification sent! Check Notification Center if not visible.</source>
        <translation>Benachrichtigung gesendet! Falls sie nicht erscheint, im Benachrichtigungsbereich nachsehen.</translation>
    </message>
</context>
<context>
    <name>norvane::PRViewModel</name>
    <message>
        <source>Failed to retrieve token for %1. Add token in Settings.</source>
        <extracomment>%1 is the account&apos;s login</extracomment>
        <translation>Token für %1 konnte nicht gelesen werden. Token in den Einstellungen hinzufügen.</translation>
    </message>
    <message>
        <source>No account is selected.</source>
        <translation>Kein Konto ausgewählt.</translation>
    </message>
    <message>
        <source>Norvane could not read the token of %1.</source>
        <translation>Norvane konnte das Token von %1 nicht lesen.</translation>
    </message>
</context>
<context>
    <name>norvane::PollSchedule</name>
    <message>
        <source>GitHub&apos;s rate limit: Norvane checks again at %1.</source>
        <extracomment>Under the pull-request tab&apos;s bars; %1 is a time of day</extracomment>
        <translation>GitHub-Ratenlimit: Norvane prüft wieder um %1.</translation>
    </message>
    <message>
        <source>Norvane will try again at %1.</source>
        <extracomment>Ends an error line of the pull-request tab; %1 is a time of day</extracomment>
        <translation>Norvane versucht es um %1 erneut.</translation>
    </message>
</context>
<context>
    <name>norvane::RepoActivityModel</name>
    <message>
        <source>Failed to retrieve token for %1.</source>
        <translation>Token für %1 konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Token expired. Re-authenticate in Settings.</source>
        <translation>Token abgelaufen. In den Einstellungen neu anmelden.</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>norvane::SignInModel</name>
    <message>
        <source>Username and token are required</source>
        <translation>Benutzername und Token sind erforderlich</translation>
    </message>
</context>
<context>
    <name>norvane::ui::AddAccountView</name>
    <message>
        <source>Open %1/login/device</source>
        <extracomment>The button that opens the page where the code is entered; %1 is the server, e.g. &quot;github.com&quot;</extracomment>
        <translation>%1/login/device öffnen</translation>
    </message>
    <message>
        <source>Create a token at %1/settings/tokens</source>
        <extracomment>A link to the server&apos;s page of tokens; %1 is the server, e.g. &quot;github.com&quot;</extracomment>
        <translation>Token unter %1/settings/tokens erstellen</translation>
    </message>
    <message>
        <source>Reconnect %1</source>
        <extracomment>The sheet&apos;s title when an account signs in again; %1 is its login</extracomment>
        <translation>%1 neu verbinden</translation>
    </message>
    <message>
        <source>Add GitHub Account</source>
        <translation>GitHub-Konto hinzufügen</translation>
    </message>
    <message>
        <source>Label (optional)</source>
        <translation>Bezeichnung (optional)</translation>
    </message>
    <message>
        <source>e.g., Personal, Work</source>
        <extracomment>Examples of an account&apos;s label</extracomment>
        <translation>z. B. Privat, Arbeit</translation>
    </message>
    <message>
        <source>Helps differentiate multiple GitHub accounts</source>
        <translation>Hilft, mehrere GitHub-Konten zu unterscheiden</translation>
    </message>
    <message>
        <source>Norvane will open GitHub in your browser.
No passwords are stored in the app.</source>
        <translation>Norvane öffnet GitHub in Ihrem Browser.
In der Anwendung werden keine Passwörter gespeichert.</translation>
    </message>
    <message>
        <source>Connect with GitHub</source>
        <translation>Mit GitHub verbinden</translation>
    </message>
    <message>
        <source>Use a Personal Access Token instead</source>
        <translation>Stattdessen ein persönliches Zugriffstoken verwenden</translation>
    </message>
    <message>
        <source>Connecting to GitHub…</source>
        <translation>Verbindung zu GitHub wird hergestellt …</translation>
    </message>
    <message>
        <source>Enter this code at GitHub:</source>
        <translation>Diesen Code bei GitHub eingeben:</translation>
    </message>
    <message>
        <source>Copy Code</source>
        <translation>Code kopieren</translation>
    </message>
    <message>
        <source>Waiting for you to authorize in the browser…</source>
        <translation>Warten auf Ihre Autorisierung im Browser …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Try Again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>username</source>
        <extracomment>Placeholder of the login field</extracomment>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>GitHub Username</source>
        <translation>GitHub-Benutzername</translation>
    </message>
    <message>
        <source>ghp_…</source>
        <extracomment>Placeholder of the token field: how a token begins; keep it as it is</extracomment>
        <translation>ghp_…</translation>
    </message>
    <message>
        <source>Personal Access Token</source>
        <translation>Persönliches Zugriffstoken</translation>
    </message>
    <message>
        <source>Required scopes: repo (or public_repo for public repos only)</source>
        <extracomment>&quot;repo&quot; and &quot;public_repo&quot; are GitHub&apos;s names of the scopes: keep them as they are</extracomment>
        <translation>Benötigte Bereiche: repo (oder public_repo nur für öffentliche Repositorys)</translation>
    </message>
    <message>
        <source>Add Account</source>
        <translation>Konto hinzufügen</translation>
    </message>
    <message>
        <source>Checking…</source>
        <translation>Wird geprüft …</translation>
    </message>
    <message>
        <source>Saving the token…</source>
        <translation>Token wird gespeichert …</translation>
    </message>
    <message>
        <source>Asking GitHub whose token this is…</source>
        <translation>GitHub wird gefragt, wem dieses Token gehört …</translation>
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
        <translation>Server</translation>
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
        <translation>Client-ID der OAuth-App (optional)</translation>
    </message>
    <message>
        <source>the server&apos;s OAuth App, for Connect</source>
        <translation>OAuth-App des Servers, für „Verbinden“</translation>
    </message>
    <message>
        <source>GitHub Enterprise Server: %1</source>
        <extracomment>%1 is the server&apos;s host name</extracomment>
        <translation>GitHub Enterprise Server: %1</translation>
    </message>
    <message>
        <source>Create a token on your server, under Settings, Developer settings</source>
        <translation>Token auf Ihrem Server erstellen, unter Settings, Developer settings</translation>
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
    <name>norvane::ui::DashboardView</name>
    <message>
        <source>Loading repos...</source>
        <translation>Repositorys werden geladen …</translation>
    </message>
    <message>
        <source>No watched repos</source>
        <translation>Keine beobachteten Repositorys</translation>
    </message>
    <message>
        <source>Add repos in Settings to see a dashboard here</source>
        <translation>Repositorys in den Einstellungen hinzufügen, um hier eine Übersicht zu sehen</translation>
    </message>
</context>
<context>
    <name>norvane::ui::IssuesView</name>
    <message>
        <source>Repository:</source>
        <translation>Repository:</translation>
    </message>
    <message>
        <source>Repository</source>
        <translation>Repository</translation>
    </message>
    <message>
        <source>Show all repositories</source>
        <translation>Alle Repositorys anzeigen</translation>
    </message>
    <message>
        <source>Loading issues...</source>
        <translation>Issues werden geladen …</translation>
    </message>
    <message>
        <source>No watched repos</source>
        <translation>Keine beobachteten Repositorys</translation>
    </message>
    <message>
        <source>Add repos in Settings to see their issues here</source>
        <translation>Repositorys in den Einstellungen hinzufügen, um hier ihre Issues zu sehen</translation>
    </message>
    <message>
        <source>No open issues</source>
        <translation>Keine offenen Issues</translation>
    </message>
    <message>
        <source>All clear for the selected repos</source>
        <translation>Alles erledigt in den gewählten Repositorys</translation>
    </message>
    <message>
        <source>All Repositories</source>
        <translation>Alle Repositorys</translation>
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
        <translation>Wartet auf:</translation>
    </message>
    <message>
        <source>DRAFT</source>
        <translation>ENTWURF</translation>
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
        <translation>Neu verbinden</translation>
    </message>
    <message>
        <source>Loading PRs...</source>
        <translation>PRs werden geladen …</translation>
    </message>
    <message>
        <source>All caught up!</source>
        <translation>Alles erledigt!</translation>
    </message>
    <message>
        <source>Pull requests not loaded</source>
        <translation>Pull-Requests nicht geladen</translation>
    </message>
    <message>
        <source>Add a GitHub account in Settings</source>
        <translation>GitHub-Konto in den Einstellungen hinzufügen</translation>
    </message>
    <message>
        <source>No PRs match this filter</source>
        <translation>Keine PRs für diesen Filter</translation>
    </message>
    <message>
        <source>Reconnect %1 to load its pull requests.</source>
        <translation>%1 neu verbinden, um die Pull-Requests zu laden.</translation>
    </message>
    <message>
        <source>Refresh to try loading the pull requests of %1 again.</source>
        <translation>Aktualisieren, um die Pull-Requests von %1 erneut zu laden.</translation>
    </message>
    <message>
        <source>All Repositories (%1)</source>
        <extracomment>The repository menu&apos;s first entry; %1 counts the pull requests shown</extracomment>
        <translation>Alle Repositorys (%1)</translation>
    </message>
    <message>
        <source>Repository:</source>
        <translation>Repository:</translation>
    </message>
    <message>
        <source>Repository</source>
        <translation>Repository</translation>
    </message>
    <message>
        <source>Show all repositories</source>
        <translation>Alle Repositorys anzeigen</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Remove from Favorites</source>
        <translation>Aus Favoriten entfernen</translation>
    </message>
    <message>
        <source>Add to Favorites</source>
        <translation>Zu Favoriten hinzufügen</translation>
    </message>
    <message>
        <source>Block Repository</source>
        <translation>Repository blockieren</translation>
    </message>
    <message>
        <source>Block all from %1</source>
        <extracomment>%1 is a repository&apos;s owner, a user or an organization</extracomment>
        <translation>Alle von %1 blockieren</translation>
    </message>
    <message>
        <source>Unsnooze</source>
        <translation>Zurückstellung aufheben</translation>
    </message>
    <message numerus="yes">
        <source>Snoozed %n</source>
        <extracomment>The button that lists the snoozed pull requests, with their count</extracomment>
        <translation>
            <numerusform>Zurückgestellt %n</numerusform>
            <numerusform>Zurückgestellt %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Sort by: %1</source>
        <extracomment>The sort button; %1 is the sort order, such as &quot;Updated&quot;</extracomment>
        <translation>Sortieren: %1</translation>
    </message>
    <message>
        <source>Sections</source>
        <translation>Abschnitte</translation>
    </message>
    <message>
        <source>The search failed: %1</source>
        <translation>Die Suche ist fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>norvane::ui::SectionsEditor</name>
    <message>
        <source>Your own GitHub searches, each a chip after the filters. &quot;is:pr is:open archived:false&quot; is added unless the query says otherwise.</source>
        <translation>Eigene GitHub-Suchen, jede als Chip nach den Filtern. „is:pr is:open archived:false“ wird ergänzt, sofern die Suche nichts anderes sagt.</translation>
    </message>
    <message>
        <source>Section name</source>
        <translation>Name des Abschnitts</translation>
    </message>
    <message>
        <source>Section query</source>
        <translation>Suche des Abschnitts</translation>
    </message>
    <message>
        <source>org:northwind label:urgent</source>
        <translation>org:northwind label:urgent</translation>
    </message>
    <message>
        <source>Notify</source>
        <translation>Benachrichtigen</translation>
    </message>
    <message>
        <source>Notify for this section&apos;s pull requests</source>
        <translation>Bei Pull-Requests dieses Abschnitts benachrichtigen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Query</source>
        <translation>Suche</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Add Section…</source>
        <translation>Abschnitt hinzufügen …</translation>
    </message>
    <message>
        <source>%1 — %2 (notifies)</source>
        <translation>%1 — %2 (benachrichtigt)</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Edit section %1</source>
        <translation>Abschnitt %1 bearbeiten</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Move section %1 up</source>
        <translation>Abschnitt %1 nach oben verschieben</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Runter</translation>
    </message>
    <message>
        <source>Move section %1 down</source>
        <translation>Abschnitt %1 nach unten verschieben</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove section %1</source>
        <translation>Abschnitt %1 entfernen</translation>
    </message>
    <message>
        <source>A section needs a name.</source>
        <translation>Ein Abschnitt braucht einen Namen.</translation>
    </message>
    <message>
        <source>A section needs a query.</source>
        <translation>Ein Abschnitt braucht eine Suche.</translation>
    </message>
    <message>
        <source>Another section is already called &quot;%1&quot;.</source>
        <translation>Ein anderer Abschnitt heißt bereits „%1“.</translation>
    </message>
    <message numerus="yes">
        <source>An account holds at most %n section(s).</source>
        <translation>
            <numerusform>Ein Konto kann höchstens %n Abschnitt haben.</numerusform>
            <numerusform>Ein Konto kann höchstens %n Abschnitte haben.</numerusform>
        </translation>
    </message>
    <message>
        <source>Checking the query with GitHub…</source>
        <translation>Die Suche wird bei GitHub geprüft …</translation>
    </message>
    <message>
        <source>The sections changed meanwhile: try again.</source>
        <translation>Die Abschnitte haben sich inzwischen geändert: bitte erneut versuchen.</translation>
    </message>
    <message numerus="yes">
        <source>Matches %n pull request(s).</source>
        <translation>
            <numerusform>Findet %n Pull-Request.</numerusform>
            <numerusform>Findet %n Pull-Requests.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>norvane::ui::SettingsView</name>
    <message>
        <source>Watch %1</source>
        <extracomment>Tooltip of a suggested repository; %1 is its owner/name</extracomment>
        <translation>%1 beobachten</translation>
    </message>
    <message>
        <source>No accounts configured</source>
        <translation>Keine Konten eingerichtet</translation>
    </message>
    <message>
        <source>Reconnect</source>
        <translation>Neu verbinden</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <extracomment>Spoken name of the trash button of an account; %1 is the account&apos;s name (and server)</extracomment>
        <translation>%1 entfernen</translation>
    </message>
    <message>
        <source>Notification Permission: %1</source>
        <extracomment>%1 is one of &quot;Not Requested&quot;, &quot;Denied&quot;, &quot;Enabled&quot;, &quot;Checking...&quot;</extracomment>
        <translation>Benachrichtigungen: %1</translation>
    </message>
    <message>
        <source>No blocked repos or orgs</source>
        <translation>Keine blockierten Repositorys oder Organisationen</translation>
    </message>
    <message>
        <source>all repos</source>
        <extracomment>A small badge beside a blocked organisation: every repository of it is blocked</extracomment>
        <translation>alle Repos</translation>
    </message>
    <message>
        <source>Unblock</source>
        <translation>Blockierung aufheben</translation>
    </message>
    <message>
        <source>No favorite repositories</source>
        <translation>Keine bevorzugten Repositorys</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>e.g. apple/swift or your-org/your-repo</source>
        <translation>z. B. apple/swift oder ihre-org/ihr-repo</translation>
    </message>
    <message>
        <source>Repository to watch for %1</source>
        <extracomment>Spoken name of the field; %1 is the account&apos;s name (and server)</extracomment>
        <translation>Zu beobachtendes Repository für %1</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>No repos watched</source>
        <translation>Keine Repositorys beobachtet</translation>
    </message>
    <message>
        <source>Stop watching %1</source>
        <translation>%1 nicht mehr beobachten</translation>
    </message>
    <message>
        <source>From your PR activity:</source>
        <extracomment>Above the repositories of the user&apos;s pull requests, offered to be watched</extracomment>
        <translation>Aus Ihren Pull-Requests:</translation>
    </message>
    <message>
        <source>Enter an org (my-org) or repo (my-org/repo)</source>
        <translation>Organisation (meine-org) oder Repository (meine-org/repo) eingeben</translation>
    </message>
    <message>
        <source>Use format: owner/repo</source>
        <translation>Format: besitzer/repo</translation>
    </message>
    <message>
        <source>Already watching %1</source>
        <translation>%1 wird bereits beobachtet</translation>
    </message>
    <message>
        <source>Account Not Added</source>
        <translation>Konto nicht hinzugefügt</translation>
    </message>
    <message>
        <source>The token for @%1 could not be saved in the system keychain, so the account was not added. Make sure the keychain is unlocked, then add the account again.</source>
        <extracomment>%1 is the login of the account</extracomment>
        <translation>Das Token für @%1 konnte nicht im Schlüsselbund des Systems gespeichert werden, daher wurde das Konto nicht hinzugefügt. Entsperren Sie den Schlüsselbund und fügen Sie das Konto erneut hinzu.</translation>
    </message>
    <message>
        <source>Account Mismatch</source>
        <translation>Falsches Konto</translation>
    </message>
    <message>
        <source>Reconnect Failed</source>
        <translation>Neu verbinden fehlgeschlagen</translation>
    </message>
    <message>
        <source>The new token for @%1 could not be saved in the system keychain. Make sure the keychain is unlocked, then reconnect again.</source>
        <extracomment>%1 is the login of the account</extracomment>
        <translation>Das neue Token für @%1 konnte nicht im Schlüsselbund des Systems gespeichert werden. Entsperren Sie den Schlüsselbund und verbinden Sie erneut.</translation>
    </message>
    <message>
        <source>Unknown</source>
        <extracomment>Stands for the version of a program that carries none: &quot;Version Unknown&quot;</extracomment>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Version %1 (%2)</source>
        <extracomment>In About: %1 is the version, %2 the build number</extracomment>
        <translation>Version %1 (%2)</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Not Requested</source>
        <translation>Nicht angefragt</translation>
    </message>
    <message>
        <source>Denied</source>
        <translation>Verweigert</translation>
    </message>
    <message>
        <source>Enabled</source>
        <translation>Aktiviert</translation>
    </message>
    <message>
        <source>Checking...</source>
        <translation>Wird geprüft …</translation>
    </message>
    <message numerus="yes">
        <source>%n minute(s)</source>
        <extracomment>A choice of &quot;Check for updates every:&quot;; keep it short, five of them share one row</extracomment>
        <translation>
            <numerusform>%n Minute</numerusform>
            <numerusform>%n Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n hour(s)</source>
        <extracomment>A choice of &quot;Check for updates every:&quot;; keep it short, five of them share one row</extracomment>
        <translation>
            <numerusform>%n Stunde</numerusform>
            <numerusform>%n Stunden</numerusform>
        </translation>
    </message>
    <message>
        <source>Signed in as @%1, but this account is @%2. Sign in with the correct GitHub account.</source>
        <extracomment>%1 is the login the browser signed in as, %2 the login of the account being reconnected</extracomment>
        <translation>Angemeldet als @%1, aber dieses Konto ist @%2. Melden Sie sich mit dem richtigen GitHub-Konto an.</translation>
    </message>
    <message>
        <source>GitHub Accounts</source>
        <translation>GitHub-Konten</translation>
    </message>
    <message>
        <source>Add Account</source>
        <translation>Konto hinzufügen</translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation>Benachrichtigungen</translation>
    </message>
    <message>
        <source>Get notified when PRs need your attention</source>
        <translation>Benachrichtigungen, wenn Pull-Requests Ihre Aufmerksamkeit brauchen</translation>
    </message>
    <message>
        <source>Refresh permission status</source>
        <translation>Berechtigung erneut prüfen</translation>
    </message>
    <message>
        <source>Open Settings</source>
        <translation>Einstellungen öffnen</translation>
    </message>
    <message>
        <source>Review Requests</source>
        <translation>Review-Anfragen</translation>
    </message>
    <message>
        <source>Notify when someone requests your review on a PR</source>
        <translation>Benachrichtigen, wenn jemand Ihr Review für einen Pull-Request anfragt</translation>
    </message>
    <message>
        <source>Team Review Requests</source>
        <translation>Review-Anfragen an Teams</translation>
    </message>
    <message>
        <source>Notify when a team you are in is asked for a review, and count it in the badge</source>
        <translation>Benachrichtigen, wenn eines Ihrer Teams um ein Review gebeten wird, und im Zähler mitzählen</translation>
    </message>
    <message>
        <source>Changes Requested</source>
        <translation>Änderungswünsche</translation>
    </message>
    <message>
        <source>Notify when your PR receives change requests</source>
        <translation>Benachrichtigen, wenn Ihr Pull-Request Änderungswünsche erhält</translation>
    </message>
    <message>
        <source>Approvals</source>
        <translation>Genehmigungen</translation>
    </message>
    <message>
        <source>Notify when your PR is approved</source>
        <translation>Benachrichtigen, wenn Ihr Pull-Request genehmigt wird</translation>
    </message>
    <message>
        <source>Check for updates every:</source>
        <translation>Aktualisieren alle:</translation>
    </message>
    <message>
        <source>Polling Interval</source>
        <translation>Abfrageintervall</translation>
    </message>
    <message>
        <source>Check for new activity every minute</source>
        <translation>Jede Minute auf neue Aktivität prüfen</translation>
    </message>
    <message>
        <source>Uses GitHub&apos;s notification feed: free against your rate limit when nothing changed.</source>
        <translation>Nutzt die Benachrichtigungen von GitHub: belastet Ihr Anfragelimit nicht, wenn sich nichts geändert hat.</translation>
    </message>
    <message>
        <source>Tray icon:</source>
        <translation>Symbol im Systemabschnitt:</translation>
    </message>
    <message>
        <source>Automatic</source>
        <extracomment>The tray icon&apos;s colours: follow the panel, or always light or dark</extracomment>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Hell</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>Dunkel</translation>
    </message>
    <message>
        <source>Tray icon</source>
        <extracomment>Spoken name of the choice of the tray icon&apos;s colour</extracomment>
        <translation>Symbol im Systemabschnitt</translation>
    </message>
    <message>
        <source>Test Notifications</source>
        <translation>Test-Benachrichtigungen</translation>
    </message>
    <message>
        <source>Review</source>
        <extracomment>Buttons under &quot;Test Notifications&quot;: each sends an example of a review request, of change requests and of an approval</extracomment>
        <translation>Review</translation>
    </message>
    <message>
        <source>Changes</source>
        <translation>Änderungen</translation>
    </message>
    <message>
        <source>Approval</source>
        <translation>Genehmigung</translation>
    </message>
    <message>
        <source>💡 Click a button above to send a test notification</source>
        <translation>💡 Klicken Sie oben auf einen Knopf, um eine Test-Benachrichtigung zu senden</translation>
    </message>
    <message>
        <source>Repositories</source>
        <translation>Repositorys</translation>
    </message>
    <message>
        <source>Manage which repositories appear in Norvane</source>
        <translation>Festlegen, welche Repositorys Norvane zeigt</translation>
    </message>
    <message>
        <source>Blocked Repos &amp; Orgs</source>
        <translation>Blockierte Repos &amp; Organisationen</translation>
    </message>
    <message>
        <source>e.g. my-org or my-org/repo</source>
        <translation>z. B. meine-org oder meine-org/repo</translation>
    </message>
    <message>
        <source>Repository or organization to block</source>
        <translation>Zu blockierendes Repository oder Organisation</translation>
    </message>
    <message>
        <source>Block</source>
        <translation>Blockieren</translation>
    </message>
    <message>
        <source>Favorite Repositories</source>
        <translation>Bevorzugte Repositorys</translation>
    </message>
    <message>
        <source>Tip: Right-click a repository in the dropdown to block or favorite it</source>
        <translation>Tipp: Ein Rechtsklick auf ein Repository in der Auswahlliste blockiert es oder macht es zum Favoriten</translation>
    </message>
    <message>
        <source>Watched Repositories</source>
        <translation>Beobachtete Repositorys</translation>
    </message>
    <message>
        <source>Watch any repo you have access to — your own or anyone else&apos;s. Issues and Dashboard data will be fetched for each.</source>
        <translation>Beobachten Sie jedes Repository, auf das Sie Zugriff haben – Ihre eigenen oder die anderer. Für jedes werden Issues und Übersichtsdaten abgerufen.</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Norvane helps you stay on top of GitHub PRs that need your attention.</source>
        <translation>Norvane behält für Sie die GitHub-Pull-Requests im Blick, die Ihre Aufmerksamkeit brauchen.</translation>
    </message>
    <message>
        <source>Features:</source>
        <translation>Funktionen:</translation>
    </message>
    <message>
        <source>Review requests</source>
        <translation>Review-Anfragen</translation>
    </message>
    <message>
        <source>Your open PRs</source>
        <translation>Ihre offenen Pull-Requests</translation>
    </message>
    <message>
        <source>Multi-account support</source>
        <translation>Mehrere Konten</translation>
    </message>
    <message>
        <source>Secure token storage</source>
        <translation>Sichere Ablage der Token</translation>
    </message>
    <message>
        <source>Start Norvane at login</source>
        <translation>Norvane bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Sections</source>
        <translation>Abschnitte</translation>
    </message>
</context>
</TS>
