#pragma once

#include "ui/widgets/icons.h"
#include "ui/widgets/theme.h"

#include <QAbstractButton>
#include <QFrame>
#include <QList>
#include <optional>

// The settings screen's controls: cards, filled and text buttons, switches and a segmented picker. Each
// paints itself from the theme, so it follows the palette.
namespace norvane::ui {

// A rounded panel: the control background, or a tint colour at a low opacity.
class Card final : public QFrame
{
    Q_OBJECT

public:
    explicit Card(QWidget* parent = nullptr, qreal radius = 8);
    void setTint(std::optional<ThemeColor> tint, qreal opacity = 0.1);
    void setBorder(bool border) { m_border = border; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_radius;
    std::optional<ThemeColor> m_tint;
    qreal m_opacity = 0.1;
    bool m_border = false;
};

// A filled, rounded button in a tint colour with white text: the prominent action of its row.
class FilledButton final : public QAbstractButton
{
    Q_OBJECT

public:
    FilledButton(const QString& text, ThemeColor tint, TextStyle style, QWidget* parent = nullptr,
                 std::optional<Symbol> symbol = std::nullopt);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ThemeColor m_tint;
    TextStyle m_style;
    std::optional<Symbol> m_symbol;
};

// An on/off switch; checkable, so `toggled` reports the new state.
class SwitchControl final : public QAbstractButton
{
    Q_OBJECT

public:
    explicit SwitchControl(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A row of segments, exactly one selected. A click selects its segment and reports it. A screen reader
// sees a group named by `accessibleLabel` holding one radio button a segment, the selected one checked.
class SegmentedControl final : public QWidget
{
    Q_OBJECT

public:
    SegmentedControl(const QStringList& titles, const QString& accessibleLabel, QWidget* parent = nullptr);
    int selectedIndex() const { return m_selected; }
    void setSelectedIndex(int index);
    // Selects segment `index` and reports it, as a click on it does.
    void choose(int index);
    QStringList titles() const { return m_titles; }
    // Where segment `index` is drawn, for tests that click it.
    QRect segmentRect(int index) const;
    QSize sizeHint() const override;

Q_SIGNALS:
    void chosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringList m_titles;
    int m_selected = -1;
};

// An alert's content: a bold title, a message and one "OK" button.
class AlertCard final : public QWidget
{
    Q_OBJECT

public:
    AlertCard(const QString& title, const QString& message, QWidget* parent = nullptr);
    QAbstractButton* okButton() const { return m_ok; }

Q_SIGNALS:
    void dismissed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QAbstractButton* m_ok = nullptr;
};

} // namespace norvane::ui
