#pragma once

#include <QElapsedTimer>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace norvane::ui {

class ContentView;

// Where the panel goes for a tray icon at `icon` (screen coordinates; empty when the tray does not say):
// centred under an icon in the top half of the screen, over one in the bottom half, and kept inside
// `screen`. Without an icon rectangle a tray slot around the pointer, which just clicked the icon, stands in for it.
QRect panelGeometry(const QRect& icon, const QPoint& pointer, const QSize& panel, const QRect& screen);

// The frame around the content view: the tray's transient panel, or an ordinary window where there is no
// tray or a panel cannot be placed. The transient panel behaves as a popup (it takes the focus and closes
// on Escape and when the focus leaves it) but is a frameless tool window: Qt leaves popup windows out of
// what it tells assistive technology, so a screen reader could not reach anything in a Qt::Popup.
class PanelWindow final : public QWidget
{
    Q_OBJECT

public:
    enum class Mode { popup, window };
    PanelWindow(ContentView* content, Mode mode);

    Mode mode() const { return m_mode; }
    ContentView* content() const { return m_content; }
    // Whether the panel closed itself a moment ago (the press that closed it may be the one on the icon).
    bool justClosed() const;
    void showAt(const QRect& geometry);

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    ContentView* m_content;
    Mode m_mode;
    QElapsedTimer m_sinceHide;
};

} // namespace norvane::ui
