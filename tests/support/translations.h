#pragma once

#include <QCoreApplication>
#include <QTranslator>
#include <memory>

// Installs translations/norvane_<language>.ts (compiled for the tests) while it lives; a later one is
// consulted first. The test mains keep the English forms installed for the whole run.
class ScopedTranslation
{
public:
    explicit ScopedTranslation(const QString& language)
    {
        const QString file = QStringLiteral(NORVANE_TEST_QM_DIR "/norvane_%1.qm").arg(language);
        if (!m_translator.load(file) || !QCoreApplication::installTranslator(&m_translator))
            qFatal("cannot load %s", qPrintable(file));
    }
    ~ScopedTranslation() { QCoreApplication::removeTranslator(&m_translator); }
    ScopedTranslation(const ScopedTranslation&) = delete;
    ScopedTranslation& operator=(const ScopedTranslation&) = delete;

private:
    QTranslator m_translator;
};
