// The traced outline of a region covers exactly the region's pixels (odd-
// even fill, no antialiasing), for holes, areas touching at corners, many
// bands and noisy wand-like regions, with one corner per turn.
#include "RegionOutline.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QImage filled(const QPainterPath &path, const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(0);
    QPainter painter(&image);
    painter.fillPath(path, Qt::black);
    return image;
}

// Region pixels that the fill misses or fills wrongly.
int mismatches(const QRegion &region, const QSize &size)
{
    const QImage image = filled(RegionOutline::Path(region), size);
    int wrong = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            wrong += (qAlpha(image.pixel(x, y)) != 0) != region.contains(QPoint(x, y));
    return wrong;
}

} // namespace

class TestRegionOutline : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rectangleIsFourCorners()
    {
        const QPainterPath path = RegionOutline::Path(QRegion(3, 4, 10, 6));
        // moveTo, three corners, and the closing line.
        QCOMPARE(path.elementCount(), 5);
        QCOMPARE(path.boundingRect(), QRectF(3, 4, 10, 6));
        QVERIFY(RegionOutline::Path(QRegion()).isEmpty());
    }

    void holesAndCornersFillExactly()
    {
        const QSize size(60, 50);
        QRegion ring = QRegion(5, 5, 40, 30) - QRegion(15, 12, 10, 10);
        QCOMPARE(mismatches(ring, size), 0);
        // Squares touching only at corners (two loops meet at one point).
        QRegion checker;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                if ((x + y) % 2 == 0)
                    checker += QRect(x * 8, y * 8, 8, 8);
        QCOMPARE(mismatches(checker, size), 0);
        QCOMPARE(mismatches(QRegion(10, 5, 37, 41, QRegion::Ellipse) - QRegion(20, 20, 5, 5), size), 0);
        // Bands that meet in a row without sharing runs, and island inside a hole.
        QRegion mixed = QRegion(0, 0, 20, 10) + QRegion(20, 10, 20, 10) + QRegion(0, 20, 50, 25)
                        - QRegion(5, 25, 30, 15) + QRegion(15, 30, 5, 5);
        QCOMPARE(mismatches(mixed, size), 0);
    }

    void randomRegionsFillExactly()
    {
        QRandomGenerator rng(3);
        const QSize size(70, 55);
        for (int round = 0; round < 40; ++round) {
            QRegion region;
            for (int i = 0; i < 12; ++i) {
                const QRect r(rng.bounded(60) - 5, rng.bounded(45) - 5, rng.bounded(1, 25), rng.bounded(1, 25));
                switch (rng.bounded(3)) {
                case 0: region += r; break;
                case 1: region -= r; break;
                default: region ^= QRegion(r, QRegion::Ellipse); break;
                }
            }
            QCOMPARE(mismatches(region, size), 0);
        }
    }

    void noisyRegionsFillExactly()
    {
        // Single scattered pixels: thousands of rectangles and loops.
        QRandomGenerator rng(9);
        const QSize size(120, 90);
        QImage mask(size, QImage::Format_Mono);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                mask.setPixel(x, y, rng.bounded(3) == 0 ? 1 : 0);
        const QRegion region(QBitmap::fromImage(mask));
        QVERIFY(region.rectCount() > 1000);
        QCOMPARE(mismatches(region, size), 0);
    }
};

QTEST_MAIN(TestRegionOutline)
#include "tst_regionoutline.moc"
