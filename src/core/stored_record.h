#pragma once

#include <QJsonObject>
#include <QStringList>

namespace norvane {

// A record as it was read from storage, with the object it came from, so that writing it back keeps what
// another version of Norvane put there: keys this version does not know, and values it did not understand
// (a CI state added later reads as absent here).
template <typename T> struct StoredRecord
{
    T value;
    QJsonObject object;
};

// The object to store for `value`. Unchanged since it was read: the stored object as it was. Changed: its
// new encoding over the stored object, whose keys outside `knownKeys` stay. Never read: its new encoding.
template <typename T>
QJsonObject encodeOver(const T& value, const StoredRecord<T>* stored, const QStringList& knownKeys)
{
    if (!stored)
        return toJson(value);
    if (stored->value == value)
        return stored->object;
    QJsonObject out = stored->object;
    for (const QString& key : knownKeys)
        out.remove(key);
    const QJsonObject encoded = toJson(value);
    for (auto it = encoded.begin(); it != encoded.end(); ++it)
        out.insert(it.key(), it.value());
    return out;
}

} // namespace norvane
