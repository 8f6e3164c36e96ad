// The notification feed as a cheap "has anything happened?" signal, and which pull requests its threads name.
#include "github/github_service_internal.h"
#include "platform/debug_log.h"

#include <QCryptographicHash>
#include <algorithm>

namespace norvane {

namespace {

const QString kApi = QStringLiteral("API");

QByteArray header(const HeaderList& headers, const char* wanted)
{
    for (const auto& [name, value] : headers) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

// Longer than this, a feed check would no longer be the quick signal it is meant to be; the regular poll
// still runs at its own interval.
constexpr qint64 kMaxPollIntervalSecs = 60 * 60;

std::optional<int> pollInterval(const HeaderList& headers)
{
    for (const auto& [name, value] : headers) {
        if (name.compare("X-Poll-Interval", Qt::CaseInsensitive) != 0)
            continue;
        bool ok = false;
        const qint64 seconds = value.trimmed().toLongLong(&ok);
        // GitHub asks for a minute or more; a value that says nothing usable counts as absent, and a huge
        // one (a misconfigured server) must not silence the feed for weeks.
        if (!ok || seconds <= 0)
            return std::nullopt;
        return int(std::min(seconds, kMaxPollIntervalSecs));
    }
    return std::nullopt;
}

} // namespace

QCoro::Task<GitHubService::FeedCheck> GitHubService::checkNotificationFeed(QString token,
                                                                           CancelToken cancel) const
{
    using Outcome = FeedCheck::Outcome;
    // The same address base and session as every other query of the account, so the feed follows its host.
    const detail::Ctx ctx = m_context;
    FeedCheck check;
    const auto url = detail::parseAddress(ctx->baseURL + QStringLiteral("/notifications"));
    if (!url) {
        check.outcome = Outcome::refused;
        co_return check;
    }
    HttpReply reply;
    try {
        reply = co_await ctx->session.get(makeRequest(*url, token), cancel, ctx->cachePartition);
    } catch (const TransportError& e) {
        debugLog(kApi, QStringLiteral("❌ Network error in notifications: ") + e.printed());
        co_return check;
    }
    if (!reply.isHttp)
        co_return check;
    check.statusCode = reply.statusCode;
    check.pollIntervalSecs = pollInterval(reply.headers);
    check.lastModified = header(reply.headers, "Last-Modified");
    // A 304 reaches here only where no stored answer stood in for it: still nothing new.
    if (reply.statusCode == 200 || reply.statusCode == 304) {
        if (reply.statusCode == 200) {
            check.bodyDigest = QCryptographicHash::hash(reply.body, QCryptographicHash::Sha256);
            try {
                for (const wire::NotificationThread& thread : wire::decodeNotifications(reply.body)) {
                    check.threads.append({thread.id, thread.updatedAt,
                                          thread.subjectUrl
                                              ? pullRequestOfSubject(*thread.subjectUrl, ctx->baseURL)
                                              : std::nullopt});
                }
                check.threadsRead = true;
            } catch (const DecodeError& e) {
                // Still news; only which pull requests it is about is not known.
                debugLog(kApi, QStringLiteral("❌ Failed to decode notifications: ") + e.description());
            }
        }
        check.outcome = reply.fromCache || reply.statusCode == 304 ? Outcome::unchanged : Outcome::changed;
        co_return check;
    }
    if (const auto hit = rateLimitHit(reply.statusCode, reply.headers, reply.body, ctx->now())) {
        check.outcome = Outcome::rateLimited;
        check.retryAt = hit->retryAt;
        co_return check;
    }
    // A server that failed may answer next time; a refusal of the token will not.
    check.outcome = reply.statusCode >= 500 ? Outcome::failed : Outcome::refused;
    debugLog(kApi,
             QStringLiteral("❌ Notifications answered %1: %2")
                 .arg(reply.statusCode)
                 .arg(detail::utf8Text(reply.body).value_or(QStringLiteral("No response body")).left(300)));
    co_return check;
}

} // namespace norvane
