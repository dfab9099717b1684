#include "InvertColorFilter.h"
#include "PixelMath.h"

InvertColorFilter::InvertColorFilter(QObject *pParent)
    : KernelFilter(QStringLiteral("Invert Colors"), QString(), QStringLiteral("brightnessContrast.cl"),
                   {QStringLiteral("invert")}, pParent)
{
}

bool InvertColorFilter::Enqueue(FilterBuffers &buffers, const FilterValues &, QCLBuffer &output)
{
    return RunPerPixel(Kernel(0), buffers, output);
}

QImage invertReference(const QImage &image)
{
    return PixelMath::MapPixels(image, [](quint32 p) { return p ^ 0x00ffffffu; });
}

QImage InvertColorFilter::Reference(const QImage &image, const FilterValues &) const
{
    return invertReference(image);
}
