#pragma once

#include <QString>
#include <QStringList>

namespace norvane {

// Which texts a process shows.
enum class TranslationScope {
    English,      // the command line: scripts read its output, whatever the locale
    UserLanguage, // the app: the desktop's language, English where Norvane has none of it
};

// The language Norvane shows to someone who reads `uiLanguages` (most wanted first, as
// QLocale::uiLanguages gives them), out of `shipped`; empty for English.
QString chooseLanguage(const QStringList& uiLanguages, const QStringList& shipped);

// The languages built into the program besides English ("de", "pl").
QStringList shippedLanguages();

// Installs the translators for this process into the running application: always the English forms of
// the texts with a count, and for `UserLanguage` the desktop's language and Qt's own texts in it on top.
// NORVANE_TRANSLATION names a .qm file loaded instead of the desktop's language (tests).
// Returns the language shown ("en" for English, the file's path for NORVANE_TRANSLATION).
QString installTranslations(TranslationScope scope);

} // namespace norvane
