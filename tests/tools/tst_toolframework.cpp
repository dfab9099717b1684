// The tool framework through the main window and real mouse events: one
// tool's options on the bar at a time, events reaching the active tool,
// zoom and pan rules, and handles that keep to their axis.
#include "ChildWindow.h"
#include "FileActions.h"
#include "GestureSupport.h"
#include "GraphicsView.h"
#include "HandleGraphicsItem.h"
#include "MainWindow.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "ToolboxDlg.h"
#include "ZoomTool.h"
#include "ui_MainWindow.h"

#include <QComboBox>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QUndoStack>
#include <QWheelEvent>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

class TestToolFramework : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    ToolboxDlg *toolbox() { return m_pMain->toolbox(); }
    QList<QComboBox *> combos() { return m_pMain->form()->mainToolBar->findChildren<QComboBox *>(); }

private Q_SLOTS:
    void initTestCase() { m_pMain = cqtest::startMainWindow(m_scratch.path()); }
    void cleanup() { cqtest::closeAllDocuments(m_pMain); }

    // Every row of the tool table is a button in its own place, with its
    // shortcut; a click makes
    // the row's tool, and no other, the active one, and the tool before it
    // takes its options with it.
    void everyRowIsAButtonThatActivatesItsTool()
    {
        m_pMain->fileActions().NewDocument(QSize(64, 48));
        toolbox()->show();
        for (const ToolSet::Entry &row : ToolSet::Table()) {
            auto *pButton = toolbox()->findChild<QToolButton *>(QLatin1String(row.pButtonName));
            QVERIFY2(pButton && pButton == toolbox()->Button(row.eKind), row.pButtonName);
            QVERIFY(!pButton->icon().isNull());
            BaseTool *pTool = toolbox()->tools().Tool(row.eKind);
            QTest::mouseClick(pButton, Qt::LeftButton);
            QVERIFY2(pButton->isChecked(), row.pButtonName);
            QCOMPARE(toolbox()->CurrentTool(), pTool);
            QCOMPARE(m_pMain->ActiveTool(), pTool);
        }
        QCOMPARE(toolbox()->findChildren<QToolButton *>().size(), int(ToolSet::KindCount));
        toolbox()->Select(ToolSet::Zoom);
        QCOMPARE(combos().size(), 1);
        toolbox()->Select(ToolSet::Pan);
        QCOMPARE(combos().size(), 0);
    }

    void zoomByClicksAndCombo()
    {
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(200, 100));
        pWindow->SetZoom(100);
        toolbox()->Select(ToolSet::Zoom);
        cqtest::clickCanvas(pWindow, QPoint(50, 50));
        QCOMPARE(pWindow->ZoomFactor(), 1.2);
        QCOMPARE(combos().first()->currentText(), QStringLiteral("120"));
        // At 10 %, Ctrl-click takes 20 away: the zoom stops at 1 %.
        combos().first()->setEditText(QStringLiteral("10"));
        pWindow->SetZoom(10);
        cqtest::clickCanvas(pWindow, QPoint(5, 5), Qt::ControlModifier);
        QCOMPARE(pWindow->ZoomFactor(), 0.01);
        // A right click changes nothing; a typed zoom applies, never below 1 %.
        pWindow->SetZoom(100);
        QTest::mouseClick(pWindow->view()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(pWindow->ZoomFactor(), 1.0);
        toolbox()->tools().zoomTool()->ZoomFactorChanged(QStringLiteral("-40"));
        QCOMPARE(pWindow->ZoomFactor(), 0.01);
        // Another document becoming current refreshes the combo.
        ChildWindow *pOther = m_pMain->fileActions().NewDocument(QSize(50, 50));
        pOther->SetZoom(75);
        toolbox()->Reactivate();
        QCOMPARE(combos().first()->currentText(), QStringLiteral("75"));
    }

    void wheelZoomWhicheverToolIsActive()
    {
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(200, 100));
        pWindow->SetZoom(100);
        toolbox()->Select(ToolSet::Pan);
        toolbox()->tools().zoomTool()->MouseWheel(120, pWindow);
        QCOMPARE(pWindow->ZoomFactor(), 1.15);
        m_pMain->form()->action_Zoom_Out->trigger();
        QCOMPARE(pWindow->ZoomFactor(), 1.0);
    }

    // Presses, moves and releases anywhere inside a magnified pixel's square
    // report that pixel, at every zoom (the tools' own tests click in every
    // zoom through the situations).
    void everyMouseEventMapsToThePixelUnderIt()
    {
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(40, 30));
        QList<QPoint> presses, moves, releases;
        connect(pWindow, &ChildWindow::MousePress, this, [&](auto *, QPoint p, auto *) { presses << p; });
        connect(pWindow, &ChildWindow::MousePosUpdate, this, [&](int x, int y, auto *) { moves << QPoint(x, y); });
        connect(pWindow, &ChildWindow::MouseRelease, this, [&](auto *, QPoint p, auto *) { releases << p; });
        QWidget *pViewport = pWindow->view()->viewport();
        for (int percent : {100, 200, 300, 800, 33}) {
            pWindow->SetZoom(percent);
            QCoreApplication::processEvents();
            const double z = percent / 100.0;
            for (QPoint v : {QPoint(7, 5), QPoint(8, 8), QPoint(23, 17), QPoint(29, 26), QPoint(40, 31)}) {
                presses.clear(), moves.clear(), releases.clear();
                const QPoint expected(int(std::floor(v.x() / z)), int(std::floor(v.y() / z)));
                QTest::mousePress(pViewport, Qt::LeftButton, {}, v);
                QTest::mouseMove(pViewport, v);
                QTest::mouseRelease(pViewport, Qt::LeftButton, {}, v);
                const QString where = QStringLiteral("%1 % at (%2, %3)").arg(percent).arg(v.x()).arg(v.y());
                QVERIFY2(presses == QList<QPoint>{expected}, qPrintable(where));
                QVERIFY2(!moves.isEmpty() && moves.last() == expected, qPrintable(where));
                QVERIFY2(releases == QList<QPoint>{expected}, qPrintable(where));
            }
        }
    }

    // Ctrl+wheel zooms about the pointer, also where the window could still
    // scroll: the canvas point under the pointer stays under it.
    void wheelZoomKeepsThePointUnderThePointer()
    {
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(600, 500));
        pWindow->SetZoom(200);
        QCoreApplication::processEvents();
        QWidget *pScrollPort = pWindow->scrollArea()->viewport();
        pWindow->scrollArea()->horizontalScrollBar()->setValue(150);
        pWindow->scrollArea()->verticalScrollBar()->setValue(120);
        auto sceneAt = [&](QPoint inScrollPort) {
            const QPoint inView = pWindow->view()->mapFrom(pScrollPort, inScrollPort);
            return QPointF(inView) / pWindow->ZoomFactor();
        };
        for (int delta : {120, 120, -120, -120, -120}) {
            const QPoint at(pScrollPort->width() / 3, pScrollPort->height() / 4 + delta / 12);
            const QPointF before = sceneAt(at);
            const double zoom = pWindow->ZoomFactor();
            QWheelEvent wheel(pWindow->view()->viewport()->mapFrom(pScrollPort, QPointF(at)),
                              pScrollPort->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(pWindow->view()->viewport(), &wheel);
            QVERIFY(pWindow->ZoomFactor() != zoom);
            const QPointF after = sceneAt(at);
            QVERIFY2(QLineF(before, after).length() <= 1.0 / pWindow->ZoomFactor() + 0.01,
                     qPrintable(QStringLiteral("(%1, %2) moved to (%3, %4)")
                                    .arg(before.x()).arg(before.y()).arg(after.x()).arg(after.y())));
        }
    }

    // The standard actions answer to the platform's keys, and keep the ones
    // they always had.
    void standardActionsTakeThePlatformKeys()
    {
        // Pressed on the document, the platform's Redo and the menu's own
        // Ctrl+Y both redo.
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(20, 20));
        pWindow->SelectAll();
        for (const QKeyCombination keys : {Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z, Qt::ControlModifier | Qt::Key_Y}) {
            pWindow->undoStack()->undo();
            QVERIFY(pWindow->Selection().isEmpty());
            QTest::keyClick(pWindow->view()->viewport(), keys.key(), keys.keyboardModifiers());
            QCOMPARE(pWindow->Selection(), QRegion(0, 0, 20, 20));
        }
    }

    void panOnlyWhenZoomedIn()
    {
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(2000, 1600));
        toolbox()->Select(ToolSet::Pan);
        pWindow->SetZoom(50);
        QCOMPARE(m_pMain->toolCursor().shape(), Qt::OpenHandCursor);
        QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
        press.setButtons(Qt::LeftButton);
        m_pMain->MousePress(&press, QPoint(10, 10), pWindow);
        QCOMPARE(m_pMain->toolCursor().shape(), Qt::OpenHandCursor);
        pWindow->SetZoom(100);
        QCoreApplication::processEvents();
        m_pMain->MousePress(&press, QPoint(10, 10), pWindow);
        QCOMPARE(m_pMain->toolCursor().shape(), Qt::ClosedHandCursor);
        auto *pBar = pWindow->scrollArea()->horizontalScrollBar();
        QVERIFY(pBar->maximum() > 0);
        const int before = pBar->value();
        m_pMain->MousePosUpdate(110, 10, pWindow);
        QVERIFY(pBar->value() > before);
        QGraphicsSceneMouseEvent release(QEvent::GraphicsSceneMouseRelease);
        m_pMain->MouseRelease(&release, QPoint(110, 10), pWindow);
        QCOMPARE(m_pMain->toolCursor().shape(), Qt::OpenHandCursor);
    }

    void closingTheDocumentLetsTheToolGo()
    {
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(20, 20));
        toolbox()->Select(ToolSet::Zoom);
        QCOMPARE(combos().size(), 1);
        pWindow->subWindow()->close();
        QCoreApplication::processEvents();
        QVERIFY(!m_pMain->ActiveTool());
        QCOMPARE(combos().size(), 0);
        // The next document brings the same tool back.
        m_pMain->fileActions().NewDocument(QSize(20, 20));
        QCOMPARE(m_pMain->ActiveTool(), toolbox()->tools().Tool(ToolSet::Zoom));
    }

    void handleKeepsToItsAxis()
    {
        QGraphicsScene scene(0, 0, 400, 300);
        QGraphicsView view(&scene);
        view.resize(400, 300);
        auto *pHandle = new HandleGraphicsItem;
        scene.addItem(pHandle);
        pHandle->m_iDragMode = HandleGraphicsItem::HorizontalDrag;
        pHandle->m_dRotation = 30;
        pHandle->m_rotationCentre = QPointF(200, 150);
        pHandle->SetPosition(100, 100);
        const QPointF start = pHandle->mapToScene(QPointF(0, 0));
        int moved = 0;
        connect(pHandle, &HandleGraphicsItem::Moved, [&moved] { ++moved; });
        auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
            QGraphicsSceneMouseEvent event(type);
            event.setScenePos(at);
            event.setButton(Qt::LeftButton);
            event.setButtons(buttons);
            scene.sendEvent(pHandle, &event);
        };
        send(QEvent::GraphicsSceneMousePress, start + QPointF(4, 4), Qt::LeftButton);
        send(QEvent::GraphicsSceneMouseMove, start + QPointF(40, 60), Qt::LeftButton);
        send(QEvent::GraphicsSceneMouseRelease, start + QPointF(40, 60), Qt::NoButton);
        QCOMPARE(moved, 1);
        // Along the rotated frame's horizontal only: the handle's offset from
        // where it started, seen unrotated, has no vertical part.
        QTransform unrotate;
        unrotate.rotate(-30);
        const QPointF along = unrotate.map(pHandle->mapToScene(QPointF(0, 0)) - start);
        QVERIFY2(qAbs(along.y()) < 1e-6, qPrintable(QString::number(along.y())));
        QVERIFY(qAbs(along.x()) > 1);
    }
};

QTEST_MAIN(TestToolFramework)
#include "tst_toolframework.moc"
