#include "ui/widgets/painted_row_view.h"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <cmath>

namespace norvane::ui {

QSizeF naturalSize(const RowPiece& piece)
{
    const QFontMetricsF metrics(piece.font);
    switch (piece.kind) {
    case RowPiece::Kind::text:
        return {metrics.horizontalAdvance(piece.text), metrics.height()};
    case RowPiece::Kind::icon:
        return {metrics.ascent(), metrics.height()};
    case RowPiece::Kind::badge: {
        const qreal iconWidth = piece.symbol ? metrics.ascent() + 3 : 0;
        return {metrics.horizontalAdvance(piece.text) + iconWidth + 2 * kBadgePadX,
                metrics.height() + 2 * kBadgePadY};
    }
    }
    return {};
}

RowPiece placedText(const QString& text, const QFont& font, const QColor& color, QPointF topLeft,
                    qreal lineHeight, qreal maxWidth)
{
    const QFontMetricsF metrics(font);
    RowPiece piece;
    piece.text = text;
    qreal width = metrics.horizontalAdvance(text);
    if (width > maxWidth) {
        piece.text = metrics.elidedText(text, Qt::ElideRight, std::max<qreal>(maxWidth, 0));
        width = std::max<qreal>(maxWidth, 0);
    }
    piece.font = font;
    piece.color = color;
    piece.rect =
        QRectF(topLeft.x(), topLeft.y() + (lineHeight - metrics.height()) / 2, width, metrics.height());
    return piece;
}

// --- One line of parts --------------------------------------------------------------------------------

RowLine& RowLine::text(const QString& text, const QFont& font, const QColor& color, qreal gap,
                       const QString& help)
{
    RowPiece piece;
    piece.text = text;
    piece.font = font;
    piece.color = color;
    piece.help = help;
    return add(piece, gap);
}

RowLine& RowLine::icon(Symbol symbol, const QFont& font, const QColor& color, const QString& help, qreal gap)
{
    RowPiece piece;
    piece.kind = RowPiece::Kind::icon;
    piece.symbol = symbol;
    piece.font = font;
    piece.color = color;
    piece.help = help;
    return add(piece, gap);
}

RowLine& RowLine::badge(const QString& text, std::optional<Symbol> symbol, const QFont& font,
                        const QColor& color, const QColor& background, const QString& help, qreal gap)
{
    RowPiece piece;
    piece.kind = RowPiece::Kind::badge;
    piece.text = text;
    piece.symbol = symbol;
    piece.font = font;
    piece.color = color;
    piece.background = background;
    piece.help = help;
    return add(piece, gap);
}

qreal RowLine::place(qreal top)
{
    if (m_pieces.isEmpty())
        return 0;
    qreal height = 0;
    for (const RowPiece& piece : m_pieces)
        height = std::max(height, naturalSize(piece).height());
    qreal x = m_left;
    for (int i = 0; i < m_pieces.size(); ++i) {
        RowPiece& piece = m_pieces[i];
        if (i > 0)
            x += m_gaps[i];
        QSizeF size = naturalSize(piece);
        if (x + size.width() > m_right) {
            // Out of room: texts are cut short, anything else that does not fit is left off.
            if (piece.kind != RowPiece::Kind::text || x >= m_right - 8)
                break;
            piece.text = QFontMetricsF(piece.font).elidedText(piece.text, Qt::ElideRight, m_right - x);
            size.setWidth(m_right - x);
        }
        piece.rect = QRectF(QPointF(x, top + (height - size.height()) / 2), size);
        x += size.width();
        m_out.append(piece);
    }
    return height;
}

RowLine& RowLine::add(const RowPiece& piece, qreal gap)
{
    m_pieces.append(piece);
    m_gaps.append(gap);
    return *this;
}

// --- Painting -----------------------------------------------------------------------------------------

void PaintedRowView::paintRow(QPainter& painter, const RowLayout& layout, const QRect& rect,
                              const QPalette& palette, bool divider, bool hovered)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(rect.topLeft());
    const QRectF bounds(0, 0, rect.width(), rect.height());

    const QColor accent = color(ThemeColor::accent, palette);
    const QColor blue = color(ThemeColor::blue, palette);
    switch (layout.background) {
    case RowBackground::selected:
        painter.fillRect(bounds, withAlpha(accent, 0.12));
        painter.fillRect(QRectF(0, 0, 3, bounds.height()), accent);
        break;
    case RowBackground::unseen:
        painter.fillRect(bounds, withAlpha(blue, 0.05));
        break;
    case RowBackground::clear:
        // The pointer over a row: a faint wash, so the row reads as the thing a click opens.
        if (hovered)
            painter.fillRect(bounds, withAlpha(color(ThemeColor::primary, palette), 0.04));
        break;
    }

    painter.setPen(Qt::NoPen);
    painter.setBrush(color(layout.dotColor, palette));
    painter.drawEllipse(layout.dot);
    if (layout.ring) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(blue, 2));
        // The outline's centre line sits inside a 14-point circle so its outer edge is the circle.
        painter.drawEllipse(layout.dot.center(), 6, 6);
    }

    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    for (const RowPiece& piece : layout.pieces) {
        switch (piece.kind) {
        case RowPiece::Kind::text:
            painter.setPen(piece.color);
            painter.setFont(piece.font);
            painter.drawText(piece.rect, Qt::AlignLeft | Qt::AlignVCenter, piece.text);
            break;
        case RowPiece::Kind::icon: {
            const int size = int(std::round(piece.rect.width()));
            painter.drawPixmap(QPointF(piece.rect.x(), piece.rect.center().y() - size / 2.0),
                               symbolPixmap(*piece.symbol, piece.color, size, dpr));
            break;
        }
        case RowPiece::Kind::badge: {
            painter.setPen(Qt::NoPen);
            painter.setBrush(piece.background);
            painter.drawRoundedRect(piece.rect, 4, 4);
            QRectF inner = piece.rect.adjusted(kBadgePadX, kBadgePadY, -kBadgePadX, -kBadgePadY);
            if (piece.symbol) {
                const int size = int(std::round(QFontMetricsF(piece.font).ascent()));
                painter.drawPixmap(QPointF(inner.x(), inner.center().y() - size / 2.0),
                                   symbolPixmap(*piece.symbol, piece.color, size, dpr));
                inner.setLeft(inner.left() + size + 3);
            }
            painter.setPen(piece.color);
            painter.setFont(piece.font);
            painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter, piece.text);
            break;
        }
        }
    }

    if (divider) {
        painter.setPen(QPen(withAlpha(color(ThemeColor::primary, palette), 0.1), 1));
        painter.drawLine(QPointF(0, bounds.height() - 0.5), QPointF(bounds.width(), bounds.height() - 0.5));
    }
    painter.restore();
}

// --- The list's delegate ------------------------------------------------------------------------------

void PaintedRowView::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const
{
    const RowLayout layout = layoutAt(index, option.palette, option.rect.width());
    // Every row but the last is followed by a divider.
    const bool divider = index.row() + 1 < index.model()->rowCount();
    paintRow(*painter, layout, option.rect, option.palette, divider, option.state & QStyle::State_MouseOver);
}

QSize PaintedRowView::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    // Rows take the list's width; only the height is the row's own.
    return QSize(1, int(std::ceil(heightAt(index))));
}

QString PaintedRowView::helpAt(const RowLayout& layout, QPointF point)
{
    for (const RowPiece& piece : layout.pieces) {
        if (!piece.help.isEmpty() && piece.rect.contains(point))
            return piece.help;
    }
    return {};
}

bool PaintedRowView::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                               const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const RowLayout layout = layoutAt(index, option.palette, option.rect.width());
    const QString help = helpAt(layout, QPointF(event->pos() - option.rect.topLeft()));
    if (help.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), help, view);
    return true;
}

} // namespace norvane::ui
