#pragma once

#include "ui/widgets/icons.h"
#include "ui/widgets/theme.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <optional>

class QFrame;
class QListView;
class QPainter;
class QScrollArea;
class QTimer;

// The panel's small custom controls. Each paints itself from the theme, so it follows the palette.
namespace norvane::ui {

// A flat text button with an optional count: the tab bar's tabs and the filter row's tabs.
class PillButton final : public QAbstractButton
{
    Q_OBJECT

public:
    enum class Kind {
        tab,    // semibold when selected, on a tinted rounded background
        filter, // a leading dot that takes the accent colour when selected
    };
    explicit PillButton(Kind kind, const QString& label, QWidget* parent = nullptr);

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    // Shown after the label when at least 1.
    void setCount(int count);
    int count() const { return m_count; }
    // The text shown, count included ("Review 11").
    QString visibleText() const;
    // What a screen reader says: the label, then the count when there is one ("Review, 11").
    QString accessibleText() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont labelFont() const;
    QFont countFont() const;

    Kind m_kind;
    bool m_selected = false;
    int m_count = 0;
};

// A borderless icon button whose symbol and colour follow the palette. `help` is its hover text and, until
// setAccessibleName says otherwise, the name a screen reader gives it.
class SymbolButton final : public QToolButton
{
    Q_OBJECT

public:
    SymbolButton(Symbol symbol, ThemeColor tint, const QString& help, QWidget* parent = nullptr,
                 int size = 14);
    void setSymbol(Symbol symbol, ThemeColor tint);
    Symbol symbol() const { return m_symbol; }
    ThemeColor tint() const { return m_tint; }

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refreshIcon();

    Symbol m_symbol;
    ThemeColor m_tint;
    int m_size;
};

// A borderless menu label: an optional leading symbol, the text and a chevron. A click opens its menu
// without blocking (QMenu::popup), below the label. A screen reader reads it as its accessible name (what
// the menu chooses, e.g. "Repository") followed by its text (the choice now).
class MenuButton final : public QAbstractButton
{
    Q_OBJECT

public:
    explicit MenuButton(QMenu* menu, QWidget* parent = nullptr);

    void setLeading(std::optional<Symbol> symbol, ThemeColor tint = ThemeColor::yellow);
    std::optional<Symbol> leading() const { return m_leading; }
    void setMaximumTextWidth(int width) { m_maxTextWidth = width; }
    // Shown instead of the text when the text does not fit (a crowded row); empty: the text is cut short.
    void setCompactText(const QString& text);
    // What is on screen now.
    QString shownText() const;
    QMenu* menu() const { return m_menu; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QMenu> m_menu;
    std::optional<Symbol> m_leading;
    ThemeColor m_leadingTint = ThemeColor::yellow;
    int m_maxTextWidth = 260;
    QString m_compactText;
};

// A label in one of the panel's text styles and colours; the colour follows the palette it inherits.
class ThemedLabel final : public QLabel
{
    Q_OBJECT

public:
    ThemedLabel(const QString& text, TextStyle style, ThemeColor tint, QWidget* parent = nullptr,
                QFont::Weight weight = QFont::Normal);
    void setTint(ThemeColor tint);
    ThemeColor tint() const { return m_tint; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTint();

    ThemeColor m_tint;
    bool m_applying = false;
};

// A label showing one symbol; follows the palette like ThemedLabel.
class SymbolLabel final : public QLabel
{
    Q_OBJECT

public:
    SymbolLabel(Symbol symbol, ThemeColor tint, int size, QWidget* parent = nullptr);
    Symbol symbol() const { return m_symbol; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    Symbol m_symbol;
    ThemeColor m_tint;
    int m_size;
};

// A plain strip on the control background, whatever the palette: the filter bars and banners sit on it.
class ControlStrip final : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The strip under a list that tells why the last load failed: a warning sign and the message, on a faint
// orange. Hidden while there is no message.
class ErrorBanner final : public QWidget
{
    Q_OBJECT

public:
    explicit ErrorBanner(QWidget* parent = nullptr);
    void setMessage(const std::optional<QString>& message);
    // The message on screen; empty while hidden.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ThemedLabel* m_label = nullptr;
};

// A page that fills a tab while it has nothing to list: a large symbol, a title and a line of detail,
// centred.
QWidget* emptyStatePage(Symbol symbol, ThemeColor tint, const QString& title, const QString& detail,
                        QWidget* parent);
// A page with a busy indicator and its label, centred.
QWidget* loadingPage(const QString& text, QWidget* parent);

// A filled button in the accent colour, with an optional leading symbol: the one thing to do on a screen.
class ProminentButton final : public QPushButton
{
    Q_OBJECT

public:
    ProminentButton(std::optional<Symbol> symbol, const QString& text, QWidget* parent = nullptr);
    std::optional<Symbol> symbol() const { return m_symbol; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    std::optional<Symbol> m_symbol;
    bool m_keyboardFocus = false; // the ring shows only when the keyboard brought the focus
};

// A borderless text button with an optional leading symbol, in one of the text styles and colours: links,
// "Back", the quieter second choice under a prominent button.
class PlainButton final : public QAbstractButton
{
    Q_OBJECT

public:
    PlainButton(const QString& text, TextStyle style, ThemeColor tint, std::optional<Symbol> symbol = {},
                QWidget* parent = nullptr);
    ThemeColor tint() const { return m_tint; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TextStyle m_style;
    ThemeColor m_tint;
    std::optional<Symbol> m_symbol;
};

// An indeterminate progress spinner: a ring of ticks turning while it is visible. It animates from a timer
// on the event loop and stops when hidden.
class Spinner final : public QWidget
{
    Q_OBJECT

public:
    explicit Spinner(int size, QWidget* parent = nullptr);
    bool isAnimating() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer* m_timer;
    int m_step = 0;
};

// The focus ring of the panel's painted controls: an outline in the accent colour just inside `bounds`, so
// the control keeps its size. These controls take the focus from Tab only (a click leaves it where it was),
// so a focused one is always the keyboard's.
void paintFocusRing(QPainter& painter, const QWidget& widget, const QRectF& bounds, qreal radius = 5);

// A one-pixel horizontal line in the palette's divider colour.
QFrame* divider(QWidget* parent);

// A list of painted rows: no frame and no selection, scrolled by the pixel, rows as tall as the delegate
// says, laid out again when the width changes.
void setUpRowList(QListView* list);
// A frameless scroll area that scrolls only vertically, its page as wide as the view and drawn over the
// window's own background.
QScrollArea* verticalScrollArea(QWidget* parent);

} // namespace norvane::ui
