#include "github/http_session.h"

#include "github/github_errors.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

#include <qcoro/qcoronetworkreply.h>

#include <memory>

namespace norvane {

namespace {

[[noreturn]] void throwCancelled()
{
    throw TransportError(QNetworkReply::OperationCanceledError, QStringLiteral("Operation canceled"));
}

struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const
    {
        if (reply)
            reply->deleteLater();
    }
};

} // namespace

QString transportFailureText(QNetworkReply::NetworkError error, const QString& qtText, const QUrl& url)
{
    // Qt refuses a certificate it cannot verify and never retries without checking; say so plainly, since
    // its own text ("SSL handshake failed") does not tell a person what to do.
    if (error == QNetworkReply::SslHandshakeFailedError) {
        return QStringLiteral("The TLS certificate of %1 could not be verified (%2). Norvane does not connect "
                              "without a verified certificate; check the system's certificates, or a proxy "
                              "that intercepts HTTPS.")
            .arg(url.host(), qtText);
    }
    return qtText;
}

namespace {

QCoro::Task<HttpReply> await(QNetworkReply* raw, CancelToken cancel)
{
    std::unique_ptr<QNetworkReply, ReplyDeleter> reply(raw);
    QMetaObject::Connection abortOnCancel;
    if (cancel)
        abortOnCancel = QObject::connect(cancel.get(), &Cancellation::cancelled, raw, &QNetworkReply::abort);
    co_await raw;
    QObject::disconnect(abortOnCancel);

    // Qt reports HTTP error statuses as errors too; those are answers. Network-level errors (refused,
    // dropped mid-body, timed out, cancelled, proxy trouble, a garbled response) mean the answer is missing
    // or incomplete, even when its headers had already arrived.
    const QNetworkReply::NetworkError error = raw->error();
    const bool networkLevel = (error >= QNetworkReply::ConnectionRefusedError && error <= QNetworkReply::UnknownNetworkError) ||
                              (error >= QNetworkReply::ProxyConnectionRefusedError && error <= QNetworkReply::ProxyTimeoutError) ||
                              error == QNetworkReply::UnknownProxyError || error == QNetworkReply::ProtocolFailure;
    if (networkLevel) {
        if (cancel && cancel->isCancelled())
            throwCancelled();
        throw TransportError(error, transportFailureText(error, raw->errorString(), raw->url()),
                             QVariantMap{{QStringLiteral("url"), raw->url().toString()}});
    }
    const QVariant status = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        HttpReply result;
        result.statusCode = status.toInt();
        result.headers = raw->rawHeaderPairs();
        result.body = raw->readAll();
        co_return result;
    }
    if (error != QNetworkReply::NoError)
        throw TransportError(error, raw->errorString(), QVariantMap{{QStringLiteral("url"), raw->url().toString()}});
    HttpReply result;
    result.isHttp = false;
    result.body = raw->readAll();
    co_return result;
}

} // namespace

HttpSession::HttpSession(QNetworkAccessManager* manager, QString userAgent, int timeoutMs)
    : m_manager(manager), m_userAgent(std::move(userAgent)), m_timeoutMs(timeoutMs)
{
}

QString HttpSession::defaultUserAgent()
{
    const QString version = QCoreApplication::applicationVersion();
    return QStringLiteral("Norvane/") + (version.isEmpty() ? QStringLiteral("0") : version);
}

QCoro::Task<HttpReply> HttpSession::get(QNetworkRequest request, CancelToken cancel, QString partition) const
{
    if (cancel && cancel->isCancelled())
        throwCancelled();
    if (!request.hasRawHeader("User-Agent"))
        request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    request.setTransferTimeout(m_timeoutMs);
    if (partition.isEmpty())
        co_return co_await await(m_manager->get(request), std::move(cancel));

    // Held by the coroutine: the session may be a temporary of the caller's.
    const std::shared_ptr<ResponseCache> cache = m_cache;
    const std::shared_ptr<RateLimitLedger> ledger = m_rateLimits;
    const QByteArray credential = request.rawHeader("Authorization");
    std::optional<CachedResponse> stored;
    if (cache) {
        stored = cache->find(partition, request.url(), credential);
        if (stored && !stored->etag.isEmpty())
            request.setRawHeader("If-None-Match", stored->etag);
        if (stored && !stored->lastModified.isEmpty())
            request.setRawHeader("If-Modified-Since", stored->lastModified);
    }
    const QUrl url = request.url();
    HttpReply reply = co_await await(m_manager->get(request), std::move(cancel));
    if (!reply.isHttp)
        co_return reply;
    if (ledger) {
        if (const auto reading = rateLimitReading(reply.headers))
            ledger->record(partition, *reading);
    }
    if (stored && reply.statusCode == 304) {
        reply.statusCode = 200;
        reply.body = stored->body;
        reply.fromCache = true;
    } else if (cache && reply.statusCode == 200) {
        CachedResponse fresh;
        for (const auto& [name, value] : std::as_const(reply.headers)) {
            if (name.compare("ETag", Qt::CaseInsensitive) == 0)
                fresh.etag = value;
            else if (name.compare("Last-Modified", Qt::CaseInsensitive) == 0)
                fresh.lastModified = value;
        }
        if (!fresh.etag.isEmpty() || !fresh.lastModified.isEmpty()) {
            fresh.body = reply.body;
            cache->store(partition, url, credential, fresh);
        }
    }
    co_return reply;
}

QCoro::Task<HttpReply> HttpSession::postForm(QNetworkRequest request, QByteArray form, CancelToken cancel) const
{
    if (cancel && cancel->isCancelled())
        throwCancelled();
    if (!request.hasRawHeader("User-Agent"))
        request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    request.setTransferTimeout(m_timeoutMs);
    return await(m_manager->post(request, form), std::move(cancel));
}

} // namespace norvane
