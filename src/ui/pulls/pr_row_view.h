#pragma once

#include "ui/pulls/pr_row.h"
#include "ui/widgets/painted_row_view.h"

#include <QPalette>

namespace norvane::ui {

// Places the parts of a pull request's row `width` logical pixels wide. Long texts are cut with an
// ellipsis so a row never grows sideways.
RowLayout layoutRow(const PRRowContent& content, const QPalette& palette, qreal width);

// The height layoutRow() gives, without placing anything: what the list asks of every row up front.
qreal rowHeight(const PRRowContent& content);

// Draws one pull request of the list: the delegate behind the list's rows. It reads the row's content
// from the list model (PRListModel::ContentRole) and lays it out; the model decides what the row says.
class PRRowView final : public PaintedRowView
{
    Q_OBJECT

public:
    using PaintedRowView::PaintedRowView;

protected:
    RowLayout layoutAt(const QModelIndex& index, const QPalette& palette, qreal width) const override;
    qreal heightAt(const QModelIndex& index) const override;
};

} // namespace norvane::ui
