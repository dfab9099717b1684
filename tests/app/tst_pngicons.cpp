// The program's PNG icons: read when first drawn, without loading any image
// plug-in, and then drawn exactly as Qt's own icons draw the same picture.
#include <QColorSpace>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QtPlugin>
#include <QtTest>
#include <link.h>

Q_IMPORT_PLUGIN(PngIconPlugin)

namespace {

int countImagePlugins(dl_phdr_info *pInfo, size_t, void *pCount)
{
    if (QByteArray(pInfo->dlpi_name).contains("/imageformats/"))
        ++*static_cast<int *>(pCount);
    return 0;
}

int loadedImagePlugins()
{
    int count = 0;
    dl_iterate_phdr(countImagePlugins, &count);
    return count;
}

// The pixels alone: Qt's reader tags a picture with the colour space its
// file names, which nothing here converts with.
QImage pixelsOf(const QPixmap &pixmap)
{
    QImage image = pixmap.toImage();
    image.setColorSpace(QColorSpace());
    return image;
}

QImage painted(const QIcon &icon, const QRect &rect, QIcon::Mode mode)
{
    QImage image(80, 80, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, rect, Qt::AlignCenter, mode);
    return image;
}

} // namespace

class TestPngIcons : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // First, while nothing else in the process has read an image.
    void everyIconDrawnWithoutImagePlugins()
    {
        const QStringList names = QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.png")});
        QVERIFY(names.size() > 50);
        for (const QString &name : names) {
            const QIcon icon(QStringLiteral(":/icons/") + name);
            QVERIFY2(!icon.pixmap(24).isNull(), qPrintable(name));
        }
        QCOMPARE(loadedImagePlugins(), 0);
    }

    // Sizes, modes and painting against a QIcon made from the picture as Qt
    // decodes it.
    void drawnAsQtDrawsThePicture()
    {
        const QStringList names = QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.png")});
        for (const QString &name : names) {
            const QString path = QStringLiteral(":/icons/") + name;
            const QIcon icon(path);
            QIcon reference;
            reference.addPixmap(QPixmap::fromImage(QImage(path)));
            QCOMPARE(icon.availableSizes(), reference.availableSizes());
            const QSize native = reference.availableSizes().value(0);
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
                QVERIFY2(pixelsOf(icon.pixmap(native, mode)) == pixelsOf(reference.pixmap(native, mode)), qPrintable(name));
                if (name != QLatin1String("cqLogo.png") && name != QLatin1String("speedometer.png"))
                    continue;
                for (int side : {8, 16, 24, 64, 100}) {
                    const QSize size(side, side / 2 + 4);
                    QCOMPARE(icon.actualSize(size, mode), reference.actualSize(size, mode));
                    QCOMPARE(pixelsOf(icon.pixmap(size, mode)), pixelsOf(reference.pixmap(size, mode)));
                }
                QCOMPARE(painted(icon, QRect(3, 5, 40, 22), mode), painted(reference, QRect(3, 5, 40, 22), mode));
            }
        }
    }
};

QTEST_MAIN(TestPngIcons)
#include "tst_pngicons.moc"
