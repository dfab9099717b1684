#pragma once
#include "DocumentData.h"

#include <QByteArray>
#include <QString>

// Reads the native file's records into plain data. Every length, count and
// size is checked against what remains and against the editor's limits
// before anything is allocated; text layers' HTML comes out sanitised.
namespace DocumentParser {

enum class Pixels { Decode, Leave };

// Fills *pData only when the whole buffer is a valid document; otherwise
// *pError says why and *pData is untouched. With Pixels::Leave the raster
// layers' PNGs are not decoded (their images stay null) and their bytes are
// views into `bytes`, which must then outlive *pData. Decoded, the raster
// layers together may take iMemoryLimit bytes (-1: LayerBudget::MachineLimit()).
bool Parse(const QByteArray &bytes, DocumentData *pData, QString *pError, Pixels ePixels = Pixels::Decode,
           qint64 iMemoryLimit = -1);

// The name and enabled flag of a layer style record, for listings.
QString DescribeStyle(const QByteArray &record);

} // namespace DocumentParser
