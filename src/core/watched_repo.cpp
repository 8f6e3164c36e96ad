#include "core/watched_repo.h"

#include "core/json_reader.h"
#include "core/stored_encoding.h"

#include <QStringList>

namespace norvane {

QJsonObject toJson(const WatchedRepo& repo)
{
    return QJsonObject{
        {QStringLiteral("id"), uuidText(repo.id)},
        {QStringLiteral("fullName"), repo.fullName},
        {QStringLiteral("accountId"), uuidText(repo.accountId)},
    };
}

WatchedRepo watchedRepoFromJson(const QJsonObject& object, const QString& path)
{
    const JsonReader r(object, path);
    return WatchedRepo{
        r.uuid(QStringLiteral("id")),
        r.string(QStringLiteral("fullName")),
        r.uuid(QStringLiteral("accountId")),
    };
}

QJsonArray toJson(const QList<WatchedRepo>& repos)
{
    return encodeObjectArray(repos);
}

QList<WatchedRepo> watchedReposFromJson(const QJsonArray& array)
{
    return decodeObjectArray<WatchedRepo>(array, watchedRepoFromJson);
}

namespace {

bool isHorizontalSpace(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

bool isNameCharacter(char32_t c)
{
    return QChar::isLetterOrNumber(c) || QChar::isMark(c) || c == U'.' || c == U'_' || c == U'-';
}

bool isNamePiece(const QString& piece)
{
    if (piece.isEmpty())
        return false;
    for (const char32_t c : piece.toUcs4()) {
        if (!isNameCharacter(c))
            return false;
    }
    return true;
}

// The text cut at its first "/" into one or two pieces. A leading, trailing or doubled "/" leaves an empty
// piece, which the piece rule then rejects: such a name would never match a repository, and as a path it
// would address a different one.
QStringList namePieces(const QString& text)
{
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {text};
    return {text.left(slash), text.mid(slash + 1)};
}

bool allNamePieces(const QStringList& pieces)
{
    for (const QString& piece : pieces) {
        if (!isNamePiece(piece))
            return false;
    }
    return true;
}

} // namespace

QString trimHorizontalWhitespace(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isHorizontalSpace(text.at(begin)))
        ++begin;
    while (end > begin && isHorizontalSpace(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool isValidRepoName(const QString& text)
{
    const QStringList pieces = namePieces(trimHorizontalWhitespace(text));
    return pieces.size() == 2 && allNamePieces(pieces);
}

bool isValidBlockEntry(const QString& text)
{
    return allNamePieces(namePieces(text));
}

} // namespace norvane
