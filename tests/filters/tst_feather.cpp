// The selection feather: hand-worked sums, and the kernel against its host
// reference on awkward sizes and radii.
#include "Feather.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "TestSupport.h"

#include <QtTest>

class TestFeather : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void referenceGolden();
    void deviceMatchesReference_data();
    void deviceMatchesReference();
    void nullInput();

private:
    QCLContext m_context;
};

void TestFeather::initTestCase()
{
    QVERIFY2(cqtest::createCpuContext(m_context), "no OpenCL CPU device");
}

static QList<int> alphas(const QImage &image)
{
    QList<int> result;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            result << qAlpha(image.pixel(x, y));
    return result;
}

// Hand-worked values of the forward plus backward running sums.
void TestFeather::referenceGolden()
{
    // Row [255, 0, 0, 0], radius 2: forward 127,127,0,0; backward 127,0,0,0.
    // The vertical pass over one row halves each alpha twice and adds.
    QImage row(4, 1, QImage::Format_ARGB32);
    row.fill(0x00123456);
    row.setPixel(0, 0, 0xff123456);
    const QImage featheredRow = Feather::reference(row, 2);
    QCOMPARE(alphas(featheredRow), (QList<int>{254, 126, 0, 0}));
    QCOMPARE(featheredRow.pixel(1, 0) & 0xffffffu, 0x123456u); // colour kept

    // Radius 1 doubles alpha in each pass, clamped to 255.
    QImage one(2, 1, QImage::Format_ARGB32);
    one.setPixel(0, 0, qRgba(10, 20, 30, 60));
    one.setPixel(1, 0, qRgba(40, 50, 60, 100));
    const QImage featheredOne = Feather::reference(one, 1);
    QCOMPARE(featheredOne.pixel(0, 0), qRgba(10, 20, 30, 240));
    QCOMPARE(featheredOne.pixel(1, 0), qRgba(40, 50, 60, 255));

    // A radius wider than the image averages over the whole line.
    QImage wide(3, 1, QImage::Format_ARGB32);
    wide.fill(qRgba(1, 2, 3, 200));
    // forward sums 200,400,600 / 10 -> 20,40,60; backward 60,40,20; row 80 each.
    // vertical: 80/10 + 80/10 = 16.
    QCOMPARE(alphas(Feather::reference(wide, 10)), (QList<int>{16, 16, 16}));
}

void TestFeather::deviceMatchesReference_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("radius");
    QTest::newRow("1x1 r1") << cqtest::patternImage(1, 1, 1) << 1;
    QTest::newRow("1x1 r5") << cqtest::patternImage(1, 1, 2) << 5;
    QTest::newRow("7x1 r3") << cqtest::patternImage(7, 1, 3) << 3;
    QTest::newRow("1x9 r4") << cqtest::patternImage(1, 9, 4) << 4;
    QTest::newRow("33x17 r1") << cqtest::patternImage(33, 17, 5) << 1;
    QTest::newRow("33x17 r6") << cqtest::patternImage(33, 17, 6) << 6;
    QTest::newRow("31x29 r40") << cqtest::patternImage(31, 29, 7) << 40;
    QTest::newRow("65x3 r0") << cqtest::patternImage(65, 3, 8) << 0;
    QImage transparent(19, 11, QImage::Format_ARGB32);
    transparent.fill(0x00ff8040);
    QTest::newRow("transparent r3") << transparent << 3;

    // A solid selection on transparent ground, as the mask builder draws it.
    QImage mask(101, 77, QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    for (int y = 20; y < 60; ++y)
        for (int x = 15; x < 80; ++x)
            mask.setPixel(x, y, 0xff000000);
    QTest::newRow("mask r20") << mask << 20;
    QImage opaque = cqtest::patternImage(50, 40, 9, false);
    QTest::newRow("opaque r7") << opaque << 7;
}

void TestFeather::deviceMatchesReference()
{
    QFETCH(QImage, image);
    QFETCH(int, radius);
    ProgramCache cache(m_context);
    Feather feather(cache);
    QVERIFY2(feather.isValid(), qPrintable(feather.errorText()));
    const QImage device = feather.apply(image, radius);
    QVERIFY(!device.isNull());
    const QImage host = Feather::reference(image, radius);
    QCOMPARE(device.format(), QImage::Format_ARGB32);
    QCOMPARE(cqtest::differingPixels(device, host), qint64(0));
    // Colour channels are never touched.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QCOMPARE(device.pixel(x, y) & 0xffffffu, image.pixel(x, y) & 0xffffffu);
}

void TestFeather::nullInput()
{
    ProgramCache cache(m_context);
    Feather feather(cache);
    QVERIFY(Feather::reference(QImage(), 3).isNull());
    QVERIFY(feather.apply(QImage(), 3).isNull());
}

QTEST_GUILESS_MAIN(TestFeather)
#include "tst_feather.moc"
