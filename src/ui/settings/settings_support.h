#pragma once

// Small building blocks shared by the settings screen's files.

#include "ui/widgets/controls.h"
#include "ui/settings/settings_controls.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLayout>
#include <QVBoxLayout>

namespace norvane::ui::settings {

// The block field ignores spaces and tabs around what was typed.
inline QString trimmedBlockInput(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (start < end && blank(text[start]))
        ++start;
    while (end > start && blank(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

// Empties a list that is about to be rebuilt. The widgets go later: one of them may be the button whose
// click started the rebuild.
inline void clearLayout(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        } else if (QLayout* child = item->layout()) {
            clearLayout(child);
        }
        delete item;
    }
}

inline QVBoxLayout* column(QWidget* widget, int spacing, QMargins margins = {})
{
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

inline QHBoxLayout* row(QWidget* widget, int spacing, QMargins margins = {})
{
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

inline ThemedLabel* label(const QString& text, TextStyle style, ThemeColor tint, QWidget* parent,
                          QFont::Weight weight = QFont::Normal)
{
    return new ThemedLabel(text, style, tint, parent, weight);
}

inline ThemedLabel* wrapped(ThemedLabel* l)
{
    l->setWordWrap(true);
    return l;
}

inline int symbolSizeFor(TextStyle style)
{
    return QFontMetrics(textFont(style)).height() - 3;
}

inline QWidget* section(const QString& title, int spacing, QWidget* parent, QVBoxLayout** body)
{
    auto* widget = new QWidget(parent);
    *body = column(widget, spacing);
    (*body)->addWidget(label(title, TextStyle::title3, ThemeColor::primary, widget, QFont::DemiBold));
    return widget;
}

// A card whose rows are padded 4 by 8 and sit on the control background: one blocked or favourite entry.
inline Card* entryRow(QWidget* parent, QHBoxLayout** layout)
{
    auto* card = new Card(parent, 6);
    *layout = row(card, 6, QMargins(8, 4, 8, 4));
    return card;
}

// "all repos" beside a blocked organisation.
inline QWidget* smallBadge(const QString& text, QWidget* parent)
{
    auto* badge = new Card(parent, 4);
    badge->setTint(ThemeColor::secondary, 0.12);
    auto* layout = row(badge, 0, QMargins(5, 1, 5, 1));
    layout->addWidget(label(text, TextStyle::caption2, ThemeColor::secondary, badge));
    badge->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return badge;
}

} // namespace norvane::ui::settings
