#include "github/http_session.h"

#include "github/github_errors.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSet>
#include <coroutine>
#include <memory>
#include <qcoro/qcorotask.h>
#include <utility>

namespace norvane {

namespace {

[[noreturn]] void throwCancelled()
{
    throw TransportError(QNetworkReply::OperationCanceledError, QStringLiteral("Operation canceled"));
}

struct ReplyDeleter
{
    void operator()(QNetworkReply* reply) const
    {
        if (reply)
            reply->deleteLater();
    }
};

// Awaits a reply's end. QCoro 0.8's own awaiter connects to `finished` for good and without a context object,
// so a reply that announces its end a second time (it happened after an abort) resumed a coroutine that had
// already ended and been freed. This one resumes at most once and only while the reply exists; it still
// resumes synchronously, inside the emission, as the cancelling code expects.
class ReplyFinished
{
public:
    explicit ReplyFinished(QNetworkReply* reply) : m_reply(reply) {}
    bool await_ready() const noexcept { return m_reply->isFinished(); }
    void await_suspend(std::coroutine_handle<> awaiting) const
    {
        QObject::connect(
            m_reply, &QNetworkReply::finished, m_reply, [awaiting] { awaiting.resume(); },
            Qt::SingleShotConnection);
    }
    void await_resume() const noexcept {}

private:
    QNetworkReply* m_reply;
};

} // namespace

QString transportFailureText(QNetworkReply::NetworkError error, const QString& qtText, const QUrl& url)
{
    if (error == QNetworkReply::TooManyRedirectsError) {
        return QCoreApplication::translate(
                   "Network",
                   "GitHub redirected the request more than %1 times; Norvane stopped following it.")
            .arg(HttpSession::kMaxRedirects);
    }
    // Qt refuses a certificate it cannot verify and never retries without checking; say so plainly, since
    // its own text ("SSL handshake failed") does not tell a person what to do.
    if (error == QNetworkReply::SslHandshakeFailedError) {
        //: %1 is the server's host name, %2 the TLS library's own words
        return QCoreApplication::translate(
                   "Network", "The TLS certificate of %1 could not be verified (%2). Norvane does "
                              "not connect without a verified certificate; check the system's "
                              "certificates, or a proxy that intercepts HTTPS.")
            .arg(url.host(), qtText);
    }
    return qtText;
}

namespace {

int defaultPort(const QString& scheme)
{
    if (scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0)
        return 443;
    if (scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0)
        return 80;
    return -1;
}

QString redirectTargetText(const QUrl& from, const QUrl& to)
{
    // The host as a person would recognise it; the scheme and port only where they are what differs.
    QString text = to.host();
    if (to.port() != -1)
        text += QLatin1Char(':') + QString::number(to.port());
    if (from.scheme().compare(to.scheme(), Qt::CaseInsensitive) != 0)
        text = to.scheme() + QStringLiteral("://") + text;
    return text;
}

} // namespace

bool isSameOrigin(const QUrl& from, const QUrl& to)
{
    return from.scheme().compare(to.scheme(), Qt::CaseInsensitive) == 0 &&
           from.host().compare(to.host(), Qt::CaseInsensitive) == 0 &&
           from.port(defaultPort(from.scheme())) == to.port(defaultPort(to.scheme()));
}

namespace {

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Where a redirect answer points, resolved against the request; nullopt for any other answer.
std::optional<QUrl> redirectTarget(int status, const QList<QPair<QByteArray, QByteArray>>& headers,
                                   const QUrl& from)
{
    if (!isRedirect(status))
        return std::nullopt;
    for (const auto& [name, value] : headers) {
        if (name.compare("Location", Qt::CaseInsensitive) == 0)
            return from.resolved(QUrl::fromEncoded(value.trimmed()));
    }
    return std::nullopt;
}

QString refusedRedirectText(const QUrl& from, const QUrl& to)
{
    //: %1 is the host the request was sent on to, e.g. "evil.example.com" or "http://api.github.com"
    return QCoreApplication::translate(
               "Network",
               "GitHub redirected the request to %1; Norvane does not send your token to another host.")
        .arg(redirectTargetText(from, to));
}

QString sizeText(qint64 bytes)
{
    constexpr qint64 mebibyte = 1024 * 1024;
    return bytes % mebibyte == 0 ? QCoreApplication::translate("Network", "%1 MiB").arg(bytes / mebibyte)
                                 : QCoreApplication::translate("Network", "%n byte(s)", nullptr, int(bytes));
}

// Set on a reply aborted for its size (the bound it passed), so that those who watch replies themselves
// can tell it from a cancelled one.
constexpr char kOversizedProperty[] = "norvaneOversizedBound";

QString oversizedText(const QNetworkReply* reply, qint64 bound)
{
    //: %1 is the server's host name, %2 a size such as "32 MiB"
    return QCoreApplication::translate("Network",
                                       "The reply from %1 was larger than %2; Norvane stopped reading it.")
        .arg(reply->url().host(), sizeText(bound));
}

} // namespace

std::optional<QString> HttpSession::oversizedReply(const QNetworkReply* reply)
{
    const QVariant bound = reply->property(kOversizedProperty);
    if (!bound.isValid())
        return std::nullopt;
    return oversizedText(reply, bound.toLongLong());
}

std::optional<QString> HttpSession::refusedRedirect(const QNetworkReply* reply)
{
    const QUrl from = reply->request().url();
    const auto target = redirectTarget(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                                       reply->rawHeaderPairs(), from);
    if (!target || isSameOrigin(from, *target))
        return std::nullopt;
    return refusedRedirectText(from, *target);
}

namespace {

QCoro::Task<HttpReply> await(QNetworkReply* raw, CancelToken cancel, qint64 maxBytes)
{
    std::unique_ptr<QNetworkReply, ReplyDeleter> reply(raw);
    QMetaObject::Connection abortOnCancel;
    if (cancel)
        abortOnCancel = QObject::connect(cancel.get(), &Cancellation::cancelled, raw, &QNetworkReply::abort);
    // Qt keeps the whole body until it is read: stop as soon as it holds more than the bound. The flag is
    // shared, not a local: aborting resumes this coroutine inside the slot, and it may end there.
    const auto oversized = std::make_shared<bool>(false);
    const QMetaObject::Connection abortWhenOversized =
        QObject::connect(raw, &QNetworkReply::readyRead, raw, [raw, maxBytes, oversized] {
            if (*oversized || raw->bytesAvailable() <= maxBytes)
                return;
            *oversized = true;
            raw->setProperty(kOversizedProperty, maxBytes);
            raw->abort();
        });
    co_await ReplyFinished(raw);
    QObject::disconnect(abortOnCancel);
    QObject::disconnect(abortWhenOversized);

    if (*oversized || raw->bytesAvailable() > maxBytes) {
        throw TransportError(QNetworkReply::UnknownContentError, oversizedText(raw, maxBytes),
                             QVariantMap{{QStringLiteral("url"), raw->url().toString()}});
    }

    // Qt reports HTTP error statuses as errors too; those are answers. Network-level errors (refused,
    // dropped mid-body, timed out, cancelled, proxy trouble, a garbled response) mean the answer is missing
    // or incomplete, even when its headers had already arrived.
    const QNetworkReply::NetworkError error = raw->error();
    const bool networkLevel =
        (error >= QNetworkReply::ConnectionRefusedError && error <= QNetworkReply::UnknownNetworkError) ||
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
        throw TransportError(error, raw->errorString(),
                             QVariantMap{{QStringLiteral("url"), raw->url().toString()}});
    HttpReply result;
    result.isHttp = false;
    result.body = raw->readAll();
    co_return result;
}

// Sends the request (a POST when there is a form) and follows redirects within the request's origin only:
// a token, a device code or a stored validator is never handed to another host, nor sent in clear after an
// https request. Followed here, once for every request, rather than by Qt: Qt follows redirects by default
// and resends every header, Authorization included, wherever Location points.
QCoro::Task<HttpReply> transfer(QNetworkAccessManager* manager, QNetworkRequest request,
                                std::optional<QByteArray> form, CancelToken cancel, qint64 maxBytes)
{
    const QUrl origin = request.url();
    for (int hops = 0;; ++hops) {
        QNetworkReply* raw = form ? manager->post(request, *form) : manager->get(request);
        HttpReply reply = co_await await(raw, cancel, maxBytes);
        const std::optional<QUrl> target =
            reply.isHttp ? redirectTarget(reply.statusCode, reply.headers, request.url()) : std::nullopt;
        if (!target)
            co_return reply;
        if (!isSameOrigin(origin, *target)) {
            throw TransportError(QNetworkReply::InsecureRedirectError, refusedRedirectText(origin, *target),
                                 QVariantMap{{QStringLiteral("url"), origin.toString()},
                                             {QStringLiteral("redirect"), target->toString()}});
        }
        if (hops == HttpSession::kMaxRedirects) {
            throw TransportError(
                QNetworkReply::TooManyRedirectsError,
                transportFailureText(QNetworkReply::TooManyRedirectsError, QString(), origin),
                QVariantMap{{QStringLiteral("url"), origin.toString()}});
        }
        if (cancel && cancel->isCancelled())
            throwCancelled();
        request.setUrl(*target);
        // As browsers do: 303, and 301 or 302 after a POST, ask again with GET; 307 and 308 keep the POST.
        if (form && (reply.statusCode == 303 || reply.statusCode == 301 || reply.statusCode == 302)) {
            form.reset();
            request.setHeader(QNetworkRequest::ContentTypeHeader, QVariant());
        }
    }
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

namespace {

std::optional<QSslConfiguration> trusting(const QList<QSslCertificate>& authorities)
{
    if (authorities.isEmpty())
        return std::nullopt;
    // Named in full: a configuration with its own list stops loading the system's on demand. An authority the
    // system trusts already is not added twice.
    QList<QSslCertificate> all = QSslConfiguration::systemCaCertificates();
    const QSet<QSslCertificate> system(all.cbegin(), all.cend());
    const qsizetype systemCount = all.size();
    for (const QSslCertificate& authority : authorities) {
        if (!system.contains(authority))
            all.append(authority);
    }
    if (all.size() == systemCount)
        return std::nullopt;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setCaCertificates(all);
    return tls;
}

} // namespace

void HttpSession::trustAlso(const QList<QSslCertificate>& authorities)
{
    m_trust = std::make_shared<Trust>(Trust{{}, trusting(authorities)});
}

void HttpSession::trustAlsoWhenNeeded(std::function<QList<QSslCertificate>()> read)
{
    m_trust = std::make_shared<Trust>(Trust{std::move(read), std::nullopt});
}

void HttpSession::prepare(QNetworkRequest& request) const
{
    if (m_trust->read && request.url().scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0)
        m_trust->tls = trusting(std::exchange(m_trust->read, {})());
    if (m_trust->tls)
        request.setSslConfiguration(*m_trust->tls);
    if (!request.hasRawHeader("User-Agent"))
        request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    request.setTransferTimeout(m_timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
}

QCoro::Task<HttpReply> HttpSession::get(QNetworkRequest request, CancelToken cancel, QString partition,
                                        CacheUse use) const
{
    if (cancel && cancel->isCancelled())
        throwCancelled();
    prepare(request);
    if (partition.isEmpty())
        co_return co_await transfer(m_manager, request, std::nullopt, std::move(cancel), m_maxReplyBytes);

    // Held by the coroutine: the session may be a temporary of the caller's.
    const std::shared_ptr<ResponseCache> cache = m_cache;
    const std::shared_ptr<RateLimitLedger> ledger = m_rateLimits;
    const QByteArray credential = request.rawHeader("Authorization");
    std::optional<CachedResponse> stored;
    if (cache && use == CacheUse::refetch) {
        cache->remove(partition, request.url());
    } else if (cache) {
        stored = cache->find(partition, request.url(), credential);
        if (stored && !stored->etag.isEmpty())
            request.setRawHeader("If-None-Match", stored->etag);
        if (stored && !stored->lastModified.isEmpty())
            request.setRawHeader("If-Modified-Since", stored->lastModified);
    }
    const QUrl url = request.url();
    HttpReply reply = co_await transfer(m_manager, request, std::nullopt, std::move(cancel), m_maxReplyBytes);
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
        } else if (stored) {
            cache->remove(partition, url); // its validators name an answer that is no longer the latest
        }
    }
    co_return reply;
}

QCoro::Task<HttpReply> HttpSession::postForm(QNetworkRequest request, QByteArray form,
                                             CancelToken cancel) const
{
    if (cancel && cancel->isCancelled())
        throwCancelled();
    prepare(request);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    return transfer(m_manager, std::move(request), std::move(form), std::move(cancel), m_maxReplyBytes);
}

} // namespace norvane
