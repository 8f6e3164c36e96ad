#pragma once

#include "github/cancellation.h"
#include "github/rate_limit.h"
#include "github/response_cache.h"

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPair>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

class QNetworkAccessManager;

namespace norvane {

// What came back for one request that reached a server. Transport failures are thrown as TransportError.
struct HttpReply
{
    bool isHttp = true;
    int statusCode = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool fromCache = false; // GitHub answered 304 to our validators and `body` is the stored answer
};

// What a network-level failure says to a person: Qt's own text, made plainer where it does not say what to
// do.
QString transportFailureText(QNetworkReply::NetworkError error, const QString& qtText, const QUrl& url);

// Whether a redirect from `from` to `to` stays within one origin: scheme, host and port.
bool isSameOrigin(const QUrl& from, const QUrl& to);

// The process's shared HTTP session: one QNetworkAccessManager, the 60-second transfer timeout and the
// User-Agent GitHub insists on. Callers build the request with only the headers they mean to send.
//
// With a response cache, a GET made for an account ("partition") carries the validators of the answer
// stored for it (If-None-Match, If-Modified-Since); a 304 to such a request comes back as the stored 200,
// a 200 with validators is stored, and one without drops what was stored. A 304 the session did not ask
// for stays a 304. Every answer to a partitioned request also updates the rate-limit ledger. Copies share
// the cache and the ledger.
//
// Redirects are followed by the session, not by Qt, and only within the request's own origin (GitHub moves
// renamed repositories within its API host), at most kMaxRedirects times; a redirect anywhere else fails the
// request with a TransportError (QNetworkReply::InsecureRedirectError) that names where it pointed, before
// anything is sent there.
//
// No reply is read past kMaxReplyBytes, far above anything GitHub sends: a larger one (from a misbehaving
// server or proxy) is aborted and fails the request with a TransportError
// (QNetworkReply::UnknownContentError) rather than filling memory; it is never stored in the cache. The bound
// holds for each hop of a redirect.
class HttpSession
{
public:
    static constexpr int kTimeoutMs = 60'000;
    static constexpr int kMaxRedirects = 5;
    static constexpr qint64 kMaxReplyBytes = 32 * 1024 * 1024;
    // The message for a reply whose redirect the session refuses, for those who watch replies themselves.
    static std::optional<QString> refusedRedirect(const QNetworkReply* reply);
    // The message for a reply the session stopped reading for its size (its status may still read 200).
    static std::optional<QString> oversizedReply(const QNetworkReply* reply);

    // `timeoutMs`: how long a transfer may stall; only tests that wait for a time-out shorten it.
    explicit HttpSession(QNetworkAccessManager* manager, QString userAgent = defaultUserAgent(),
                         int timeoutMs = kTimeoutMs);

    static QString defaultUserAgent();

    // Only tests that need an oversized reply lower the bound.
    void setMaxReplyBytes(qint64 bytes) { m_maxReplyBytes = bytes; }

    void setResponseCache(std::shared_ptr<ResponseCache> cache) { m_cache = std::move(cache); }
    const std::shared_ptr<ResponseCache>& responseCache() const { return m_cache; }
    void setRateLimitLedger(std::shared_ptr<RateLimitLedger> ledger) { m_rateLimits = std::move(ledger); }
    // Certificate authorities trusted for every request besides the system's (a company's own, say); none
    // leaves Qt's default. Verification itself is never turned off.
    void trustAlso(const QList<QSslCertificate>& authorities);
    // The same, read by `read` when the first https request is prepared, by this session or a copy, and never
    // for plain http: reading a company's bundle is not paid for until a connection needs it.
    void trustAlsoWhenNeeded(std::function<QList<QSslCertificate>()> read);
    const std::shared_ptr<RateLimitLedger>& rateLimitLedger() const { return m_rateLimits; }

    // How a GET uses the stored answer: revalidate it, or drop it and ask afresh (the stored answer no longer
    // decodes, so a 304 must not hand it back again).
    enum class CacheUse { revalidate, refetch };

    // Throws TransportError when no reply arrives (including a cancelled token, before or during the
    // transfer). An empty `partition` bypasses the cache and the ledger.
    QCoro::Task<HttpReply> get(QNetworkRequest request, CancelToken cancel, QString partition = {},
                               CacheUse use = CacheUse::revalidate) const;
    QCoro::Task<HttpReply> postForm(QNetworkRequest request, QByteArray form, CancelToken cancel) const;

    QNetworkAccessManager* manager() const { return m_manager; }

private:
    void prepare(QNetworkRequest& request) const;

    QNetworkAccessManager* m_manager;
    QString m_userAgent;
    int m_timeoutMs;
    qint64 m_maxReplyBytes = kMaxReplyBytes;
    std::shared_ptr<ResponseCache> m_cache;
    std::shared_ptr<RateLimitLedger> m_rateLimits;
    // Shared by the session's copies, so the authorities are read once.
    struct Trust
    {
        std::function<QList<QSslCertificate>()> read;
        std::optional<QSslConfiguration> tls;
    };
    std::shared_ptr<Trust> m_trust = std::make_shared<Trust>();
};

} // namespace norvane
