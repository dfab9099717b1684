#include "SepiaFilter.h"
#include "PixelMath.h"

SepiaFilter::SepiaFilter(QObject *pParent)
    : KernelFilter(QStringLiteral("Image Adjust/Sepia"), QStringLiteral(":/icons/photograph.png"),
                   QStringLiteral("brightnessContrast.cl"), {QStringLiteral("sepia")}, pParent)
{
}

bool SepiaFilter::Enqueue(FilterBuffers &buffers, const FilterValues &, QCLBuffer &output)
{
    return RunPerPixel(Kernel(0), buffers, output);
}

QImage sepiaReference(const QImage &image)
{
    using PixelMath::Clamp255;
    return PixelMath::MapPixels(image, [](quint32 p) {
        int r = qRed(p), g = qGreen(p), b = qBlue(p);
        r = Clamp255(int(0.393f * float(r) + 0.769f * float(g) + 0.189f * float(b)));
        g = Clamp255(int(0.349f * float(r) + 0.686f * float(g) + 0.168f * float(b)));
        b = Clamp255(int(0.272f * float(r) + 0.534f * float(g) + 0.131f * float(b)));
        return PixelMath::WithRgb(p, r, g, b);
    });
}

QImage SepiaFilter::Reference(const QImage &image, const FilterValues &) const
{
    return sepiaReference(image);
}
