#include "core/relative_time.h"

namespace norvane {

namespace {

// Whole calendar months from `from` to `to` (to >= from), as a desk calendar counts them.
qint64 wholeMonths(const QDateTime& from, const QDateTime& to)
{
    const QDate a = from.date();
    const QDate b = to.date();
    qint64 months = (qint64(b.year()) - a.year()) * 12 + (b.month() - a.month());
    if (months > 0 && from.addMonths(int(months)) > to)
        --months;
    return months;
}

QString unitText(qint64 value, const char* abbreviation, const char* singular, const char* plural)
{
    // Units that are short already are written out; the others take their abbreviation.
    if (abbreviation)
        return QStringLiteral("%1 %2").arg(value).arg(QLatin1String(abbreviation));
    return QStringLiteral("%1 %2").arg(value).arg(QLatin1String(value == 1 ? singular : plural));
}

} // namespace

QString relativeTimeText(const QDateTime& date, const QDateTime& now)
{
    const bool past = date <= now;
    const QDateTime from = past ? date : now;
    const QDateTime to = past ? now : date;
    const qint64 seconds = from.secsTo(to);
    const qint64 months = wholeMonths(from.toUTC(), to.toUTC());

    QString amount;
    if (months >= 12)
        amount = unitText(months / 12, "yr.", nullptr, nullptr);
    else if (months >= 1)
        amount = unitText(months, "mo.", nullptr, nullptr);
    else if (seconds >= 7 * 86400)
        amount = unitText(seconds / (7 * 86400), "wk.", nullptr, nullptr);
    else if (seconds >= 86400)
        amount = unitText(seconds / 86400, nullptr, "day", "days");
    else if (seconds >= 3600)
        amount = unitText(seconds / 3600, "hr.", nullptr, nullptr);
    else if (seconds >= 60)
        amount = unitText(seconds / 60, "min.", nullptr, nullptr);
    else
        amount = unitText(seconds, "sec.", nullptr, nullptr);
    return past ? amount + QStringLiteral(" ago") : QStringLiteral("in ") + amount;
}

} // namespace norvane
