#pragma once
// Square integer masks over straight ARGB32 pixels with the `convolve`
// kernel of convolutionFilters.cl: red, green and blue summed with the
// weights, divided by the factor (truncating toward zero; 0 counts as 1),
// plus the offset, clamped; alpha stays. Samples past the edges mirror as
// PixelMath::MirrorIndex says. The smooth and sharpen tools run it once per
// stroke over the whole layer.
#include "FilterBuffers.h"
#include "QCLKernel.h"

#include <QImage>
#include <QList>
#include <QString>

class ProgramCache;
class QCLContext;

struct ConvolutionMask
{
    QList<int> weights; // stride x stride, row by row
    int stride = 3;
    int factor = 1;
    int offset = 0;

    bool isValid() const { return stride > 0 && weights.size() == stride * stride; }
};

class Convolver
{
public:
    explicit Convolver(ProgramCache &cache);

    bool isValid() const { return m_error.isEmpty(); }
    // Empty when ready, else "convolve() kernel not found" or why the
    // program did not build.
    QString errorText() const { return m_error; }

    // The image (converted to ARGB32 when it is not) under the mask; null
    // on a device failure or an invalid mask.
    QImage Run(const QImage &image, const ConvolutionMask &mask);

    // The same integer arithmetic on the host.
    static QImage Reference(const QImage &image, const ConvolutionMask &mask);

private:
    QCLContext *m_pContext = nullptr;
    QCLKernel m_kernel;
    FilterBuffers::Output m_output; // kept for the next run
    QString m_error;
};
