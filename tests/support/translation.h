#pragma once

#include <QCoreApplication>
#include <QTranslator>

namespace norvane::testing {

// One of the translations built into the program (":/i18n/norvane_<language>.qm"), installed for as long
// as this lives, as the program installs it at start.
class ScopedTranslation
{
public:
    explicit ScopedTranslation(const QString& language)
    {
        m_installed = m_translator.load(QStringLiteral("norvane_") + language, QStringLiteral(":/i18n")) &&
                      QCoreApplication::installTranslator(&m_translator);
    }
    ~ScopedTranslation() { QCoreApplication::removeTranslator(&m_translator); }
    ScopedTranslation(const ScopedTranslation&) = delete;
    ScopedTranslation& operator=(const ScopedTranslation&) = delete;

    bool installed() const { return m_installed; }

private:
    QTranslator m_translator;
    bool m_installed = false;
};

} // namespace norvane::testing
