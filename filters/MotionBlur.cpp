#include "MotionBlur.h"
#include "QCLContext.h"

#include <QLineF>
#include <cmath>
#include <cstdlib>

namespace {
enum Scratch { kOffsets };
const QString kAngle = QStringLiteral("angle");
const QString kDistance = QStringLiteral("distance");
} // namespace

MotionBlur::MotionBlur(QObject *pParent)
    : DialogFilter(QStringLiteral("Blurs/Motion Blur"), QStringLiteral(":/icons/lightbulb.png"),
                   QStringLiteral("imageBlend.cl"), {QStringLiteral("blurOffsets")}, pParent)
{
}

FilterParams MotionBlur::Params() const
{
    return {{kAngle, 0, 359, {0}, QStringLiteral("Angle"), FilterParam::Dial},
            FilterParam{kDistance, 0, 99, {0}, QStringLiteral("Distance")}.reaching(1)};
}

FilterForm MotionBlur::Form() const
{
    return {QStringLiteral("Motion Blur"), QStringLiteral("MotionBlurDlg"), QSize(306, 296)};
}

QList<QPoint> MotionBlur::Offsets(int iAngle, int iDistance)
{
    QLineF line(0, 0, iDistance, 0);
    line.setAngle(iAngle < 180 ? -90 - iAngle : 270 - iAngle);
    const int x2 = int(line.x2()), y2 = int(line.y2());
    const int dx = std::abs(x2), dy = std::abs(y2);
    const int sx = 0 < x2 ? 1 : -1, sy = 0 < y2 ? 1 : -1;
    int err = dx - dy, x = 0, y = 0;
    QList<QPoint> points;
    for (;;) {
        points.append(QPoint(x, y));
        if (x == x2 && y == y2)
            break;
        const int e = 2 * err;
        if (e > -dy) {
            err -= dy;
            x += sx;
        }
        if (e < dx) {
            err += dx;
            y += sy;
        }
    }
    return points;
}

int MotionBlur::SamplesPerPixel(const FilterValues &values) const
{
    return values.value(kDistance) + 1;
}

bool MotionBlur::Enqueue(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output)
{
    return EnqueuePart(buffers, values, output, QRect(0, 0, buffers.width(), buffers.height()));
}

bool MotionBlur::EnqueuePart(FilterBuffers &buffers, const FilterValues &values, QCLBuffer &output,
                             const QRect &area)
{
    const QList<QPoint> offsets = Offsets(values.value(kAngle), values.value(kDistance));
    QList<int> pairs;
    for (const QPoint &p : offsets)
        pairs << p.x() << p.y();
    const size_t bytes = size_t(pairs.size()) * sizeof(int);
    QCLBuffer offsetBuffer = buffers.scratch(kOffsets, bytes);
    if (offsetBuffer.isNull() || !offsetBuffer.write(pairs.constData(), bytes))
        return false;
    QCLKernel &kernel = Kernel(0);
    CoverBlocks(kernel, area, QSize(buffers.width(), buffers.height()));
    return !kernel(offsetBuffer, buffers.inputBuffer(), output, int(offsets.size()), buffers.width(), buffers.height(),
                   area.bottom() + 1)
                .isNull();
}

QImage motionBlurReference(const QImage &image, const QList<QPoint> &offsets)
{
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    const int width = in.width(), height = in.height();
    QImage out(in.size(), QImage::Format_ARGB32);
    auto pixel = [&in](int x, int y) { return reinterpret_cast<const quint32 *>(in.constScanLine(y))[x]; };
    for (int y = 0; y < height; ++y) {
        auto *dst = reinterpret_cast<quint32 *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const quint32 own = pixel(x, y);
            int a = qAlpha(own), r = qRed(own), g = qGreen(own), b = qBlue(own), count = 1;
            for (const QPoint &o : offsets) {
                const int sx = x + o.x(), sy = y + o.y();
                if (sx < 0 || sy < 0 || sx >= width || sy >= height)
                    continue;
                const quint32 p = pixel(sx, sy);
                a += qAlpha(p);
                r += qRed(p);
                g += qGreen(p);
                b += qBlue(p);
                ++count;
            }
            dst[x] = qRgba(r / count, g / count, b / count, a / count);
        }
    }
    return out;
}

QImage MotionBlur::Reference(const QImage &image, const FilterValues &values) const
{
    return motionBlurReference(image, Offsets(values.value(kAngle), values.value(kDistance)));
}
