// Layer styles: the drop shadow's and outer glow's pixels and geometry, the
// kernels against their host references on awkward sizes, a layer drawn over
// its styles in the window and in export alike (its own pixels never move),
// strokes on a styled layer, undo, and styles that cannot be built.
#include "ChangeLayerStyleCmd.h"
#include "ChildWindow.h"
#include "DocTestSupport.h"
#include "GraphicsScene.h"
#include "LayerStyleMgr.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "ScratchDB.h"
#include "StyleTestSupport.h"

#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

namespace {

using cqtest::naiveGlow;
using cqtest::naiveMask;
using cqtest::offByMoreThan;
using cqtest::shapeImage;

QList<int> alphas(const QImage &image)
{
    QList<int> result;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            result << qAlpha(image.pixel(x, y));
    return result;
}

QImage premultiplied(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage shown(ChildWindow &window)
{
    return cqtest::scenePicture(window);
}

// What export writes, over the window's checkerboard.
QImage exported(ChildWindow &window)
{
    return cqtest::overCheckerboard(premultiplied(window.document()->Flattened()), QSizeF(window.canvasSize()));
}

} // namespace

class TestLayerStyles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        cqtest::startScratch();
        QVERIFY2(cqtest::createCpuContext(m_context), "no OpenCL CPU device");
        m_pCache = std::make_unique<ProgramCache>(m_context);
    }

    void shadowGeometry_data()
    {
        QTest::addColumn<int>("angle");
        QTest::addColumn<QSize>("resultSize");
        QTest::addColumn<QPoint>("shadowInResult");
        QTest::addColumn<QRect>("covered");
        QTest::newRow("below") << 0 << QSize(100, 110) << QPoint(0, 10) << QRect(QPoint(0, 0), QPoint(99, 109));
        QTest::newRow("left") << 90 << QSize(110, 100) << QPoint(0, 0) << QRect(QPoint(-10, 0), QPoint(99, 99));
        QTest::newRow("above") << 180 << QSize(100, 110) << QPoint(0, 0) << QRect(QPoint(0, -10), QPoint(99, 99));
        QTest::newRow("right") << 270 << QSize(110, 100) << QPoint(10, 0) << QRect(QPoint(0, 0), QPoint(109, 99));
        // 7.07 each way, truncated.
        QTest::newRow("below right") << 315 << QSize(107, 107) << QPoint(7, 7) << QRect(0, 0, 107, 107);
    }

    void shadowGeometry()
    {
        QFETCH(int, angle);
        QFETCH(QSize, resultSize);
        QFETCH(QPoint, shadowInResult);
        QFETCH(QRect, covered);
        const QImage source = shapeImage(100, 100, 3, QRect(20, 30, 50, 40));
        LayerDropShadow shadow;
        shadow.initialise(nullptr);
        shadow.setEnabled(true);
        shadow.setAngle(angle);
        shadow.setDistance(10);
        shadow.setColor(QColor(10, 20, 30));
        const QImage result = shadow.render(source);
        QCOMPARE(result.size(), resultSize);
        QCOMPARE(shadow.coveredRect(), covered);
        QCOMPARE(shadow.CoveredFor(source.size()), covered);
        // The shadow of every source pixel, where the result holds it.
        const QImage mask = naiveMask(source, 128, QColor(10, 20, 30));
        QImage expected(resultSize, QImage::Format_ARGB32);
        expected.fill(0);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                expected.setPixel(x + shadowInResult.x(), y + shadowInResult.y(), mask.pixel(x, y));
        QCOMPARE(cqtest::differingPixels(result, expected), 0);
    }

    void glowArithmetic_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<int>("distance");
        QTest::newRow("1x1 d1") << cqtest::patternImage(1, 1, 1) << 1;
        QTest::newRow("1x1 d99") << cqtest::patternImage(1, 1, 2) << 99;
        QTest::newRow("9x1 d4") << cqtest::patternImage(9, 1, 3) << 4;
        QTest::newRow("1x13 d5") << cqtest::patternImage(1, 13, 4) << 5;
        QTest::newRow("odd 17x11 d3") << cqtest::patternImage(17, 11, 5) << 3;
        QTest::newRow("distance past the size") << shapeImage(6, 5, 6, QRect(1, 1, 3, 3)) << 40;
        QTest::newRow("distance equal to the width") << cqtest::patternImage(8, 3, 7) << 8;
        QImage transparent = cqtest::filledImage(12, 7, 0x00ff8040);
        QTest::newRow("transparent") << transparent << 3;
        QTest::newRow("distance 0") << cqtest::patternImage(10, 6, 8) << 0;
    }

    void glowArithmetic()
    {
        QFETCH(QImage, source);
        QFETCH(int, distance);
        const QColor color(1, 2, 3, 200);
        const QImage reference = LayerOuterGlow::Reference(source, distance, 200, color);
        QCOMPARE(cqtest::differingPixels(reference, naiveGlow(naiveMask(source, 200, color), distance)), 0);
        if (distance == 0)
            QVERIFY(alphas(reference) == QList<int>(source.width() * source.height(), 0));
        // The style itself: a picture of the source's size at the layer's origin,
        // none at all for distance 0.
        LayerOuterGlow glow;
        glow.initialise(nullptr);
        glow.setDistance(distance);
        glow.setOpacity(200);
        glow.setColor(color);
        QPoint at(5, 5);
        const QImage picture = glow.Picture(source, &at);
        QCOMPARE(at, QPoint(0, 0));
        if (distance == 0)
            QVERIFY(picture.isNull());
        else
            QCOMPARE(cqtest::differingPixels(picture, reference), 0);
        QCOMPARE(glow.render(source).size(), source.size());
    }

    void kernelsMatchReferences_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("distance");
        QTest::addColumn<int>("opacity");
        QTest::newRow("1x1") << cqtest::patternImage(1, 1, 11) << 0 << 3 << 128;
        QTest::newRow("1-pixel row") << cqtest::patternImage(37, 1, 12) << 45 << 9 << 255;
        QTest::newRow("1-pixel column") << cqtest::patternImage(1, 41, 13) << 200 << 7 << 77;
        QTest::newRow("odd width") << cqtest::patternImage(63, 29, 14) << 123 << 12 << 128;
        // Opaque: every window sum a whole multiple of the distance, the widest
        // sums there are.
        QImage opaque = cqtest::filledImage(70, 35, 0xff102030);
        QTest::newRow("opaque, distance 99") << opaque << 0 << 99 << 255;
        QTest::newRow("opaque, distance 8") << opaque.copy(0, 0, 48, 20) << 0 << 8 << 255;
        QTest::newRow("distance near the size") << shapeImage(21, 19, 15, QRect(3, 2, 14, 13)) << 300 << 20 << 190;
        QTest::newRow("distance past the size") << cqtest::patternImage(9, 6, 16) << 90 << 99 << 255;
        QImage transparent = cqtest::filledImage(33, 17, 0x00abcdef);
        QTest::newRow("transparent") << transparent << 10 << 5 << 255;
        QTest::newRow("opacity 0") << cqtest::patternImage(17, 9, 17) << 0 << 4 << 0;
        QTest::newRow("distance 0") << cqtest::patternImage(17, 9, 18) << 0 << 0 << 128;
    }

    void kernelsMatchReferences()
    {
        QFETCH(QImage, source);
        QFETCH(int, angle);
        QFETCH(int, distance);
        QFETCH(int, opacity);
        ProgramCache &cache = *m_pCache;
        const QColor color(240, 17, 99, opacity);

        LayerDropShadow shadow;
        QVERIFY2(shadow.initialise(&cache), qPrintable(shadow.buildLog()));
        QVERIFY(shadow.usesKernels());
        shadow.setAngle(angle);
        shadow.setDistance(distance);
        shadow.setOpacity(opacity);
        shadow.setColor(color);
        QPoint at, expectedAt;
        const QImage onDevice = shadow.Picture(source, &at);
        const QImage reference = LayerDropShadow::Reference(source, angle, distance, opacity, color, &expectedAt);
        QCOMPARE(at, expectedAt);
        QCOMPARE(cqtest::differingPixels(onDevice, reference), 0);

        LayerOuterGlow glow;
        QVERIFY2(glow.initialise(&cache), qPrintable(glow.buildLog()));
        glow.setDistance(distance);
        glow.setOpacity(opacity);
        glow.setColor(color);
        const QImage glowOnDevice = glow.Picture(source, &at);
        if (distance == 0) {
            QVERIFY(glowOnDevice.isNull());
        } else {
            QCOMPARE(cqtest::differingPixels(glowOnDevice, LayerOuterGlow::Reference(source, distance, opacity, color)),
                     0);
        }
    }

    // Shadow up and to the left, glow, then the layer itself: composed exactly as
    // drawing the three one over another at their places would. The glow reaches
    // past the layer's edge, and neither grows the layer nor spills out of it.
    void layerStaysInPlaceOverItsStyles()
    {
        const QImage image = shapeImage(30, 20, 31, QRect(2, 3, 24, 14));
        Document plain(QSize(80, 60), cqtest::scratchStore());
        cqtest::addRasterLayer(&plain, image, QPointF(20, 15));
        Document document(QSize(80, 60), cqtest::scratchStore());
        PixmapLayer *pLayer = cqtest::addRasterLayer(&document, image, QPointF(20, 15));
        LayerDropShadow &shadow = pLayer->styles().dropShadow();
        shadow.setAngle(135);
        shadow.setDistance(10);
        shadow.setOpacity(200);
        shadow.setColor(QColor(0, 0, 90));
        shadow.setEnabled(true);
        LayerOuterGlow &glow = pLayer->styles().outerGlow();
        glow.setDistance(4);
        glow.setOpacity(255);
        glow.setColor(QColor(255, 255, 0));
        glow.setEnabled(true);
        QCOMPARE(pLayer->boundingRect(), QRectF(-7, -7, 37, 27));

        QImage expected = cqtest::blank(QSize(80, 60));
        {
            QPainter painter(&expected);
            painter.drawImage(QPoint(20 - 7, 15 - 7), naiveMask(image, 200, QColor(0, 0, 90)));
            painter.drawImage(QPoint(20, 15), naiveGlow(naiveMask(image, 255, QColor(255, 255, 0)), 4));
            painter.drawImage(QPoint(20, 15), image);
        }
        QCOMPARE(offByMoreThan(premultiplied(document.Flattened()), expected, 1), 0);
        // Without styles the same document is the plain one again.
        shadow.setEnabled(false);
        glow.setEnabled(false);
        QCOMPARE(cqtest::differingPixels(document.Flattened(), plain.Flattened()), 0);
    }

    // The window shows what export writes, styles reaching past the canvas edge
    // and a blended layer over them included.
    void windowMatchesExport()
    {
        ChildWindow window(nullptr, QSize(90, 70), DocumentEnv(cqtest::scratchStore(), {}, m_pCache.get()));
        PixmapLayer *pBack = cqtest::addRasterLayer(window.document(), shapeImage(90, 70, 41, QRect(0, 0, 90, 70)));
        PixmapLayer *pShape = cqtest::addRasterLayer(window.document(), shapeImage(40, 30, 42, QRect(4, 4, 30, 20)), QPointF(-5, 50));
        pShape->styles().dropShadow().setAngle(200);
        pShape->styles().dropShadow().setDistance(15);
        pShape->styles().dropShadow().setEnabled(true);
        pShape->styles().outerGlow().setEnabled(true);
        PixmapLayer *pTop = cqtest::addRasterLayer(window.document(), cqtest::patternImage(90, 70, 43));
        pTop->setBlendingMode(QPainter::CompositionMode_Multiply);
        pTop->setOpacity(0.5);
        auto *pText = static_cast<TextLayer *>(window.CreateLayer(Layer::Text));
        pText->setPlainText(QStringLiteral("glow"));
        pText->setPos(QPointF(10, 10));
        pText->styles().outerGlow().setColor(QColor(255, 0, 0));
        pText->styles().outerGlow().setEnabled(true);
        (void)pBack;

        QCOMPARE(offByMoreThan(shown(window), exported(window), 3), 0);
        // A change of style parameters reaches the composed picture.
        pShape->styles().dropShadow().setAngle(20);
        pText->styles().outerGlow().setDistance(6);
        QCOMPARE(offByMoreThan(shown(window), exported(window), 3), 0);
    }

    void strokesRedrawOnlyWhatTheyReach_data()
    {
        QTest::addColumn<bool>("device");
        QTest::newRow("kernels") << true;
        QTest::newRow("host") << false;
    }

    // Dabs painted on a styled layer: the styles are computed again only round
    // them, yet every picture ends as if computed whole, and the window follows
    // the shadow's moved change.
    void strokesRedrawOnlyWhatTheyReach()
    {
        QFETCH(bool, device);
        ChildWindow window(nullptr, QSize(120, 90), DocumentEnv(cqtest::scratchStore(), {}, device ? m_pCache.get() : nullptr));
        PixmapLayer *pLayer = cqtest::addRasterLayer(window.document(), shapeImage(120, 90, 81, QRect(20, 15, 70, 50)));
        LayerDropShadow &shadow = pLayer->styles().dropShadow();
        shadow.setAngle(200);
        shadow.setDistance(9);
        shadow.setEnabled(true);
        LayerOuterGlow &glow = pLayer->styles().outerGlow();
        glow.setDistance(6);
        glow.setColor(QColor(255, 0, 0, 128));
        glow.setEnabled(true);
        QCOMPARE(offByMoreThan(shown(window), exported(window), 3), 0);

        const QList<QRect> dabs = {QRect(30, 20, 7, 5), QRect(0, 0, 4, 4), QRect(112, 80, 8, 10), QRect(85, 40, 9, 9)};
        for (const QRect &dab : dabs) {
            QPainter(&pLayer->image()).fillRect(dab, QColor(30, 200, 90, 220));
            pLayer->update(QRectF(dab));
            QCOMPARE(offByMoreThan(shown(window), exported(window), 3), 0);
        }
        const QImage &image = pLayer->image();
        QPoint at, expectedAt;
        QCOMPARE(cqtest::differingPixels(shadow.Picture(image, &at),
                                         LayerDropShadow::Reference(image, 200, 9, 128, shadow.color(), &expectedAt)),
                 0);
        QCOMPARE(cqtest::differingPixels(glow.Picture(image, &at),
                                         LayerOuterGlow::Reference(image, 6, 128, glow.color())),
                 0);
        // The composed picture too: the same as one composed whole.
        QPoint offset;
        const QImage patched = pLayer->DrawnPixels(&offset).copy();
        pLayer->MarkChanged();
        QCOMPARE(offByMoreThan(pLayer->DrawnPixels(&offset), patched, 1), 0);
    }

    void undoRedo()
    {
        Document document(QSize(50, 40), cqtest::scratchStore());
        PixmapLayer *pLayer = cqtest::addRasterLayer(&document, shapeImage(50, 40, 61, QRect(10, 10, 20, 15)));
        document.MarkSaved();
        const QImage plain = document.Flattened();
        LayerStyleMgr &styles = pLayer->styles();

        QByteArray before = styles.State();
        styles.dropShadow().setEnabled(true);
        styles.dropShadow().setDistance(8);
        document.undoStack()->push(new ChangeLayerStyleCmd(pLayer, before, styles.State()));
        QVERIFY(document.IsModified());
        const QImage styled = document.Flattened();
        QVERIFY(cqtest::differingPixels(styled, plain) > 0);

        // A drag back to where it started records nothing.
        before = styles.State();
        styles.outerGlow().setOpacity(40);
        document.undoStack()->push(new ChangeLayerStyleCmd(pLayer, before, styles.State(), 8));
        before = styles.State();
        styles.outerGlow().setOpacity(128);
        document.undoStack()->push(new ChangeLayerStyleCmd(pLayer, before, styles.State(), 8));
        QCOMPARE(document.undoStack()->count(), 1);

        document.undoStack()->undo();
        QVERIFY(!styles.dropShadow().isEnabled());
        QCOMPARE(styles.dropShadow().distance(), 3);
        QCOMPARE(cqtest::differingPixels(document.Flattened(), plain), 0);
        QVERIFY(!document.IsModified());
        document.undoStack()->redo();
        QCOMPARE(cqtest::differingPixels(document.Flattened(), styled), 0);
    }

    void stylesThatCannotBeBuilt()
    {
        // A context that was never created builds nothing.
        QCLContext none;
        ProgramCache broken(none);
        Document document(QSize(30, 20), cqtest::scratchStore());
        PixmapLayer *pLayer = cqtest::addRasterLayer(&document, cqtest::patternImage(30, 20, 71));
        const QImage plain = document.Flattened();
        LayerStyleMgr &styles = pLayer->styles();
        styles.Initialise(&broken);
        QVERIFY(styles.styles().isEmpty());
        QVERIFY(!styles.dropShadow().buildLog().isEmpty());
        QVERIFY(!styles.findStyle(QStringLiteral("Drop Shadow")));
        // Switched on by a file, it still draws nothing and moves nothing.
        LayerStyleMgr source;
        source.Initialise(nullptr);
        source.dropShadow().setEnabled(true);
        source.dropShadow().setAngle(90);
        const QList<QByteArray> records = source.Records();
        styles.ReadRecords(records);
        QVERIFY(!styles.HasEnabled());
        QCOMPARE(pLayer->boundingRect(), QRectF(0, 0, 29, 19));
        QCOMPARE(cqtest::differingPixels(document.Flattened(), plain), 0);
        // And what the file said is written back as it came.
        QCOMPARE(styles.Records(), records);
    }

private:
    QCLContext m_context;
    std::unique_ptr<ProgramCache> m_pCache;
};

QTEST_MAIN(TestLayerStyles)
#include "tst_layerstyles.moc"
