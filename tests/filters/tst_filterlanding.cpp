// Landing a filter result on a layer: replace inside the selection, mix by a
// feathered mask, leave the rest alone.
#include "FilterLanding.h"
#include "PixelOps.h"
#include "TestSupport.h"

#include <QtTest>

class FilterLandingTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void noSelectionTakesTheWholeResult();
    void selectionReplacesInsideOnly();
    void featheredMaskMixes();
    void mixWeighsColourByAlpha();
    void samePixels();
};

namespace {
quint32 at(const QImage &image, int x, int y)
{
    return reinterpret_cast<const quint32 *>(image.constScanLine(y))[x];
}
} // namespace

void FilterLandingTest::noSelectionTakesTheWholeResult()
{
    const QImage original = cqtest::patternImage(13, 9, 1), result = cqtest::patternImage(13, 9, 2);
    QCOMPARE(FilterLanding::Land(original, result, QRegion()), result);
}

void FilterLandingTest::selectionReplacesInsideOnly()
{
    const QImage original = cqtest::patternImage(40, 30, 3), result = cqtest::patternImage(40, 30, 4);
    // Two rectangles, one reaching past the image's edge.
    const QRegion selection = QRegion(10, 5, 8, 6) + QRegion(35, 20, 20, 20);
    const QImage landed = FilterLanding::Land(original, result, selection);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = selection.contains(QPoint(x, y));
            // Semi-transparent results replace the pixel; nothing is composed.
            QCOMPARE(at(landed, x, y), inside ? at(result, x, y) : at(original, x, y));
        }
}

void FilterLandingTest::featheredMaskMixes()
{
    const QImage original = cqtest::patternImage(20, 10, 5), result = cqtest::patternImage(20, 10, 6);
    // A mask smaller than the image: outside it counts as unselected.
    QImage mask(16, 12, QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 12; ++y)
            mask.setPixel(x, y, qRgba(0, 0, 0, x < 6 ? 0 : (x < 12 ? 255 : 128)));
    const QImage landed = FilterLanding::Land(original, result, QRegion(0, 0, 1, 1), mask);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const int coverage = x < 16 ? qAlpha(mask.pixel(x, y)) : 0;
            QCOMPARE(at(landed, x, y), PixelOps::MixPixel(at(original, x, y), at(result, x, y), coverage));
        }
    QCOMPARE(at(landed, 2, 2), at(original, 2, 2));
    QCOMPARE(at(landed, 8, 2), at(result, 8, 2));
}

void FilterLandingTest::mixWeighsColourByAlpha()
{
    const auto Mix = &PixelOps::MixPixel;
    // Half way between opaque red and opaque blue.
    QCOMPARE(Mix(qRgba(255, 0, 0, 255), qRgba(0, 0, 255, 255), 128), qRgba(127, 0, 128, 255));
    // A transparent original lends no colour: the result's colour at half alpha.
    QCOMPARE(Mix(qRgba(0, 255, 0, 0), qRgba(200, 100, 50, 255), 128), qRgba(200, 100, 50, 128));
    // Both clear: alpha stays 0, colour from the larger share.
    QCOMPARE(Mix(qRgba(100, 0, 0, 0), qRgba(0, 0, 100, 0), 255), qRgba(0, 0, 100, 0));
    QCOMPARE(Mix(qRgba(100, 0, 0, 0), qRgba(0, 0, 100, 0), 0), qRgba(100, 0, 0, 0));
    QCOMPARE(qAlpha(Mix(qRgba(100, 0, 0, 0), qRgba(0, 0, 100, 0), 100)), 0);
}

void FilterLandingTest::samePixels()
{
    const QImage a = cqtest::patternImage(9, 9, 7);
    QImage b = a.copy();
    QVERIFY(FilterLanding::SamePixels(a, b));
    b.setPixel(8, 8, b.pixel(8, 8) ^ 1);
    QVERIFY(!FilterLanding::SamePixels(a, b));
    QVERIFY(!FilterLanding::SamePixels(a, a.copy(0, 0, 9, 8)));
}

QTEST_MAIN(FilterLandingTest)
#include "tst_filterlanding.moc"
