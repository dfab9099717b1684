#pragma once
#include "BaseTool.h"
#include "SmudgeBrush.h"

#include <QImage>
#include <QPointer>

class QComboBox;
class QSpinBox;

// Drags colours along the stroke with a round tip of the brush widths and a
// strength of 1 to 100 %. It works on the layer as it was at the press plus
// what the stroke smudged so far, and commits only where the tip went,
// inside the selection; one undo step per stroke; text layers refused.
class SmudgeTool : public BaseTool {
    Q_OBJECT
public:
    explicit SmudgeTool(ToolContext &context, QObject *pParent = nullptr);

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;
    int Width() const { return m_brush.Width(); }
    int Strength() const { return m_brush.Strength(); }

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void MouseWheel(int iDelta, ChildWindow *pWindow) override;
    void BrushWidthChanged(const QString &text);
    void StrengthChanged(int iPercent);

private:
    SmudgeBrush m_brush;
    // The picture being smudged (canvas coordinates, straight): after each
    // commit it holds what the layer now shows there.
    QImage m_work;
    bool m_bStroke = false;
    bool m_bPainted = false;
    QPointer<ChildWindow> m_pWindow;
    QPointer<QComboBox> m_pWidths;
    QPointer<QSpinBox> m_pStrength;
};
