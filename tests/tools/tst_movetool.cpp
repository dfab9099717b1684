// The move tool driven by real mouse and key events on a shown document's
// overlay: lifted pixels leave the layer while they float, commit as one
// undo step that undoes and redoes exactly, Escape and switching tools put
// the layer back exactly, nudges, the ratio lock, rotation, zoom, and a
// text layer moved in one step; and the frame arithmetic on its own.
#include "FloatingPicture.h"
#include "GestureSupport.h"
#include "ToolTestSupport.h"
#include "ui_MainWindow.h"
#include "GraphicsView.h"
#include "HandleGraphicsItem.h"
#include "MoveGeometry.h"
#include "MoveTool.h"
#include "ToolboxDlg.h"

#include <QDoubleSpinBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUndoStack>
#include <QtTest>

class TestMoveTool : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    ChildWindow *document(const QImage &pixels) { return cqtest::documentWith(m_pMain, pixels); }
    MoveTool *tool() { return cqtest::toolOf<MoveTool>(m_pMain, ToolSet::Move); }
    PixmapLayer *layerOf(ChildWindow *pWindow) { return cqtest::layerOf(pWindow); }
    QPointF at(QPointF canvasPoint) { return tool()->Overlay().FromCanvas(canvasPoint); }
    // A drag on the overlay between canvas points.
    void drag(ChildWindow *pWindow, QPointF from, QPointF to)
    {
        QWidget *pViewport = pWindow->overlayView()->viewport();
        QTest::mousePress(pViewport, Qt::LeftButton, {}, at(from).toPoint());
        QTest::mouseMove(pViewport, ((at(from) + at(to)) / 2).toPoint());
        QTest::mouseMove(pViewport, at(to).toPoint());
        QTest::mouseRelease(pViewport, Qt::LeftButton, {}, at(to).toPoint());
    }
    // One undo brings back the pixels and the selection from before, one
    // redo those from after.
    void undoRedoExact(ChildWindow *pWindow, const QImage &before, const QRegion &selectedBefore, const QImage &after)
    {
        const QRegion selectedAfter = pWindow->Selection();
        pWindow->undoStack()->undo();
        cqtest::settle(pWindow);
        QCOMPARE(layerOf(pWindow)->image(), before);
        QCOMPARE(pWindow->Selection(), selectedBefore);
        pWindow->undoStack()->redo();
        cqtest::settle(pWindow);
        QCOMPARE(layerOf(pWindow)->image(), after);
        QCOMPARE(pWindow->Selection(), selectedAfter);
    }
    void key(ChildWindow *pWindow, int iKey) { QTest::keyClick(pWindow->overlayView(), Qt::Key(iKey)); }
    // What moving the opaque pixels of `region` by `offset` gives: the place
    // they left is transparent (colour kept), they cover what they land on.
    static QImage moved(const QImage &before, const QRegion &region, QPoint offset)
    {
        QImage expected = before;
        for (const QRect &r : region)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    expected.setPixel(x, y, before.pixel(x, y) & 0x00ffffffu);
        for (const QRect &r : region)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (expected.rect().contains(QPoint(x, y) + offset))
                        expected.setPixel(QPoint(x, y) + offset, before.pixel(x, y));
        return expected;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = cqtest::startMainWindow(m_scratch.path())); }
    void cleanup()
    {
        m_pMain->toolbox()->Select(ToolSet::Zoom);
        cqtest::closeAllDocuments(m_pMain);
    }

    void dragLiftsThenCommitsOneExactStep()
    {
        const QImage before = cqtest::patternImage(200, 150, 21, false);
        ChildWindow *pWindow = document(before);
        const QRegion selected = QRegion(20, 20, 40, 30) + QRegion(50, 45, 20, 20, QRegion::Ellipse);
        pWindow->SetSelection(selected);
        m_pMain->toolbox()->Select(ToolSet::Move);
        QVERIFY(pWindow->overlayView()->isVisible());
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, QPointF(30, 30), QPointF(55, 40));
        QVERIFY(tool()->IsPending());
        QCOMPARE(tool()->Box().topLeft(), QPoint(45, 30));
        // The lifted pixels left the layer while they float.
        QCOMPARE(qAlpha(layerOf(pWindow)->image().pixel(22, 22)), 0);
        QCOMPARE(pWindow->undoStack()->count(), entries);
        key(pWindow, Qt::Key_Return);
        QVERIFY(!tool()->IsPending());
        const QImage after = layerOf(pWindow)->image();
        QCOMPARE(cqtest::differingPixels(after, moved(before, selected, QPoint(25, 10))), qint64(0));
        QCOMPARE(pWindow->Selection(), selected.translated(25, 10));
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        undoRedoExact(pWindow, before, selected, after);
    }

    void escapeAndSwitchingToolsRestoreExactly()
    {
        // Translucent pixels too: the restore is the very pixels.
        const QImage before = cqtest::patternImage(120, 90, 5, true);
        ChildWindow *pWindow = document(before);
        pWindow->SetSelection(QRegion(10, 10, 50, 40));
        m_pMain->toolbox()->Select(ToolSet::Move);
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, QPointF(20, 20), QPointF(70, 60));
        QVERIFY(layerOf(pWindow)->image() != before);
        key(pWindow, Qt::Key_Escape);
        QCOMPARE(layerOf(pWindow)->image(), before);
        QCOMPARE(pWindow->undoStack()->count(), entries);
        QCOMPARE(pWindow->Selection(), QRegion(10, 10, 50, 40));
        // Ctrl+Z while the picture floats lands it, then takes it back:
        // Ctrl+Y brings it again.
        drag(pWindow, QPointF(20, 20), QPointF(40, 30));
        m_pMain->form()->action_Undo->trigger();
        cqtest::settle(pWindow);
        QVERIFY(!tool()->IsPending());
        QCOMPARE(layerOf(pWindow)->image(), before);
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        QCOMPARE(pWindow->undoStack()->index(), entries);
        m_pMain->form()->action_Redo->trigger();
        cqtest::settle(pWindow);
        const QImage landed = layerOf(pWindow)->image();
        QVERIFY(landed != before);
        undoRedoExact(pWindow, before, QRegion(10, 10, 50, 40), landed);
        pWindow->undoStack()->undo();
        cqtest::settle(pWindow);
        drag(pWindow, QPointF(20, 20), QPointF(5, 50));
        m_pMain->toolbox()->Select(ToolSet::Brush);
        QCOMPARE(layerOf(pWindow)->image(), before);
        QCOMPARE(pWindow->undoStack()->index(), entries);
        QVERIFY(!pWindow->overlayView()->isVisible());
    }

    // Without a selection the whole layer moves, and what goes off the
    // canvas stays with the layer: dragged back, the picture is whole again.
    void wholeLayerKeepsWhatLeftTheCanvas()
    {
        const QImage before = cqtest::patternImage(80, 60, 8, false);
        ChildWindow *pWindow = document(before);
        m_pMain->toolbox()->Select(ToolSet::Move);
        drag(pWindow, QPointF(40, 30), QPointF(70, 45));
        key(pWindow, Qt::Key_Enter);
        QCOMPARE(pWindow->undoStack()->undoText(), QStringLiteral("Move"));
        QCOMPARE(cqtest::onCanvas(layerOf(pWindow), QSize(80, 60)),
                 moved(before, QRegion(0, 0, 80, 60), QPoint(30, 15)));
        drag(pWindow, QPointF(50, 40), QPointF(20, 25));
        key(pWindow, Qt::Key_Enter);
        QCOMPARE(cqtest::firstDifference(cqtest::onCanvas(layerOf(pWindow), QSize(80, 60)), before), QString());
        pWindow->undoStack()->undo();
        cqtest::settle(pWindow);
        QCOMPARE(cqtest::onCanvas(layerOf(pWindow), QSize(80, 60)),
                 moved(before, QRegion(0, 0, 80, 60), QPoint(30, 15)));
        pWindow->undoStack()->undo();
        cqtest::settle(pWindow);
        QCOMPARE(layerOf(pWindow)->image(), before);
        QVERIFY(pWindow->Selection().isEmpty());
    }

    void arrowKeysNudgeAfterRepeatedActivation()
    {
        const QImage before = cqtest::patternImage(90, 70, 13, false);
        ChildWindow *pWindow = document(before);
        const QRegion selected(30, 20, 20, 20);
        pWindow->SetSelection(selected);
        for (int i = 0; i < 3; ++i) {
            m_pMain->toolbox()->Select(ToolSet::Move);
            m_pMain->toolbox()->Select(ToolSet::Pan);
        }
        m_pMain->toolbox()->Select(ToolSet::Move);
        for (int iKey : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up,
                         Qt::Key_Left, Qt::Key_Down})
            key(pWindow, iKey);
        QCOMPARE(tool()->Box(), QRect(32, 22, 20, 20));
        key(pWindow, Qt::Key_Return);
        QCOMPARE(cqtest::differingPixels(layerOf(pWindow)->image(), moved(before, selected, QPoint(2, 2))), qint64(0));
    }

    void ctrlKeepsTheLiftedProportions()
    {
        const QImage before = cqtest::patternImage(200, 160, 3, false);
        ChildWindow *pWindow = document(before);
        pWindow->SetSelection(QRegion(40, 40, 60, 30));
        m_pMain->toolbox()->Select(ToolSet::Move);
        QWidget *pViewport = pWindow->overlayView()->viewport();
        HandleGraphicsItem *pCorner = tool()->Handle(4);
        QVERIFY(pCorner->isVisible());
        const QPointF grab = pCorner->mapToScene(pCorner->boundingRect().center());
        cqtest::sendMouse(pViewport, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(tool()->IsPending());
        cqtest::sendMouse(pViewport, QEvent::MouseMove, grab + QPointF(30, 4), Qt::NoButton, Qt::LeftButton,
                          Qt::ControlModifier);
        cqtest::sendMouse(pViewport, QEvent::MouseButtonRelease, grab + QPointF(30, 4), Qt::LeftButton, Qt::NoButton,
                          Qt::ControlModifier);
        const QRect box = tool()->Box();
        QCOMPARE(box.topLeft(), QPoint(40, 40));
        QCOMPARE(box.width(), 90);
        QCOMPARE(box.height(), 45);
        // Without Ctrl the sides go their own ways.
        const QPointF again = pCorner->mapToScene(pCorner->boundingRect().center());
        cqtest::sendMouse(pViewport, QEvent::MouseButtonPress, again, Qt::LeftButton, Qt::LeftButton);
        cqtest::sendMouse(pViewport, QEvent::MouseMove, again + QPointF(-20, 15), Qt::NoButton, Qt::LeftButton);
        cqtest::sendMouse(pViewport, QEvent::MouseButtonRelease, again + QPointF(-20, 15), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(tool()->Box().size(), QSize(70, 60));
        key(pWindow, Qt::Key_Escape);
        QCOMPARE(layerOf(pWindow)->image(), before);
    }

    // The frame arithmetic on its own: the ratio lock anchors the sides the
    // handle does not move and lets the side moved further lead; the
    // rotation handle reads 0 straight above the centre, clockwise.
    void frameArithmetic()
    {
        using MoveGeometry::HandleBox;
        const QRect box(40, 40, 60, 30);
        // Top-left corner, mostly sideways: the bottom-right corner stays.
        QCOMPARE(HandleBox(box, 0, QPointF(20.4, 35), QPointF(40, 40), 2.0, true), QRect(20, 30, 80, 40));
        QCOMPARE(HandleBox(box, 0, QPointF(20.4, 35), QPointF(40, 40), 2.0, false), QRect(20, 35, 80, 35));
        // Top edge, mostly up: the height leads and the width grows rightward.
        QCOMPARE(HandleBox(box, 1, QPointF(75, 20), QPointF(70, 40), 2.0, true), QRect(40, 20, 100, 50));
        // No ratio to keep: a free drag.
        QCOMPARE(HandleBox(box, 1, QPointF(75, 20), QPointF(70, 40), 0.0, true), QRect(40, 20, 60, 50));
        // A very wide ratio never leaves an empty box.
        QCOMPARE(HandleBox(QRect(0, 0, 100, 2), 4, QPointF(3, 2), QPointF(100, 2), 50.0, true), QRect(0, 0, 3, 1));

        using MoveGeometry::RotationAt;
        const QPointF centre(50, 50);
        QCOMPARE(RotationAt(centre, QPointF(50, 0)), 0.0);
        QCOMPARE(RotationAt(centre, QPointF(100, 50)), 90.0);
        QCOMPARE(RotationAt(centre, QPointF(50, 100)), 180.0);
        QCOMPARE(RotationAt(centre, QPointF(0, 50)), 270.0);
        const double nearlyRound = RotationAt(centre, QPointF(49, 0));
        QVERIFY2(nearlyRound > 358.8 && nearlyRound < 359, qPrintable(QString::number(nearlyRound)));
    }

    void rotatedCommitUndoesAndRedoesExactly()
    {
        QImage before(160, 120, QImage::Format_ARGB32);
        before.fill(qRgb(255, 255, 255));
        for (int y = 40; y < 70; ++y)
            for (int x = 50; x < 100; ++x)
                before.setPixel(x, y, qRgb(200, 0, 0));
        ChildWindow *pWindow = document(before);
        const QRegion selected(50, 40, 50, 30);
        pWindow->SetSelection(selected);
        m_pMain->toolbox()->Select(ToolSet::Move);
        auto *pSpin = m_pMain->form()->mainToolBar->findChild<QDoubleSpinBox *>();
        QVERIFY(pSpin);
        pSpin->setValue(90);
        QVERIFY(tool()->IsPending());
        key(pWindow, Qt::Key_Return);
        const QImage after = layerOf(pWindow)->image();
        // Turned a quarter about its centre (75, 55): 30 wide and 50 high.
        QCOMPARE(after.pixel(75, 55), qRgb(200, 0, 0));
        QCOMPARE(after.pixel(75, 32), qRgb(200, 0, 0));
        QCOMPARE(qAlpha(after.pixel(55, 45)), 0);   // left behind: transparent
        QCOMPARE(after.pixel(10, 10), qRgb(255, 255, 255));
        const QRegion expectedSelection =
            FloatingPicture::Placement(QSize(50, 30), QRect(50, 40, 50, 30), 90).map(QRegion(0, 0, 50, 30));
        QCOMPARE(pWindow->Selection(), expectedSelection);
        QCOMPARE(pWindow->Selection().boundingRect(), QRect(60, 30, 30, 50));
        undoRedoExact(pWindow, before, selected, after);
    }

    void followsTheZoom()
    {
        const QImage before = cqtest::patternImage(100, 80, 9, false);
        ChildWindow *pWindow = document(before);
        pWindow->SetSelection(QRegion(10, 10, 20, 20));
        m_pMain->toolbox()->Select(ToolSet::Move);
        pWindow->SetZoom(200);
        QCoreApplication::processEvents();
        // The handles sit on the zoomed box, in screen pixels.
        HandleGraphicsItem *pCorner = tool()->Handle(0);
        const QPointF centre = pCorner->mapToScene(pCorner->boundingRect().center());
        QVERIFY((centre - at(QPointF(10, 10))).manhattanLength() < 1.01);
        QCOMPARE(at(QPointF(30, 10)).x() - at(QPointF(10, 10)).x(), 40.0);
        // 20 screen pixels are 10 canvas pixels.
        drag(pWindow, QPointF(15, 15), QPointF(25, 15));
        QCOMPARE(tool()->Box(), QRect(20, 10, 20, 20));
        key(pWindow, Qt::Key_Escape);
        QCOMPARE(layerOf(pWindow)->image(), before);
    }

    void followsScrolling()
    {
        ChildWindow *pWindow = document(cqtest::patternImage(600, 500, 10, false));
        pWindow->SetZoom(300);
        pWindow->SetSelection(QRegion(50, 50, 40, 40));
        m_pMain->toolbox()->Select(ToolSet::Move);
        QCoreApplication::processEvents();
        HandleGraphicsItem *pCorner = tool()->Handle(0);
        const QPointF before = pCorner->mapToScene(pCorner->boundingRect().center());
        QScrollBar *pBar = pWindow->scrollArea()->horizontalScrollBar();
        QVERIFY(pBar->maximum() > 100);
        pBar->setValue(pBar->value() + 100);
        QCoreApplication::processEvents();
        const QPointF after = pCorner->mapToScene(pCorner->boundingRect().center());
        QVERIFY((after - (before - QPointF(100, 0))).manhattanLength() < 1.01);
        // Dragging still lands in canvas pixels under the pointer.
        drag(pWindow, QPointF(60, 60), QPointF(70, 65));
        QCOMPARE(tool()->Box(), QRect(60, 55, 40, 40));
    }

    void anUndoWhileFloatingPutsTheLayerBack()
    {
        const QImage before = cqtest::patternImage(100, 80, 31, false);
        ChildWindow *pWindow = document(before);
        pWindow->SelectAll();
        pWindow->SetSelection(QRegion(20, 20, 30, 30));
        m_pMain->toolbox()->Select(ToolSet::Move);
        drag(pWindow, QPointF(25, 25), QPointF(60, 60));
        QVERIFY(tool()->IsPending());
        pWindow->undoStack()->undo();
        QVERIFY(!tool()->IsPending());
        QCOMPARE(layerOf(pWindow)->image(), before);

        // Edit > Undo takes back the float, not the step before it.
        const int entries = pWindow->undoStack()->index();
        drag(pWindow, QPointF(25, 25), QPointF(60, 60));
        m_pMain->form()->action_Undo->trigger();
        QVERIFY(!tool()->IsPending());
        QCOMPARE(pWindow->undoStack()->index(), entries);
        QCOMPARE(layerOf(pWindow)->image(), before);

        // Saving lands a floating picture first: the file holds what is shown.
        drag(pWindow, QPointF(25, 25), QPointF(60, 60));
        pWindow->SetFileName(m_scratch.filePath(QStringLiteral("moved.cq")));
        m_pMain->fileActions().SaveDocument(pWindow);
        QVERIFY(!tool()->IsPending());
        QCOMPARE(pWindow->undoStack()->index(), entries + 1);
        QVERIFY(!pWindow->isWindowModified());
    }

    void textLayerMovesInOneStep()
    {
        ChildWindow *pWindow = document(cqtest::patternImage(120, 90, 2, false));
        Layer *pText = pWindow->CreateLayer(Layer::Text);
        pText->setPos(QPointF(10, 10));
        m_pMain->toolbox()->Select(ToolSet::Move);
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, QPointF(30, 30), QPointF(45, 38));
        QCOMPARE(pText->pos(), QPointF(25, 18));
        QVERIFY(!tool()->IsPending());
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        // A nudge right after joins the same step (moves of one text layer merge).
        key(pWindow, Qt::Key_Left);
        QCOMPARE(pText->pos(), QPointF(24, 18));
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        pWindow->undoStack()->undo();
        QCOMPARE(pText->pos(), QPointF(10, 10));
    }
};

QTEST_MAIN(TestMoveTool)
#include "tst_movetool.moc"
