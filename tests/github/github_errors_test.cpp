#include "github/github_errors.h"
#include "github/github_service.h"
#include "github/http_session.h"
#include "github/network_proxy.h"
#include "github/token_check.h"
#include "platform/debug_log.h"
#include "support/translation.h"

#include <QNetworkProxyQuery>
#include <QNetworkReply>
#include <cstring>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane;
using norvane::testing::ScopedTranslation;

namespace {

QStringList g_lines;

void capture(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_lines.append(message);
}

QStringList logged(const std::function<void()>& action)
{
    g_lines.clear();
    const auto previous = qInstallMessageHandler(capture);
    action();
    qInstallMessageHandler(previous);
    return g_lines;
}

} // namespace

TEST(GitHubErrors, DescriptionsCutTheBodyTo200Characters)
{
    const QString body = QString(150, u'a') + QString(850, u'b');
    const QString cut = QString(150, u'a') + QString(50, u'b');

    const auto server = GitHubAPIError::badServerResponse(u"search/issues (author)"_s, 502, body);
    EXPECT_EQ(server.errorDescription(), u"API Error [search/issues (author)]: HTTP 502 - "_s + cut);
    EXPECT_EQ(server.body(), body); // the error keeps the whole body

    const auto decoding =
        GitHubAPIError::decodingError(u"repos/o/r/pulls/1"_s, u"key \"head\": missing"_s, body);
    EXPECT_EQ(decoding.errorDescription(),
              u"JSON Decode Error [repos/o/r/pulls/1]: key \"head\": missing - Response: "_s + cut);

    EXPECT_EQ(GitHubAPIError::badURL(u"https://x/ y"_s).errorDescription(), u"Invalid URL: https://x/ y"_s);
    const TransportError offline(QNetworkReply::HostNotFoundError, u"Host api.github.com not found"_s);
    EXPECT_EQ(GitHubAPIError::networkError(u"search/issues (assignee)"_s, offline).errorDescription(),
              u"Network Error [search/issues (assignee)]: Host api.github.com not found"_s);
    EXPECT_EQ(QString::fromUtf8(server.what()), server.errorDescription());
}

TEST(GitHubErrors, RequestLogShowsAtMostNineTokenCharacters)
{
    ASSERT_TRUE(isDebugMode()) << "run with DEBUG_MODE=1";
    const std::pair<const char*, const char*> cases[] = {
        {"ghp_1234567890abcdefghijklmnop", "token ghp_12345..."},
        {"short", "token short..."},
        {"", "token ..."},
    };
    for (const auto& [token, shown] : cases) {
        const QNetworkRequest request =
            GitHubService::makeRequest(QUrl(u"https://api.github.com/user"_s), QString::fromLatin1(token));
        const QStringList lines = logged([&] { GitHubService::logRequest(request, u"user"_s); });
        EXPECT_TRUE(lines.contains(u"[API]   Header: Authorization = "_s + QString::fromLatin1(shown)))
            << lines.join(u'\n').toStdString();
        EXPECT_EQ(lines.join(u'\n').contains(QLatin1String(token)), strlen(token) <= 9) << token;
    }
}

TEST(GitHubErrors, ResponseLogShowsStatusHeadersAndTheBodyStart)
{
    HttpReply reply;
    reply.statusCode = 200;
    reply.headers = {{"Content-Type", "application/json"}};
    reply.body = QByteArray(600, 'x');
    const QStringList lines = logged([&] { GitHubService::logResponse(reply, u"search/issues (author)"_s); });
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], u"[API] ← Response from search/issues (author)"_s);
    EXPECT_EQ(lines[1], u"[API]   Status: 200"_s);
    EXPECT_EQ(lines[2], u"[API]   Headers: [\"Content-Type\": \"application/json\"]"_s);
    EXPECT_EQ(lines[3], u"[API]   Body (600 bytes): "_s + QString(500, u'x'));

    reply.body = QByteArray("\xff\xfe", 2); // not UTF-8: no body line
    EXPECT_EQ(logged([&] { GitHubService::logResponse(reply, u"x"_s); }).size(), 3);
}

TEST(GitHubErrors, SearchTextEncoding)
{
    EXPECT_EQ(GitHubService::encodeQueryText(u"author:jo#é"_s), u"author:jo%23%C3%A9"_s);
}

namespace {

TEST(SystemProxyFactory, TheProxyVariablesApplyButNeverToTheLoopback)
{
    const QByteArray saved = qgetenv("http_proxy");
    const QByteArray savedHttps = qgetenv("https_proxy");
    const QByteArray savedNo = qgetenv("no_proxy");
    qputenv("http_proxy", "http://proxy.example:3128");
    qputenv("https_proxy", "http://proxy.example:3128");
    qputenv("no_proxy", "ghe.internal");
    SystemProxyFactory factory;
    const std::pair<const char*, bool> cases[] = {
        {"https://api.github.com/search/issues", true}, {"http://ghe.example.com/api/v3", true},
        {"https://ghe.internal/api/v3", false},         {"http://127.0.0.1:8080/user", false},
        {"http://localhost:8080/user", false},          {"http://[::1]:8080/user", false},
    };
    for (const auto& [address, proxied] : cases) {
        const QList<QNetworkProxy> proxies =
            factory.queryProxy(QNetworkProxyQuery(QUrl(QString::fromUtf8(address))));
        ASSERT_FALSE(proxies.isEmpty()) << address;
        EXPECT_EQ(proxies.first().type() == QNetworkProxy::HttpProxy, proxied) << address;
        if (proxied) {
            EXPECT_EQ(proxies.first().hostName(), u"proxy.example"_s) << address;
            EXPECT_EQ(proxies.first().port(), 3128) << address;
        }
    }
    const auto restore = [](const char* name, const QByteArray& value) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    };
    restore("http_proxy", saved);
    restore("https_proxy", savedHttps);
    restore("no_proxy", savedNo);
}

TEST(TransportFailureText, AnUnverifiedCertificateSaysWhatIsWrong)
{
    const QUrl url(u"https://api.github.com/user"_s);
    const QString text =
        transportFailureText(QNetworkReply::SslHandshakeFailedError, u"SSL handshake failed"_s, url);
    EXPECT_TRUE(text.startsWith(u"The TLS certificate of api.github.com could not be verified"_s))
        << text.toStdString();
    EXPECT_TRUE(text.contains(u"SSL handshake failed"_s));
    EXPECT_EQ(transportFailureText(QNetworkReply::ConnectionRefusedError, u"Connection refused"_s, url),
              u"Connection refused"_s);
}

// A translation puts a message's words in its own order; what the message names stays in it.
TEST(TranslatedErrors, MessagesKeepWhatTheyNameAndCountInTheLanguage)
{
    {
        const ScopedTranslation german(u"de"_s);
        ASSERT_TRUE(german.installed());
        const QUrl url(u"https://ghe.example.com/api/v3/user"_s);
        const std::pair<QString, QString> cases[] = {
            {transportFailureText(QNetworkReply::SslHandshakeFailedError, u"SSL handshake failed"_s, url)
                 .section(u'.', 0, 2),
             u"Das TLS-Zertifikat von ghe.example.com konnte nicht überprüft werden (SSL handshake failed)"_s},
            {transportFailureText(QNetworkReply::TooManyRedirectsError, {}, url),
             u"GitHub hat die Anfrage mehr als 5-mal umgeleitet; Norvane folgt ihr nicht weiter."_s},
            {GitHubAPIError::badServerResponse(u"search/issues (author)"_s, 502, u"Bad gateway"_s)
                 .errorDescription(),
             u"API-Fehler [search/issues (author)]: HTTP 502 - Bad gateway"_s},
            {GitHubServiceError().errorDescription(),
             u"GitHub hat das Zugriffstoken abgelehnt (HTTP 401)."_s},
            {tokenRefusal({TokenOwner::Kind::owner, u"octocat"_s, {}}, u"mona"_s).value_or(QString()),
             u"Dieses Token gehört @octocat, nicht @mona."_s},
        };
        for (const auto& [text, expected] : cases)
            EXPECT_EQ(text, expected) << text.toStdString();
    }
    const ScopedTranslation polish(u"pl"_s);
    ASSERT_TRUE(polish.installed());
    const std::pair<int, const char*> counts[] = {
        {1, "1 bajt"}, {2, "2 bajty"}, {5, "5 bajtów"}, {22, "22 bajty"}};
    for (const auto& [n, expected] : counts)
        EXPECT_EQ(QCoreApplication::translate("Network", "%n byte(s)", nullptr, n).toStdString(), expected);
}

} // namespace
