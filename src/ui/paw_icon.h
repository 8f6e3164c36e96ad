#pragma once

#include "core/pr_rules.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QSizeF>

// The tray icon: our paw glyph, alone in the desktop's text colour, or tinted with a count badge beside it.
namespace norvane::ui {

inline constexpr qreal kPawSize = 18;

// Four toes above a pad, filling an 18 x 18 box.
QPainterPath pawPath();
// The paw alone in one colour, 18 x 18 logical pixels.
QImage pawImage(const QColor& color, qreal devicePixelRatio);

// Where the parts of a badged icon go, in logical pixels with the origin at the top left. The badge is
// vertically centred, so the layout reads the same from the bottom.
struct BadgeLayout
{
    QSizeF canvas;
    QRectF icon;
    QRectF badge;
    QRectF text;
};
inline constexpr qreal kBadgeHeight = 10;
BadgeLayout badgeLayout(QSizeF iconSize, QSizeF textSize);
// Eight pixels, medium weight: readable in a tray slot without crowding the paw.
QFont badgeFont();

// The paw tinted with `color` and a rounded badge of the same colour holding `count` in white.
QImage badgedPaw(const QColor& color, int count, qreal devicePixelRatio);

// What the tray shows for the badge: the plain paw in `plainColor` when there is nothing to count.
QImage trayIconImage(const Badge& badge, const QColor& plainColor, const QColor& badgeColor,
                     qreal devicePixelRatio);

} // namespace norvane::ui
