#pragma once

#include "core/pr_rules.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainterPath>
#include <QPalette>

// The tray icon: our paw glyph, alone in the desktop's text colour, or tinted with a count badge. Trays give
// a square slot, so the badge sits over the paw's lower right corner.
namespace norvane::ui {

inline constexpr qreal kPawSize = 18;

// Four toes above a pad, filling an 18 x 18 box.
QPainterPath pawPath();

// The plain paw's colour: automatic follows the bar the icon lands on where the desktop is known for it
// (GNOME's top bar is dark under every theme: light there; `bar`, the panel's colour where the desktop tells
// it, as KDE Plasma's theme does: light on a dark one, dark on a light one) and the palette's text colour
// elsewhere; light and dark are fixed ones that stand out on a dark or a light panel whatever the app's
// palette says. `currentDesktop`: XDG_CURRENT_DESKTOP, a colon-separated list.
QColor plainTrayColor(TrayIconStyle style, const QPalette& palette, const QString& currentDesktop = {},
                      const QColor& bar = {});

// The slot sizes trays use, in logical pixels; the tray icon carries each at 1x and 2x.
inline const QList<int> kTraySlotSizes{16, 22, 24, 32, 48};
// The count as the square icon writes it: in full up to 999, then "999+".
QString squareBadgeText(int count);
// The square icon for a slot of `size` logical pixels: the paw in `plainColor` when there is nothing to
// count, otherwise the paw in `badgeColor` with the count in white on a badge of that colour in the lower
// right corner.
QImage squareTrayImage(const Badge& badge, const QColor& plainColor, const QColor& badgeColor, int size,
                       qreal devicePixelRatio);
// The square icon at every slot size, at 1x, 2x and the screen's own pixel ratio.
QIcon squareTrayIcon(const Badge& badge, const QColor& plainColor, const QColor& badgeColor,
                     qreal screenDevicePixelRatio);

} // namespace norvane::ui
