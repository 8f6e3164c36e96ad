#include "ui/widgets/icons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

namespace norvane::ui {

const QList<SymbolInfo>& symbolTable()
{
    static const QList<SymbolInfo> table{
        {Symbol::arrowClockwise, "arrow.clockwise", "sync-16"},
        {Symbol::hammerFill, "hammer.fill", "tools-16"},
        {Symbol::bellBadgeFill, "bell.badge.fill", "bell-fill-16"},
        {Symbol::gearshape, "gearshape", "gear-16"},
        {Symbol::gearshapeFill, "gearshape.fill", "gear-16"},
        {Symbol::personBadgePlus, "person.badge.plus", "person-add-16"},
        {Symbol::checkmarkSealFill, "checkmark.seal.fill", "verified-16"},
        {Symbol::exclamationmarkTriangle, "exclamationmark.triangle", "alert-16"},
        {Symbol::starFill, "star.fill", "star-fill-16"},
        {Symbol::star, "star", "star-16"},
        {Symbol::starSlash, "star.slash", "circle-slash-16"},
        {Symbol::chevronDown, "chevron.down", "chevron-down-16"},
        {Symbol::xmarkCircleFill, "xmark.circle.fill", "x-circle-fill-16"},
        {Symbol::xmarkCircle, "xmark.circle", "x-circle-16"},
        {Symbol::checkmark, "checkmark", "check-16"},
        {Symbol::building2Slash, "building.2.slash", "organization-16"},
        {Symbol::clockArrowCirclepath, "clock.arrow.circlepath", "history-16"},
        {Symbol::calendar, "calendar", "calendar-16"},
        {Symbol::folder, "folder", "file-directory-16"},
        {Symbol::number, "number", "number-16"},
        {Symbol::checkmarkCircle, "checkmark.circle", "check-circle-24"},
        {Symbol::arrowUpCircleFill, "arrow.up.circle.fill", "git-commit-16"},
        {Symbol::checkmarkBubbleFill, "checkmark.bubble.fill", "code-review-16"},
        {Symbol::bubbleLeftFill, "bubble.left.fill", "comment-fill-16"},
        {Symbol::textBubble, "text.bubble", "comment-16"},
        {Symbol::clock, "clock", "clock-16"},
        {Symbol::tray, "tray", "inbox-24"},
        {Symbol::bubbleLeft, "bubble.left", "comment-16"},
        {Symbol::rectangle3Group, "rectangle.3.group", "apps-24"},
        {Symbol::arrowTriangleBranch, "arrow.triangle.branch", "git-pull-request-16"},
        {Symbol::arrowUpCircle, "arrow.up.circle", "rocket-16"},
        {Symbol::serverRack, "server.rack", "server-16"},
        {Symbol::checkmarkCircleFill, "checkmark.circle.fill", "check-circle-fill-16"},
        {Symbol::clockFill, "clock.fill", "clock-fill-16"},
        {Symbol::circle, "circle", "circle-16"},
        {Symbol::personBadgeKeyFill, "person.badge.key.fill", "passkey-fill-24"},
        {Symbol::arrowRightCircleFill, "arrow.right.circle.fill", "arrow-right-16"},
        {Symbol::docOnClipboard, "doc.on.clipboard", "copy-16"},
        {Symbol::safari, "safari", "globe-16"},
        {Symbol::chevronLeft, "chevron.left", "chevron-left-16"},
        {Symbol::personCircleFill, "person.circle.fill", "person-fill-16"},
        {Symbol::trash, "trash", "trash-16"},
        {Symbol::plusCircleFill, "plus.circle.fill", "plus-circle-16"},
        {Symbol::questionmarkCircle, "questionmark.circle", "question-16"},
        {Symbol::exclamationmarkCircle, "exclamationmark.circle", "issue-opened-16"},
        {Symbol::plus, "plus", "plus-16"},
        {Symbol::eyeCircleFill, "eye.circle.fill", "eye-16"},
        {Symbol::personCropCircleFill, "person.crop.circle.fill", "person-16"},
        {Symbol::person2CircleFill, "person.2.circle.fill", "people-16"},
        {Symbol::lockCircleFill, "lock.circle.fill", "lock-16"},
    };
    return table;
}

QString resourcePath(Symbol symbol)
{
    for (const SymbolInfo& info : symbolTable()) {
        if (info.symbol == symbol)
            return QStringLiteral(":/icons/octicons/%1.svg").arg(QLatin1String(info.octicon));
    }
    return {};
}

QPixmap symbolPixmap(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio)
{
    // Rows draw the same few icons thousands of times while scrolling; render each variant once.
    const QString key = QStringLiteral("norvane-symbol/%1/%2/%3/%4")
                            .arg(int(symbol))
                            .arg(color.rgba())
                            .arg(size)
                            .arg(devicePixelRatio);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;

    const int pixels = int(std::ceil(size * devicePixelRatio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        QSvgRenderer renderer(resourcePath(symbol));
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
        // The glyphs are black on transparent: keep their shape, take the colour.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon symbolIcon(Symbol symbol, const QColor& color, int size)
{
    QIcon icon;
    icon.addPixmap(symbolPixmap(symbol, color, size, 1.0));
    const qreal dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (dpr > 1.0)
        icon.addPixmap(symbolPixmap(symbol, color, size, dpr));
    return icon;
}

} // namespace norvane::ui
