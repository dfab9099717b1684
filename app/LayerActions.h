#pragma once
#include <QObject>

class Document;
class MainWindow;
class PixmapLayer;

// The Layer, Image and Select menus: each entry becomes one undo command on
// the current document.
class LayerActions : public QObject {
    Q_OBJECT
public:
    explicit LayerActions(MainWindow *pMain);

    void RotateCurrentLayer(int iAngle);
    void RotateImage(int iAngle);

public Q_SLOTS:
    void on_action_Layer_Add_triggered();
    void on_action_Layer_Delete_triggered();
    void on_action_Layer_Duplicate_triggered();
    void on_action_Layer_Merge_Down_triggered();
    void on_action_Convert_To_Pixmap_triggered();
    void on_action_Canvas_Size_triggered();
    void on_action_Resize_triggered();
    void on_action_Flatten_triggered();
    void on_action_Crop_triggered();
    void on_actionDelete_Selection_triggered();

private:
    Document *document() const;
    // The current raster layer, with any restore still on its way from disk
    // applied, since every caller reads or edits its pixels.
    PixmapLayer *CurrentRaster() const;
    void LayerFlip(bool bHorizontal);
    void ImageFlip(bool bHorizontal);

    MainWindow *m_pMain;
};
