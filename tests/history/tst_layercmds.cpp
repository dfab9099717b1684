// Layer commands: texts, ids and merging, delete, merge down, convert to
// pixmap and the first snapshot's undo.
#include "ChangeLayerBlendingCmd.h"
#include "ChangeLayerOpacityCmd.h"
#include "ChangeLayerOrderCmd.h"
#include "ChildWindow.h"
#include "ConvertToPixmapCmd.h"
#include "CreateLayerCmd.h"
#include "DeleteLayerCmd.h"
#include "DocTestSupport.h"
#include "GraphicsScene.h"
#include "LayerDlg.h"
#include "LayerMergeDownCmd.h"
#include "LayerSnapshotCmd.h"
#include "MoveTextCmd.h"
#include "RenameLayerCmd.h"
#include "ScratchDB.h"
#include "SelectionCmd.h"
#include "TestSupport.h"
#include "TextEditCmd.h"
#include "UndoDlg.h"

#include <QComboBox>
#include <QGraphicsScene>
#include <QSet>
#include <QSlider>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

class TestLayerCmds : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void idsAndTexts();
    void opacityAndBlendingMerge();
    void moveUpMerges();
    void deleteAndUndo();
    void mergeDownTextOntoRaster();
    void convertReplaysWithoutRepainting();
    void firstSnapshotUndo();

private:
    QTemporaryDir m_tmp;
    ChildWindow *m_pWindow = nullptr;
    QUndoStack *stack() { return m_pWindow->undoStack(); }
    PixmapLayer *pushRaster();
};

void TestLayerCmds::initTestCase()
{
    cqtest::isolateSettings();
    QVERIFY(m_tmp.isValid());
    ScratchDB::instance()->Init(m_tmp.path(), 256 * 1024 * 1024);
}

void TestLayerCmds::init()
{
    m_pWindow = new ChildWindow(nullptr, QSize(48, 32));
    m_pWindow->Activate();
}

void TestLayerCmds::cleanup()
{
    UndoDlg::instance()->setStack(nullptr);
    LayerDlg::instance()->Clear();
    delete m_pWindow;
    m_pWindow = nullptr;
}

PixmapLayer *TestLayerCmds::pushRaster()
{
    auto *pCreate = new CreateLayerCmd(m_pWindow, Layer::Raster);
    stack()->push(pCreate);
    return static_cast<PixmapLayer *>(pCreate->layer());
}

void TestLayerCmds::idsAndTexts()
{
    QGraphicsScene scene;
    PixmapLayer layer(&scene, 4, 4);
    layer.setName(QStringLiteral("Sky"));
    QList<QUndoCommand *> commands = {
        new CreateLayerCmd(m_pWindow, Layer::Raster),
        new RenameLayerCmd(&layer, nullptr, QStringLiteral("a"), QStringLiteral("b")),
        new ChangeLayerOpacityCmd(&layer, 100, 50),
        new ChangeLayerBlendingCmd(&layer, 0, 13),
        new ChangeLayerOrderCmd(&layer, 1, 0),
        new DeleteLayerCmd(&layer),
        new LayerSnapshotCmd(QStringLiteral("Fill - Sky"), &layer),
        new LayerMergeDownCmd(&layer, &layer),
        new ConvertToPixmapCmd(&layer),
        new MoveTextCmd(&layer, QPoint(), QPoint(1, 1)),
        new SelectionCmd(m_pWindow, QRegion(), QRegion()),
    };
    const QStringList texts = {"New Layer", "Layer Name", "Layer(Sky) Opacity", "Layer Blending Mode",
                               "Layer Order (Sky)", "Delete Layer (Sky)", "Fill - Sky", "Layer Merge Down",
                               "Convert To Pixmap", "Move Text", "Selection Change"};
    QSet<int> ids;
    for (int i = 0; i < commands.size(); ++i) {
        QCOMPARE(commands[i]->text(), texts[i]);
        QVERIFY(commands[i]->id() > 0);
        ids.insert(commands[i]->id());
        QCOMPARE(commands[i]->id(), commands[i]->id());
    }
    QCOMPARE(ids.size(), commands.size());
    qDeleteAll(commands);
}

void TestLayerCmds::opacityAndBlendingMerge()
{
    PixmapLayer *pA = pushRaster();
    PixmapLayer *pB = pushRaster();
    const int base = stack()->count();
    LayerDlg *pPanel = LayerDlg::instance();
    auto *pSlider = pPanel->findChild<QSlider *>(QStringLiteral("opacity"));
    auto *pCombo = pPanel->findChild<QComboBox *>(QStringLiteral("blendingMode"));
    pPanel->SelectLayer(pA);
    for (int v = 100; v >= 40; v -= 5)
        pSlider->setValue(v);
    QCOMPARE(stack()->count(), base + 1);
    QCOMPARE(pA->opacity(), 0.4);
    stack()->undo();
    QCOMPARE(pA->opacity(), 1.0);
    QCOMPARE(pPanel->OpacityShown(), 100);
    QCOMPARE(pA->opacityValue(), 100);
    stack()->redo();
    QCOMPARE(pA->opacity(), 0.4);

    pPanel->SelectLayer(pB);
    pSlider->setValue(70);
    QCOMPARE(stack()->count(), base + 2);
    pCombo->setCurrentIndex(1);
    pCombo->setCurrentIndex(3);
    QCOMPARE(stack()->count(), base + 3);
    QCOMPARE(pB->blendingMode(), 11);
    stack()->undo();
    QCOMPARE(pB->blendingMode(), 0);
    QCOMPARE(pPanel->BlendingModeShown(), 0);
    QCOMPARE(pB->opacity(), 0.7);
}

void TestLayerCmds::moveUpMerges()
{
    PixmapLayer *pA = pushRaster();
    pushRaster();
    pushRaster();
    pushRaster();
    LayerDlg *pPanel = LayerDlg::instance();
    pPanel->SelectLayer(pA);
    const int base = stack()->count();
    for (int i = 0; i < 3; ++i)
        pPanel->on_moveLayerUpBtn_clicked();
    QCOMPARE(stack()->count(), base + 1);
    QCOMPARE(pPanel->RowOf(pA), 0);
    QCOMPARE(pA->zValue(), 3.0);
    stack()->undo();
    QCOMPARE(pPanel->RowOf(pA), 3);
    QCOMPARE(pA->zValue(), 0.0);
}

void TestLayerCmds::deleteAndUndo()
{
    pushRaster();
    PixmapLayer *pLayer = pushRaster();
    const QImage pixels = cqtest::patternImage(48, 32, 4).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    cqtest::setLayerPixels(pLayer, pixels);
    stack()->push(new LayerSnapshotCmd(QStringLiteral("Fill - New Layer"), pLayer));
    stack()->push(new RenameLayerCmd(pLayer, nullptr, pLayer->name(), QStringLiteral("Ink")));
    stack()->push(new ChangeLayerOpacityCmd(pLayer, 100, 35));
    stack()->push(new ChangeLayerBlendingCmd(pLayer, 0, 22));
    const QStringList before = cqtest::fingerprint(m_pWindow);
    const int row = LayerDlg::instance()->RowOf(pLayer);
    stack()->push(new DeleteLayerCmd(pLayer));
    QVERIFY(pLayer->isDeleted());
    QVERIFY(!pLayer->scene());
    QCOMPARE(LayerDlg::instance()->RowOf(pLayer), -1);
    QCOMPARE(m_pWindow->CountLayers(), 1);
    stack()->undo();
    QVERIFY(pLayer->scene() == static_cast<QGraphicsScene *>(m_pWindow->scene()));
    QCOMPARE(LayerDlg::instance()->RowOf(pLayer), row);
    QCOMPARE(cqtest::fingerprint(m_pWindow), before);
    QCOMPARE(cqtest::differingPixels(cqtest::layerPixels(pLayer), pixels), qint64(0));
}

void TestLayerCmds::mergeDownTextOntoRaster()
{
    PixmapLayer *pLower = pushRaster();
    QImage lower(48, 32, QImage::Format_ARGB32_Premultiplied);
    lower.fill(Qt::white);
    cqtest::setLayerPixels(pLower, lower);
    stack()->push(new LayerSnapshotCmd(QStringLiteral("Fill - New Layer"), pLower));
    auto *pCreate = new CreateLayerCmd(m_pWindow, Layer::Text);
    stack()->push(pCreate);
    auto *pText = static_cast<TextLayer *>(pCreate->layer());
    pText->setPlainText(QStringLiteral("MM"));
    pText->setDefaultTextColor(Qt::black);
    pText->setPos(QPointF(3, 2));
    const QStringList before = cqtest::fingerprint(m_pWindow);

    stack()->push(new LayerMergeDownCmd(pText, pLower));
    QVERIFY(pText->isDeleted());
    const QImage merged = cqtest::layerPixels(pLower);
    QVERIFY(cqtest::differingPixels(merged, lower) > 0);
    // The text's converted copy is gone too; only the lower layer remains.
    QCOMPARE(m_pWindow->CountLayers(), 1);
    const QStringList after = cqtest::fingerprint(m_pWindow);

    stack()->undo();
    // Layers made since stay in the list, deleted.
    const QStringList undone = cqtest::fingerprint(m_pWindow);
    QCOMPARE(undone.mid(0, before.size()), before);
    for (const QString &line : undone.mid(before.size()))
        QVERIFY(line.startsWith(QStringLiteral("del=1")));
    QVERIFY(!pText->isDeleted());
    QVERIFY(pText->textInteractionFlags() & Qt::TextEditable);
    QCOMPARE(cqtest::differingPixels(cqtest::layerPixels(pLower), lower), qint64(0));
    stack()->redo();
    QCOMPARE(cqtest::fingerprint(m_pWindow), after);
}

void TestLayerCmds::convertReplaysWithoutRepainting()
{
    pushRaster();
    auto *pCreate = new CreateLayerCmd(m_pWindow, Layer::Text);
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
    const QImage converted = cqtest::layerPixels(pRaster);
    QVERIFY(converted != QImage(converted.size(), converted.format()));
    const QStringList after = cqtest::fingerprint(m_pWindow);
    stack()->undo();
    QVERIFY(pRaster->isDeleted());
    QVERIFY(!pText->isDeleted());
    pText->setPlainText(QStringLiteral("Changed meanwhile"));
    stack()->redo();
    QCOMPARE(pConvert->newLayer(), pRaster);
    QCOMPARE(cqtest::differingPixels(cqtest::layerPixels(pRaster), converted), qint64(0));
    pText->setPlainText(QStringLiteral("Hello"));
    QCOMPARE(cqtest::fingerprint(m_pWindow), after);

    // On a raster layer the command does nothing.
    auto *pNothing = new ConvertToPixmapCmd(pRaster);
    const int layers = m_pWindow->GetLayers().size();
    pNothing->redo();
    pNothing->undo();
    QCOMPARE(m_pWindow->GetLayers().size(), layers);
    delete pNothing;
}

void TestLayerCmds::firstSnapshotUndo()
{
    PixmapLayer *pLayer = pushRaster();
    const QImage creation = cqtest::layerPixels(pLayer);
    QImage red(48, 32, QImage::Format_ARGB32_Premultiplied);
    red.fill(Qt::red);
    cqtest::setLayerPixels(pLayer, red);
    stack()->push(new LayerSnapshotCmd(QStringLiteral("Fill - New Layer"), pLayer));
    stack()->undo();
    ScratchDB::instance()->WaitForPending(pLayer);
    QCOMPARE(cqtest::differingPixels(cqtest::layerPixels(pLayer), creation), qint64(0));
    QCOMPARE(qAlpha(cqtest::layerPixels(pLayer).pixel(5, 5)), 0);
    stack()->redo();
    QCOMPARE(cqtest::differingPixels(cqtest::layerPixels(pLayer), red), qint64(0));
}

QTEST_MAIN(TestLayerCmds)
#include "tst_layercmds.moc"
