// The glow, stylise and displacement filters at the values where their
// results are known: bloom at threshold 255, glamour at both ends, edge
// detect of flat and one-pixel images, emboss and sharpen of flat areas,
// jitter offsets and seeds, pixelate blocks; and `cqtool filter` with a
// jitter seed.
#include "BloomFilter.h"
#include "FilterRegistry.h"
#include "GaussianBlur.h"
#include "JitterFilter.h"
#include "KernelFilter.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class GlowFiltersTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void glows();
    void edgeDetect();
    void flatAreas();
    void jitter();
    void pixelate();
    void cqtoolJitterSeed();

private:
    QImage run(const QString &name, const QImage &image, const QStringList &arguments);

    QCLContext m_context;
    std::unique_ptr<ProgramCache> m_cache;
    std::unique_ptr<FilterRegistry> m_registry;
    QImage m_pattern = cqtest::patternImage(45, 31, 17);
};

void GlowFiltersTest::initTestCase()
{
    QVERIFY2(cqtest::createCpuContext(m_context), "an OpenCL CPU device is required");
    m_cache = std::make_unique<ProgramCache>(m_context);
    m_registry = std::make_unique<FilterRegistry>(*m_cache, nullptr);
    m_registry->Populate({});
}

QImage GlowFiltersTest::run(const QString &name, const QImage &image, const QStringList &arguments)
{
    auto *pFilter = qobject_cast<KernelFilter *>(m_registry->Find(name)->GetObject());
    if (!m_registry->Load(pFilter).isEmpty())
        return QImage();
    FilterValues values;
    QString error;
    if (!FilterValues::parse(pFilter->Params(), arguments, &values, &error))
        qWarning("%s", qPrintable(error));
    return pFilter->Run(image, values);
}

void GlowFiltersTest::glows()
{
    // Threshold 255 darkens the whole bright pass: nothing is added.
    QImage bright = m_pattern;
    bright.fill(qRgba(255, 255, 255, 200));
    bright.setPixel(3, 3, qRgba(255, 255, 255, 0));
    QCOMPARE(run(QStringLiteral("Glows/Bloom"), m_pattern, {"threshold=255", "radius=8"}), m_pattern);
    QCOMPARE(run(QStringLiteral("Glows/Bloom"), bright, {"threshold=255", "radius=3"}), bright);
    // A bright dot glows on its dark surroundings; a transparent one does not.
    QImage dot(31, 31, QImage::Format_ARGB32);
    dot.fill(qRgb(0, 0, 0));
    dot.setPixel(15, 15, qRgb(255, 255, 255));
    const QImage glow = run(QStringLiteral("Glows/Bloom"), dot, {"threshold=200", "radius=6"});
    QVERIFY(qRed(glow.pixel(17, 15)) > 0);
    QCOMPARE(qAlpha(glow.pixel(17, 15)), 255);
    dot.setPixel(15, 15, qRgba(255, 255, 255, 0));
    QCOMPARE(run(QStringLiteral("Glows/Bloom"), dot, {"threshold=200", "radius=6"}), dot);

    // Intensity 100 is the blur alone, with the image's own alpha.
    const QImage blurred = gaussianBlurReference(m_pattern, 12);
    const QImage full = run(QStringLiteral("Glows/Glamour"), m_pattern, {"blur=12", "intensity=100"});
    QVERIFY(cqtest::offByMoreThan(full, blurred, 1) == 0);
    // Intensity 1: 99 % of the image (truncated) and 1 % of the blur.
    const QImage faint = run(QStringLiteral("Glows/Glamour"), m_pattern, {"blur=12", "intensity=1"});
    for (const QPoint &p : {QPoint(0, 0), QPoint(20, 13), QPoint(44, 30)}) {
        const QRgb in = m_pattern.pixel(p), out = faint.pixel(p);
        QCOMPARE(qAlpha(out), qAlpha(in));
        QVERIFY(qAbs(qRed(out) - (int(qRed(in) * 0.99f) + int(qRed(blurred.pixel(p)) * 0.01f))) <= 1);
    }
}

void GlowFiltersTest::edgeDetect()
{
    // A uniform image has no edges: black, alpha kept.
    QImage flat(20, 9, QImage::Format_ARGB32);
    flat.fill(qRgba(120, 30, 200, 77));
    QImage black = flat;
    black.fill(qRgba(0, 0, 0, 77));
    QCOMPARE(run(QStringLiteral("Edge Detect/Color Difference"), flat, {}), black);
    // Neighbours wrap: a step between the last and the first column shows
    // at both edges.
    QImage step(8, 3, QImage::Format_ARGB32);
    step.fill(qRgb(10, 10, 10));
    for (int y = 0; y < 3; ++y)
        step.setPixel(7, y, qRgb(110, 10, 10));
    const QImage edges = run(QStringLiteral("Edge Detect/Color Difference"), step, {});
    QCOMPARE(qRed(edges.pixel(0, 1)), 100);
    QCOMPARE(qRed(edges.pixel(6, 1)), 100);
    QCOMPARE(qRed(edges.pixel(3, 1)), 0);
    // One pixel wide: the pixel is its own left and right neighbour, so only
    // the changes down the column show (rows wrap too).
    QImage column(1, 4, QImage::Format_ARGB32);
    const int reds[] = {0, 10, 50, 200};
    for (int y = 0; y < 4; ++y)
        column.setPixel(0, y, qRgba(reds[y], 0, 0, 255));
    const QImage columnEdges = run(QStringLiteral("Edge Detect/Color Difference"), column, {});
    QList<int> found;
    for (int y = 0; y < 4; ++y)
        found << qRed(columnEdges.pixel(0, y));
    QCOMPARE(found, (QList<int>{190, 50, 190, 50}));
    QImage single(1, 1, QImage::Format_ARGB32);
    single.fill(qRgba(9, 8, 7, 6));
    QCOMPARE(run(QStringLiteral("Edge Detect/Color Difference"), single, {}).pixel(0, 0), qRgba(0, 0, 0, 6));
}

void GlowFiltersTest::flatAreas()
{
    // Emboss turns a flat area mid grey; sharpen keeps it (11 - 8 = 3, over 3).
    QImage flat(40, 20, QImage::Format_ARGB32);
    flat.fill(qRgba(200, 13, 90, 140));
    QImage grey = flat;
    grey.fill(qRgba(127, 127, 127, 140));
    QCOMPARE(run(QStringLiteral("Emboss"), flat, {}), grey);
    QCOMPARE(run(QStringLiteral("Sharpen"), flat, {}), flat);
    // A lone bright pixel: sharpen raises it to 11/3 (clamped), takes 2/3
    // from its four neighbours (truncated toward zero) and leaves diagonals.
    QImage dot(5, 5, QImage::Format_ARGB32);
    dot.fill(qRgb(30, 30, 30));
    dot.setPixel(2, 2, qRgb(60, 30, 30));
    const QImage sharp = run(QStringLiteral("Sharpen"), dot, {});
    QCOMPARE(qRed(sharp.pixel(2, 2)), (11 * 60 - 8 * 30) / 3);
    QCOMPARE(qRed(sharp.pixel(2, 1)), (11 * 30 - 6 * 30 - 2 * 60) / 3);
    QCOMPARE(qRed(sharp.pixel(1, 1)), 30);
}

void GlowFiltersTest::jitter()
{
    // Size 2: every pixel comes from itself or from one up and/or left.
    QImage numbered(23, 19, QImage::Format_ARGB32);
    for (int y = 0; y < numbered.height(); ++y)
        for (int x = 0; x < numbered.width(); ++x)
            numbered.setPixel(x, y, qRgba(x, y, 0, 255));
    const QImage two = run(QStringLiteral("Jitter"), numbered, {"size=2", "seed=5"});
    QSet<int> dxs, dys;
    for (int y = 0; y < numbered.height(); ++y)
        for (int x = 0; x < numbered.width(); ++x) {
            dxs.insert(qRed(two.pixel(x, y)) - x);
            dys.insert(qGreen(two.pixel(x, y)) - y);
        }
    QCOMPARE(dxs, (QSet<int>{-1, 0}));
    QCOMPARE(dys, (QSet<int>{-1, 0}));
    // The same seed gives the same picture; another seed another one.
    QCOMPARE(run(QStringLiteral("Jitter"), m_pattern, {"size=9", "seed=42"}),
             run(QStringLiteral("Jitter"), m_pattern, {"size=9", "seed=42"}));
    QVERIFY(run(QStringLiteral("Jitter"), m_pattern, {"size=9", "seed=42"})
            != run(QStringLiteral("Jitter"), m_pattern, {"size=9", "seed=43"}));
    // Seeds are drawn independently per pixel and axis: all offsets occur.
    QMap<int, int> seen;
    const quint32 key = JitterFilter::Key(1);
    for (quint32 i = 0; i < 7000; ++i)
        ++seen[JitterFilter::PixelSeed(key, i, i % 2) % 7];
    QCOMPARE(seen.size(), 7);
    for (int n : seen)
        QVERIFY(n > 850 && n < 1150);
}

void GlowFiltersTest::pixelate()
{
    // Larger than the image: nothing moves.
    QCOMPARE(run(QStringLiteral("Pixelate"), m_pattern, {"size=175"}), m_pattern);
    QCOMPARE(run(QStringLiteral("Pixelate"), m_pattern, {"size=45"}), m_pattern);
    // Blocks of 3 across 8 columns take the first pixel of the next block;
    // the last block (6, 7) keeps its pixels.
    QImage row(8, 1, QImage::Format_ARGB32);
    for (int x = 0; x < 8; ++x)
        row.setPixel(x, 0, qRgb(x * 10, 0, 0));
    const QImage blocks = run(QStringLiteral("Pixelate"), row, {"size=3"});
    QList<int> reds;
    for (int x = 0; x < 8; ++x)
        reds << qRed(blocks.pixel(x, 0));
    QCOMPARE(reds, (QList<int>{30, 30, 30, 60, 60, 60, 60, 70}));
}

void GlowFiltersTest::cqtoolJitterSeed()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.png"));
    QVERIFY(m_pattern.save(in));
    const QString cqtool = QString::fromLocal8Bit(qgetenv("CQ_BINARY_DIR")) + QStringLiteral("/cqtool");
    auto jitter = [&](const QString &out, const QStringList &keys) {
        return QProcess::execute(cqtool, QStringList{QStringLiteral("filter"), in, dir.filePath(out),
                                                     QStringLiteral("Jitter")} + keys);
    };
    QCOMPARE(jitter(QStringLiteral("a.png"), {"size=6", "seed=77"}), 0);
    QCOMPARE(jitter(QStringLiteral("b.png"), {"size=6", "seed=77"}), 0);
    QCOMPARE(jitter(QStringLiteral("c.png"), {"size=6"}), 0);
    const QImage a(dir.filePath(QStringLiteral("a.png")));
    QCOMPARE(a.convertToFormat(QImage::Format_ARGB32), jitterReference(m_pattern, 6, 77));
    QCOMPARE(QImage(dir.filePath(QStringLiteral("b.png"))), a);
    QVERIFY(!QImage(dir.filePath(QStringLiteral("c.png"))).isNull());
}

QTEST_MAIN(GlowFiltersTest)
#include "tst_glowfilters.moc"
