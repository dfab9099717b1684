#pragma once
#include "RoundTipTool.h"
#include "SmudgeBrush.h"

#include <QImage>
#include <QPointer>

class QSpinBox;

// Drags colours along the stroke with a round tip of the brush widths and a
// strength of 1 to 100 %. It works on the layer as it was at the press plus
// what the stroke smudged so far, and commits only where the tip went,
// inside the selection; text layers refused.
class SmudgeTool : public RoundTipTool {
    Q_OBJECT
public:
    explicit SmudgeTool(ToolContext &context, QObject *pParent = nullptr);

    int Strength() const { return m_brush.Strength(); }

public Q_SLOTS:
    void StrengthChanged(int iPercent);

protected:
    void AddOptions() override;
    bool StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers keys) override;
    void StrokeTo(QPoint point) override;
    void EndStroke() override { m_work = QImage(); }

private:
    SmudgeBrush m_brush;
    // The picture being smudged (canvas coordinates, straight): after each
    // commit it holds what the layer now shows there.
    QImage m_work;
    QPointer<QSpinBox> m_pStrength;
};
