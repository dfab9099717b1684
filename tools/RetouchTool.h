#pragma once
#include "RoundTipTool.h"
#include "Convolver.h"

#include <QImage>

#include <memory>

class Document;

// What the smooth and sharpen tools share; they differ only in their mask.
// A press filters the whole layer once with the mask into a filtered copy;
// then a round tip of the tool's width lays the filtered pixels into the
// layer wherever it passes (the press point included), inside the
// selection. Repeated passes during one stroke do not add up; the next
// stroke filters the changed layer again. One undo step per stroke; text
// layers are refused.
class RetouchTool : public RoundTipTool {
    Q_OBJECT
public:
    ~RetouchTool() override;

    const ConvolutionMask &Mask() const { return m_mask; }
    // The pixels a tip of width `iWidth` covers when it moves from `from`
    // to `to`, as rectangles of whole rows: the pixels whose centres lie
    // within iWidth / 2 of the path of the tip's centre. A width-w tip at p
    // is centred in the square of side w whose top-left is p - (w/2, w/2)
    // (w/2 in whole pixels), so odd widths centre on p's pixel.
    static QList<QRect> TipPath(QPoint from, QPoint to, int iWidth, const QRect &bounds);

protected:
    RetouchTool(ToolContext &context, const ConvolutionMask &mask, const QString &operation, QObject *pParent);
    void AddOptions() override;
    bool StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers keys) override;
    void StrokeTo(QPoint point) override;
    void EndStroke() override { m_filtered = QImage(); }

private:
    QImage Filtered(const QImage &image);

    ConvolutionMask m_mask;
    std::unique_ptr<Convolver> m_pConvolver;
    QImage m_filtered; // the layer at the press under the mask, canvas coordinates
};
