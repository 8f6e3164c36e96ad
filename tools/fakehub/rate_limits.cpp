#include "rate_limits.h"

namespace norvane::fakehub {

QString RateLimits::resourceFor(const QString& path)
{
    return path.startsWith(QLatin1String("/search/")) ? QStringLiteral("search") : QStringLiteral("core");
}

void RateLimits::setLimit(const QString& resource, int limit)
{
    m_limits.insert(resource, limit);
}

std::pair<int, qint64> RateLimits::budget(const QString& resource) const
{
    const bool search = resource == QLatin1String("search");
    return {m_limits.value(resource, search ? 30 : 5000), search ? 60 : 3600};
}

RateLimits::Window& RateLimits::window(const QString& token, const QString& resource, qint64 now)
{
    Window& w = m_windows[resource + QLatin1Char('\n') + token];
    if (w.start == 0 || now >= w.start + budget(resource).second)
        w = Window{now, 0};
    return w;
}

RateLimits::Status RateLimits::status(const QString& token, const QString& resource, qint64 now)
{
    const Window& w = window(token, resource, now);
    const auto [limit, length] = budget(resource);
    return Status{resource, limit, w.used, w.start + length};
}

std::optional<RateLimits::Refusal> RateLimits::refusal(const QString& token, const QString& resource, qint64 now)
{
    if (now < m_secondaryUntil) {
        Refusal r;
        r.status = m_secondaryStatus;
        r.message = "You have exceeded a secondary rate limit. Please wait a few minutes before you try again.";
        r.headers = headers(status(token, resource, now));
        r.headers.append({"Retry-After", QByteArray::number(m_secondaryUntil - now)});
        return r;
    }
    const Status s = status(token, resource, now);
    if (s.remaining() > 0)
        return std::nullopt;
    Refusal r;
    r.message = "API rate limit exceeded for user ID 1. If you reach out to GitHub Support for help, please include "
                "the request ID.";
    r.headers = headers(s);
    return r;
}

void RateLimits::spend(const QString& token, const QString& resource, qint64 now)
{
    ++window(token, resource, now).used;
}

void RateLimits::exhaust(const QStringList& tokens, const QString& resource, qint64 now)
{
    for (const QString& token : tokens)
        window(token, resource, now).used = budget(resource).first;
}

void RateLimits::blockSecondary(qint64 seconds, int status, qint64 now)
{
    m_secondaryUntil = now + seconds;
    m_secondaryStatus = status;
}

QList<std::pair<QByteArray, QByteArray>> RateLimits::headers(const Status& status)
{
    return {
        {"X-RateLimit-Limit", QByteArray::number(status.limit)},
        {"X-RateLimit-Remaining", QByteArray::number(status.remaining())},
        {"X-RateLimit-Used", QByteArray::number(std::min(status.used, status.limit))},
        {"X-RateLimit-Reset", QByteArray::number(status.reset)},
        {"X-RateLimit-Resource", status.resource.toLatin1()},
    };
}

} // namespace norvane::fakehub
