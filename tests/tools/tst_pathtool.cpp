// The path tool and the paths list through real mouse and key events:
// corner and curve points, closing on the first point, Return and Escape,
// dragging points and handles of the picked path, each change an undo step;
// stroke, fill and selection from a path against references.
#include "AddPathCmd.h"
#include "LayerDlg.h"
#include "Path.h"
#include "PathTool.h"
#include "ToolTestSupport.h"
#include "ToolboxDlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QPainterPathStroker>
#include <QTemporaryDir>

using namespace cqtest;

class TestPathTool : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    PathTool *tool() { return toolOf<PathTool>(m_pMain, ToolSet::PathEdit); }
    static PathItem item(int iKind, QPointF first, QPointF second, QPointF c1 = {}, QPointF c2 = {})
    {
        PathItem p;
        p.kind = iKind;
        p.first = first;
        p.second = second;
        p.control1 = c1;
        p.control2 = c2;
        return p;
    }
    // Draws the test's closed path: two corners, a curve point, back to the start.
    Path *drawClosedPath(ChildWindow *pWindow)
    {
        click(pWindow, QPointF(20, 20));
        click(pWindow, QPointF(100, 20));
        drag(pWindow, {QPointF(100, 100), QPointF(120, 100), QPointF(140, 100)});
        click(pWindow, QPointF(21, 19)); // within reach of the first point
        return pWindow->document()->paths().value(0);
    }
    static QList<PathItem> closedPathItems()
    {
        return {item(PathItem::MoveTo, QPointF(20, 20), QPointF(20, 20)),
                item(PathItem::LineTo, QPointF(20, 20), QPointF(100, 20)),
                item(PathItem::CubicTo, QPointF(100, 20), QPointF(100, 100), QPointF(100, 20), QPointF(60, 100)),
                item(PathItem::CubicTo, QPointF(100, 100), QPointF(20, 20), QPointF(140, 100), QPointF(20, 20))};
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = startMainWindow(m_scratch.path())); }
    void cleanup() { endToolCase(m_pMain); }

    void drawCornersAndCurvesThenClose()
    {
        ChildWindow *pWindow = documentWith(m_pMain, patternImage(200, 150, 51, false));
        m_pMain->toolbox()->Select(ToolSet::PathEdit);
        QUndoStack *pStack = pWindow->undoStack();
        const int entries = pStack->count();
        Path *pPath = drawClosedPath(pWindow);
        QVERIFY(pPath);
        QVERIFY(!tool()->Draft());
        QCOMPARE(pWindow->document()->paths().size(), 1);
        QCOMPARE(pPath->name(), QStringLiteral("Path 1"));
        QCOMPARE(pPath->items(), closedPathItems());
        QVERIFY(pPath->IsClosed());
        QCOMPARE(m_pMain->layerPanel()->SelectedPath(), pPath);
        QCOMPARE(pStack->count(), entries + 1);
        QCOMPARE(pStack->undoText(), QStringLiteral("New Path"));
        pStack->undo();
        QVERIFY(pWindow->document()->paths().isEmpty());
        pStack->redo();
        QCOMPARE(pWindow->document()->paths(), QList<Path *>{pPath});
        // Back by redo, the path is picked and drawn again.
        QCOMPARE(m_pMain->layerPanel()->SelectedPath(), pPath);
        const QImage shown = scenePicture(*pWindow);
        pStack->undo();
        QVERIFY(scenePicture(*pWindow) != shown);
        pStack->redo();
        QCOMPARE(scenePicture(*pWindow), shown);
    }

    void returnFinishesEscapeDrops()
    {
        ChildWindow *pWindow = documentWith(m_pMain, patternImage(120, 100, 52, false));
        m_pMain->toolbox()->Select(ToolSet::PathEdit);
        Document *pDocument = pWindow->document();
        // One point is no path.
        click(pWindow, QPointF(10, 10));
        key(pWindow, Qt::Key_Return);
        QVERIFY(pDocument->paths().isEmpty());
        click(pWindow, QPointF(10, 10));
        click(pWindow, QPointF(50, 50));
        click(pWindow, QPointF(90, 20));
        key(pWindow, Qt::Key_Return);
        QCOMPARE(pDocument->paths().size(), 1);
        QVERIFY(!pDocument->paths().first()->IsClosed());
        QCOMPARE(pDocument->paths().first()->AnchorCount(), 3);
        // Away from the picked path a new one starts; Escape drops it.
        const int entries = pWindow->undoStack()->count();
        click(pWindow, QPointF(70, 80));
        click(pWindow, QPointF(100, 90));
        QVERIFY(tool()->Draft());
        key(pWindow, Qt::Key_Escape);
        QVERIFY(!tool()->Draft());
        QCOMPARE(pDocument->paths().size(), 1);
        QCOMPARE(pWindow->undoStack()->count(), entries);
        // A path being drawn when the tool changes is kept.
        click(pWindow, QPointF(30, 90));
        click(pWindow, QPointF(60, 95));
        m_pMain->toolbox()->Select(ToolSet::Brush);
        QCOMPARE(pDocument->paths().size(), 2);
        QCOMPARE(pDocument->paths().last()->name(), QStringLiteral("Path 2"));
    }

    void newButtonStartsAPath()
    {
        ChildWindow *pWindow = documentWith(m_pMain, patternImage(120, 100, 56, false));
        LayerDlg *pPanel = m_pMain->layerPanel();
        auto *pNew = pPanel->findChild<QAbstractButton *>(QStringLiteral("addPathBtn"));
        QVERIFY(pNew && pNew->isEnabled());
        pNew->click();
        QCOMPARE(m_pMain->ActiveTool(), static_cast<BaseTool *>(tool()));
        click(pWindow, QPointF(10, 10));
        click(pWindow, QPointF(60, 40));
        // With a path picked, the button lets go of it: the next click starts another.
        pNew->click();
        QCOMPARE(pWindow->document()->paths().size(), 1);
        QVERIFY(!pPanel->SelectedPath());
        click(pWindow, QPointF(10, 10));
        QVERIFY(tool()->Draft());
    }

    void dragPointsAndHandlesOfThePickedPath()
    {
        ChildWindow *pWindow = documentWith(m_pMain, patternImage(200, 150, 53, false));
        m_pMain->toolbox()->Select(ToolSet::PathEdit);
        Path *pPath = drawClosedPath(pWindow);
        QUndoStack *pStack = pWindow->undoStack();
        const QList<PathItem> drawn = pPath->items();
        // A corner: the segment after it starts there too.
        drag(pWindow, {QPointF(100, 20), QPointF(105, 25), QPointF(110, 30)});
        QCOMPARE(pPath->items()[1].second, QPointF(110, 30));
        QCOMPARE(pPath->items()[2].first, QPointF(110, 30));
        QCOMPARE(pPath->items()[2].control1, QPointF(110, 30)); // its handle came along
        QCOMPARE(pStack->undoText(), QStringLiteral("Edit Path - Path 1"));
        // A handle of the curve point.
        drag(pWindow, {QPointF(60, 100), QPointF(70, 110)});
        QCOMPARE(pPath->items()[2].control2, QPointF(70, 110));
        // The start of a closed path: it stays closed.
        drag(pWindow, {QPointF(20, 20), QPointF(30, 25)});
        QCOMPARE(pPath->startPoint(), QPointF(30, 25));
        QVERIFY(pPath->IsClosed());
        pStack->undo();
        pStack->undo();
        pStack->undo();
        QCOMPARE(pPath->items(), drawn);
        pStack->redo();
        QCOMPARE(pPath->items()[1].second, QPointF(110, 30));
        // A click on no point of it changes nothing and records nothing.
        const int entries = pStack->count();
        click(pWindow, QPointF(60, 60));
        key(pWindow, Qt::Key_Escape);
        QCOMPARE(pStack->count(), entries);
    }

    void strokeFillAndSelectionFromAPath()
    {
        const QImage base = patternImage(160, 120, 55, false);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        Document *pDocument = pWindow->document();
        auto *pPath = new Path(QStringLiteral("Shape"));
        pPath->SetPoints(QPointF(20, 20), closedPathItems());
        pWindow->undoStack()->push(new AddPathCmd(pDocument, pPath));
        LayerDlg *pPanel = m_pMain->layerPanel();
        pPanel->PickPath(pPath);
        QCOMPARE(pPanel->SelectedPath(), pPath);
        const QList<QAction *> actions = pPanel->PathContextActions();
        // The brush's colour, chosen in its option bar.
        ColorSwatch *pBrushSwatch = barSwatch(m_pMain, QStringLiteral("BrushColorSwatch"));
        QVERIFY(pBrushSwatch);
        pBrushSwatch->SetColor(QColor(250, 120, 0));
        const QPainterPath shape = pPath->ToPainterPath();

        actions[0]->trigger(); // stroke, with the brush's colour and width (10)
        QCOMPARE(pWindow->undoStack()->undoText(), QStringLiteral("Stroke Path - New Layer"));
        const QImage stroked = drawnOver(base, [&](QPainter &painter) {
            painter.setPen(QPen(QColor(250, 120, 0), 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPath(shape);
        });
        QVERIFY(maxChannelDiff(layerOf(pWindow)->image(), stroked) <= 2);
        pWindow->undoStack()->undo();
        settle(layerOf(pWindow));

        actions[1]->trigger(); // fill
        const QImage filled = drawnOver(base, [&](QPainter &painter) { painter.fillPath(shape, QColor(250, 120, 0)); });
        QVERIFY(maxChannelDiff(layerOf(pWindow)->image(), filled) <= 2);
        pWindow->undoStack()->undo();
        settle(layerOf(pWindow));

        actions[2]->trigger(); // to selection
        QCOMPARE(pWindow->undoStack()->undoText(), QStringLiteral("Selection Change"));
        const QRegion selected = pDocument->Selection();
        // Every pixel whose centre lies clearly inside is selected, every one
        // clearly outside is not.
        QPainterPathStroker stroker;
        stroker.setWidth(2);
        const QPainterPath edge = stroker.createStroke(shape);
        int inside = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x) {
                const QPointF centre(x + 0.5, y + 0.5);
                if (edge.contains(centre))
                    continue;
                QCOMPARE(selected.contains(QPoint(x, y)), shape.contains(centre));
                inside += shape.contains(centre);
            }
        QVERIFY2(inside > 1500, qPrintable(QString::number(inside)));

        actions[3]->trigger(); // delete, as an undo step
        QVERIFY(pDocument->paths().isEmpty());
        QVERIFY(!pPanel->SelectedPath());
        pWindow->undoStack()->undo();
        QCOMPARE(pDocument->paths(), QList<Path *>{pPath});
    }
};

QTEST_MAIN(TestPathTool)
#include "tst_pathtool.moc"
