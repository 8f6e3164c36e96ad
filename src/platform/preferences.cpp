#include "platform/preferences.h"

#include "platform/app_identity.h"
#include "platform/debug_log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QStringDecoder>
#include <algorithm>

namespace norvane {

namespace {
const QString kLogCategory = QStringLiteral("UserDefaults");
} // namespace

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

std::optional<QString> preferencesFileDamage(const QByteArray& contents)
{
    if (contents.contains('\0'))
        return QStringLiteral("it holds NUL bytes");
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(contents); // the decoder only runs once its result becomes a string
    if (utf8.hasError())
        return QStringLiteral("it is not UTF-8 text");
    // QSettings ends every line it writes with a line feed; a last line without one that stops inside a
    // quoted value or a "@ByteArray(...)" was cut off.
    if (!contents.isEmpty() && !contents.endsWith('\n')) {
        const QByteArray last = contents.mid(contents.lastIndexOf('\n') + 1);
        bool quoted = false;
        for (qsizetype i = 0; i < last.size(); ++i) {
            if (last[i] == '\\')
                ++i; // an escaped character, quotes included
            else if (last[i] == '"')
                quoted = !quoted;
        }
        const QByteArray value = last.mid(last.indexOf('=') + 1).trimmed();
        const bool openVariant = value.startsWith("@") && value.contains('(') && !value.endsWith(')');
        const bool openQuotedVariant = value.startsWith("\"@") && !value.endsWith(")\"");
        if (quoted || openVariant || openQuotedVariant)
            return QStringLiteral("it ends in the middle of a value");
    }
    return std::nullopt;
}

std::unique_ptr<SettingsPreferences> SettingsPreferences::forUser(OnDamage onDamage)
{
    return open(
        [] {
            return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                               QString::fromLatin1(kOrganizationName),
                                               QString::fromLatin1(kApplicationName));
        },
        onDamage);
}

std::unique_ptr<SettingsPreferences> SettingsPreferences::forProfile(const QString& directory,
                                                                     OnDamage onDamage)
{
    QDir().mkpath(directory); // a failure shows up as an AccessError at the first write
    const QString path = QDir(directory).filePath(QStringLiteral("preferences.ini"));
    return open([path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); }, onDamage);
}

namespace {

// QSettings writes under <file>.lock, and a writer killed between creating that file and writing its owner
// into it leaves an empty one. QLockFile cannot tell whether such a lock is stale until it is 30 seconds
// old, so the next write would block the main thread that long. One norvane runs per profile, so a lock
// that names no owner when the app opens its preferences is such a leftover. (One naming a dead owner
// QLockFile clears by itself.)
void clearOwnerlessLock(const QString& preferencesPath)
{
    const QString path = preferencesPath + QStringLiteral(".lock");
    if (!QFile::exists(path))
        return;
    QLockFile lock(path);
    qint64 pid = 0;
    QString host, application;
    if (lock.getLockInfo(&pid, &host, &application))
        return;
    if (QFile::remove(path))
        debugLog(kLogCategory,
                 QStringLiteral("Removed a lock file left by a writer that was killed: ") + path);
}

} // namespace

std::unique_ptr<SettingsPreferences>
SettingsPreferences::open(const std::function<std::unique_ptr<QSettings>()>& make, OnDamage onDamage)
{
    std::unique_ptr<QSettings> settings = make();
    if (onDamage == OnDamage::readAsIs)
        return std::make_unique<SettingsPreferences>(std::move(settings));
    const QString path = settings->fileName();
    clearOwnerlessLock(path);
    std::optional<QString> damage;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        damage = preferencesFileDamage(file.readAll());
    file.close();
    if (!damage && settings->status() == QSettings::FormatError)
        damage = QStringLiteral("it is not in the INI format");
    if (!damage)
        return std::make_unique<SettingsPreferences>(std::move(settings));

    // Whatever may still be recovered from the file stays in it: the store starts empty beside it rather
    // than reading half of it and writing that half back over the rest.
    settings.reset();
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString aside = path + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFile::exists(aside); ++n) // never over an earlier one of the same second
        aside = path + QStringLiteral(".corrupt-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(path, aside)) {
        debugLog(kLogCategory,
                 QStringLiteral("❌ Preferences file %1 is damaged (%2) and could not be set aside; "
                                "reading what it holds")
                     .arg(path, *damage));
        return std::make_unique<SettingsPreferences>(make());
    }
    debugLog(kLogCategory,
             QStringLiteral("⚠️ Preferences file %1 was damaged (%2); kept as %3, starting with defaults")
                 .arg(path, *damage, aside));
    auto preferences = std::make_unique<SettingsPreferences>(make());
    preferences->m_setAsidePath = aside;
    return preferences;
}

std::optional<QString> SettingsPreferences::setAsideNotice() const
{
    if (!m_setAsidePath)
        return std::nullopt;
    //: A notification at start-up; %1 is the path of the damaged file, kept beside the new one.
    return QCoreApplication::translate("Preferences",
                                       "Your preferences file was damaged. Norvane kept it as %1 and started "
                                       "with default settings; your tokens in the keychain are untouched.")
        .arg(QDir::toNativeSeparators(*m_setAsidePath));
}

SettingsPreferences::SettingsPreferences(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings))
{
    // Atomic writes are QSettings' default; state it so nobody turns it off to save a rename.
    m_settings->setAtomicSyncRequired(true);
    if (m_settings->status() == QSettings::FormatError)
        debugLog(kLogCategory,
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
        debugLog(kLogCategory, QStringLiteral("❌ Could not write preferences file ") +
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
