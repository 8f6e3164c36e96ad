#include "ui/pulls/pr_row_view.h"

#include "ui/pulls/pr_list_model.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace norvane::ui {

namespace {

constexpr qreal kPadX = 12;
constexpr qreal kPadY = 10;
constexpr qreal kColumnGap = 10;
constexpr qreal kLeadingColumn = 14; // the ring's diameter
constexpr qreal kLineGap = 3;
constexpr qreal kPieceGap = 4;
constexpr qreal kBadgePadX = 6;
constexpr qreal kBadgePadY = 2;

// Builds one line of pieces from left to right, then places it.
class LineBuilder
{
public:
    LineBuilder(QList<RowPiece>& out, qreal left, qreal right) : m_out(out), m_left(left), m_right(right) {}

    LineBuilder& text(const QString& text, const QFont& font, const QColor& color, qreal gap = kPieceGap,
                      const QString& help = {})
    {
        RowPiece piece;
        piece.text = text;
        piece.font = font;
        piece.color = color;
        piece.help = help;
        return add(piece, gap);
    }
    LineBuilder& icon(Symbol symbol, const QFont& font, const QColor& color, const QString& help = {},
                      qreal gap = kPieceGap)
    {
        RowPiece piece;
        piece.kind = RowPiece::Kind::icon;
        piece.symbol = symbol;
        piece.font = font; // sized to the text it sits with
        piece.color = color;
        piece.help = help;
        return add(piece, gap);
    }
    LineBuilder& badge(const QString& text, std::optional<Symbol> symbol, const QFont& font,
                       const QColor& color, const QColor& background, const QString& help, qreal gap = 6)
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

    // Places the pieces on a line starting at `top`; returns the line's height (0 for an empty line).
    qreal place(qreal top)
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

    static QSizeF naturalSize(const RowPiece& piece)
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

private:
    LineBuilder& add(const RowPiece& piece, qreal gap)
    {
        m_pieces.append(piece);
        m_gaps.append(gap);
        return *this;
    }

    QList<RowPiece>& m_out;
    QList<RowPiece> m_pieces;
    QList<qreal> m_gaps;
    qreal m_left;
    qreal m_right;
};

} // namespace

RowLayout layoutRow(const PRRowContent& row, const QPalette& palette, qreal width)
{
    const QColor secondary = color(ThemeColor::secondary, palette);
    const QColor primary = color(ThemeColor::primary, palette);
    const QColor blue = color(ThemeColor::blue, palette);
    const QColor orange = color(ThemeColor::orange, palette);
    const QFont caption = textFont(TextStyle::caption);
    const QFont caption2 = textFont(TextStyle::caption2);
    const QFont subheadline = textFont(TextStyle::subheadline);

    RowLayout layout;
    const qreal left = kPadX + kLeadingColumn + kColumnGap;
    const qreal right = std::max(left + 40, width - kPadX);
    qreal y = kPadY;
    const auto finish = [&](LineBuilder& line) {
        const qreal h = line.place(y);
        if (h > 0)
            y += h + kLineGap;
    };

    LineBuilder header(layout.pieces, left, right);
    header.text(row.header, caption, secondary);
    for (const UpdateIcon& update : row.updates)
        header.icon(update.symbol, caption2, blue, update.help);
    finish(header);

    LineBuilder title(layout.pieces, left, right);
    title.text(row.number, textFont(TextStyle::subheadline, QFont::Medium), secondary)
        .text(row.title, subheadline, primary, 5);
    finish(title);

    // Who and when share a line; so do the CI verdict, the role and the reviewers still awaited.
    LineBuilder who(layout.pieces, left, right);
    if (row.author)
        who.text(QStringLiteral("Author: ") + *row.author, caption, secondary, 0);
    if (row.reviewRequested)
        who.icon(Symbol::clock, caption, orange, {}, row.author ? 10 : 0).text(row.time, caption, orange);
    else
        who.text(row.time, caption, secondary, row.author ? 10 : 0);
    finish(who);

    LineBuilder status(layout.pieces, left, right);
    bool first = true;
    const auto gap = [&first] { return std::exchange(first, false) ? 0.0 : 10.0; };
    if (row.ci) {
        status.text(QStringLiteral("CI:"), caption, secondary, gap())
            .text(row.ci->symbol + QLatin1Char(' ') + row.ci->word, caption, color(row.ci->color, palette));
    }
    if (row.role)
        status.text(*row.role, caption, secondary, gap());
    if (row.waitingOn) {
        status.text(QStringLiteral("Waiting on:"), caption, secondary, gap())
            .text(*row.waitingOn, caption, orange);
    }
    finish(status);

    LineBuilder badges(layout.pieces, left, right);
    first = true;
    if (row.verdict) {
        const QColor c = color(row.verdict->color, palette);
        const QString text = row.verdict->glyph.isEmpty()
                                 ? row.verdict->text
                                 : row.verdict->glyph + QLatin1Char(' ') + row.verdict->text;
        badges.badge(text, row.verdict->icon, caption2, c, withAlpha(c, 0.15), row.verdict->help, gap());
    }
    if (row.draft) {
        badges.badge(QStringLiteral("DRAFT"), std::nullopt, caption2, secondary,
                     withAlpha(color(ThemeColor::gray, palette), 0.15), {}, gap());
    }
    if (row.reviewComments) {
        badges.icon(Symbol::textBubble, caption, secondary, row.reviewCommentsHelp, gap())
            .text(QString::number(*row.reviewComments), caption, secondary, 3, row.reviewCommentsHelp);
    }
    finish(badges);

    if (row.changeRequest) {
        LineBuilder quote(layout.pieces, left, right);
        quote.text(row.changeRequest->quote, caption, secondary, 0);
        finish(quote);
        LineBuilder by(layout.pieces, left, right);
        by.text(QStringLiteral("—"), caption2, secondary, 0)
            .text(row.changeRequest->reviewer, textFont(TextStyle::caption2, QFont::DemiBold), secondary)
            .text(row.changeRequest->time, caption2, secondary);
        finish(by);
    }

    layout.height = std::max(y - kLineGap + kPadY, kPadY * 2 + kLeadingColumn);
    layout.dot = QRectF(kPadX + (kLeadingColumn - 8) / 2, kPadY + (kLeadingColumn - 8) / 2, 8, 8);
    return layout;
}

qreal rowHeight(const PRRowContent& row)
{
    // The list asks every row for its height before it can show any: this must stay far cheaper than a
    // layout, so it adds up line heights from fonts measured once per application font.
    struct Heights
    {
        QString fontKey;
        qreal caption2 = 0, caption = 0, subheadline = 0, caption2Bold = 0;
    };
    static Heights heights;
    const QString key = QApplication::font().key();
    if (heights.fontKey != key) {
        heights.fontKey = key;
        heights.caption2 = QFontMetricsF(textFont(TextStyle::caption2)).height();
        heights.caption = QFontMetricsF(textFont(TextStyle::caption)).height();
        heights.subheadline =
            std::max(QFontMetricsF(textFont(TextStyle::subheadline)).height(),
                     QFontMetricsF(textFont(TextStyle::subheadline, QFont::Medium)).height());
        heights.caption2Bold = QFontMetricsF(textFont(TextStyle::caption2, QFont::DemiBold)).height();
    }
    qreal total = 0;
    int lines = 0;
    const auto line = [&](qreal h) {
        total += h;
        ++lines;
    };
    line(heights.caption);     // header
    line(heights.subheadline); // number and title
    line(heights.caption);     // author and time
    if (row.ci || row.role || row.waitingOn)
        line(heights.caption);
    if (row.verdict || row.draft || row.reviewComments) {
        qreal h = (row.verdict || row.draft) ? heights.caption2 + 2 * kBadgePadY : 0;
        if (row.reviewComments)
            h = std::max(h, heights.caption);
        line(h);
    }
    if (row.changeRequest) {
        line(heights.caption);
        line(std::max(heights.caption2, heights.caption2Bold));
    }
    return std::max(kPadY + total + (lines - 1) * kLineGap + kPadY, kPadY * 2 + kLeadingColumn);
}

void PRRowView::paintRow(QPainter& painter, const PRRowContent& row, const QRect& rect,
                         const QPalette& palette, bool divider, bool hovered)
{
    const RowLayout layout = layoutRow(row, palette, rect.width());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(rect.topLeft());
    const QRectF bounds(0, 0, rect.width(), rect.height());

    const QColor accent = color(ThemeColor::accent, palette);
    const QColor blue = color(ThemeColor::blue, palette);
    switch (row.background) {
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
    painter.setBrush(color(row.dotColor, palette));
    painter.drawEllipse(layout.dot);
    if (row.ring) {
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

void PRRowView::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto content = index.data(PRListModel::ContentRole).value<PRRowContent>();
    const bool divider = index.row() + 1 < index.model()->rowCount();
    paintRow(*painter, content, option.rect, option.palette, divider, option.state & QStyle::State_MouseOver);
}

QSize PRRowView::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const auto content = index.data(PRListModel::ContentRole).value<PRRowContent>();
    // Rows take the list's width; only the height is the row's own.
    return QSize(1, int(std::ceil(rowHeight(content))));
}

QString PRRowView::helpAt(const RowLayout& layout, QPointF point)
{
    for (const RowPiece& piece : layout.pieces) {
        if (!piece.help.isEmpty() && piece.rect.contains(point))
            return piece.help;
    }
    return {};
}

bool PRRowView::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                          const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const auto content = index.data(PRListModel::ContentRole).value<PRRowContent>();
    const RowLayout layout = layoutRow(content, option.palette, option.rect.width());
    const QString help = helpAt(layout, QPointF(event->pos() - option.rect.topLeft()));
    if (help.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), help, view);
    return true;
}

} // namespace norvane::ui
