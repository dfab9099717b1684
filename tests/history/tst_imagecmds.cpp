// Whole-image commands: rotate, flip, image size, canvas size, crop, flatten
// and scale. Every case checks pixels against a reference built here and
// that undo and redo bring back the exact pixels. The second half runs the
// same cases with the scratch store spilling every snapshot to disk first.
#include "Document.h"
#include "CreateLayerCmd.h"
#include "CropSelectionCmd.h"
#include "FlattenImageCmd.h"
#include "ImageFlipCmd.h"
#include "ImageRotateCmd.h"
#include "LayerSnapshotCmd.h"
#include "PixmapLayer.h"
#include "ResizeCanvasCmd.h"
#include "ResizeImageCmd.h"
#include "ScaleCmd.h"
#include "ScratchDB.h"
#include "DocTestSupport.h"
#include "TestSupport.h"
#include "TextLayer.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Builds the expected image pixel by pixel: dst(x, y) = src(map(x, y)) or
// transparent where map gives a point outside the source.
QImage remap(const QImage &src, QSize size, const std::function<QPoint(int, int)> &map)
{
    QImage out(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QPoint p = map(x, y);
            out.setPixel(x, y, src.rect().contains(p) ? src.pixel(p) : 0u);
        }
    return out;
}

struct TestDoc {
    std::unique_ptr<Document> window;
    QList<PixmapLayer *> rasters;
    TextLayer *text = nullptr;

    QUndoStack *stack() const { return window->undoStack(); }

    PixmapLayer *addRaster(const QImage &image)
    {
        auto *pCreate = new CreateLayerCmd(window.get(), Layer::Raster);
        stack()->push(pCreate);
        auto *pLayer = static_cast<PixmapLayer *>(pCreate->layer());
        cqtest::setLayerPixels(pLayer, image);
        stack()->push(new LayerSnapshotCmd(QStringLiteral("Paint - ") + pLayer->name(), pLayer));
        rasters.append(pLayer);
        return pLayer;
    }

    TextLayer *addText(QPoint pos)
    {
        auto *pCreate = new CreateLayerCmd(window.get(), Layer::Text);
        stack()->push(pCreate);
        text = static_cast<TextLayer *>(pCreate->layer());
        text->setPlainText(QStringLiteral("words"));
        text->setPos(pos);
        return text;
    }

    QList<QImage> images() const
    {
        QList<QImage> result;
        for (PixmapLayer *pLayer : rasters)
            result.append(pLayer->image());
        return result;
    }
};

TestDoc makeDocument(QSize size, int iRasters, bool bText)
{
    TestDoc doc;
    doc.window = std::make_unique<Document>(size, cqtest::scratchStore());
    for (int i = 0; i < iRasters; ++i) {
        doc.addRaster(cqtest::patternImage(size.width(), size.height(), 11 + i));
        if (i == 0 && bText)
            doc.addText(QPoint(37, 41));
    }
    return doc;
}

bool sameImages(const QList<QImage> &a, const QList<QImage> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (cqtest::differingPixels(a.at(i), b.at(i)) != 0)
            return false;
    return true;
}

} // namespace

class TestImageCmds : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        cqtest::isolateSettings();
        QVERIFY(m_tmp.isValid());
    }

    void rotate() { caseRotate(false); }
    void flip() { caseFlip(false); }
    void resizeImage() { caseResizeImage(false); }
    void resizeCanvas() { caseResizeCanvas(false); }
    void crop() { caseCrop(false); }

    // A layer larger than the canvas and moved, under a feathered selection:
    // the crop keeps exactly the pixels that lay inside the selection's plain
    // outline, and undo puts layer and position back.
    void cropMovedLayerWithFeather()
    {
        TestDoc doc = makeDocument(QSize(100, 100), 1, false);
        PixmapLayer *pLayer = doc.rasters.first();
        const QImage pixels = cqtest::patternImage(140, 130, 5);
        cqtest::setLayerPixels(pLayer, pixels);
        pLayer->setPos(QPointF(-7, -5));
        doc.stack()->push(new LayerSnapshotCmd(QStringLiteral("Move"), pLayer));
        doc.window->SetFeatherRadius(6);
        doc.window->SetFeather(true);
        const QRegion region = QRegion(10, 20, 30, 40) + QRegion(60, 70, 5, 5);
        doc.window->SetSelection(region);
        doc.stack()->push(new CropSelectionCmd(doc.window.get(), region, 100, 100));
        QCOMPARE(doc.window->canvasSize(), QSize(55, 55));
        QCOMPARE(pLayer->pos(), QPointF(0, 0));
        const QImage expected = remap(pixels, QSize(55, 55), [&](int x, int y) {
            const QPoint p(x + 10, y + 20);
            return region.contains(p) ? p + QPoint(7, 5) : QPoint(-1, -1);
        });
        QCOMPARE(cqtest::firstDifference(pLayer->image(), expected), QString());
        undo(doc, false, pLayer);
        QCOMPARE(pLayer->pos(), QPointF(-7, -5));
        QCOMPARE(pLayer->image(), pixels);
        doc.window->SetFeather(false);
    }

    void flatten() { caseFlatten(false); }
    void scale() { caseScale(false); }

    // From here on every snapshot goes to disk as soon as the worker runs.
    void startSpilling()
    {
        // Limit 0: the worker moves every snapshot to disk once it has been added.
        cqtest::scratchStore().Init(m_tmp.path() + QStringLiteral("/scratch"), 0);
    }

    void rotateSpilled() { caseRotate(true); }
    void flipSpilled() { caseFlip(true); }
    void resizeImageSpilled() { caseResizeImage(true); }
    void resizeCanvasSpilled() { caseResizeCanvas(true); }
    void cropSpilled() { caseCrop(true); }
    void flattenSpilled() { caseFlatten(true); }
    void scaleSpilled() { caseScale(true); }

    void editAfterUndoWaitsForRestore()
    {
        // Undo a paint whose earlier snapshot is on disk, then rotate at once: the
        // rotation must start from the restored image, and no late read-back may
        // overwrite the rotated layer.
        TestDoc doc = makeDocument(QSize(30, 20), 1, false);
        PixmapLayer *pLayer = doc.rasters.first();
        const QImage original = pLayer->image();
        pLayer->setImage(cqtest::patternImage(30, 20, 77));
        doc.stack()->push(new LayerSnapshotCmd(QStringLiteral("Paint - ") + pLayer->name(), pLayer));
        cqtest::scratchStore().Sync();
        doc.stack()->undo();
        QVERIFY(cqtest::scratchStore().HasPending(pLayer));
        doc.stack()->push(new ImageRotateCmd(doc.window.get(), 90, QStringLiteral("Image Rotate (90)")));
        cqtest::scratchStore().Sync();
        QCoreApplication::processEvents();
        const QImage expected = remap(original, QSize(20, 30), [](int x, int y) { return QPoint(y, 19 - x); });
        QCOMPARE(cqtest::differingPixels(pLayer->image(), expected), qint64(0));
    }

private:
    void caseRotate(bool bSpill)
    {
        struct Case { int angle; std::function<QPoint(int, int, int, int)> from; };
        // from(x, y, oldW, oldH): which source pixel lands on (x, y).
        const QList<Case> cases = {
            {90, [](int x, int y, int, int h) { return QPoint(y, h - 1 - x); }},
            {-90, [](int x, int y, int w, int) { return QPoint(w - 1 - y, x); }},
            {180, [](int x, int y, int w, int h) { return QPoint(w - 1 - x, h - 1 - y); }},
        };
        for (const Case &c : cases) {
            TestDoc doc = makeDocument(QSize(300, 200), 2, true);
            const QList<QImage> before = doc.images();
            doc.stack()->push(new ImageRotateCmd(doc.window.get(), c.angle,
                                                 QStringLiteral("Image Rotate (%1)").arg(c.angle)));
            const QSize expectedSize = c.angle == 180 ? QSize(300, 200) : QSize(200, 300);
            QCOMPARE(doc.window->canvasSize(), expectedSize);
            QList<QImage> expected;
            for (const QImage &src : before)
                expected.append(remap(src, expectedSize, [&](int x, int y) { return c.from(x, y, 300, 200); }));
            const QList<QImage> rotated = doc.images();
            QVERIFY2(sameImages(rotated, expected), qPrintable(QString::number(c.angle)));
            for (PixmapLayer *pLayer : doc.rasters)
                QCOMPARE(pLayer->pos(), QPointF(0, 0));
            QCOMPARE(doc.text->pos(), QPointF(37, 41));
            QCOMPARE(doc.text->rotation(), 0.0);

            undo(doc, bSpill, doc.rasters.first());
            QCOMPARE(doc.window->canvasSize(), QSize(300, 200));
            QVERIFY(sameImages(doc.images(), before));

            redo(doc, bSpill);
            QCOMPARE(doc.window->canvasSize(), expectedSize);
            QVERIFY(sameImages(doc.images(), expected));
            QCOMPARE(doc.text->pos(), QPointF(37, 41));
        }
    }

    void caseFlip(bool bSpill)
    {
        TestDoc doc = makeDocument(QSize(61, 37), 2, true);
        const QList<QImage> start = doc.images();
        const int entries = doc.stack()->count();

        auto *pFlip = new ImageFlipCmd(doc.window.get(), true, false, QStringLiteral("Image Flip Horizontal"));
        doc.stack()->push(pFlip);
        QCOMPARE(doc.stack()->count(), entries + 1);
        QCOMPARE(pFlip->childCount(), 2); // one snapshot per raster layer, none for text
        QList<QImage> mirrored;
        for (const QImage &src : start)
            mirrored.append(remap(src, src.size(), [](int x, int y) { return QPoint(60 - x, y); }));
        QVERIFY(sameImages(doc.images(), mirrored));

        doc.stack()->push(new ImageFlipCmd(doc.window.get(), true, false, QStringLiteral("Image Flip Horizontal")));
        QCOMPARE(doc.stack()->count(), entries + 2);
        QVERIFY(sameImages(doc.images(), start));

        undo(doc, bSpill, doc.rasters.first());
        QVERIFY(sameImages(doc.images(), mirrored));
        doc.stack()->undo();
        settle(bSpill);
        QVERIFY(sameImages(doc.images(), start));

        // Vertical, then redo of the replayed children.
        doc.stack()->push(new ImageFlipCmd(doc.window.get(), false, true, QStringLiteral("Image Flip Vertical")));
        QList<QImage> upsideDown;
        for (const QImage &src : start)
            upsideDown.append(remap(src, src.size(), [](int x, int y) { return QPoint(x, 36 - y); }));
        QVERIFY(sameImages(doc.images(), upsideDown));
        undo(doc, bSpill, doc.rasters.first());
        doc.stack()->redo();
        settle(bSpill);
        QVERIFY(sameImages(doc.images(), upsideDown));
        QCOMPARE(doc.text->pos(), QPointF(37, 41));
        QCOMPARE(doc.window->canvasSize(), QSize(61, 37));
    }

    void caseResizeImage(bool bSpill)
    {
        TestDoc doc = makeDocument(QSize(100, 100), 2, false);
        // A deleted layer is scaled too and must come back exactly.
        doc.rasters.last()->setDeleted(true);
        const QList<QImage> before = doc.images();

        auto *pResize = new ResizeImageCmd(doc.window.get(), 50, 50, 100, 100);
        doc.stack()->push(pResize);
        QCOMPARE(pResize->childCount(), 2);
        QCOMPARE(doc.window->canvasSize(), QSize(50, 50));
        const QList<QImage> scaled = doc.images();
        for (const QImage &image : scaled)
            QCOMPARE(image.size(), QSize(50, 50));

        undo(doc, bSpill, doc.rasters.first());
        QCOMPARE(doc.window->canvasSize(), QSize(100, 100));
        QVERIFY2(sameImages(doc.images(), before), "undo must restore the pixels, not upscale");

        redo(doc, bSpill);
        QCOMPARE(doc.window->canvasSize(), QSize(50, 50));
        QVERIFY(sameImages(doc.images(), scaled));
    }

    void caseResizeCanvas(bool bSpill)
    {
        for (int anchor : {0, 8}) {
            TestDoc doc = makeDocument(QSize(100, 100), 1, true);
            const QList<QImage> before = doc.images();
            doc.stack()->push(new ResizeCanvasCmd(doc.window.get(), 200, 200, 100, 100, anchor));
            QCOMPARE(doc.window->canvasSize(), QSize(200, 200));
            const QPoint offset = anchor == 0 ? QPoint(0, 0) : QPoint(100, 100);
            const QImage expected = remap(before.first(), QSize(200, 200),
                                          [&](int x, int y) { return QPoint(x, y) - offset; });
            QCOMPARE(cqtest::differingPixels(doc.rasters.first()->image(), expected), qint64(0));
            // Text moves by the growth whatever the anchor.
            QCOMPARE(doc.text->pos(), QPointF(137, 141));

            undo(doc, bSpill, doc.rasters.first());
            QCOMPARE(doc.window->canvasSize(), QSize(100, 100));
            QVERIFY(sameImages(doc.images(), before));
            QCOMPARE(doc.text->pos(), QPointF(37, 41));

            redo(doc, bSpill);
            QCOMPARE(cqtest::differingPixels(doc.rasters.first()->image(), expected), qint64(0));
            QCOMPARE(doc.text->pos(), QPointF(137, 141));
        }
    }

    void caseCrop(bool bSpill)
    {
        TestDoc doc = makeDocument(QSize(100, 100), 2, true);
        // Bounding rectangle (10, 20, 30, 40); the gap between the parts is cut away.
        const QRegion region = QRegion(10, 20, 30, 10) + QRegion(10, 50, 10, 10);
        QCOMPARE(region.boundingRect(), QRect(10, 20, 30, 40));
        doc.window->SetSelection(region);
        const QList<QImage> before = doc.images();

        doc.stack()->push(new CropSelectionCmd(doc.window.get(), region, 100, 100));
        QCOMPARE(doc.window->canvasSize(), QSize(30, 40));
        QVERIFY(doc.window->Selection().isEmpty());
        QCOMPARE(doc.text->pos(), QPointF(27, 21));
        QList<QImage> expected;
        for (const QImage &src : before)
            expected.append(remap(src, QSize(30, 40), [&](int x, int y) {
                const QPoint p(x + 10, y + 20);
                return region.contains(p) ? p : QPoint(-1, -1);
            }));
        QVERIFY(sameImages(doc.images(), expected));

        undo(doc, bSpill, doc.rasters.first());
        QCOMPARE(doc.window->canvasSize(), QSize(100, 100));
        QCOMPARE(doc.window->Selection(), region);
        QCOMPARE(doc.text->pos(), QPointF(37, 41));
        QVERIFY(sameImages(doc.images(), before));

        redo(doc, bSpill);
        QCOMPARE(doc.window->canvasSize(), QSize(30, 40));
        QVERIFY(doc.window->Selection().isEmpty());
        QCOMPARE(doc.text->pos(), QPointF(27, 21));
        QVERIFY(sameImages(doc.images(), expected));
    }

    void caseFlatten(bool bSpill)
    {
        TestDoc doc = makeDocument(QSize(40, 30), 3, false);
        const QList<QImage> before = doc.images();
        // Later layers of the list are painted over the first, source-over;
        // compared premultiplied, as the painter composes.
        QImage expected = before.first().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        {
            QPainter painter(&expected);
            painter.drawImage(0, 0, before.at(1));
            painter.drawImage(0, 0, before.at(2));
        }

        auto *pFlatten = new FlattenImageCmd(doc.window.get());
        doc.stack()->push(pFlatten);
        QCOMPARE(pFlatten->childCount(), 2);
        QCOMPARE(doc.window->GetLayers(true), QList<Layer *>{doc.rasters.first()});
        QCOMPARE(cqtest::differingPixels(cqtest::layerPixels(doc.rasters.first()), expected), qint64(0));

        undo(doc, bSpill, doc.rasters.first());
        QCOMPARE(doc.window->GetLayers(true).size(), 3);
        QVERIFY(sameImages(doc.images(), before));

        redo(doc, bSpill);
        QCOMPARE(doc.window->GetLayers(true).size(), 1);
        QCOMPARE(cqtest::differingPixels(cqtest::layerPixels(doc.rasters.first()), expected), qint64(0));

        // One layer: still an entry, and nothing changes.
        const QImage flat = doc.rasters.first()->image();
        const int entries = doc.stack()->count();
        doc.stack()->push(new FlattenImageCmd(doc.window.get()));
        QCOMPARE(doc.stack()->count(), entries + 1);
        QCOMPARE(cqtest::differingPixels(doc.rasters.first()->image(), flat), qint64(0));
    }

    void caseScale(bool bSpill)
    {
        TestDoc doc = makeDocument(QSize(50, 40), 1, false);
        PixmapLayer *pLayer = doc.rasters.first();
        const QImage before = pLayer->image();
        const QRegion selection(5, 5, 20, 10);
        doc.window->SetSelection(selection);

        // What the move tool does before pushing: change the layer, clear the selection.
        pLayer->setImage(cqtest::patternImage(25, 20, 99));
        pLayer->setPos(QPointF(7, 3));
        doc.window->SetSelection(QRegion());
        const QImage after = pLayer->image();
        doc.stack()->push(new ScaleCmd(QStringLiteral("Scale"), pLayer, QRegion(), selection));

        undo(doc, bSpill, pLayer);
        QCOMPARE(cqtest::differingPixels(pLayer->image(), before), qint64(0));
        QCOMPARE(pLayer->pos(), QPointF(0, 0));
        QCOMPARE(doc.window->Selection(), selection);

        redo(doc, bSpill);
        QCOMPARE(cqtest::differingPixels(pLayer->image(), after), qint64(0));
        QCOMPARE(pLayer->pos(), QPointF(7, 3));
        QVERIFY(doc.window->Selection().isEmpty());
    }

    // Before undo or redo: with spilling, let the worker write out what it
    // holds; the probe layer's current snapshot must then be on disk (items
    // read back once stay in memory, so later calls pass no probe).
    void spill(bool bSpill, PixmapLayer *pProbe)
    {
        if (!bSpill)
            return;
        cqtest::scratchStore().Sync();
        if (pProbe)
            QVERIFY2(!cqtest::scratchStore().isItemInMemory(pProbe->currentSnapshotId()),
                     qPrintable(QStringLiteral("item %1 still in memory").arg(pProbe->currentSnapshotId())));
    }

    // After undo or redo: with spilling, let the store deliver what it read.
    void settle(bool bSpill)
    {
        if (bSpill)
            cqtest::scratchStore().Sync();
    }

    void undo(TestDoc &doc, bool bSpill, PixmapLayer *pProbe = nullptr)
    {
        spill(bSpill, pProbe);
        doc.stack()->undo();
        settle(bSpill);
    }
    void redo(TestDoc &doc, bool bSpill, PixmapLayer *pProbe = nullptr)
    {
        spill(bSpill, pProbe);
        doc.stack()->redo();
        settle(bSpill);
    }

    QTemporaryDir m_tmp;
};

QTEST_MAIN(TestImageCmds)
#include "tst_imagecmds.moc"
