#pragma once

#include <QColor>
#include <QPalette>

namespace norvane {

// A light and a dark desktop theme, as a desktop hands them to the app: the widget tests paint under both,
// and tools/screenshots draws its pictures under both.
inline QPalette themePalette(bool dark)
{
    const auto pick = [dark](QRgb light, QRgb night) { return QColor::fromRgb(dark ? night : light); };
    QPalette p;
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, pick(0x1d1d1f, 0xf2f2f5));
    p.setColor(QPalette::Window, pick(0xf5f5f7, 0x1e1e20));
    p.setColor(QPalette::Base, pick(0xffffff, 0x2a2a2d));
    p.setColor(QPalette::AlternateBase, pick(0xeeeef0, 0x323235));
    p.setColor(QPalette::Button, pick(0xe8e8ea, 0x3a3a3d));
    p.setColor(QPalette::Highlight, pick(0x007aff, 0x0a84ff));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText,
               dark ? QColor(0xf2, 0xf2, 0xf5, 150) : QColor(0x1d, 0x1d, 0x1f, 140));
    p.setColor(QPalette::Mid, pick(0xd0d0d4, 0x48484c));
    return p;
}

} // namespace norvane
