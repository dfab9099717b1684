#include "WindowTestSupport.h"

#include "ChildWindow.h"
#include "Document.h"
#include "FileActions.h"
#include "FilterDialog.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QPushButton>
#include <QUndoStack>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

namespace cqtest {

MainWindow *startMainWindow(const QString &scratchFolder)
{
    isolateSettings();
    scratchStore().Init(scratchFolder, ScratchDB::DefaultMemoryLimit);
    auto *pMain = new MainWindow(scratchStore());
    pMain->ChooseComputeMode();
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

Document *newDocument(MainWindow *pMain, const QImage &image)
{
    Document *pDocument = pMain->fileActions().NewDocument(image.size())->document();
    PixmapLayer *pLayer = pDocument->CurrentRasterLayer();
    pLayer->setImage(image);
    pDocument->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Paint"), pLayer));
    return pDocument;
}

QAction *filterEntry(MainWindow *pMain, const QString &path)
{
    QMenu *pMenu = pMain->form()->menuFilter;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (int i = 0; i + 1 < parts.size(); ++i)
        for (QAction *pAction : pMenu->actions())
            if (pAction->menu() && pAction->text() == parts[i])
                pMenu = pAction->menu();
    for (QAction *pAction : pMenu->actions())
        if (pAction->text() == parts.last())
            return pAction;
    return nullptr;
}

FilterDialog *openFilterDialog()
{
    for (QWidget *pWidget : QApplication::topLevelWidgets())
        if (auto *pDialog = qobject_cast<FilterDialog *>(pWidget); pDialog && pDialog->isVisible())
            return pDialog;
    return nullptr;
}

void pressDialogButton(QDialogButtonBox::StandardButton button)
{
    openFilterDialog()->findChild<QDialogButtonBox *>()->button(button)->click();
    QCoreApplication::processEvents();
}

} // namespace cqtest
