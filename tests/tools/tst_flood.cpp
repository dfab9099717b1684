// The scan-line flood against a plain pixel-by-pixel flood on random
// images and on winding areas: the same pixels taken for every tolerance,
// seed and selection, each pixel once; and the region it hands the wand.
#include "FloodReference.h"
#include "TestSupport.h"
#include "ScanlineFlood.h"

#include <QRandomGenerator>
#include <QtTest>

using cqtest::blotchyImage;
using cqtest::referenceFlood;

class TestFlood : public QObject {
    Q_OBJECT

    void compare(const QImage &image, QPoint seed, bool bWand, int t, const QRegion &allowed)
    {
        ScanlineFlood flood(image, bWand ? ScanlineFlood::WandMatch : ScanlineFlood::FillMatch, t);
        flood.Restrict(allowed);
        flood.Run(seed);
        std::vector<char> expected = referenceFlood(image, seed, bWand, t, allowed);
        qint64 count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                count += expected[size_t(y) * image.width() + x];
                if (flood.Taken(x, y) != bool(expected[size_t(y) * image.width() + x]))
                    QFAIL(qPrintable(QStringLiteral("%1x%2 seed %3,%4 t=%5 wand=%6: pixel %7,%8 differs")
                                         .arg(image.width()).arg(image.height()).arg(seed.x()).arg(seed.y())
                                         .arg(t).arg(bWand).arg(x).arg(y)));
            }
        // Every pixel was taken once: the spans add up to the pixel count.
        QCOMPARE(flood.PixelCount(), count);
        // The region is exactly the taken pixels.
        const QRegion region = flood.Region();
        QRegion expectedRegion;
        for (const ScanlineFlood::Span &span : flood.Spans())
            expectedRegion += QRect(QPoint(span.left, span.y), QPoint(span.right, span.y));
        QCOMPARE(region ^ expectedRegion, QRegion());
        QCOMPARE(flood.Bounds(), expectedRegion.boundingRect());
    }

private Q_SLOTS:
    void matchesThePlainFloodOnRandomImages()
    {
        const QList<QSize> sizes = {QSize(1, 1), QSize(1, 37), QSize(41, 1), QSize(2, 2), QSize(17, 13),
                                    QSize(64, 48), QSize(131, 77), QSize(203, 9)};
        QRandomGenerator rng(7);
        quint32 seed = 1;
        for (const QSize &size : sizes)
            for (int t : {0, 1, 15, 30, 128, 255})
                for (bool bWand : {false, true}) {
                    const QImage image = blotchyImage(size.width(), size.height(), seed++);
                    const QPoint at(rng.bounded(size.width()), rng.bounded(size.height()));
                    compare(image, at, bWand, t, QRegion());
                    if (QTest::currentTestFailed())
                        return;
                }
    }

    void windingAreas()
    {
        // A corridor that winds down and up between walls open at the bottom
        // and top in turn, and a spiral: the area leaves the rows near the
        // seed many times before it comes back to them.
        QImage serpentine = cqtest::filledImage(61, 300, qRgb(200, 200, 200));
        for (int x = 2; x < 60; x += 4)
            for (int y = 0; y < 300; ++y)
                if ((x / 4) % 2 ? y > 2 : y < 297)
                    serpentine.setPixel(x, y, qRgb(0, 0, 0));
        QImage spiral = cqtest::filledImage(257, 257, qRgb(200, 200, 200));
        for (int k = 0, lo = 2, hi = 254; lo < hi; ++k, lo += 2, hi -= 2) {
            // One ring of wall a lap, with a gap that moves round.
            for (int i = lo; i <= hi; ++i)
                for (const QPoint p : {QPoint(i, lo), QPoint(i, hi), QPoint(lo, i), QPoint(hi, i)})
                    spiral.setPixel(p, qRgb(0, 0, 0));
            const QPoint gaps[] = {QPoint(lo + 1, lo), QPoint(hi, lo + 1), QPoint(hi - 1, hi), QPoint(lo, hi - 1)};
            spiral.setPixel(gaps[k % 4], qRgb(200, 200, 200));
        }
        for (const QPoint seed : {QPoint(1, 150), QPoint(29, 0), QPoint(59, 299)})
            compare(serpentine, seed, true, 10, QRegion());
        for (const QPoint seed : {QPoint(128, 128), QPoint(0, 0), QPoint(3, 100)})
            compare(spiral, seed, false, 10, QRegion());
    }

    void restrictedToTheSelection()
    {
        const QImage image = blotchyImage(90, 70, 99);
        // A selection of several pieces, one of them only touching another
        // at a corner; seeds inside and outside it.
        QRegion allowed = QRegion(5, 5, 40, 30) + QRegion(45, 35, 30, 30) + QRegion(20, 50, 10, 10, QRegion::Ellipse);
        for (QPoint seed : {QPoint(10, 10), QPoint(50, 40), QPoint(80, 5), QPoint(24, 54)})
            for (int t : {30, 128, 255}) {
                compare(image, seed, false, t, allowed);
                if (QTest::currentTestFailed())
                    return;
            }
    }

    void transparentSeedTakesLowAlpha()
    {
        QImage image = cqtest::filledImage(20, 10, qRgba(50, 60, 70, 0));
        // Alpha 127 joins the area, alpha 128 does not, whatever its colour.
        image.setPixel(5, 5, qRgba(255, 0, 0, 127));
        for (int y = 0; y < 10; ++y)
            image.setPixel(10, y, qRgba(1, 2, 3, 128));
        ScanlineFlood flood(image, ScanlineFlood::FillMatch, 128);
        flood.Run(QPoint(0, 0));
        QVERIFY(flood.Taken(5, 5));
        QVERIFY(!flood.Taken(10, 3));
        QVERIFY(!flood.Taken(15, 3));
        QCOMPARE(flood.PixelCount(), qint64(100));
    }

    void toleranceZeroTakesOnlyTheSeed()
    {
        QImage image = cqtest::filledImage(30, 30, qRgba(9, 9, 9, 255));
        for (auto eMatch : {ScanlineFlood::FillMatch, ScanlineFlood::WandMatch}) {
            ScanlineFlood flood(image, eMatch, 0);
            flood.Run(QPoint(12, 7));
            QCOMPARE(flood.PixelCount(), qint64(1));
            QVERIFY(flood.Taken(12, 7));
            QCOMPARE(flood.Region(), QRegion(12, 7, 1, 1));
        }
    }

    void cornersDoNotJoin()
    {
        // A checkerboard: every white square touches the next only at corners.
        QImage image(16, 16, QImage::Format_ARGB32);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                image.setPixel(x, y, ((x / 4 + y / 4) % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        ScanlineFlood flood(image, ScanlineFlood::WandMatch, 10);
        flood.Run(QPoint(5, 1));
        QCOMPARE(flood.Region(), QRegion(4, 0, 4, 4));
    }

    void wandIgnoresAlpha()
    {
        QImage image(10, 1, QImage::Format_ARGB32);
        for (int x = 0; x < 10; ++x)
            image.setPixel(x, 0, qRgba(100, 100, 100, x * 25));
        ScanlineFlood wand(image, ScanlineFlood::WandMatch, 1);
        wand.Run(QPoint(0, 0));
        QCOMPARE(wand.PixelCount(), qint64(10));
        ScanlineFlood fill(image, ScanlineFlood::FillMatch, 1);
        fill.Run(QPoint(3, 0));
        QCOMPARE(fill.PixelCount(), qint64(1));
    }

    void seedOutsideTakesNothing()
    {
        QImage image = cqtest::filledImage(8, 8, 0);
        ScanlineFlood flood(image, ScanlineFlood::FillMatch, 128);
        flood.Run(QPoint(8, 3));
        QVERIFY(flood.Spans().empty());
        QVERIFY(flood.Region().isEmpty());
    }

    void regionBandsRowsAlike()
    {
        // A uniform area is one rectangle, not one per row.
        QImage image = cqtest::filledImage(300, 200, qRgb(1, 2, 3));
        ScanlineFlood flood(image, ScanlineFlood::WandMatch, 5);
        flood.Run(QPoint(150, 100));
        QCOMPARE(flood.Region().rectCount(), 1);
        QCOMPARE(flood.Region(), QRegion(0, 0, 300, 200));
    }
};

QTEST_MAIN(TestFlood)
#include "tst_flood.moc"
