#pragma once

#include <QCoreApplication>
#include <QTranslator>

namespace norvane::testing {

// One of the program's translations (translations/norvane_<language>.ts, built into NORVANE_QM_DIR by the
// test's CMake), installed for as long as this lives, as the program installs it at start.
class ScopedTranslation
{
public:
    explicit ScopedTranslation(const QString& language)
    {
        m_installed =
            m_translator.load(QStringLiteral("norvane_") + language, QStringLiteral(NORVANE_QM_DIR)) &&
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
