#include "ui/widgets/theme.h"

#include <QApplication>

namespace norvane::ui {

QFont textFont(TextStyle style, QFont::Weight weight)
{
    QFont f = QApplication::font();
    // A 13-pixel body at the usual 96 dpi; everything else steps from it.
    const double base = f.pixelSize() > 0 ? f.pixelSize() : f.pointSizeF() * 96.0 / 72.0;
    const double body = std::max(base, 12.0);
    double size = body;
    QFont::Weight styleWeight = weight;
    switch (style) {
    case TextStyle::caption2:
        size = body - 3;
        break;
    case TextStyle::caption:
        size = body - 2;
        break;
    case TextStyle::subheadline:
        size = body - 1;
        break;
    case TextStyle::callout:
        size = body - 1;
        break;
    case TextStyle::body:
        break;
    case TextStyle::headline:
        if (weight == QFont::Normal)
            styleWeight = QFont::DemiBold;
        break;
    case TextStyle::title3:
        size = body + 3;
        break;
    case TextStyle::title:
        size = body + 7;
        break;
    }
    f.setPixelSize(int(std::lround(size)));
    f.setWeight(styleWeight);
    return f;
}

bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor withAlpha(QColor c, double opacity)
{
    c.setAlphaF(float(c.alphaF() * opacity));
    return c;
}

QColor color(ThemeColor which, const QPalette& palette)
{
    const bool dark = isDark(palette);
    const auto pick = [dark](QRgb light, QRgb darkVariant) {
        return QColor::fromRgb(dark ? darkVariant : light);
    };
    switch (which) {
    case ThemeColor::primary:
        return palette.color(QPalette::WindowText);
    case ThemeColor::secondary:
        // Secondary text is the primary colour blended towards the window, so it never vanishes on either.
        return withAlpha(palette.color(QPalette::WindowText), dark ? 0.6 : 0.55);
    case ThemeColor::accent:
        return palette.color(QPalette::Highlight);
    case ThemeColor::controlBackground:
        return palette.color(QPalette::Base);
    case ThemeColor::windowBackground:
        return palette.color(QPalette::Window);
    case ThemeColor::red:
        return pick(qRgb(255, 59, 48), qRgb(255, 69, 58));
    case ThemeColor::orange:
        // The lighter variant of the usual orange fails on white text backgrounds; darken it a little.
        return pick(qRgb(230, 126, 0), qRgb(255, 159, 10));
    case ThemeColor::yellow:
        return pick(qRgb(230, 180, 0), qRgb(255, 214, 10));
    case ThemeColor::green:
        return pick(qRgb(40, 167, 69), qRgb(48, 209, 88));
    case ThemeColor::blue:
        return pick(qRgb(0, 122, 255), qRgb(10, 132, 255));
    case ThemeColor::purple:
        return pick(qRgb(175, 82, 222), qRgb(191, 90, 242));
    case ThemeColor::gray:
        return pick(qRgb(142, 142, 147), qRgb(152, 152, 157));
    }
    return palette.color(QPalette::WindowText);
}

ThemeColor themeColor(DisplayColor c)
{
    switch (c) {
    case DisplayColor::green:
        return ThemeColor::green;
    case DisplayColor::red:
        return ThemeColor::red;
    case DisplayColor::orange:
        return ThemeColor::orange;
    case DisplayColor::purple:
        return ThemeColor::purple;
    case DisplayColor::gray:
        return ThemeColor::gray;
    case DisplayColor::blue:
        return ThemeColor::blue;
    }
    return ThemeColor::gray;
}

std::optional<ThemeColor> themeColor(BadgeColor c)
{
    switch (c) {
    case BadgeColor::red:
        return ThemeColor::red;
    case BadgeColor::blue:
        return ThemeColor::blue;
    case BadgeColor::purple:
        return ThemeColor::purple;
    case BadgeColor::none:
        break;
    }
    return std::nullopt;
}

} // namespace norvane::ui
