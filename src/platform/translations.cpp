#include "platform/translations.h"

#include "platform/debug_log.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace norvane {

namespace {

const QString kResourceDirectory = QStringLiteral(":/i18n");

// Loads one translation into a translator owned by the application; false when the file is missing.
bool install(const QString& file, const QString& directory = QString())
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(file, directory) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace

QString chooseLanguage(const QStringList& uiLanguages, const QStringList& shipped)
{
    for (const QString& tag : uiLanguages) {
        // "de-DE", "de_DE.UTF-8", "pl": the language is the part before the region.
        const QString language =
            tag.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
        if (language == QLatin1String("en"))
            return {};
        if (shipped.contains(language))
            return language;
    }
    return {};
}

QStringList shippedLanguages()
{
    QStringList languages;
    const QStringList files =
        QDir(kResourceDirectory).entryList({QStringLiteral("norvane_*.qm")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString language = file.mid(8, file.size() - 8 - 3);
        if (language != QLatin1String("en"))
            languages.append(language);
    }
    return languages;
}

QString installTranslations(TranslationScope scope)
{
    // The English forms of "%n pull request(s)": "1 pull request", "2 pull requests".
    if (!install(QStringLiteral("norvane_en"), kResourceDirectory))
        debugLog(QStringLiteral("Language"), QStringLiteral("⚠️ The English plural forms are missing"));
    if (scope == TranslationScope::English) {
        debugLog(QStringLiteral("Language"), QStringLiteral("Showing the texts in en"));
        return QStringLiteral("en");
    }

    if (const QString file = qEnvironmentVariable("NORVANE_TRANSLATION"); !file.isEmpty()) {
        if (!install(file))
            debugLog(QStringLiteral("Language"), QStringLiteral("⚠️ Could not load %1").arg(file));
        return file;
    }
    // LANGUAGE, LC_ALL, LC_MESSAGES and LANG, as the desktop set them.
    const QLocale system = QLocale::system();
    QLocale::setDefault(system);
    const QString language = chooseLanguage(system.uiLanguages(), shippedLanguages());
    if (language.isEmpty()) {
        debugLog(QStringLiteral("Language"), QStringLiteral("Showing the texts in en"));
        return QStringLiteral("en");
    }
    install(QStringLiteral("norvane_") + language, kResourceDirectory);
    // Qt's own texts (a line edit's menu, a dialog's buttons), from Debian's qt6-translations-l10n.
    if (!install(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        debugLog(QStringLiteral("Language"),
                 QStringLiteral("Qt's own texts stay English: no qtbase_%1").arg(language));
    debugLog(QStringLiteral("Language"), QStringLiteral("Showing the texts in %1").arg(language));
    return language;
}

} // namespace norvane
