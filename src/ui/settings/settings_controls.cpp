#include "ui/settings/settings_controls.h"

#include "ui/widgets/controls.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace norvane::ui {

Card::Card(QWidget* parent, qreal radius) : QFrame(parent), m_radius(radius)
{
    setAttribute(Qt::WA_StyledBackground, false);
}

void Card::setTint(std::optional<ThemeColor> tint, qreal opacity)
{
    m_tint = tint;
    m_opacity = opacity;
    update();
}

void Card::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fill = m_tint ? withAlpha(color(*m_tint, palette()), m_opacity)
                               : color(ThemeColor::controlBackground, palette());
    painter.setBrush(fill);
    if (m_border)
        painter.setPen(QPen(palette().color(QPalette::Mid), 0.5));
    else
        painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_radius, m_radius);
}

namespace {

constexpr int kSymbolGap = 4;

int symbolSize(TextStyle style)
{
    return QFontMetrics(textFont(style)).height() - 4;
}

} // namespace

FilledButton::FilledButton(const QString& text, ThemeColor tint, TextStyle style, QWidget* parent,
                           std::optional<Symbol> symbol)
    : QAbstractButton(parent), m_tint(tint), m_style(style), m_symbol(symbol)
{
    setText(text);
    setFont(textFont(style, QFont::Medium));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize FilledButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    int width = metrics.horizontalAdvance(text()) + 20;
    if (m_symbol)
        width += symbolSize(m_style) + kSymbolGap;
    return QSize(width, metrics.height() + 8);
}

void FilledButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = color(m_tint, palette());
    if (!isEnabled())
        fill = withAlpha(fill, 0.4);
    else if (isDown())
        fill = fill.darker(115);
    painter.setPen(hasFocus() ? QPen(withAlpha(color(ThemeColor::accent, palette()), 0.6), 2) : Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    const QFontMetrics metrics(font());
    const int icon = m_symbol ? symbolSize(m_style) + kSymbolGap : 0;
    int x = (width() - icon - metrics.horizontalAdvance(text())) / 2;
    if (m_symbol) {
        const int size = symbolSize(m_style);
        painter.drawPixmap(x, (height() - size) / 2,
                           symbolPixmap(*m_symbol, Qt::white, size, devicePixelRatioF()));
        x += icon;
    }
    painter.setPen(Qt::white);
    painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

SwitchControl::SwitchControl(QWidget* parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SwitchControl::sizeHint() const
{
    return QSize(34, 20);
}

void SwitchControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = track.height() / 2;
    const QColor off = withAlpha(color(ThemeColor::primary, palette()), isDark(palette()) ? 0.25 : 0.15);
    painter.setPen(hasFocus() ? QPen(withAlpha(color(ThemeColor::accent, palette()), 0.6), 2) : Qt::NoPen);
    painter.setBrush(isChecked() ? color(ThemeColor::accent, palette()) : off);
    painter.drawRoundedRect(track, radius, radius);
    const qreal knob = track.height() - 4;
    const qreal x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}

SegmentedControl::SegmentedControl(const QStringList& titles, const QString& accessibleLabel, QWidget* parent)
    : QWidget(parent), m_titles(titles)
{
    setAccessibleName(accessibleLabel);
    setFont(textFont(TextStyle::callout));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SegmentedControl::setSelectedIndex(int index)
{
    if (index == m_selected)
        return;
    m_selected = index;
    update();
}

QRect SegmentedControl::segmentRect(int index) const
{
    const int n = std::max<int>(1, int(m_titles.size()));
    const int left = width() * index / n;
    const int right = width() * (index + 1) / n;
    return QRect(left, 0, right - left, height());
}

QSize SegmentedControl::sizeHint() const
{
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString& title : m_titles)
        widest = std::max(widest, metrics.horizontalAdvance(title));
    return QSize(int(m_titles.size()) * (widest + 16), metrics.height() + 10);
}

void SegmentedControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QColor line = withAlpha(color(ThemeColor::primary, pal), 0.2);
    painter.setPen(QPen(hasFocus() ? withAlpha(color(ThemeColor::accent, pal), 0.6) : line, 1));
    painter.setBrush(color(ThemeColor::controlBackground, pal));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    for (int i = 0; i < m_titles.size(); ++i) {
        const QRect segment = segmentRect(i);
        if (i == m_selected) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(color(ThemeColor::accent, pal));
            painter.drawRoundedRect(QRectF(segment).adjusted(2, 2, -2, -2), 4, 4);
        } else if (i > 0 && i - 1 != m_selected) {
            painter.setPen(QPen(line, 1));
            painter.drawLine(QPointF(segment.left() + 0.5, 5), QPointF(segment.left() + 0.5, height() - 5));
        }
        painter.setPen(i == m_selected ? pal.color(QPalette::HighlightedText)
                                       : color(ThemeColor::primary, pal));
        painter.drawText(segment, Qt::AlignCenter, m_titles[i]);
    }
}

void SegmentedControl::mouseReleaseEvent(QMouseEvent* event)
{
    for (int i = 0; i < m_titles.size(); ++i) {
        if (segmentRect(i).contains(event->position().toPoint())) {
            setSelectedIndex(i);
            Q_EMIT chosen(i);
            return;
        }
    }
}

void SegmentedControl::keyPressEvent(QKeyEvent* event)
{
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    const int next = m_selected + step;
    if (step == 0 || next < 0 || next >= m_titles.size()) {
        QWidget::keyPressEvent(event);
        return;
    }
    setSelectedIndex(next);
    Q_EMIT chosen(next);
}

AlertCard::AlertCard(const QString& title, const QString& message, QWidget* parent) : QWidget(parent)
{
    setFixedWidth(300);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 16);
    column->setSpacing(8);
    auto* heading = new ThemedLabel(title, TextStyle::headline, ThemeColor::primary, this);
    heading->setAlignment(Qt::AlignHCenter);
    column->addWidget(heading);
    auto* body = new ThemedLabel(message, TextStyle::callout, ThemeColor::secondary, this);
    body->setWordWrap(true);
    body->setAlignment(Qt::AlignHCenter);
    column->addWidget(body);
    column->addSpacing(8);
    auto* ok = new FilledButton(QStringLiteral("OK"), ThemeColor::accent, TextStyle::body, this);
    ok->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(ok, &QAbstractButton::clicked, this, &AlertCard::dismissed);
    m_ok = ok;
    column->addWidget(ok);
    setFocusPolicy(Qt::StrongFocus);
}

void AlertCard::keyPressEvent(QKeyEvent* event)
{
    // "OK" is both the default and the cancel action.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT dismissed();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace norvane::ui
