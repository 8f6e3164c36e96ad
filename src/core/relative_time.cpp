#include "core/relative_time.h"

#include <QCoreApplication>
#include <QLocale>

namespace norvane {

namespace {

class RelativeTime
{
    Q_DECLARE_TR_FUNCTIONS(RelativeTime)

public:
    enum class Unit { second, minute, hour, day, week, month, year };

    // One sentence for each unit and direction, so that a language can place the number and choose the
    // unit's form (Polish needs three) as it reads best.
    static QString text(Unit unit, bool past, int n)
    {
        switch (unit) {
        case Unit::second:
            return past ? tr("%n sec. ago", nullptr, n) : tr("in %n sec.", nullptr, n);
        case Unit::minute:
            return past ? tr("%n min. ago", nullptr, n) : tr("in %n min.", nullptr, n);
        case Unit::hour:
            return past ? tr("%n hr. ago", nullptr, n) : tr("in %n hr.", nullptr, n);
        case Unit::day:
            return past ? tr("%n day(s) ago", nullptr, n) : tr("in %n day(s)", nullptr, n);
        case Unit::week:
            return past ? tr("%n wk. ago", nullptr, n) : tr("in %n wk.", nullptr, n);
        case Unit::month:
            return past ? tr("%n mo. ago", nullptr, n) : tr("in %n mo.", nullptr, n);
        case Unit::year:
            break;
        }
        return past ? tr("%n yr. ago", nullptr, n) : tr("in %n yr.", nullptr, n);
    }
};

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

} // namespace

QString relativeTimeText(const QDateTime& date, const QDateTime& now)
{
    using Unit = RelativeTime::Unit;
    const bool past = date <= now;
    const QDateTime from = past ? date : now;
    const QDateTime to = past ? now : date;
    const qint64 seconds = from.secsTo(to);
    const qint64 months = wholeMonths(from.toUTC(), to.toUTC());

    // %n is an int: a span past two thousand million of a unit cannot come from GitHub's dates.
    const auto say = [past](Unit unit, qint64 n) {
        return RelativeTime::text(unit, past, int(std::min<qint64>(n, std::numeric_limits<int>::max())));
    };
    if (months >= 12)
        return say(Unit::year, months / 12);
    if (months >= 1)
        return say(Unit::month, months);
    if (seconds >= 7 * 86400)
        return say(Unit::week, seconds / (7 * 86400));
    if (seconds >= 86400)
        return say(Unit::day, seconds / 86400);
    if (seconds >= 3600)
        return say(Unit::hour, seconds / 3600);
    if (seconds >= 60)
        return say(Unit::minute, seconds / 60);
    return say(Unit::second, seconds);
}

QString clockTimeText(const QDateTime& at)
{
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    format.remove(QStringLiteral(":ss"));
    return QLocale().toString(at.toLocalTime().time(), format);
}

} // namespace norvane
