#include "core/stored_encoding.h"

#include <cctype>
#include <cmath>

namespace norvane {

double toStoredTimestamp(const QDateTime& time)
{
    return double(time.toMSecsSinceEpoch() - kReferenceDateMsecsSinceEpoch) / 1000.0;
}

std::optional<QDateTime> fromStoredTimestamp(double seconds)
{
    // About ±292 million years fit in a qint64 of milliseconds; QDateTime covers less, so stay well inside.
    constexpr double kLimitSeconds = 1.0e14;
    if (!std::isfinite(seconds) || std::fabs(seconds) > kLimitSeconds)
        return std::nullopt;
    const auto msecs = static_cast<qint64>(std::llround(seconds * 1000.0)) + kReferenceDateMsecsSinceEpoch;
    QDateTime time = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

QString uuidText(const QUuid& uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> uuidFromText(const QString& text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (int i = 0; i < 36; ++i) {
        const QChar c = text.at(i);
        const bool hyphenSlot = (i == 8 || i == 13 || i == 18 || i == 23);
        if (hyphenSlot ? c != QLatin1Char('-') : !std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 0x7f)
            return std::nullopt;
    }
    const QUuid uuid = QUuid::fromString(text);
    if (uuid.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return uuid;
}

} // namespace norvane
