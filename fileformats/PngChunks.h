#pragma once
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// The chunk layer of a PNG file, walked before any decoder sees the bytes:
// every chunk must lie inside the file, critical chunks must pass their CRC,
// IHDR must come first and IEND last, and the image size must be one the
// editor can hold. Ancillary chunks other than tRNS are dropped, so a text
// or profile chunk can never make a decoder allocate what it claims.
namespace PngChunks {

inline constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";

struct Header {
    quint32 width = 0;
    quint32 height = 0;
    int depth = 0;
    int colorType = 0;
    int interlace = 0;
};

struct Png {
    Header header;
    QByteArray palette;     // PLTE payload, empty when there is none
    QByteArray transparency; // tRNS payload (CRC checked), empty when none
    // Where the IDAT payloads lie in the bytes that were read.
    QList<QPair<qsizetype, qsizetype>> idat;
    qsizetype idatBytes = 0;
    // The file with only IHDR, PLTE, tRNS, IDAT and IEND (the same bytes
    // when nothing was dropped).
    QByteArray clean;
    // How many bytes the PNG takes, IEND included: a PNG inside a larger
    // file (a brush set) ends there.
    qsizetype end = 0;
    // Chunks appear in the plain order (PLTE, tRNS, one run of IDAT), the
    // palette and transparency lengths are valid, and nothing unknown but
    // critical was met. Anything else is left to the general decoder.
    bool plain = true;
};

enum class Result { Ok, NotPng, Damaged, Truncated, TooLarge };

// Checks and splits a PNG; *pReason says what is wrong when not Ok.
Result Read(const QByteArray &bytes, Png *pPng, QString *pReason);

// The IDAT payloads run together: a view into bytes (which must outlive
// it) when there is one chunk, a copy otherwise.
QByteArray ImageData(const QByteArray &bytes, const Png &png);

// Appends one chunk: length, type, data and CRC.
void Append(QByteArray *pOut, const char *type, const uchar *data, qsizetype length);

// Whether an image of that size fits the editor's limits, for the header.
bool HeaderFits(const Header &header);

} // namespace PngChunks
