// What a user sees of the main window, through its real widgets: the
// picture export writes shown over the checkerboard to the last pixel,
// export leaving the document alone, the modified mark, closing and leaving
// with Cancel, entries without a document, the status bar, the Window
// menu's documents, recent files and dropped files that cannot be read.
#include "ChildWindow.h"
#include "Chromaquill.h"
#include "ColorSwatch.h"
#include "Document.h"
#include "FileActions.h"
#include "GraphicsView.h"
#include "MainWindow.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "ui_MainWindow.h"

#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QDir>
#include <QFileInfo>
#include <QtTest>

class TestWindow : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;
    QTemporaryDir m_files;

    Ui::MainWindow *ui() { return m_pMain->form(); }
    QList<QMdiSubWindow *> open() { return ui()->mdiArea->subWindowList(); }
    ChildWindow *newDocument(QSize size) { return m_pMain->fileActions().NewDocument(size); }
    void closeAll() { cqtest::closeAllDocuments(m_pMain); }

private Q_SLOTS:
    void initTestCase() { m_pMain = cqtest::startMainWindow(m_scratch.path()); }
    void cleanup() { closeAll(); }

    // A red square in Difference over transparency is red, as export writes
    // it; the window shows exactly that over the checkerboard, up to the
    // canvas's last pixel at any zoom.
    void windowShowsWhatExportWrites()
    {
        ChildWindow *pWindow = newDocument(QSize(61, 41));
        QImage square = cqtest::filledImage(61, 41, 0);
        QPainter(&square).fillRect(10, 10, 30, 20, Qt::red);
        auto *pLayer = pWindow->document()->CurrentRasterLayer();
        pLayer->setImage(square);
        pLayer->setBlendingMode(QPainter::CompositionMode_Difference);
        const QImage exported = pWindow->Flattened();
        QCOMPARE(exported.pixel(20, 20), qRgb(255, 0, 0));
        for (double zoom : {100.0, 200.0}) {
            pWindow->SetZoom(zoom);
            QCoreApplication::processEvents();
            const QImage shown = pWindow->view()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
            const int z = int(zoom / 100);
            QCOMPARE(shown.size(), QSize(61 * z, 41 * z));
            QCOMPARE(shown.pixel(20 * z, 20 * z), qRgb(255, 0, 0));
            // The checkerboard (white or light grey), never the dark
            // background, in the last column and row.
            for (QPoint p : {QPoint(61 * z - 1, 41 * z - 1), QPoint(61 * z - 1, 0), QPoint(0, 41 * z - 1)})
                QVERIFY2(qRed(shown.pixel(p)) >= 204, qPrintable(QStringLiteral("zoom %1 at %2,%3").arg(zoom).arg(p.x()).arg(p.y())));
        }
    }

    void exportWritesACopy()
    {
        ChildWindow *pWindow = newDocument(QSize(16, 8));
        const QString own = m_files.filePath(QStringLiteral("own.cq"));
        pWindow->SetFileName(own);
        pWindow->undoStack()->push(new QUndoCommand(QStringLiteral("Paint")));
        const QString copy = m_files.filePath(QStringLiteral("copy"));
        QString filterShown;
        cqtest::actOnNextDialog([&](QDialog *pDialog) {
            auto *pFiles = qobject_cast<QFileDialog *>(pDialog);
            QVERIFY(pFiles);
            filterShown = pFiles->selectedNameFilter();
            pFiles->selectFile(copy);
            cqtest::actOnNextDialog([](QDialog *pPreview) { pPreview->accept(); });
            QMetaObject::invokeMethod(pFiles, "accept");
        });
        ui()->action_Export->trigger();
        QVERIFY2(filterShown.contains(QStringLiteral("*.png")), qPrintable(filterShown));
        QVERIFY(QFileInfo::exists(copy + QStringLiteral(".png")));
        // A format without alpha lays the empty canvas on the colour chosen
        // in the preview.
        cqtest::actOnNextDialog([](QDialog *pPreview) {
            auto *pSwatch = pPreview->findChild<ColorSwatch *>(QStringLiteral("ExportBackgroundSwatch"));
            pSwatch->SetColor(QColor(30, 160, 90));
            pPreview->accept();
        });
        QVERIFY(Chromaquill::ExportImage(copy + QStringLiteral(".bmp"), pWindow));
        QCOMPARE(QImage(copy + QStringLiteral(".bmp")).pixel(3, 3), qRgb(30, 160, 90));
        QCOMPARE(pWindow->FileName(), own);
        QVERIFY(pWindow->isWindowModified());
        QCOMPARE(pWindow->windowTitle(), QStringLiteral("own.cq [*]"));
    }

    void modifiedMarkFollowsTheSavedState()
    {
        ChildWindow *pWindow = newDocument(QSize(16, 8));
        QVERIFY(!pWindow->isWindowModified());
        ui()->action_Layer_Add->trigger();
        QVERIFY(pWindow->isWindowModified());
        ui()->action_Undo->trigger();
        QVERIFY(!pWindow->isWindowModified());
        ui()->action_Redo->trigger();
        // Closing asks, naming the document plainly.
        cqtest::MessageBoxAnswer answer;
        cqtest::answerNextMessageBox(QMessageBox::Cancel, &answer);
        pWindow->subWindow()->close();
        QCOMPARE(answer.text, QStringLiteral("Untitled has been modified. Want to save it?"));
        QCOMPARE(open().size(), 1);
    }

    void closeShortcutAndCancelledExit()
    {
        newDocument(QSize(16, 8));
        m_pMain->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pMain));
        QTest::keyClick(m_pMain->windowHandle(), Qt::Key_W, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QVERIFY(open().isEmpty());

        newDocument(QSize(16, 8));
        ChildWindow *pModified = newDocument(QSize(16, 8));
        pModified->undoStack()->push(new QUndoCommand(QStringLiteral("Paint")));
        newDocument(QSize(16, 8));
        cqtest::answerNextMessageBox(QMessageBox::Cancel);
        QVERIFY(!m_pMain->close());
        QCOMPARE(open().size(), 3);
    }

    void entriesNeedADocument()
    {
        QVERIFY(open().isEmpty());
        QVERIFY(!ui()->action_Flatten->isEnabled());
        QVERIFY(!ui()->action_Layer_Add->isEnabled());
        QVERIFY(!ui()->action_Select_All->isEnabled());
        QVERIFY(!ui()->action_Undo->isEnabled());
        QVERIFY(ui()->action_New->isEnabled());
        QVERIFY(ui()->action_Settings->isEnabled());
        QCOMPARE(m_pMain->zoomLabel()->text(), QString());
        newDocument(QSize(16, 8));
        QVERIFY(ui()->action_Flatten->isEnabled() && ui()->action_Layer_Add->isEnabled());
    }

    void statusBarAndWindowMenu()
    {
        ChildWindow *pFirst = newDocument(QSize(700, 700));
        pFirst->SetZoom(50);
        QVERIFY(!m_pMain->zoomLabel()->text().isEmpty());
        m_pMain->MousePosUpdate(12, 34, pFirst);
        ChildWindow *pSecond = newDocument(QSize(20, 20));
        // The Window menu lists both; choosing the first brings it back.
        Q_EMIT ui()->menu_Window->aboutToShow();
        QList<QAction *> entries;
        for (QAction *pAction : ui()->menu_Window->actions())
            if (pAction->text().contains(QStringLiteral("Untitled")))
                entries << pAction;
        QCOMPARE(entries.size(), 2);
        entries.first()->trigger();
        QCOMPARE(m_pMain->currentDocument(), pFirst);
        closeAll();
        QVERIFY(m_pMain->positionLabel()->text().trimmed().isEmpty());
        QVERIFY(m_pMain->zoomLabel()->text().isEmpty());
        Q_UNUSED(pSecond);
    }

    // The title names the file, as the Window menu does: after Save As and
    // when the document is opened again.
    void titleNamesTheFile()
    {
        ChildWindow *pWindow = newDocument(QSize(30, 20));
        QCOMPARE(pWindow->windowTitle(), QStringLiteral("Untitled [*]"));
        const QString path = m_files.filePath(QStringLiteral("named.cq"));
        pWindow->SetFileName(path);
        QCOMPARE(pWindow->windowTitle(), QStringLiteral("named.cq [*]"));
        m_pMain->fileActions().SaveDocument(pWindow);
        QVERIFY(QFileInfo::exists(path));
        closeAll();
        QVERIFY(m_pMain->fileActions().OpenFile(path));
        QCOMPARE(m_pMain->currentDocument()->windowTitle(), QStringLiteral("named.cq [*]"));
    }

    void recentFilesByCanonicalPath()
    {
        const QString file = m_files.filePath(QStringLiteral("pic.png"));
        QVERIFY(cqtest::patternImage(4, 4, 1).save(file));
        QDir(m_files.path()).mkdir(QStringLiteral("sub"));
        m_pMain->fileActions().AddRecentFile(m_files.filePath(QStringLiteral("sub/../pic.png")));
        m_pMain->fileActions().AddRecentFile(file);
        const QStringList stored = QSettings().value(QStringLiteral("recentFileList")).toStringList();
        QCOMPARE(stored.count(QFileInfo(file).canonicalFilePath()), 1);
        QCOMPARE(stored.size(), 1);
    }

    // A dropped file that cannot be read gets the "Error" box: what the user
    // can act on in the text, the technical reason in its details.
    void unreadableDropIsReported()
    {
        ChildWindow *pWindow = newDocument(QSize(16, 8));
        const QByteArray png = cqtest::encodedImage(cqtest::patternImage(64, 64, 3), "png");
        const struct { QString name; QByteArray bytes; QString summary; bool bDetails; } cases[] = {
            {QStringLiteral("junk.png"), "not an image at all", QStringLiteral("not an image"), false},
            {QStringLiteral("cut.png"), png.left(png.size() / 2), QStringLiteral("The file is damaged or incomplete."), true},
            {QStringLiteral("folder.png"), QByteArray(), QStringLiteral("This is a folder, not a file."), false},
        };
        for (const auto &c : cases) {
            const QString bad = m_files.filePath(c.name);
            QVERIFY(c.bytes.isNull() ? QDir().mkpath(bad) : cqtest::writeFile(bad, c.bytes));
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(bad)});
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            const int layers = pWindow->CountLayers();
            cqtest::MessageBoxAnswer answer;
            cqtest::answerNextMessageBox(QMessageBox::Ok, &answer);
            // Entered first, as a real drag does.
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(pWindow, &enter);
            QVERIFY(enter.isAccepted());
            QApplication::sendEvent(pWindow, &drop);
            QCOMPARE(answer.title, QStringLiteral("Error"));
            QVERIFY2(answer.text.contains(c.name) && answer.text.contains(c.summary), qPrintable(answer.text));
            QCOMPARE(!answer.details.isEmpty(), c.bDetails);
            QCOMPARE(pWindow->CountLayers(), layers);
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
