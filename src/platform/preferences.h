#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <variant>

class QSettings;

namespace norvane {

// The per-user store of small values under fixed keys: binary data (JSON documents), strings and string
// lists. A getter returns absent both when the key is missing and when it holds a value of another kind, so
// a hand-edited or foreign value reads as "not set" instead of as garbage. Used on the main thread only.
class Preferences
{
public:
    virtual ~Preferences() = default;

    virtual std::optional<QByteArray> data(const QString& key) const = 0;
    virtual std::optional<QString> string(const QString& key) const = 0;
    virtual std::optional<QStringList> stringList(const QString& key) const = 0;

    // Each write reaches persistent storage before it returns.
    virtual void setData(const QString& key, const QByteArray& value) = 0;
    virtual void setString(const QString& key, const QString& value) = 0;
    virtual void setStringList(const QString& key, const QStringList& value) = 0;
    virtual void remove(const QString& key) = 0;

    // Every key that holds a value, sorted.
    virtual QStringList keys() const = 0;
    // Where the values live, for diagnostics: a file path, or empty when they live only in memory.
    virtual QString location() const = 0;
};

// Preferences held in memory for the life of the object: tests and the demo.
class InMemoryPreferences final : public Preferences
{
public:
    std::optional<QByteArray> data(const QString& key) const override;
    std::optional<QString> string(const QString& key) const override;
    std::optional<QStringList> stringList(const QString& key) const override;
    void setData(const QString& key, const QByteArray& value) override;
    void setString(const QString& key, const QString& value) override;
    void setStringList(const QString& key, const QStringList& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    QString location() const override { return {}; }

private:
    template <typename T> std::optional<T> get(const QString& key) const;

    std::map<QString, std::variant<QByteArray, QString, QStringList>> m_values;
};

// Why the contents of a preferences file cannot be what QSettings wrote: NUL bytes (the zero-filled blocks a
// file system may leave after a power cut), text that is not UTF-8, or a last line cut off inside a value.
// nullopt for anything QSettings could have written, and for hand-edited files that merely look odd.
std::optional<QString> preferencesFileDamage(const QByteArray& contents);

// Preferences in an INI file through QSettings. The INI format is used on every platform (rather than
// the registry or a property list) so that values of each kind behave the same everywhere and the file can
// be read and edited by hand. QSettings writes the file atomically (a temporary file, flushed to disk and
// renamed over the old one, under a lock file that a killed writer's successor clears), so a crash mid-write
// leaves either the old or the new file, never a torn one; tests/platform/preferences_crash_test.cpp
// kills writers to check it.
class SettingsPreferences final : public Preferences
{
public:
    // What to do with a file that is damaged when it is opened.
    enum class OnDamage {
        // rename it to <file>.corrupt-<UTC time> and start empty, so nothing overwrites it; also clears a
        // lock file left by a writer killed while creating it (the app, the one writer of its profile)
        setAside,
        readAsIs, // read what can be read (readers that never write, such as the headless commands)
    };

    // The user's own store: <config dir>/Norvane/Norvane.ini.
    static std::unique_ptr<SettingsPreferences> forUser(OnDamage onDamage = OnDamage::setAside);
    // A store inside a profile directory (tests, the demo, --profile): <dir>/preferences.ini. The directory
    // is created when missing.
    static std::unique_ptr<SettingsPreferences> forProfile(const QString& directory,
                                                           OnDamage onDamage = OnDamage::setAside);

    explicit SettingsPreferences(std::unique_ptr<QSettings> settings);
    ~SettingsPreferences() override;

    // Where a damaged file found at opening was moved, and the sentence that tells the user; nullopt when
    // the file was sound (or read as it was).
    const std::optional<QString>& setAsidePath() const { return m_setAsidePath; }
    std::optional<QString> setAsideNotice() const;

    std::optional<QByteArray> data(const QString& key) const override;
    std::optional<QString> string(const QString& key) const override;
    std::optional<QStringList> stringList(const QString& key) const override;
    void setData(const QString& key, const QByteArray& value) override;
    void setString(const QString& key, const QString& value) override;
    void setStringList(const QString& key, const QStringList& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    QString location() const override;

private:
    static std::unique_ptr<SettingsPreferences> open(const std::function<std::unique_ptr<QSettings>()>& make,
                                                     OnDamage onDamage);
    void write(const QString& key, const QVariant& value);
    void flush(const QString& key);

    std::unique_ptr<QSettings> m_settings;
    std::optional<QString> m_setAsidePath;
};

} // namespace norvane
