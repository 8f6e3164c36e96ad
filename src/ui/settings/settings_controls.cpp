#include "ui/settings/settings_controls.h"

#include "ui/widgets/accessibility.h"
#include "ui/widgets/controls.h"

#include <QAccessible>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
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

namespace {

// One segment: a radio button a screen reader can press, checked when selected.
class SegmentAccessible final : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    SegmentAccessible(SegmentedControl* control, int index) : m_control(control), m_index(index) {}

    bool isValid() const override { return !m_control.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_control ? m_control->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_control); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return m_control && t == QAccessible::Name ? m_control->titles().value(m_index) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::RadioButton; }
    QRect rect() const override
    {
        if (!m_control)
            return {};
        const QRect segment = m_control->segmentRect(m_index);
        return QRect(m_control->mapToGlobal(segment.topLeft()), segment.size());
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!m_control)
            return s;
        s.checkable = true;
        s.checked = m_control->selectedIndex() == m_index;
        s.invisible = !m_control->isVisible();
        s.disabled = !m_control->isEnabled();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (m_control && m_control->isEnabled() && action == pressAction())
            m_control->choose(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<SegmentedControl> m_control;
    int m_index;
};

class SegmentedAccessible final : public QAccessibleWidget
{
public:
    explicit SegmentedAccessible(SegmentedControl* control)
        : QAccessibleWidget(control, QAccessible::Grouping)
    {
    }
    ~SegmentedAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(m_segments))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return int(control()->titles().size()); }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (const QAccessible::Id id = m_segments.value(index))
            return QAccessible::accessibleInterface(id);
        auto* segment = new SegmentAccessible(control(), index);
        m_segments.insert(index, QAccessible::registerAccessibleInterface(segment));
        return segment;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (auto it = m_segments.cbegin(); it != m_segments.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key();
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            if (child(i)->rect().contains(x, y))
                return child(i);
        }
        return nullptr;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return control()->titles().value(control()->selectedIndex());
        return QAccessibleWidget::text(t);
    }

private:
    SegmentedControl* control() const { return static_cast<SegmentedControl*>(widget()); }

    mutable QHash<int, QAccessible::Id> m_segments;
};

QAccessibleInterface* segmentedFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(SegmentedControl::staticMetaObject.className()))
        return new SegmentedAccessible(static_cast<SegmentedControl*>(object));
    return nullptr;
}

} // namespace

SegmentedControl::SegmentedControl(const QStringList& titles, const QString& accessibleLabel, QWidget* parent)
    : QWidget(parent), m_titles(titles)
{
    QAccessible::installFactory(&segmentedFactory);
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
    const int before = std::exchange(m_selected, index);
    update();
    if (!QAccessible::isActive())
        return;
    QAccessible::State checked;
    checked.checked = true;
    QAccessibleInterface* self = QAccessible::queryAccessibleInterface(this);
    for (const int segment : {before, index}) {
        if (QAccessibleInterface* child = self ? self->child(segment) : nullptr) {
            QAccessibleStateChangeEvent event(child, checked);
            QAccessible::updateAccessibility(&event);
        }
    }
}

void SegmentedControl::choose(int index)
{
    setSelectedIndex(index);
    Q_EMIT chosen(index);
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
            choose(i);
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
    choose(next);
}

AlertCard::AlertCard(const QString& title, const QString& message, QWidget* parent) : QWidget(parent)
{
    setAccessibleRole(this, QAccessible::AlertMessage);
    setAccessibleName(title);
    setAccessibleDescription(message);
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
    auto* ok = new FilledButton(tr("OK"), ThemeColor::accent, TextStyle::body, this);
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
