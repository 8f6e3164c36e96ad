#include "github/github_errors.h"
#include "github/github_service.h"
#include "platform/debug_log.h"

#include <QNetworkReply>

#include <gtest/gtest.h>

using namespace norvane;

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
    const QString body = QString(150, QLatin1Char('a')) + QString(850, QLatin1Char('b'));
    const QString cut = QString(150, QLatin1Char('a')) + QString(50, QLatin1Char('b'));

    const auto server = GitHubAPIError::badServerResponse(QStringLiteral("search/issues (author)"), 502, body);
    EXPECT_EQ(server.errorDescription(), QStringLiteral("API Error [search/issues (author)]: HTTP 502 - ") + cut);
    EXPECT_EQ(server.body(), body); // the error keeps the whole body

    const auto decoding = GitHubAPIError::decodingError(QStringLiteral("repos/o/r/pulls/1"), QStringLiteral("key \"head\": missing"), body);
    EXPECT_EQ(decoding.errorDescription(),
              QStringLiteral("JSON Decode Error [repos/o/r/pulls/1]: key \"head\": missing - Response: ") + cut);

    EXPECT_EQ(GitHubAPIError::badURL(QStringLiteral("https://x/ y")).errorDescription(),
              QStringLiteral("Invalid URL: https://x/ y"));
    const TransportError offline(QNetworkReply::HostNotFoundError, QStringLiteral("Host api.github.com not found"));
    EXPECT_EQ(GitHubAPIError::networkError(QStringLiteral("search/issues (assignee)"), offline).errorDescription(),
              QStringLiteral("Network Error [search/issues (assignee)]: Host api.github.com not found"));
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
            GitHubService::makeRequest(QUrl(QStringLiteral("https://api.github.com/user")), QString::fromLatin1(token));
        const QStringList lines = logged([&] { GitHubService::logRequest(request, QStringLiteral("user")); });
        EXPECT_EQ(lines, (QStringList{QStringLiteral("[API] → Request to user"),
                                      QStringLiteral("[API]   URL: https://api.github.com/user"),
                                      QStringLiteral("[API]   Method: GET"),
                                      QStringLiteral("[API]   Header: Authorization = ") + QString::fromLatin1(shown),
                                      QStringLiteral("[API]   Header: Accept = application/vnd.github.v3+json")}));
    }
}

TEST(GitHubErrors, ResponseLogShowsStatusHeadersAndTheBodyStart)
{
    HttpReply reply;
    reply.statusCode = 200;
    reply.headers = {{"Content-Type", "application/json"}};
    reply.body = QByteArray(600, 'x');
    const QStringList lines = logged([&] { GitHubService::logResponse(reply, QStringLiteral("search/issues (author)")); });
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("[API] ← Response from search/issues (author)"));
    EXPECT_EQ(lines[1], QStringLiteral("[API]   Status: 200"));
    EXPECT_EQ(lines[2], QStringLiteral("[API]   Headers: [\"Content-Type\": \"application/json\"]"));
    EXPECT_EQ(lines[3], QStringLiteral("[API]   Body (600 bytes): ") + QString(500, QLatin1Char('x')));

    reply.body = QByteArray("\xff\xfe", 2); // not UTF-8: no body line
    EXPECT_EQ(logged([&] { GitHubService::logResponse(reply, QStringLiteral("x")); }).size(), 3);
}

TEST(GitHubErrors, SearchTextEncoding)
{
    EXPECT_EQ(GitHubService::encodeQueryText(QStringLiteral("type:pr state:open author:me")),
              QStringLiteral("type:pr%20state:open%20author:me"));
    EXPECT_EQ(GitHubService::encodeQueryText(QStringLiteral("repo:acme/api type:pr")),
              QStringLiteral("repo:acme/api%20type:pr"));
    EXPECT_EQ(GitHubService::encodeQueryText(QStringLiteral("author:jo#é")), QStringLiteral("author:jo%23%C3%A9"));
}
