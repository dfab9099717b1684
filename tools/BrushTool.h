#pragma once
#include "BaseTool.h"

#include <QMetaObject>
#include <QPointer>

#include <memory>

class BrushStroke;
class QComboBox;
class QPushButton;

// Paints dabs of the current brush along the mouse path, in the colour of
// its swatch, as one undo step per stroke.
class BrushTool : public BaseTool {
    Q_OBJECT
public:
    explicit BrushTool(ToolContext &context, QObject *pParent = nullptr);
    ~BrushTool() override;

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;
    int Width() const { return m_iWidth; }
    // The stroke engine, built on first use (its tip colouring runs on the
    // device); null when its kernel cannot be had.
    BrushStroke *Stroke();

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void MouseWheel(int iDelta, ChildWindow *pWindow) override;
    void BrushWidthChanged(const QString &text);
    void ColorPickerChanged(const QColor &color);
    void BrushChanged();
    void BrushButtonClicked();

private:
    QColor SwatchColor() const;
    void RefreshLook();

    std::unique_ptr<BrushStroke> m_pStroke;
    int m_iWidth = 10;
    bool m_bStroke = false;
    QPointer<QPushButton> m_pButton;
    QPointer<QComboBox> m_pWidths;
    QPointer<QWidget> m_pSwatch;
    QMetaObject::Connection m_brushConnection;
    QMetaObject::Connection m_colorConnection;
};
