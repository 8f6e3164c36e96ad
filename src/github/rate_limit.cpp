#include "github/rate_limit.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace norvane {

namespace {

std::optional<QByteArray> header(const HeaderList& headers, const char* name)
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value.trimmed();
    }
    return std::nullopt;
}

std::optional<qint64> number(const std::optional<QByteArray>& text)
{
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qint64 value = text->toLongLong(&ok);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

QString bodyMessage(const QByteArray& body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    return document.isObject() ? document.object().value(QStringLiteral("message")).toString() : QString();
}

// Retry-After is seconds on GitHub; HTTP also allows a date.
std::optional<QDateTime> retryAfter(const std::optional<QByteArray>& text, const QDateTime& now)
{
    if (!text)
        return std::nullopt;
    if (const auto seconds = number(text))
        return now.addSecs(std::min<qint64>(*seconds, kMaxRateLimitPauseSecs));
    // An HTTP-date ends in "GMT", which Qt's RFC 2822 reading refuses; it means +0000.
    QString dateText = QString::fromLatin1(*text);
    if (dateText.endsWith(QLatin1String(" GMT")))
        dateText = dateText.chopped(4) + QStringLiteral(" +0000");
    const QDateTime date = QDateTime::fromString(dateText, Qt::RFC2822Date);
    if (date.isValid())
        return std::max(date.toUTC(), now);
    return std::nullopt;
}

} // namespace

std::optional<RateLimitReading> rateLimitReading(const HeaderList& headers)
{
    const auto limit = number(header(headers, "X-RateLimit-Limit"));
    const auto remaining = number(header(headers, "X-RateLimit-Remaining"));
    if (!limit && !remaining)
        return std::nullopt;
    RateLimitReading reading;
    reading.limit = limit.value_or(-1);
    reading.remaining = remaining.value_or(-1);
    if (const auto reset = number(header(headers, "X-RateLimit-Reset")); reset && *reset < 253402300799LL)
        reading.reset = QDateTime::fromSecsSinceEpoch(*reset, Qt::UTC);
    if (const auto resource = header(headers, "X-RateLimit-Resource"); resource && !resource->isEmpty())
        reading.resource = QString::fromLatin1(*resource).left(64);
    return reading;
}

namespace {

std::optional<RateLimitHit> uncappedRateLimitHit(int status, const HeaderList& headers, const QByteArray& body,
                                                 const QDateTime& now)
{
    if (status != 403 && status != 429)
        return std::nullopt;
    const QString message = bodyMessage(body);
    const bool secondaryMessage = message.contains(QStringLiteral("secondary rate limit"), Qt::CaseInsensitive);
    if (const auto at = retryAfter(header(headers, "Retry-After"), now))
        return RateLimitHit{RateLimitHit::Kind::secondary, *at};
    const auto reading = rateLimitReading(headers);
    if (!secondaryMessage && reading && reading->remaining == 0) {
        const QDateTime reset = reading->reset.isValid() && reading->reset > now ? reading->reset : now.addSecs(60);
        return RateLimitHit{RateLimitHit::Kind::primary, reset};
    }
    if (secondaryMessage)
        return RateLimitHit{RateLimitHit::Kind::secondary, now.addSecs(60)};
    if (status == 429 || message.contains(QStringLiteral("rate limit exceeded"), Qt::CaseInsensitive)) {
        const QDateTime reset = reading && reading->reset.isValid() && reading->reset > now ? reading->reset
                                                                                            : now.addSecs(60);
        return RateLimitHit{RateLimitHit::Kind::primary, reset};
    }
    return std::nullopt;
}

} // namespace

std::optional<RateLimitHit> rateLimitHit(int status, const HeaderList& headers, const QByteArray& body,
                                         const QDateTime& now)
{
    std::optional<RateLimitHit> hit = uncappedRateLimitHit(status, headers, body, now);
    // GitHub's windows last an hour at most. A later time is a local clock behind GitHub's or a bad header,
    // and waiting it out would silence polls (and notifications) for hours.
    if (hit)
        hit->retryAt = std::min(hit->retryAt, now.addSecs(kMaxRateLimitPauseSecs));
    return hit;
}

void RateLimitLedger::record(const QString& partition, const RateLimitReading& reading)
{
    if (m_forgotten.contains(partition))
        return;
    QMap<QString, RateLimitReading>& readings = m_readings[partition];
    const auto known = readings.constFind(reading.resource);
    // Within one window the count only falls; a higher one is an earlier answer that arrived late (the CI
    // queries run side by side).
    if (known != readings.constEnd() && known->reset == reading.reset && known->remaining >= 0 &&
        reading.remaining > known->remaining)
        return;
    readings.insert(reading.resource, reading);
}

QMap<QString, RateLimitReading> RateLimitLedger::readings(const QString& partition) const
{
    return m_readings.value(partition);
}

void RateLimitLedger::forget(const QString& partition)
{
    m_readings.remove(partition);
    m_forgotten.insert(partition);
}

} // namespace norvane
