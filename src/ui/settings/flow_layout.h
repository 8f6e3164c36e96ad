#pragma once

#include <QLayout>
#include <QList>

// Lays its items out left to right at their preferred sizes and wraps to a new line when the next item
// would cross the right edge. An item wider than the whole layout still starts its own line rather than
// leaving an empty one above it. The layout claims the full width it is given; its height follows the
// width (heightForWidth), so it sits in a vertical box like a paragraph of text.
namespace norvane::ui {

class FlowLayout final : public QLayout
{
    Q_OBJECT

public:
    explicit FlowLayout(qreal spacing, QWidget* parent = nullptr);
    ~FlowLayout() override;

    qreal flowSpacing() const { return m_spacing; }

    // Where each item goes inside `bounds`, item sizes being their size hints; also the total height.
    struct Placement
    {
        QList<QRect> frames;
        int height = 0;
    };
    static Placement place(const QList<QSize>& sizes, const QRect& bounds, qreal spacing);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    QList<QSize> itemSizes() const;

    QList<QLayoutItem*> m_items;
    qreal m_spacing;
};

} // namespace norvane::ui
