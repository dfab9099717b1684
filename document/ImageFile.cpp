#include "ImageFile.h"

#include <QFileInfo>
#include <QImageReader>

namespace ImageFile {

QImage Read(const QString &path, QString *pError)
{
    auto fail = [pError](const QString &reason) {
        if (pError)
            *pError = reason;
        return QImage();
    };
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("The file does not exist."));
    // The decoders' own ceiling, in MiB, for what a header may claim.
    QImageReader::setAllocationLimit(int((kMaxPixels * 4) >> 20));
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && !Fits(size.width(), size.height()))
        return fail(QStringLiteral("The image is too large (%1 x %2).").arg(size.width()).arg(size.height()));
    QImage image = reader.read();
    if (image.isNull())
        return fail(QStringLiteral("The image could not be read: %1.").arg(reader.errorString()));
    return image;
}

} // namespace ImageFile
