#include "ui/tray/paw_icon.h"

#include "ui/widgets/theme.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <cmath>

namespace norvane::ui {

QPainterPath pawPath()
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    // The pad: a soft, slightly wider-than-tall blob in the lower half.
    path.moveTo(9, 9.2);
    path.cubicTo(11.6, 9.2, 14.6, 12.4, 14.6, 14.6);
    path.cubicTo(14.6, 16.6, 12.8, 17.2, 11.4, 16.8);
    path.cubicTo(10.4, 16.5, 9.7, 16.1, 9, 16.1);
    path.cubicTo(8.3, 16.1, 7.6, 16.5, 6.6, 16.8);
    path.cubicTo(5.2, 17.2, 3.4, 16.6, 3.4, 14.6);
    path.cubicTo(3.4, 12.4, 6.4, 9.2, 9, 9.2);
    path.closeSubpath();
    // The toes: two inner ones higher up, two outer ones lower and turned outwards.
    const auto toe = [&path](qreal cx, qreal cy, qreal rx, qreal ry, qreal angle) {
        QPainterPath ellipse;
        ellipse.addEllipse(QPointF(0, 0), rx, ry);
        QTransform transform;
        transform.translate(cx, cy);
        transform.rotate(angle);
        path.addPath(transform.map(ellipse));
    };
    toe(2.6, 8.2, 1.75, 2.2, -25);
    toe(6.3, 4.0, 1.9, 2.45, -8);
    toe(11.7, 4.0, 1.9, 2.45, 8);
    toe(15.4, 8.2, 1.75, 2.2, 25);
    return path;
}

namespace {

void drawPaw(QPainter& painter, const QRectF& rect, const QColor& color)
{
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / kPawSize, rect.height() / kPawSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(pawPath());
    painter.restore();
}

} // namespace

QColor plainTrayColor(TrayIconStyle style, const QPalette& palette, const QString& currentDesktop,
                      const QColor& bar)
{
    switch (style) {
    case TrayIconStyle::automatic:
        break;
    case TrayIconStyle::light:
        return QColor(0xF2, 0xF2, 0xF2);
    case TrayIconStyle::dark:
        return QColor(0x22, 0x22, 0x22);
    }
    const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive))
        return plainTrayColor(TrayIconStyle::light, palette);
    if (bar.isValid())
        return plainTrayColor(bar.lightnessF() < 0.5 ? TrayIconStyle::light : TrayIconStyle::dark, palette);
    return color(ThemeColor::primary, palette);
}

QString squareBadgeText(int count)
{
    return count > 999 ? QStringLiteral("999+") : QString::number(count);
}

namespace {

// The square icon's proportions at a 22-pixel slot; other slots scale them.
constexpr qreal kSlot = 22;
constexpr qreal kSquareBadgeHeight = 14;
constexpr qreal kDigitHeight = 10;    // one or two digits
constexpr qreal kMinDigitHeight = 7;  // longer counts shrink to fit, down to this
constexpr qreal kMaxBadgeShare = 0.6; // of the slot's width, while the digits fit
constexpr qreal kBadgePadding = 2;    // between the digits and the badge's ends
constexpr qreal kCutOut = 1;          // clear ring between the paw and the badge
constexpr qreal kOutline = 1.5;       // the digits' outline, half of it outside the glyphs

// The count's glyphs, drawn large once and scaled into place, with the ink's top left at the origin.
QPainterPath countGlyphs(const QString& text)
{
    QFont font = QApplication::font();
    font.setPixelSize(64);
    font.setWeight(QFont::Bold);
    font.setStretch(QFont::Condensed);
    QPainterPath path;
    path.addText(0, 0, font, text);
    return path.translated(-path.boundingRect().topLeft());
}

} // namespace

QImage squareTrayImage(const Badge& badge, const QColor& plainColor, const QColor& badgeColor, int size,
                       qreal devicePixelRatio)
{
    // Laid out in device pixels, so the edges of the badge and the digits fall on whole pixels.
    const int pixels = std::max(1, qRound(size * devicePixelRatio));
    const qreal unit = pixels / kSlot;
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal inset = 2 * unit;
    const QRectF pawRect(inset, inset, pixels - 2 * inset, pixels - 2 * inset);
    if (badge.color == BadgeColor::none || badge.count < 1) {
        drawPaw(painter, pawRect, plainColor);
        painter.end();
        image.setDevicePixelRatio(devicePixelRatio);
        return image;
    }

    const QString text = squareBadgeText(badge.count);
    const QPainterPath glyphs = countGlyphs(text);
    // Without a usable font there are no glyphs: the badge is drawn empty rather than scaled by zero.
    const QRectF bounds = glyphs.boundingRect();
    const QSizeF ink = bounds.isEmpty() ? QSizeF(1, 1) : bounds.size();
    const qreal padding = std::round(kBadgePadding * unit);
    const qreal widest = std::floor(kMaxBadgeShare * pixels) - 2 * padding;
    qreal digitHeight = std::round(kDigitHeight * unit);
    if (text.size() >= 3) {
        const qreal fitting = std::floor(widest * ink.height() / ink.width());
        digitHeight = std::clamp(fitting, std::round(kMinDigitHeight * unit), digitHeight);
    }
    const qreal scaleY = digitHeight / ink.height();
    // Digits wider than the share widen the badge, up to the whole slot; beyond that they narrow.
    const qreal scaleX = std::min(scaleY, (pixels - 2 * padding) / ink.width());
    const qreal textWidth = ink.width() * scaleX;
    const qreal badgeHeight = std::round(kSquareBadgeHeight * unit);
    const qreal badgeWidth =
        std::min(qreal(pixels), std::max(badgeHeight, std::ceil(textWidth) + 2 * padding));
    const QRectF badgeRect(pixels - badgeWidth, pixels - badgeHeight, badgeWidth, badgeHeight);
    // One digit sits in a disc; longer counts get squarer ends, which keep them clear of the curve and fill
    // the corner.
    const qreal radius = text.size() == 1 ? badgeHeight / 2 : badgeHeight * 0.3;

    drawPaw(painter, pawRect, badgeColor);
    const qreal gap = std::max(qreal(1), std::round(kCutOut * unit));
    painter.setPen(Qt::NoPen);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(badgeRect.adjusted(-gap, -gap, gap, gap), radius + gap, radius + gap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(badgeColor);
    painter.drawRoundedRect(badgeRect, radius, radius);

    QTransform place;
    place.translate(badgeRect.x() + (badgeWidth - textWidth) / 2,
                    badgeRect.y() + std::round((badgeHeight - digitHeight) / 2));
    place.scale(scaleX, scaleY);
    const QPainterPath placed = place.map(glyphs);
    // The outline keeps the white digits apart from a light panel wherever they reach the badge's edge.
    painter.strokePath(placed, QPen(badgeColor, std::max(qreal(1), kOutline * unit), Qt::SolidLine,
                                    Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(placed, Qt::white);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QIcon squareTrayIcon(const Badge& badge, const QColor& plainColor, const QColor& badgeColor,
                     qreal screenDevicePixelRatio)
{
    QList<qreal> ratios{1.0, 2.0};
    if (!ratios.contains(screenDevicePixelRatio) && screenDevicePixelRatio > 0)
        ratios.append(screenDevicePixelRatio);
    QIcon icon;
    for (const qreal devicePixelRatio : ratios) {
        for (const int size : kTraySlotSizes)
            icon.addPixmap(
                QPixmap::fromImage(squareTrayImage(badge, plainColor, badgeColor, size, devicePixelRatio)));
    }
    return icon;
}

} // namespace norvane::ui
