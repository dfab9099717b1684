// Built into the program as a static plug-in: QIcon asks the icon engine
// plug-ins for a file's suffix before it falls back to its own engine.
#define QT_STATICPLUGIN
#include "PngIcons.h"

#include "PngDecoder.h"

#include <QFile>
#include <QIconEnginePlugin>
#include <QPixmap>

QImage readPngResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    return PngDecoder::Decode(file.readAll()).image;
}

void PngIconEngine::addFile(const QString &fileName, const QSize &, QIcon::Mode mode, QIcon::State state)
{
    m_files.append({fileName, mode, state});
}

void PngIconEngine::addPixmap(const QPixmap &pixmap, QIcon::Mode mode, QIcon::State state)
{
    loaded();
    m_icon.addPixmap(pixmap, mode, state);
}

const QIcon &PngIconEngine::loaded()
{
    for (const File &file : std::as_const(m_files)) {
        const QImage image = readPngResource(file.path);
        if (!image.isNull())
            m_icon.addPixmap(QPixmap::fromImage(image), file.mode, file.state);
    }
    m_files.clear();
    return m_icon;
}

void PngIconEngine::paint(QPainter *pPainter, const QRect &rect, QIcon::Mode mode, QIcon::State state)
{
    loaded().paint(pPainter, rect, Qt::AlignCenter, mode, state);
}

QPixmap PngIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return loaded().pixmap(size, 1.0, mode, state);
}

QSize PngIconEngine::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    // QIcon::actualSize() would scale `size`, already in device pixels, by
    // the screen's ratio once more.
    return pixmap(size, mode, state).size();
}

QList<QSize> PngIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return loaded().availableSizes(mode, state);
}

class PngIconPlugin : public QIconEnginePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QIconEngineFactoryInterface_iid FILE "PngIcons.json")
public:
    // QIcon adds the file itself.
    QIconEngine *create(const QString &) override { return new PngIconEngine; }
};

#include "PngIcons.moc"
