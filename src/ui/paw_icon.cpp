#include "ui/paw_icon.h"

#include <QApplication>
#include <QFontMetricsF>
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

QImage canvas(QSizeF logical, qreal devicePixelRatio)
{
    QImage image(int(std::ceil(logical.width() * devicePixelRatio)),
                 int(std::ceil(logical.height() * devicePixelRatio)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

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

QImage pawImage(const QColor& color, qreal devicePixelRatio)
{
    QImage image = canvas(QSizeF(kPawSize, kPawSize), devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawPaw(painter, QRectF(0, 0, kPawSize, kPawSize), color);
    return image;
}

BadgeLayout badgeLayout(QSizeF iconSize, QSizeF textSize)
{
    const qreal badgeWidth = std::max(textSize.width() + 4, qreal(10));
    const qreal badgeX = iconSize.width() + 2;
    const qreal height = std::max(iconSize.height(), kBadgeHeight);
    BadgeLayout layout;
    layout.canvas = QSizeF(iconSize.width() + 2 + badgeWidth, height);
    layout.icon = QRectF(0, (height - iconSize.height()) / 2, iconSize.width(), iconSize.height());
    layout.badge = QRectF(badgeX, (height - kBadgeHeight) / 2, badgeWidth, kBadgeHeight);
    layout.text = QRectF(badgeX + (badgeWidth - textSize.width()) / 2,
                         layout.badge.y() + (kBadgeHeight - textSize.height()) / 2, textSize.width(),
                         textSize.height());
    return layout;
}

QFont badgeFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(8);
    font.setWeight(QFont::Medium);
    return font;
}

QImage badgedPaw(const QColor& color, int count, qreal devicePixelRatio)
{
    const QString text = QString::number(count);
    const QFont font = badgeFont();
    const QFontMetricsF metrics(font);
    const BadgeLayout layout =
        badgeLayout(QSizeF(kPawSize, kPawSize), QSizeF(metrics.horizontalAdvance(text), metrics.height()));

    QImage image = canvas(layout.canvas, devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawPaw(painter, layout.icon, color);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(layout.badge, 5, 5);
    painter.setPen(Qt::white);
    painter.setFont(font);
    painter.drawText(layout.text, Qt::AlignCenter, text);
    return image;
}

QImage trayIconImage(const Badge& badge, const QColor& plainColor, const QColor& badgeColor,
                     qreal devicePixelRatio)
{
    if (badge.color == BadgeColor::none || badge.count < 1)
        return pawImage(plainColor, devicePixelRatio);
    return badgedPaw(badgeColor, badge.count, devicePixelRatio);
}

} // namespace norvane::ui
