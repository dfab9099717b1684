// The rectangle, ellipse and lasso selections and the move-selection tool
// driven by real mouse events on a shown document: how shapes combine with
// the selection, one undo step per gesture from the region before the
// press, a press inside the selection moving it, and the feather options.
#include "GestureSupport.h"
#include "ToolTestSupport.h"
#include "ui_MainWindow.h"
#include "LassoTool.h"
#include "SelectTool.h"
#include "ToolboxDlg.h"

#include <QCheckBox>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUndoStack>
#include <QtTest>

using cqtest::dragCanvas;

class TestSelectTools : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    // A new 120 x 80 document at 100 % with the tool chosen.
    ChildWindow *document(ToolSet::Kind eTool = ToolSet::RectSelect)
    {
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(120, 80));
        pWindow->SetZoom(100);
        QCoreApplication::processEvents();
        m_pMain->toolbox()->Select(eTool);
        return pWindow;
    }
    static QRegion rect(QPoint a, QPoint b) { return QRegion(QRect(a, b)); }
    QCheckBox *optionBox(const QString &text)
    {
        for (QCheckBox *pBox : m_pMain->form()->mainToolBar->findChildren<QCheckBox *>())
            if (pBox->text() == text)
                return pBox;
        return nullptr;
    }
    // Undoes one step and checks the region it brings back.
    static void undoTo(ChildWindow *pWindow, const QRegion &expected)
    {
        pWindow->undoStack()->undo();
        QCOMPARE(pWindow->Selection(), expected);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = cqtest::startMainWindow(m_scratch.path())); }
    void cleanup() { cqtest::endToolCase(m_pMain); }

    void shapesReplaceAddSubtractAndStayOnTheCanvas()
    {
        ChildWindow *pWindow = document(ToolSet::RectSelect);
        QUndoStack *pStack = pWindow->undoStack();
        const int entries = pStack->count();
        dragCanvas(pWindow, {QPoint(10, 10), QPoint(25, 20), QPoint(40, 30)});
        const QRegion first = rect(QPoint(10, 10), QPoint(40, 30));
        QCOMPARE(pWindow->Selection(), first);
        dragCanvas(pWindow, {QPoint(50, 50), QPoint(60, 60)}, Qt::ShiftModifier);
        const QRegion added = first + rect(QPoint(50, 50), QPoint(60, 60));
        QCOMPARE(pWindow->Selection(), added);
        dragCanvas(pWindow, {QPoint(15, 15), QPoint(20, 20)}, Qt::AltModifier);
        const QRegion taken = added - rect(QPoint(15, 15), QPoint(20, 20));
        QCOMPARE(pWindow->Selection(), taken);
        // Past the canvas edge: only the part on the canvas is selected.
        dragCanvas(pWindow, {QPoint(100, 70), QPoint(130, 90), QPoint(150, 95)}, Qt::ShiftModifier);
        const QRegion clipped = taken + QRegion(100, 70, 20, 10);
        QCOMPARE(pWindow->Selection(), clipped);
        QCOMPARE(pStack->count(), entries + 4);
        undoTo(pWindow, taken);
        undoTo(pWindow, added);
        undoTo(pWindow, first);
        undoTo(pWindow, QRegion());
    }

    void aGestureIsOneStepFromTheRegionBeforeThePress()
    {
        ChildWindow *pWindow = document(ToolSet::RectSelect);
        QUndoStack *pStack = pWindow->undoStack();
        // Replacing nothing, then undoing, leaves no selection.
        dragCanvas(pWindow, {QPoint(5, 5), QPoint(30, 30)});
        undoTo(pWindow, QRegion());
        pStack->redo();
        const QRegion before = pWindow->Selection();
        // Replacing a selection: undo brings that selection back.
        const int entries = pStack->count();
        dragCanvas(pWindow, {QPoint(60, 40), QPoint(90, 70)});
        QCOMPARE(pWindow->Selection(), rect(QPoint(60, 40), QPoint(90, 70)));
        QCOMPARE(pStack->count(), entries + 1);
        undoTo(pWindow, before);
        // A click outside clears the selection, also as one step.
        cqtest::clickCanvas(pWindow, QPoint(100, 10));
        QVERIFY(pWindow->Selection().isEmpty());
        QCOMPARE(pStack->count(), entries + 1);
        undoTo(pWindow, before);
        // A click with nothing selected records nothing.
        pWindow->SetSelection(QRegion());
        const int quiet = pStack->count();
        cqtest::clickCanvas(pWindow, QPoint(100, 10));
        QCOMPARE(pStack->count(), quiet);
    }

    void aPressInsideMovesTheSelection()
    {
        ChildWindow *pWindow = document(ToolSet::EllipseSelect);
        const QRegion start = rect(QPoint(10, 10), QPoint(40, 30));
        pWindow->SetSelection(start);
        const int entries = pWindow->undoStack()->count();
        // Moved partly off the canvas: the part outside stays in the region.
        dragCanvas(pWindow, {QPoint(20, 20), QPoint(60, 50), QPoint(110, 70)});
        QCOMPARE(pWindow->Selection(), start.translated(90, 50));
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        undoTo(pWindow, start);
        // With Shift the press inside draws instead.
        dragCanvas(pWindow, {QPoint(20, 20), QPoint(50, 60)}, Qt::ShiftModifier);
        QCOMPARE(pWindow->Selection(), start + QRegion(QRect(QPoint(20, 20), QPoint(50, 60)), QRegion::Ellipse));
    }

    void ellipseAroundTheCentre()
    {
        ChildWindow *pWindow = document(ToolSet::EllipseSelect);
        QCheckBox *pCenter = optionBox(QStringLiteral("Center"));
        QVERIFY(pCenter);
        pCenter->setChecked(true);
        dragCanvas(pWindow, {QPoint(50, 40), QPoint(55, 42), QPoint(60, 45)});
        QCOMPARE(pWindow->Selection(), QRegion(QRect(QPoint(40, 35), QPoint(60, 45)), QRegion::Ellipse));
        pCenter->setChecked(false);
    }

    void shapeRectangles()
    {
        // Right and bottom inclusive, from either direction.
        QCOMPARE(SelectTool::ShapeRect(QPoint(10, 10), QPoint(4, 20), false, false), QRect(QPoint(4, 10), QPoint(10, 20)));
        // Ctrl: the shorter side grows to the longer one, right or down.
        QCOMPARE(SelectTool::ShapeRect(QPoint(10, 10), QPoint(4, 20), false, true), QRect(QPoint(4, 10), QPoint(14, 20)));
        // "Center" with Ctrl: half-side |dx| + |dy|.
        QCOMPARE(SelectTool::ShapeRect(QPoint(50, 50), QPoint(53, 46), true, true), QRect(QPoint(43, 43), QPoint(57, 57)));
        QCOMPARE(SelectTool::ShapeRect(QPoint(50, 50), QPoint(53, 46), true, false), QRect(QPoint(47, 46), QPoint(53, 54)));
        QVERIFY(SelectTool::ShapeRect(QPoint(7, 7), QPoint(7, 7), true, true).isEmpty());
    }

    // Ctrl held at the press, or pressed during the drag, makes squares and
    // circles; Shift alone shows the adding cross-hair.
    void keysFromThePressOrTheKeyboard()
    {
        ChildWindow *pWindow = document();
        QWidget *pViewport = pWindow->view()->viewport();
        for (QRegion::RegionType eType : {QRegion::Rectangle, QRegion::Ellipse}) {
            m_pMain->toolbox()->Select(eType == QRegion::Rectangle ? ToolSet::RectSelect : ToolSet::EllipseSelect);
            for (bool bKey : {false, true}) {
                pWindow->SetSelection(QRegion());
                cqtest::press(pWindow, QPoint(10, 10), bKey ? Qt::NoModifier : Qt::ControlModifier);
                if (bKey)
                    QTest::keyPress(pViewport, Qt::Key_Control);
                cqtest::move(pWindow, QPoint(30, 15));
                cqtest::release(pWindow, QPoint(30, 15));
                QTest::keyRelease(pViewport, Qt::Key_Control, Qt::ControlModifier);
                QCOMPARE(pWindow->Selection(), QRegion(QRect(QPoint(10, 10), QPoint(30, 30)), eType));
            }
        }
        const QImage plain = m_pMain->toolCursor().pixmap().toImage();
        QTest::keyPress(pViewport, Qt::Key_Shift);
        QVERIFY(m_pMain->toolCursor().pixmap().toImage() != plain);
        QTest::keyRelease(pViewport, Qt::Key_Shift, Qt::ShiftModifier);
        QCOMPARE(m_pMain->toolCursor().pixmap().toImage(), plain);
    }

    void lassoEnclosesItsOutline()
    {
        ChildWindow *pWindow = document(ToolSet::Lasso);
        const QList<QPoint> outline = {QPoint(10, 10), QPoint(70, 12), QPoint(72, 60), QPoint(40, 70), QPoint(12, 50)};
        dragCanvas(pWindow, outline);
        QPainterPath path(outline.first());
        for (const QPoint &p : outline.mid(1))
            path.lineTo(p);
        const QRegion drawn = LassoTool::OutlineRegion(path);
        QCOMPARE(pWindow->Selection(), drawn);
        QVERIFY(drawn.contains(QPoint(40, 40)));
        QVERIFY(!drawn.contains(QPoint(75, 75)));
        // Alt takes a freehand piece away.
        const int entries = pWindow->undoStack()->count();
        dragCanvas(pWindow, {QPoint(30, 30), QPoint(50, 30), QPoint(50, 50), QPoint(30, 50)}, Qt::AltModifier);
        QVERIFY(!pWindow->Selection().contains(QPoint(40, 40)));
        QVERIFY(pWindow->Selection().contains(QPoint(20, 20)));
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        undoTo(pWindow, drawn);
    }

    void moveSelectionToolDragsTheMask()
    {
        ChildWindow *pWindow = document();
        const QRegion start = QRegion(20, 20, 30, 20) + QRegion(60, 30, 10, 10);
        pWindow->SetSelection(start);
        m_pMain->toolbox()->Select(ToolSet::MoveSelection);
        dragCanvas(pWindow, {QPoint(5, 5), QPoint(-20, 0), QPoint(-15, 10)});
        QCOMPARE(pWindow->Selection(), start.translated(-20, 5));
        undoTo(pWindow, start);
    }

    void featherOptionsDriveTheDocument()
    {
        ChildWindow *pWindow = document(ToolSet::RectSelect);
        QCheckBox *pFeather = optionBox(QStringLiteral("Feathered"));
        QVERIFY(pFeather);
        QSpinBox *pSpin = m_pMain->form()->mainToolBar->findChild<QSpinBox *>();
        QVERIFY(pSpin && !pSpin->isEnabled());
        pFeather->click();
        QVERIFY(pWindow->FeatherEnabled());
        QVERIFY(pSpin->isEnabled());
        pSpin->setValue(7);
        QCOMPARE(pWindow->FeatherRadius(), 7);
        pFeather->click();
        QVERIFY(!pWindow->FeatherEnabled());
    }
};

QTEST_MAIN(TestSelectTools)
#include "tst_selecttools.moc"
