// Feeds arbitrary bytes to image import (PNG through the project's checks
// and decoders, JPEG through its structure check, everything else through
// the toolkit's readers): it must refuse or decode every input without
// crashing, hanging or allocating beyond the editor's image limits.
#include "ImageFile.h"

#include "FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
{
    ensureFuzzApplication();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(pData), qsizetype(size));
    QString error;
    const QImage image = ImageFile::Decode(bytes, &error);
    if (!image.isNull() && (!ImageFile::Fits(image.width(), image.height()) || image.format() != QImage::Format_ARGB32))
        __builtin_trap();
    if (image.isNull() && error.isEmpty())
        __builtin_trap();
    return 0;
}
