#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QSet>
#include <QPair>
#include <QString>

#include <optional>

namespace norvane {

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// What one answer said about its rate-limit budget (GitHub's X-RateLimit-* headers).
struct RateLimitReading {
    QString resource = QStringLiteral("core"); // X-RateLimit-Resource; "core" when GitHub leaves it out
    qint64 limit = -1;                           // -1: not stated
    qint64 remaining = -1;
    QDateTime reset;                             // invalid: not stated

    friend bool operator==(const RateLimitReading&, const RateLimitReading&) = default;
};

// nullopt when the answer carries neither a limit nor a remaining count.
std::optional<RateLimitReading> rateLimitReading(const HeaderList& headers);

// An answer GitHub gave because a rate limit was reached, and when asking again makes sense.
struct RateLimitHit {
    enum class Kind { primary, secondary };
    Kind kind = Kind::primary;
    QDateTime retryAt;
};

// The longest a rate-limit answer makes Norvane wait, from now, whatever its headers say.
constexpr qint64 kMaxRateLimitPauseSecs = 3600;

// Only a 403 or 429 is a rate-limit answer, and only when GitHub marks it as one: a Retry-After header or a
// body that names a secondary limit (secondary; at least a minute when no time is given), or no requests
// remaining (primary; until the stated reset). Every other 403 is a refusal, not a limit. The time to ask
// again is never more than kMaxRateLimitPauseSecs from now.
std::optional<RateLimitHit> rateLimitHit(int status, const HeaderList& headers, const QByteArray& body,
                                         const QDateTime& now);

// The latest reading per account partition and resource, for the user's view of what polling costs.
class RateLimitLedger {
public:
    void record(const QString& partition, const RateLimitReading& reading);
    QMap<QString, RateLimitReading> readings(const QString& partition) const;
    // The account was removed: its readings go, and a late answer of its requests records none again.
    void forget(const QString& partition);

private:
    QMap<QString, QMap<QString, RateLimitReading>> m_readings;
    QSet<QString> m_forgotten;
};

} // namespace norvane
