// Histograms and auto level: both counting kernels equal a plain count on
// awkward sizes, transparent pixels never count, auto level stretches by the
// rules (threshold, a sprite on a transparent layer, nothing to stretch),
// and `cqtool histogram` prints what the counter counts.
#include "AutoLevelFilter.h"
#include "Histogram.h"
#include "HistogramCounter.h"
#include "QCLContext.h"
#include "TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class HistogramTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void kernelsCountLikeTheHost();
    void transparentPixelsDoNotCount();
    void autoLevelStretches();
    void autoLevelThreshold();
    void autoLevelLeavesUnstretchableImages();
    void autoLevelKernelsMatchReference();
    void cqtoolPrintsTheHistograms();

private:
    QImage autoLevel(int iMode, const QImage &image);

    QCLContext m_context;
    QCLProgram m_program;
};

namespace {

QImage redRamp(int lo, int hi, int copies)
{
    QImage image(hi - lo + 1, copies, QImage::Format_ARGB32);
    for (int y = 0; y < copies; ++y)
        for (int x = 0; x <= hi - lo; ++x)
            image.setPixel(x, y, qRgba(lo + x, 90, 200, 255));
    return image;
}

// The pattern squeezed into 40..180 in every channel, so that every mode has
// something to stretch.
QImage narrowPattern(int w, int h, quint32 seed)
{
    QImage image = cqtest::patternImage(w, h, seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            image.setPixel(x, y, qRgba(40 + qRed(p) * 140 / 255, 40 + qGreen(p) * 140 / 255,
                                       40 + qBlue(p) * 140 / 255, qAlpha(p)));
        }
    return image;
}

} // namespace

void HistogramTest::initTestCase()
{
    QVERIFY2(cqtest::createCpuContext(m_context), "an OpenCL CPU device is required");
    m_program = m_context.buildProgramFromSourceFile(QStringLiteral(":/Filters/histogram.cl"));
    QVERIFY(!m_program.isNull());
}

QImage HistogramTest::autoLevel(int iMode, const QImage &image)
{
    AutoLevelFilter filter(iMode);
    if (!filter.Initialize(&m_context).isEmpty())
        return QImage();
    return filter.Run(image, {});
}

void HistogramTest::kernelsCountLikeTheHost()
{
    QCLKernel shared = m_program.createKernel(QStringLiteral("CreateHistogram"));
    QCLKernel runs = m_program.createKernel(QStringLiteral("CreateHistogramRuns"));
    QCLBuffer counts = m_context.createBufferDevice(sizeof(HistogramData::counts), QCLMemoryObject::ReadWrite);
    // Sizes around the 16-pixel blocks and the runs, and one with many runs.
    const QSize sizes[] = {{1, 1}, {37, 1}, {1, 29}, {17, 13}, {300, 41}, {1000, 700}};
    quint32 seed = 3;
    for (const QSize &size : sizes) {
        QImage image = cqtest::patternImage(size.width(), size.height(), seed++);
        // A flat band: many pixels in the same buckets.
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, 0, qRgba(12, 34, 56, 255));
        const HistogramData expected = histogramReference(image);
        QCLBuffer input = m_context.createBufferCopy(image.constBits(), size_t(image.sizeInBytes()),
                                                     QCLMemoryObject::ReadOnly);
        const size_t pixels = size_t(size.width()) * size.height();
        for (auto method : {Histogram::Method::SharedBuckets, Histogram::Method::PrivateRuns}) {
            HistogramData data;
            QVERIFY(Histogram::Count(shared, runs, input, pixels, counts, HistogramData::kAllChannels, &data, method));
            QVERIFY2(data == expected, qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
            // Only the channels asked for: each alone (as auto level asks,
            // saturation and lightness without the hue), and a pair.
            for (int c = 0; c < HistogramData::kChannels; ++c) {
                QVERIFY(Histogram::Count(shared, runs, input, pixels, counts, 1 << c, &data, method));
                for (int other = 0; other < HistogramData::kChannels; ++other)
                    QCOMPARE(data.peaks[other], other == c ? expected.peaks[c] : 0);
                QCOMPARE(data.counts[c], expected.counts[c]);
            }
            const int some = HistogramData::Bit(HistogramData::Blue) | HistogramData::Bit(HistogramData::Lightness);
            QVERIFY(Histogram::Count(shared, runs, input, pixels, counts, some, &data, method));
            QCOMPARE(data.counts[HistogramData::Blue], expected.counts[HistogramData::Blue]);
            QCOMPARE(data.counts[HistogramData::Lightness], expected.counts[HistogramData::Lightness]);
            QCOMPARE(data.peaks[HistogramData::Red], 0);
            QCOMPARE(data.peaks[HistogramData::Hue], 0);
        }
    }
    // The counter the panel and cqtool use gives the same.
    HistogramCounter counter(m_context);
    QVERIFY(counter.Initialize().isEmpty());
    const QImage image = cqtest::patternImage(123, 45, 99);
    HistogramData data;
    QVERIFY(counter.Count(image, &data));
    QVERIFY(data == histogramReference(image));
}

void HistogramTest::transparentPixelsDoNotCount()
{
    HistogramCounter counter(m_context);
    QVERIFY(counter.Initialize().isEmpty());
    QImage clear(64, 48, QImage::Format_ARGB32);
    clear.fill(qRgba(200, 100, 50, 0));
    HistogramData data;
    QVERIFY(counter.Count(clear, &data));
    QVERIFY(data == HistogramData());
    QCOMPARE(data.peaks, (std::array<int, 6>{}));
    // One visible pixel counts once in each channel.
    clear.setPixel(5, 5, qRgba(255, 0, 0, 1));
    QVERIFY(counter.Count(clear, &data));
    QCOMPARE(data.counts[HistogramData::Red][255], 1);
    QCOMPARE(data.counts[HistogramData::Lightness][127], 1);
    QCOMPARE(data.peaks, (std::array<int, 6>{1, 1, 1, 1, 1, 1}));
}

void HistogramTest::autoLevelStretches()
{
    // Red spanning 20..200, every value once: 20 -> 0, 200 -> 255.
    const QImage ramp = redRamp(20, 200, 1);
    const QImage red = autoLevel(AutoLevelFilter::Red, ramp);
    QCOMPARE(red, autoLevelReference(ramp, AutoLevelFilter::Red));
    QCOMPARE(qRed(red.pixel(0, 0)), 0);
    QCOMPARE(qRed(red.pixel(180, 0)), 255);
    QCOMPARE(qRed(red.pixel(45, 0)), 64); // (65 - 20) / 180 of 255 is 63.75
    QCOMPARE(qGreen(red.pixel(45, 0)), 90);
    // Another channel's filter leaves red alone: its own range is one value.
    QCOMPARE(autoLevel(AutoLevelFilter::Green, ramp), ramp);

    // A small sprite on a large transparent layer: only its pixels count, so
    // it still has a range; transparent pixels are stretched too.
    QImage layer(200, 200, QImage::Format_ARGB32);
    layer.fill(qRgba(100, 0, 0, 0));
    for (int i = 0; i < 100; ++i)
        layer.setPixel(50 + i % 10, 50 + i / 10, qRgba(50 + i, 10, 10, 255));
    const QImage sprite = autoLevel(AutoLevelFilter::Red, layer);
    QCOMPARE(qRed(sprite.pixel(50, 50)), 0);
    QCOMPARE(qRed(sprite.pixel(59, 59)), 255);
    QCOMPARE(sprite.pixel(0, 0), qRgba(129, 0, 0, 0)); // (100 - 50) / 99 of 255
}

void HistogramTest::autoLevelThreshold()
{
    // 20000 pixels: a bucket needs more than 2 of them to set the range.
    QImage image = redRamp(50, 149, 200);
    image.setPixel(0, 0, qRgb(10, 90, 200));
    image.setPixel(1, 0, qRgb(10, 90, 200));
    image.setPixel(2, 0, qRgb(250, 90, 200));
    image.setPixel(3, 0, qRgb(250, 90, 200));
    const QImage red = autoLevel(AutoLevelFilter::Red, image);
    QCOMPARE(red, autoLevelReference(image, AutoLevelFilter::Red));
    QCOMPARE(qRed(red.pixel(0, 50)), 0);    // 50, the lowest counted bucket
    QCOMPARE(qRed(red.pixel(99, 50)), 255); // 149, the highest
    QCOMPARE(qRed(red.pixel(0, 0)), 0);     // 10, below the range
    QCOMPARE(qRed(red.pixel(3, 0)), 255);   // 250, above it
    // A third pixel makes 250 count: the range reaches it.
    image.setPixel(4, 0, qRgb(250, 90, 200));
    QCOMPARE(qRed(autoLevel(AutoLevelFilter::Red, image).pixel(99, 50)), 255 * 99 / 200);
}

void HistogramTest::autoLevelLeavesUnstretchableImages()
{
    // Nothing counted, or every counted value in one bucket: no range to
    // stretch, and going through HSL and back must not change a pixel either.
    QImage clear = cqtest::patternImage(40, 30, 5);
    for (int y = 0; y < clear.height(); ++y)
        for (int x = 0; x < clear.width(); ++x)
            clear.setPixel(x, y, clear.pixel(x, y) & 0x00ffffffu);
    QImage flat(33, 17, QImage::Format_ARGB32);
    flat.fill(qRgba(10, 200, 77, 180));
    for (int mode = AutoLevelFilter::Lightness; mode <= AutoLevelFilter::Blue; ++mode) {
        QCOMPARE(autoLevel(mode, clear), clear);
        QCOMPARE(autoLevel(mode, flat), flat);
    }
}

void HistogramTest::autoLevelKernelsMatchReference()
{
    for (const QSize &size : {QSize(1, 1), QSize(37, 1), QSize(17, 13), QSize(301, 40)}) {
        const QImage image = narrowPattern(size.width(), size.height(), quint32(size.width()));
        for (int mode = AutoLevelFilter::Lightness; mode <= AutoLevelFilter::Blue; ++mode) {
            const QImage device = autoLevel(mode, image), host = autoLevelReference(image, mode);
            QVERIFY(!device.isNull());
            QVERIFY2(cqtest::offByMoreThan(device, host, 0) == 0, qPrintable(AutoLevelFilter::NameOf(mode)));
        }
    }
}

void HistogramTest::cqtoolPrintsTheHistograms()
{
    QTemporaryDir dir;
    const QImage image = cqtest::patternImage(61, 23, 8);
    const QString in = dir.filePath(QStringLiteral("in.png"));
    QVERIFY(image.save(in));
    QProcess tool;
    const QString cqtool = QString::fromLocal8Bit(qgetenv("CQ_BINARY_DIR")) + QStringLiteral("/cqtool");
    tool.start(cqtool, {QStringLiteral("histogram"), in});
    QVERIFY(tool.waitForFinished(120000));
    QCOMPARE(tool.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), HistogramData::kChannels);
    const HistogramData expected = histogramReference(image);
    for (int c = 0; c < HistogramData::kChannels; ++c) {
        QStringList line{HistogramData::ChannelName(c), QString::number(expected.peaks[c])};
        for (int n : expected.counts[c])
            line << QString::number(n);
        QCOMPARE(lines[c], line.join(QLatin1Char(' ')));
    }

    tool.start(cqtool, {QStringLiteral("histogram"), dir.filePath(QStringLiteral("absent.png"))});
    QVERIFY(tool.waitForFinished(120000));
    QCOMPARE(tool.exitCode(), 1);
    QVERIFY(tool.readAllStandardOutput().isEmpty());
    const QString error = QString::fromUtf8(tool.readAllStandardError());
    QVERIFY(error.contains(QStringLiteral("absent.png")));
    QCOMPARE(error.count(QLatin1Char('\n')), 1);
}

QTEST_MAIN(HistogramTest)
#include "tst_histogram.moc"
