<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
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
</TS>
