#include "ui/activity/issue_row_view.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

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

constexpr qreal kPadX = 12;
constexpr qreal kPadY = 10;
constexpr qreal kDot = 8;
constexpr qreal kDotTop = 5;
constexpr qreal kColumnGap = 10;
constexpr qreal kLineGap = 4;
constexpr qreal kChipPadX = 6;
constexpr qreal kChipPadY = 2;
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
        h.chips = caption2 + 2 * kChipPadY;
    }
    return h;
}

IssuePiece textPiece(const QString& text, const QFont& font, const QColor& color, QPointF topLeft,
                     qreal lineHeight, qreal maxWidth)
{
    const QFontMetricsF metrics(font);
    IssuePiece piece;
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

} // namespace

qreal issueRowHeight(bool withChips)
{
    const Heights& h = heights();
    qreal total = kPadY + h.header + kLineGap + h.title + kLineGap + h.meta + kPadY;
    if (withChips)
        total += kLineGap + h.chips;
    return total;
}

IssueRowLayout layoutIssueRow(const IssueRowContent& row, const QPalette& palette, qreal width)
{
    const Fonts f;
    const Heights& h = heights();
    const QColor primary = color(ThemeColor::primary, palette);
    const QColor secondary = color(ThemeColor::secondary, palette);
    const qreal left = kPadX + kDot + kColumnGap;
    const qreal right = std::max(left + 40, width - kPadX);

    IssueRowLayout layout;
    layout.dot = QRectF(kPadX, kPadY + kDotTop, kDot, kDot);
    layout.height = issueRowHeight(!row.chips.isEmpty());
    qreal y = kPadY;

    layout.pieces.append(textPiece(row.repository, f.caption, secondary, {left, y}, h.header, right - left));
    y += h.header + kLineGap;

    const IssuePiece number = textPiece(row.number, f.number, secondary, {left, y}, h.title, right - left);
    layout.pieces.append(number);
    const qreal titleX = number.rect.right() + 4;
    if (titleX < right - 8)
        layout.pieces.append(
            textPiece(row.title, f.subheadline, primary, {titleX, y}, h.title, right - titleX));
    y += h.title + kLineGap;

    // Who and when on the left; the comment count pinned to the right edge.
    qreal metaRight = right;
    if (row.comments) {
        const QFontMetricsF metrics(f.caption2);
        const qreal countWidth = metrics.horizontalAdvance(*row.comments);
        const qreal iconSize = std::round(metrics.ascent());
        IssuePiece count =
            textPiece(*row.comments, f.caption2, secondary, {right - countWidth, y}, h.meta, countWidth);
        IssuePiece bubble;
        bubble.kind = IssuePiece::Kind::icon;
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
        const IssuePiece author =
            textPiece(*row.author, f.caption, secondary, {x, y}, h.meta, metaRight - x - timeWidth - 8);
        layout.pieces.append(author);
        x = author.rect.right() + 8;
    }
    layout.pieces.append(textPiece(row.time, f.caption, secondary, {x, y}, h.meta, metaRight - x));
    y += h.meta;

    if (!row.chips.isEmpty()) {
        y += kLineGap;
        const QFontMetricsF metrics(f.caption2);
        qreal limit = right;
        if (row.moreLabels)
            limit -= metrics.horizontalAdvance(*row.moreLabels) + kChipGap;
        x = left;
        for (const QString& name : row.chips) {
            const qreal room = limit - x - 2 * kChipPadX;
            if (room < 12)
                break;
            IssuePiece chip;
            chip.kind = IssuePiece::Kind::chip;
            chip.text = metrics.elidedText(name, Qt::ElideRight, room);
            chip.font = f.caption2;
            chip.color = primary;
            chip.background = withAlpha(color(ThemeColor::accent, palette), 0.15);
            chip.rect = QRectF(x, y, metrics.horizontalAdvance(chip.text) + 2 * kChipPadX, h.chips);
            layout.pieces.append(chip);
            x = chip.rect.right() + kChipGap;
        }
        if (row.moreLabels)
            layout.pieces.append(
                textPiece(*row.moreLabels, f.caption2, secondary, {x, y}, h.chips, right - x));
    }
    return layout;
}

void IssueRowView::paintRow(QPainter& painter, const IssueRowContent& row, const QRect& rect,
                            const QPalette& palette, bool divider, bool hovered)
{
    const IssueRowLayout layout = layoutIssueRow(row, palette, rect.width());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(rect.topLeft());
    const QRectF bounds(0, 0, rect.width(), rect.height());
    // The pointer over a row: a faint wash, so the row reads as the thing a click opens.
    if (hovered)
        painter.fillRect(bounds, withAlpha(color(ThemeColor::primary, palette), 0.04));

    painter.setPen(Qt::NoPen);
    painter.setBrush(color(ThemeColor::green, palette));
    painter.drawEllipse(layout.dot);

    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    for (const IssuePiece& piece : layout.pieces) {
        switch (piece.kind) {
        case IssuePiece::Kind::text:
            painter.setPen(piece.color);
            painter.setFont(piece.font);
            painter.drawText(piece.rect, Qt::AlignLeft | Qt::AlignVCenter, piece.text);
            break;
        case IssuePiece::Kind::icon:
            painter.drawPixmap(piece.rect.topLeft(),
                               symbolPixmap(*piece.symbol, piece.color, int(piece.rect.width()), dpr));
            break;
        case IssuePiece::Kind::chip:
            painter.setPen(Qt::NoPen);
            painter.setBrush(piece.background);
            painter.drawRoundedRect(piece.rect, 4, 4);
            painter.setPen(piece.color);
            painter.setFont(piece.font);
            painter.drawText(piece.rect, Qt::AlignCenter, piece.text);
            break;
        }
    }

    if (divider) {
        painter.setPen(QPen(withAlpha(color(ThemeColor::primary, palette), 0.1), 1));
        painter.drawLine(QPointF(0, bounds.height() - 0.5), QPointF(bounds.width(), bounds.height() - 0.5));
    }
    painter.restore();
}

void IssueRowView::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const
{
    const auto content = index.data(IssueListModel::ContentRole).value<IssueRowContent>();
    // Every row but the last is followed by a divider.
    const bool divider = index.row() + 1 < index.model()->rowCount();
    paintRow(*painter, content, option.rect, option.palette, divider, option.state & QStyle::State_MouseOver);
}

QSize IssueRowView::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    return QSize(1, int(std::ceil(issueRowHeight(index.data(IssueListModel::HasChipsRole).toBool()))));
}

} // namespace norvane::ui
