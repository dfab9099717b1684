#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

class CQBrush;

// Brush-set files (.cqb): a big-endian header (magic 0x1337D00D, version
// 1000), then at stream version 12 the brush count and one record per brush
// (see CQBrush::Write). The reader refuses anything else with a reason and
// never trusts a count, length or size it has not checked against the bytes
// that remain and against its limits.
namespace BrushSetFile {

constexpr qint32 kMagic = 0x1337D00D;
constexpr qint32 kVersion = 1000;
constexpr int kMaxBrushes = 4096;
constexpr int kMaxSettings = 1024;
constexpr int kMaxNameBytes = 2048;
// All tips of a set together, in pixels.
constexpr qint64 kMaxSetPixels = qint64(1) << 26;

// Fills *pBrushes with new parentless brushes (owned by the caller) only
// when the whole buffer is a valid set; otherwise leaves it alone and puts
// the reason in *pError.
bool Parse(const QByteArray &bytes, QList<CQBrush *> *pBrushes, QString *pError);
// Empty when a tip cannot be encoded.
QByteArray Serialize(const QList<CQBrush *> &brushes);

// The file forms. Writing replaces the file atomically and creates its
// folder; the reasons name no file (the caller does).
bool Read(const QString &path, QList<CQBrush *> *pBrushes, QString *pError);
bool Write(const QString &path, const QList<CQBrush *> &brushes, QString *pError);

} // namespace BrushSetFile
