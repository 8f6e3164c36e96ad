#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace norvane::fakehub {

// GitHub's primary rate limits, per token and resource, in fixed windows that start with a token's first
// request ("core": 5,000 an hour; "search": 30 a minute), and the secondary limit as a switch. Every
// authorised API answer spends one point, except a 304 to a conditional request. Times are whole seconds
// since the epoch on fakehub's clock. Not thread-safe: the hub's mutex guards it.
class RateLimits
{
public:
    struct Status
    {
        QString resource;
        int limit = 0;
        int used = 0;
        qint64 reset = 0; // when the window ends

        int remaining() const { return std::max(limit - used, 0); }
    };
    // A refusal, with the status and headers to answer it with.
    struct Refusal
    {
        int status = 403;
        QByteArray message;
        QList<std::pair<QByteArray, QByteArray>> headers;
    };

    static QString resourceFor(const QString& path); // "search" under /search, else "core"

    void setLimit(const QString& resource, int limit);
    Status status(const QString& token, const QString& resource, qint64 now);
    // Set when the request must not be answered: the token's budget is spent, or the secondary limit is on.
    std::optional<Refusal> refusal(const QString& token, const QString& resource, qint64 now);
    void spend(const QString& token, const QString& resource, qint64 now);
    // Spends what is left of each token's budget in this window.
    void exhaust(const QStringList& tokens, const QString& resource, qint64 now);
    // Refuses every request with `status` and Retry-After for the next `seconds`.
    void blockSecondary(qint64 seconds, int status, qint64 now);
    static QList<std::pair<QByteArray, QByteArray>> headers(const Status& status);

private:
    struct Window
    {
        qint64 start = 0;
        int used = 0;
    };
    std::pair<int, qint64> budget(const QString& resource) const; // limit and window length
    Window& window(const QString& token, const QString& resource, qint64 now);

    QHash<QString, int> m_limits;
    QHash<QString, Window> m_windows; // by resource + '\n' + token
    qint64 m_secondaryUntil = 0;
    int m_secondaryStatus = 403;
};

} // namespace norvane::fakehub
