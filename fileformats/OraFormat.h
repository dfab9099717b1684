#pragma once
#include <QByteArray>
#include <QLatin1String>
#include <QString>

// What the OpenRaster reader and writer share: the archive's fixed names,
// our own XML namespace for what only Chromaquill reads back, the limits
// on what an archive may hold, and the blending-mode names.
namespace OraFormat {

inline constexpr char kMimeType[] = "image/openraster";
inline constexpr char kStack[] = "stack.xml";
inline constexpr char kMerged[] = "mergedimage.png";
inline constexpr char kThumbnail[] = "Thumbnails/thumbnail.png";
// The document's paths, as a native file holding no layers.
inline constexpr char kPaths[] = "chromaquill/paths.cq";
inline constexpr char kVersion[] = "0.0.5";

inline constexpr char kNamespace[] = "http://kestrelvane.example/ns/chromaquill-ora/1";
inline constexpr char kPrefix[] = "chromaquill";

constexpr int kMaxLayers = 10000;
constexpr int kMaxDepth = 64;
constexpr int kThumbnailSide = 256;
// stack.xml (it carries text layers' HTML and style records).
constexpr qint64 kMaxStackBytes = qint64(64) << 20;

// The composite-op we write for a painter composition-mode code.
QLatin1String OpName(int iMode);
// The code for a composite-op as others write it; -1 when we have no
// such mode (a bitwise "xor" is not our Porter-Duff Xor).
int ModeForOp(const QString &op);

// True when the bytes begin as an OpenRaster archive does: a stored
// `mimetype` entry first, holding our MIME type.
bool LooksLikeOra(const QByteArray &head);

} // namespace OraFormat
