#pragma once
#include <QImage>
#include <QString>

// Reads a flat image file (any format the toolkit knows, decided from the
// contents), refusing sizes the editor cannot hold before allocating them.
namespace ImageFile {

constexpr int kMaxSide = 32768;
constexpr qint64 kMaxPixels = qint64(1) << 28;

// Null image on failure, with the reason in *pError.
QImage Read(const QString &path, QString *pError = nullptr);

} // namespace ImageFile
