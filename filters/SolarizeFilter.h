#pragma once
// "Solarize": a colour channel above its threshold becomes 255 - channel.
#include "DialogFilter.h"

class SolarizeFilter : public DialogFilter
{
    Q_OBJECT
public:
    explicit SolarizeFilter(QObject *pParent = nullptr);

    FilterParams Params() const override;
    QImage Reference(const QImage &image, const FilterValues &values) const override;

protected:
    FilterDialog *CreateDialog(QWidget *pParent) override;
    bool Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output) override;
};

QImage solarizeReference(const QImage &image, int iRed, int iGreen, int iBlue);
