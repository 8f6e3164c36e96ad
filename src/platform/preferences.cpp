#include "platform/preferences.h"

#include "platform/app_identity.h"
#include "platform/debug_log.h"

#include <QDir>
#include <QSettings>
#include <algorithm>

namespace norvane {

template <typename T> std::optional<T> InMemoryPreferences::get(const QString& key) const
{
    const auto it = m_values.find(key);
    if (it == m_values.end())
        return std::nullopt;
    if (const T* value = std::get_if<T>(&it->second))
        return *value;
    return std::nullopt;
}

std::optional<QByteArray> InMemoryPreferences::data(const QString& key) const
{
    return get<QByteArray>(key);
}
std::optional<QString> InMemoryPreferences::string(const QString& key) const
{
    return get<QString>(key);
}
std::optional<QStringList> InMemoryPreferences::stringList(const QString& key) const
{
    return get<QStringList>(key);
}

void InMemoryPreferences::setData(const QString& key, const QByteArray& value)
{
    m_values[key] = value;
}
void InMemoryPreferences::setString(const QString& key, const QString& value)
{
    m_values[key] = value;
}
void InMemoryPreferences::setStringList(const QString& key, const QStringList& value)
{
    m_values[key] = value;
}
void InMemoryPreferences::remove(const QString& key)
{
    m_values.erase(key);
}

QStringList InMemoryPreferences::keys() const
{
    QStringList result;
    for (const auto& entry : m_values)
        result.append(entry.first); // std::map keeps them sorted
    return result;
}

std::unique_ptr<SettingsPreferences> SettingsPreferences::forUser()
{
    return std::make_unique<SettingsPreferences>(std::make_unique<QSettings>(
        QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(kOrganizationName),
        QString::fromLatin1(kApplicationName)));
}

std::unique_ptr<SettingsPreferences> SettingsPreferences::forProfile(const QString& directory)
{
    QDir().mkpath(directory); // a failure shows up as an AccessError at the first write
    return std::make_unique<SettingsPreferences>(std::make_unique<QSettings>(
        QDir(directory).filePath(QStringLiteral("preferences.ini")), QSettings::IniFormat));
}

SettingsPreferences::SettingsPreferences(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings))
{
    // Atomic writes are QSettings' default; state it so nobody turns it off to save a rename.
    m_settings->setAtomicSyncRequired(true);
    if (m_settings->status() == QSettings::FormatError)
        debugLog(QStringLiteral("UserDefaults"),
                 QStringLiteral("⚠️ Preferences file is malformed, unreadable entries are ignored: ") +
                     m_settings->fileName());
}

SettingsPreferences::~SettingsPreferences() = default;

std::optional<QByteArray> SettingsPreferences::data(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    if (value.metaType().id() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}

std::optional<QString> SettingsPreferences::string(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    if (value.metaType().id() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QStringList> SettingsPreferences::stringList(const QString& key) const
{
    if (!m_settings->contains(key))
        return std::nullopt;
    const QVariant value = m_settings->value(key);
    // The INI format cannot tell a list of one string from a string, and writes an empty list as an
    // invalid value ("@Invalid()"), so both read back in those forms.
    switch (value.metaType().id()) {
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QString:
        return QStringList{value.toString()};
    case QMetaType::UnknownType:
        return QStringList{};
    case QMetaType::QVariantList: {
        const QVariantList items = value.toList();
        const bool allStrings = std::all_of(items.begin(), items.end(), [](const QVariant& item) {
            return item.metaType().id() == QMetaType::QString;
        });
        if (allStrings)
            return value.toStringList();
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

void SettingsPreferences::setData(const QString& key, const QByteArray& value)
{
    write(key, value);
}
void SettingsPreferences::setString(const QString& key, const QString& value)
{
    write(key, value);
}
void SettingsPreferences::setStringList(const QString& key, const QStringList& value)
{
    write(key, value);
}

void SettingsPreferences::remove(const QString& key)
{
    m_settings->remove(key);
    flush(key);
}

void SettingsPreferences::write(const QString& key, const QVariant& value)
{
    m_settings->setValue(key, value);
    flush(key);
}

void SettingsPreferences::flush(const QString& key)
{
    // Every change is written through at once: the process may be killed at any moment and nothing is
    // saved at exit.
    m_settings->sync();
    if (m_settings->status() == QSettings::AccessError)
        debugLog(QStringLiteral("UserDefaults"), QStringLiteral("❌ Could not write preferences file ") +
                                                     m_settings->fileName() + QStringLiteral(" (key ") + key +
                                                     QLatin1Char(')'));
}

QStringList SettingsPreferences::keys() const
{
    QStringList result = m_settings->allKeys();
    result.sort();
    return result;
}

QString SettingsPreferences::location() const
{
    return m_settings->fileName();
}

} // namespace norvane
