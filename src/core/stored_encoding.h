#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

namespace norvane {

// Stored timestamps are seconds (with fraction) since 2001-01-01 00:00:00 UTC, the reference date of the
// stores Norvane's data files come from. Millisecond precision survives a round trip.
inline constexpr qint64 kReferenceDateMsecsSinceEpoch = 978307200000LL;

double toStoredTimestamp(const QDateTime& time);
// nullopt for a value outside the range QDateTime can represent (or not finite).
std::optional<QDateTime> fromStoredTimestamp(double seconds);

// UUIDs are written as the canonical 36-character upper-case text, e.g. "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
QString uuidText(const QUuid& uuid);
// Reads the 36-character hyphenated form in either case; anything else (braces, missing groups) is nullopt.
std::optional<QUuid> uuidFromText(const QString& text);

} // namespace norvane
