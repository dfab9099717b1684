// The brush and the eraser driven by real mouse events on a shown document:
// one undo step per stroke with exact pixels both ways, the selection and a
// moved layer respected, text layers refused.
#include "ChildWindow.h"
#include "DocTestSupport.h"
#include "FileActions.h"
#include "GraphicsView.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "ToolboxDlg.h"
#include "ui_MainWindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

class TestPaintTools : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    // Presses at the first point, moves through the others, releases.
    static void drag(ChildWindow *pWindow, const QList<QPoint> &canvasPoints)
    {
        QWidget *pViewport = pWindow->view()->viewport();
        auto at = [pWindow](QPoint p) { return pWindow->view()->mapFromScene(QPointF(p) + QPointF(0.5, 0.5)); };
        QTest::mousePress(pViewport, Qt::LeftButton, {}, at(canvasPoints.first()));
        for (const QPoint &p : canvasPoints.mid(1))
            QTest::mouseMove(pViewport, at(p));
        QTest::mouseRelease(pViewport, Qt::LeftButton, {}, at(canvasPoints.last()));
    }
    ChildWindow *document(const QImage &pixels)
    {
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(pixels.size());
        pWindow->SetZoom(100);
        auto *pLayer = pWindow->document()->CurrentRasterLayer();
        cqtest::setLayerPixels(pLayer, pixels);
        pWindow->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Fill - New Layer"), pLayer));
        QCoreApplication::processEvents();
        return pWindow;
    }
    PixmapLayer *layerOf(ChildWindow *pWindow) { return pWindow->document()->CurrentRasterLayer(); }
    void undoRedoExact(ChildWindow *pWindow, const QImage &before, const QString &entry)
    {
        QUndoStack *pStack = pWindow->undoStack();
        QCOMPARE(pStack->undoText(), entry);
        const QImage after = layerOf(pWindow)->image();
        QVERIFY(after != before);
        pStack->undo();
        ScratchDB::instance()->Sync();
        ScratchDB::instance()->WaitForPending(layerOf(pWindow));
        QCOMPARE(layerOf(pWindow)->image(), before);
        pStack->redo();
        ScratchDB::instance()->Sync();
        ScratchDB::instance()->WaitForPending(layerOf(pWindow));
        QCOMPARE(layerOf(pWindow)->image(), after);
    }

private Q_SLOTS:
    void initTestCase() { m_pMain = cqtest::startMainWindow(m_scratch.path()); }
    void cleanup() { cqtest::closeAllDocuments(m_pMain); }

    void brushStrokeIsOneExactStep()
    {
        const QImage before = cqtest::patternImage(120, 80, 3);
        ChildWindow *pWindow = document(before);
        ToolboxDlg::instance()->Select(ToolSet::Brush);
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, {QPoint(20, 20), QPoint(40, 30), QPoint(60, 40), QPoint(90, 40)});
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        undoRedoExact(pWindow, before, QStringLiteral("Paintbrush - New Layer"));
    }

    void brushStaysInsideTheSelectionOnAMovedLayer()
    {
        const QImage before = cqtest::patternImage(120, 80, 4);
        ChildWindow *pWindow = document(before);
        PixmapLayer *pLayer = layerOf(pWindow);
        pLayer->setPos(QPointF(10, 5));
        const QRect selected(30, 10, 40, 40);
        pWindow->SetSelection(QRegion(selected));
        ToolboxDlg::instance()->Select(ToolSet::Brush);
        drag(pWindow, {QPoint(5, 30), QPoint(50, 30), QPoint(110, 30)});
        const QImage &after = pLayer->image();
        int changedInside = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 120; ++x) {
                const bool inside = selected.contains(QPoint(x, y) + QPoint(10, 5));
                if (after.pixel(x, y) != before.pixel(x, y)) {
                    QVERIFY2(inside, qPrintable(QStringLiteral("changed outside at %1,%2").arg(x).arg(y)));
                    ++changedInside;
                }
            }
        QVERIFY(changedInside > 50);
    }

    void eraserTakesAlphaAndKeepsColour()
    {
        QImage before(100, 60, QImage::Format_ARGB32);
        before.fill(qRgba(200, 40, 90, 255));
        ChildWindow *pWindow = document(before);
        pWindow->SetSelection(QRegion(0, 0, 50, 60));
        ToolboxDlg::instance()->Select(ToolSet::Erase);
        drag(pWindow, {QPoint(10, 30), QPoint(45, 30), QPoint(90, 30)});
        const QImage &after = layerOf(pWindow)->image();
        QCOMPARE(qAlpha(after.pixel(30, 30)), 0);
        QCOMPARE(after.pixel(30, 30) & 0xffffffu, before.pixel(30, 30) & 0xffffffu);
        QCOMPARE(after.pixel(70, 30), before.pixel(70, 30)); // outside the selection
        QCOMPARE(after.pixel(30, 5), before.pixel(30, 5));   // off the stroke
        undoRedoExact(pWindow, before, QStringLiteral("Erase - New Layer"));
    }

    void textLayersAreRefused()
    {
        ChildWindow *pWindow = document(cqtest::patternImage(40, 30, 5));
        pWindow->CreateLayer(Layer::Text);
        ToolboxDlg::instance()->Select(ToolSet::Brush);
        const int entries = pWindow->undoStack()->count();
        cqtest::MessageBoxAnswer answer;
        cqtest::answerNextMessageBox(QMessageBox::Ok, &answer);
        drag(pWindow, {QPoint(10, 10), QPoint(20, 20)});
        QCOMPARE(answer.title, QStringLiteral("Woah, bucko."));
        QCOMPARE(pWindow->undoStack()->count(), entries);
    }
};

QTEST_MAIN(TestPaintTools)
#include "tst_painttools.moc"
