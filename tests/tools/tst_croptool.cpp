// The crop tool: the box arithmetic (ratios that only shrink, the canvas
// edge, handles), and real gestures on a shown document: Return crops as one
// undo step that brings the earlier selection back, Escape and a missing or
// flat box change nothing, a feathered crop keeps the colours.
#include "CropGeometry.h"
#include "CropTool.h"
#include "GestureSupport.h"
#include "ToolTestSupport.h"
#include "ui_MainWindow.h"
#include "HandleGraphicsItem.h"
#include "ToolboxDlg.h"

#include <QComboBox>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUndoStack>
#include <QtTest>

using namespace CropGeometry;
using cqtest::dragCanvas;

class TestCropTool : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    ChildWindow *document(const QImage &pixels) { return cqtest::documentWith(m_pMain, pixels); }
    CropTool *tool() { return cqtest::toolOf<CropTool>(m_pMain, ToolSet::Crop); }
    PixmapLayer *layerOf(ChildWindow *pWindow) { return cqtest::layerOf(pWindow); }
    QComboBox *ratioCombo()
    {
        for (QComboBox *pCombo : m_pMain->form()->mainToolBar->findChildren<QComboBox *>())
            if (pCombo->findText(QStringLiteral("Original")) >= 0)
                return pCombo;
        return nullptr;
    }
    void key(ChildWindow *pWindow, int iKey) { QTest::keyClick(pWindow->view(), Qt::Key(iKey)); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = cqtest::startMainWindow(m_scratch.path())); }
    void cleanup()
    {
        if (QComboBox *pCombo = ratioCombo())
            pCombo->setCurrentIndex(0);
        cqtest::closeAllDocuments(m_pMain);
    }

    void ratiosOnlyShrinkTowardTheAnchor()
    {
        const double wide = 16.0 / 9.0;
        // Too wide, to the lower right: the right edge comes in to
        // anchor x + height x 16/9.
        QCOMPARE(DragBox(QPoint(10, 10), QPoint(210, 60), wide, false), QRect(10, 10, 88, 50));
        // The same up and to the left.
        QCOMPARE(DragBox(QPoint(300, 100), QPoint(100, 50), wide, false), QRect(212, 50, 88, 50));
        // Too tall: the bottom comes up to anchor y + width / ratio.
        QCOMPARE(DragBox(QPoint(0, 0), QPoint(32, 100), wide, false), QRect(0, 0, 32, 18));
        // Ratio 1: a drag 80 wide and 50 high gives 50 x 50 from the anchor.
        QCOMPARE(DragBox(QPoint(20, 30), QPoint(100, 80), 1.0, false), QRect(20, 30, 50, 50));
        QCOMPARE(DragBox(QPoint(20, 30), QPoint(0, 80), 1.0, false), QRect(0, 30, 20, 20));
        // Free, and Ctrl making it square from the shorter side.
        QCOMPARE(DragBox(QPoint(5, 5), QPoint(35, 55), 0, false), QRect(5, 5, 30, 50));
        QCOMPARE(DragBox(QPoint(5, 5), QPoint(35, 55), 0, true), QRect(5, 5, 30, 30));
        QCOMPARE(RatioFor(OriginalRatio, QSize(400, 300), 7, 7), 4.0 / 3.0);
        QCOMPARE(RatioFor(FixedRatio, QSize(400, 300), 16, 9), wide);
        QCOMPARE(RatioFor(NoRatio, QSize(400, 300), 16, 9), 0.0);
    }

    void boxesStayOnTheCanvas()
    {
        const QSize canvas(200, 100);
        QCOMPARE(Clamp(QPoint(-5, 130), canvas), QPoint(0, 100));
        QCOMPARE(KeepInside(QRect(180, -10, 50, 40), canvas), QRect(150, 0, 50, 40));
        // A corner with a ratio keeps it toward the opposite corner.
        QCOMPARE(HandleBox(QRect(20, 20, 40, 20), 4, QPoint(100, 100), 2.0, canvas), QRect(20, 20, 80, 40));
        // An edge with a ratio grows the other side about the centre line,
        // only as far as the canvas allows.
        QCOMPARE(HandleBox(QRect(20, 20, 40, 20), 3, QPoint(150, 25), 2.0, canvas), QRect(20, 0, 120, 60));
        // Free handles; never past the opposite edge.
        QCOMPARE(HandleBox(QRect(20, 20, 40, 20), 1, QPoint(30, 5), 0, canvas), QRect(20, 5, 40, 35));
        QCOMPARE(HandleBox(QRect(20, 20, 40, 20), 7, QPoint(90, 25), 0, canvas), QRect(59, 20, 1, 20));
    }

    void returnCropsInOneStepAndUndoBringsTheSelectionBack()
    {
        const QImage before = cqtest::patternImage(200, 150, 17, true);
        ChildWindow *pWindow = document(before);
        const QRegion earlier(5, 5, 10, 10);
        pWindow->SetSelection(earlier);
        m_pMain->toolbox()->Select(ToolSet::Crop);
        const int entries = pWindow->undoStack()->count();
        dragCanvas(pWindow, {QPoint(20, 30), QPoint(60, 60), QPoint(120, 90)});
        QCOMPARE(tool()->CropRect(), QRect(20, 30, 100, 60));
        key(pWindow, Qt::Key_Return);
        QCOMPARE(pWindow->canvasSize(), QSize(100, 60));
        const QImage after = layerOf(pWindow)->image();
        QCOMPARE(after, before.copy(20, 30, 100, 60));
        QVERIFY(pWindow->Selection().isEmpty());
        QVERIFY(tool()->CropRect().isEmpty());
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        pWindow->undoStack()->undo();
        cqtest::settle(pWindow);
        QCOMPARE(pWindow->canvasSize(), QSize(200, 150));
        QCOMPARE(layerOf(pWindow)->image(), before);
        QCOMPARE(pWindow->Selection(), earlier);
        pWindow->undoStack()->redo();
        cqtest::settle(pWindow);
        QCOMPARE(layerOf(pWindow)->image(), after);
        QCOMPARE(pWindow->canvasSize(), QSize(100, 60));
    }

    void escapeFlatBoxesAndNoBoxChangeNothing()
    {
        const QImage before = cqtest::patternImage(120, 90, 4, true);
        ChildWindow *pWindow = document(before);
        pWindow->SetSelection(QRegion(1, 1, 5, 5));
        m_pMain->toolbox()->Select(ToolSet::Crop);
        const int entries = pWindow->undoStack()->count();
        dragCanvas(pWindow, {QPoint(10, 10), QPoint(50, 40)});
        QVERIFY(!tool()->CropRect().isEmpty());
        key(pWindow, Qt::Key_Escape);
        QVERIFY(tool()->CropRect().isEmpty());
        key(pWindow, Qt::Key_Return);
        // A box without height is no box.
        dragCanvas(pWindow, {QPoint(10, 10), QPoint(50, 10)});
        QVERIFY(tool()->CropRect().isEmpty());
        key(pWindow, Qt::Key_Return);
        QCOMPARE(pWindow->undoStack()->count(), entries);
        QCOMPARE(pWindow->canvasSize(), QSize(120, 90));
        QCOMPARE(layerOf(pWindow)->image(), before);
        QCOMPARE(pWindow->Selection(), QRegion(1, 1, 5, 5));
    }

    void dragsStopAtTheEdgeAndTheBoxMoves()
    {
        ChildWindow *pWindow = document(cqtest::patternImage(200, 150, 6, false));
        m_pMain->toolbox()->Select(ToolSet::Crop);
        dragCanvas(pWindow, {QPoint(150, 100), QPoint(230, 190), QPoint(260, 200)});
        QCOMPARE(tool()->CropRect(), QRect(150, 100, 50, 50));
        // A drag inside moves the box; it stops at the canvas edge.
        dragCanvas(pWindow, {QPoint(170, 120), QPoint(100, 100), QPoint(40, -60)});
        QCOMPARE(tool()->CropRect(), QRect(20, 0, 50, 50));
    }

    void handlesResizeTheBox()
    {
        ChildWindow *pWindow = document(cqtest::patternImage(200, 150, 7, false));
        m_pMain->toolbox()->Select(ToolSet::Crop);
        dragCanvas(pWindow, {QPoint(40, 40), QPoint(100, 80)});
        HandleGraphicsItem *pCorner = tool()->Handle(4);
        QVERIFY(pCorner->isVisible());
        const QPointF centre = pCorner->mapToScene(pCorner->boundingRect().center());
        QCOMPARE(centre, QPointF(100, 80));
        QWidget *pViewport = pWindow->view()->viewport();
        QTest::mousePress(pViewport, Qt::LeftButton, {}, pWindow->view()->mapFromScene(centre));
        QTest::mouseMove(pViewport, pWindow->view()->mapFromScene(QPointF(130, 100)));
        QTest::mouseMove(pViewport, pWindow->view()->mapFromScene(QPointF(150, 120)));
        QTest::mouseRelease(pViewport, Qt::LeftButton, {}, pWindow->view()->mapFromScene(QPointF(150, 120)));
        QCOMPARE(tool()->CropRect(), QRect(40, 40, 110, 80));
    }

    void fixedRatioFromTheOptions()
    {
        ChildWindow *pWindow = document(cqtest::patternImage(400, 300, 8, false));
        m_pMain->toolbox()->Select(ToolSet::Crop);
        QComboBox *pRatio = ratioCombo();
        QVERIFY(pRatio);
        pRatio->setCurrentIndex(pRatio->findText(QStringLiteral("Fixed")));
        const QList<QSpinBox *> spins = m_pMain->form()->mainToolBar->findChildren<QSpinBox *>();
        QCOMPARE(spins.size(), 2);
        QVERIFY(spins[0]->isEnabled());
        spins[0]->setValue(16);
        spins[1]->setValue(9);
        dragCanvas(pWindow, {QPoint(10, 10), QPoint(100, 40), QPoint(210, 60)});
        QCOMPARE(tool()->CropRect(), QRect(10, 10, 88, 50));
        // The choice is remembered for the next time.
        m_pMain->toolbox()->Select(ToolSet::Zoom);
        m_pMain->toolbox()->Select(ToolSet::Crop);
        QCOMPARE(ratioCombo()->currentText(), QStringLiteral("Fixed"));
        QCOMPARE(m_pMain->form()->mainToolBar->findChildren<QSpinBox *>().first()->value(), 16);
    }

    // With "Feathered" checked the crop still keeps the box's pixels exactly,
    // on a moved layer too: a soft border would only eat into the picture.
    void featheredCropOnAMovedLayerIsHard()
    {
        const QImage before = cqtest::patternImage(120, 90, 12, false);
        ChildWindow *pWindow = document(before);
        layerOf(pWindow)->setPos(QPointF(-6, 4));
        pWindow->SetFeatherRadius(5);
        pWindow->SetFeather(true);
        pWindow->SetSelection(QRegion(30, 30, 20, 20));
        m_pMain->toolbox()->Select(ToolSet::Crop);
        dragCanvas(pWindow, {QPoint(20, 20), QPoint(80, 70)});
        key(pWindow, Qt::Key_Return);
        QCOMPARE(pWindow->canvasSize(), QSize(60, 50));
        QCOMPARE(layerOf(pWindow)->image(), before.copy(26, 16, 60, 50));
        QCOMPARE(layerOf(pWindow)->pos(), QPointF(0, 0));
        pWindow->SetFeather(false);
    }
};

QTEST_MAIN(TestCropTool)
#include "tst_croptool.moc"
