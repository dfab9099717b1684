#include "WindowActions.h"
#include "ui_MainWindow.h"

#include "AboutDlg.h"
#include "ChildWindow.h"
#include "ColorPicker.h"
#include "CrashHandler.h"
#include "HistogramDlg.h"
#include "KernelReportDlg.h"
#include "LayerDlg.h"
#include "MainWindow.h"
#include "SettingsDlg.h"
#include "Autosave.h"
#include "SystemInfoDlg.h"
#include "ToolboxDlg.h"
#include "UndoDlg.h"
#include "UpdateDlg.h"

#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTimer>
#include <QSettings>
#include <QUrl>

WindowActions::WindowActions(MainWindow *pMain)
    : QObject(pMain)
    , m_pMain(pMain)
{
    Ui::MainWindow *pUi = pMain->form();
    const auto on = [this](QAction *pAction, auto slot) { connect(pAction, &QAction::triggered, this, slot); };
    on(pUi->action_Palette, &WindowActions::on_action_Palette_triggered);
    on(pUi->action_History, &WindowActions::on_action_History_triggered);
    on(pUi->action_Histogram, &WindowActions::on_action_Histogram_triggered);
    on(pUi->action_Layers, &WindowActions::on_action_Layers_triggered);
    on(pUi->action_Toolbar, &WindowActions::on_action_Toolbar_triggered);
    on(pUi->action_Toggle_All_Windows, &WindowActions::on_action_Toggle_All_Windows_triggered);
    on(pUi->action_Settings, &WindowActions::on_action_Settings_triggered);
    on(pUi->action_System_Info, &WindowActions::on_action_System_Info_triggered);
    on(pUi->action_About, &WindowActions::on_action_About_triggered);
    on(pUi->action_Check_For_Updates, &WindowActions::on_action_Check_For_Updates_triggered);
    on(pUi->action_OpenCL_Debug, &WindowActions::on_action_OpenCL_Debug_triggered);
    on(pUi->action_Submit_A_Bug, &WindowActions::on_action_Submit_A_Bug_triggered);
    connect(pUi->menu_Window, &QMenu::aboutToShow, this, &WindowActions::ListDocuments);
    SetTabbedDocuments(QSettings().value(QStringLiteral("TabbedDocuments"), false).toBool());
}

// --- Panels ------------------------------------------------------------------------------------

void WindowActions::ShowPanel(QWidget *pPanel, bool bShow)
{
    if (!pPanel)
        return;
    // A docked panel takes its room from the panels beside it, and hidden
    // again the dock layout hands that room to one neighbour: the others get
    // back the heights they had before it came.
    auto *pDock = qobject_cast<QDockWidget *>(pPanel);
    if (pDock && bShow && pDock->isHidden()) {
        PanelHeights &before = m_heightsBefore[pDock];
        before.clear();
        for (QDockWidget *pOther : m_pMain->findChildren<QDockWidget *>())
            if (pOther != pDock && pOther->isVisible() && !pOther->isFloating())
                before.append({pOther, pOther->height()});
        // Closed by its own button, the panel gives them back too, once the
        // dock layout has taken the close in.
        if (!m_watched.contains(pDock)) {
            m_watched.insert(pDock);
            connect(pDock, &QDockWidget::visibilityChanged, this, [this, pDock] {
                if (pDock->isHidden() && m_heightsBefore.contains(pDock))
                    QTimer::singleShot(0, this, [this, pDock] { GiveBackHeights(pDock); });
            });
        }
    }
    pPanel->setVisible(bShow);
    // A panel sharing its place with others comes to the front.
    if (bShow)
        pPanel->raise();
    else if (pDock)
        GiveBackHeights(pDock);
}

void WindowActions::GiveBackHeights(QDockWidget *pDock)
{
    if (!pDock->isHidden())
        return;
    QList<QDockWidget *> docks;
    QList<int> heights;
    for (const auto &[pOther, iHeight] : m_heightsBefore.take(pDock)) {
        if (pOther && pOther->isVisible() && !pOther->isFloating()) {
            docks << pOther;
            heights << iHeight;
        }
    }
    if (!docks.isEmpty())
        m_pMain->resizeDocks(docks, heights, Qt::Vertical);
}

void WindowActions::on_action_Palette_triggered()
{
    ShowPanel(m_pMain->colorPanel(), m_pMain->form()->action_Palette->isChecked());
}

void WindowActions::on_action_Toolbar_triggered()
{
    ShowPanel(m_pMain->toolbox(), m_pMain->form()->action_Toolbar->isChecked());
}

void WindowActions::on_action_History_triggered()
{
    ShowPanel(m_pMain->historyPanel(), m_pMain->form()->action_History->isChecked());
}

void WindowActions::on_action_Histogram_triggered()
{
    ShowPanel(m_pMain->histogramPanel(), m_pMain->form()->action_Histogram->isChecked());
}

void WindowActions::on_action_Layers_triggered()
{
    ShowPanel(m_pMain->layerPanel(), m_pMain->form()->action_Layers->isChecked());
}

void WindowActions::on_action_Toggle_All_Windows_triggered()
{
    Ui::MainWindow *pUi = m_pMain->form();
    const QList<QPair<QWidget *, QAction *>> panels = {
        {m_pMain->toolbox(), pUi->action_Toolbar},
        {m_pMain->layerPanel(), pUi->action_Layers},
        {m_pMain->historyPanel(), pUi->action_History},
        {m_pMain->colorPanel(), pUi->action_Palette},
        {m_pMain->histogramPanel(), pUi->action_Histogram},
    };
    if (!pUi->action_Toggle_All_Windows->isChecked()) {
        for (const auto &[pPanel, pAction] : panels) {
            if (pPanel->isVisible()) {
                m_hiddenPanels.append(pPanel);
                pPanel->hide();
                pAction->setChecked(false);
            }
        }
        return;
    }
    for (QWidget *pPanel : std::as_const(m_hiddenPanels)) {
        pPanel->show();
        for (const auto &[p, pAction] : panels)
            if (p == pPanel)
                pAction->setChecked(true);
    }
    m_hiddenPanels.clear();
}

// --- Documents ---------------------------------------------------------------------------------

void WindowActions::SetTabbedDocuments(bool bTabs)
{
    QMdiArea *pArea = m_pMain->form()->mdiArea;
    pArea->setViewMode(bTabs ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    pArea->setTabsClosable(true);
    pArea->setTabsMovable(true);
}

void WindowActions::ListDocuments()
{
    Ui::MainWindow *pUi = m_pMain->form();
    qDeleteAll(m_documentEntries);
    m_documentEntries.clear();
    const QList<QMdiSubWindow *> windows = pUi->mdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    m_documentEntries.append(pUi->menu_Window->addSeparator());
    for (int i = 0; i < windows.size(); ++i) {
        auto *pWindow = qobject_cast<ChildWindow *>(windows[i]->widget());
        if (!pWindow)
            continue;
        const QString name = pWindow->DisplayName() + (pWindow->isWindowModified() ? QStringLiteral(" *") : QString());
        QAction *pEntry = pUi->menu_Window->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        pEntry->setCheckable(true);
        pEntry->setChecked(pWindow == m_pMain->currentDocument());
        QMdiSubWindow *pSub = windows[i];
        connect(pEntry, &QAction::triggered, this, [pUi, pSub] { pUi->mdiArea->setActiveSubWindow(pSub); });
        m_documentEntries.append(pEntry);
    }
}

// --- Settings and help -------------------------------------------------------------------------

void WindowActions::on_action_Settings_triggered()
{
    SettingsDlg dialog(nullptr);
    connect(&dialog, &SettingsDlg::TabbedDocumentsChanged, this, &WindowActions::SetTabbedDocuments);
    connect(&dialog, &SettingsDlg::AutosaveIntervalChanged, this, [this](int iSeconds) {
        if (Autosave *pAutosave = m_pMain->autosave())
            pAutosave->SetInterval(iSeconds);
    });
    dialog.exec();
}

void WindowActions::on_action_System_Info_triggered()
{
    SystemInfoDlg dialog(nullptr);
    dialog.exec();
}

void WindowActions::on_action_About_triggered()
{
    AboutDlg dialog(m_pMain);
    dialog.exec();
}

void WindowActions::on_action_Check_For_Updates_triggered()
{
    auto *pDialog = new UpdateDlg(UpdateDlg::Manual, m_pMain);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->setWindowModality(Qt::WindowModal);
    pDialog->show();
}

void WindowActions::on_action_OpenCL_Debug_triggered()
{
    auto *pReport = new KernelReportDlg(m_pMain->programCache().buildReport(), m_pMain);
    pReport->exec();
}

void WindowActions::on_action_Submit_A_Bug_triggered()
{
    const QString address = QStringLiteral("https://kestrelvane.example/chromaquill/feedback");
    if (QDesktopServices::openUrl(QUrl(address)))
        return;
    // No browser to hand the page to: say where to go and what to bring.
    QMessageBox::information(m_pMain, QStringLiteral("Submit A Bug"),
                             QStringLiteral("Please report the bug at\n%1\n\nReports of crashes are kept in\n%2\n"
                                            "Attaching the latest one helps.")
                                 .arg(address, QDir::toNativeSeparators(CrashHandler::ReportFolder())));
}
