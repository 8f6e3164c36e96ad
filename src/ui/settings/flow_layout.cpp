#include "ui/settings/flow_layout.h"

#include <QWidget>
#include <cmath>

namespace norvane::ui {

FlowLayout::FlowLayout(qreal spacing, QWidget* parent) : QLayout(parent), m_spacing(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

FlowLayout::Placement FlowLayout::place(const QList<QSize>& sizes, const QRect& bounds, qreal spacing)
{
    Placement placement;
    // Right edge as a position, not QRect::right() (which is one pixel short of it).
    const qreal left = bounds.x();
    const qreal right = bounds.x() + bounds.width();
    qreal x = left;
    qreal y = bounds.y();
    qreal lineHeight = 0;
    for (const QSize& size : sizes) {
        if (x + size.width() > right && x > left) {
            y += lineHeight + spacing;
            x = left;
            lineHeight = 0;
        }
        placement.frames.append(QRect(int(std::lround(x)), int(std::lround(y)), size.width(), size.height()));
        x += size.width() + spacing;
        lineHeight = std::max(lineHeight, qreal(size.height()));
    }
    placement.height = int(std::ceil(y - bounds.y() + lineHeight));
    return placement;
}

void FlowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
}

int FlowLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_items.takeAt(index);
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return Qt::Horizontal;
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

QList<QSize> FlowLayout::itemSizes() const
{
    QList<QSize> sizes;
    for (QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        sizes.append(item->sizeHint());
    }
    return sizes;
}

int FlowLayout::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    const QRect bounds(0, 0, std::max(0, width - m.left() - m.right()), 0);
    return place(itemSizes(), bounds, m_spacing).height + m.top() + m.bottom();
}

QSize FlowLayout::sizeHint() const
{
    // Everything on one line; the height for a real width comes from heightForWidth.
    const QList<QSize> sizes = itemSizes();
    const QMargins m = contentsMargins();
    int width = 0;
    int height = 0;
    for (const QSize& size : sizes) {
        width += size.width();
        height = std::max(height, size.height());
    }
    if (sizes.size() > 1)
        width += int(std::lround(m_spacing * qreal(sizes.size() - 1)));
    return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

QSize FlowLayout::minimumSize() const
{
    // No minimum width: an item wider than the layout keeps its line and is cut by the edge, as it would
    // be measured; the height then follows heightForWidth.
    int height = 0;
    for (const QSize& item : itemSizes())
        height = std::max(height, item.height());
    const QMargins m = contentsMargins();
    return QSize(m.left() + m.right(), height + m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect bounds = rect.marginsRemoved(contentsMargins());
    QList<QLayoutItem*> visible;
    QList<QSize> sizes;
    for (QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        visible.append(item);
        sizes.append(item->sizeHint());
    }
    const Placement placement = place(sizes, bounds, m_spacing);
    for (int i = 0; i < visible.size(); ++i)
        visible[i]->setGeometry(placement.frames[i]);
}

} // namespace norvane::ui
