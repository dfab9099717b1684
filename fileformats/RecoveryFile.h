#pragma once
#include "DocumentData.h"
#include "RecoveryHistory.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

// What a recovery copy says about its document, readable without the
// document itself (for the list shown at start).
struct RecoveryInfo {
    QString title;      // as the window showed it: a file name or "Untitled N"
    QString fileName;   // the document's own file; empty when never saved
    QDateTime written;
    QImage thumbnail;   // at most kThumbnailSide a side
    int historySteps = 0;   // undo steps that come back with the document
    QString historyNote;    // why steps of the history were lost, if they were
};

// A recovery copy: a private, versioned wrapper around a native document.
// Little-endian: the magic "CQRCVRY\n", a version, the title, the file name
// and the time, a PNG thumbnail, the native document's bytes, and a CRC-32
// of all that came before. Since version 2 the document is followed by its
// undo history (RecoveryHistory), whose snapshots lie in the folder beside
// the copy (RecoveryFolder::UndoFolder). A history that does not add up is left out, and
// the document comes back without it. Read like any file: every length is checked
// against what remains and against the shared limits before anything is
// allocated, and a copy that does not add up is reported as damaged.
namespace RecoveryFile {

constexpr char kMagic[8] = {'C', 'Q', 'R', 'C', 'V', 'R', 'Y', '\n'};
constexpr quint32 kVersion = 2;
constexpr int kThumbnailSide = 128;
constexpr quint32 kMaxText = 4096;          // bytes of a title or a file name
constexpr quint32 kMaxThumbnail = 1 << 20;  // bytes of the thumbnail PNG
constexpr quint64 kMaxHistory = 1 << 28;    // bytes of the history section
constexpr qint64 kMaxCopySize = (qint64(2) << 30) + 2 * kMaxText + kMaxThumbnail + kMaxHistory + 64;

// Whether the bytes begin like a recovery copy (any version).
bool IsRecovery(const QByteArray &head);

// The whole copy; `data` must hold its raster layers' pixels (images, PNGs
// or both). Empty, with the reason, when a layer could not be encoded.
QByteArray Encode(const RecoveryInfo &info, DocumentData &data, QString *pError,
                  const RecoveryHistory::History *pHistory = nullptr);
// A small picture of the document: its visible raster layers composed at
// thumbnail scale (text is left out).
QImage Thumbnail(const DocumentData &data);

// The header only, after checking the whole file's length and checksum:
// enough to list a copy, and to say that it is damaged.
bool Check(const QString &path, RecoveryInfo *pInfo, QString *pError);
// The whole copy, document decoded.
// The whole copy, document decoded; the history as far as it adds up
// (files not looked at), and in pInfo what was lost of it.
bool Parse(const QByteArray &bytes, RecoveryInfo *pInfo, DocumentData *pData, QString *pError,
           RecoveryHistory::History *pHistory = nullptr);
// The same from a file: the history is cut where its snapshots are missing.
bool Read(const QString &path, RecoveryInfo *pInfo, DocumentData *pData, QString *pError,
          RecoveryHistory::History *pHistory = nullptr);

} // namespace RecoveryFile
