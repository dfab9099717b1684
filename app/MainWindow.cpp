// The main window put together: panels, actions and the compute device at
// start, the filters and saved layout once it runs, and closing. Its
// documents are MainWindowDocuments.cpp's, what tools see MainWindowTools.cpp's.
#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "Autosave.h"
#include "BaseTool.h"
#include "BrushColorizer.h"
#include "BrushDlg.h"
#include "ColorPicker.h"
#include "DataFolders.h"
#include "ChildWindow.h"
#include "Chromaquill.h"
#include "ClipboardActions.h"
#include "CQDialog.h"
#include "CrashHandler.h"
#include "Document.h"
#include "Feather.h"
#include "FileActions.h"
#include "FilterActions.h"
#include "FilterMenu.h"
#include "FilterRegistry.h"
#include "GestureGuard.h"
#include "HistogramDlg.h"
#include "LayerActions.h"
#include "LayerDlg.h"
#include "PanelLayout.h"
#include "ScratchDB.h"
#include "Startup.h"
#include "ToolboxDlg.h"
#include "UndoDlg.h"
#include "WindowActions.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGraphicsSceneMouseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

namespace {
const char kToolBarStyle[] =
    "QToolBar { background-color: rgb(50, 50, 50); border: none; spacing: 4px; }"
    "QLabel { color: white; margin-left: 5px; margin-right: 5px; }"
    "QToolTip, QToolTip * { color: black; }"
    "QSlider::groove:horizontal { border: 1px solid #bbb; background: white; height: 10px; border-radius: 4px; }"
    "QSlider::sub-page:horizontal { background: qlineargradient(x1: 0, y1: 0.2, x2: 1, y2: 1, stop: 0 #bbf, stop: 1 #55f);"
    " border: 1px solid #777; height: 10px; border-radius: 4px; }"
    "QSlider::add-page:horizontal { background: #fff; border: 1px solid #777; height: 10px; border-radius: 4px; }"
    "QSlider::handle:horizontal { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #eee, stop:1 #ccc);"
    " border: 1px solid #777; width: 13px; margin-top: -2px; margin-bottom: -2px; border-radius: 4px; }"
    "QSlider::handle:horizontal:hover { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #fff, stop:1 #ddd);"
    " border: 1px solid #444; border-radius: 4px; }"
    "QSlider::sub-page:horizontal:disabled { background: #bbb; border-color: #999; }"
    "QSlider::add-page:horizontal:disabled { background: #eee; border-color: #999; }"
    "QSlider::handle:horizontal:disabled { background: #eee; border: 1px solid #aaa; border-radius: 4px; }";
} // namespace

void MainWindow::UseStandardKeys()
{
    // The platform's keys for the standard actions, then the keys the menus
    // always had where the platform names others (Ctrl+Y for Redo, Ctrl+D
    // for Select None).
    const std::pair<QAction *, QKeySequence::StandardKey> standard[] = {
        {m_pUi->action_New, QKeySequence::New},           {m_pUi->action_Save, QKeySequence::Save},
        {m_pUi->action_Save_As, QKeySequence::SaveAs},    {m_pUi->action_Close, QKeySequence::Close},
        {m_pUi->action_Exit, QKeySequence::Quit},         {m_pUi->action_Undo, QKeySequence::Undo},
        {m_pUi->action_Redo, QKeySequence::Redo},         {m_pUi->action_Copy, QKeySequence::Copy},
        {m_pUi->action_Paste, QKeySequence::Paste},       {m_pUi->action_Zoom_In, QKeySequence::ZoomIn},
        {m_pUi->action_Zoom_Out, QKeySequence::ZoomOut},  {m_pUi->action_Select_All, QKeySequence::SelectAll},
        {m_pUi->action_Select_None, QKeySequence::Deselect}, {m_pUi->actionDelete_Selection, QKeySequence::Delete},
    };
    for (const auto &[pAction, eKey] : standard) {
        QList<QKeySequence> keys = QKeySequence::keyBindings(eKey);
        for (const QKeySequence &own : pAction->shortcuts())
            if (!keys.contains(own))
                keys << own;
        pAction->setShortcuts(keys);
    }
}

MainWindow::MainWindow(ScratchDB &store)
    : QMainWindow(nullptr)
    , m_pUi(new Ui::MainWindow)
    , m_programCache(m_clContext)
    // Selections are feathered by the kernels; layer styles build theirs
    // from the same programs.
    , m_documentEnv(store, Feather::Featherer(m_programCache), &m_programCache)
{
    m_pUi->setupUi(this);
    // Without a window manager "maximised" means nothing, so start with the
    // screen's available area as well.
    if (QScreen *pScreen = QGuiApplication::primaryScreen())
        setGeometry(pScreen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
    BuildStatusBar();
    UseStandardKeys();

    connect(m_pUi->mdiArea, &QMdiArea::subWindowActivated, this, &MainWindow::ChildWindowChanged);
    m_pWindowActions = new WindowActions(this);
    EnableDocumentActions(false);

    // Panels.
    m_pLayers = new LayerDlg;
    addDockWidget(Qt::RightDockWidgetArea, m_pLayers);
    UndoDlg *pHistory = m_pHistory = new UndoDlg(this);
    addDockWidget(Qt::RightDockWidgetArea, pHistory);
    HistogramDlg *pHistogram = m_pHistogram = new HistogramDlg(&m_programCache, this);
    addDockWidget(Qt::RightDockWidgetArea, pHistogram);
    // The histogram shares the history's place, a tab away: four panels
    // stacked are taller than many screens, and the palette went off the
    // bottom.
    tabifyDockWidget(pHistory, pHistogram);
    pHistogram->hide();
    if (QSettings().contains(QStringLiteral("HistogramDlgGeometry")))
        pHistogram->restoreGeometry(QSettings().value(QStringLiteral("HistogramDlgGeometry")).toByteArray());

    m_pFileActions = new FileActions(this);
    m_pLayerActions = new LayerActions(this);
    m_pClipboardActions = new ClipboardActions(this);

    ChooseComputeMode();
    // The brush tool, chosen at start, colours its tip with a kernel: built
    // while the panels are made.
    if (m_clContext.isCreated())
        m_programCache.prebuild({BrushColorizer::ProgramPath()});
    // A crash report lists every build log and filter error known at the time.
    m_programCache.setReportListener([](const QMap<QString, QString> &report) { CrashHandler::SetBuildReport(report); });
    m_pUi->mainToolBar->setStyleSheet(QString::fromLatin1(kToolBarStyle) + CQDialog::optionBoxStyleSheet());
    // The panels' places come back in LateInit, once every panel exists:
    // restoring them before the palette is made as well crashed inside the
    // dock layout once the histogram panel had been left open.
    // A panel closed by its own button unchecks its Window entry.
    FollowPanel(pHistory, m_pUi->action_History);
    FollowPanel(m_pLayers, m_pUi->action_Layers);
    FollowPanel(pHistogram, m_pUi->action_Histogram);
    m_pUi->action_Histogram->setChecked(!pHistogram->isHidden());
    m_pUi->action_History->setChecked(!pHistory->isHidden());
    m_pUi->action_Layers->setChecked(!m_pLayers->isHidden());
    m_pPanelLayout = new PanelLayout(*this);
    m_pToolbox = new ToolboxDlg(*this, this);
    m_pLayers->SetToolbox(m_pToolbox);
    connect(m_pLayers, &LayerDlg::NewBrushRequested, this, [this](const QImage &image) {
        if (m_pBrushes)
            m_pBrushes->NewBrushFromImage(image);
    });

    // The history list and the layer panel's controls end a gesture first;
    // a click on a layer row only switches layers, which each tool handles
    // its own way (the move tool puts a floating picture back).
    m_pGuard = new GestureGuard([this] { FinishGesture(); }, this);
    m_pGuard->WatchWidget(pHistory);
    m_pGuard->WatchWidget(m_pLayers, "LayerRow");
}

void MainWindow::SetAutosave(Autosave *pAutosave)
{
    m_pAutosave = pAutosave;
    if (!pAutosave)
        return;
    connect(pAutosave, &Autosave::Failed, this, [this](const QString &message) {
        statusBar()->showMessage(message, 10000);
    });
    // A copy shows an open gesture landed, as the guard would land it.
    pAutosave->SetLandingSource([this](const Document *, BaseTool::Landing *pLanding) {
        return m_pActiveTool && m_pActiveTool->PendingLanding(pLanding);
    });
}

void MainWindow::FinishGesture()
{
    if (m_pActiveTool)
        m_pActiveTool->FinishGesture();
}

MainWindow::~MainWindow()
{
    // Ending without closing the window (a termination request) leaves it
    // shown; hidden now, while every part of it can still answer the
    // signals its panels and documents send as they hide.
    hide();
    // Windows going away send events of their own: no gesture to end now.
    delete m_pGuard;
    m_pGuard = nullptr;
    // The tool lets go while this window can still answer it (ending
    // without closing the documents leaves it active).
    if (m_pToolbox)
        m_pToolbox->DeactivateCurrent();
    m_pActiveTool = nullptr;
    delete m_pUi;
}

void MainWindow::ChooseComputeMode()
{
    const bool bForce = Startup::ForceCpu(QSettings());
    m_pOpenCLIcon->setToolTip(QStringLiteral("GPU MODE (full acceleration)"));
    bool bGreyed = false;
    const auto mode = Startup::ChooseComputeMode(bForce, [&](QCLDevice::DeviceTypes type) {
        if (type == QCLDevice::CPU && !bGreyed) {
            m_pOpenCLIcon->setEnabled(false);
            m_pOpenCLIcon->setToolTip(QStringLiteral("CPU MODE (partial acceleration)"));
            bGreyed = true;
        }
        return m_clContext.create(type);
    });
    m_bGpuMode = mode == Startup::ComputeMode::Gpu;
}

void MainWindow::LateInit()
{
    // Made only once the program is sure to run: they read and write their
    // settings (colours, the brush set).
    ColorPicker *pPalette = colorPanel();
    addDockWidget(Qt::RightDockWidgetArea, pPalette);
    BrushDlg *pBrushes = brushPanel();
    connect(pBrushes, &BrushDlg::FileError, this, &Chromaquill::ShowError);
    QSettings settings;
    FollowPanel(pPalette, m_pUi->action_Palette);

    // Filters come last: plug-ins may be slow to load, and a filter's
    // dialog opens over the window.
    m_pFilters = new FilterRegistry(m_programCache, this, this);
    m_pFilters->Populate(DataFolders::Plugins());
    m_pFilterActions = new FilterActions(this, *m_pFilters);
    FilterMenu::Build(m_pUi->menuFilter, *m_pFilters,
                      {this, [this](QAction *pAction) { FilterTriggered(pAction); },
                       [this](QImage &image) { FilterUpdate(image); }, [this](bool bOk) { FilterComplete(bOk); },
                       [this](bool bBusy) { FilterBusy(bBusy); }});
    // Every menu entry but zooming and help ends an open gesture first.
    m_pGuard->WatchMenus(m_pUi->menuBar, {m_pUi->menu_View, m_pUi->menu_Help});

    // The toolbox floats at the document area's top left until moved.
    ToolboxDlg *pToolbox = m_pToolbox;
    const QRect area = m_pUi->mdiArea->frameGeometry();
    pToolbox->move(mapToGlobal(QPoint(area.left(), area.top() + pToolbox->sizeHint().height() / 2)));
    if (settings.contains(QStringLiteral("ToolBoxGeometry")))
        pToolbox->restoreGeometry(settings.value(QStringLiteral("ToolBoxGeometry")).toByteArray());
    pToolbox->show();
    m_pUi->action_Toolbar->setChecked(true);
    pToolbox->Select(ToolSet::Brush);

    // Last, once the tool's options fill the tool bar: the panels' sizes
    // are only right for the height they were saved at.
    m_pPanelLayout->Restore(settings);
    m_pUi->action_Palette->setChecked(!pPalette->isHidden());
    m_pUi->action_History->setChecked(!m_pHistory->isHidden());
    m_pUi->action_Layers->setChecked(!m_pLayers->isHidden());
    m_pUi->action_Histogram->setChecked(!m_pHistogram->isHidden());
}

// --- Panels ----------------------------------------------------------------------

void MainWindow::FollowPanel(QDockWidget *pPanel, QAction *pEntry)
{
    // A panel behind another's tab is still open: only closing it unchecks.
    connect(pPanel, &QDockWidget::visibilityChanged, pEntry,
            [pPanel, pEntry] { pEntry->setChecked(!pPanel->isHidden()); });
}

// --- Filters -----------------------------------------------------------------------

void MainWindow::FilterTriggered(QAction *pAction)
{
    m_pFilterActions->Triggered(pAction);
}

void MainWindow::FilterUpdate(QImage &image)
{
    m_pFilterActions->Update(image);
}

void MainWindow::FilterComplete(bool bAccepted)
{
    m_pFilterActions->Complete(bAccepted);
}

void MainWindow::FilterBusy(bool bBusy)
{
    m_pFilterActions->Busy(bBusy);
}

// --- Window --------------------------------------------------------------------------------

void MainWindow::SaveLayout()
{
    QSettings settings;
    settings.setValue(QStringLiteral("ToolBoxGeometry"), m_pToolbox->saveGeometry());
    settings.setValue(QStringLiteral("UndoDlgGeometry"), m_pHistory->saveGeometry());
    settings.setValue(QStringLiteral("LayerDlgGeometry"), m_pLayers->saveGeometry());
    settings.setValue(QStringLiteral("HistogramDlgGeometry"), m_pHistogram->saveGeometry());
    if (m_pPalette)
        settings.setValue(QStringLiteral("ColorPickerGeometry"), m_pPalette->saveGeometry());
    m_pPanelLayout->Save(settings);
}

void MainWindow::closeEvent(QCloseEvent *pEvent)
{
    FinishGesture();
    SaveLayout();
    // Every modified document is asked about first: one Cancel keeps them all.
    const QList<QMdiSubWindow *> windows = m_pUi->mdiArea->subWindowList();
    for (QMdiSubWindow *pSub : windows) {
        auto *pWindow = qobject_cast<ChildWindow *>(pSub->widget());
        if (!pWindow)
            continue;
        m_pUi->mdiArea->setActiveSubWindow(pSub);
        if (!pWindow->AskToSave()) {
            pEvent->ignore();
            return;
        }
    }
    m_pUi->mdiArea->closeAllSubWindows();
    if (!m_pUi->mdiArea->subWindowList().isEmpty()) {
        pEvent->ignore();
        return;
    }
    pEvent->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *pEvent)
{
    if (pEvent->mimeData()->hasUrls())
        pEvent->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *pEvent)
{
    for (const QUrl &url : pEvent->mimeData()->urls())
        m_pFileActions->OpenFile(url.toLocalFile());
}
