#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

// The symbols the screens use, named as the screens' design names them, and the Octicon that stands for
// each: the one table of the mapping. Icons are drawn from the SVGs compiled into the binary, tinted with a
// palette colour, at the screen's pixel density.
namespace norvane::ui {

enum class Symbol {
    arrowClockwise,
    hammerFill,
    bellBadgeFill,
    gearshape,
    gearshapeFill,
    personBadgePlus,
    checkmarkSealFill,
    exclamationmarkTriangle,
    starFill,
    star,
    starSlash,
    chevronDown,
    xmarkCircleFill,
    xmarkCircle,
    checkmark,
    building2Slash,
    clockArrowCirclepath,
    calendar,
    folder,
    number,
    checkmarkCircle,
    arrowUpCircleFill,
    checkmarkBubbleFill,
    bubbleLeftFill,
    textBubble,
    clock,
    tray,
    bubbleLeft,
    rectangle3Group,
    arrowTriangleBranch,
    arrowUpCircle,
    serverRack,
    checkmarkCircleFill,
    clockFill,
    circle,
    personBadgeKeyFill,
    arrowRightCircleFill,
    docOnClipboard,
    safari,
    chevronLeft,
    personCircleFill,
    trash,
    plusCircleFill,
    questionmarkCircle,
    exclamationmarkCircle,
    plus,
    eyeCircleFill,
    personCropCircleFill,
    person2CircleFill,
    lockCircleFill,
};

struct SymbolInfo
{
    Symbol symbol;
    const char* designName; // the name the screens' design uses
    const char* octicon;    // file name in the icon resource, without ".svg"
};
const QList<SymbolInfo>& symbolTable();
QString resourcePath(Symbol symbol);

// The symbol in one colour, `size` logical pixels square.
QPixmap symbolPixmap(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio);
QIcon symbolIcon(Symbol symbol, const QColor& color, int size = 16);

} // namespace norvane::ui
