#pragma once
#include <QImage>
#include <QString>

// Reads a flat image file (any format the toolkit knows, decided from the
// contents), refusing sizes the editor cannot hold before allocating them.
namespace ImageFile {

constexpr int kMaxSide = 32768;
constexpr qint64 kMaxPixels = qint64(1) << 28;

// Whether an image of that size may be allocated at all.
constexpr bool Fits(qint64 width, qint64 height)
{
    return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// Null image on failure, with the reason in *pError.
QImage Read(const QString &path, QString *pError = nullptr);

} // namespace ImageFile
