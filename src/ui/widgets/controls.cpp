#include "ui/widgets/controls.h"

#include "ui/widgets/accessibility.h"

#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace norvane::ui {

namespace {
constexpr int kDot = 6;
constexpr int kGap = 4;
} // namespace

PillButton::PillButton(Kind kind, const QString& label, QWidget* parent)
    : QAbstractButton(parent), m_kind(kind)
{
    installAccessibleFactory();
    setText(label);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    // A tab never gets cut; the neighbours that can say less (the sort menu) give way instead.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PillButton::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    updateGeometry();
    update();
    QAccessible::State changed;
    changed.selected = true;
    announceStateChange(this, changed);
}

void PillButton::setCount(int count)
{
    if (m_count == count)
        return;
    m_count = count;
    updateGeometry();
    update();
    announceNameChange(this);
}

QString PillButton::visibleText() const
{
    return m_count >= 1 ? text() + QLatin1Char(' ') + QString::number(m_count) : text();
}

QString PillButton::accessibleText() const
{
    //: What a screen reader says of a tab or filter with a count: %1 its name, %2 the count.
    return m_count >= 1 ? tr("%1, %2").arg(text()).arg(m_count) : text();
}

QFont PillButton::labelFont() const
{
    if (m_kind == Kind::tab)
        return textFont(TextStyle::subheadline, m_selected ? QFont::DemiBold : QFont::Normal);
    return textFont(TextStyle::subheadline);
}

QFont PillButton::countFont() const
{
    return textFont(m_kind == Kind::tab ? TextStyle::caption : TextStyle::subheadline);
}

QSize PillButton::sizeHint() const
{
    const QFontMetrics label(labelFont());
    const int padX = m_kind == Kind::tab ? 8 : 6;
    int width = 2 * padX + label.horizontalAdvance(text());
    if (m_kind == Kind::filter)
        width += kDot + kGap;
    if (m_count >= 1)
        width += kGap + QFontMetrics(countFont()).horizontalAdvance(QString::number(m_count));
    return QSize(width, label.height() + 8);
}

void PillButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF bounds = rect();
    if (m_kind == Kind::tab && m_selected) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(color(ThemeColor::accent, pal), 0.15));
        painter.drawRoundedRect(bounds, 6, 6);
    }
    int x = m_kind == Kind::tab ? 8 : 6;
    if (m_kind == Kind::filter) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_selected ? color(ThemeColor::accent, pal)
                                    : withAlpha(color(ThemeColor::secondary, pal), 0.3));
        painter.drawEllipse(QRectF(x, (height() - kDot) / 2.0, kDot, kDot));
        x += kDot + kGap;
    }
    const QFont label = labelFont();
    painter.setFont(label);
    painter.setPen(color(m_selected ? ThemeColor::primary : ThemeColor::secondary, pal));
    // Squeezed (a large desktop font in a full row), the label gives way and the count stays whole: a cut
    // count would read as another number.
    const QString count = m_count >= 1 ? QString::number(m_count) : QString();
    const int countWidth = count.isEmpty() ? 0 : kGap + QFontMetrics(countFont()).horizontalAdvance(count);
    const int padRight = m_kind == Kind::tab ? 8 : 6;
    const QFontMetrics labelMetrics(label);
    // Measured as sizeHint() measures, so a pill given its size hint never shortens its label.
    const int room = std::max(0, width() - x - countWidth - padRight);
    const QString shown = labelMetrics.horizontalAdvance(text()) <= room
                              ? text()
                              : labelMetrics.elidedText(text(), Qt::ElideRight, room);
    const int labelWidth = labelMetrics.horizontalAdvance(shown);
    painter.drawText(QRect(x, 0, labelWidth, height()), Qt::AlignVCenter | Qt::AlignLeft, shown);
    x += labelWidth + kGap;
    if (m_count >= 1) {
        painter.setFont(countFont());
        painter.setPen(color(ThemeColor::secondary, pal));
        painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, count);
    }
    paintFocusRing(painter, *this, bounds, 6);
}

SymbolButton::SymbolButton(Symbol symbol, ThemeColor tint, const QString& help, QWidget* parent, int size)
    : QToolButton(parent), m_symbol(symbol), m_tint(tint), m_size(size)
{
    setAutoRaise(true);
    setToolTip(plainToolTip(help)); // may name an account
    setAccessibleName(help);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setIconSize(QSize(size, size));
    refreshIcon();
}

void SymbolButton::setSymbol(Symbol symbol, ThemeColor tint)
{
    m_symbol = symbol;
    m_tint = tint;
    refreshIcon();
}

void SymbolButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        refreshIcon();
    QToolButton::changeEvent(event);
}

void SymbolButton::paintEvent(QPaintEvent* event)
{
    QToolButton::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintFocusRing(painter, *this, rect(), 4);
}

void SymbolButton::refreshIcon()
{
    setIcon(symbolIcon(m_symbol, color(m_tint, palette()), m_size));
}

MenuButton::MenuButton(QMenu* menu, QWidget* parent) : QAbstractButton(parent), m_menu(menu)
{
    installAccessibleFactory();
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_menu)
            m_menu->popup(mapToGlobal(QPoint(0, height())));
    });
}

void MenuButton::setLeading(std::optional<Symbol> symbol, ThemeColor tint)
{
    m_leading = symbol;
    m_leadingTint = tint;
    updateGeometry();
    update();
}

void MenuButton::setCompactText(const QString& text)
{
    m_compactText = text;
    update();
}

QString MenuButton::shownText() const
{
    const QFontMetrics metrics(textFont(TextStyle::subheadline));
    const int icon = metrics.ascent();
    const int room = std::max(0, width() - 2 - (m_leading ? icon + 4 : 0) - icon - 6);
    if (metrics.horizontalAdvance(text()) <= room)
        return text();
    if (!m_compactText.isEmpty() && metrics.horizontalAdvance(m_compactText) <= room)
        return m_compactText;
    return metrics.elidedText(m_compactText.isEmpty() ? text() : m_compactText, Qt::ElideMiddle, room);
}

QSize MenuButton::minimumSizeHint() const
{
    const QFontMetrics metrics(textFont(TextStyle::subheadline));
    const QString shortest = m_compactText.isEmpty() ? QStringLiteral("…") : m_compactText;
    return QSize(metrics.horizontalAdvance(shortest) + 8 + metrics.ascent() +
                     (m_leading ? metrics.ascent() + 4 : 0),
                 metrics.height() + 6);
}

QSize MenuButton::sizeHint() const
{
    const QFontMetrics metrics(textFont(TextStyle::subheadline));
    const int icon = metrics.ascent();
    int width = std::min(metrics.horizontalAdvance(text()), m_maxTextWidth) + 4 + icon;
    if (m_leading)
        width += icon + 4;
    return QSize(width + 4, metrics.height() + 6);
}

void MenuButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFont f = textFont(TextStyle::subheadline);
    const QFontMetrics metrics(f);
    const int icon = metrics.ascent();
    const qreal dpr = devicePixelRatioF();
    int x = 2;
    if (m_leading) {
        painter.drawPixmap(x, (height() - icon) / 2,
                           symbolPixmap(*m_leading, color(m_leadingTint, palette()), icon, dpr));
        x += icon + 4;
    }
    painter.setFont(f);
    painter.setPen(color(ThemeColor::primary, palette()));
    const int textRoom = std::max(0, width() - x - icon - 6);
    const QString shown = shownText();
    painter.drawText(QRect(x, 0, textRoom, height()), Qt::AlignVCenter | Qt::AlignLeft, shown);
    x += metrics.horizontalAdvance(shown) + 4;
    const int chevron = icon - 2;
    painter.drawPixmap(
        x, (height() - chevron) / 2,
        symbolPixmap(Symbol::chevronDown, color(ThemeColor::secondary, palette()), chevron, dpr));
    painter.setRenderHint(QPainter::Antialiasing);
    paintFocusRing(painter, *this, rect(), 4);
}

} // namespace norvane::ui

namespace norvane::ui {

QString plainToolTip(const QString& text)
{
    // Text Qt would take for markup is escaped and marked as rich text, so it shows exactly these characters.
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text;
}

QString literalActionText(const QString& text)
{
    QString literal = text;
    literal.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return literal;
}

ThemedLabel::ThemedLabel(const QString& text, TextStyle style, ThemeColor tint, QWidget* parent,
                         QFont::Weight weight)
    : QLabel(parent), m_tint(tint)
{
    setTextFormat(Qt::PlainText); // before the text, which is never parsed as markup
    setText(text);
    setFont(ui::textFont(style, weight));
    applyTint();
}

void ThemedLabel::setTint(ThemeColor tint)
{
    m_tint = tint;
    applyTint();
}

void ThemedLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        applyTint();
}

void ThemedLabel::applyTint()
{
    // Our own palette change below would bring us back here.
    if (m_applying)
        return;
    m_applying = true;
    // Only the text colour is our own; everything else keeps following the parent.
    const QPalette inherited = parentWidget() ? parentWidget()->palette() : palette();
    QPalette own;
    own.setColor(QPalette::WindowText, color(m_tint, inherited));
    setPalette(own);
    m_applying = false;
}

SymbolLabel::SymbolLabel(Symbol symbol, ThemeColor tint, int size, QWidget* parent)
    : QLabel(parent), m_symbol(symbol), m_tint(tint), m_size(size)
{
    setFixedSize(size, size);
    refresh();
}

void SymbolLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refresh();
}

void SymbolLabel::refresh()
{
    setPixmap(symbolPixmap(m_symbol, color(m_tint, palette()), m_size, devicePixelRatioF()));
}

} // namespace norvane::ui

namespace norvane::ui {

ErrorBanner::ErrorBanner(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(6);
    row->addWidget(new SymbolLabel(Symbol::exclamationmarkTriangle, ThemeColor::orange, 12, this), 0,
                   Qt::AlignTop);
    m_label = new ThemedLabel({}, TextStyle::caption, ThemeColor::secondary, this);
    m_label->setWordWrap(true);
    row->addWidget(m_label, 1);
    setAccessibleRole(this, QAccessible::AlertMessage);
    setVisible(false);
}

void ErrorBanner::setMessage(const std::optional<QString>& message)
{
    m_label->setText(message.value_or(QString()));
    setAccessibleName(message.value_or(QString()));
    setVisible(message.has_value());
}

QString ErrorBanner::shownText() const
{
    return isVisibleTo(parentWidget()) ? m_label->text() : QString();
}

void ErrorBanner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), withAlpha(color(ThemeColor::orange, palette()), 0.1));
}

QWidget* emptyStatePage(Symbol symbol, ThemeColor tint, const QString& title, const QString& detail,
                        QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* column = new QVBoxLayout(page);
    column->setSpacing(8);
    column->addStretch();
    column->addWidget(new SymbolLabel(symbol, tint, 48, page), 0, Qt::AlignHCenter);
    column->addWidget(new ThemedLabel(title, TextStyle::title3, ThemeColor::primary, page), 0,
                      Qt::AlignHCenter);
    column->addWidget(new ThemedLabel(detail, TextStyle::caption, ThemeColor::secondary, page), 0,
                      Qt::AlignHCenter);
    column->addStretch();
    return page;
}

QWidget* loadingPage(const QString& text, QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* column = new QVBoxLayout(page);
    column->addStretch();
    auto* spinner = new QProgressBar(page);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedWidth(120);
    column->addWidget(spinner, 0, Qt::AlignHCenter);
    column->addWidget(new ThemedLabel(text, TextStyle::callout, ThemeColor::secondary, page), 0,
                      Qt::AlignHCenter);
    column->addStretch();
    return page;
}

namespace {
constexpr int kProminentIcon = 16;
constexpr int kProminentGap = 6;
} // namespace

ProminentButton::ProminentButton(std::optional<Symbol> symbol, const QString& text, QWidget* parent)
    : QPushButton(text, parent), m_symbol(symbol)
{
    setCursor(Qt::PointingHandCursor);
    setFont(textFont(TextStyle::body, QFont::Medium));
}

QSize ProminentButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int icon = m_symbol ? kProminentIcon + kProminentGap : 0;
    return QSize(metrics.horizontalAdvance(text()) + icon + 32, metrics.height() + 16);
}

QSize ProminentButton::minimumSizeHint() const
{
    return sizeHint();
}

void ProminentButton::focusInEvent(QFocusEvent* event)
{
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QPushButton::focusInEvent(event);
}

void ProminentButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    QColor fill = color(ThemeColor::accent, pal);
    QColor ink = pal.color(QPalette::HighlightedText);
    if (!isEnabled()) {
        // Greyed, like a disabled button of the desktop: the accent would still invite a click.
        fill = withAlpha(color(ThemeColor::secondary, pal), 0.25);
        ink = color(ThemeColor::secondary, pal);
    } else if (isDown()) {
        fill = fill.darker(115);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), 7, 7);
    if (hasFocus() && m_keyboardFocus) {
        // Inside the button, so the focused button keeps its size and its edges line up with the fields.
        painter.setPen(QPen(withAlpha(ink, 0.8), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 5, 5);
    }
    const QFontMetrics metrics(font());
    const int icon = m_symbol ? kProminentIcon + kProminentGap : 0;
    const int content = icon + metrics.horizontalAdvance(text());
    int x = std::max(0, (width() - content) / 2);
    if (m_symbol) {
        painter.drawPixmap(x, (height() - kProminentIcon) / 2,
                           symbolPixmap(*m_symbol, ink, kProminentIcon, devicePixelRatioF()));
        x += icon;
    }
    painter.setFont(font());
    painter.setPen(ink);
    painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

PlainButton::PlainButton(const QString& text, TextStyle style, ThemeColor tint, std::optional<Symbol> symbol,
                         QWidget* parent)
    : QAbstractButton(parent), m_style(style), m_tint(tint), m_symbol(symbol)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize PlainButton::sizeHint() const
{
    const QFontMetrics metrics(textFont(m_style));
    const int icon = m_symbol ? metrics.ascent() + 4 : 0;
    return QSize(icon + metrics.horizontalAdvance(text()) + 4, metrics.height() + 4);
}

void PlainButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QFont f = textFont(m_style);
    // Hovering underlines, so a quiet button still reads as something to click.
    f.setUnderline(underMouse() || hasFocus());
    const QFontMetrics metrics(f);
    QColor ink = color(m_tint, palette());
    if (isDown())
        ink = withAlpha(ink, 0.6);
    if (!isEnabled())
        ink = withAlpha(color(ThemeColor::secondary, palette()), 0.6);
    int x = 2;
    if (m_symbol) {
        const int icon = metrics.ascent();
        painter.drawPixmap(x, (height() - icon) / 2, symbolPixmap(*m_symbol, ink, icon, devicePixelRatioF()));
        x += icon + 4;
    }
    painter.setFont(f);
    painter.setPen(ink);
    painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

Spinner::Spinner(int size, QWidget* parent) : QWidget(parent), m_timer(new QTimer(this))
{
    setFixedSize(size, size);
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % 12;
        update();
    });
}

bool Spinner::isAnimating() const
{
    return m_timer->isActive();
}

void Spinner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_timer->start();
}

void Spinner::hideEvent(QHideEvent* event)
{
    m_timer->stop();
    QWidget::hideEvent(event);
}

void Spinner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const qreal thickness = std::max(1.5, side / 10.0);
    painter.translate(width() / 2.0, height() / 2.0);
    const QColor ink = color(ThemeColor::secondary, palette());
    for (int i = 0; i < 12; ++i) {
        // The tick at the current step is the darkest; the ones behind it fade out.
        const int age = (m_step - i + 12) % 12;
        QPen pen(withAlpha(ink, 1.0 - age * 0.07), thickness, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        painter.save();
        painter.rotate(i * 30.0);
        painter.drawLine(QPointF(0, -side / 2.0 + thickness), QPointF(0, -side / 4.0));
        painter.restore();
    }
}

void paintFocusRing(QPainter& painter, const QWidget& widget, const QRectF& bounds, qreal radius)
{
    if (!widget.hasFocus())
        return;
    painter.save();
    painter.setPen(QPen(withAlpha(color(ThemeColor::accent, widget.palette()), 0.8), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bounds.adjusted(0.75, 0.75, -0.75, -0.75), radius, radius);
    painter.restore();
}

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    line->setForegroundRole(QPalette::Mid);
    setAccessibleRole(line, QAccessible::Separator);
    return line;
}

void ControlStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), color(ThemeColor::controlBackground, palette()));
}

void setUpRowList(QListView* list)
{
    list->setFrameShape(QFrame::NoFrame);
    list->setUniformItemSizes(false);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->setResizeMode(QListView::Adjust);
}

QScrollArea* verticalScrollArea(QWidget* parent)
{
    auto* scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    return scroll;
}

} // namespace norvane::ui
