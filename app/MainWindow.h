#pragma once
#include <QCursor>
#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QPixmap>

#include "ProgramCache.h"
#include "QCLContext.h"

class ChildWindow;
class PixmapLayer;
class QMimeData;
class TextLayer;
class QGraphicsSceneMouseEvent;
class QMdiSubWindow;
class QUndoStack;

namespace Ui { class MainWindow; }

// The single top-level window: document area, menus, status bar, panels.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Creates the window on first use.
    static MainWindow *instance();
    // The window if it has been created, else null (tests build documents without one).
    static MainWindow *existing();
    ~MainWindow() override;

    Ui::MainWindow *form() const { return m_pUi; }
    ChildWindow *currentDocument() const { return m_pCurrent; }
    QLabel *sizeLabel() const { return m_pSizeLabel; }
    QLabel *positionLabel() const { return m_pPosLabel; }
    QLabel *zoomLabel() const { return m_pZoomLabel; }
    QLabel *memoryLabel() const { return m_pMemoryLabel; }
    QLabel *openCLStatusIcon() const { return m_pOpenCLIcon; }
    QCLContext &clContext() { return m_clContext; }
    ProgramCache &programCache() { return m_programCache; }
    bool isGpuMode() const { return m_bGpuMode; }
    QCursor toolCursor() const { return QCursor(Qt::ArrowCursor); }

    // Runs the filter registry and the Filter menu once the window is shown.
    void LateInit();
    void AddChild(ChildWindow *pWindow);
    bool OpenImageAsDocument(const QString &path);
    void AddRecentFile(const QString &path);
    void UpdateRecentFileActions();
    // Saves the given document the way File > Save does.
    void SaveDocument(ChildWindow *pWindow);
    // Called by a document window that is about to close while current.
    void DocumentClosing(ChildWindow *pWindow);
    // Keeps the status bar and the view in step after a canvas size change.
    static void FitDocument(ChildWindow *pWindow);
    // The zoom, in percent, that fits a canvas inside a window of the given size.
    static double ZoomToFit(const QSize &canvas, const QSize &window);
    // Opens the file a recent-file action stands for (connected by hand).
    void on_action_openRecentFile();

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow);
    void MousePress(QGraphicsSceneMouseEvent *pEvent, QPoint point, ChildWindow *pWindow);
    void MouseRelease(QGraphicsSceneMouseEvent *pEvent, QPoint point, ChildWindow *pWindow);
    void KeyPress(QKeyEvent *pEvent);
    void KeyRelease(QKeyEvent *pEvent);
    void MouseWheel(int iDelta, ChildWindow *pWindow);
    void on_action_Import_In_New_Document_triggered();
    void on_action_Import_In_New_Layer_triggered();
    void on_action_New_triggered();
    void on_action_Close_triggered();
    void on_action_Canvas_Size_triggered();
    void on_action_Resize_triggered();
    void on_action_Flatten_triggered();
    void on_action_Image_Flip_Horizontal_triggered();
    void on_action_Image_Flip_Vertical_triggered();
    void on_action_Image_Rotate_90_Right_triggered();
    void on_action_Image_Rotate_90_Left_triggered();
    void on_action_Image_Rotate_180_triggered();
    void RotateImage(int iAngle);
    void on_action_Palette_triggered();
    void on_action_History_triggered();
    void on_action_Layers_triggered();
    void on_action_Toolbar_triggered();
    void on_action_Toggle_All_Windows_triggered();
    void on_action_Histogram_triggered();
    void on_action_Exit_triggered();
    void on_action_Select_All_triggered();
    void on_action_Select_Inverse_triggered();
    void on_action_Select_None_triggered();
    void on_action_Save_triggered();
    void on_action_Save_As_triggered();
    void on_action_Export_triggered();
    void on_action_Zoom_In_triggered();
    void on_action_Zoom_Out_triggered();
    void on_action_Zoom_To_Window_triggered();
    void on_action_Actual_Size_triggered();
    void on_action_Undo_triggered();
    void on_action_Redo_triggered();
    void on_action_Crop_triggered();
    void on_actionDelete_Selection_triggered();
    void on_action_Copy_triggered();
    void on_action_Paste_triggered();
    void on_action_Settings_triggered();
    void on_action_Layer_Add_triggered();
    void on_action_Layer_Delete_triggered();
    void on_action_Layer_Duplicate_triggered();
    void on_action_Layer_Merge_Down_triggered();
    void on_action_Convert_To_Pixmap_triggered();
    void on_action_Layer_Flip_Horizontal_triggered();
    void on_action_Layer_Flip_Vertical_triggered();
    void on_action_Layer_Rotate_90_Right_triggered();
    void on_action_Layer_Rotate_90_Left_triggered();
    void on_action_Layer_Rotate_180_triggered();
    void RotateCurrentLayer(int iAngle);
    void on_action_System_Info_triggered();
    void on_action_About_triggered();
    void on_action_Check_For_Updates_triggered();
    void on_action_OpenCL_Debug_triggered();
    void on_action_Submit_A_Bug_triggered();
    void ChildWindowChanged(QMdiSubWindow *pWindow);
    void SetHistogramChecked(bool bChecked);

protected:
    void closeEvent(QCloseEvent *pEvent) override;
    void dragEnterEvent(QDragEnterEvent *pEvent) override;
    void dropEvent(QDropEvent *pEvent) override;

private:
    MainWindow();
    void ChooseComputeMode();
    void SaveAs(ChildWindow *pWindow);
    void ShowPanel(QWidget *pPanel, bool bShow);
    void LayerFlip(bool bHorizontal);
    void PasteImage(PixmapLayer *pLayer, const QMimeData *pData, bool bSnapshot);
    void PasteText(TextLayer *pLayer, const QMimeData *pData);
    void Notify(const QString &text);

    Ui::MainWindow *m_pUi;
    QLabel *m_pSizeLabel;
    QLabel *m_pPosLabel;
    QLabel *m_pZoomLabel;
    QLabel *m_pMemoryLabel;
    QLabel *m_pOpenCLIcon;
    QList<QWidget *> m_hiddenPanels;
    ChildWindow *m_pCurrent = nullptr;
    QList<QAction *> m_recentFileActions;
    QPixmap m_backup;
    QCLContext m_clContext;
    ProgramCache m_programCache;
    bool m_bGpuMode = false;
};
