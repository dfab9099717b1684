// Layer commands on a document with no window: what an observer of the
// document hears, merging, merge down and convert to pixmap. Undo and redo of
// every command over long runs is tst_historymodel's.
#include "ChangeLayerBlendingCmd.h"
#include "ChangeLayerOpacityCmd.h"
#include "ChangeLayerOrderCmd.h"
#include "ConvertToPixmapCmd.h"
#include "CreateLayerCmd.h"
#include "DeleteLayerCmd.h"
#include "DocTestSupport.h"
#include "Document.h"
#include "ImageFlipCmd.h"
#include "LayerMergeDownCmd.h"
#include "LayerSnapshotCmd.h"
#include "RenameLayerCmd.h"
#include "ResizeCanvasCmd.h"
#include "ScratchDB.h"
#include "SelectionCmd.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

namespace {

// Writes down what a panel or window would be told, in order.
class Observer : public QObject {
public:
    explicit Observer(Document *pDocument)
    {
        connect(pDocument, &Document::LayerAdded, this, [this](Layer *p) { heard << QStringLiteral("added ") + p->name(); });
        connect(pDocument, &Document::LayerRemoved, this, [this](Layer *p) { heard << QStringLiteral("removed ") + p->name(); });
        connect(pDocument, &Document::LayersReordered, this, [this] { heard << QStringLiteral("reordered"); });
        connect(pDocument, &Document::LayerChanged, this, [this](Layer *p) { heard << QStringLiteral("changed ") + p->name(); });
        connect(pDocument, &Document::LayerPixelsChanged, this, [this](Layer *p) { heard << QStringLiteral("pixels ") + p->name(); });
        connect(pDocument, &Document::CurrentLayerChanged, this,
                [this](Layer *p) { heard << QStringLiteral("current ") + (p ? p->name() : QStringLiteral("none")); });
        connect(pDocument, &Document::SelectionChanged, this, [this] { heard << QStringLiteral("selection"); });
        connect(pDocument, &Document::CanvasResized, this,
                [this](QSize s) { heard << QStringLiteral("canvas %1x%2").arg(s.width()).arg(s.height()); });
        connect(pDocument, &Document::ModifiedChanged, this,
                [this](bool b) { heard << (b ? QStringLiteral("modified") : QStringLiteral("saved")); });
    }
    // What was heard since the last call, without repeats in a row.
    QStringList take()
    {
        QStringList result;
        for (const QString &line : std::as_const(heard))
            if (result.isEmpty() || result.last() != line)
                result << line;
        heard.clear();
        return result;
    }
    QStringList heard;
};

} // namespace

class TestLayerCmds : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { cqtest::startScratch(); }

    void init()
    {
        m_pDocument = new Document(QSize(48, 32), cqtest::scratchStore());
    }

    void cleanup()
    {
        delete m_pDocument;
        m_pDocument = nullptr;
    }

    void observerHearsEveryChange()
    {
        Observer observer(m_pDocument);
        PixmapLayer *pA = pushRaster();
        QCOMPARE(observer.take(), (QStringList{"added New Layer", "current New Layer", "modified"}));
        m_pDocument->MarkSaved();
        QCOMPARE(observer.take(), QStringList{"saved"});

        stack()->push(new RenameLayerCmd(pA, pA->name(), QStringLiteral("Sky")));
        stack()->push(new ChangeLayerOpacityCmd(pA, 100, 40));
        stack()->push(new ChangeLayerBlendingCmd(pA, 0, 13));
        QCOMPARE(observer.take(), (QStringList{"changed Sky", "modified", "changed Sky", "pixels Sky"}));
        PixmapLayer *pB = pushRaster();
        stack()->push(new RenameLayerCmd(pB, pB->name(), QStringLiteral("Ink")));
        observer.take();

        stack()->push(new ChangeLayerOrderCmd(pB, 0, 1));
        QCOMPARE(observer.take(), QStringList{"reordered"});
        QCOMPARE(m_pDocument->GetLayers(), (QList<Layer *>{pB, pA}));
        stack()->push(new DeleteLayerCmd(pB));
        QCOMPARE(observer.take(), (QStringList{"removed Ink", "current Sky"}));
        stack()->undo();
        QCOMPARE(observer.take(), (QStringList{"added Ink", "current Ink"}));

        stack()->push(new SelectionCmd(m_pDocument, QRegion(), QRegion(1, 2, 3, 4)));
        QCOMPARE(observer.take(), QStringList{"selection"});
        stack()->push(new ResizeCanvasCmd(m_pDocument, 60, 30, 48, 32, 4));
        QVERIFY(observer.take().contains(QStringLiteral("canvas 60x30")));
        stack()->undo();
        QVERIFY(observer.take().contains(QStringLiteral("canvas 48x32")));
        stack()->push(new ImageFlipCmd(m_pDocument, true, false, QStringLiteral("Image Flip Horizontal")));
        const QStringList flipped = observer.take();
        QVERIFY(flipped.contains(QStringLiteral("pixels Sky")) && flipped.contains(QStringLiteral("pixels Ink")));

        // Undoing back to the saved state clears the mark; redoing sets it again.
        while (stack()->index() > 1)
            stack()->undo();
        QVERIFY(!m_pDocument->IsModified());
        QVERIFY(observer.take().contains(QStringLiteral("saved")));
        stack()->redo();
        QVERIFY(m_pDocument->IsModified());
    }

    void mergingCommands()
    {
        PixmapLayer *pA = pushRaster();
        PixmapLayer *pB = pushRaster();
        pushRaster();
        pushRaster();
        const int base = stack()->count();
        // A slider drag: one entry, undone in one step.
        for (int v = 95; v >= 40; v -= 5)
            stack()->push(new ChangeLayerOpacityCmd(pA, pA->opacityValue(), v));
        QCOMPARE(stack()->count(), base + 1);
        QCOMPARE(pA->opacity(), 0.4);
        stack()->undo();
        QCOMPARE(pA->opacity(), 1.0);
        QCOMPARE(pA->opacityValue(), 100);
        stack()->redo();
        QCOMPARE(pA->opacityValue(), 40);
        // Another layer's changes start a new entry.
        stack()->push(new ChangeLayerOpacityCmd(pB, 100, 70));
        stack()->push(new ChangeLayerBlendingCmd(pB, 0, 13));
        stack()->push(new ChangeLayerBlendingCmd(pB, 13, 11));
        QCOMPARE(stack()->count(), base + 3);
        QCOMPARE(pB->blendingMode(), 11);
        stack()->undo();
        QCOMPARE(pB->blendingMode(), 0);

        // Moving a layer up three rows, then past the top: one entry.
        const int before = stack()->index();
        for (int i = 0; i < 4; ++i) {
            const int row = m_pDocument->RowOf(pA);
            stack()->push(new ChangeLayerOrderCmd(pA, row, row - 1));
        }
        QCOMPARE(stack()->count(), before + 1);
        QCOMPARE(m_pDocument->RowOf(pA), 0);
        QCOMPARE(pA->zValue(), 3.0);
        stack()->undo();
        QCOMPARE(m_pDocument->RowOf(pA), 3);
        QCOMPARE(pA->zValue(), 0.0);
    }

    void mergeDownTextOntoRaster()
    {
        PixmapLayer *pLower = pushRaster();
        // Translucent pixels the text never touches must survive the merge exactly.
        const QImage lower = cqtest::patternImage(48, 32, 12);
        cqtest::setLayerPixels(pLower, lower);
        stack()->push(new LayerSnapshotCmd(QStringLiteral("Fill - New Layer"), pLower));
        auto *pCreate = new CreateLayerCmd(m_pDocument, Layer::Text);
        stack()->push(pCreate);
        auto *pText = static_cast<TextLayer *>(pCreate->layer());
        pText->setPlainText(QStringLiteral("MM"));
        pText->setDefaultTextColor(Qt::black);
        pText->setPos(QPointF(3, 2));
        const QStringList before = cqtest::fingerprint(m_pDocument);

        stack()->push(new LayerMergeDownCmd(pText, pLower));
        QVERIFY(pText->isDeleted());
        const QImage merged = pLower->image();
        QVERIFY(cqtest::differingPixels(merged, lower) > 0);
        QCOMPARE(merged.pixel(47, 31), lower.pixel(47, 31));
        // The text's converted copy is gone too; only the lower layer remains.
        QCOMPARE(m_pDocument->CountLayers(), 1);
        const QStringList after = cqtest::fingerprint(m_pDocument);

        stack()->undo();
        // Layers made since stay in the list, deleted.
        const QStringList undone = cqtest::fingerprint(m_pDocument);
        QCOMPARE(undone.mid(0, before.size()), before);
        for (const QString &line : undone.mid(before.size()))
            QVERIFY(line.startsWith(QStringLiteral("del=1")));
        QVERIFY(!pText->isDeleted());
        QVERIFY(pText->textInteractionFlags() & Qt::TextEditable);
        QCOMPARE(pLower->image(), lower);
        stack()->redo();
        QCOMPARE(cqtest::fingerprint(m_pDocument), after);
    }

    void convertReplaysWithoutRepainting()
    {
        pushRaster();
        auto *pCreate = new CreateLayerCmd(m_pDocument, Layer::Text);
        stack()->push(pCreate);
        auto *pText = static_cast<TextLayer *>(pCreate->layer());
        pText->setPlainText(QStringLiteral("Hello"));
        pText->setName(QStringLiteral("Hello"));
        auto *pConvert = new ConvertToPixmapCmd(pText);
        stack()->push(pConvert);
        PixmapLayer *pRaster = pConvert->newLayer();
        QVERIFY(pRaster);
        QCOMPARE(pRaster->name(), QStringLiteral("Hello"));
        QVERIFY(pText->isDeleted());
        const QImage converted = pRaster->image();
        QVERIFY(converted != QImage(converted.size(), converted.format()));
        const QStringList after = cqtest::fingerprint(m_pDocument);
        stack()->undo();
        QVERIFY(pRaster->isDeleted());
        QVERIFY(!pText->isDeleted());
        pText->setPlainText(QStringLiteral("Changed meanwhile"));
        stack()->redo();
        QCOMPARE(pConvert->newLayer(), pRaster);
        QCOMPARE(pRaster->image(), converted);
        pText->setPlainText(QStringLiteral("Hello"));
        QCOMPARE(cqtest::fingerprint(m_pDocument), after);

        // On a raster layer the command does nothing.
        auto *pNothing = new ConvertToPixmapCmd(pRaster);
        const int layers = m_pDocument->GetLayers().size();
        pNothing->redo();
        pNothing->undo();
        QCOMPARE(m_pDocument->GetLayers().size(), layers);
        delete pNothing;
    }

private:
    Document *m_pDocument = nullptr;
    QUndoStack *stack() { return m_pDocument->undoStack(); }

    PixmapLayer *pushRaster()
    {
        auto *pCreate = new CreateLayerCmd(m_pDocument, Layer::Raster);
        stack()->push(pCreate);
        return static_cast<PixmapLayer *>(pCreate->layer());
    }
};

QTEST_MAIN(TestLayerCmds)
#include "tst_layercmds.moc"
