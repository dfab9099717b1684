// Feeds arbitrary bytes to the document parser and the recovery reader: it must refuse or accept
// every input without crashing, hanging or allocating without bound. A
// recovery copy it accepts has its undo history rebuilt (no snapshot files:
// the steps that need one go) and walked to both ends. The
// documents it accepts are built as opening builds them (each raster layer
// of its own pixels; layer styles skip damaged records and keep the ones
// they do not know), their text laid out, and written again. A recovery
// copy's checksum is made to fit first, so that mutations reach the history
// behind it.
#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "HistoryJournal.h"
#include "Layer.h"
#include "LayerStyleRecord.h"
#include "RecoveryFile.h"
#include "ScratchDB.h"
#include "TextLayer.h"

#include <QTextDocument>
#include <QUndoStack>
#include <QtEndian>

#include <zlib.h>

#include "FuzzSupport.h"

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    ensureFuzzApplication();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(pData), qsizetype(size));
    // The bytes as one style record's payload, too.
    LayerStyleRecord record;
    (void)LayerStyleRecord::Parse(bytes, &record);
    DocumentData data;
    QString error;
    // The bytes as a recovery copy (the editor's autosave), read as start-up
    // reads one.
    RecoveryInfo info;
    DocumentData recovered;
    RecoveryHistory::History history;
    static ScratchDB store;
    QByteArray copy = bytes;
    if (RecoveryFile::IsRecovery(copy) && copy.size() >= 12)
        qToLittleEndian(quint32(crc32(0, reinterpret_cast<const Bytef *>(copy.constData()), uInt(copy.size() - 4))),
                        copy.data() + copy.size() - 4);
    if (RecoveryFile::Parse(copy, &info, &recovered, &error, &history) && !history.isEmpty()) {
        QList<Layer *> layers;
        std::unique_ptr<Document> pDocument(DocumentBuilder::Build(recovered, store, &layers));
        pDocument->undoStack()->clear();
        HistoryJournal::Rebuild(pDocument.get(), layers, &history, QStringLiteral("/nonexistent"));
        pDocument->undoStack()->setIndex(0);
        pDocument->undoStack()->setIndex(pDocument->undoStack()->count());
    }
    if (DocumentFile::Parse(bytes, &data, &error)) {
        // What opening does next: a document of it (text layers, styles,
        // paths), and what saving it again would write.
        std::unique_ptr<Document> pDocument(DocumentBuilder::Build(data, store));
        if (pDocument) {
            // Text layers laid out as the window would draw them.
            for (Layer *pLayer : pDocument->GetLayers(true))
                if (pLayer->kind() == Layer::Text)
                    (void)static_cast<TextLayer *>(pLayer)->document()->size();
            (void)DocumentFile::Serialize(DocumentBuilder::Capture(*pDocument));
        }
    }
    return 0;
}
