#pragma once
#include "DocumentData.h"

#include <QByteArray>
#include <QString>

// Reads an OpenRaster archive into the same plain data as a native file,
// so both open through DocumentBuilder. Layers come bottom first with their
// pixels decoded. A nested stack that is plain (Normal, fully opaque) gives
// its layers one by one, hidden when it is; any other stack is composed as
// an isolated group into one layer named after it. Layers a Chromaquill
// archive marks come back as text layers and styled layers. A composite-op
// the editor lacks opens as Normal and is listed in DocumentData::notes.
// The merged image and the thumbnail are never read.
namespace OraReader {

// Fills *pData only when the whole archive is readable; otherwise *pError
// says why and *pData is untouched.
bool Parse(const QByteArray &bytes, DocumentData *pData, QString *pError);

} // namespace OraReader
