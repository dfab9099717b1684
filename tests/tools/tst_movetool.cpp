// The move tool driven by real mouse and key events on a shown document's
// overlay: lifted pixels leave the layer while they float and commit as one
// undo step that undoes and redoes exactly in every layer placement, zoom
// and scrolled view; Escape and switching tools put the layer back exactly,
// nudges, the ratio lock, rotation, and a text layer moved in one step; and
// the frame arithmetic on its own.
#include "FloatingPicture.h"
#include "GestureSupport.h"
#include "ToolTestSupport.h"
#include "ui_MainWindow.h"
#include "GraphicsView.h"
#include "HandleGraphicsItem.h"
#include "MoveGeometry.h"
#include "MoveTool.h"
#include "Situations.h"
#include "ToolboxDlg.h"

#include <QDoubleSpinBox>
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
    void drag(ChildWindow *pWindow, QPointF from, QPointF to) { cqtest::overlayDrag(pWindow, from, to); }
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

    // In every situation: the handles sit on the lifted box at the zoom and
    // scroll shown; a drag floats the selected pixels (they leave the layer
    // meanwhile) and Return lands them where the box went, as one step that
    // undoes and redoes exactly; the layer stays where it was.
    void dragLiftsThenCommitsOneExactStep_data() { cqtest::addSituations(); }
    void dragLiftsThenCommitsOneExactStep()
    {
        QFETCH(cqtest::Situation, situation);
        const QImage before = cqtest::patternImage(200, 150, 21, false);
        ChildWindow *pWindow = cqtest::documentIn(m_pMain, situation, before);
        const QPoint corner = situation.reachable(before.size()).topLeft() + QPoint(20, 20);
        // Large enough that a reduced view's handles leave its middle free.
        const QRegion selected =
            QRegion(QRect(corner, QSize(90, 70))) + QRegion(corner.x() + 75, corner.y() + 60, 20, 20, QRegion::Ellipse);
        const QPoint onCanvas = situation.layerAt;
        pWindow->SetSelection(selected.translated(onCanvas));
        if (situation.bScrolled)
            cqtest::viewPointFor(pWindow, situation, corner);
        m_pMain->toolbox()->Select(ToolSet::Move);
        QVERIFY(pWindow->overlayView()->isVisible());
        HandleGraphicsItem *pCorner = tool()->Handle(0);
        const QPointF handle = pCorner->mapToScene(pCorner->boundingRect().center());
        QVERIFY((handle - at(QPointF(corner + onCanvas))).manhattanLength() < 1.01);
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, QPointF(corner + onCanvas + QPoint(45, 35)), QPointF(corner + onCanvas + QPoint(70, 45)));
        QVERIFY(tool()->IsPending());
        // Where the box went (a reduced view moves it in steps of its pixels).
        const QPoint offset = tool()->Box().topLeft() - (corner + onCanvas);
        QVERIFY2((offset - QPoint(25, 10)).manhattanLength() <= 6,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        QCOMPARE(qAlpha(layerOf(pWindow)->image().pixel(corner + QPoint(2, 2))), 0);
        QCOMPARE(pWindow->undoStack()->count(), entries);
        key(pWindow, Qt::Key_Return);
        QVERIFY(!tool()->IsPending());
        const QImage after = layerOf(pWindow)->image();
        QCOMPARE(cqtest::firstDifference(after, moved(before, selected, offset)), QString());
        QCOMPARE(layerOf(pWindow)->pos(), QPointF(onCanvas));
        QCOMPARE(pWindow->Selection(), selected.translated(onCanvas + offset));
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        undoRedoExact(pWindow, before, selected.translated(onCanvas), after);
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
        // (Undo, the history list and saving while it floats are in
        // tst_gestureguard's table.)
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
        QImage before = cqtest::filledImage(160, 120, qRgb(255, 255, 255));
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
