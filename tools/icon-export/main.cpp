// Writes the application icon (the tray's paw, white on a rounded violet square) as an SVG and as PNGs of
// the usual sizes, for the desktop's icon theme: icon-export OUTPUT_DIR SIZE...
#include "ui/tray/paw_icon.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

namespace {

constexpr qreal kCanvas = 48; // the drawing's own units; every output scales from them

void paintIcon(QPainter& painter, qreal size)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kCanvas, size / kCanvas);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x6e, 0x40, 0xc9));
    painter.drawRoundedRect(QRectF(2, 2, 44, 44), 10, 10);
    // The 18-unit paw, centred at 30 units.
    painter.translate(9, 9);
    painter.scale(30.0 / norvane::ui::kPawSize, 30.0 / norvane::ui::kPawSize);
    painter.setBrush(Qt::white);
    painter.drawPath(norvane::ui::pawPath());
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: icon-export OUTPUT_DIR SIZE...\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);

    QSvgGenerator svg;
    svg.setFileName(out + QStringLiteral("/com.norvane.app.svg"));
    svg.setSize(QSize(int(kCanvas), int(kCanvas)));
    svg.setViewBox(QRectF(0, 0, kCanvas, kCanvas));
    svg.setTitle(QStringLiteral("Norvane"));
    {
        QPainter painter(&svg);
        paintIcon(painter, kCanvas);
    }
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            paintIcon(painter, size);
        }
        const QString path = out + QStringLiteral("/com.norvane.app-%1.png").arg(size);
        if (!image.save(path)) {
            std::fprintf(stderr, "icon-export: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
