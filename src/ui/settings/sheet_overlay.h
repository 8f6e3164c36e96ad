#pragma once

#include <QPointer>
#include <QWidget>

// A sheet shown inside the panel: the panel cannot open another window without closing itself (it is a popup
// that closes when focus leaves it), so sheets are overlays on top of the page instead.
namespace norvane::ui {

// Covers its host widget entirely and follows its size, dims the host behind a semi-transparent black,
// and shows the sheet centred on a rounded card in the window colour. Clicks, wheel turns and keys outside
// the sheet go nowhere, and Tab cycles inside the sheet, so the page behind is out of reach until the
// overlay goes.
//
//     auto* overlay = new SheetOverlay(host, sheet); // takes the sheet
//     overlay->show();                               // on top, the sheet has the keyboard focus
//     overlay->close();                              // hides and deletes overlay and sheet (later)
//
// Deleting the sheet deletes the overlay as well (later), so a sheet may also dismiss itself.
class SheetOverlay final : public QWidget
{
    Q_OBJECT

public:
    SheetOverlay(QWidget* host, QWidget* sheet);

    QWidget* sheet() const { return m_sheet; }
    // Where the sheet's card is, in the overlay's coordinates.
    QRect sheetGeometry() const;

    static constexpr int kCornerRadius = 10;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void placeSheet();

    QPointer<QWidget> m_sheet;
};

} // namespace norvane::ui
