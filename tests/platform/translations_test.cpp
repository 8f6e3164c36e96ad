#include "platform/translations.h"

#include <QTranslator>
#include <gtest/gtest.h>

using namespace norvane;
using namespace Qt::StringLiterals;

TEST(Translations, TheDesktopsFirstLanguageNorvaneHasIsShown)
{
    const QStringList shipped = {u"de"_s, u"pl"_s};
    const struct
    {
        QStringList uiLanguages;
        QString shown;
    } cases[] = {
        {{u"de-DE"_s, u"de"_s}, u"de"_s},
        {{u"pl-PL"_s, u"pl"_s}, u"pl"_s},
        {{u"de_AT"_s}, u"de"_s},
        {{u"fr-FR"_s, u"fr"_s, u"pl"_s}, u"pl"_s}, // LANGUAGE=fr:pl
        {{u"en-GB"_s, u"de"_s}, u""_s},            // English wanted before German
        {{u"C"_s}, u""_s},
        {{u"fr-FR"_s}, u""_s},
        {{}, u""_s},
    };
    for (const auto& [uiLanguages, shown] : cases)
        EXPECT_EQ(chooseLanguage(uiLanguages, shipped), shown) << uiLanguages.join(u' ').toStdString();
}

// The translations are built into the program, each with its texts.
TEST(Translations, EveryShippedLanguageIsBuiltIn)
{
    EXPECT_EQ(shippedLanguages(), QStringList({u"de"_s, u"pl"_s}));
    const struct
    {
        const char* file;
        const char* source;
        const char* translation;
    } cases[] = {
        {"norvane_de", "Quit Norvane", "Norvane beenden"},
        {"norvane_pl", "Quit Norvane", "Zakończ Norvane"},
    };
    for (const auto& [file, source, translation] : cases) {
        QTranslator translator;
        ASSERT_TRUE(translator.load(QString::fromLatin1(file), u":/i18n"_s)) << file;
        EXPECT_EQ(translator.translate("norvane::ui::AppDelegate", source), QString::fromUtf8(translation))
            << file;
    }
    EXPECT_TRUE(QTranslator().load(u"norvane_en"_s, u":/i18n"_s));
}
