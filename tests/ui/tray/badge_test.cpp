#include "core/pr_rules.h"
#include "platform/desktop_settings.h"
#include "ui/tray/paw_icon.h"
#include "ui/ui_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::ui;
using namespace Qt::StringLiterals;

namespace {

const QColor kPlain(20, 20, 20);
const QColor kRed(255, 59, 48);
const QColor kBlue(0, 122, 255);

// The colour of a logical point of the image.
QColor at(const QImage& image, qreal x, qreal y)
{
    const qreal dpr = image.devicePixelRatio();
    return image.pixelColor(int(x * dpr), int(y * dpr));
}

bool same(const QColor& a, const QColor& b)
{
    return a.alpha() == 255 && std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
           std::abs(a.blue() - b.blue()) <= 2;
}

// The bounding box of the square icon's white pixels: the digits.
struct SquareIconPixels
{
    explicit SquareIconPixels(const QImage& image)
    {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor p = image.pixelColor(x, y);
                if (p.alpha() == 255 && std::min({p.red(), p.green(), p.blue()}) >= 200)
                    white |= QRect(x, y, 1, 1);
            }
        }
    }
    QRect white;
};

TEST(SquareTrayIcon, TheCountSitsReadablyOnTheLowerRightCorner)
{
    struct Case
    {
        const char* name;
        Badge badge;
        QColor drawn;
        qreal minDigitHeight; // at a 22-pixel slot
    };
    const QList<Case> cases{
        {"nothing to count", {BadgeColor::none, 0}, kPlain, 0},
        {"red 2", {BadgeColor::red, 2}, kRed, 9},
        {"blue 120", {BadgeColor::blue, 120}, kBlue, 7},
        {"1000 reads 999+", {BadgeColor::red, 1000}, kRed, 7},
    };
    EXPECT_EQ(squareBadgeText(999), u"999"_s);
    EXPECT_EQ(squareBadgeText(1000), u"999+"_s);
    for (const qreal dpr : {1.0, 2.0}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " @" + std::to_string(dpr));
            const QImage image = squareTrayImage(c.badge, kPlain, c.drawn, 22, dpr);
            ASSERT_EQ(image.size(), QSize(22, 22) * dpr);
            EXPECT_EQ(image.devicePixelRatio(), dpr);
            // The paw, 18 high in the middle of the slot: a toe in the badge colour (or the plain colour),
            // and nothing in the top left corner.
            EXPECT_TRUE(same(at(image, 2 + 6.3, 2 + 4), c.drawn)) << at(image, 8.3, 6).name().toStdString();
            EXPECT_EQ(at(image, 0.5, 0.5).alpha(), 0);

            const SquareIconPixels pixels(image);
            if (c.badge.color == BadgeColor::none) {
                EXPECT_TRUE(pixels.white.isEmpty());
                EXPECT_TRUE(same(at(image, 2 + 9, 2 + 13.5), kPlain)) << "the pad";
                continue;
            }
            // White digits, tall enough, in the lower part and wholly inside the slot.
            const QRect digits = pixels.white;
            ASSERT_FALSE(digits.isEmpty());
            EXPECT_GE(digits.height(), c.minDigitHeight * dpr);
            EXPECT_GE(digits.top(), 22 * dpr / 3);
            EXPECT_GT(digits.left(), 0);
            EXPECT_LT(digits.right(), image.width() - 1);
            EXPECT_LT(digits.bottom(), image.height() - 1);
            // One or two digits keep to the badge's share of the width; longer counts may widen it.
            if (c.badge.count < 100) {
                EXPECT_GE(digits.left(), 0.4 * image.width());
            }
            // The badge's colour lies under the digits and before them, and fills the bottom right corner.
            for (const QPoint& p : {QPoint(digits.center().x(), digits.bottom() + int(dpr)),
                                    QPoint(digits.left() - int(2 * dpr), digits.center().y()),
                                    QPoint(image.width() - int(3 * dpr), image.height() - int(3 * dpr))})
                EXPECT_TRUE(same(image.pixelColor(p), c.drawn))
                    << p.x() << "," << p.y() << " " << image.pixelColor(p).name().toStdString();
        }
    }
}

TEST(SquareTrayIcon, TheIconHoldsEachSlotSizeAtBothPixelRatios)
{
    const Badge badge{BadgeColor::blue, 7};
    const QIcon icon = squareTrayIcon(badge, kPlain, kBlue, 1.0);
    for (const qreal dpr : {1.0, 2.0}) {
        for (const int size : kTraySlotSizes) {
            SCOPED_TRACE(std::to_string(size) + " @" + std::to_string(dpr));
            const QImage shown = icon.pixmap(QSize(size, size), dpr)
                                     .toImage()
                                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QImage drawn = squareTrayImage(badge, kPlain, kBlue, size, dpr);
            ASSERT_EQ(shown.size(), drawn.size()) << "drawn for the slot, not scaled";
            EXPECT_EQ(shown, drawn);
        }
    }
}

// WCAG's relative luminance and contrast ratio.
qreal luminance(const QColor& c)
{
    const auto channel = [](qreal v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
qreal contrast(const QColor& a, const QColor& b)
{
    const qreal la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(TrayIconStyle, ThePlainPawStandsOutOnThePanelEachStyleIsFor)
{
    using Files = std::vector<std::pair<QString, QByteArray>>;
    const QColor gnomeBar(0, 0, 0), darkBar(0x2e, 0x34, 0x40), lightBar(0xf6, 0xf5, 0xf4);
    struct Case
    {
        TrayIconStyle style;
        QPalette app;
        QColor panel;
        bool readable;
        QString desktop = {}; // XDG_CURRENT_DESKTOP
        // Plasma's files, under config/ and data/: the panel's colour is read from them.
        Files plasma = {};
    };
    const QColor breeze(239, 240, 241), breezeDark(42, 46, 50);
    const QByteArray breezeColors =
        "[Colors:Window]\nBackgroundAlternate=227,229,231\nBackgroundNormal=239,240,241\n";
    const QByteArray breezeDarkColors = "[Colors:Window]\nBackgroundNormal[$e]=42,46,50\n";
    const Files lightScheme{
        {u"config/kdeglobals"_s, "[General]\nColorScheme=BreezeLight\n\n" + breezeColors}};
    const Files nothingNamed{{u"data/color-schemes/BreezeLight.colors"_s, breezeColors}};
    const Files darkNamed{{u"config/kdeglobals"_s, "[General]\nColorScheme=BreezeDark\n"},
                          {u"data/color-schemes/BreezeDark.colors"_s, breezeDarkColors}};
    const Files darkTheme{{u"config/plasmarc"_s, "[Theme]\nname=breeze-dark\n"},
                          {u"config/kdeglobals"_s, breezeColors},
                          {u"data/plasma/desktoptheme/breeze-dark/colors"_s, breezeDarkColors}};
    const Files defaultTheme{{u"config/plasmarc"_s, "[Theme]\nname=default\n"},
                             {u"config/kdeglobals"_s, breezeColors},
                             {u"data/plasma/desktoptheme/breeze-dark/colors"_s, breezeDarkColors}};
    const Case cases[] = {
        {TrayIconStyle::automatic, norvane::testing::lightPalette(), lightBar, true},
        {TrayIconStyle::automatic, norvane::testing::darkPalette(), darkBar, true},
        // GNOME's top bar is dark whatever the app's theme: automatic knows it there.
        {TrayIconStyle::automatic, norvane::testing::lightPalette(), gnomeBar, true, u"GNOME"_s},
        {TrayIconStyle::automatic, norvane::testing::lightPalette(), gnomeBar, true, u"ubuntu:GNOME"_s},
        {TrayIconStyle::automatic, norvane::testing::darkPalette(), gnomeBar, true,
         u"GNOME-Flashback:GNOME"_s},
        // Elsewhere the palette guides it, and a dark bar under a light theme is what the setting is for.
        {TrayIconStyle::automatic, norvane::testing::lightPalette(), gnomeBar, false, u"XFCE"_s},
        {TrayIconStyle::automatic, norvane::testing::lightPalette(), lightBar, true, u"GNOMEish"_s},
        // Plasma's panel follows its colour scheme (written into kdeglobals, only named there, or Plasma's
        // default), or the Plasma theme's own colours, whatever the app's palette says (it lags behind a live
        // switch).
        {TrayIconStyle::automatic, norvane::testing::darkPalette(), breeze, true, u"KDE"_s, lightScheme},
        {TrayIconStyle::automatic, norvane::testing::darkPalette(), breeze, true, u"KDE"_s, nothingNamed},
        {TrayIconStyle::automatic, norvane::testing::lightPalette(), breezeDark, true, u"KDE"_s, darkNamed},
        {TrayIconStyle::automatic, norvane::testing::lightPalette(), breezeDark, true, u"KDE"_s, darkTheme},
        {TrayIconStyle::automatic, norvane::testing::darkPalette(), breeze, true, u"KDE"_s, defaultTheme},
        {TrayIconStyle::light, norvane::testing::lightPalette(), gnomeBar, true},
        {TrayIconStyle::dark, norvane::testing::darkPalette(), lightBar, true, u"GNOME"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(rawValue(c.style).toStdString() + " on " + c.panel.name().toStdString() + " in " +
                     c.desktop.toStdString());
        QTemporaryDir plasma;
        for (const auto& [path, text] : c.plasma) {
            QDir(plasma.path()).mkpath(QFileInfo(path).path());
            QFile file(plasma.filePath(path));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        const QColor bar =
            plasmaPanelColor({plasma.filePath(u"config"_s)}, {plasma.filePath(u"data"_s)}).value_or(QColor());
        EXPECT_EQ(bar, c.plasma.empty() ? QColor() : c.panel);
        // The icon as the tray composes it over its bar.
        QImage slot(QSize(22, 22), QImage::Format_ARGB32_Premultiplied);
        slot.fill(c.panel);
        QPainter painter(&slot);
        painter.drawImage(
            QPointF(0, 0),
            squareTrayImage(Badge{}, plainTrayColor(c.style, c.app, c.desktop, bar), QColor(), 22, 1));
        painter.end();
        // The pad's middle and an inner toe are solid paw; the slot's corner is bar.
        const QColor pad = at(slot, 2 + 9, 2 + 13), toe = at(slot, 2 + 6.3, 2 + 4);
        EXPECT_EQ(at(slot, 0.5, 0.5).rgb(), c.panel.rgb());
        EXPECT_EQ(pad.rgb(), toe.rgb()) << "one flat colour";
        EXPECT_EQ(contrast(pad, c.panel) >= 4.5, c.readable) << contrast(pad, c.panel);
    }
}

} // namespace
