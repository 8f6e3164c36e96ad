#pragma once

#include "core/pr_rules.h"
#include "core/pull_request.h"

#include <QColor>
#include <QFont>
#include <QPalette>

// The panel's type scale and colours in one place. Colours come from the widget's palette where the
// desktop has an equivalent (text, accent, backgrounds) and from fixed light and dark variants for the
// signal colours, picked by how light the palette's window is, so a dark desktop stays legible.
namespace norvane::ui {

enum class TextStyle { caption2, caption, subheadline, callout, body, headline, title3, title };

// Pixel sizes relative to the body text, so the scale holds whatever the desktop's base size is.
QFont textFont(TextStyle style, QFont::Weight weight = QFont::Normal);

enum class ThemeColor {
    primary,           // body text
    secondary,         // supporting text
    accent,            // selection, active controls
    controlBackground, // banners and fields
    windowBackground,
    red,
    orange,
    yellow,
    green,
    blue,
    purple,
    gray,
};

bool isDark(const QPalette& palette);
QColor color(ThemeColor which, const QPalette& palette);
QColor withAlpha(QColor color, double opacity);

ThemeColor themeColor(DisplayColor color);
// The badge's colour; absent for no badge.
std::optional<ThemeColor> themeColor(BadgeColor color);

} // namespace norvane::ui
