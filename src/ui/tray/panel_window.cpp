#include "ui/tray/panel_window.h"

#include "ui/panel/content_view.h"
#include "ui/widgets/accessibility.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace norvane::ui {

QRect panelGeometry(const QRect& icon, const QPoint& pointer, const QSize& panel, const QRect& screen)
{
    // A host that gives no geometry (StatusNotifierItem hosts rarely do) was just clicked on the icon: a
    // tray slot's worth around the pointer stands in for it, so the panel clears the bar it sits in.
    constexpr int kSlot = 24;
    const QRect anchor =
        icon.isEmpty() ? QRect(pointer - QPoint(kSlot / 2, kSlot / 2), QSize(kSlot, kSlot)) : icon;
    constexpr int kGap = 4;
    const bool below = anchor.center().y() < screen.center().y();
    int x = anchor.center().x() - panel.width() / 2;
    int y = below ? anchor.bottom() + 1 + kGap : anchor.top() - kGap - panel.height();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - panel.width()));
    y = std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - panel.height()));
    return QRect(QPoint(x, y), panel);
}

PanelWindow::PanelWindow(ContentView* content, Mode mode)
    : QWidget(nullptr, mode == Mode::popup ? Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                           : Qt::Window),
      m_content(content), m_mode(mode)
{
    setWindowTitle(QStringLiteral("Norvane"));
    // A frameless tool window would otherwise read as a plain filler: a screen reader announces a window.
    setAccessibleRole(this, QAccessible::Window);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    setFixedSize(ContentView::kWidth, ContentView::kHeight);
    setFocusProxy(content);
}

bool PanelWindow::justClosed() const
{
    return m_sinceHide.isValid() && m_sinceHide.elapsed() < 300;
}

void PanelWindow::showAt(const QRect& geometry)
{
    if (m_mode == Mode::popup)
        move(geometry.topLeft());
    show();
    raise();
    activateWindow();
    m_content->setFocus();
}

void PanelWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // A click elsewhere gives another window the focus. The menus the panel opens are popups, which leave
    // it the active window.
    if (event->type() == QEvent::ActivationChange && m_mode == Mode::popup && isVisible() &&
        !isActiveWindow())
        hide();
}

void PanelWindow::keyPressEvent(QKeyEvent* event)
{
    // What a control, a sheet or an alert inside left alone arrives here.
    if (m_mode == Mode::popup && event->matches(QKeySequence::Cancel)) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PanelWindow::hideEvent(QHideEvent* event)
{
    m_sinceHide.start();
    QWidget::hideEvent(event);
}

} // namespace norvane::ui
