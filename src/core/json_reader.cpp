#include "core/json_reader.h"

#include "core/stored_encoding.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>

namespace norvane {

DecodeError::DecodeError(const QString& description) : std::runtime_error(description.toStdString()) {}

QString jsonTypeName(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

JsonReader::JsonReader(QJsonObject object, QString path) : m_object(std::move(object)), m_path(std::move(path)) {}

bool JsonReader::has(const QString& key) const
{
    return m_object.contains(key);
}

QString JsonReader::pathOf(const QString& key) const
{
    return m_path.isEmpty() ? key : m_path + QLatin1Char('.') + key;
}

void JsonReader::fail(const QString& key, const QString& problem) const
{
    throw DecodeError(QStringLiteral("key \"%1\": %2").arg(pathOf(key), problem));
}

QJsonValue JsonReader::required(const QString& key) const
{
    const auto it = m_object.constFind(key);
    if (it == m_object.constEnd())
        fail(key, QStringLiteral("missing"));
    return it.value();
}

std::optional<QJsonValue> JsonReader::optional(const QString& key) const
{
    const auto it = m_object.constFind(key);
    if (it == m_object.constEnd() || it.value().isNull())
        return std::nullopt;
    return it.value();
}

static QString expected(const QString& what, const QJsonValue& got)
{
    return QStringLiteral("expected %1, found %2").arg(what, jsonTypeName(got));
}

QString JsonReader::string(const QString& key) const
{
    const QJsonValue v = required(key);
    if (!v.isString())
        fail(key, expected(QStringLiteral("a string"), v));
    return v.toString();
}

std::optional<QString> JsonReader::optionalString(const QString& key) const
{
    const auto v = optional(key);
    if (!v)
        return std::nullopt;
    if (!v->isString())
        fail(key, expected(QStringLiteral("a string"), *v));
    return v->toString();
}

bool JsonReader::boolean(const QString& key) const
{
    const QJsonValue v = required(key);
    if (!v.isBool())
        fail(key, expected(QStringLiteral("a boolean"), v));
    return v.toBool();
}

std::optional<bool> JsonReader::optionalBoolean(const QString& key) const
{
    const auto v = optional(key);
    if (!v)
        return std::nullopt;
    if (!v->isBool())
        fail(key, expected(QStringLiteral("a boolean"), *v));
    return v->toBool();
}

qint64 JsonReader::toInt64(const QString& key, const QJsonValue& v) const
{
    if (!v.isDouble())
        fail(key, expected(QStringLiteral("an integer"), v));
    const double d = v.toDouble();
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!std::isfinite(d) || d != std::floor(d) || d >= 9223372036854775808.0 || d < -9223372036854775808.0)
        fail(key, QStringLiteral("expected an integer, found %1").arg(d));
    return static_cast<qint64>(d);
}

qint64 JsonReader::int64(const QString& key) const
{
    return toInt64(key, required(key));
}

std::optional<qint64> JsonReader::optionalInt64(const QString& key) const
{
    const auto v = optional(key);
    if (!v)
        return std::nullopt;
    return toInt64(key, *v);
}

double JsonReader::number(const QString& key) const
{
    const QJsonValue v = required(key);
    if (!v.isDouble())
        fail(key, expected(QStringLiteral("a number"), v));
    return v.toDouble();
}

QJsonObject JsonReader::objectValue(const QString& key) const
{
    const QJsonValue v = required(key);
    if (!v.isObject())
        fail(key, expected(QStringLiteral("an object"), v));
    return v.toObject();
}

std::optional<QJsonObject> JsonReader::optionalObject(const QString& key) const
{
    const auto v = optional(key);
    if (!v)
        return std::nullopt;
    if (!v->isObject())
        fail(key, expected(QStringLiteral("an object"), *v));
    return v->toObject();
}

QJsonArray JsonReader::array(const QString& key) const
{
    const QJsonValue v = required(key);
    if (!v.isArray())
        fail(key, expected(QStringLiteral("an array"), v));
    return v.toArray();
}

std::optional<QJsonArray> JsonReader::optionalArray(const QString& key) const
{
    const auto v = optional(key);
    if (!v)
        return std::nullopt;
    if (!v->isArray())
        fail(key, expected(QStringLiteral("an array"), *v));
    return v->toArray();
}

std::optional<QStringList> JsonReader::optionalStringList(const QString& key) const
{
    const auto arr = optionalArray(key);
    if (!arr)
        return std::nullopt;
    QStringList out;
    out.reserve(arr->size());
    for (qsizetype i = 0; i < arr->size(); ++i) {
        const QJsonValue item = arr->at(i);
        if (!item.isString())
            fail(QStringLiteral("%1[%2]").arg(key).arg(i), expected(QStringLiteral("a string"), item));
        out.append(item.toString());
    }
    return out;
}

QStringList JsonReader::stringList(const QString& key) const
{
    const QJsonValue v = required(key);
    if (!v.isArray())
        fail(key, expected(QStringLiteral("an array"), v));
    return *optionalStringList(key);
}

QDateTime JsonReader::storedDate(const QString& key) const
{
    const double seconds = number(key);
    const auto time = fromStoredTimestamp(seconds);
    if (!time)
        fail(key, QStringLiteral("timestamp %1 is out of range").arg(seconds));
    return *time;
}

std::optional<QDateTime> JsonReader::optionalStoredDate(const QString& key) const
{
    if (!optional(key))
        return std::nullopt;
    return storedDate(key);
}

QUuid JsonReader::uuid(const QString& key) const
{
    const QString text = string(key);
    const auto uuid = uuidFromText(text);
    if (!uuid)
        fail(key, QStringLiteral("\"%1\" is not a UUID").arg(text));
    return *uuid;
}

static QJsonDocument parseDocument(const QByteArray& bytes)
{
    QJsonParseError error{};
    QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodeError(
            QStringLiteral("invalid JSON at offset %1: %2").arg(error.offset).arg(error.errorString()));
    return doc;
}

QJsonObject parseJsonObject(const QByteArray& bytes)
{
    const QJsonDocument doc = parseDocument(bytes);
    if (!doc.isObject())
        throw DecodeError(QStringLiteral("expected a JSON object at the top level"));
    return doc.object();
}

QJsonArray parseJsonArray(const QByteArray& bytes)
{
    const QJsonDocument doc = parseDocument(bytes);
    if (!doc.isArray())
        throw DecodeError(QStringLiteral("expected a JSON array at the top level"));
    return doc.array();
}

} // namespace norvane
