// Every kind of open gesture against every kind of command, through real
// mouse and key events on the shown window: the gesture ends first (landed
// as its own step, or gone without a trace), the command then acts on what
// the window showed, and undo and redo walk both back and forth exactly.
#include "DocumentBuilder.h"
#include "TextLayer.h"
#include "ToolTestSupport.h"
#include "UndoDlg.h"
#include "ui_MainWindow.h"

#include <QClipboard>
#include <QMenu>
#include <QUndoView>
#include <span>

using namespace cqtest;

namespace {

struct Gesture {
    const char *name;
    ToolSet::Kind tool;
    bool bLands;                                   // a step is recorded
    std::function<void(ChildWindow *)> open;       // leaves the gesture open
    std::function<void(ChildWindow *)> end;        // the tool's own way to end it
};

struct Command {
    const char *name;
    bool bPushes;                                  // adds a step of its own
    bool bOnText;                                  // applies to a text layer too
};

const QList<Gesture> &gestures()
{
    static const QList<Gesture> list = {
        {"stroke", ToolSet::Brush, true,
         [](ChildWindow *w) { press(w, {30, 30}); move(w, {60, 40}); move(w, {80, 60}); },
         [](ChildWindow *w) { release(w, {80, 60}); }},
        {"gradient", ToolSet::Gradient, true, [](ChildWindow *w) { drag(w, {{10, 10}, {50, 30}, {90, 60}}); },
         [](ChildWindow *w) { key(w, Qt::Key_Return); }},
        {"floating picture", ToolSet::Move, true, [](ChildWindow *w) { overlayDrag(w, {40, 40}, {55, 50}); },
         [](ChildWindow *w) { QTest::keyClick(w->overlayView(), Qt::Key_Return); }},
        {"crop box", ToolSet::Crop, false, [](ChildWindow *w) { press(w, {10, 10}); move(w, {50, 50}); },
         [](ChildWindow *w) { release(w, {50, 50}); }},
        {"one-point path", ToolSet::PathEdit, false, [](ChildWindow *w) { click(w, {20, 20}); },
         [](ChildWindow *) {}},
        {"typing", ToolSet::Text, true,
         [](ChildWindow *w) { click(w, {20, 20}); QTest::keyClicks(w->view()->viewport(), QStringLiteral("ab")); },
         [](ChildWindow *w) { key(w, Qt::Key_Escape); }},
    };
    return list;
}

const QList<Command> &commands()
{
    static const QList<Command> list = {
        {"undo", false, true}, {"history", false, true}, {"invert", true, false}, {"copy", false, false},
        {"save", false, true}, {"switch", false, true}, {"add layer", true, true},
    };
    return list;
}

void settleAll(ChildWindow *pWindow)
{
    cqtest::scratchStore().Sync();
    for (Layer *pLayer : pWindow->GetLayers())
        if (pLayer->kind() == Layer::Raster)
            cqtest::scratchStore().WaitForPending(static_cast<PixmapLayer *>(pLayer));
    QCoreApplication::processEvents();
}

} // namespace

class TestGestureGuard : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;
    QTemporaryDir m_files;

    Ui::MainWindow *ui() { return m_pMain->form(); }

    // A menu entry chosen with the mouse, as a user does.
    void choose(QAction *pAction)
    {
        QMenu *pMenu = nullptr;
        for (QObject *pObject : pAction->associatedObjects())
            if ((pMenu = qobject_cast<QMenu *>(pObject)))
                break;
        QVERIFY(pMenu);
        pMenu->popup(m_pMain->mapToGlobal(QPoint(100, 100)));
        QVERIFY(QTest::qWaitForWindowExposed(pMenu));
        QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pAction).center());
        QCoreApplication::processEvents();
    }
    void keys(ChildWindow *pWindow, Qt::Key eKey, Qt::KeyboardModifiers mods = Qt::ControlModifier)
    {
        QTest::keyClick(pWindow->view()->viewport(), eKey, mods);
        QCoreApplication::processEvents();
    }
    void clickHistoryRow(int iRow)
    {
        QUndoView *pView = m_pMain->historyPanel()->undoView();
        const QRect r = pView->visualRect(pView->model()->index(iRow, 0));
        QTest::mouseClick(pView->viewport(), Qt::LeftButton, {}, r.center());
        QCoreApplication::processEvents();
    }
    ChildWindow *start(const Gesture &g)
    {
        ChildWindow *pWindow = documentWith(m_pMain, patternImage(120, 90, 3, false));
        pWindow->SetFileName(m_files.filePath(QStringLiteral("guard.cq")));
        m_pMain->toolbox()->Select(g.tool);
        return pWindow;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_pMain = startMainWindow(m_scratch.path()));
        m_pMain->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pMain));
    }
    void cleanup() { endToolCase(m_pMain); }

    void table_data()
    {
        QTest::addColumn<int>("gesture");
        QTest::addColumn<int>("command");
        for (int g = 0; g < gestures().size(); ++g)
            for (int c = 0; c < commands().size(); ++c)
                if (commands()[c].bOnText || gestures()[g].tool != ToolSet::Text)
                    QTest::addRow("%s x %s", gestures()[g].name, commands()[c].name) << g << c;
    }

    void table()
    {
        QFETCH(int, gesture);
        QFETCH(int, command);
        const Gesture &g = gestures()[gesture];
        const Command &c = commands()[command];

        // What the tool's own ending gives: the reference.
        ChildWindow *pWindow = start(g);
        QUndoStack *pStack = pWindow->undoStack();
        g.open(pWindow);
        g.end(pWindow);
        settleAll(pWindow);
        const QImage landed = pWindow->Flattened();
        const int iLanded = pStack->count();
        QClipboard *pClipboard = QApplication::clipboard();
        if (QByteArray(c.name) == "copy")
            keys(pWindow, Qt::Key_C);
        const QImage copied = pClipboard->image();
        closeAllDocuments(m_pMain);

        ChildWindow *pOther = documentWith(m_pMain, patternImage(40, 30, 7, false));
        const QImage other = pOther->Flattened();
        pWindow = start(g);
        pStack = pWindow->undoStack();
        const QImage before = pWindow->Flattened();
        const int iBase = pStack->count();
        g.open(pWindow);
        // The text tool's click records the new layer before any typing.
        QCOMPARE(iLanded, pStack->count() + (g.bLands ? 1 : 0));
        const int iEnded = iLanded;

        const QByteArray name(c.name);
        if (name == "undo") {
            keys(pWindow, Qt::Key_Z);
        } else if (name == "history") {
            clickHistoryRow(0);
        } else if (name == "invert") {
            choose(filterEntry(m_pMain, QStringLiteral("Invert Colors")));
        } else if (name == "copy") {
            keys(pWindow, Qt::Key_C);
        } else if (name == "save") {
            choose(ui()->action_Save);
        } else if (name == "switch") {
            ui()->mdiArea->setActiveSubWindow(pOther->subWindow());
        } else if (name == "add layer") {
            choose(ui()->action_Layer_Add);
        }
        settleAll(pWindow);

        QCOMPARE(pStack->count(), iEnded + (c.bPushes ? 1 : 0));
        if (name == "undo") {
            QCOMPARE(pStack->index(), iEnded - 1);
            keys(pWindow, Qt::Key_Y);
            settleAll(pWindow);
        }
        if (name == "history") {
            QCOMPARE(pStack->index(), 0);
            clickHistoryRow(pStack->count());
            settleAll(pWindow);
        }
        QCOMPARE(pStack->index(), pStack->count());
        QImage after = pWindow->Flattened();
        if (name == "invert") {
            // Inside the selection only: a landed picture takes it along.
            QImage expected = landed;
            QImage inverted = landed;
            inverted.invertPixels();
            const QRegion selected = pWindow->document()->Selection();
            QPainter painter(&expected);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.setClipRegion(selected.isEmpty() ? QRegion(expected.rect()) : selected);
            painter.drawImage(0, 0, inverted);
            painter.end();
            // A layer moved as a whole leaves no selection behind: the strip it
            // uncovered stays transparent, whatever colour inverting gives it.
            for (QImage *pImage : {&expected, &after})
                for (int y = 0; y < pImage->height(); ++y)
                    for (QRgb &px : std::span(reinterpret_cast<QRgb *>(pImage->scanLine(y)), size_t(pImage->width())))
                        if (qAlpha(px) == 0)
                            px = 0;
            QCOMPARE(differingPixels(after, expected), qint64(0));
        } else if (name != "add layer") {
            QCOMPARE(differingPixels(after, landed), qint64(0));
        }
        if (name == "copy")
            QCOMPARE(pClipboard->image(), copied);
        if (name == "save") {
            QVERIFY(!pWindow->document()->IsModified());
            QString error;
            std::unique_ptr<Document> pRead(DocumentBuilder::Load(pWindow->FileName(), cqtest::scratchStore(), &error));
            QVERIFY2(pRead, qPrintable(error));
            QCOMPARE(differingPixels(pRead->Flattened(), landed), qint64(0));
        }
        if (name == "switch") {
            QCOMPARE(pOther->undoStack()->count(), 1);
            QCOMPARE(pOther->Flattened(), other);
        }

        // Back to before the gesture and forward again, exactly.
        pStack->setIndex(iBase);
        settleAll(pWindow);
        QCOMPARE(differingPixels(pWindow->Flattened(), before), qint64(0));
        pStack->setIndex(pStack->count());
        settleAll(pWindow);
        QCOMPARE(differingPixels(pWindow->Flattened(), after), qint64(0));
    }

    void emptyGesturesRecordNothing()
    {
        // A brush click on its own colour, a move-tool click then Return, a
        // text layer left without typing.
        QImage white = cqtest::filledImage(60, 40, Qt::black);
        ChildWindow *pWindow = documentWith(m_pMain, white);
        const int iBase = pWindow->undoStack()->count();
        m_pMain->toolbox()->Select(ToolSet::Brush);
        click(pWindow, {20, 20});
        QCOMPARE(pWindow->undoStack()->count(), iBase);
        m_pMain->toolbox()->Select(ToolSet::Move);
        click(pWindow, {20, 20});
        QTest::keyClick(pWindow->overlayView(), Qt::Key_Return);
        QCOMPARE(pWindow->undoStack()->count(), iBase);
        m_pMain->toolbox()->Select(ToolSet::Text);
        click(pWindow, {10, 10});
        QCOMPARE(pWindow->undoStack()->count(), iBase + 1);
        keys(pWindow, Qt::Key_Z);
        // Undo took the untouched layer away: no empty layer is left behind.
        QCOMPARE(pWindow->GetLayers(true).size(), 1);
    }

    void openedPictureStartsWithEmptyHistory()
    {
        const QString path = m_files.filePath(QStringLiteral("opened.png"));
        QVERIFY(patternImage(30, 20, 2, false).save(path));
        QVERIFY(m_pMain->fileActions().OpenFile(path));
        ChildWindow *pWindow = m_pMain->currentDocument();
        const QImage opened = pWindow->Flattened();
        QCOMPARE(pWindow->undoStack()->count(), 0);
        keys(pWindow, Qt::Key_Z);
        clickHistoryRow(0);
        QCOMPARE(pWindow->GetLayers(true).size(), 1);
        QCOMPARE(pWindow->Flattened(), opened);
        QVERIFY(!pWindow->document()->IsModified());
    }
};

QTEST_MAIN(TestGestureGuard)
#include "tst_gestureguard.moc"
