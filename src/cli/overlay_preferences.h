#pragma once

#include "platform/preferences.h"

#include <QSet>

#include <memory>

namespace norvane {

// Reads through to a real store but keeps every write in memory: a one-shot command refreshes like the
// app does, yet never changes what the app itself has stored (seen snapshots, selections).
class OverlayPreferences final : public Preferences {
public:
    explicit OverlayPreferences(std::shared_ptr<Preferences> base);

    std::optional<QByteArray> data(const QString& key) const override;
    std::optional<QString> string(const QString& key) const override;
    std::optional<QStringList> stringList(const QString& key) const override;
    void setData(const QString& key, const QByteArray& value) override;
    void setString(const QString& key, const QString& value) override;
    void setStringList(const QString& key, const QStringList& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    QString location() const override { return m_base->location(); }

private:
    bool shadowed(const QString& key) const { return m_shadowed.contains(key); }

    std::shared_ptr<Preferences> m_base;
    InMemoryPreferences m_written;
    QSet<QString> m_removed;
    QSet<QString> m_shadowed; // keys written or removed here: the base's value no longer counts
};

} // namespace norvane
