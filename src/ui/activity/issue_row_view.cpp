#include "ui/activity/issue_row_view.h"

#include <QApplication>
#include <QFontMetricsF>

namespace norvane::ui {

IssueListModel::IssueListModel(QObject* parent, Now now) : QAbstractListModel(parent), m_now(std::move(now))
{
    if (!m_now)
        m_now = [] { return QDateTime::currentDateTimeUtc(); };
}

int IssueListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_issues.size());
}

QVariant IssueListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_issues.size())
        return {};
    const GitHubIssue& issue = m_issues[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return issue.title;
    case HasChipsRole:
        return !issue.labels.isEmpty();
    case ContentRole:
        return QVariant::fromValue(issueRowContent(issue, m_now()));
    case Qt::AccessibleTextRole:
        return spokenIssueRow(issueRowContent(issue, m_now())).name;
    case Qt::AccessibleDescriptionRole:
        return spokenIssueRow(issueRowContent(issue, m_now())).description;
    default:
        return {};
    }
}

void IssueListModel::setIssues(QList<GitHubIssue> issues)
{
    beginResetModel();
    m_issues = std::move(issues);
    endResetModel();
}

namespace {

constexpr qreal kDot = 8;
constexpr qreal kDotTop = 5;
constexpr qreal kLineGap = 4;
constexpr qreal kChipGap = 4;

struct Fonts
{
    QFont caption = textFont(TextStyle::caption);
    QFont caption2 = textFont(TextStyle::caption2);
    QFont subheadline = textFont(TextStyle::subheadline);
    QFont number = textFont(TextStyle::subheadline, QFont::Medium);
};

// Line heights, measured once per application font: the list asks every row's height up front.
struct Heights
{
    QString fontKey;
    qreal header = 0, title = 0, meta = 0, chips = 0;
};

const Heights& heights()
{
    static Heights h;
    const QString key = QApplication::font().key();
    if (h.fontKey != key) {
        const Fonts f;
        h.fontKey = key;
        const qreal caption = QFontMetricsF(f.caption).height();
        const qreal caption2 = QFontMetricsF(f.caption2).height();
        h.header = caption;
        h.title = std::max(QFontMetricsF(f.subheadline).height(), QFontMetricsF(f.number).height());
        h.meta = std::max(caption, caption2);
        h.chips = caption2 + 2 * kBadgePadY;
    }
    return h;
}

} // namespace

qreal issueRowHeight(bool withChips)
{
    const Heights& h = heights();
    qreal total = kRowPadY + h.header + kLineGap + h.title + kLineGap + h.meta + kRowPadY;
    if (withChips)
        total += kLineGap + h.chips;
    return total;
}

RowLayout layoutIssueRow(const IssueRowContent& row, const QPalette& palette, qreal width)
{
    const Fonts f;
    const Heights& h = heights();
    const QColor primary = color(ThemeColor::primary, palette);
    const QColor secondary = color(ThemeColor::secondary, palette);
    const qreal left = kRowPadX + kDot + kRowColumnGap;
    const qreal right = std::max(left + 40, width - kRowPadX);

    RowLayout layout;
    layout.dotColor = ThemeColor::green;
    layout.dot = QRectF(kRowPadX, kRowPadY + kDotTop, kDot, kDot);
    layout.height = issueRowHeight(!row.chips.isEmpty());
    qreal y = kRowPadY;

    layout.pieces.append(placedText(row.repository, f.caption, secondary, {left, y}, h.header, right - left));
    y += h.header + kLineGap;

    const RowPiece number = placedText(row.number, f.number, secondary, {left, y}, h.title, right - left);
    layout.pieces.append(number);
    const qreal titleX = number.rect.right() + 4;
    if (titleX < right - 8)
        layout.pieces.append(
            placedText(row.title, f.subheadline, primary, {titleX, y}, h.title, right - titleX));
    y += h.title + kLineGap;

    // Who and when on the left; the comment count pinned to the right edge.
    qreal metaRight = right;
    if (row.comments) {
        const QFontMetricsF metrics(f.caption2);
        const qreal countWidth = metrics.horizontalAdvance(*row.comments);
        const qreal iconSize = std::round(metrics.ascent());
        RowPiece count =
            placedText(*row.comments, f.caption2, secondary, {right - countWidth, y}, h.meta, countWidth);
        RowPiece bubble;
        bubble.kind = RowPiece::Kind::icon;
        bubble.symbol = Symbol::bubbleLeft;
        bubble.color = secondary;
        bubble.rect =
            QRectF(count.rect.left() - 2 - iconSize, y + (h.meta - iconSize) / 2, iconSize, iconSize);
        metaRight = bubble.rect.left() - 8;
        layout.pieces.append(bubble);
        layout.pieces.append(count);
    }
    const qreal timeWidth = QFontMetricsF(f.caption).horizontalAdvance(row.time);
    qreal x = left;
    if (row.author) {
        const RowPiece author =
            placedText(*row.author, f.caption, secondary, {x, y}, h.meta, metaRight - x - timeWidth - 8);
        layout.pieces.append(author);
        x = author.rect.right() + 8;
    }
    layout.pieces.append(placedText(row.time, f.caption, secondary, {x, y}, h.meta, metaRight - x));
    y += h.meta;

    if (!row.chips.isEmpty()) {
        y += kLineGap;
        const QFontMetricsF metrics(f.caption2);
        qreal limit = right;
        if (row.moreLabels)
            limit -= metrics.horizontalAdvance(*row.moreLabels) + kChipGap;
        x = left;
        for (const QString& name : row.chips) {
            const qreal room = limit - x - 2 * kBadgePadX;
            if (room < 12)
                break;
            RowPiece chip;
            chip.kind = RowPiece::Kind::badge;
            chip.text = metrics.elidedText(name, Qt::ElideRight, room);
            chip.font = f.caption2;
            chip.color = primary;
            chip.background = withAlpha(color(ThemeColor::accent, palette), 0.15);
            chip.rect = QRectF(QPointF(x, y), naturalSize(chip));
            layout.pieces.append(chip);
            x = chip.rect.right() + kChipGap;
        }
        if (row.moreLabels)
            layout.pieces.append(
                placedText(*row.moreLabels, f.caption2, secondary, {x, y}, h.chips, right - x));
    }
    return layout;
}

RowLayout IssueRowView::layoutAt(const QModelIndex& index, const QPalette& palette, qreal width) const
{
    return layoutIssueRow(index.data(IssueListModel::ContentRole).value<IssueRowContent>(), palette, width);
}

qreal IssueRowView::heightAt(const QModelIndex& index) const
{
    return issueRowHeight(index.data(IssueListModel::HasChipsRole).toBool());
}

} // namespace norvane::ui
