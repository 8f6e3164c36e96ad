#pragma once

#include <QDateTime>
#include <QString>

namespace norvane {

// How long ago (or how far ahead) `date` is seen from `now`, in abbreviated English units: "2 hr. ago",
// "1 day ago", "in 5 min.". The largest whole unit wins; months and years are counted on the calendar.
QString relativeTimeText(const QDateTime& date, const QDateTime& now);

} // namespace norvane
