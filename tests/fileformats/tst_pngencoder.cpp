// The PNG encoder: exact bytes of the stored form, exact pixels back through
// the toolkit's own decoder at every layout (palette, RGB, RGBA), the row
// filters against their definition, real compression, a large image deflated
// in pieces, and a clean failure when memory runs out.
#include "PngEncoder.h"
#include "PngFilter.h"
#include "FileBytes.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <QtTest>
#include <zlib.h>

#include <cstdlib>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using cqtest::be32;

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
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

int colorTypeOf(const QByteArray &png)
{
    return png.size() > 25 ? png[25] : -1;
}

// The predictor as the format defines it, byte by byte.
int paethReference(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

QImage sparseImage(int side)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 30, 40));
    painter.drawEllipse(QPointF(side / 3.0, side / 2.0), side / 20.0, side / 20.0);
    return image;
}

} // namespace

class TestPngEncoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void storedBytesForATinyImage()
    {
        QImage image(2, 1, QImage::Format_ARGB32);
        image.setPixel(0, 0, qRgba(1, 2, 3, 255));
        image.setPixel(1, 0, qRgba(10, 20, 30, 128));

        const QByteArray raw = QByteArray::fromHex("00" "010203ff" "0a141e80");
        QByteArray zlib = QByteArray::fromHex("7801") + QByteArray::fromHex("01" "0900" "f6ff") + raw
                          + be32(adler(raw));
        QByteArray expected = QByteArray::fromHex("89504e470d0a1a0a");
        expected += cqtest::pngChunk("IHDR", QByteArray::fromHex("00000002" "00000001" "0806000000"));
        expected += cqtest::pngChunk("IDAT", zlib);
        expected += cqtest::pngChunk("IEND", QByteArray());
        QCOMPARE(PngEncoder::Encode(image, PngEncoder::kStored).toHex(), expected.toHex());
        QCOMPARE(expected.right(4).toHex(), QByteArray("ae426082"));
    }

    // Awkward sizes, every layout the encoder picks, colour kept under fully
    // transparent pixels, premultiplied input: the same pixels come back.
    void roundTrip_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("colorType");
        QImage transparentColour = cqtest::patternImage(23, 29, 4);
        for (int x = 0; x < 23; ++x)
            transparentColour.setPixel(x, 4, qRgba(x * 11, 200 - x, 7, 0));
        QImage opaque = cqtest::patternImage(31, 17, 5, false);
        QImage fewColours(40, 33, QImage::Format_ARGB32);
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < 40; ++x)
                fewColours.setPixel(x, y, qRgba(x % 4 * 60, y % 5 * 50, 9, (x + y) % 3 ? 255 : 128));
        QImage pixel(1, 1, QImage::Format_ARGB32);
        pixel.setPixel(0, 0, qRgba(1, 2, 3, 4));

        QTest::newRow("1x1") << pixel << 3;
        QTest::newRow("rgba odd") << cqtest::patternImage(37, 13, 7) << 6;
        QTest::newRow("rgba strip") << cqtest::patternImage(1, 300, 8) << 6;
        QTest::newRow("colour under transparency") << transparentColour << 6;
        QTest::newRow("opaque becomes rgb") << opaque << 2;
        QTest::newRow("few colours become a palette") << fewColours << 3;
        QTest::newRow("several data chunks") << cqtest::patternImage(613, 719, 9) << 6;
        QTest::newRow("premultiplied input")
            << cqtest::patternImage(31, 17, 7).convertToFormat(QImage::Format_ARGB32_Premultiplied) << 6;
    }
    void roundTrip()
    {
        QFETCH(QImage, image);
        QFETCH(int, colorType);
        const QImage expected = image.convertToFormat(QImage::Format_ARGB32);
        for (int level : {PngEncoder::kStored, PngEncoder::kDocumentLevel, PngEncoder::kMaxLevel}) {
            const QByteArray png = PngEncoder::Encode(image, level, 2);
            QCOMPARE(cqtest::differingPixels(decode(png), expected), 0);
            if (level != PngEncoder::kStored)
                QCOMPARE(colorTypeOf(png), colorType);
        }
    }

    void filtersMatchTheirDefinition()
    {
        for (int bpp : {1, 3, 4}) {
            for (qsizetype bytes : {qsizetype(bpp), qsizetype(bpp * 7), qsizetype(bpp * 64 + bpp)}) {
                QByteArray row(bytes, '\0'), prev(bytes, '\0');
                for (qsizetype i = 0; i < bytes; ++i) {
                    row[i] = char((i * 73 + bpp) ^ 0x5a);
                    prev[i] = char(i * 151 + 3);
                }
                const auto *r = reinterpret_cast<const uchar *>(row.constData());
                const auto *p = reinterpret_cast<const uchar *>(prev.constData());
                for (int type = PngFilter::None; type <= PngFilter::Paeth; ++type) {
                    QByteArray out(bytes, '\0');
                    auto *o = reinterpret_cast<uchar *>(out.data());
                    PngFilter::Apply(PngFilter::Type(type), r, p, o, bytes, bpp);
                    for (qsizetype i = 0; i < bytes; ++i) {
                        const int a = i >= bpp ? r[i - bpp] : 0, b = p[i], c = i >= bpp ? p[i - bpp] : 0;
                        const int predicted[] = {0, a, b, (a + b) / 2, paethReference(a, b, c)};
                        QCOMPARE(int(o[i]), (r[i] - predicted[type]) & 0xff);
                    }
                    QVERIFY(PngFilter::Undo(uchar(type), o, p, bytes, bpp));
                    QCOMPARE(out, row);
                }
            }
        }
        uchar one = 0;
        QVERIFY(!PngFilter::Undo(5, &one, &one, 1, 1));
    }

    // A layer holding one small shape compresses to a few kilobytes, not
    // its raw size; a busy image still compresses.
    void compressesForReal()
    {
        const QImage sparse = sparseImage(1024);
        const QByteArray sparsePng = PngEncoder::Encode(sparse);
        QVERIFY2(sparsePng.size() < 8 * 1024, qPrintable(QString::number(sparsePng.size())));
        QCOMPARE(cqtest::differingPixels(decode(sparsePng), sparse), 0);

        QImage gradient(512, 512, QImage::Format_ARGB32);
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
                gradient.setPixel(x, y, qRgba(x / 2, y / 2, (x + y) / 4, 255 - (x ^ y) % 64));
        const QByteArray png = PngEncoder::Encode(gradient);
        QVERIFY(png.size() < gradient.sizeInBytes() / 8);
        QVERIFY(PngEncoder::Encode(gradient, PngEncoder::kMaxLevel).size() <= png.size());
    }

    // A large image deflated in pieces on several threads is still one zlib
    // stream: zlib inflates it whole and its checksum holds, the toolkit's
    // decoder gives the pixels back, and the bytes differ from one piece's.
    // Smooth rows and noise rows make both coded and stored blocks.
    void piecesMakeOneStream()
    {
        QImage image = cqtest::patternImage(1800, 1300, 11);
        for (int y = 0; y < 700; ++y)
            for (int x = 0; x < 1800; ++x)
                image.setPixel(x, y, qRgba(x / 8, y / 3, (x * y) % 7, 255 - (x + y) % 50));
        QByteArray single;
        for (int threads : {1, 2, 3}) {
            const QByteArray png = PngEncoder::Encode(image, PngEncoder::kDocumentLevel, threads);
            QByteArray zlib;
            for (qsizetype at = 8; at + 12 <= png.size();) {
                const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
                if (png.mid(at + 4, 4) == "IDAT")
                    zlib += png.mid(at + 8, length);
                at += length + 12;
            }
            QByteArray raw(qsizetype(1800 * 4 + 1) * 1300, '\0');
            uLongf rawSize = uLongf(raw.size());
            QCOMPARE(uncompress(reinterpret_cast<Bytef *>(raw.data()), &rawSize,
                                reinterpret_cast<const Bytef *>(zlib.constData()), uLong(zlib.size())),
                     Z_OK);
            QCOMPARE(qsizetype(rawSize), raw.size());
            QCOMPARE(cqtest::firstDifference(decode(png), image), QString());
            if (threads == 1)
                single = png;
            else
                QVERIFY(png != single);
        }
    }

    void nullImageEncodesNothing()
    {
        QVERIFY(PngEncoder::Encode(QImage()).isEmpty());
        QVERIFY(PngEncoder::Encode(QImage(), PngEncoder::kStored).isEmpty());
    }

    // With too little address space for its buffers, encoding answers with
    // nothing instead of crashing (checked in a child process).
    void outOfMemoryGivesNothing()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address-space limit cannot be combined with AddressSanitizer's shadow memory");
#endif
        // Larger than anything this process allocated before, so no freed
        // memory it still holds can serve the encoder's buffers.
        const QImage image = cqtest::patternImage(8192, 4096, 11);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            struct rlimit limit;
            getrlimit(RLIMIT_AS, &limit);
            // What is mapped now plus a little: not enough for a filtered
            // copy of the image and the compressed output.
            malloc_trim(0);
            QFile maps(QStringLiteral("/proc/self/statm"));
            maps.open(QIODevice::ReadOnly);
            const qint64 pages = maps.readAll().split(' ').value(0).toLongLong();
            limit.rlim_cur = rlim_t(pages * sysconf(_SC_PAGESIZE) + (16 << 20));
            setrlimit(RLIMIT_AS, &limit);
            const QByteArray png = PngEncoder::Encode(image, PngEncoder::kDocumentLevel, 1);
            _exit(png.isEmpty() ? 0 : 3);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), "the encoder crashed when memory ran out");
        QCOMPARE(WEXITSTATUS(status), 0);
    }
};

QTEST_GUILESS_MAIN(TestPngEncoder)
#include "tst_pngencoder.moc"
