#include "GrayscaleFilter.h"
#include "PixelMath.h"

GrayscaleFilter::GrayscaleFilter(QObject *pParent)
    : KernelFilter(QStringLiteral("Image Adjust/Grayscale"), QStringLiteral(":/icons/color_to_gray.png"),
                   QStringLiteral("brightnessContrast.cl"), {QStringLiteral("grayscale")}, pParent)
{
}

bool GrayscaleFilter::Enqueue(FilterBuffers &buffers, const FilterValues &, QCLBuffer &output)
{
    return RunPerPixel(Kernel(0), buffers, output);
}

QImage grayscaleReference(const QImage &image)
{
    return PixelMath::MapPixels(image, [](quint32 p) {
        const int g = int(0.299f * float(qRed(p)) + 0.587f * float(qGreen(p)) + 0.114f * float(qBlue(p)));
        return PixelMath::WithRgb(p, g, g, g);
    });
}

QImage GrayscaleFilter::Reference(const QImage &image, const FilterValues &) const
{
    return grayscaleReference(image);
}
