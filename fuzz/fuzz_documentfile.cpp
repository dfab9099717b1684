// Feeds arbitrary bytes to the document parser: it must refuse or accept
// every input without crashing, hanging or allocating without bound. The
// style records of what it accepts go on to the layer styles, which skip
// damaged ones and keep the ones they do not know.
#include "DocumentFile.h"
#include "LayerStyleMgr.h"
#include "LayerStyleRecord.h"

#include "FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    ensureFuzzApplication();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(pData), qsizetype(size));
    // The bytes as one style record's payload, too.
    LayerStyleRecord record;
    (void)LayerStyleRecord::Parse(bytes, &record);
    DocumentData data;
    QString error;
    if (DocumentFile::Parse(bytes, &data, &error)) {
        for (LayerData &layer : data.layers) {
            LayerStyleMgr styles;
            styles.Initialise(nullptr);
            styles.ReadRecords(layer.styleRecords);
            layer.styleRecords = styles.Records();
        }
        (void)DocumentFile::Serialize(data);
    }
    return 0;
}
