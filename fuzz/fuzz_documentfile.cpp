// Feeds arbitrary bytes to the document parser: it must refuse or accept
// every input without crashing, hanging or allocating without bound.
#include "DocumentFile.h"

#include "FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    ensureFuzzApplication();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(pData), qsizetype(size));
    DocumentData data;
    QString error;
    if (DocumentFile::Parse(bytes, &data, &error))
        (void)DocumentFile::Serialize(data);
    return 0;
}
