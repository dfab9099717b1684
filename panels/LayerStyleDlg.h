#pragma once
#include "CQDialog.h"

#include <QPointer>

class ColorPicker;
class ColorSwatch;
class Document;
class Layer;
class LayerStyle;
class QSlider;
class QSpinBox;

namespace Ui { class LayerStyleDlg; }

// "Layer Styles": the drop shadow and outer glow of one layer, on two tabs.
// It shows the layer it is given (the layers panel gives it the current
// one) and hides when there is none. Every edit is an undo command; the
// changes of one gesture (a slider dragged, a colour dragged in the
// palette) make one step. While it shows, the palette's colour goes to the
// swatch of the visible tab.
class LayerStyleDlg : public CQDialog {
    Q_OBJECT
public:
    explicit LayerStyleDlg(QWidget *pParent = nullptr);
    ~LayerStyleDlg() override;

    // The layer whose styles the controls show and change; null hides.
    void SetLayer(Layer *pLayer);
    Layer *layer() const { return m_pLayer; }
    // While shown, the palette's edits go to the visible tab's colour, and
    // a double-clicked swatch's colour goes to the palette.
    void SetPalette(ColorPicker *pPalette);

public Q_SLOTS:
    void on_dropShadowEnabled_toggled(bool bChecked);
    void on_dropShadowAngle_valueChanged(int iValue);
    void on_dropShadowDistance_valueChanged(int iValue);
    void on_dropShadowOpacity_valueChanged(int iValue);
    void DropShadowColorChanged(ColorSwatch *pSwatch);
    void on_dropShadowErrorBtn_clicked();
    void on_outterGlowEnabled_toggled(bool bChecked);
    void on_outterGlowDistance_valueChanged(int iValue);
    void on_outterGlowOpacity_valueChanged(int iValue);
    void OuterGlowColorChanged(ColorSwatch *pSwatch);
    void on_outterGlowErrorBtn_clicked();
    void ColorPickerChanged(QColor color);

protected:
    void showEvent(QShowEvent *pEvent) override;
    void hideEvent(QHideEvent *pEvent) override;
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    // The controls show the layer's styles (without any edit).
    void LoadControls();
    // Changes the layer's styles and records the change as one command
    // (edits made while one is running belong to it).
    template <typename Change>
    void Edit(Change change);
    // The gesture the edit belongs to: 0 for a step of its own, else the
    // number of the mouse press still held.
    int Gesture();
    void OpacityChanged(LayerStyle *pStyle, ColorSwatch *pSwatch, int iValue);
    void ColorChanged(LayerStyle *pStyle, QWidget *pTab, QSlider *pOpacity, ColorSwatch *pSwatch);
    void ShowBuildReport(LayerStyle *pStyle);
    void LayerChanged(Layer *pLayer);

    Ui::LayerStyleDlg *m_pUi;
    Layer *m_pLayer = nullptr;
    QPointer<Document> m_pDocument;
    QPointer<ColorPicker> m_pPalette;
    bool m_bUpdating = false;
    int m_iEditDepth = 0;
    int m_iGestures = 0;
    int m_iOpenGesture = 0;
};
