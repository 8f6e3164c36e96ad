#include "support/wait.h"
#include "ui/ui_support.h"
#include "ui/widgets/painted_row_view.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QStandardItemModel>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace norvane::ui;
using norvane::testing::waitUntil;

namespace {

// Rows that all have one given layout and height: what the base does with them is the base's own.
class FixedRows final : public PaintedRowView
{
public:
    RowLayout layout;
    qreal height = 40;

protected:
    RowLayout layoutAt(const QModelIndex&, const QPalette&, qreal) const override { return layout; }
    qreal heightAt(const QModelIndex&) const override { return height; }
};

TEST(PaintedRowView, RowsTakeTheListsWidthAndRoundTheirHeightUpToWholePixels)
{
    QStandardItemModel model;
    model.appendRow(new QStandardItem(u"row"_s));
    FixedRows rows;
    const std::pair<qreal, int> cases[] = {{40.0, 40}, {40.25, 41}, {40.999, 41}, {0.5, 1}};
    for (const auto& [height, pixels] : cases) {
        rows.height = height;
        EXPECT_EQ(rows.sizeHint(QStyleOptionViewItem(), model.index(0, 0)), QSize(1, pixels)) << height;
    }
}

TEST(PaintedRowView, EveryRowButTheLastHasADividerAndThePointerWashesOnlyAClearRow)
{
    const QPalette palette = norvane::testing::lightPalette();
    QStandardItemModel model;
    for (int i = 0; i < 3; ++i)
        model.appendRow(new QStandardItem(u"row %1"_s.arg(i)));
    FixedRows rows;
    rows.layout.dot = QRectF(12, 15, 8, 8);
    const QSize size(200, 40);
    const auto paint = [&](int row, RowBackground background, bool hovered) {
        rows.layout.background = background;
        QStyleOptionViewItem option;
        option.rect = QRect(QPoint(0, 0), size);
        option.palette = palette;
        if (hovered)
            option.state |= QStyle::State_MouseOver;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(palette.color(QPalette::Window));
        QPainter painter(&image);
        rows.paint(&painter, option, model.index(row, 0));
        return image;
    };
    const QPoint bare(150, 5);     // away from the dot and the divider
    const QPoint divider(150, 39); // the row's last pixel line
    const QColor window = palette.color(QPalette::Window);

    for (int row = 0; row < 3; ++row) {
        const QImage image = paint(row, RowBackground::clear, false);
        EXPECT_EQ(image.pixelColor(bare), window) << row;
        EXPECT_EQ(image.pixelColor(divider) != window, row < 2) << "row " << row;
    }

    const struct
    {
        RowBackground background;
        bool washed;
    } cases[] = {
        {RowBackground::clear, true}, {RowBackground::unseen, false}, {RowBackground::selected, false}};
    for (const auto& c : cases) {
        const QImage still = paint(0, c.background, false);
        const QImage hovered = paint(0, c.background, true);
        EXPECT_EQ(hovered.pixelColor(bare) != still.pixelColor(bare), c.washed) << int(c.background);
    }
}

TEST(PaintedRowView, TheToolTipIsTheHelpOfThePartUnderThePointer)
{
    QStandardItemModel model;
    model.appendRow(new QStandardItem(u"row"_s));
    FixedRows rows;
    RowPiece plain;
    plain.text = u"acme/api"_s;
    plain.rect = QRectF(34, 10, 60, 16);
    RowPiece helped = plain;
    helped.text = u"3"_s;
    helped.help = u"3 review comments"_s;
    helped.rect = QRectF(100, 10, 20, 16);
    rows.layout.pieces = {plain, helped};
    QListView view;
    view.setModel(&model);
    view.setItemDelegate(&rows);
    view.resize(300, 120);
    view.show();
    const QModelIndex index = model.index(0, 0);
    QStyleOptionViewItem option;
    option.rect = view.visualRect(index);
    option.palette = view.palette();
    const auto hover = [&](QPointF inRow) {
        const QPoint pos = option.rect.topLeft() + inRow.toPoint();
        QHelpEvent event(QEvent::ToolTip, pos, view.viewport()->mapToGlobal(pos));
        return rows.helpEvent(&event, &view, option, index);
    };

    EXPECT_TRUE(hover({110, 18}));
    ASSERT_TRUE(waitUntil([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text(), u"3 review comments"_s);
    // Over a part without help, and over bare row, the tip goes; the event is the row's either way.
    for (const QPointF point : {QPointF(50, 18), QPointF(250, 30)}) {
        EXPECT_TRUE(hover(point));
        EXPECT_TRUE(waitUntil([] { return !QToolTip::isVisible(); })) << point.x();
        hover({110, 18});
        ASSERT_TRUE(waitUntil([] { return QToolTip::isVisible(); }));
    }
    QToolTip::hideText();
}

TEST(RowLine, PartsAreSetSideBySideATextOutOfRoomIsCutAndAnythingElseLeftOff)
{
    const QFont font = textFont(TextStyle::caption);
    const QFontMetricsF metrics(font);
    const QString word = u"Waiting on:"_s;
    const qreal wordWidth = metrics.horizontalAdvance(word);
    RowPiece badge;
    badge.kind = RowPiece::Kind::badge;
    badge.text = word;
    badge.font = font;
    const qreal badgeWidth = naturalSize(badge).width();
    struct Case
    {
        const char* name;
        qreal right;        // the line's right edge; the line starts at 10
        QStringList placed; // what is drawn, in order ("icon" for the icon)
        bool cut;           // the last text ends with an ellipsis at the right edge
    };
    // The line: a text, an icon, a badge, another text, each 4 apart.
    const qreal iconRight = 10 + wordWidth + 4 + metrics.ascent();
    const Case cases[] = {
        {"everything fits", 1000, {word, u"icon"_s, word, word}, false},
        {"a badge out of room goes, and what follows it",
         iconRight + 4 + badgeWidth / 2,
         {word, u"icon"_s},
         false},
        {"a text with under 8 points of room goes",
         iconRight + 4 + badgeWidth + 4 + 6,
         {word, u"icon"_s, word},
         false},
        {"the first text is cut; the icon after it goes", 10 + wordWidth / 2, {word}, true},
    };
    for (const Case& c : cases) {
        QList<RowPiece> pieces;
        RowLine line(pieces, 10, c.right);
        line.text(word, font, Qt::black)
            .icon(Symbol::clock, font, Qt::black)
            .badge(word, std::nullopt, font, Qt::black, Qt::gray, {})
            .text(word, font, Qt::black, 4);
        const qreal height = line.place(20);
        EXPECT_DOUBLE_EQ(height, metrics.height() + 2 * kBadgePadY) << c.name;
        QStringList placed;
        for (const RowPiece& piece : pieces) {
            placed.append(piece.kind == RowPiece::Kind::icon ? u"icon"_s : piece.text);
            EXPECT_LE(piece.rect.right(), c.right + 1e-9) << c.name;
            EXPECT_DOUBLE_EQ(piece.rect.center().y(), 20 + height / 2) << c.name;
        }
        if (c.cut) {
            ASSERT_FALSE(pieces.isEmpty()) << c.name;
            EXPECT_TRUE(pieces.last().text.endsWith(QChar(0x2026))) << c.name;
            EXPECT_DOUBLE_EQ(pieces.last().rect.right(), c.right) << c.name;
            placed.last() = word; // compared by what it was
        }
        EXPECT_EQ(placed.join(u" | "_s).toStdString(), c.placed.join(u" | "_s).toStdString()) << c.name;
    }
    QList<RowPiece> none;
    EXPECT_EQ(RowLine(none, 10, 100).place(20), 0) << "an empty line takes no height";
}

} // namespace
