#pragma once

#include "core/activity_records.h"
#include "ui/activity/activity_content.h"
#include "ui/widgets/painted_row_view.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QList>
#include <QPalette>
#include <functional>

namespace norvane::ui {

// The filtered issues as a list model for a lazy list view; a row's content is built when the view asks,
// so its relative time is that of the moment it is drawn.
class IssueListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { ContentRole = Qt::UserRole + 1, HasChipsRole };

    using Now = std::function<QDateTime()>;
    explicit IssueListModel(QObject* parent = nullptr, Now now = {});

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void setIssues(QList<GitHubIssue> issues);
    const QList<GitHubIssue>& issues() const { return m_issues; }

private:
    Now m_now;
    QList<GitHubIssue> m_issues;
};

// Places the parts of an issue row `width` logical pixels wide; long texts are cut at the end.
RowLayout layoutIssueRow(const IssueRowContent& content, const QPalette& palette, qreal width);
// The height layoutIssueRow() gives, from font heights alone: the list asks it of every row before it draws
// any, so it needs only whether the row has label chips.
qreal issueRowHeight(bool withChips);

// Draws one issue of the list: the delegate behind the issue list's rows.
class IssueRowView final : public PaintedRowView
{
    Q_OBJECT

public:
    using PaintedRowView::PaintedRowView;

protected:
    RowLayout layoutAt(const QModelIndex& index, const QPalette& palette, qreal width) const override;
    qreal heightAt(const QModelIndex& index) const override;
};

} // namespace norvane::ui

Q_DECLARE_METATYPE(norvane::ui::IssueRowContent)
