#include "ui/pulls/pr_row_view.h"

#include "ui/pulls/pr_list_model.h"

#include <QApplication>
#include <QFontMetricsF>
#include <utility>

namespace norvane::ui {

namespace {

constexpr qreal kLeadingColumn = 14; // the ring's diameter
constexpr qreal kLineGap = 3;

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
    layout.dotColor = row.dotColor;
    layout.ring = row.ring;
    layout.background = row.background;
    const qreal left = kRowPadX + kLeadingColumn + kRowColumnGap;
    const qreal right = std::max(left + 40, width - kRowPadX);
    qreal y = kRowPadY;
    const auto finish = [&](RowLine& line) {
        const qreal h = line.place(y);
        if (h > 0)
            y += h + kLineGap;
    };

    RowLine header(layout.pieces, left, right);
    header.text(row.header, caption, secondary);
    for (const UpdateIcon& update : row.updates)
        header.icon(update.symbol, caption2, blue, update.help);
    finish(header);

    RowLine title(layout.pieces, left, right);
    title.text(row.number, textFont(TextStyle::subheadline, QFont::Medium), secondary)
        .text(row.title, subheadline, primary, 5);
    finish(title);

    // Who and when share a line; so do the CI verdict, the role and the reviewers still awaited.
    RowLine who(layout.pieces, left, right);
    if (row.author)
        //: %1 is the pull request's author
        who.text(QCoreApplication::translate("PRRow", "Author: %1").arg(*row.author), caption, secondary, 0);
    if (row.reviewRequested)
        who.icon(Symbol::clock, caption, orange, {}, row.author ? 10 : 0).text(row.time, caption, orange);
    else
        who.text(row.time, caption, secondary, row.author ? 10 : 0);
    finish(who);

    RowLine status(layout.pieces, left, right);
    bool first = true;
    const auto gap = [&first] { return std::exchange(first, false) ? 0.0 : 10.0; };
    if (row.ci) {
        //: Shown before the CI's verdict, such as "✔ Passing"
        status.text(PRRowView::tr("CI:"), caption, secondary, gap())
            .text(row.ci->symbol + QLatin1Char(' ') + row.ci->word, caption, color(row.ci->color, palette));
    }
    if (row.role)
        status.text(*row.role, caption, secondary, gap());
    if (row.waitingOn) {
        //: Shown before the logins of the reviewers still awaited
        status.text(PRRowView::tr("Waiting on:"), caption, secondary, gap())
            .text(*row.waitingOn, caption, orange);
    }
    finish(status);

    RowLine badges(layout.pieces, left, right);
    first = true;
    if (row.verdict) {
        const QColor c = color(row.verdict->color, palette);
        const QString text = row.verdict->glyph.isEmpty()
                                 ? row.verdict->text
                                 : row.verdict->glyph + QLatin1Char(' ') + row.verdict->text;
        badges.badge(text, row.verdict->icon, caption2, c, withAlpha(c, 0.15), row.verdict->help, gap());
    }
    if (row.draft) {
        badges.badge(PRRowView::tr("DRAFT"), std::nullopt, caption2, secondary,
                     withAlpha(color(ThemeColor::gray, palette), 0.15), {}, gap());
    }
    if (row.reviewComments) {
        badges.icon(Symbol::textBubble, caption, secondary, row.reviewCommentsHelp, gap())
            .text(QString::number(*row.reviewComments), caption, secondary, 3, row.reviewCommentsHelp);
    }
    finish(badges);

    if (row.changeRequest) {
        RowLine quote(layout.pieces, left, right);
        quote.text(row.changeRequest->quote, caption, secondary, 0);
        finish(quote);
        RowLine by(layout.pieces, left, right);
        by.text(QStringLiteral("—"), caption2, secondary, 0)
            .text(row.changeRequest->reviewer, textFont(TextStyle::caption2, QFont::DemiBold), secondary)
            .text(row.changeRequest->time, caption2, secondary);
        finish(by);
    }

    layout.height = std::max(y - kLineGap + kRowPadY, kRowPadY * 2 + kLeadingColumn);
    layout.dot = QRectF(kRowPadX + (kLeadingColumn - 8) / 2, kRowPadY + (kLeadingColumn - 8) / 2, 8, 8);
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
    return std::max(kRowPadY + total + (lines - 1) * kLineGap + kRowPadY, kRowPadY * 2 + kLeadingColumn);
}

RowLayout PRRowView::layoutAt(const QModelIndex& index, const QPalette& palette, qreal width) const
{
    return layoutRow(index.data(PRListModel::ContentRole).value<PRRowContent>(), palette, width);
}

qreal PRRowView::heightAt(const QModelIndex& index) const
{
    return rowHeight(index.data(PRListModel::ContentRole).value<PRRowContent>());
}

} // namespace norvane::ui
