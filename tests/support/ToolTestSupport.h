#pragma once
// The program around a tool test: the main window shown as at start-up,
// documents holding given pixels, and closing them all between cases.
#include "ChildWindow.h"
#include "DocTestSupport.h"
#include "FileActions.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "ScratchDB.h"
#include "TestSupport.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QUndoStack>
#include <QtTest>

namespace cqtest {

// Settings isolated, the scratch store in `scratchPath`, the window shown.
inline MainWindow *startMainWindow(const QString &scratchPath)
{
    isolateSettings();
    ScratchDB::instance()->Init(scratchPath, ScratchDB::DefaultMemoryLimit);
    MainWindow *pMain = MainWindow::instance();
    pMain->resize(1000, 800);
    pMain->show();
    pMain->LateInit();
    if (!QTest::qWaitForWindowExposed(pMain))
        return nullptr;
    return pMain;
}

// Closes every document without asking to save.
inline void closeDocuments(MainWindow *pMain)
{
    for (QMdiSubWindow *pSub : pMain->findChild<QMdiArea *>()->subWindowList()) {
        qobject_cast<ChildWindow *>(pSub->widget())->document()->MarkSaved();
        pSub->close();
    }
    QCoreApplication::processEvents();
}

// A new document at 100 % whose layer holds the pixels, as one loaded entry.
inline ChildWindow *documentWith(MainWindow *pMain, const QImage &pixels)
{
    ChildWindow *pWindow = pMain->fileActions().NewDocument(pixels.size());
    pWindow->SetZoom(100);
    auto *pLayer = pWindow->document()->CurrentRasterLayer();
    setLayerPixels(pLayer, pixels);
    pWindow->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Load: test"), pLayer));
    QCoreApplication::processEvents();
    return pWindow;
}

// Restores from the scratch store have landed on the current layer.
inline void settle(ChildWindow *pWindow)
{
    ScratchDB::instance()->Sync();
    ScratchDB::instance()->WaitForPending(pWindow->document()->CurrentRasterLayer());
}

} // namespace cqtest
