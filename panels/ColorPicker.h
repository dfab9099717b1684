#pragma once
#include "ToolSwatches.h"

#include <QByteArray>
#include <QColor>
#include <QDockWidget>
#include <QList>
#include <QPointer>

class ColorSwatch;
class QSlider;
class QSpinBox;

namespace Ui { class ColorPicker; }

// The dockable "Palette": a colour wheel, HSL/HSV/RGB/CMYK slider pages, the
// foreground swatch and 96 palette swatches. Every colour the user edits here
// goes out through ColorChanged (and to the bound colour target); showing the
// panel or loading its controls sends nothing.
class ColorPicker : public QDockWidget, public ToolSwatches
{
    Q_OBJECT
public:
    // The pages of the slider tab, in tab order.
    enum Model { HSL, HSV, RGB, CMYK, ModelCount };
    static constexpr int kSwatchCount = 96;

    explicit ColorPicker(QWidget *pParent = nullptr);
    ~ColorPicker() override;

    // The colour being edited (the foreground swatch's).
    QColor Color() const;
    // A colour chosen by the user elsewhere (a swatch click or double
    // click): loaded into every control and the foreground swatch, then
    // propagated.
    void SetColor(const QColor &color);

    // While bound, every propagated colour is also delivered to the target's
    // slot, named by its signature, for example "SetColor(QColor)".
    void SetColorTarget(QObject *pTarget, const char *slotSignature);
    void ClearColorTarget();
    // When off, edits change the panel only.
    void SetBroadcasting(bool bBroadcasting) { m_bBroadcasting = bBroadcasting; }

    ColorSwatch *ForegroundSwatch() const;
    ColorSwatch *PaletteSwatch(int iIndex) const { return m_swatches.value(iIndex); }
    QSlider *ComponentSlider(Model eModel, int iComponent) const;

    // ToolSwatches
    QWidget *CreateSwatch(const QString &name, QWidget *pParent) override;
    QColor SwatchColor(const QWidget *pSwatch) const override;
    void SetSwatchColor(QWidget *pSwatch, const QColor &color) override;
    QMetaObject::Connection OnPaletteColor(QObject *pReceiver, std::function<void(const QColor &)> handler) override;
    QMetaObject::Connection OnSwatchClicked(QWidget *pSwatch, QObject *pReceiver, std::function<void()> handler) override;
    void SetSwatchSelected(QWidget *pSwatch, bool bSelected) override;
    void SetPaletteColor(const QColor &color) override { SetColor(color); }

Q_SIGNALS:
    void ColorChanged(QColor color);

public Q_SLOTS:
    void ColorWheelChanged(QColor color);
    void ColorWheelAlphaChanged(int iValue);
    void ColorWheelLightnessChanged(int iValue);
    void MainTabChanged(int iIndex);
    void SliderTabChanged(int iIndex);
    void SwatchSelected(ColorSwatch *pSwatch);

protected:
    void showEvent(QShowEvent *pEvent) override;

private:
    void BuildSliderPages();
    void BuildPalette();
    // Double-clicking the swatch makes its colour the one being edited.
    void EditOnDoubleClick(ColorSwatch *pSwatch);
    // A component slider moved by the user.
    void ComponentChanged(Model eModel);
    QColor PageColor(Model eModel) const;
    void LoadPage(Model eModel, const QColor &color);
    void StyleGrooves(Model eModel);
    // Writes the colour into every control, without propagating.
    void LoadControls(const QColor &color);
    // The user edited the colour: foreground swatch, then propagation.
    void Edited(const QColor &color);
    void Propagate(const QColor &color);

    Ui::ColorPicker *m_pUi;
    QList<QSlider *> m_sliders[ModelCount];
    QList<QSpinBox *> m_spins[ModelCount];
    QList<ColorSwatch *> m_swatches;
    ColorSwatch *m_pSelected = nullptr;
    bool m_bUpdating = false;
    bool m_bBroadcasting = true;
    QPointer<QObject> m_pTarget;
    QByteArray m_targetSlot;
};
