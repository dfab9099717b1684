// The PNG encoder used for documents and scratch files: exact bytes for a tiny
// image, and exact pixels back through the toolkit's decoder.
#include "PngEncoder.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <QtTest>
#include <zlib.h>

namespace {

QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian<quint32>(v, b.data());
    return b;
}

QByteArray chunk(const char *type, const QByteArray &data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return be32(quint32(data.size())) + typed
           + be32(quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))));
}

// Adler-32 written out from its definition, not taken from zlib.
quint32 adler(const QByteArray &data)
{
    quint32 a = 1, b = 0;
    for (char c : data) {
        a = (a + quint8(c)) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

QImage decode(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "png");
    return reader.read();
}

} // namespace

class TestPngEncoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tinyImageBytes()
    {
        QImage image(2, 1, QImage::Format_ARGB32);
        image.setPixel(0, 0, qRgba(1, 2, 3, 255));
        image.setPixel(1, 0, qRgba(10, 20, 30, 128));

        const QByteArray raw = QByteArray::fromHex("00" "010203ff" "0a141e80");
        QByteArray zlib = QByteArray::fromHex("7801") + QByteArray::fromHex("01" "0900" "f6ff") + raw
                          + be32(adler(raw));
        QByteArray expected = QByteArray::fromHex("89504e470d0a1a0a");
        expected += chunk("IHDR", QByteArray::fromHex("00000002" "00000001" "0806000000"));
        expected += chunk("IDAT", zlib);
        expected += chunk("IEND", QByteArray());
        QCOMPARE(PngEncoder::Encode(image).toHex(), expected.toHex());
        QCOMPARE(expected.right(4).toHex(), QByteArray("ae426082"));
    }

    // Awkward sizes, partial alpha, premultiplied input, and an image larger
    // than one IDAT chunk all come back pixel for pixel.
    void roundTrip_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("premultiplied");
        QTest::newRow("1x1") << QSize(1, 1) << false;
        QTest::newRow("odd") << QSize(37, 13) << false;
        QTest::newRow("premultiplied") << QSize(31, 17) << true;
        QTest::newRow("several chunks") << QSize(613, 419) << false;
    }
    void roundTrip()
    {
        QFETCH(QSize, size);
        QFETCH(bool, premultiplied);
        QImage image = cqtest::patternImage(size.width(), size.height(), 7);
        if (premultiplied)
            image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage back = decode(PngEncoder::Encode(image)).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(cqtest::differingPixels(back, image.convertToFormat(QImage::Format_ARGB32)), 0);
    }

    void nullImageEncodesNothing()
    {
        QVERIFY(PngEncoder::Encode(QImage()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPngEncoder)
#include "tst_pngencoder.moc"
