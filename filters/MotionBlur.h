#pragma once
// "Blurs/Motion Blur": each pixel averages itself and the pixels along a
// line of the given length and angle (all four channels).
#include "DialogFilter.h"

#include <QList>
#include <QPoint>

class MotionBlur : public DialogFilter
{
    Q_OBJECT
public:
    explicit MotionBlur(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    // The line's points from (0, 0) to its end, both included (Bresenham).
    // Angle 0 points straight down; angles turn clockwise on screen.
    static QList<QPoint> Offsets(int iAngle, int iDistance);

    bool ComputesParts() const override { return true; }
    int SamplesPerPixel(const FilterValues &values) const override;

protected:
    FilterForm Form() const override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
    bool EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                     const QRect &area) override;
};

// Host reference: the pixel itself plus every offset inside the image.
QImage motionBlurReference(const QImage &image, const QList<QPoint> &offsets);
