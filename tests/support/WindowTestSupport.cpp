#include "WindowTestSupport.h"

#include "ChildWindow.h"
#include "MainWindow.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "ui_MainWindow.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

namespace cqtest {

MainWindow *startMainWindow(const QString &scratchFolder)
{
    isolateSettings();
    ScratchDB::instance()->Init(scratchFolder, ScratchDB::DefaultMemoryLimit);
    MainWindow *pMain = MainWindow::instance();
    pMain->resize(1000, 800);
    pMain->show();
    pMain->LateInit();
    if (!QTest::qWaitForWindowExposed(pMain))
        qWarning("the main window was never shown");
    return pMain;
}

void closeAllDocuments(MainWindow *pMain)
{
    for (QMdiSubWindow *pSub : pMain->form()->mdiArea->subWindowList()) {
        if (auto *pWindow = qobject_cast<ChildWindow *>(pSub->widget()))
            pWindow->document()->MarkSaved();
        pSub->close();
    }
    QCoreApplication::processEvents();
}

} // namespace cqtest
