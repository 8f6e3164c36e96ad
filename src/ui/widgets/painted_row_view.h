#pragma once

#include "ui/widgets/icons.h"
#include "ui/widgets/theme.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPalette>
#include <QRectF>
#include <QString>
#include <QStyledItemDelegate>
#include <optional>

// The painted rows of the long lists (pull requests, issues). A row is laid out once into placed parts; the
// same parts are then painted, measured and asked for their hover texts, so what is drawn and what is
// hovered never disagree. A row type decides what goes where; this base draws it and does the list
// delegate's work.
namespace norvane::ui {

// The spacing every painted row keeps.
inline constexpr qreal kRowPadX = 12;      // left and right of the row
inline constexpr qreal kRowPadY = 10;      // above the first line and below the last
inline constexpr qreal kRowColumnGap = 10; // between the dot's column and the texts
inline constexpr qreal kBadgePadX = 6;     // inside a badge, around its content
inline constexpr qreal kBadgePadY = 2;

// The wash under a row: the pointer's faint wash shows on a clear row only.
enum class RowBackground { clear, unseen, selected };

// One placed part of a row: a run of text, an icon, or a small tinted badge.
struct RowPiece
{
    enum class Kind { text, icon, badge };
    Kind kind = Kind::text;
    QString text;
    QFont font;
    QColor color;
    std::optional<Symbol> symbol;
    QString help;      // hover text, when the part has one
    QColor background; // badges only
    QRectF rect;       // relative to the row's top left
};

// Everything a row paints: its placed parts and the status dot in the leading column.
struct RowLayout
{
    QList<RowPiece> pieces;
    QRectF dot; // the 8-point status dot
    ThemeColor dotColor = ThemeColor::gray;
    bool ring = false; // a 14-point outline around the dot
    RowBackground background = RowBackground::clear;
    qreal height = 0;
};

// A part's size before it is placed: a text's advance, an icon as wide as its font's ascent, a badge's
// text (and icon) inside the badge's padding.
QSizeF naturalSize(const RowPiece& piece);

// A text on a line `lineHeight` high whose top left is `topLeft`, centred on the line and cut with an
// ellipsis to at most `maxWidth`.
RowPiece placedText(const QString& text, const QFont& font, const QColor& color, QPointF topLeft,
                    qreal lineHeight, qreal maxWidth);

// Builds one line of parts from left to right, then places it between `left` and `right`. A text that
// runs out of room is cut with an ellipsis, so a row never grows sideways; anything else that does not fit
// is left off.
class RowLine
{
public:
    static constexpr qreal kGap = 4; // between two parts, unless said otherwise

    RowLine(QList<RowPiece>& out, qreal left, qreal right) : m_out(out), m_left(left), m_right(right) {}

    RowLine& text(const QString& text, const QFont& font, const QColor& color, qreal gap = kGap,
                  const QString& help = {});
    // An icon sized to the text it sits with.
    RowLine& icon(Symbol symbol, const QFont& font, const QColor& color, const QString& help = {},
                  qreal gap = kGap);
    RowLine& badge(const QString& text, std::optional<Symbol> symbol, const QFont& font, const QColor& color,
                   const QColor& background, const QString& help, qreal gap = 6);

    // Places the parts on a line starting at `top`; returns the line's height (0 for an empty line).
    qreal place(qreal top);

private:
    RowLine& add(const RowPiece& piece, qreal gap);

    QList<RowPiece>& m_out;
    QList<RowPiece> m_pieces;
    QList<qreal> m_gaps;
    qreal m_left;
    qreal m_right;
};

// The delegate behind a list of painted rows. A row type says how the row at an index is laid out and how
// high it is; the base paints it (every row but the last followed by a divider, the pointer's wash on a
// clear row), sizes it to the list's width and shows the hover text of the part under the pointer.
class PaintedRowView : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const final;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const final;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) final;

    // The help text under a point of a row, relative to the row's top left; empty when there is none.
    static QString helpAt(const RowLayout& layout, QPointF point);
    static void paintRow(QPainter& painter, const RowLayout& layout, const QRect& rect,
                         const QPalette& palette, bool divider, bool hovered = false);

protected:
    // The row at `index` laid out `width` logical pixels wide.
    virtual RowLayout layoutAt(const QModelIndex& index, const QPalette& palette, qreal width) const = 0;
    // The height layoutAt() gives, without placing anything: the list asks it of every row before it can
    // show any, so it must stay far cheaper than a layout.
    virtual qreal heightAt(const QModelIndex& index) const = 0;
};

} // namespace norvane::ui
