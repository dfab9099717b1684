#pragma once
#include "BaseTool.h"

#include <QPointer>

class QComboBox;

// A tool that works with a round tip of a chosen width (the eraser, smooth
// and sharpen): the width combo on the option bar, the wheel stepping
// through its widths, and the tip's outline as the cursor.
class RoundTipTool : public BaseTool {
    Q_OBJECT
public:
    using BaseTool::BaseTool;

    QCursor GetCursor() const override;
    int Width() const { return m_iWidth; }

public Q_SLOTS:
    void MouseWheel(int iDelta, ChildWindow *pWindow) override;
    void BrushWidthChanged(const QString &text);

protected:
    // Puts the label and the width combo on the option bar.
    void AddWidthOptions(const QString &label);

    int m_iWidth = 10;

private:
    QPointer<QComboBox> m_pWidths;
};
