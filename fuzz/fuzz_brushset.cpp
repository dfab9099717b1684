// Feeds arbitrary bytes to the brush-set reader: it must refuse or accept
// every input without crashing, hanging or allocating without bound.
#include "FuzzSupport.h"
#include "BrushSetFile.h"
#include "CQBrush.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    ensureFuzzApplication();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(pData), qsizetype(size));
    QList<CQBrush *> brushes;
    QString error;
    if (BrushSetFile::Parse(bytes, &brushes, &error))
        (void)BrushSetFile::Serialize(brushes);
    qDeleteAll(brushes);
    return 0;
}
