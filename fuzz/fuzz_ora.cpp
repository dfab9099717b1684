// Feeds arbitrary bytes to the OpenRaster reader: it must refuse or accept
// every archive without crashing, hanging or allocating without bound. What
// it accepts is built as opening builds it and written again as OpenRaster.
#include "Document.h"
#include "DocumentBuilder.h"
#include "OraReader.h"
#include "OraWriter.h"
#include "ScratchDB.h"

#include "FuzzSupport.h"

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    ensureFuzzApplication();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(pData), qsizetype(size));
    DocumentData data;
    QString error;
    if (OraReader::Parse(bytes, &data, &error)) {
        static ScratchDB store;
        std::unique_ptr<Document> pDocument(DocumentBuilder::Build(data, store));
        QStringList notes;
        if (pDocument)
            (void)OraWriter::Write(*pDocument, &notes, &error);
    }
    return 0;
}
