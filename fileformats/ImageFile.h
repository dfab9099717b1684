#pragma once
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

// Flat image files: reading any format the editor knows (decided from the
// contents) and encoding for export. Sizes the editor cannot hold are refused
// before anything is allocated, and a damaged or truncated file is refused
// with a reason rather than shown half-decoded.
namespace ImageFile {

constexpr int kMaxSide = 32768;
constexpr qint64 kMaxPixels = qint64(1) << 28;
constexpr qint64 kMaxFileSize = qint64(2) << 30;

// Whether an image of that size may be allocated (and saved) at all.
constexpr bool Fits(qint64 width, qint64 height)
{
    return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// Straight ARGB32; a null image on failure, with the reason in *pError.
QImage Read(const QString &path, QString *pError = nullptr);
QImage Decode(const QByteArray &bytes, QString *pError = nullptr);

// Whether files of that format keep transparency.
bool KeepsAlpha(const QByteArray &format);

// The bytes an export writes: PNG through the project's encoder (quality
// picks the compression effort), other formats through the toolkit's
// writers; a format without alpha gets the picture laid on `background`.
// Empty on failure, with the reason in *pError.
QByteArray Encode(const QImage &image, const QByteArray &format, int iQuality, QString *pError = nullptr,
                  const QColor &background = Qt::white);

// The text for a failed allocation of that many pixels.
QString NoMemoryText(qint64 width, qint64 height);

} // namespace ImageFile
