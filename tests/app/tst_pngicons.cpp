// The program's PNG icons: read when first drawn, without loading any image
// plug-in, and then drawn exactly as Qt's own icons draw the same picture.
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

    // Sizes, modes and painting against a QIcon made from the decoded picture.
    void drawnAsQtDrawsThePicture_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("64 x 64 logo") << QStringLiteral(":/icons/cqLogo.png");
        QTest::newRow("16 x 16") << QStringLiteral(":/icons/speedometer.png");
    }

    void drawnAsQtDrawsThePicture()
    {
        QFETCH(QString, path);
        const QIcon icon(path);
        QIcon reference;
        reference.addPixmap(QPixmap::fromImage(QImage(path)));
        QCOMPARE(icon.availableSizes(), reference.availableSizes());
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
            for (int side : {8, 16, 24, 64, 100}) {
                const QSize size(side, side / 2 + 4);
                QCOMPARE(icon.actualSize(size, mode), reference.actualSize(size, mode));
                QCOMPARE(icon.pixmap(size, mode).toImage(), reference.pixmap(size, mode).toImage());
            }
            QCOMPARE(painted(icon, QRect(3, 5, 40, 22), mode), painted(reference, QRect(3, 5, 40, 22), mode));
        }
    }
};

QTEST_MAIN(TestPngIcons)
#include "tst_pngicons.moc"
