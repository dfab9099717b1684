// Icons for the colour and effect filters and for the image panels.
#include "icon_paint.h"

#include <array>

// A swatch of hues whose lower-right half has gone to the matching greys.
static void colorToGray()
{
    Canvas c;
    const std::array<QColor, 6> hues = {QColor(0xe8, 0x30, 0x30), QColor(0xf0, 0xd0, 0x30),
                                        QColor(0x40, 0xc0, 0x40), QColor(0x30, 0xb8, 0xe0),
                                        QColor(0x40, 0x50, 0xd8), QColor(0xd0, 0x40, 0xc8)};
    QLinearGradient colour(2, 2, 14, 14);
    QLinearGradient grey(2, 2, 14, 14);
    for (size_t i = 0; i < hues.size(); ++i) {
        const qreal at = i / qreal(hues.size() - 1);
        colour.setColorAt(at, hues[i]);
        const int g = qGray(hues[i].rgb());
        grey.setColorAt(at, QColor(g, g, g));
    }
    const QRectF box(1.5, 1.5, 13, 13);
    QPainterPath upper;
    upper.addPolygon(QPolygonF({box.topLeft(), box.topRight(), box.bottomLeft()}));
    upper.closeSubpath();
    QPainterPath lower;
    lower.addPolygon(QPolygonF({box.topRight(), box.bottomRight(), box.bottomLeft()}));
    lower.closeSubpath();
    c.p.setPen(Qt::NoPen);
    c.p.setBrush(colour);
    c.p.drawPath(upper);
    c.p.setBrush(grey);
    c.p.drawPath(lower);
    c.p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    c.p.drawLine(box.topRight(), box.bottomLeft());
    c.p.setBrush(Qt::NoBrush);
    c.p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    c.p.drawRect(box);
    c.save("color_to_gray");
}

// A white-bordered print of a landscape in sepia.
static void photograph()
{
    Canvas c;
    QPainterPath print;
    print.addRect(QRectF(0.5, 1.5, 15, 13));
    fillOutlined(c.p, print, vgrad(1.5, 14.5, Qt::white, QColor(0xe8, 0xe4, 0xdc)),
                 QColor(0x8a, 0x7a, 0x60));
    const QRectF scene(2, 3, 12, 9);
    c.p.setClipRect(scene);
    c.p.fillRect(scene, vgrad(3, 12, QColor(0xf4, 0xe4, 0xc0), QColor(0xd8, 0xb8, 0x80)));
    c.p.setPen(Qt::NoPen);
    c.p.setBrush(QColor(0xff, 0xf6, 0xe0));
    c.p.drawEllipse(QPointF(10.5, 5.5), 1.6, 1.6);
    QPainterPath hills;
    hills.moveTo(2, 10);
    hills.quadTo(5, 6, 8, 9);
    hills.quadTo(11, 7, 14, 9.5);
    hills.lineTo(14, 12);
    hills.lineTo(2, 12);
    hills.closeSubpath();
    c.p.setBrush(vgrad(6, 12, QColor(0xa0, 0x78, 0x48), QColor(0x6a, 0x48, 0x28)));
    c.p.drawPath(hills);
    c.p.setClipping(false);
    c.p.setPen(QPen(QColor(0x8a, 0x70, 0x50), 1));
    c.p.setBrush(Qt::NoBrush);
    c.p.drawRect(scene.adjusted(-0.5, -0.5, 0.5, 0.5));
    c.save("photograph");
}

// A landscape shrunk to four by four blocks: sky and sun over green hills.
static void pixelate()
{
    Canvas c;
    const QRgb blocks[4][4] = {
        {0x9ccaf2, 0xb8dcf8, 0xd0e8fc, 0xffe070},
        {0x74b0e8, 0x9ccaf2, 0xb8dcf8, 0xf8e8a8},
        {0x8cc878, 0x6cb85c, 0x9cd088, 0x74b864},
        {0x4a9a40, 0x3a8a32, 0x5aa84e, 0x2f7a2a},
    };
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            c.p.fillRect(QRect(2 + 3 * col, 2 + 3 * row, 3, 3), QColor(blocks[row][col]));
    c.p.setPen(QPen(QColor(0x40, 0x50, 0x60), 1));
    c.p.setBrush(Qt::NoBrush);
    c.p.drawRect(QRectF(1.5, 1.5, 13, 13));
    c.save("pixelate");
}

// Adjoining bars over a base line, the hump of a typical histogram.
static void histogram()
{
    Canvas c;
    const int heights[] = {4, 9, 13, 10, 6};
    for (int i = 0; i < 5; ++i) {
        const qreal top = 14.5 - heights[i];
        QPainterPath bar;
        bar.addRect(QRectF(0.5 + 3 * i, top, 3, heights[i]));
        fillOutlined(c.p, bar, vgrad(top, 14.5, kBlueLight, kBlueMid), kBlueDark);
    }
    c.p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    c.p.drawLine(QPointF(0, 15.5), QPointF(16, 15.5));
    c.save("layer_his");
}

// Red, green and blue discs that add up to white where all three meet.
static void rgbImages()
{
    Canvas c;
    const QPointF centres[] = {{8, 5.3}, {5.2, 10.3}, {10.8, 10.3}};
    const QColor colours[] = {QColor(0xff, 0x20, 0x20), QColor(0x20, 0xe0, 0x20),
                              QColor(0x30, 0x40, 0xff)};
    const qreal radius = 4.6;
    c.p.setPen(Qt::NoPen);
    c.p.setCompositionMode(QPainter::CompositionMode_Plus);
    for (int i = 0; i < 3; ++i) {
        c.p.setBrush(colours[i]);
        c.p.drawEllipse(centres[i], radius, radius);
    }
    c.p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // Each disc's rim only where it bounds the group, so the overlaps stay clean.
    c.p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        QPainterPath outside;
        outside.addRect(QRectF(0, 0, 16, 16));
        for (int j = 0; j < 3; ++j) {
            QPainterPath disc;
            disc.addEllipse(centres[j], radius - 0.2, radius - 0.2);
            if (j != i)
                outside = outside.subtracted(disc);
        }
        c.p.setClipPath(outside);
        c.p.setPen(QPen(colours[i].darker(190), 1));
        c.p.drawEllipse(centres[i], radius, radius);
    }
    c.save("rgb_images");
}

// The seven bars of a colour test card.
static void colorBars()
{
    Canvas c;
    const QRgb bars[] = {0xe8e8e8, 0xf0e020, 0x20d0e0, 0x30c030, 0xd030d0, 0xe02020, 0x2040e0};
    for (int i = 0; i < 7; ++i) {
        const QColor bar(bars[i]);
        c.p.fillRect(QRectF(1 + 2 * i, 2, 2, 12), vgrad(2, 14, bar.lighter(125), bar));
    }
    c.p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    c.p.setBrush(Qt::NoBrush);
    c.p.drawRect(QRectF(0.5, 1.5, 15, 13));
    c.save("color_bars");
}

static void contrastFlipped()
{
    save(silk("contrast").mirrored(true, false), "contrast_flipped");
}

void drawFilterIcons()
{
    colorToGray();
    photograph();
    pixelate();
    histogram();
    rgbImages();
    colorBars();
    contrastFlipped();
}
