// Dab placement, tip colouring and the pixels a stroke paints.
#include "BrushColorizer.h"
#include "BrushStroke.h"
#include "CQBrush.h"
#include "DabPlacer.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "Random.h"
#include "TestSupport.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>
#include <cmath>

namespace {

QImage roundTip(int size, bool bSoft)
{
    QImage tip(size, size, QImage::Format_ARGB32);
    const double r = size / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x + 0.5 - r, y + 0.5 - r) / r;
            const int a = d >= 1 ? 0 : bSoft ? int(255 * (1 - d * d)) : 255;
            tip.setPixel(x, y, qRgba(0, 0, 0, a));
        }
    return tip;
}

// The centres of the dabs of one move, by the rules: accumulate the
// Manhattan steps and place a dab once they reach size x spacing.
QList<QPoint> centres(const QList<Dab> &dabs, int iSize)
{
    QList<QPoint> result;
    for (const Dab &dab : dabs)
        result << dab.rect.topLeft() + QPoint(iSize / 2, iSize / 2);
    return result;
}

// Source-over of premultiplied pixels, the way a painter blends them.
quint32 over(quint32 src, quint32 dst)
{
    const quint32 inv = 255 - qAlpha(src);
    auto mul = [](quint32 c, quint32 a) {
        const quint32 t = c * a + 128;
        return (t + (t >> 8)) >> 8;
    };
    return qRgba(qRed(src) + mul(qRed(dst), inv), qGreen(src) + mul(qGreen(dst), inv),
                 qBlue(src) + mul(qBlue(dst), inv), qAlpha(src) + mul(qAlpha(dst), inv));
}

} // namespace

class TestBrushEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(cqtest::createCpuContext(m_context), "no OpenCL CPU device");
        m_pCache = std::make_unique<ProgramCache>(m_context);
    }

    void cleanup()
    {
        Random::Unseed();
    }

    void linePixels()
    {
        // Every octant: 8-connected, both ends, max(|dx|, |dy|) + 1 pixels.
        const QList<QPoint> ends = {{7, 3}, {3, 7}, {-3, 7}, {-7, 3}, {-7, -3}, {-3, -7}, {3, -7}, {7, -3}, {0, 0}, {5, 5}};
        for (const QPoint &end : ends) {
            const QPoint start(10, 20);
            const QList<QPoint> pixels = DabPlacer::LinePixels(start, start + end);
            QCOMPARE(pixels.size(), qMax(qAbs(end.x()), qAbs(end.y())) + 1);
            QCOMPARE(pixels.first(), start);
            QCOMPARE(pixels.last(), start + end);
            for (int i = 1; i < pixels.size(); ++i) {
                const QPoint step = pixels[i] - pixels[i - 1];
                QVERIFY(qAbs(step.x()) <= 1 && qAbs(step.y()) <= 1 && step != QPoint());
            }
        }
    }

    void spacingZeroDabsEveryPixel()
    {
        CQBrush brush;
        brush.SetValue(CQBrush::Spacing, 0);
        DabPlacer placer;
        placer.Press(brush, 9, Qt::red, QPoint(0, 0));
        QList<QPoint> expected;
        for (int x = 1; x <= 10; ++x)
            expected << QPoint(x, 0);
        QCOMPARE(centres(placer.Move(brush, 9, Qt::red, QPoint(0, 0), QPoint(10, 0)), 9), expected);
        // Staying put places nothing more.
        QVERIFY(placer.Move(brush, 9, Qt::red, QPoint(10, 0), QPoint(10, 0)).isEmpty());
    }

    void spacingOneCountsAcrossMoves()
    {
        CQBrush brush;
        brush.SetValue(CQBrush::Spacing, 1);
        DabPlacer placer;
        const Dab first = placer.Press(brush, 20, Qt::red, QPoint(0, 5));
        QCOMPARE(first.rect, QRect(-10, -5, 20, 20));
        QList<QPoint> placed;
        QPoint last(0, 5);
        for (int x : {7, 33, 34, 100}) {
            placed << centres(placer.Move(brush, 20, Qt::red, last, QPoint(x, 5)), 20);
            last = QPoint(x, 5);
        }
        QCOMPARE(placed, (QList<QPoint>{{20, 5}, {40, 5}, {60, 5}, {80, 5}, {100, 5}}));
        // Going back counts too: Manhattan length, not displacement; a diagonal
        // step counts two.
        QCOMPARE(centres(placer.Move(brush, 20, Qt::red, last, QPoint(80, 5)), 20), (QList<QPoint>{{80, 5}}));
        placer.Press(brush, 20, Qt::red, QPoint(0, 0));
        QCOMPARE(centres(placer.Move(brush, 20, Qt::red, QPoint(0, 0), QPoint(35, 35)), 20),
                 (QList<QPoint>{{10, 10}, {20, 20}, {30, 30}}));
    }

    void pressGivesOneUnrotatedDab()
    {
        CQBrush brush;
        brush.SetValue(CQBrush::AngleJitter, 360);
        brush.SetValue(CQBrush::Spacing, 0);
        BrushStroke stroke(*m_pCache);
        brush.SetImage(roundTip(9, false));
        stroke.SetBrush(&brush);
        stroke.SetSize(9);
        stroke.SetColor(Qt::blue);
        QImage buffer(40, 40, QImage::Format_ARGB32_Premultiplied);
        buffer.fill(Qt::transparent);
        QPainter painter(&buffer);
        QCOMPARE(stroke.Press(painter, QPoint(20, 20)), QRect(16, 16, 9, 9));
        painter.end();
        // The unrotated hard tip: the dab's corners stay clear, its middle row is
        // the tip's middle row.
        QCOMPARE(qAlpha(buffer.pixel(16, 16)), 0);
        QCOMPARE(buffer.pixel(20, 20), qRgba(0, 0, 255, 255));
        QCOMPARE(cqtest::differingPixels(buffer.copy(16, 16, 9, 9),
                                         BrushColorizer::Reference(roundTip(9, false), Qt::blue)
                                             .convertToFormat(QImage::Format_ARGB32_Premultiplied)),
                 0);
    }

    void jitterWrapsAndClamps()
    {
        // Find seeds whose first draw of v(20) is +20 and of v(10) is -10.
        auto seedFor = [](int spread, int wanted) {
            for (quint32 seed = 1;; ++seed)
                if (QRandomGenerator(seed).bounded(qint64(-spread), qint64(spread) + 1) == wanted)
                    return seed;
        };
        CQBrush brush;
        DabPlacer placer;
        Dab dab;

        brush.SetValue(CQBrush::HueJitter, 20);
        Random::Seed(seedFor(20, 20));
        placer.Reset();
        QVERIFY(placer.NextDab(brush, 10, QColor::fromHsl(350, 200, 100), QPoint(), QPoint(), &dab));
        QCOMPARE(dab.color.hslHue(), 10);

        brush.SetValue(CQBrush::HueJitter, 0);
        brush.SetValue(CQBrush::SaturationJitter, 20);
        Random::Seed(seedFor(20, 20));
        placer.Reset();
        QVERIFY(placer.NextDab(brush, 10, QColor::fromHsl(120, 250, 100), QPoint(), QPoint(), &dab));
        QCOMPARE(dab.color.hslSaturation(), 255);
        QCOMPARE(dab.color.hslHue(), 120);

        brush.SetValue(CQBrush::SaturationJitter, 0);
        brush.SetValue(CQBrush::OpacityJitter, 10);
        Random::Seed(seedFor(10, -10));
        placer.Reset();
        QVERIFY(placer.NextDab(brush, 10, QColor::fromHsl(120, 250, 100, 5), QPoint(), QPoint(), &dab));
        QCOMPARE(dab.color.alpha(), 0);

        // Without colour jitter a dab has no colour of its own.
        brush.SetValue(CQBrush::OpacityJitter, 0);
        placer.Reset();
        QVERIFY(placer.NextDab(brush, 10, Qt::red, QPoint(), QPoint(), &dab));
        QVERIFY(!dab.color.isValid());
    }

    void colorizeMatchesReference_data()
    {
        QTest::addColumn<QImage>("tip");
        QTest::addColumn<QColor>("color");
        QTest::newRow("1x1") << cqtest::patternImage(1, 1, 1) << QColor(13, 200, 77, 190);
        QTest::newRow("7x1") << cqtest::patternImage(7, 1, 2) << QColor(255, 255, 255);
        QTest::newRow("1x9") << cqtest::patternImage(1, 9, 3) << QColor(0, 0, 0, 128);
        QTest::newRow("33x17") << cqtest::patternImage(33, 17, 4) << QColor(250, 3, 128, 255);
        QTest::newRow("64x64 soft") << roundTip(64, true) << QColor(10, 120, 240, 77);
        QImage transparent = cqtest::filledImage(19, 11, 0x00808080);
        QTest::newRow("transparent") << transparent << QColor(90, 80, 70);
        QTest::newRow("clear colour") << cqtest::patternImage(5, 5, 5) << QColor(255, 0, 0, 0);
    }

    void colorizeMatchesReference()
    {
        QFETCH(QImage, tip);
        QFETCH(QColor, color);
        BrushColorizer colorizer(*m_pCache);
        QVERIFY2(colorizer.isValid(), qPrintable(colorizer.errorText()));
        const QImage device = colorizer.Colorize(tip, color);
        const QImage reference = BrushColorizer::Reference(tip, color);
        QCOMPARE(cqtest::differingPixels(device, reference), 0);
    }

    void colorizeReusesBuffersForNewTips()
    {
        // Hand-worked: a black opaque pixel takes the colour in full, a white
        // one gives black, half alpha halves the colour's alpha (truncated).
        QImage tip(3, 1, QImage::Format_ARGB32);
        tip.setPixel(0, 0, qRgba(0, 0, 0, 255));
        tip.setPixel(1, 0, qRgba(255, 255, 255, 255));
        tip.setPixel(2, 0, qRgba(0, 0, 0, 128));
        const QColor color(200, 100, 50, 200);
        QCOMPARE(BrushColorizer::Reference(tip, color).pixel(0, 0), qRgba(200, 100, 50, 200));
        QCOMPARE(BrushColorizer::Reference(tip, color).pixel(1, 0), qRgba(0, 0, 0, 200));
        QCOMPARE(qAlpha(BrushColorizer::Reference(tip, color).pixel(2, 0)), 100);

        // Another tip of the same size must not be coloured from the old pixels.
        BrushColorizer colorizer(*m_pCache);
        const QImage a = cqtest::patternImage(16, 16, 11);
        const QImage b = cqtest::patternImage(16, 16, 12);
        const QImage c = cqtest::patternImage(9, 9, 13);
        for (const QImage &image : {a, b, a, c, b})
            QCOMPARE(cqtest::differingPixels(colorizer.Colorize(image, color), BrushColorizer::Reference(image, color)), 0);
        QVERIFY(colorizer.Colorize(a, QColor()).isNull());
    }

    void strokePixelsMatchReference()
    {
        CQBrush brush;
        brush.SetImage(roundTip(31, true));
        brush.SetValue(CQBrush::Spacing, 0.3);
        BrushStroke stroke(*m_pCache);
        QVERIFY2(stroke.Prepare(), qPrintable(stroke.errorText()));
        stroke.SetBrush(&brush);
        stroke.SetSize(11);
        const QColor color(200, 60, 20, 180);
        stroke.SetColor(color);

        QImage buffer(61, 47, QImage::Format_ARGB32_Premultiplied);
        buffer.fill(Qt::transparent);
        const QList<QPoint> path = {{10, 10}, {30, 13}, {30, 40}, {55, 44}, {62, 50}};
        QList<QRect> changed;
        {
            QPainter painter(&buffer);
            changed << stroke.Press(painter, path[0]);
            for (int i = 1; i < path.size(); ++i)
                changed << stroke.MoveTo(painter, path[i]);
        }

        // The reference: the same dabs by the placement rules, each the tip
        // scaled to the size and coloured on the host, blended pixel by pixel.
        const QImage scaled = roundTip(31, true).scaled(11, 11, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage dabImage = BrushColorizer::Reference(scaled, color).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QImage expected(buffer.size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        DabPlacer placer;
        QList<QList<Dab>> moves = {{placer.Press(brush, 11, color, path[0])}};
        for (int i = 1; i < path.size(); ++i)
            moves << placer.Move(brush, 11, color, path[i - 1], path[i]);
        QCOMPARE(moves.size(), changed.size());
        for (int m = 0; m < moves.size(); ++m) {
            QRect united;
            for (const Dab &dab : moves[m]) {
                united |= dab.rect;
                for (int y = 0; y < 11; ++y)
                    for (int x = 0; x < 11; ++x) {
                        const QPoint p = dab.rect.topLeft() + QPoint(x, y);
                        if (expected.rect().contains(p))
                            expected.setPixel(p, over(dabImage.pixel(x, y), expected.pixel(p)));
                    }
            }
            QCOMPARE(changed[m], united & buffer.rect());
        }
        QCOMPARE(cqtest::offByMoreThan(buffer, expected, 1), 0);
        QVERIFY(qAlpha(buffer.pixel(10, 10)) > 0 && qAlpha(buffer.pixel(5, 40)) == 0);
    }

    void deletedBrushPaintsNothing()
    {
        auto *pBrush = new CQBrush;
        pBrush->SetImage(roundTip(8, false));
        BrushStroke stroke(*m_pCache);
        stroke.SetBrush(pBrush);
        QVERIFY(!stroke.ColoredTip().isNull());
        delete pBrush;
        QImage buffer(20, 20, QImage::Format_ARGB32_Premultiplied);
        buffer.fill(Qt::transparent);
        QPainter painter(&buffer);
        QVERIFY(stroke.Press(painter, QPoint(5, 5)).isEmpty());
        QVERIFY(stroke.MoveTo(painter, QPoint(15, 15)).isEmpty());
        painter.end();
        QCOMPARE(buffer.pixel(5, 5), 0u);
    }

private:
    QCLContext m_context;
    std::unique_ptr<ProgramCache> m_pCache;
};

QTEST_MAIN(TestBrushEngine)
#include "tst_brushengine.moc"
