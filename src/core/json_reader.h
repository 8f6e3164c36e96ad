#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <stdexcept>

namespace norvane {

// Thrown when a JSON document does not have the shape a record needs. The message names the key and
// what was wrong with it, e.g. `key "tokenIdentifier": missing`.
class DecodeError : public std::runtime_error {
public:
    explicit DecodeError(const QString& description);
    QString description() const { return QString::fromUtf8(what()); }
};

// Reads the keys of one JSON object with precise errors. Required getters throw DecodeError when the key
// is missing or has the wrong type; optional getters return nullopt for a missing key or `null`, and throw
// only on a wrong type.
class JsonReader {
public:
    explicit JsonReader(QJsonObject object, QString path = {});

    const QJsonObject& object() const { return m_object; }
    bool has(const QString& key) const;

    QString string(const QString& key) const;
    std::optional<QString> optionalString(const QString& key) const;
    bool boolean(const QString& key) const;
    std::optional<bool> optionalBoolean(const QString& key) const;
    qint64 int64(const QString& key) const;
    std::optional<qint64> optionalInt64(const QString& key) const;
    double number(const QString& key) const;
    QJsonObject objectValue(const QString& key) const;
    std::optional<QJsonObject> optionalObject(const QString& key) const;
    QJsonArray array(const QString& key) const;
    std::optional<QJsonArray> optionalArray(const QString& key) const;
    std::optional<QStringList> optionalStringList(const QString& key) const;
    QStringList stringList(const QString& key) const;

    // Timestamps in the stored form: seconds since 2001-01-01 00:00:00 UTC.
    QDateTime storedDate(const QString& key) const;
    std::optional<QDateTime> optionalStoredDate(const QString& key) const;
    // UUIDs in their 36-character hyphenated text form.
    QUuid uuid(const QString& key) const;

    // Path of a nested key for error messages, e.g. `lastChangeRequest.reviewer`.
    QString pathOf(const QString& key) const;
    [[noreturn]] void fail(const QString& key, const QString& problem) const;

private:
    QJsonValue required(const QString& key) const;
    std::optional<QJsonValue> optional(const QString& key) const;
    qint64 toInt64(const QString& key, const QJsonValue& v) const;

    QJsonObject m_object;
    QString m_path;
};

// Parses a whole document that must be a JSON object (or array), with the parser's own message on failure.
QJsonObject parseJsonObject(const QByteArray& bytes);
QJsonArray parseJsonArray(const QByteArray& bytes);

QString jsonTypeName(const QJsonValue& value);

// Decodes an array that must hold objects only, each with `decode(object, path)` where `path` names the
// element ("reviews[2]"). The whole array decodes or nothing does.
template <typename T, typename Decode>
QList<T> decodeObjectArray(const QJsonArray& array, Decode decode, const QString& path = {})
{
    QList<T> out;
    out.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString itemPath = QStringLiteral("%1[%2]").arg(path).arg(i);
        if (!array.at(i).isObject())
            throw DecodeError(QStringLiteral("key \"%1\": expected an object, found %2")
                                  .arg(itemPath, jsonTypeName(array.at(i))));
        out.append(decode(array.at(i).toObject(), itemPath));
    }
    return out;
}

// The counterpart: each element written with its `toJson`, in list order.
template <typename T>
QJsonArray encodeObjectArray(const QList<T>& items)
{
    QJsonArray array;
    for (const T& item : items)
        array.append(toJson(item));
    return array;
}

} // namespace norvane
