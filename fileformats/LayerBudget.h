#pragma once
#include "DocumentData.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What a whole document's pixels cost, settled before any of them is
// decoded. A document's raster layers all live in memory while it is open
// (only their undo snapshots move to the scratch store's disk), so the sum
// of their decoded sizes is compared with what the machine can hold, and a
// document that cannot fit is refused in one line before any large
// allocation. The layers then decode a few at a time, so what is being
// decoded at once stays bounded too. Every reader of layered files fills
// LayerData::png and calls DecodeLayers; DocumentBuilder::Build then makes
// each layer of its decoded pixels.
namespace LayerBudget {

// Decoded bytes in flight at once (at least one layer, however large).
constexpr qint64 kInFlight = qint64(1) << 30;

// The pixels a document may hold on this machine: half its physical memory
// (the rest goes to the window's composed picture, undo and the system),
// and no more than three quarters of a limit on the address space.
qint64 MachineLimit();

// The bytes a layer's pixels take once decoded (4 a pixel), read from the
// PNG's header alone; 0 when it has no readable header (decoding then
// says what is wrong).
qint64 PngCost(const QByteArray &png);

// Decodes the PNG of every raster layer into its image. False, with the
// reason in *pError and no image kept, when the layers together need more
// than iLimit bytes, or when one of them cannot be decoded.
bool DecodeLayers(QList<LayerData> *pLayers, qint64 iLimit, QString *pError);

} // namespace LayerBudget
