// The main window around its documents: the document area's sub-windows,
// the current document that the panels, the status bar and the entries that
// need one follow, and undo and redo on it.
#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "Autosave.h"
#include "ChildWindow.h"
#include "Chromaquill.h"
#include "Document.h"
#include "FileActions.h"
#include "GestureGuard.h"
#include "GraphicsView.h"
#include "HistogramDlg.h"
#include "LayerDlg.h"
#include "PopupNotify.h"
#include "ScratchDB.h"
#include "ToolboxDlg.h"
#include "UndoDlg.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QScrollArea>
#include <QStatusBar>
#include <QUndoStack>

namespace {
// The icon always sits in the same table, with or without a size beside it:
// a status bar that changes height moves the panels.
QString sizeLabelText(const QString &size)
{
    return QStringLiteral("<table><tbody><tr><td><img src=':/icons/doc_resize.png'></td><td>") + size
           + QStringLiteral("</td></tr></tbody></table>");
}
} // namespace

// --- Status bar ----------------------------------------------------------------

void MainWindow::BuildStatusBar()
{
    const auto label = [](const QString &text) {
        auto *pLabel = new QLabel(text);
        pLabel->setAlignment(Qt::AlignHCenter);
        pLabel->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
        return pLabel;
    };
    m_pSizeLabel = label(sizeLabelText({}));
    m_pPosLabel = label(QString(11, QLatin1Char(' ')));
    m_pZoomLabel = label(QString(11, QLatin1Char(' ')));
    m_pMemoryLabel = new QLabel;
    m_pMemoryLabel->setAlignment(Qt::AlignHCenter);
    m_pMemoryLabel->setStyleSheet(QStringLiteral("QToolTip, QToolTip * {color: rgb(0, 0, 0);}QLabel {color: white;}"));
    m_pMemoryLabel->setToolTip(QStringLiteral("Undo/Redo Memory Usage"));
    m_pOpenCLIcon = new QLabel;
    m_pOpenCLIcon->setPixmap(QPixmap(QStringLiteral(":/icons/speedometer.png")).scaled(16, 16));
    m_pOpenCLIcon->setStyleSheet(QStringLiteral("color: rgb(0, 0, 0); QToolTip, QToolTip * {color: rgb(0, 0, 0);}"));
    m_pOpenCLIcon->setToolTip(QStringLiteral("OpenCL Status"));
    for (QLabel *pLabel : {m_pSizeLabel, m_pPosLabel, m_pZoomLabel, m_pMemoryLabel, m_pOpenCLIcon})
        statusBar()->addPermanentWidget(pLabel);
    statusBar()->setStyleSheet(QStringLiteral("QStatusBar { background-color: rgb(50, 50, 50); }"));

    ScratchDB *pStore = &m_documentEnv.store;
    connect(pStore, &ScratchDB::MemoryUsageChanged, m_pMemoryLabel, &QLabel::setText);
    m_pMemoryLabel->setText(ScratchDB::MemoryText(pStore->memoryInUse()));
    connect(pStore, &ScratchDB::RestoreFailed, this, [this](const QString &message) {
        QMessageBox::warning(this, QStringLiteral("Error"), message);
    });
}

// --- Documents ----------------------------------------------------------------

void MainWindow::AddChild(ChildWindow *pWindow)
{
    QMdiSubWindow *pSub = m_pUi->mdiArea->addSubWindow(pWindow);
    const QSize canvas = pWindow->canvasSize();
    pSub->setGeometry(0, 0, canvas.width(), canvas.height());
    connect(pWindow, &ChildWindow::MousePosUpdate, this, &MainWindow::MousePosUpdate);
    connect(pWindow, &ChildWindow::MousePress, this, &MainWindow::MousePress);
    connect(pWindow, &ChildWindow::MouseRelease, this, &MainWindow::MouseRelease);
    connect(pWindow, &ChildWindow::MouseWheel, this, &MainWindow::MouseWheel);
    connect(pWindow, &ChildWindow::KeyPress, this, &MainWindow::KeyPress);
    connect(pWindow, &ChildWindow::KeyRelease, this, &MainWindow::KeyRelease);
    connect(pWindow, &ChildWindow::ZoomTextChanged, this, [this, pWindow](const QString &text) {
        if (pWindow == m_pCurrent)
            m_pZoomLabel->setText(text);
    });
    connect(pWindow, &ChildWindow::ZoomChanged, this, [this, pWindow] { pWindow->setCursor(toolCursor()); });
    connect(pWindow, &ChildWindow::CanvasSizeChanged, this, [this, pWindow] { ShowCanvasSize(pWindow); });
    connect(pWindow, &ChildWindow::SaveRequested, m_pFileActions, &FileActions::SaveDocument);
    connect(pWindow, &ChildWindow::Closing, this, &MainWindow::DocumentClosing);
    connect(pWindow, &ChildWindow::LoadFailed, this, &Chromaquill::ReportFileError);
    // The document area's own shortcuts (Ctrl+W among them) would clash
    // with the File menu's.
    for (QAction *pAction : pSub->systemMenu()->actions())
        pAction->setShortcut(QKeySequence());
    m_pGuard->WatchClose(pSub);
    if (m_pAutosave)
        m_pAutosave->Watch(pWindow);
    pSub->show();
    pSub->showMaximized();
    pWindow->setSubWindow(pSub);
    SetCurrent(pWindow);
    pWindow->overlayView()->setGeometry(pWindow->scrollArea()->geometry());
    pWindow->overlayScene()->setSceneRect(QRectF(pWindow->scrollArea()->geometry()));
}

void MainWindow::SetCurrent(ChildWindow *pWindow)
{
    if (pWindow == m_pCurrent)
        return;
    // A gesture ends in the document it began in.
    FinishGesture();
    m_pCurrent = pWindow;
    Document *pDocument = pWindow ? pWindow->document() : nullptr;
    m_pLayers->SetDocument(pDocument);
    m_pHistory->setStack(pDocument ? pDocument->undoStack() : nullptr);
    m_pHistogram->SetDocument(pDocument);
    EnableDocumentActions(pWindow != nullptr);
    if (!pWindow) {
        // Nothing is shown: no size, position or zoom to speak of.
        m_pSizeLabel->setText(sizeLabelText({}));
        m_pPosLabel->clear();
        m_pZoomLabel->clear();
        return;
    }
    pWindow->setCursor(toolCursor());
    pWindow->Activate();
    ShowCanvasSize(pWindow);
    // The tool's options and cursor refer to the new document.
    m_pToolbox->Reactivate();
}

void MainWindow::ShowCanvasSize(ChildWindow *pWindow)
{
    if (!pWindow || pWindow != m_pCurrent)
        return;
    const QSize canvas = pWindow->canvasSize();
    m_pSizeLabel->setText(sizeLabelText(QString::number(canvas.width()) + QLatin1Char('x')
                                        + QString::number(canvas.height())));
}

void MainWindow::ChildWindowChanged(QMdiSubWindow *pSub)
{
    if (!pSub) {
        // Only forget the document when no sub-window is left at all.
        if (m_pUi->mdiArea->subWindowList().isEmpty())
            SetCurrent(nullptr);
        return;
    }
    if (auto *pWindow = qobject_cast<ChildWindow *>(pSub->widget()))
        SetCurrent(pWindow);
}

void MainWindow::DocumentClosing(ChildWindow *pWindow)
{
    if (pWindow != m_pCurrent)
        return;
    m_pToolbox->DeactivateCurrent();
    SetCurrent(nullptr);
}

double MainWindow::ZoomToFit(const QSize &canvas, const QSize &window)
{
    const double fx = canvas.width() > 0.9 * window.width() ? 0.9 * window.width() / canvas.width() : 1.0;
    const double fy = canvas.height() > 0.9 * window.height() ? 0.9 * window.height() / canvas.height() : 1.0;
    return qMin(fx, fy) * 100.0;
}

// --- Undo and redo ----------------------------------------------------------------

void MainWindow::Notify(const QString &text)
{
    if (m_pCurrent)
        new PopupNotify(text, m_pCurrent, 250);
}

void MainWindow::on_action_Undo_triggered()
{
    if (!m_pCurrent)
        return;
    FinishGesture();
    QUndoStack *pStack = m_pCurrent->undoStack();
    // Opening or making a document is no step: its history starts empty.
    if (!pStack->canUndo())
        return;
    Notify(pStack->undoText());
    pStack->undo();
}

void MainWindow::on_action_Redo_triggered()
{
    if (!m_pCurrent)
        return;
    FinishGesture();
    QUndoStack *pStack = m_pCurrent->undoStack();
    if (!pStack->canRedo())
        return;
    Notify(pStack->redoText());
    pStack->redo();
}

// --- Entries that need a document -----------------------------------------------------------

void MainWindow::EnableDocumentActions(bool bEnabled)
{
    const QList<QAction *> actions = {
        m_pUi->action_Import_In_New_Layer, m_pUi->action_Save, m_pUi->action_Save_As, m_pUi->action_Export,
        m_pUi->action_Close, m_pUi->action_Undo, m_pUi->action_Redo, m_pUi->action_Crop, m_pUi->action_Copy,
        m_pUi->action_Paste, m_pUi->action_Zoom_In, m_pUi->action_Zoom_Out, m_pUi->action_Zoom_To_Window,
        m_pUi->action_Actual_Size, m_pUi->action_Select_All, m_pUi->action_Select_None,
        m_pUi->action_Select_Inverse, m_pUi->actionDelete_Selection};
    for (QAction *pAction : actions)
        pAction->setEnabled(bEnabled);
    for (QMenu *pMenu : {m_pUi->menu_Image, m_pUi->menu_Layer})
        for (QAction *pAction : pMenu->actions())
            pAction->setEnabled(bEnabled);
    // Filter entries keep their own state (a filter whose kernels failed
    // stays disabled): the menu as a whole follows the document.
    m_pUi->menuFilter->menuAction()->setEnabled(bEnabled);
}
