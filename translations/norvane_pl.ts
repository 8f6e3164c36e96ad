<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl">
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
</TS>
