#pragma once

#include <QDateTime>
#include <QString>

namespace norvane {

// How long ago (or how far ahead) `date` is seen from `now`, in abbreviated units of the user's language:
// "2 hr. ago", "1 day ago", "in 5 min.". The largest whole unit wins; months and years are counted on the
// calendar.
QString relativeTimeText(const QDateTime& date, const QDateTime& now);

// The local time of day in the user's short form, to the minute ("14:05"): some locales' short form, the C
// locale's among them, carries seconds, which say nothing here.
QString clockTimeText(const QDateTime& at);

} // namespace norvane
