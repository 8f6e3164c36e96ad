#include "cli/overlay_preferences.h"

#include <QSet>

namespace norvane {

OverlayPreferences::OverlayPreferences(std::shared_ptr<Preferences> base) : m_base(std::move(base)) {}

std::optional<QByteArray> OverlayPreferences::data(const QString& key) const
{
    return shadowed(key) ? m_written.data(key) : m_base->data(key);
}

std::optional<QString> OverlayPreferences::string(const QString& key) const
{
    return shadowed(key) ? m_written.string(key) : m_base->string(key);
}

std::optional<QStringList> OverlayPreferences::stringList(const QString& key) const
{
    return shadowed(key) ? m_written.stringList(key) : m_base->stringList(key);
}

void OverlayPreferences::setData(const QString& key, const QByteArray& value)
{
    m_removed.remove(key);
    m_shadowed.insert(key);
    m_written.setData(key, value);
}

void OverlayPreferences::setString(const QString& key, const QString& value)
{
    m_removed.remove(key);
    m_shadowed.insert(key);
    m_written.setString(key, value);
}

void OverlayPreferences::setStringList(const QString& key, const QStringList& value)
{
    m_removed.remove(key);
    m_shadowed.insert(key);
    m_written.setStringList(key, value);
}

void OverlayPreferences::remove(const QString& key)
{
    m_written.remove(key);
    m_removed.insert(key);
    m_shadowed.insert(key);
}

QStringList OverlayPreferences::keys() const
{
    QSet<QString> all;
    for (const QString& key : m_base->keys()) {
        if (!m_removed.contains(key))
            all.insert(key);
    }
    for (const QString& key : m_written.keys())
        all.insert(key);
    QStringList sorted(all.begin(), all.end());
    sorted.sort();
    return sorted;
}

} // namespace norvane
