#pragma once
#include <QByteArray>
#include <QSize>
#include <QString>

// The marker structure of a JPEG file, walked before a decoder sees it: every
// segment must lie inside the file, a frame header must give the size, and
// the entropy-coded data must run to an end-of-image marker. A decoder given
// a truncated file would otherwise invent the missing part of the picture.
namespace JpegStructure {

bool IsJpeg(const QByteArray &bytes);

// The frame size, or false with the reason.
bool Check(const QByteArray &bytes, QSize *pSize, QString *pReason);

} // namespace JpegStructure
