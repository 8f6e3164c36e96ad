#include "core/stored_encoding.h"
#include "github/github_request.h"
#include "github/github_service_internal.h"
#include "platform/debug_log.h"

#include <QCoreApplication>
#include <QStringDecoder>

namespace norvane {

namespace {
const QString kApi = QStringLiteral("API");
} // namespace

GitHubService::GitHubService(HttpSession session, QString baseURL, Options options)
{
    auto ctx =
        std::make_shared<Context>(Context{std::move(session), std::move(baseURL), std::move(options.now),
                                          std::move(options.timeZone), QString()});
    if (!ctx->now)
        ctx->now = [] { return QDateTime::currentDateTimeUtc(); };
    m_context = std::move(ctx);
}

QString GitHubService::baseURL() const
{
    return m_context->baseURL;
}

GitHubService GitHubService::forAccount(const GitHubAccount& account) const
{
    auto context = std::make_shared<Context>(*m_context);
    context->baseURL = account.endpoints({m_context->baseURL, QString()}).apiBaseURL;
    context->cachePartition = uuidText(account.id);
    return GitHubService(std::shared_ptr<const Context>(std::move(context)));
}

void GitHubService::forgetAccount(const QUuid& accountId) const
{
    if (const auto& cache = m_context->session.responseCache())
        cache->removePartition(uuidText(accountId));
    if (const auto& ledger = m_context->session.rateLimitLedger())
        ledger->forget(uuidText(accountId));
}

QMap<QString, RateLimitReading> GitHubService::rateLimits(const QUuid& accountId) const
{
    const auto& ledger = m_context->session.rateLimitLedger();
    return ledger ? ledger->readings(uuidText(accountId)) : QMap<QString, RateLimitReading>{};
}

QNetworkRequest GitHubService::makeRequest(const QUrl& url, const QString& token)
{
    return gitHubRequest(GitHubRequestKind::apiQuery, url, token);
}

namespace {

QCoro::Task<GitHubService::UserAnswer> askForUser(HttpSession session, QUrl url, QString token,
                                                  CancelToken cancel)
{
    // Never from the answer cache: whose a token is now is the question.
    const QNetworkRequest request = gitHubRequest(GitHubRequestKind::tokenOwner, url, token);
    const HttpReply reply = co_await session.get(request, std::move(cancel));
    co_return GitHubService::UserAnswer{reply.statusCode, wire::decodeUserLogin(reply.body)};
}

} // namespace

QCoro::Task<GitHubService::UserAnswer> GitHubService::fetchUser(QString token, CancelToken cancel) const
{
    return askForUser(m_context->session, QUrl(m_context->baseURL + QStringLiteral("/user")),
                      std::move(token), std::move(cancel));
}

void GitHubService::logRequest(const QNetworkRequest& request, const QString& endpoint)
{
    if (!isDebugMode()) // every refresh logs its first search: build none of these lines for nothing
        return;
    debugLog(kApi, QStringLiteral("→ Request to ") + endpoint);
    const QUrl url = request.url();
    debugLog(kApi, QStringLiteral("  URL: ") +
                       (url.isEmpty() ? QStringLiteral("nil") : url.toString(QUrl::FullyEncoded)));
    debugLog(kApi, QStringLiteral("  Method: GET"));
    for (const QByteArray& name : request.rawHeaderList()) {
        QString value = QString::fromUtf8(request.rawHeader(name));
        // Never more than "token " and the token's first 9 characters.
        if (name == "Authorization")
            value = value.left(15) + QStringLiteral("...");
        debugLog(kApi, QStringLiteral("  Header: %1 = %2").arg(QString::fromUtf8(name), value));
    }
}

void GitHubService::logResponse(const HttpReply& reply, const QString& endpoint)
{
    if (!isDebugMode()) // spares decoding a whole search page as text on every refresh
        return;
    if (!reply.isHttp) {
        debugLog(
            kApi,
            QStringLiteral("← Non-HTTP response from %1: <%2 bytes>").arg(endpoint).arg(reply.body.size()));
        return;
    }
    debugLog(kApi, QStringLiteral("← Response from ") + endpoint);
    debugLog(kApi, QStringLiteral("  Status: ") + QString::number(reply.statusCode));
    QStringList headers;
    for (const auto& [name, value] : reply.headers)
        headers.append(
            QStringLiteral("\"%1\": \"%2\"").arg(QString::fromUtf8(name), QString::fromUtf8(value)));
    debugLog(kApi, QStringLiteral("  Headers: [") + headers.join(QStringLiteral(", ")) + QLatin1Char(']'));
    if (reply.body.isEmpty())
        return;
    if (const auto text = detail::utf8Text(reply.body))
        debugLog(kApi, QStringLiteral("  Body (%1 bytes): %2").arg(reply.body.size()).arg(text->left(500)));
}

QString GitHubService::encodeQueryText(const QString& text)
{
    // The characters a URL query may carry unescaped, besides letters and digits.
    return QString::fromLatin1(QUrl::toPercentEncoding(text, QByteArrayLiteral("!$&'()*+,-./:;=?@_~")));
}

namespace detail {

std::optional<QString> utf8Text(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QUrl> parseAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        return std::nullopt;
    return url;
}

void logDecodeFailure(const QString& endpoint, const QString& error)
{
    debugLog(kApi, QStringLiteral("❌ Decode error in %1: %2").arg(endpoint, error));
}

static void logTransportFailure(const QString& endpoint, const TransportError& e)
{
    debugLog(kApi, QStringLiteral("❌ Network error in %1: %2").arg(endpoint, e.printed()));
    debugLog(kApi, QStringLiteral("   Error domain: ") + e.domain());
    debugLog(kApi, QStringLiteral("   Error code: ") + QString::number(e.code()));
    QStringList info;
    for (auto it = e.info().cbegin(); it != e.info().cend(); ++it)
        info.append(QStringLiteral("%1: %2").arg(it.key(), it.value().toString()));
    debugLog(kApi, QStringLiteral("   Error info: [") + info.join(QStringLiteral(", ")) + QLatin1Char(']'));
}

QCoro::Task<HttpReply> fetchClassified(Ctx ctx, QString address, QString endpoint, QString token,
                                       CancelToken cancel, Classification how, bool logExchange, CacheUse use)
{
    const auto url = parseAddress(address);
    if (!url)
        throw GitHubAPIError::badURL(address);
    const QNetworkRequest request = GitHubService::makeRequest(*url, token);
    if (logExchange)
        GitHubService::logRequest(request, endpoint);

    HttpReply reply;
    try {
        reply = co_await ctx->session.get(request, cancel, ctx->cachePartition, use);
    } catch (const TransportError& e) {
        if (how.log)
            logTransportFailure(endpoint, e);
        throw GitHubAPIError::networkError(endpoint, e);
    }
    if (logExchange)
        GitHubService::logResponse(reply, endpoint);

    if (!reply.isHttp)
        throw GitHubAPIError::badServerResponse(
            endpoint, 0, QCoreApplication::translate("GitHubError", "Non-HTTP response"));
    if (reply.statusCode == 200)
        co_return reply;

    const QString body = utf8Text(reply.body).value_or(how.undecodableBody);
    if (how.log) {
        debugLog(kApi, how.statusLogPrefix + QString::number(reply.statusCode));
        debugLog(kApi, QStringLiteral("Response: ") +
                           utf8Text(reply.body).value_or(QStringLiteral("No response body")));
    }
    if (how.unauthorizedAsServiceError && reply.statusCode == 401)
        throw GitHubServiceError(GitHubServiceError::Kind::unauthorized);
    if (auto limited = rateLimitError(ctx, endpoint, reply))
        throw *limited;
    throw GitHubAPIError::badServerResponse(endpoint, reply.statusCode, body);
}

std::optional<GitHubAPIError> rateLimitError(const Ctx& ctx, const QString& endpoint, const HttpReply& reply)
{
    if (!reply.isHttp)
        return std::nullopt;
    const auto hit = rateLimitHit(reply.statusCode, reply.headers, reply.body, ctx->now());
    if (!hit)
        return std::nullopt;
    debugLog(kApi, QStringLiteral("⏳ %1 rate limit reached in %2; GitHub accepts requests again at %3")
                       .arg(hit->kind == RateLimitHit::Kind::primary ? QStringLiteral("Primary")
                                                                     : QStringLiteral("Secondary"),
                            endpoint, hit->retryAt.toUTC().toString(Qt::ISODate)));
    return GitHubAPIError::badServerResponse(
        endpoint, reply.statusCode, utf8Text(reply.body).value_or(QStringLiteral("No response body")),
        hit->retryAt);
}

QString endpointLabel(const Ctx& ctx, const QString& address)
{
    const QString base = ctx->baseURL + QLatin1Char('/');
    const QString below = address.startsWith(base) ? address.mid(base.size()) : address;
    return below.section(QLatin1Char('?'), 0, 0);
}

QCoro::Task<std::optional<HttpReply>> fetchQuietly(Ctx ctx, QString address, QString token,
                                                   CancelToken cancel, OnRateLimit onLimit, CacheUse use)
{
    const auto url = parseAddress(address);
    if (!url)
        co_return std::nullopt;
    HttpReply reply;
    try {
        reply = co_await ctx->session.get(GitHubService::makeRequest(*url, token), cancel,
                                          ctx->cachePartition, use);
    } catch (const TransportError&) {
        co_return std::nullopt;
    }
    if (reply.isHttp && reply.statusCode == 200)
        co_return std::move(reply);
    if (onLimit == OnRateLimit::stop) {
        if (auto limited = rateLimitError(ctx, endpointLabel(ctx, address), reply))
            throw *limited;
    }
    co_return std::nullopt;
}

} // namespace detail
} // namespace norvane
