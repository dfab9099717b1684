// Feeds arbitrary bytes to the OpenRaster reader: it must refuse or accept
// every archive without crashing, hanging or allocating without bound. What
// it accepts is built as opening builds it and written again as OpenRaster.
// Bytes that are not a zip archive are taken as stack.xml, in an archive
// beside a few small layer pictures, so that mutations reach the layer
// stack past the archive's checksums.
#include "Document.h"
#include "DocumentBuilder.h"
#include "OraArchive.h"
#include "OraReader.h"
#include "OraWriter.h"
#include "PngEncoder.h"
#include "ScratchDB.h"

#include "FuzzSupport.h"

#include <cstdint>
#include <memory>

namespace {

QByteArray withStack(const QByteArray &stack)
{
    static const QByteArray small = [] {
        QImage image(3, 2, QImage::Format_ARGB32);
        image.fill(qRgba(200, 10, 30, 128));
        return PngEncoder::Encode(image);
    }();
    static const QByteArray wide = [] {
        QImage image(40, 1, QImage::Format_ARGB32);
        image.fill(qRgba(0, 90, 255, 255));
        return PngEncoder::Encode(image);
    }();
    OraArchiveWriter zip;
    zip.Add(QStringLiteral("mimetype"), "image/openraster", false);
    zip.Add(QStringLiteral("stack.xml"), stack, true);
    zip.Add(QStringLiteral("data/a.png"), small, false);
    zip.Add(QStringLiteral("data/b.png"), wide, false);
    QString error;
    return zip.Finish(&error);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    ensureFuzzApplication();
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(pData), qsizetype(size));
    const QByteArray bytes = input.startsWith("PK") ? input : withStack(input);
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
