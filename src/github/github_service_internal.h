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

// Sends a GET and returns the body of a 200 reply; throws GitHubAPIError (or GitHubServiceError) otherwise.
QCoro::Task<QByteArray> fetchClassified(Ctx ctx, QString address, QString endpoint, QString token, CancelToken cancel,
                                        Classification how, bool logExchange = false);

// Decodes with `decode`, turning a DecodeError into GitHubAPIError::decodingError (logged when asked).
template <typename F>
auto decodeClassified(const QByteArray& body, const QString& endpoint, const Classification& how, F decode)
    -> decltype(decode(body));

// What a refresh does when GitHub's rate limit answers a query that otherwise never fails.
enum class OnRateLimit { readAsFailure, stop };

// A query's label for messages, as the throwing queries name theirs: its address below the API address,
// without the query string ("repos/o/r/commits/<sha>/status"), never the address itself.
QString endpointLabel(const Ctx& ctx, const QString& address);

// Sends a GET and returns the body of a 200 reply, or nullopt for any failure at all; with
// OnRateLimit::stop, a rate-limit answer throws GitHubAPIError (with its retry time) instead.
QCoro::Task<std::optional<QByteArray>> fetchQuietly(Ctx ctx, QString address, QString token, CancelToken cancel,
                                                    OnRateLimit onLimit = OnRateLimit::readAsFailure);
// A rate-limit answer as the error the refresh stops with; nullopt for any other answer.
std::optional<GitHubAPIError> rateLimitError(const Ctx& ctx, const QString& endpoint, const HttpReply& reply);

void logDecodeFailure(const QString& endpoint, const QString& error);

// For the queries that never fail: the decoded body of a 200 reply, or `fallback` for any failure at all.
// `decode` is taken by value, so it lives in the coroutine frame.
template <typename T, typename F>
QCoro::Task<T> fetchDecodedQuietly(Ctx ctx, QString address, QString token, CancelToken cancel, T fallback, F decode,
                                   OnRateLimit onLimit = OnRateLimit::readAsFailure)
{
    const std::optional<QByteArray> body = co_await fetchQuietly(ctx, address, token, cancel, onLimit);
    if (!body)
        co_return fallback;
    try {
        co_return T(decode(*body));
    } catch (const DecodeError&) {
        co_return fallback;
    }
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
