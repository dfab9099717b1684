#pragma once
// Base of the filters that take one value per colour channel ("red",
// "green", "blue") from the thresholds dialog and apply the same per-channel
// rule to each: posterize and solarize.
#include "DialogFilter.h"

#include <QSize>

class ThresholdFilter : public DialogFilter
{
    Q_OBJECT
public:
    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

    // A copy of `image` with `rule(channel, value)` applied to red, green and
    // blue, each with its own value; alpha stays.
    static QImage MapChannels(const QImage &image, int iRed, int iGreen, int iBlue, int (*rule)(int, int));

protected:
    struct Range {
        int minimum, maximum, initial;
    };
    ThresholdFilter(const QString &name, const QString &kernelName, const QSize &dialogSize, const Range &range,
                    int (*rule)(int, int), QObject *pParent);

    FilterDialog *CreateDialog(QWidget *pParent) override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;

private:
    QSize m_dialogSize;
    Range m_range;
    int (*m_rule)(int, int);
};
