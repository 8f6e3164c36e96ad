#pragma once

#include "core/json_reader.h"
#include "github/github_service.h"

#include <QUrl>

// Shared by the files that implement GitHubService; not part of its interface.
namespace norvane {

struct GitHubService::Context {
    HttpSession session;
    QString baseURL;
    std::function<QDateTime()> now;
    std::optional<QTimeZone> timeZone; // fixed by the caller; otherwise the system's, read at each load
    QString cachePartition; // the account whose cache and ledger GET answers go to; empty: neither
};

namespace detail {

using Ctx = std::shared_ptr<const GitHubService::Context>;

// The body as text, or nullopt when it is not valid UTF-8.
std::optional<QString> utf8Text(const QByteArray& bytes);
// A URL only when the whole text parses strictly.
std::optional<QUrl> parseAddress(const QString& address);

// How the throwing queries classify a reply.
struct Classification {
    bool log = true;                               // failure lines in the "API" category
    QString statusLogPrefix = QStringLiteral("❌ GitHub API Error - Status: ");
    QString undecodableBody = QStringLiteral("No response body");
    bool unauthorizedAsServiceError = false;       // HTTP 401 raises GitHubServiceError directly
};

using CacheUse = HttpSession::CacheUse;

// Sends a GET and returns a 200 reply; throws GitHubAPIError (or GitHubServiceError) otherwise.
QCoro::Task<HttpReply> fetchClassified(Ctx ctx, QString address, QString endpoint, QString token, CancelToken cancel,
                                       Classification how, bool logExchange = false,
                                       CacheUse use = CacheUse::revalidate);

// Decodes with `decode`, turning a DecodeError into GitHubAPIError::decodingError (logged when asked).
template <typename F>
auto decodeClassified(const QByteArray& body, const QString& endpoint, const Classification& how, F decode)
    -> decltype(decode(body));

// fetchClassified, then decodeClassified. A stored answer that GitHub confirmed (304) but that no longer
// decodes is dropped and asked for afresh, once, so a bad entry can never pin a decoding error.
template <typename F>
auto fetchDecoded(Ctx ctx, QString address, QString endpoint, QString token, CancelToken cancel, Classification how,
                  F decode, bool logExchange = false) -> QCoro::Task<std::decay_t<decltype(decode(QByteArray()))>>
{
    HttpReply reply = co_await fetchClassified(ctx, address, endpoint, token, cancel, how, logExchange);
    if (reply.fromCache) {
        try {
            co_return decode(reply.body);
        } catch (const DecodeError&) {
        }
        reply = co_await fetchClassified(ctx, address, endpoint, token, cancel, how, logExchange, CacheUse::refetch);
    }
    co_return decodeClassified(reply.body, endpoint, how, decode);
}

// What a refresh does when GitHub's rate limit answers a query that otherwise never fails.
enum class OnRateLimit { readAsFailure, stop };

// A query's label for messages, as the throwing queries name theirs: its address below the API address,
// without the query string ("repos/o/r/commits/<sha>/status"), never the address itself.
QString endpointLabel(const Ctx& ctx, const QString& address);

// Sends a GET and returns the body of a 200 reply, or nullopt for any failure at all; with
// OnRateLimit::stop, a rate-limit answer throws GitHubAPIError (with its retry time) instead.
QCoro::Task<std::optional<HttpReply>> fetchQuietly(Ctx ctx, QString address, QString token, CancelToken cancel,
                                                   OnRateLimit onLimit = OnRateLimit::readAsFailure,
                                                   CacheUse use = CacheUse::revalidate);
// A rate-limit answer as the error the refresh stops with; nullopt for any other answer.
std::optional<GitHubAPIError> rateLimitError(const Ctx& ctx, const QString& endpoint, const HttpReply& reply);

void logDecodeFailure(const QString& endpoint, const QString& error);

// For the queries that never fail: the decoded body of a 200 reply, or `fallback` for any failure at all. A
// stored answer that no longer decodes is asked for afresh once, as in fetchDecoded. `decode` is taken by
// value, so it lives in the coroutine frame.
template <typename T, typename F>
QCoro::Task<T> fetchDecodedQuietly(Ctx ctx, QString address, QString token, CancelToken cancel, T fallback, F decode,
                                   OnRateLimit onLimit = OnRateLimit::readAsFailure)
{
    std::optional<HttpReply> reply = co_await fetchQuietly(ctx, address, token, cancel, onLimit);
    for (bool again = true; reply; again = false) {
        try {
            co_return T(decode(reply->body));
        } catch (const DecodeError&) {
        }
        if (!reply->fromCache || !again)
            break;
        reply = co_await fetchQuietly(ctx, address, token, cancel, onLimit, CacheUse::refetch);
    }
    co_return fallback;
}

template <typename F>
auto decodeClassified(const QByteArray& body, const QString& endpoint, const Classification& how, F decode)
    -> decltype(decode(body))
{
    try {
        return decode(body);
    } catch (const DecodeError& e) {
        if (how.log)
            logDecodeFailure(endpoint, e.description());
        throw GitHubAPIError::decodingError(endpoint, e.description(), utf8Text(body).value_or(how.undecodableBody));
    }
}

} // namespace detail
} // namespace norvane
