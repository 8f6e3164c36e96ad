#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

namespace norvane {

// A repository (owner/name) followed for one signed-in account, whose token is used to read it. Identified
// by `id`; equality compares every field.
struct WatchedRepo
{
    QUuid id;
    QString fullName; // as typed, trimmed at both ends, letter case kept
    QUuid accountId;

    friend bool operator==(const WatchedRepo&, const WatchedRepo&) = default;
};

inline const QStringList kWatchedRepoKeys{QStringLiteral("id"), QStringLiteral("fullName"),
                                          QStringLiteral("accountId")};
QJsonObject toJson(const WatchedRepo& repo);
// All three keys are required; throws DecodeError otherwise.
WatchedRepo watchedRepoFromJson(const QJsonObject& object, const QString& path = {});
QJsonArray toJson(const QList<WatchedRepo>& repos);
// The whole list or nothing: one unreadable entry makes the stored list unreadable.
QList<WatchedRepo> watchedReposFromJson(const QJsonArray& array);

// Removes spaces and tabs (every Unicode space separator and the tab; not line breaks) from both ends.
QString trimHorizontalWhitespace(const QString& text);

// An "owner/name" typed by the user, after trimming: two non-empty pieces of letters, marks, digits, ".",
// "_" and "-", joined by one "/".
bool isValidRepoName(const QString& text);
// An organisation ("my-org") or a repository ("my-org/repo") to block: one piece, or two joined by one "/",
// each made of letters, marks, digits, ".", "_" and "-". The caller trims the text first.
bool isValidBlockEntry(const QString& text);

} // namespace norvane
