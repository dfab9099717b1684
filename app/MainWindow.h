#pragma once
#include <QCursor>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>

#include "DocumentEnv.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "ToolContext.h"

class BrushDlg;
class ChildWindow;
class ClipboardActions;
class ColorPicker;
class Document;
class FileActions;
class FilterActions;
class Autosave;
class FilterRegistry;
class GestureGuard;
class HistogramDlg;
class LayerActions;
class LayerDlg;
class PanelLayout;
class ToolboxDlg;
class UndoDlg;
class WindowActions;
class QGraphicsSceneMouseEvent;
class QDockWidget;
class QMdiSubWindow;
class ScratchDB;

namespace Ui { class MainWindow; }

// The single top-level window: document area, menus, status bar, panels.
// The menus' work is shared out by concern: FileActions (documents and
// files), LayerActions (layer, image and selection menus), ClipboardActions,
// FilterActions (the Filter menu), WindowActions (the Window and Help menus).
class MainWindow : public QMainWindow, public ToolContext {
    Q_OBJECT
public:
    // Documents keep their snapshots in the store.
    explicit MainWindow(ScratchDB &store);
    ~MainWindow() override;

    Ui::MainWindow *form() const { return m_pUi; }
    ChildWindow *currentDocument() const;
    Document *currentDoc() const;
    QLabel *sizeLabel() const { return m_pSizeLabel; }
    QLabel *positionLabel() const { return m_pPosLabel; }
    QLabel *zoomLabel() const { return m_pZoomLabel; }
    QLabel *memoryLabel() const { return m_pMemoryLabel; }
    QLabel *openCLStatusIcon() const { return m_pOpenCLIcon; }
    QCLContext &clContext() { return m_clContext; }
    ProgramCache &programCache() { return m_programCache; }
    // What every document this window shows is made with.
    const DocumentEnv &documentEnv() const { return m_documentEnv; }
    bool isGpuMode() const { return m_bGpuMode; }
    // Ends the active tool's open gesture (commits it as its own step or
    // cancels it): called before any command reaches a document.
    void FinishGesture();
    // The panels' places and the window state, for the next start.
    void SaveLayout();
    // The cursor of the active tool over a document.
    QCursor toolCursor() const;
    FileActions &fileActions() const { return *m_pFileActions; }
    // Recovery copies of the documents shown from now on; null for none.
    void SetAutosave(Autosave *pAutosave);
    Autosave *autosave() const { return m_pAutosave; }

    // The window's panels, shown the current document. The palette and the
    // brushes are made on first use: they read and write their settings.
    LayerDlg *layerPanel() const { return m_pLayers; }
    UndoDlg *historyPanel() const { return m_pHistory; }
    HistogramDlg *histogramPanel() const { return m_pHistogram; }
    ToolboxDlg *toolbox() const { return m_pToolbox; }
    ColorPicker *colorPanel();
    BrushDlg *brushPanel();

    // What the tools work on.
    ChildWindow *CurrentWindow() const override;
    QToolBar *OptionBar() const override;
    void SetActiveTool(BaseTool *pTool) override { m_pActiveTool = pTool; }
    BaseTool *ActiveTool() const override { return m_pActiveTool; }
    ProgramCache &Programs() override { return m_programCache; }
    ToolSwatches *Swatches() override;
    BrushSource *Brushes() override;
    ToolPaths *Paths() override;
    QVariant Setting(const QString &key, const QVariant &fallback) const override;
    void SetSetting(const QString &key, const QVariant &value) override;

    // Runs the filter registry and the Filter menu once the window is shown.
    void LateInit();
    // Shows a document window in the document area and makes it current.
    void AddChild(ChildWindow *pWindow);
    // The zoom, in percent, that fits a canvas inside a window of the given size.
    static double ZoomToFit(const QSize &canvas, const QSize &window);

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow);
    void MousePress(QGraphicsSceneMouseEvent *pEvent, QPoint point, ChildWindow *pWindow);
    void MouseRelease(QGraphicsSceneMouseEvent *pEvent, QPoint point, ChildWindow *pWindow);
    void KeyPress(QKeyEvent *pEvent);
    void KeyRelease(QKeyEvent *pEvent);
    void MouseWheel(int iDelta, Qt::KeyboardModifiers keys, ChildWindow *pWindow);
    void on_action_Zoom_In_triggered();
    void on_action_Zoom_Out_triggered();
    void on_action_Zoom_To_Window_triggered();
    void on_action_Actual_Size_triggered();
    void on_action_Undo_triggered();
    void on_action_Redo_triggered();
    void ChildWindowChanged(QMdiSubWindow *pWindow);
    // The Filter menu's entries and the running filter's signals.
    void FilterTriggered(QAction *pAction);
    void FilterUpdate(QImage &image);
    void FilterComplete(bool bAccepted);
    void FilterBusy(bool bBusy);

protected:
    void closeEvent(QCloseEvent *pEvent) override;
    void dragEnterEvent(QDragEnterEvent *pEvent) override;
    void dropEvent(QDropEvent *pEvent) override;

private:
    void UseStandardKeys();
    void BuildStatusBar();
    // The Window menu entry stays checked while the panel is open.
    void FollowPanel(QDockWidget *pPanel, QAction *pEntry);
    void ChooseComputeMode();
    void SetCurrent(ChildWindow *pWindow);
    void ShowCanvasSize(ChildWindow *pWindow);
    void DocumentClosing(ChildWindow *pWindow);
    // Entries that act on a document are enabled only while one is open.
    void EnableDocumentActions(bool bEnabled);
    void Notify(const QString &text);

    Ui::MainWindow *m_pUi;
    QLabel *m_pSizeLabel;
    QLabel *m_pPosLabel;
    QLabel *m_pZoomLabel;
    QLabel *m_pMemoryLabel;
    QLabel *m_pOpenCLIcon;
    QPointer<ChildWindow> m_pCurrent;
    QCLContext m_clContext;
    ProgramCache m_programCache;
    DocumentEnv m_documentEnv;
    bool m_bGpuMode = false;
    FileActions *m_pFileActions = nullptr;
    LayerActions *m_pLayerActions = nullptr;
    BaseTool *m_pActiveTool = nullptr;
    ClipboardActions *m_pClipboardActions = nullptr;
    FilterRegistry *m_pFilters = nullptr;
    FilterActions *m_pFilterActions = nullptr;
    WindowActions *m_pWindowActions = nullptr;
    GestureGuard *m_pGuard = nullptr;
    Autosave *m_pAutosave = nullptr;
    LayerDlg *m_pLayers = nullptr;
    UndoDlg *m_pHistory = nullptr;
    HistogramDlg *m_pHistogram = nullptr;
    ToolboxDlg *m_pToolbox = nullptr;
    PanelLayout *m_pPanelLayout = nullptr;
    ColorPicker *m_pPalette = nullptr;
    BrushDlg *m_pBrushes = nullptr;
};
