// Every filter's kernels against its host reference on the CPU device, on
// sizes that exercise the edges, plus fixed anchors.
#include "FilterBuffers.h"
#include "FilterRegistry.h"
#include "KernelFilter.h"
#include "GaussianBlur.h"
#include "HslMath.h"
#include "MotionBlur.h"
#include "PosterizeFilter.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "TestSupport.h"

#include <QtTest>

class FilterKernelsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void matchesReference_data();
    void matchesReference();
    void everyColour_data();
    void everyColour();
    void anchors();
    void gaussianWeights();
    void gaussianInBandsIsTheWhole();
    void motionOffsets();
    void hslConversion();

private:
    KernelFilter *filter(const QString &name);
    QImage run(const QString &name, const QImage &image, const QStringList &arguments);

    QCLContext m_context;
    std::unique_ptr<ProgramCache> m_cache;
    std::unique_ptr<FilterRegistry> m_registry;
};

namespace {

QImage solid(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

quint32 pixel(const QImage &image, int x, int y)
{
    return reinterpret_cast<const quint32 *>(image.constScanLine(y))[x];
}

} // namespace

void FilterKernelsTest::initTestCase()
{
    QVERIFY2(cqtest::createCpuContext(m_context), "an OpenCL CPU device is required");
    m_cache = std::make_unique<ProgramCache>(m_context);
    m_registry = std::make_unique<FilterRegistry>(*m_cache, nullptr);
    m_registry->Populate({});
    for (FilterPlugin *pFilter : m_registry->Filters())
        QVERIFY2(m_registry->Load(pFilter).isEmpty(), qPrintable(pFilter->GetName()));
}

KernelFilter *FilterKernelsTest::filter(const QString &name)
{
    return qobject_cast<KernelFilter *>(m_registry->Find(name)->GetObject());
}

QImage FilterKernelsTest::run(const QString &name, const QImage &image, const QStringList &arguments)
{
    KernelFilter *pFilter = filter(name);
    FilterValues values;
    QString error;
    if (!FilterValues::parse(pFilter->Params(), arguments, &values, &error))
        qWarning("%s", qPrintable(error));
    return pFilter->Run(image, values);
}

void FilterKernelsTest::matchesReference_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("tolerance");

    // Floating-point kernels may round one step differently (fused or
    // reordered arithmetic); the integer ones never.
    auto add = [](const QString &name, const QStringList &args, int tolerance) {
        QTest::newRow(qPrintable(name + QLatin1Char(' ') + args.join(QLatin1Char(' '))))
            << name << args << tolerance;
    };
    add(QStringLiteral("Invert Colors"), {}, 0);
    add(QStringLiteral("Image Adjust/Grayscale"), {}, 1);
    add(QStringLiteral("Image Adjust/Sepia"), {}, 1);
    for (const char *b : {"brightness=0 contrast=0", "brightness=40 contrast=-100", "brightness=-255 contrast=255"})
        add(QStringLiteral("Image Adjust/Brightness | Contrast"), QString::fromLatin1(b).split(' '), 1);
    for (const char *l : {"red=20 green=-50 blue=128 monochrome=0", "red=-128 green=0 blue=64 monochrome=1"})
        add(QStringLiteral("Image Adjust/Levels"), QString::fromLatin1(l).split(' '), 1);
    for (const char *m : {"red=100,0,0 green=0,100,0 blue=0,0,100 gray=100,100,100 monochrome=0 luminosity=1",
                          "red=50,-70,120 green=200,-200,0 blue=33,33,34 gray=1,2,3 monochrome=0 luminosity=1",
                          "red=50,-70,120 green=0,0,0 blue=33,33,34 gray=30,-60,90 monochrome=1 luminosity=1",
                          "red=50,-70,120 green=0,0,0 blue=33,33,34 gray=30,-60,90 monochrome=1 luminosity=0"})
        add(QStringLiteral("Image Adjust/Channel Mixer"), QString::fromLatin1(m).split(' '), 0);
    for (const char *h : {"hue=120 saturation=-80 lightness=30", "hue=300 saturation=255 lightness=-255 range=200,100",
                          "hue=45 saturation=10 lightness=10 range=330,60"})
        add(QStringLiteral("Image Adjust/Color Substitute"), QString::fromLatin1(h).split(' '), 0);
    for (const char *t : {"red=0 green=128 blue=255", "red=17 green=200 blue=90"})
        add(QStringLiteral("Solarize"), QString::fromLatin1(t).split(' '), 0);
    for (const char *t : {"red=2 green=5 blue=64", "red=3 green=7 blue=11"})
        add(QStringLiteral("Posterize"), QString::fromLatin1(t).split(' '), 0);
    for (int r : {3, 5, 10, 31, 175})
        add(QStringLiteral("Blurs/Gaussian"), {QStringLiteral("radius=%1").arg(r)}, 1);
    for (int s : {2, 3, 16, 25, 174, 175})
        add(QStringLiteral("Blurs/Box"), {QStringLiteral("size=%1").arg(s)}, 0);
    for (const char *m : {"angle=0 distance=0", "angle=0 distance=10", "angle=45 distance=7", "angle=135 distance=33",
                          "angle=200 distance=99", "angle=300 distance=50", "angle=90 distance=20"})
        add(QStringLiteral("Blurs/Motion Blur"), QString::fromLatin1(m).split(' '), 0);
    // Auto level: tst_histogram, on pictures that leave every mode a range to stretch.
    for (const char *name : {"Sharpen", "Emboss", "Edge Detect/Color Difference"})
        add(QString::fromLatin1(name), {}, 0);
    for (int s : {2, 3, 16, 30, 175})
        add(QStringLiteral("Pixelate"), {QStringLiteral("size=%1").arg(s)}, 0);
    for (const char *j : {"size=2 seed=0", "size=3 seed=7", "size=17 seed=2147483647", "size=175 seed=12345"})
        add(QStringLiteral("Jitter"), QString::fromLatin1(j).split(' '), 0);
    for (const char *b : {"threshold=225 radius=8", "threshold=0 radius=3", "threshold=100 radius=40"})
        add(QStringLiteral("Glows/Bloom"), QString::fromLatin1(b).split(' '), 1);
    for (const char *g : {"blur=10 intensity=60", "blur=3 intensity=1", "blur=99 intensity=100", "blur=25 intensity=33"})
        add(QStringLiteral("Glows/Glamour"), QString::fromLatin1(g).split(' '), 2);
}

void FilterKernelsTest::matchesReference()
{
    QFETCH(QString, name);
    QFETCH(QStringList, arguments);
    QFETCH(int, tolerance);
    KernelFilter *pFilter = filter(name);
    FilterValues values;
    QString error;
    QVERIFY2(FilterValues::parse(pFilter->Params(), arguments, &values, &error), qPrintable(error));
    // 1x1, one-pixel strips, odd sizes, sizes around the 16-pixel blocks and
    // the 256-pixel row chunks, and a fully transparent corner.
    const QSize sizes[] = {{1, 1}, {37, 1}, {1, 29}, {17, 13}, {33, 31}, {300, 41}, {529, 20}};
    quint32 seed = 1;
    for (const QSize &size : sizes) {
        QImage image = cqtest::patternImage(size.width(), size.height(), seed++);
        for (int y = 0; y < qMin(3, image.height()); ++y)
            for (int x = 0; x < qMin(3, image.width()); ++x)
                image.setPixel(x, y, qRgba(200, 100, 50, 0));
        const QImage device = pFilter->Run(image, values);
        const QImage host = pFilter->Reference(image, values);
        QVERIFY2(!device.isNull(), qPrintable(name));
        const qint64 off = cqtest::offByMoreThan(device, host, tolerance);
        QVERIFY2(off == 0, qPrintable(QStringLiteral("%1x%2: %3 pixels off").arg(size.width()).arg(size.height()).arg(off)));
    }
}

void FilterKernelsTest::everyColour_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("arguments");

    // The hue kernels turn 8-bit hues into degrees and back and pick the
    // channel to interpolate from the 8-bit hue: every colour, turned by 3
    // and by 0 degrees, which between them reach every 8-bit hue afterwards.
    const QString substitute = QStringLiteral("Image Adjust/Color Substitute");
    for (const char *h : {"hue=3 saturation=0 lightness=0", "hue=0 saturation=100 lightness=-100",
                          "hue=180 saturation=-100 lightness=100 range=330,60"})
        QTest::newRow(h) << substitute << QString::fromLatin1(h).split(' ');
}

void FilterKernelsTest::everyColour()
{
    QFETCH(QString, name);
    QFETCH(QStringList, arguments);
    KernelFilter *pFilter = filter(name);
    FilterValues values;
    QString error;
    QVERIFY2(FilterValues::parse(pFilter->Params(), arguments, &values, &error), qPrintable(error));
    // Each of the 2^24 colours once; alpha varies so that it is seen kept.
    QImage image(4096, 4096, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = quint32(x * 37 + y) << 24 | quint32(y) << 12 | quint32(x);
    }
    const qint64 off = cqtest::offByMoreThan(pFilter->Run(image, values), pFilter->Reference(image, values), 0);
    QVERIFY2(off == 0, qPrintable(QStringLiteral("%1 colours off").arg(off)));
}

void FilterKernelsTest::anchors()
{
    // Grayscale of pure red is 76; of white 255.
    QCOMPARE(pixel(run(QStringLiteral("Image Adjust/Grayscale"), solid(3, 1, qRgb(255, 0, 0)), {}), 2, 0),
             qRgb(76, 76, 76));
    QCOMPARE(pixel(run(QStringLiteral("Image Adjust/Grayscale"), solid(1, 1, qRgb(255, 255, 255)), {}), 0, 0),
             qRgb(255, 255, 255));
    // Sepia of white: blue is 0.272 + 0.534 + 0.131 of 255.
    QCOMPARE(pixel(run(QStringLiteral("Image Adjust/Sepia"), solid(2, 2, qRgb(255, 255, 255)), {}), 1, 1),
             qRgb(255, 255, 238));
    // Invert keeps alpha and the colour of transparent pixels.
    QCOMPARE(pixel(run(QStringLiteral("Invert Colors"), solid(1, 1, qRgba(10, 20, 30, 0)), {}), 0, 0),
             qRgba(245, 235, 225, 0));

    // Two levels: 0..63 -> 0, 64..191 -> 127, 192..255 -> 255.
    QImage ramp(256, 1, QImage::Format_ARGB32);
    for (int x = 0; x < 256; ++x)
        ramp.setPixel(x, 0, qRgb(x, x, x));
    const QImage two = run(QStringLiteral("Posterize"), ramp, {"red=2", "green=2", "blue=2"});
    for (int x = 0; x < 256; ++x)
        QCOMPARE(qRed(pixel(two, x, 0)), x < 64 ? 0 : (x < 192 ? 127 : 255));
    // Every level count, each channel with its own, over every channel value.
    for (int n = 2; n <= 64; ++n) {
        const int red = n, green = 66 - n, blue = n * 7 % 63 + 2;
        const QImage levels = run(QStringLiteral("Posterize"), ramp,
                                  {QStringLiteral("red=%1").arg(red), QStringLiteral("green=%1").arg(green),
                                   QStringLiteral("blue=%1").arg(blue)});
        QVERIFY2(cqtest::offByMoreThan(levels, posterizeReference(ramp, red, green, blue), 0) == 0,
                 qPrintable(QStringLiteral("levels %1 %2 %3").arg(red).arg(green).arg(blue)));
    }
    // Solarize 255 changes nothing; 0 inverts everything above 0.
    QCOMPARE(run(QStringLiteral("Solarize"), ramp, {"red=255", "green=255", "blue=255"}), ramp);
    const QImage inverted = run(QStringLiteral("Solarize"), ramp, {"red=0", "green=0", "blue=0"});
    for (int x = 0; x < 256; ++x)
        QCOMPARE(qBlue(pixel(inverted, x, 0)), x > 0 ? 255 - x : 0);

    const QImage pattern = cqtest::patternImage(45, 23, 7);
    // Identity settings leave the image as it was.
    QCOMPARE(run(QStringLiteral("Image Adjust/Brightness | Contrast"), pattern, {"brightness=0", "contrast=0"}), pattern);
    QCOMPARE(run(QStringLiteral("Image Adjust/Channel Mixer"), pattern,
                 {"red=100,0,0", "green=0,100,0", "blue=0,0,100", "gray=100,100,100", "monochrome=0", "luminosity=1"}),
             pattern);
    QCOMPARE(run(QStringLiteral("Blurs/Motion Blur"), pattern, {"angle=123", "distance=0"}), pattern);
    // A zero-sum row keeps its factor 1 instead of dividing by zero.
    const QImage zero = run(QStringLiteral("Image Adjust/Channel Mixer"), solid(1, 1, qRgb(200, 100, 50)),
                            {"red=100,-100,0", "green=0,100,0", "blue=0,0,100", "gray=100,100,100", "monochrome=0",
                             "luminosity=1"});
    QCOMPARE(pixel(zero, 0, 0), qRgb(100, 100, 50));
    // Contrast 255 pushes channels to 0 or 255, except 128.
    const QImage hard = run(QStringLiteral("Image Adjust/Brightness | Contrast"), ramp, {"brightness=0", "contrast=255"});
    for (int x = 0; x < 256; ++x)
        QCOMPARE(qRed(pixel(hard, x, 0)), x < 128 ? 0 : (x == 128 ? 128 : 255));
    // Levels in monochrome with all sliders at 0: trunc(128/255 (R + G + B)).
    const QImage mono = run(QStringLiteral("Image Adjust/Levels"), solid(1, 1, qRgb(10, 20, 30)),
                            {"red=0", "green=0", "blue=0", "monochrome=1"});
    QCOMPARE(qRed(pixel(mono, 0, 0)), 30);

    // A substitution that shifts nothing leaves every pixel exactly as it
    // was, over the whole image or within a range.
    QCOMPARE(run(QStringLiteral("Image Adjust/Color Substitute"), pattern, {"hue=0", "saturation=0", "lightness=0"}),
             pattern);
    QCOMPARE(run(QStringLiteral("Image Adjust/Color Substitute"), pattern,
                 {"hue=0", "saturation=0", "lightness=0", "range=0,359"}),
             pattern);
    // A grey pixel shows only the lightness adjustment.
    const QRgb grey = pixel(run(QStringLiteral("Image Adjust/Color Substitute"), solid(1, 1, qRgb(100, 100, 100)),
                                {"hue=200", "saturation=0", "lightness=20"}),
                            0, 0);
    QCOMPARE(qRed(grey), qGreen(grey));
    QCOMPARE(qGreen(grey), qBlue(grey));
    QVERIFY(qAbs(qRed(grey) - 120) <= 1);

    // Box size 2 averages the 2x2 window up and left of each pixel.
    QImage four(2, 2, QImage::Format_ARGB32);
    four.setPixel(0, 0, qRgba(0, 0, 0, 10));
    four.setPixel(1, 0, qRgba(100, 4, 8, 20));
    four.setPixel(0, 1, qRgba(20, 40, 60, 30));
    four.setPixel(1, 1, qRgba(40, 80, 120, 40));
    const QImage box = run(QStringLiteral("Blurs/Box"), four, {"size=2"});
    QCOMPARE(pixel(box, 1, 1), qRgba((0 + 100 + 20 + 40) / 4, (0 + 4 + 40 + 80) / 4, (0 + 8 + 60 + 120) / 4, 40));
    // Blurs keep alpha 0 where it was 0.
    QImage clear = cqtest::patternImage(40, 30, 3);
    clear.setPixel(20, 15, qRgba(1, 2, 3, 0));
    QCOMPARE(qAlpha(pixel(run(QStringLiteral("Blurs/Gaussian"), clear, {"radius=9"}), 20, 15)), 0);
    QCOMPARE(qAlpha(pixel(run(QStringLiteral("Blurs/Box"), clear, {"size=9"}), 20, 15)), 0);
}

void FilterKernelsTest::gaussianWeights()
{
    // Symmetric, summing to 1.
    for (int radius : {3, 5, 175}) {
        const QList<float> w = GaussianBlur::Weights(radius);
        QCOMPARE(w.size(), 2 * radius + 1);
        double sum = 0;
        for (int i = 0; i < w.size(); ++i) {
            QCOMPARE(w[i], w[w.size() - 1 - i]);
            sum += w[i];
        }
        QVERIFY(qAbs(sum - 1.0) < 1e-5);
    }
    // Same sigma, so the same shape: neighbours fall off by the same ratio.
    const QList<float> w3 = GaussianBlur::Weights(3), w5 = GaussianBlur::Weights(5);
    QVERIFY(qAbs(w3[4] / w3[3] - w5[6] / w5[5]) < 1e-6);
}

void FilterKernelsTest::gaussianInBandsIsTheWhole()
{
    // Large pictures blur band by band through a ring of rows: every ring
    // from one row of output a band up, in place or not, gives the whole
    // run's pixels exactly (rows mirrored at both ends, the last band short,
    // columns past the last block of 16).
    QCLProgram program = m_cache->program(QStringLiteral(":/Filters/convolutionFilters.cl"));
    QCLKernel horizontal = program.createKernel(QStringLiteral("convolve1DHorizontal"));
    QCLKernel vertical = program.createKernel(QStringLiteral("convolve1DVertical"));
    const QImage image = cqtest::patternImage(67, 97, 11);
    const size_t bytes = size_t(image.sizeInBytes());
    for (int radius : {3, 10, 31}) {
        const QImage whole = run(QStringLiteral("Blurs/Gaussian"), image, {QStringLiteral("radius=%1").arg(radius)});
        for (int ring : {2 * radius + 1, 2 * radius + 5, 96}) {
            for (bool bInPlace : {false, true}) {
                FilterBuffers buffers(m_context, image);
                QCLBuffer from = buffers.scratch(2, bytes);
                QCLBuffer to = bInPlace ? from : buffers.scratch(3, bytes);
                QVERIFY(from.write(image.constBits(), bytes));
                QVERIFY(GaussianBlur::Blur(horizontal, vertical, buffers, from, to, radius, 0, 1, ring));
                QImage banded(image.size(), QImage::Format_ARGB32);
                QVERIFY(to.read(banded.bits(), bytes));
                const QString what = QStringLiteral("radius %1, ring %2%3")
                                         .arg(radius)
                                         .arg(ring)
                                         .arg(bInPlace ? QStringLiteral(", in place") : QString());
                QVERIFY2(banded == whole, qPrintable(what));
            }
        }
    }
}

void FilterKernelsTest::motionOffsets()
{
    // Angle 0 runs straight down; the pixel itself comes first.
    QList<QPoint> down;
    for (int y = 0; y <= 10; ++y)
        down << QPoint(0, y);
    QCOMPARE(MotionBlur::Offsets(0, 10), down);
    QCOMPARE(MotionBlur::Offsets(77, 0), QList<QPoint>{QPoint(0, 0)});
    // 90 degrees turns clockwise on screen, to the left.
    QCOMPARE(MotionBlur::Offsets(90, 3).last(), QPoint(-3, 0));
    const QList<QPoint> diagonal = MotionBlur::Offsets(45, 10);
    QCOMPARE(diagonal.first(), QPoint(0, 0));
    QCOMPARE(diagonal.last(), QPoint(-7, 7));
}

void FilterKernelsTest::hslConversion()
{
    auto hsl = [](int r, int g, int b) {
        const HslMath::Hsl v = HslMath::FromRgb(r, g, b);
        return QList<int>{v.h, v.s, v.l};
    };
    QCOMPARE(hsl(255, 0, 0), (QList<int>{0, 255, 127}));
    QCOMPARE(hsl(0, 255, 0), (QList<int>{85, 255, 127}));
    QCOMPARE(hsl(0, 0, 255), (QList<int>{170, 255, 127}));
    QCOMPARE(hsl(100, 100, 100), (QList<int>{0, 0, 100}));
    // Magenta-red lies just below hue 0 and wraps to the top of the circle.
    QCOMPARE(hsl(255, 0, 128), (QList<int>{235, 255, 127}));
}

QTEST_MAIN(FilterKernelsTest)
#include "tst_filterkernels.moc"
