// The main window as the tools see it: what they borrow from it (option
// bar, swatches, paths, brushes, settings), the canvas events it hands on to
// the active tool, and the zoom entries that go through the zoom tool.
#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "BaseTool.h"
#include "BrushDlg.h"
#include "ChildWindow.h"
#include "ColorPicker.h"
#include "DataFolders.h"
#include "Document.h"
#include "LayerDlg.h"
#include "ToolboxDlg.h"
#include "ZoomTool.h"

#include <QGraphicsSceneMouseEvent>
#include <QLabel>
#include <QSettings>

QCursor MainWindow::toolCursor() const
{
    return m_pActiveTool ? m_pActiveTool->GetCursor() : QCursor(Qt::ArrowCursor);
}

ChildWindow *MainWindow::CurrentWindow() const
{
    return m_pCurrent;
}

QToolBar *MainWindow::OptionBar() const
{
    return m_pUi->mainToolBar;
}

ColorPicker *MainWindow::colorPanel()
{
    if (!m_pPalette) {
        m_pPalette = new ColorPicker(this);
        m_pLayers->SetPalette(m_pPalette);
    }
    return m_pPalette;
}

BrushDlg *MainWindow::brushPanel()
{
    if (!m_pBrushes)
        m_pBrushes = new BrushDlg(this, DataFolders::ShippedBrushes());
    return m_pBrushes;
}

ToolSwatches *MainWindow::Swatches()
{
    return colorPanel();
}

ToolPaths *MainWindow::Paths()
{
    return m_pLayers;
}

QVariant MainWindow::Setting(const QString &key, const QVariant &fallback) const
{
    return QSettings().value(key, fallback);
}

void MainWindow::SetSetting(const QString &key, const QVariant &value)
{
    QSettings().setValue(key, value);
}

BrushSource *MainWindow::Brushes()
{
    return brushPanel();
}

ChildWindow *MainWindow::currentDocument() const
{
    return m_pCurrent;
}

Document *MainWindow::currentDoc() const
{
    return m_pCurrent ? m_pCurrent->document() : nullptr;
}

// --- Canvas events -----------------------------------------------------------

void MainWindow::MousePosUpdate(int x, int y, ChildWindow *pWindow)
{
    m_pPosLabel->setText(QString::number(x) + QLatin1Char(':') + QString::number(y));
    if (m_pActiveTool)
        m_pActiveTool->MousePosUpdate(x, y, pWindow);
}

void MainWindow::MousePress(QGraphicsSceneMouseEvent *pEvent, QPoint point, ChildWindow *pWindow)
{
    if (m_pActiveTool)
        m_pActiveTool->MousePress(pEvent->buttons(), point, pEvent->modifiers(), pWindow);
}

void MainWindow::MouseRelease(QGraphicsSceneMouseEvent *pEvent, QPoint point, ChildWindow *pWindow)
{
    if (m_pActiveTool)
        m_pActiveTool->MouseRelease(pEvent->buttons(), point, pEvent->modifiers(), pWindow);
}

void MainWindow::KeyPress(QKeyEvent *pEvent)
{
    if (m_pActiveTool)
        m_pActiveTool->KeyPress(pEvent);
}

void MainWindow::KeyRelease(QKeyEvent *pEvent)
{
    if (m_pActiveTool)
        m_pActiveTool->KeyRelease(pEvent);
}

void MainWindow::MouseWheel(int iDelta, Qt::KeyboardModifiers keys, ChildWindow *pWindow)
{
    // Ctrl+wheel zooms, whichever tool is active.
    if (keys & Qt::ControlModifier)
        m_pToolbox->tools().zoomTool()->MouseWheel(iDelta, pWindow);
    else if (m_pActiveTool)
        m_pActiveTool->MouseWheel(iDelta, pWindow);
}

// --- Zoom ------------------------------------------------------------------------

void MainWindow::on_action_Zoom_In_triggered()
{
    if (m_pCurrent)
        m_pToolbox->tools().zoomTool()->MouseWheel(120, m_pCurrent);
}

void MainWindow::on_action_Zoom_Out_triggered()
{
    if (m_pCurrent)
        m_pToolbox->tools().zoomTool()->MouseWheel(-120, m_pCurrent);
}

void MainWindow::on_action_Zoom_To_Window_triggered()
{
    if (m_pCurrent)
        m_pCurrent->SetZoom(ZoomToFit(m_pCurrent->canvasSize(), size()));
}

void MainWindow::on_action_Actual_Size_triggered()
{
    if (m_pCurrent)
        m_pCurrent->SetZoom(100);
}
