// Draws the icons the Silk set lacks, in its style: soft vertical gradients,
// a darker outline of the same hue, small overlay badges bottom right.
//
// Build and run from the repository root (needs Qt 6 and the famfamfam-silk
// package for the bases):
//   g++ -std=c++20 -fPIC scripts/icons/*.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw_icons
//   QT_QPA_PLATFORM=offscreen /tmp/draw_icons resources/icons /usr/share/icons/silk/16x16
//   QT_QPA_PLATFORM=offscreen /tmp/draw_icons --hicolor packaging/icons
#include "icon_paint.h"

#include <QConicalGradient>
#include <QDir>
#include <QGuiApplication>
#include <QRadialGradient>
#include <QTransform>
#include <cmath>
#include <utility>

// The Silk arrow (pointing up, 16 px tall) as a path around (8, 8).
static QPainterPath upArrow(qreal scale)
{
    QPainterPath p;
    p.moveTo(0, -7);
    p.lineTo(6, -0.5);
    p.lineTo(2.5, -0.5);
    p.lineTo(2.5, 7);
    p.lineTo(-2.5, 7);
    p.lineTo(-2.5, -0.5);
    p.lineTo(-6, -0.5);
    p.closeSubpath();
    return QTransform::fromScale(scale, scale).map(p);
}

static void diagonalArrow(const char *name, qreal angle)
{
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QTransform t;
    t.translate(8, 8);
    t.rotate(angle);
    const QPainterPath arrow = t.map(upArrow(0.85));
    // Gradient runs along the arrow, lighter at the head.
    const QPointF head = t.map(QPointF(0, -7));
    const QPointF tail = t.map(QPointF(0, 7));
    QLinearGradient g(head, tail);
    g.setColorAt(0, kGreenLight);
    g.setColorAt(1, kGreenMid);
    p.setBrush(g);
    p.setPen(QPen(kGreenDark, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(arrow);
    p.end();
    save(img, name);
}

// A small arrow badge in the bottom-right corner, pointing down.
static void downBadge(QPainter &p, const QColor &light, const QColor &mid, const QColor &dark)
{
    QPainterPath a;
    a.moveTo(12, 15.5);
    a.lineTo(15.5, 11.5);
    a.lineTo(13.5, 11.5);
    a.lineTo(13.5, 7.5);
    a.lineTo(10.5, 7.5);
    a.lineTo(10.5, 11.5);
    a.lineTo(8.5, 11.5);
    a.closeSubpath();
    p.setBrush(vgrad(7.5, 15.5, light, mid));
    p.setPen(QPen(dark, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(a);
}

static void crop()
{
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x4a, 0x4a, 0x4a), 1));
    // Back bracket: an L opening up and right (the top-left crop mark).
    const QPolygonF back({QPointF(3.5, 0.5), QPointF(6.5, 0.5), QPointF(6.5, 9.5),
                          QPointF(15.5, 9.5), QPointF(15.5, 12.5), QPointF(3.5, 12.5)});
    p.setBrush(vgrad(0, 13, QColor(0xd8, 0xd8, 0xd8), QColor(0x90, 0x90, 0x90)));
    p.drawPolygon(back);
    // Front bracket: an L opening down and left, blue like a selection.
    const QPolygonF front({QPointF(0.5, 3.5), QPointF(12.5, 3.5), QPointF(12.5, 15.5),
                           QPointF(9.5, 15.5), QPointF(9.5, 6.5), QPointF(0.5, 6.5)});
    p.setPen(QPen(kBlueDark, 1));
    p.setBrush(vgrad(3, 16, kBlueLight, kBlueMid));
    p.drawPolygon(front);
    p.end();
    save(img, "crop");
}

static void magnifier(QPainter &p, QPointF c, qreal r)
{
    const QColor rim(0xb8, 0x78, 0x2e);
    p.setPen(QPen(QColor(0x8a, 0x55, 0x1c), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(r * 0.7, r * 0.7), c + QPointF(r * 0.7 + 2.6, r * 0.7 + 2.6));
    QRadialGradient lens(c - QPointF(r / 3, r / 3), r * 1.4);
    lens.setColorAt(0, QColor(255, 255, 255, 240));
    lens.setColorAt(1, QColor(0xc0, 0xd8, 0xf0, 220));
    p.setBrush(lens);
    p.setPen(QPen(rim, 1.3));
    p.drawEllipse(c, r, r);
}

static void appZoom()
{
    QImage img = silk("application");
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    magnifier(p, QPointF(10, 10), 3.3);
    p.end();
    save(img, "app_zoom");
}

static void flip(const char *name, bool vertical)
{
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (vertical) {
        // Draw the horizontal flip transposed.
        p.setTransform(QTransform(0, 1, 1, 0, 0, 0));
    }
    QPolygonF left({QPointF(6.5, 2.5), QPointF(6.5, 13.5), QPointF(0.5, 13.5)});
    QPolygonF right({QPointF(9.5, 2.5), QPointF(9.5, 13.5), QPointF(15.5, 13.5)});
    p.setPen(QPen(kBlueDark, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient g = vgrad(2, 14, kBlueLight, kBlueMid);
    if (vertical)
        g = QLinearGradient(2, 0, 14, 0), g.setColorAt(0, kBlueLight), g.setColorAt(1, kBlueMid);
    p.setBrush(g);
    p.drawPolygon(left);
    p.setBrush(QColor(255, 255, 255, 200));
    p.setPen(QPen(kBlueMid, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(right);
    // Mirror axis.
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 1, Qt::DotLine));
    p.drawLine(QPointF(8, 0.5), QPointF(8, 15.5));
    p.end();
    save(img, name);
}

// A thick circular arrow: an arc as a tube with an arrowhead at its end.
static void roundArrow(QPainter &p, QPointF c, qreal r, qreal startDeg, qreal spanDeg,
                       const QColor &light, const QColor &mid, const QColor &dark)
{
    QPainterPath arc;
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    arc.arcMoveTo(box, startDeg);
    arc.arcTo(box, startDeg, spanDeg);
    QPainterPathStroker stroker;
    stroker.setWidth(3.2);
    stroker.setCapStyle(Qt::FlatCap);
    QPainterPath tube = stroker.createStroke(arc);

    // Arrowhead at the end of the arc, pointing along the direction of travel.
    const qreal end = (startDeg + spanDeg) * M_PI / 180.0;
    const QPointF tip(c.x() + r * std::cos(end), c.y() - r * std::sin(end));
    const qreal dir = spanDeg < 0 ? -1 : 1;
    const QPointF tangent(-std::sin(end) * dir, -std::cos(end) * dir);
    const QPointF normal(std::cos(end), -std::sin(end));
    QPainterPath head;
    head.moveTo(tip + tangent * 3.8);
    head.lineTo(tip + normal * 3.6);
    head.lineTo(tip - normal * 3.6);
    head.closeSubpath();
    const QPainterPath shape = tube.united(head).simplified();

    p.setBrush(vgrad(c.y() - r - 2, c.y() + r + 2, light, mid));
    p.setPen(QPen(dark, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
}

static void arrowRotate()
{
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    roundArrow(p, QPointF(8, 8.5), 5.3, 200, -250, kGreenLight, kGreenMid, kGreenDark);
    p.end();
    save(img, "arrow_rotate");
}

// Clears room for the down badge so it reads against the icon beneath.
static void clearBadgeRoom(QPainter &p)
{
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(QPen(Qt::transparent, 2));
    p.setBrush(Qt::transparent);
    p.drawRect(QRectF(8.5, 7, 7, 9));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

static void layersDown()
{
    QImage img(g_out + "/layers.png");
    img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    clearBadgeRoom(p);
    downBadge(p, kBlueLight, kBlueMid, kBlueDark);
    p.end();
    save(img, "layers_down");
}

static void update()
{
    QImage img = silk("world");
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    clearBadgeRoom(p);
    downBadge(p, kGreenLight, kGreenMid, kGreenDark);
    p.end();
    save(img, "update");
}

static void docResize()
{
    QImage img = silk("page_white");
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A two-headed diagonal arrow across the page.
    QPainterPath a;
    a.moveTo(4, 13);
    a.lineTo(4, 9);
    a.lineTo(5.6, 10.6);
    a.lineTo(9.6, 6.6);
    a.lineTo(8, 5);
    a.lineTo(12, 5);
    a.lineTo(12, 9);
    a.lineTo(10.4, 7.4);
    a.lineTo(6.4, 11.4);
    a.lineTo(8, 13);
    a.closeSubpath();
    QLinearGradient g(4, 13, 12, 5);
    g.setColorAt(0, kBlueMid);
    g.setColorAt(1, kBlueLight);
    p.setBrush(g);
    p.setPen(QPen(kBlueDark, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(a);
    p.end();
    save(img, "doc_resize");
}

static void speedometer()
{
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(8, 9.5);
    const qreal r = 7;
    p.setBrush(vgrad(2, 14, QColor(0xfa, 0xfa, 0xfa), QColor(0xc4, 0xc8, 0xcc)));
    p.setPen(QPen(QColor(0x55, 0x5a, 0x60), 1));
    p.drawEllipse(c, r - 0.5, r - 0.5);
    // Coloured scale along the rim: green, yellow, red.
    const QRectF scale(c.x() - r + 2.2, c.y() - r + 2.2, 2 * (r - 2.2), 2 * (r - 2.2));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x5c, 0xb8, 0x4c), 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(scale, 200 * 16, -60 * 16);
    p.setPen(QPen(QColor(0xf0, 0xc0, 0x30), 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(scale, 140 * 16, -50 * 16);
    p.setPen(QPen(QColor(0xe0, 0x40, 0x30), 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(scale, 90 * 16, -70 * 16);
    // Needle pointing into the fast end, and the hub.
    const qreal a = 40 * M_PI / 180.0;
    p.setPen(QPen(QColor(0xb0, 0x20, 0x18), 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(std::cos(a) * 5, -std::sin(a) * 5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0x44, 0x48));
    p.drawEllipse(c, 1.6, 1.6);
    p.end();
    save(img, "speedometer");
}

// The program's logo, drawn on a 64-unit grid at any pixel size.
static QImage logoImage(int iSize)
{
    const int s = 64;
    QImage img = blank(iSize);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(iSize / 64.0, iSize / 64.0);
    // Dark rounded tile with the title-strip blue along its top.
    QLinearGradient bg(0, 0, 0, s);
    bg.setColorAt(0, QColor(0x88, 0x88, 0xdd));
    bg.setColorAt(0.1, QColor(0x99, 0x99, 0xee));
    bg.setColorAt(0.49, QColor(0x77, 0x77, 0xcc));
    bg.setColorAt(0.5, QColor(0x66, 0x66, 0xbb));
    bg.setColorAt(1, QColor(0x32, 0x32, 0x32));
    p.setPen(QPen(QColor(0x22, 0x22, 0x44), 1.5));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(1.5, 1.5, s - 3, s - 3), 12, 12);
    // Colour wheel ring.
    QConicalGradient wheel(QPointF(s / 2.0, s / 2.0 + 2), 90);
    const QColor hues[] = {Qt::red, Qt::magenta, Qt::blue, Qt::cyan, Qt::green, Qt::yellow, Qt::red};
    for (int i = 0; i < 7; ++i)
        wheel.setColorAt(i / 6.0, hues[i]);
    p.setPen(QPen(QBrush(wheel), 7));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(s / 2.0, s / 2.0 + 2), 19, 19);
    // The quill: a curved white feather with a dark shaft and nib.
    p.translate(s / 2.0, s / 2.0 + 2);
    p.rotate(40);
    QPainterPath vane;
    vane.moveTo(0, 20);
    vane.cubicTo(9, 6, 8, -14, 0, -27);
    vane.cubicTo(-8, -14, -9, 6, 0, 20);
    QLinearGradient vg(-8, 0, 8, 0);
    vg.setColorAt(0, QColor(0xff, 0xff, 0xff));
    vg.setColorAt(1, QColor(0xd8, 0xdc, 0xf0));
    p.setPen(QPen(QColor(0x30, 0x30, 0x50), 1.2));
    p.setBrush(vg);
    p.drawPath(vane);
    p.setPen(QPen(QColor(0x50, 0x50, 0x70), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, -22), QPointF(0, 26));
    // Barbs.
    p.setPen(QPen(QColor(0xa0, 0xa4, 0xc0), 0.8));
    for (int i = -16; i <= 12; i += 4) {
        p.drawLine(QPointF(0, i), QPointF(5, i - 4));
        p.drawLine(QPointF(0, i), QPointF(-5, i - 4));
    }
    QPainterPath nib;
    nib.moveTo(-1.8, 24);
    nib.lineTo(1.8, 24);
    nib.lineTo(0, 30);
    nib.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x20, 0x30));
    p.drawPath(nib);
    p.end();
    return img;
}

static void logo()
{
    save(logoImage(64), "cqLogo");
}

// A document's icon: a page with a turned-down corner and the logo on it.
static QImage documentImage(int iSize)
{
    QImage img = blank(iSize);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(iSize / 64.0, iSize / 64.0);
    QPainterPath page;
    page.moveTo(8.5, 1.5);
    page.lineTo(42.5, 1.5);
    page.lineTo(55.5, 14.5);
    page.lineTo(55.5, 62.5);
    page.lineTo(8.5, 62.5);
    page.closeSubpath();
    fillOutlined(p, page, vgrad(0, 64, QColor(0xff, 0xff, 0xff), QColor(0xe4, 0xe6, 0xf0)), QColor(0x70, 0x74, 0x88));
    QPainterPath corner;
    corner.moveTo(42.5, 1.5);
    corner.lineTo(42.5, 14.5);
    corner.lineTo(55.5, 14.5);
    corner.closeSubpath();
    fillOutlined(p, corner, QColor(0xc8, 0xcc, 0xdc), QColor(0x70, 0x74, 0x88));
    p.drawImage(QRectF(13, 19, 38, 38), logoImage(128));
    p.end();
    return img;
}

// The installed icons: the program's and its document type's, in the
// freedesktop hicolor layout under `folder`.
static void drawHicolor(const QString &folder)
{
    for (int iSize : {16, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2").arg(folder).arg(iSize);
        QDir().mkpath(dir + "/apps");
        QDir().mkpath(dir + "/mimetypes");
        for (const auto &[image, path] : {std::pair{logoImage(iSize), dir + "/apps/chromaquill.png"},
                                         std::pair{documentImage(iSize), dir + "/mimetypes/application-x-chromaquill.png"}})
            if (!image.convertToFormat(QImage::Format_ARGB32).save(path))
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
}

// The tick inside a checked option box (the option bar draws its own boxes
// so that they show on its dark background).
static void checkTick()
{
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tick;
    tick.moveTo(3.5, 8.5);
    tick.lineTo(6.5, 11.5);
    tick.lineTo(12.5, 4.5);
    p.setPen(QPen(kBlueDark, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.end();
    save(img, "check_tick");
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--hicolor") == 0) {
        drawHicolor(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <icon folder> <silk 16x16 folder>\n"
                             "       %s --hicolor <folder>   (the installed icons)\n", argv[0], argv[0]);
        return 1;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    g_silk = QString::fromLocal8Bit(argv[2]);

    diagonalArrow("arrow_up_right", 45);
    diagonalArrow("arrow_down_right", 135);
    diagonalArrow("arrow_down_left", 225);
    diagonalArrow("arrow_up_left", 315);
    crop();
    appZoom();
    flip("flip_horizontal", false);
    flip("flip_vertical", true);
    arrowRotate();
    layersDown();
    update();
    docResize();
    speedometer();
    logo();
    checkTick();
    drawToolIcons();
    drawFilterIcons();
    return 0;
}
