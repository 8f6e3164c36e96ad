#pragma once

#include "ui/pulls/pr_row.h"

#include <QFont>
#include <QList>
#include <QPalette>
#include <QRectF>
#include <QStyledItemDelegate>

namespace norvane::ui {

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

struct RowLayout
{
    QList<RowPiece> pieces;
    QRectF dot; // the 8-point status dot
    qreal height = 0;
};

// Places the parts of a row `width` logical pixels wide. Long texts are cut with an ellipsis so a row
// never grows sideways.
RowLayout layoutRow(const PRRowContent& content, const QPalette& palette, qreal width);

// The height layoutRow() gives, without placing anything: what the list asks of every row up front.
qreal rowHeight(const PRRowContent& content);

// Draws one pull request of the list: the delegate behind the list's rows. It reads the row's content
// from the list model (PRListModel::ContentRole) and paints it; the model decides what the row says.
class PRRowView final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // The help text under a point of a row, relative to the row's top left; empty when there is none.
    static QString helpAt(const RowLayout& layout, QPointF point);
    static void paintRow(QPainter& painter, const PRRowContent& content, const QRect& rect,
                         const QPalette& palette, bool divider, bool hovered = false);
};

} // namespace norvane::ui
