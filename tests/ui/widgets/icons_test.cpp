#include "ui/widgets/icons.h"

#include <QFile>
#include <QSet>
#include <QSvgRenderer>
#include <gtest/gtest.h>

using namespace norvane::ui;

namespace {

TEST(Icons, EverySymbolMapsOnceToACompiledInOcticonThatDrawsInTheGivenColour)
{
    QSet<int> symbols;
    QSet<QString> designNames;
    for (const SymbolInfo& info : symbolTable()) {
        SCOPED_TRACE(info.designName);
        EXPECT_FALSE(symbols.contains(int(info.symbol))) << "mapped twice";
        symbols.insert(int(info.symbol));
        designNames.insert(QString::fromLatin1(info.designName));
        const QString path = resourcePath(info.symbol);
        ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
        EXPECT_TRUE(QSvgRenderer(path).isValid());

        const QColor tint(200, 30, 60);
        const QImage image = symbolPixmap(info.symbol, tint, 16, 2.0).toImage();
        EXPECT_EQ(image.size(), QSize(32, 32));
        int inked = 0;
        bool onlyTint = true;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() == 255) {
                    ++inked;
                    onlyTint = onlyTint && c.rgb() == tint.rgb();
                }
            }
        }
        EXPECT_GT(inked, 10);
        EXPECT_TRUE(onlyTint);
    }
    // Every symbol the screens name is in the table (the enumeration's last value is lockCircleFill).
    EXPECT_EQ(symbols.size(), int(Symbol::lockCircleFill) + 1);
    EXPECT_EQ(designNames.size(), symbols.size());
}

} // namespace
