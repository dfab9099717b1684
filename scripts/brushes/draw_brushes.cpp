// Draws the default brush set: round hard and soft tips in several sizes
// and a few textured tips, each black with its shape in alpha (the darker
// and more opaque a tip pixel, the more paint it lays down).
//
// Build and run from the repository root (the target is not built by default):
//   cmake --build build --target draw_brushes
//   QT_QPA_PLATFORM=offscreen build/draw_brushes Brushes/CQ_default.cqb
#include "BrushSetFile.h"
#include "CQBrush.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <cmath>
#include <cstdio>

namespace {

QImage blank(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Alpha as a function of the distance from the centre, 0 at the centre and
// 1 at the rim.
template <typename Falloff>
QImage radial(int size, Falloff falloff)
{
    QImage image(size, size, QImage::Format_ARGB32);
    const double r = size / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x + 0.5 - r, y + 0.5 - r) / r;
            image.setPixel(x, y, qRgba(0, 0, 0, d >= 1 ? 0 : std::clamp(int(std::lround(255 * falloff(d))), 0, 255)));
        }
    return image;
}

QImage hardRound(int size)
{
    QImage image = blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
    return image;
}

QImage softRound(int size)
{
    return radial(size, [](double d) { return std::pow(1 - d * d, 2); });
}

// A disc whose pixels are kept or dropped at random, in varied strength.
QImage chalk(int size, quint32 seed)
{
    QRandomGenerator rng(seed);
    return radial(size, [&rng](double d) {
        const double edge = d > 0.8 ? (1 - d) / 0.2 : 1.0;
        return rng.generateDouble() < 0.55 ? edge * (0.55 + 0.45 * rng.generateDouble()) : 0.0;
    });
}

QImage sponge(int size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QImage image = blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double r = size / 2.0;
    for (int i = 0; i < 70; ++i) {
        const double angle = rng.generateDouble() * 2 * M_PI;
        const double dist = std::sqrt(rng.generateDouble()) * (r - 6);
        const double blob = 2 + rng.generateDouble() * 4;
        painter.setBrush(QColor(0, 0, 0, 90 + rng.bounded(120)));
        painter.drawEllipse(QPointF(r + dist * std::cos(angle), r + dist * std::sin(angle)), blob, blob);
    }
    return image;
}

QImage spatter(int size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QImage image = blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const double r = size / 2.0;
    for (int i = 0; i < 28; ++i) {
        // Bigger drops near the middle, fine mist further out.
        const double dist = std::pow(rng.generateDouble(), 1.5) * (r - 5);
        const double angle = rng.generateDouble() * 2 * M_PI;
        const double drop = std::max(0.8, 5.0 * (1 - dist / r) * rng.generateDouble());
        painter.drawEllipse(QPointF(r + dist * std::cos(angle), r + dist * std::sin(angle)), drop, drop);
    }
    return image;
}

// A flat brush's mark: vertical streaks of varied strength and length.
QImage bristles(int size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QImage image = blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 34; ++i) {
        const double x = 4 + rng.generateDouble() * (size - 8);
        const double top = 4 + rng.generateDouble() * size * 0.2;
        const double bottom = size - 4 - rng.generateDouble() * size * 0.2;
        painter.setPen(QPen(QColor(0, 0, 0, 80 + rng.bounded(150)), 1 + rng.generateDouble() * 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(x, top), QPointF(x + rng.generateDouble() * 2 - 1, bottom));
    }
    return image;
}

QImage leaf(int size)
{
    QImage image = blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    QPainterPath path(QPointF(s * 0.5, s * 0.04));
    path.cubicTo(QPointF(s * 0.95, s * 0.3), QPointF(s * 0.8, s * 0.75), QPointF(s * 0.5, s * 0.96));
    path.cubicTo(QPointF(s * 0.2, s * 0.75), QPointF(s * 0.05, s * 0.3), QPointF(s * 0.5, s * 0.04));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPath(path);
    // The vein stays lighter, so it takes less paint.
    painter.setPen(QPen(QColor(0, 0, 0, 110), s / 40.0));
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawLine(QPointF(s * 0.5, s * 0.12), QPointF(s * 0.5, s * 0.9));
    return image;
}

// Charcoal: a rough square patch, denser towards the middle.
QImage charcoal(int size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = std::abs(x + 0.5 - size / 2.0) / (size / 2.0);
            const double dy = std::abs(y + 0.5 - size / 2.0) / (size / 2.0);
            const double d = std::max(dx, dy);
            const double keep = d > 0.95 ? 0 : 0.75 - 0.5 * d;
            image.setPixel(x, y, qRgba(0, 0, 0, rng.generateDouble() < keep ? 120 + rng.bounded(135) : 0));
        }
    return image;
}

CQBrush *brush(QList<CQBrush *> &set, const QString &name, const QImage &tip, double spacing)
{
    auto *pBrush = new CQBrush;
    pBrush->SetName(name);
    pBrush->SetImage(tip.convertToFormat(QImage::Format_ARGB32));
    pBrush->SetValue(CQBrush::Spacing, spacing);
    set.append(pBrush);
    return pBrush;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.cqb\n", argv[0]);
        return 2;
    }
    QList<CQBrush *> set;
    for (int size : {5, 9, 19, 35, 65, 100})
        brush(set, QStringLiteral("Hard Round %1").arg(size), hardRound(size), 0.15);
    for (int size : {9, 19, 35, 65, 100})
        brush(set, QStringLiteral("Soft Round %1").arg(size), softRound(size), 0.1);
    brush(set, QStringLiteral("Chalk"), chalk(64, 11), 0.25)->SetValue(CQBrush::AngleJitter, 180);
    CQBrush *pSponge = brush(set, QStringLiteral("Sponge"), sponge(64, 12), 0.3);
    pSponge->SetValue(CQBrush::AngleJitter, 360);
    pSponge->SetValue(CQBrush::LightnessJitter, 12);
    CQBrush *pSpatter = brush(set, QStringLiteral("Spatter"), spatter(80, 13), 0.6);
    pSpatter->SetValue(CQBrush::ScatterX, 20);
    pSpatter->SetValue(CQBrush::ScatterY, 20);
    pSpatter->SetValue(CQBrush::AngleJitter, 360);
    pSpatter->SetValue(CQBrush::SizeJitter, 0.3);
    brush(set, QStringLiteral("Bristles"), bristles(64, 14), 0.08)->SetValue(CQBrush::AngleJitter, 6);
    CQBrush *pLeaf = brush(set, QStringLiteral("Leaves"), leaf(64), 1.2);
    pLeaf->SetValue(CQBrush::ScatterX, 25);
    pLeaf->SetValue(CQBrush::ScatterY, 25);
    pLeaf->SetValue(CQBrush::AngleJitter, 360);
    pLeaf->SetValue(CQBrush::SizeJitter, 0.4);
    pLeaf->SetValue(CQBrush::HueJitter, 25);
    pLeaf->SetValue(CQBrush::LightnessJitter, 30);
    brush(set, QStringLiteral("Charcoal"), charcoal(48, 15), 0.2)->SetValue(CQBrush::AngleJitter, 90);
    for (CQBrush *pBrush : set)
        pBrush->MakeDefault();

    QString error;
    const bool bOk = BrushSetFile::Write(QString::fromLocal8Bit(argv[1]), set, &error);
    qDeleteAll(set);
    if (!bOk) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], qPrintable(error));
        return 1;
    }
    return 0;
}
