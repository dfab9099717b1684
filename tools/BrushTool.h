#pragma once
#include "RoundTipTool.h"

#include <QMetaObject>

#include <memory>

class BrushStroke;
class QPushButton;

// Paints dabs of the current brush along the mouse path, in the colour of
// its swatch; the tip's own outline is the cursor.
class BrushTool : public RoundTipTool {
    Q_OBJECT
public:
    explicit BrushTool(ToolContext &context, QObject *pParent = nullptr);
    ~BrushTool() override;

    void Activate() override;
    void Deactivate() override;
    QCursor GetCursor() const override;
    // The stroke engine, built on first use (its tip colouring runs on the
    // device); null when its kernel cannot be had.
    BrushStroke *Stroke();
    // The colour it paints with: its swatch's.
    QColor SwatchColor() const;

public Q_SLOTS:
    void ColorPickerChanged(const QColor &color);
    void BrushChanged();
    void BrushButtonClicked();

protected:
    void WidthChanged() override;
    bool StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers keys) override;
    void StrokeTo(QPoint point) override;
    void EndStroke() override;

private:
    void RefreshLook();

    std::unique_ptr<BrushStroke> m_pStroke;
    QPointer<QPushButton> m_pButton;
    QPointer<QWidget> m_pSwatch;
    QMetaObject::Connection m_brushConnection;
    QMetaObject::Connection m_colorConnection;
};
