#include "ui/settings/sheet_overlay.h"

#include "ui/widgets/theme.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace norvane::ui {

SheetOverlay::SheetOverlay(QWidget* host, QWidget* sheet) : QWidget(host), m_sheet(sheet)
{
    Q_ASSERT(host && sheet);
    setAttribute(Qt::WA_DeleteOnClose);
    // Unhandled mouse events must stop here rather than travel on to the host.
    setAttribute(Qt::WA_NoMousePropagation);
    sheet->setParent(this);
    // The card is painted here; the sheet paints only its content on top of it.
    sheet->setAutoFillBackground(false);
    connect(sheet, &QObject::destroyed, this, &QObject::deleteLater);
    host->installEventFilter(this);
    setGeometry(host->rect());
    placeSheet();
    hide();
}

QRect SheetOverlay::sheetGeometry() const
{
    return m_sheet ? m_sheet->geometry() : QRect();
}

void SheetOverlay::placeSheet()
{
    if (!m_sheet)
        return;
    QSize size = m_sheet->size();
    if (m_sheet->minimumSize() == m_sheet->maximumSize())
        size = m_sheet->minimumSize();
    else if (m_sheet->sizeHint().isValid())
        size = m_sheet->sizeHint().boundedTo(this->size());
    m_sheet->setGeometry(QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size));
}

bool SheetOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void SheetOverlay::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeSheet();
}

void SheetOverlay::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (parentWidget())
        setGeometry(parentWidget()->rect());
    raise();
    if (m_sheet) {
        m_sheet->show();
        m_sheet->setFocus(Qt::PopupFocusReason);
    }
}

void SheetOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0, 0, 0, isDark(palette()) ? 115 : 90));
    if (!m_sheet)
        return;
    const QRectF card = QRectF(m_sheet->geometry());
    // A soft edge so the card stands off the dimmed page in both palettes.
    for (int i = 1; i <= 3; ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 18));
        painter.drawRoundedRect(card.adjusted(-i, -i + 2, i, i + 2), kCornerRadius + i, kCornerRadius + i);
    }
    painter.setBrush(color(ThemeColor::windowBackground, palette()));
    painter.setPen(QPen(withAlpha(color(ThemeColor::primary, palette()), 0.15), 1));
    painter.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
}

void SheetOverlay::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void SheetOverlay::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void SheetOverlay::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void SheetOverlay::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void SheetOverlay::wheelEvent(QWheelEvent* event)
{
    event->accept();
}

void SheetOverlay::keyPressEvent(QKeyEvent* event)
{
    // Keys the sheet left alone must not act on the page behind it.
    event->accept();
}

bool SheetOverlay::focusNextPrevChild(bool next)
{
    if (!m_sheet)
        return false;
    QWidget* const start = QApplication::focusWidget() && m_sheet->isAncestorOf(QApplication::focusWidget())
                               ? QApplication::focusWidget()
                               : m_sheet.data();
    QWidget* candidate = start;
    // The focus chain of a window is a ring; go round it once, keeping to the sheet's widgets.
    do {
        candidate = next ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (candidate != m_sheet && m_sheet->isAncestorOf(candidate) && candidate->isVisible() &&
            candidate->isEnabled() && (candidate->focusPolicy() & Qt::TabFocus)) {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    } while (candidate != start && candidate != nullptr);
    return false;
}

} // namespace norvane::ui
