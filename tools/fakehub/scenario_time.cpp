#include "scenario.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace norvane::fakehub {

QString gitHubTime(const QDateTime& time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

// "-1d3h30m" → seconds; nullopt unless the whole text is such an offset.
static std::optional<qint64> pastOffsetSeconds(const QString& text)
{
    static const QRegularExpression whole(QStringLiteral("^-(\\d+[wdhms])+$"));
    static const QRegularExpression part(QStringLiteral("(\\d+)([wdhms])"));
    if (!whole.match(text).hasMatch())
        return std::nullopt;
    qint64 seconds = 0;
    for (auto it = part.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        bool ok = false;
        const qint64 n = m.captured(1).toLongLong(&ok);
        // Ten years is far beyond any scenario; the bound keeps the sum from overflowing.
        if (!ok || n > 10LL * 366 * 86400)
            return std::nullopt;
        const QChar unit = m.captured(2).at(0);
        const qint64 factor = unit == u'w'   ? 7 * 86400
                              : unit == u'd' ? 86400
                              : unit == u'h' ? 3600
                              : unit == u'm' ? 60
                                             : 1;
        seconds += n * factor;
    }
    return seconds;
}

std::optional<QDateTime> parseScenarioTime(const QString& rawText, const QDateTime& now)
{
    const QString text = rawText.trimmed();
    if (text == QLatin1String("now"))
        return now.toUTC();
    if (text.startsWith(QLatin1Char('-'))) {
        const auto seconds = pastOffsetSeconds(text);
        if (!seconds)
            return std::nullopt;
        return now.toUTC().addSecs(-*seconds);
    }
    if (text.startsWith(QLatin1String("today "))) {
        const QString rest = text.mid(6).trimmed();
        // "Today" is the local calendar day: the client counts deploys of the user's day, not a UTC day.
        const QDateTime midnight = now.toLocalTime().date().startOfDay();
        if (rest.startsWith(QLatin1Char('-'))) {
            const auto seconds = pastOffsetSeconds(rest);
            if (!seconds)
                return std::nullopt;
            return std::max(now.addSecs(-*seconds), midnight).toUTC();
        }
        QTime time = QTime::fromString(rest, QStringLiteral("HH:mm:ss"));
        if (!time.isValid())
            time = QTime::fromString(rest, QStringLiteral("HH:mm"));
        if (!time.isValid())
            return std::nullopt;
        return QDateTime(now.toLocalTime().date(), time).toUTC();
    }
    QDateTime absolute = QDateTime::fromString(text, Qt::ISODateWithMs);
    // A time without a zone would mean different instants on different machines.
    if (!absolute.isValid() || absolute.timeSpec() == Qt::LocalTime)
        return std::nullopt;
    return absolute.toUTC();
}

} // namespace norvane::fakehub
