// Icons for the toolbox: selection, painting, retouching and shape tools.
#include "icon_paint.h"

#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>

// Silk's grey cursor with its greys mapped onto a blue ramp, dark rim to
// light body, so it reads as the same arrow in another role.
static void cursorBlue()
{
    QImage img = silk("cursor").convertToFormat(QImage::Format_ARGB32);
    const QColor dark = kBlueDark;
    const QColor light(0xdc, 0xe8, 0xfa);
    const int lo = 0x75, hi = 0xf7; // the grey range of the Silk cursor
    for (int y = 0; y < img.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = row[x];
            const qreal t = std::clamp((qGray(c) - lo) / qreal(hi - lo), 0.0, 1.0);
            row[x] = qRgba(qRound(dark.red() + t * (light.red() - dark.red())),
                           qRound(dark.green() + t * (light.green() - dark.green())),
                           qRound(dark.blue() + t * (light.blue() - dark.blue())), qAlpha(c));
        }
    }
    save(img, "cursor_blue");
}

// An open hand seen from the palm: four fingers, the thumb out to the left.
static void hand()
{
    Canvas c;
    QPainterPath shape;
    const qreal tops[] = {2.5, 0.5, 1.5, 3.5};
    for (int i = 0; i < 4; ++i) {
        QPainterPath finger;
        finger.addRoundedRect(QRectF(3.5 + 3 * i, tops[i], 3, 10), 1.5, 1.5);
        shape = shape.united(finger);
    }
    QPainterPath palm;
    palm.moveTo(3.5, 8);
    palm.lineTo(15.5, 8);
    palm.lineTo(15.5, 11);
    palm.quadTo(15.5, 13.5, 13.5, 14.5);
    palm.lineTo(13.5, 15.5);
    palm.lineTo(5.5, 15.5);
    palm.lineTo(5.5, 14.5);
    palm.quadTo(3.5, 13, 3.5, 11);
    palm.closeSubpath();
    QPainterPath thumbLine;
    thumbLine.moveTo(5, 12);
    thumbLine.lineTo(1.8, 7.2);
    QPainterPathStroker stroker;
    stroker.setWidth(3);
    stroker.setCapStyle(Qt::RoundCap);
    shape = shape.united(palm).united(stroker.createStroke(thumbLine)).simplified();
    fillOutlined(c.p, shape, vgrad(0, 16, kSkinLight, kSkinMid), kSkinDark);
    // The gaps between the fingers, from where the shorter one ends.
    c.p.setPen(QPen(kSkinDark, 1));
    for (int i = 0; i < 3; ++i) {
        const qreal x = 6.5 + 3 * i;
        c.p.drawLine(QPointF(x, std::max(tops[i], tops[i + 1]) + 1.5), QPointF(x, 8.5));
    }
    c.save("hand");
}

// Marching ants: white under black dashes, over a faint blue tint.
static void marquee(const QPainterPath &outline, const char *name)
{
    Canvas c;
    c.p.setPen(Qt::NoPen);
    c.p.setBrush(QColor(0x6f, 0x9b, 0xe0, 60));
    c.p.drawPath(outline);
    c.p.setBrush(Qt::NoBrush);
    c.p.setPen(QPen(Qt::white, 1));
    c.p.drawPath(outline);
    QPen ants(QColor(0x20, 0x20, 0x20), 1, Qt::CustomDashLine, Qt::FlatCap);
    ants.setDashPattern({2, 2});
    c.p.setPen(ants);
    c.p.drawPath(outline);
    c.save(name);
}

static void selectRectangle()
{
    QPainterPath r;
    r.addRect(QRectF(1.5, 2.5, 13, 11));
    marquee(r, "select_rectangle");
}

static void selectEllipse()
{
    QPainterPath e;
    e.addEllipse(QRectF(1, 2.5, 14, 11));
    marquee(e, "select_ellipse");
}

// A loop of rope, its running end trailing down to the left.
static void lasso()
{
    Canvas c;
    // The loop tilted back, as if swinging.
    QPainterPath loop;
    loop.addEllipse(QPointF(0, 0), 6.2, 4);
    QTransform tilt;
    tilt.translate(9, 5.5);
    tilt.rotate(-15);
    QPainterPath rope = tilt.map(loop);
    const QPointF knot = tilt.map(QPointF(-3.6, 3.3));
    rope.moveTo(knot);
    rope.cubicTo(knot + QPointF(0.5, 3), QPointF(2, 11), QPointF(1.5, 15.5));
    const QColor brown(0x8a, 0x5a, 0x20);
    tube(c.p, rope, 2.4, QColor(0xe8, 0xc4, 0x80), brown);
    // The knot where the loop closes.
    c.p.setPen(QPen(brown, 1));
    c.p.setBrush(QColor(0xb8, 0x84, 0x40));
    c.p.drawEllipse(knot, 1.8, 1.8);
    c.save("lasso");
}

// A rubber stamp: wooden knob and block, red rubber underneath.
static void stamp()
{
    Canvas c;
    const QColor woodLight(0xf0, 0xc8, 0x88), woodMid(0xc0, 0x80, 0x38), wood(0x7a, 0x4a, 0x18);
    QPainterPath neck;
    neck.addRect(QRectF(6.5, 5, 3, 4));
    fillOutlined(c.p, neck, hgrad(6.5, 9.5, woodMid, woodLight), wood);
    QPainterPath knob;
    knob.addEllipse(QPointF(8, 3.5), 3, 3);
    QRadialGradient shine(QPointF(7, 2.5), 3.5);
    shine.setColorAt(0, QColor(0xf8, 0x90, 0x80));
    shine.setColorAt(1, QColor(0xc0, 0x28, 0x20));
    fillOutlined(c.p, knob, shine, QColor(0x80, 0x18, 0x10));
    QPainterPath block;
    block.addRoundedRect(QRectF(1.5, 8.5, 13, 4), 1, 1);
    fillOutlined(c.p, block, vgrad(8.5, 12.5, woodLight, woodMid), wood);
    QPainterPath rubber;
    rubber.addRect(QRectF(2.5, 12.5, 11, 2));
    fillOutlined(c.p, rubber, QColor(0xd0, 0x30, 0x28), QColor(0x80, 0x18, 0x10));
    c.save("stamp");
}

static void waterDrop()
{
    Canvas c;
    QPainterPath drop;
    drop.moveTo(8, 0.8);
    drop.cubicTo(9.5, 4, 13.2, 6.5, 13.2, 10);
    drop.cubicTo(13.2, 13, 10.8, 15.2, 8, 15.2);
    drop.cubicTo(5.2, 15.2, 2.8, 13, 2.8, 10);
    drop.cubicTo(2.8, 6.5, 6.5, 4, 8, 0.8);
    QRadialGradient body(QPointF(6.5, 8), 8);
    body.setColorAt(0, QColor(0xe4, 0xf0, 0xff));
    body.setColorAt(0.5, kBlueLight);
    body.setColorAt(1, kBlueMid);
    fillOutlined(c.p, drop, body, kBlueDark);
    // Glint along the left flank.
    c.p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap));
    c.p.setBrush(Qt::NoBrush);
    QPainterPath glint;
    glint.moveTo(5.2, 8.5);
    glint.quadTo(4.8, 11, 6.5, 12.8);
    c.p.drawPath(glint);
    c.save("water_drop");
}

// A cut gem: a table and crown above the girdle, a pointed pavilion below.
static void diamond()
{
    Canvas c;
    const QPointF l(0.5, 6.5), r(15.5, 6.5), b(8, 15), t1(4.5, 2.5), t2(11.5, 2.5), tm(8, 2.5);
    const QPointF m1(5, 6.5), m2(11, 6.5);
    struct Facet
    {
        QPolygonF poly;
        QColor fill;
    };
    const Facet facets[] = {
        {QPolygonF({l, t1, m1}), QColor(0xb8, 0xe0, 0xfa)},
        {QPolygonF({t1, tm, m1}), QColor(0xe6, 0xf6, 0xff)},
        {QPolygonF({tm, m2, m1}), QColor(0xc8, 0xe8, 0xfc)},
        {QPolygonF({tm, t2, m2}), QColor(0x98, 0xd0, 0xf4)},
        {QPolygonF({t2, r, m2}), QColor(0x70, 0xb0, 0xe8)},
        {QPolygonF({l, m1, b}), QColor(0x88, 0xc4, 0xf0)},
        {QPolygonF({m1, m2, b}), QColor(0x60, 0xa4, 0xe4)},
        {QPolygonF({m2, r, b}), QColor(0x40, 0x84, 0xd0)},
    };
    c.p.setPen(QPen(QColor(0x4a, 0x88, 0xcc), 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const Facet &f : facets) {
        c.p.setBrush(f.fill);
        c.p.drawPolygon(f.poly);
    }
    c.p.setBrush(Qt::NoBrush);
    c.p.setPen(QPen(QColor(0x24, 0x50, 0x98), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    c.p.drawPolygon(QPolygonF({l, t1, t2, r, b}));
    c.save("diamond");
}

// A fingertip at the end of the streak of colour it has dragged along.
static void smudge()
{
    Canvas c;
    // The paint, thick where it was laid down and thinning towards the finger.
    QPainterPath streak;
    streak.moveTo(0.8, 12.3);
    streak.cubicTo(3, 11.3, 5, 11.5, 7.4, 9.4);
    streak.lineTo(8.6, 11);
    streak.cubicTo(6, 13.5, 4, 15, 1.8, 15.3);
    streak.quadTo(0.4, 14.5, 0.8, 12.3);
    QLinearGradient paint(1, 14, 8.5, 10);
    paint.setColorAt(0, QColor(0xc8, 0x20, 0x88));
    paint.setColorAt(1, QColor(0xe0, 0x60, 0xb0, 150));
    c.p.setPen(Qt::NoPen);
    c.p.setBrush(paint);
    c.p.drawPath(streak);
    // The finger, drawn along its own axis from the tip back to the hand.
    c.p.translate(7.6, 10.4);
    c.p.rotate(-47);
    QPainterPath finger;
    finger.addRoundedRect(QRectF(0, -3, 15, 6), 3, 3);
    fillOutlined(c.p, finger, vgrad(-3, 3, kSkinLight, kSkinMid), kSkinDark);
    QPainterPath nail;
    nail.addRoundedRect(QRectF(1, -1.9, 4, 3.2), 1.5, 1.5);
    fillOutlined(c.p, nail, vgrad(-1.9, 1.3, QColor(0xff, 0xf8, 0xf4), QColor(0xf8, 0xd8, 0xd0)),
                 QColor(0xd8, 0xa0, 0x84));
    c.save("smudge");
}

static void gradient()
{
    Canvas c;
    QPainterPath square;
    square.addRect(QRectF(1.5, 1.5, 13, 13));
    fillOutlined(c.p, square, hgrad(2, 14, QColor(0x1c, 0x40, 0x88), Qt::white),
                 QColor(0x3a, 0x4a, 0x68));
    c.save("gradient");
}

// A pink block lying on the diagonal, its lower side showing its thickness.
static void eraser()
{
    Canvas c;
    c.p.translate(8, 8.5);
    c.p.rotate(-35);
    const QColor rim(0xa8, 0x40, 0x58);
    QPainterPath side;
    side.addRoundedRect(QRectF(-7, -1.5, 14, 4.5), 1, 1);
    fillOutlined(c.p, side, QColor(0xe0, 0x78, 0x90), rim);
    QPainterPath top;
    top.addRoundedRect(QRectF(-7, -4.5, 14, 5.5), 1, 1);
    fillOutlined(c.p, top, vgrad(-4.5, 1, QColor(0xff, 0xd8, 0xe0), QColor(0xf4, 0xa0, 0xb4)), rim);
    c.save("eraser");
}

static void outlinedShape(const QPainterPath &shape, const char *name)
{
    Canvas c;
    tube(c.p, shape, 3, vgrad(2, 14, kBlueLight, kBlueMid), kBlueDark);
    c.save(name);
}

static void shapes()
{
    const QRectF box(2.5, 3.5, 11, 9);
    QPainterPath rect;
    rect.addRect(box);
    outlinedShape(rect, "rectangle");
    QPainterPath rounded;
    rounded.addRoundedRect(box, 3, 3);
    outlinedShape(rounded, "rounded_rectangle");
    QPainterPath ellipse;
    ellipse.addEllipse(QRectF(2, 3.5, 12, 9));
    outlinedShape(ellipse, "ellipse");
}

static void line()
{
    Canvas c;
    const QPointF a(3.5, 12.5), b(12.5, 3.5);
    c.p.setPen(QPen(kBlueDark, 1.6, Qt::SolidLine, Qt::RoundCap));
    c.p.drawLine(a, b);
    for (const QPointF &end : {a, b}) {
        QPainterPath dot;
        dot.addEllipse(end, 2.2, 2.2);
        fillOutlined(c.p, dot, vgrad(end.y() - 2, end.y() + 2, kBlueLight, kBlueMid), kBlueDark);
    }
    c.save("line");
}

void drawToolIcons()
{
    cursorBlue();
    hand();
    selectRectangle();
    selectEllipse();
    lasso();
    stamp();
    waterDrop();
    diamond();
    smudge();
    gradient();
    eraser();
    shapes();
    line();
}
