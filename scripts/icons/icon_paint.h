// Shared pieces of the icon generator: the output and Silk folders, the
// palette, and the small painting helpers every icon uses.
#pragma once

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cstdio>

inline QString g_out;
inline QString g_silk;

inline const QColor kGreenLight(0xc4, 0xe8, 0xbc);
inline const QColor kGreenMid(0x7c, 0xc2, 0x70);
inline const QColor kGreenDark(0x3a, 0x8a, 0x32);
inline const QColor kBlueLight(0xc9, 0xdc, 0xf7);
inline const QColor kBlueMid(0x6f, 0x9b, 0xe0);
inline const QColor kBlueDark(0x2f, 0x5c, 0xa8);
inline const QColor kSkinLight(0xfd, 0xe8, 0xd0);
inline const QColor kSkinMid(0xf0, 0xbc, 0x8c);
inline const QColor kSkinDark(0xa8, 0x68, 0x3a);

inline QImage blank(int size = 16)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

inline void save(const QImage &img, const char *name)
{
    const QString path = g_out + "/" + name + ".png";
    if (!img.convertToFormat(QImage::Format_ARGB32).save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

inline QImage silk(const char *name)
{
    QImage img(g_silk + "/" + name + ".png");
    if (img.isNull())
        std::fprintf(stderr, "missing silk base %s\n", name);
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

inline QLinearGradient vgrad(qreal y0, qreal y1, QColor a, QColor b)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

inline QLinearGradient hgrad(qreal x0, qreal x1, QColor a, QColor b)
{
    QLinearGradient g(x0, 0, x1, 0);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

// A blank antialiased 16x16 canvas that saves itself under a name.
struct Canvas
{
    QImage img = blank();
    QPainter p{&img};

    Canvas() { p.setRenderHint(QPainter::Antialiasing); }
    void save(const char *name)
    {
        p.end();
        ::save(img, name);
    }
};

// Fills a shape and draws its one-pixel outline, the look of every Silk body.
inline void fillOutlined(QPainter &p, const QPainterPath &shape, const QBrush &fill,
                         const QColor &outline)
{
    p.setBrush(fill);
    p.setPen(QPen(outline, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
}

// Strokes a path as a tube: a dark rim with a lighter core along its middle.
inline void tube(QPainter &p, const QPainterPath &path, qreal width, const QBrush &core,
                 const QColor &rim)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rim, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(core, width - 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void drawToolIcons();
void drawFilterIcons();
