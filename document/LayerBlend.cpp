#include "LayerBlend.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

inline int Div255(int x)
{
    return (x + (x >> 8) + 0x80) >> 8;
}

inline uint32_t Premultiply(uint32_t x)
{
    const uint32_t a = x >> 24;
    uint32_t t = (x & 0xff00ff) * a;
    t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint32_t g = ((x >> 8) & 0xff) * a;
    g = (g + ((g >> 8) & 0xff) + 0x80) & 0xff00;
    return (a << 24) | t | g;
}

inline uint32_t ByteMul(uint32_t x, uint32_t a)
{
    uint32_t t = (x & 0xff00ff) * a;
    t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return x | t;
}

// x * a + y * b, per channel, a + b = 255.
inline uint32_t Interpolate255(uint32_t x, uint32_t a, uint32_t y, uint32_t b)
{
    uint32_t t = (x & 0xff00ff) * a + (y & 0xff00ff) * b;
    t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a + ((y >> 8) & 0xff00ff) * b;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return x | t;
}

// The modes' formulas on premultiplied channels: d and s are the
// destination's and source's channel, da and sa their alphas.
struct Multiply {
    static int Channel(int d, int s, int da, int sa) { return Div255(s * d + s * (255 - da) + d * (255 - sa)); }
};
struct Screen {
    static int Channel(int d, int s, int, int) { return 255 - Div255((255 - s) * (255 - d)); }
};
struct Overlay {
    static int Channel(int d, int s, int da, int sa)
    {
        const int rest = s * (255 - da) + d * (255 - sa);
        return Div255(2 * d < da ? 2 * s * d + rest : sa * da - 2 * (da - d) * (sa - s) + rest);
    }
};
struct HardLight {
    static int Channel(int d, int s, int da, int sa)
    {
        const int rest = s * (255 - da) + d * (255 - sa);
        return Div255(2 * s < sa ? 2 * s * d + rest : sa * da - 2 * (da - d) * (sa - s) + rest);
    }
};
struct Darken {
    static int Channel(int d, int s, int da, int sa)
    {
        return Div255(std::min(s * da, d * sa) + s * (255 - da) + d * (255 - sa));
    }
};
struct Lighten {
    static int Channel(int d, int s, int da, int sa)
    {
        return Div255(std::max(s * da, d * sa) + s * (255 - da) + d * (255 - sa));
    }
};
struct ColorDodge {
    static int Channel(int d, int s, int da, int sa)
    {
        const int rest = s * (255 - da) + d * (255 - sa);
        if (s * da + d * sa > sa * da)
            return Div255(sa * da + rest);
        if (s == sa || sa == 0)
            return Div255(rest);
        return Div255(255 * d * sa / (255 - 255 * s / sa) + rest);
    }
};
struct ColorBurn {
    static int Channel(int d, int s, int da, int sa)
    {
        const int rest = s * (255 - da) + d * (255 - sa);
        if (s * da + d * sa < sa * da)
            return Div255(rest);
        if (s == 0)
            return Div255(d * sa + rest);
        return Div255(sa * (s * da + d * sa - sa * da) / s + rest);
    }
};
struct Difference {
    static int Channel(int d, int s, int da, int sa) { return s + d - Div255(2 * std::min(s * da, d * sa)); }
};
struct Exclusion {
    static int Channel(int d, int s, int, int) { return s + d - ((s * d) >> 7); }
};

// A separable mode: the formula on each colour channel, the union of the
// alphas, and the constant alpha mixing the result with what was there.
template <class Mode>
struct Separable {
    static inline __attribute__((always_inline)) void Run(uint32_t *__restrict pDest,
                                                           const uint32_t *__restrict pSource, int n, int iConstAlpha)
    {
        for (int i = 0; i < n; ++i) {
            const uint32_t s = Premultiply(pSource[i]);
            const uint32_t d = pDest[i];
            const int sa = int(s >> 24), da = int(d >> 24);
            const uint32_t a = uint32_t(255 - Div255((255 - sa) * (255 - da)));
            const uint32_t r = uint32_t(Mode::Channel(int((d >> 16) & 255), int((s >> 16) & 255), da, sa));
            const uint32_t g = uint32_t(Mode::Channel(int((d >> 8) & 255), int((s >> 8) & 255), da, sa));
            const uint32_t b = uint32_t(Mode::Channel(int(d & 255), int(s & 255), da, sa));
            const uint32_t out = (a << 24) | (r << 16) | (g << 8) | b;
            pDest[i] = iConstAlpha == 255 ? out
                                          : Interpolate255(out, uint32_t(iConstAlpha), d, uint32_t(255 - iConstAlpha));
        }
    }
};

// Xor takes the constant alpha into the source first.
struct Xor {
    static inline __attribute__((always_inline)) void Run(uint32_t *__restrict pDest,
                                                           const uint32_t *__restrict pSource, int n, int iConstAlpha)
    {
        for (int i = 0; i < n; ++i) {
            uint32_t s = Premultiply(pSource[i]);
            if (iConstAlpha != 255)
                s = ByteMul(s, uint32_t(iConstAlpha));
            const uint32_t d = pDest[i];
            const int sa = int(s >> 24), da = int(d >> 24);
            auto channel = [&](int shift) {
                const int dc = int((d >> shift) & 255), sc = int((s >> shift) & 255);
                return uint32_t(Div255(sc * (255 - da) + dc * (255 - sa))) << shift;
            };
            pDest[i] = channel(24) | channel(16) | channel(8) | channel(0);
        }
    }
};

// Each loop compiled twice on x86: for any processor, and with AVX2 where
// the processor has it (twice the lanes).
#if defined(__x86_64__) || defined(__i386__)
template <class Loop>
__attribute__((target("avx2"))) void RowAvx2(uint32_t *pDest, const uint32_t *pSource, int n, int iConstAlpha)
{
    Loop::Run(pDest, pSource, n, iConstAlpha);
}
#endif

template <class Loop>
void Row(uint32_t *pDest, const uint32_t *pSource, int n, int iConstAlpha)
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool bAvx2 = __builtin_cpu_supports("avx2");
    if (bAvx2) {
        RowAvx2<Loop>(pDest, pSource, n, iConstAlpha);
        return;
    }
#endif
    Loop::Run(pDest, pSource, n, iConstAlpha);
}

using RowFunction = void (*)(uint32_t *, const uint32_t *, int, int);

RowFunction FastLoop(int iMode)
{
    switch (QPainter::CompositionMode(iMode)) {
    case QPainter::CompositionMode_Multiply: return Row<Separable<Multiply>>;
    case QPainter::CompositionMode_Screen: return Row<Separable<Screen>>;
    case QPainter::CompositionMode_Overlay: return Row<Separable<Overlay>>;
    case QPainter::CompositionMode_Darken: return Row<Separable<Darken>>;
    case QPainter::CompositionMode_Lighten: return Row<Separable<Lighten>>;
    case QPainter::CompositionMode_ColorDodge: return Row<Separable<ColorDodge>>;
    case QPainter::CompositionMode_ColorBurn: return Row<Separable<ColorBurn>>;
    case QPainter::CompositionMode_HardLight: return Row<Separable<HardLight>>;
    case QPainter::CompositionMode_Difference: return Row<Separable<Difference>>;
    case QPainter::CompositionMode_Exclusion: return Row<Separable<Exclusion>>;
    case QPainter::CompositionMode_Xor: return Row<Xor>;
    default: return nullptr; // Normal and Plus are fast in the painter already
    }
}

} // namespace

namespace LayerBlend {

int ConstAlpha(qreal dOpacity)
{
    // The painter keeps its opacity in 1/256 steps and scales that to 255.
    return (255 * int(std::clamp(dOpacity, qreal(0), qreal(1)) * 256)) >> 8;
}

bool HasFastLoop(int iMode)
{
    return FastLoop(iMode) != nullptr;
}

void BlendRow(int iMode, quint32 *pDest, const quint32 *pSource, int n, int iConstAlpha)
{
    if (RowFunction row = FastLoop(iMode))
        row(pDest, pSource, n, iConstAlpha);
}

bool Draw(QPainter *pPainter, const QPoint &target, const QImage &pixels, const QRect &source, int iMode,
          qreal dOpacity)
{
    const RowFunction row = FastLoop(iMode);
    QPaintDevice *pDevice = pPainter->device();
    if (!row || pixels.format() != QImage::Format_ARGB32 || !pDevice || pDevice->devType() != QInternal::Image
        || pPainter->hasClipping())
        return false;
    auto *pImage = static_cast<QImage *>(pDevice);
    const QTransform transform = pPainter->deviceTransform();
    if (pImage->format() != QImage::Format_ARGB32_Premultiplied || transform.type() > QTransform::TxTranslate
        || transform.dx() != std::floor(transform.dx()) || transform.dy() != std::floor(transform.dy()))
        return false;
    const QPoint shift(int(transform.dx()), int(transform.dy()));
    // What lands on the picture, in its pixels.
    const QRect from = source.intersected(pixels.rect());
    const QRect to = QRect(target + shift + (from.topLeft() - source.topLeft()), from.size()).intersected(pImage->rect());
    if (to.isEmpty())
        return true;
    const QPoint origin = from.topLeft() + (to.topLeft() - (target + shift + (from.topLeft() - source.topLeft())));
    const int iConstAlpha = ConstAlpha(dOpacity);
    // The painter holds the picture unshared while it paints; writing
    // through its bits must not detach it from the painter.
    uchar *pBits = const_cast<uchar *>(pImage->constBits());
    const qsizetype stride = pImage->bytesPerLine();
    for (int y = 0; y < to.height(); ++y) {
        auto *pDest = reinterpret_cast<uint32_t *>(pBits + (to.top() + y) * stride) + to.left();
        auto *pSource = reinterpret_cast<const uint32_t *>(pixels.constScanLine(origin.y() + y)) + origin.x();
        row(pDest, pSource, to.width(), iConstAlpha);
    }
    return true;
}

} // namespace LayerBlend
