// Main window actions on a real document: undo guard, zoom rules, layer
// actions, clipboard, recent files, panel toggling and the panels' layout.
#include "ChildWindow.h"
#include "CreateLayerCmd.h"
#include "Document.h"
#include "FileActions.h"
#include "HistogramDlg.h"
#include "Layer.h"
#include "LayerDlg.h"
#include "MainWindow.h"
#include "PanelLayout.h"
#include "PixmapLayer.h"
#include "PopupNotify.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "TextLayer.h"
#include "UndoDlg.h"
#include "ui_MainWindow.h"

#include <QClipboard>
#include <QDockWidget>
#include <QFileDialog>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

class TestMainWindow : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    // A document as start-up makes it: one raster layer, an empty history.
    ChildWindow *newDocument(const QSize &size) { return m_pMain->fileActions().NewDocument(size); }
    PixmapLayer *currentRaster() { return static_cast<PixmapLayer *>(m_pMain->layerPanel()->CurrentLayer()); }
    Ui::MainWindow *ui() { return m_pMain->form(); }

private Q_SLOTS:
    void initTestCase()
    {
        m_pMain = cqtest::startMainWindow(m_scratch.path());
        QVERIFY(m_pMain->clContext().isCreated());
    }
    void cleanup() { cqtest::closeAllDocuments(m_pMain); }

    void undoGuardAndPopup()
    {
        ChildWindow *pWindow = newDocument(QSize(64, 48));
        QUndoStack *pStack = pWindow->undoStack();
        QCOMPARE(pStack->index(), 0);
        ui()->action_Undo->trigger();
        QCOMPARE(pStack->index(), 0);
        QCOMPARE(pWindow->GetLayers().size(), 1);
        QCOMPARE(pWindow->findChildren<PopupNotify *>().size(), 0);

        ui()->action_Layer_Add->trigger();
        QCOMPARE(pStack->index(), 1);
        ui()->action_Undo->trigger();
        QCOMPARE(pStack->index(), 0);
        const auto popups = pWindow->findChildren<PopupNotify *>();
        QCOMPARE(popups.size(), 1);
        QCOMPARE(popups.first()->text(), QStringLiteral("New Layer"));
        QTRY_COMPARE_WITH_TIMEOUT(pWindow->findChildren<PopupNotify *>().size(), 0, 3000);
        ui()->action_Redo->trigger();
        QCOMPARE(pStack->index(), 1);
    }

    void zoomRules()
    {
        QCOMPARE(MainWindow::ZoomToFit(QSize(4000, 1000), QSize(1000, 800)), 22.5);
        QCOMPARE(MainWindow::ZoomToFit(QSize(100, 100), QSize(1000, 800)), 100.0);
        // Zoom Out stops at 10 %.
        ChildWindow *pWindow = newDocument(QSize(40, 30));
        pWindow->SetZoom(10);
        ui()->action_Zoom_Out->trigger();
        QCOMPARE(pWindow->ZoomFactor(), 0.1);
    }

    void rotateLayerKeepsTheUnion()
    {
        ChildWindow *pWindow = newDocument(QSize(100, 50));
        ui()->action_Layer_Rotate_90_Right->trigger();
        QCOMPARE(currentRaster()->image().size(), QSize(100, 100));
        QCOMPARE(pWindow->undoStack()->undoText(), QStringLiteral("Layer Rotate - New Layer"));
        ui()->action_Undo->trigger();
        cqtest::scratchStore().Sync();
        QCOMPARE(currentRaster()->image().size(), QSize(100, 50));
    }

    void mergeDownWithoutLayerBelow()
    {
        ChildWindow *pWindow = newDocument(QSize(20, 20));
        cqtest::MessageBoxAnswer answer;
        cqtest::answerNextMessageBox(QMessageBox::Ok, &answer);
        ui()->action_Layer_Merge_Down->trigger();
        QVERIFY(answer.seen);
        QCOMPARE(pWindow->undoStack()->count(), 0);
    }

    void eraseAndCopyFollowTheSelection()
    {
        ChildWindow *pWindow = newDocument(QSize(8, 8));
        PixmapLayer *pLayer = currentRaster();
        pLayer->image().fill(Qt::red);
        pLayer->update();
        pWindow->SetSelection(QRegion(2, 2, 3, 3));
        ui()->action_Copy->trigger();
        const QImage copied = QApplication::clipboard()->image().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(copied.size(), QSize(8, 8));
        QCOMPARE(copied.pixel(3, 3), qRgba(255, 0, 0, 255));
        QCOMPARE(qAlpha(copied.pixel(0, 0)), 0);

        ui()->actionDelete_Selection->trigger();
        const QImage erased = pLayer->image();
        QCOMPARE(qAlpha(erased.pixel(3, 3)), 0);
        QCOMPARE(erased.pixel(0, 0), qRgba(255, 0, 0, 255));
        QCOMPARE(pWindow->undoStack()->undoText(), QStringLiteral("Erase - New Layer"));
    }

    void duplicateCopiesPixelsAndName()
    {
        ChildWindow *pWindow = newDocument(QSize(6, 6));
        PixmapLayer *pLayer = currentRaster();
        pLayer->image().fill(QColor(10, 20, 30, 1));
        pLayer->update();
        pLayer->setPos(QPointF(2, 3));
        ui()->action_Layer_Duplicate->trigger();
        PixmapLayer *pCopy = currentRaster();
        QVERIFY(pCopy != pLayer);
        QCOMPARE(pCopy->name(), QStringLiteral("New Layer - Copy"));
        QCOMPARE(pCopy->pos(), QPointF(2, 3));
        QCOMPARE(pCopy->image(), pLayer->image());
        QCOMPARE(pWindow->GetLayers().size(), 2);
    }

    void pasteWiderImageAsksToResize()
    {
        ChildWindow *pWindow = newDocument(QSize(20, 10));
        QImage image = cqtest::filledImage(30, 10, Qt::blue);
        QApplication::clipboard()->setImage(image);

        cqtest::MessageBoxAnswer answer;
        cqtest::answerNextMessageBox(QMessageBox::No, &answer);
        ui()->action_Paste->trigger();
        QCOMPARE(answer.title, QStringLiteral("Resize?"));
        QCOMPARE(pWindow->canvasSize(), QSize(20, 10));
        QCOMPARE(currentRaster()->image().pixel(19, 9), qRgb(0, 0, 255));
        QCOMPARE(pWindow->undoStack()->undoText(), QStringLiteral("Paste - New Layer"));

        cqtest::answerNextMessageBox(QMessageBox::Yes);
        ui()->action_Paste->trigger();
        QCOMPARE(pWindow->canvasSize(), QSize(30, 10));
    }

    void pasteTextOntoTextLayer()
    {
        ChildWindow *pWindow = newDocument(QSize(20, 20));
        auto *pCreate = new CreateLayerCmd(pWindow->document(), Layer::Text);
        pWindow->undoStack()->push(pCreate);
        const int count = pWindow->undoStack()->count();
        QApplication::clipboard()->setText(QStringLiteral("hello there"));
        ui()->action_Paste->trigger();
        auto *pText = static_cast<TextLayer *>(pCreate->layer());
        QCOMPARE(pText->toPlainText(), QStringLiteral("hello there"));
        QCOMPARE(pText->name(), QStringLiteral("hello there"));
        QCOMPARE(pWindow->undoStack()->count(), count);
    }

    void recentFilesKeepFiveExisting()
    {
        QTemporaryDir dir;
        QStringList files;
        for (int i = 0; i < 7; ++i) {
            files.append(dir.filePath(QStringLiteral("img%1.png").arg(i)));
            QImage(2, 2, QImage::Format_ARGB32).save(files.last());
        }
        for (const QString &file : files)
            m_pMain->fileActions().AddRecentFile(file);
        QFile::remove(files.at(5));
        m_pMain->fileActions().UpdateRecentFileActions();
        QStringList shown;
        for (QAction *pAction : m_pMain->form()->menu_File->actions())
            if (pAction->isVisible() && !pAction->data().toString().isEmpty())
                shown.append(pAction->data().toString());
        QCOMPARE(shown, QStringList({files.at(6), files.at(4), files.at(3), files.at(2)}));
    }

    // A one-layer document opened from a PNG saves by exporting again; once it
    // has a second layer (even a deleted one) Save asks for a native file.
    void saveChoosesExportOrNativeFile()
    {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("photo.png"));
        QImage image = cqtest::filledImage(16, 8, qRgba(0, 0, 255, 255));
        QVERIFY(image.save(png));
        QVERIFY(m_pMain->fileActions().OpenImageAsDocument(png));
        ChildWindow *pWindow = m_pMain->currentDocument();
        QPainter(&currentRaster()->image()).fillRect(0, 0, 4, 4, Qt::red);
        currentRaster()->update();
        pWindow->undoStack()->push(new QUndoCommand(QStringLiteral("Paint")));

        bool bPreviewed = false;
        cqtest::actOnNextDialog([&bPreviewed](QDialog *pDialog) {
            bPreviewed = pDialog->windowTitle() == QStringLiteral("Export Quality Preview");
            pDialog->accept();
        });
        ui()->action_Save->trigger();
        QVERIFY(bPreviewed);
        QCOMPARE(QImage(png).convertToFormat(QImage::Format_ARGB32).pixel(1, 1), qRgba(255, 0, 0, 255));

        ui()->action_Layer_Add->trigger();
        ui()->action_Layer_Delete->trigger();
        QString caption;
        cqtest::actOnNextDialog([&caption](QDialog *pDialog) {
            if (qobject_cast<QFileDialog *>(pDialog))
                caption = pDialog->windowTitle();
            pDialog->reject();
        });
        ui()->action_Save->trigger();
        QCOMPARE(caption, QStringLiteral("Save File"));
        QCOMPARE(pWindow->FileName(), png);
        QVERIFY(pWindow->isWindowModified());
    }

    void panelTogglesRestoreThePanels()
    {
        QWidget *pLayers = m_pMain->layerPanel();
        QWidget *pHistory = m_pMain->historyPanel();
        pHistory->hide();
        QVERIFY(pLayers->isVisible());
        QAction *pToggle = m_pMain->form()->action_Toggle_All_Windows;
        pToggle->trigger();
        QVERIFY(!pLayers->isVisible());
        pToggle->trigger();
        QVERIFY(pLayers->isVisible());
        QVERIFY(!pHistory->isVisible());

        // The histogram shown beside the history and hidden again: the
        // layers panel gets back the height it had (in a window tall enough
        // for all of them, as a maximised one is).
        m_pMain->resize(1200, 1000);
        pHistory->show();
        QCoreApplication::processEvents();
        const int height = pLayers->height();
        QAction *pHistogram = m_pMain->form()->action_Histogram;
        for (int i = 0; i < 2; ++i) {
            pHistogram->trigger();
            QCoreApplication::processEvents();
        }
        QVERIFY(!pHistogram->isChecked());
        QCOMPARE(pLayers->height(), height);
        // Shown from the menu, closed by its own button.
        pHistogram->trigger();
        QCoreApplication::processEvents();
        QVERIFY(pLayers->height() < height);
        m_pMain->histogramPanel()->close();
        QTRY_COMPARE(pLayers->height(), height);
        QVERIFY(!pHistogram->isChecked());
    }

    // A layout saved at the window's final size and restored into a window
    // the window manager has yet to maximise: once the window gets there the
    // panels are exactly where the user left them, start after start.
    void panelsStayWhereTheyWereLeft()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("layout.ini")), QSettings::IniFormat);
        const auto makePanels = [](QMainWindow &window, QSize size) {
            QList<QDockWidget *> docks;
            for (const char *name : {"one", "two", "three"}) {
                auto *pDock = new QDockWidget(QString::fromLatin1(name), &window);
                pDock->setObjectName(QString::fromLatin1(name));
                pDock->setWidget(new QListWidget);
                window.addDockWidget(Qt::RightDockWidgetArea, pDock);
                docks << pDock;
            }
            window.setCentralWidget(new QWidget);
            window.resize(size);
            window.show();
            return docks;
        };
        const auto heights = [](const QList<QDockWidget *> &docks) {
            QList<int> result;
            for (QDockWidget *pDock : docks)
                result << pDock->height();
            return result;
        };
        QMainWindow first;
        const QList<QDockWidget *> firstDocks = makePanels(first, QSize(800, 600));
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        first.resizeDocks(firstDocks, {330, 90, 140}, Qt::Vertical);
        QCoreApplication::sendPostedEvents();
        (new PanelLayout(first))->Save(settings);
        const QList<int> saved = heights(firstDocks);
        for (int start = 0; start < 3; ++start) {
            QMainWindow next;
            const QList<QDockWidget *> docks = makePanels(next, QSize(800, 660));
            QVERIFY(QTest::qWaitForWindowExposed(&next));
            auto *pLayout = new PanelLayout(next);
            QVERIFY(pLayout->Restore(settings));
            next.resize(800, 600);
            QTRY_COMPARE(heights(docks), saved);
            pLayout->Save(settings);
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
