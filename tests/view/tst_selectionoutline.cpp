// The selection outline: at any integer zoom and scroll position it covers
// exactly the device pixels of the zoomed selection that touch the outside,
// the two dash phases split them between them, and the kept drawings follow
// every change of region, zoom, scroll position and pen.
#include "SelectionOutline.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QtTest>

class TestSelectionOutline : public QObject
{
    Q_OBJECT
private slots:
    void outlineIsTheInnerBorder();
};

namespace {

const QSize kView(160, 120);

// What the item draws on a view of kView pixels.
QImage draw(SelectionOutline &item, const QTransform &transform)
{
    QImage image(kView, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setTransform(transform);
    QStyleOptionGraphicsItem option;
    item.paint(&painter, &option, nullptr);
    return image;
}

// The pixels of `colour` in the image, as a region. (Regions built in
// different orders may hold the same pixels in different rectangles, so
// they are compared by their difference.)
QRegion pixelsOf(const QImage &image, QRgb colour)
{
    QRegion pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                pixels += QRect(x, y, 1, 1);
    return pixels;
}

// Independently, by region algebra: the zoomed region less the pixels all
// of whose four neighbours it also holds.
QRegion innerBorder(const QRegion &region, int zoom, QPoint shift)
{
    const QRegion scaled = QTransform::fromScale(zoom, zoom).map(region).translated(shift);
    const QRegion core = scaled & scaled.translated(1, 0) & scaled.translated(-1, 0) & scaled.translated(0, 1)
                         & scaled.translated(0, -1);
    return (scaled - core) & QRegion(QRect(QPoint(0, 0), kView));
}

QPen ants(bool bPhase)
{
    QPen pen(Qt::black, 0);
    pen.setDashPattern({4, 4});
    pen.setDashOffset(bPhase ? 4 : 0);
    return pen;
}

} // namespace

void TestSelectionOutline::outlineIsTheInnerBorder()
{
    // A ring with a hole, a square touching it at a corner, one-pixel parts.
    const QRegion ring = QRegion(10, 10, 60, 40).subtracted(QRegion(25, 20, 20, 15)) + QRegion(70, 50, 12, 12)
                         + QRegion(5, 5, 1, 30);
    const QRegion cross = QRegion(5, 30, 90, 7) + QRegion(40, 2, 1, 60);
    SelectionOutline under, dashes;
    under.setPen(QPen(Qt::white, 0));
    const struct {
        int zoom;
        QPoint shift;
    } views[] = {{1, {0, 0}}, {2, {0, 0}}, {2, {-37, -11}}, {3, {-100, 4}}, {1, {13, 7}}};
    // Twice over each, so that kept drawings are used and must still match.
    for (const QRegion &region : {ring, cross, ring}) {
        under.SetRegion(region);
        dashes.SetRegion(region);
        for (int round = 0; round < 2; ++round)
            for (const auto &view : views) {
                const QTransform transform = QTransform::fromScale(view.zoom, view.zoom)
                                             * QTransform::fromTranslate(view.shift.x(), view.shift.y());
                const QRegion expected = innerBorder(region, view.zoom, view.shift);
                QVERIFY(!expected.isEmpty());
                const QImage white = draw(under, transform);
                QCOMPARE(pixelsOf(white, qRgba(255, 255, 255, 255)) ^ expected, QRegion());
                QCOMPARE(pixelsOf(white, qRgba(0, 0, 0, 0)) ^ (QRegion(QRect(QPoint(0, 0), kView)) - expected), QRegion());
                dashes.setPen(ants(false));
                const QRegion first = pixelsOf(draw(dashes, transform), qRgba(0, 0, 0, 255));
                dashes.setPen(ants(true));
                const QRegion second = pixelsOf(draw(dashes, transform), qRgba(0, 0, 0, 255));
                QVERIFY(!first.isEmpty() && !second.isEmpty());
                QVERIFY((first & second).isEmpty());
                QCOMPARE((first + second) ^ expected, QRegion());
            }
    }
}

QTEST_MAIN(TestSelectionOutline)
#include "tst_selectionoutline.moc"
