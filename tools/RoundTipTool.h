#pragma once
#include "BaseTool.h"

#include <QPointer>

class PixmapLayer;
class QComboBox;

// The tools that work a stroke with a round tip of a chosen width (brush,
// eraser, clone stamp, smudge, smooth and sharpen): the width combo on the
// option bar, the wheel stepping through its widths, the tip's outline as
// the cursor, and the stroke itself: a left press on a raster layer starts
// it, the moves in that window continue it, the release records it as one
// undo step "<operation> - <layer name>", and a switch of tools ends it.
class RoundTipTool : public BaseTool {
    Q_OBJECT
public:
    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;
    int Width() const { return m_iWidth; }

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void MouseWheel(int iDelta, ChildWindow *pWindow) override;
    void BrushWidthChanged(const QString &text);

protected:
    RoundTipTool(ToolContext &context, const QString &widthLabel, const QString &operation, int iWidth,
                 QObject *pParent);

    // Puts the label and the width combo on the option bar.
    void AddWidthOptions();
    // The tool's options after the width.
    virtual void AddOptions() {}
    virtual void WidthChanged() { RefreshCursor(); }
    // The press on the layer of m_pWindow's document; false when no stroke
    // begins. A tool that paints here sets m_bPainted.
    virtual bool StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers keys) = 0;
    // From m_last to the point; a tool that paints sets m_bPainted.
    virtual void StrokeTo(QPoint point) = 0;
    // Before the stroke is recorded: let go of what it held.
    virtual void EndStroke() {}

    int m_iWidth;
    bool m_bStroke = false;
    bool m_bPainted = false; // a stroke that painted nothing records nothing
    QPoint m_last;           // where the stroke got to
    QPointer<ChildWindow> m_pWindow;

private:
    QString m_widthLabel;
    QString m_operation;
    QPointer<QComboBox> m_pWidths;
};
