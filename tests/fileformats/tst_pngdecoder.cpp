// PNG decoding: every conformance image and some hand-made ones against
// libpng's own high-level reader, both of our paths (one-piece inflate and
// libpng rows), and damaged or hostile files refused before allocating.
#include "ImageFile.h"
#include "PngDecoder.h"
#include "PngEncoder.h"
#include "FileBytes.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QtTest>
#include <png.h>
#include <zlib.h>

#include <cstring>

namespace {

QString suiteDir()
{
    return QString::fromLocal8Bit(qgetenv("CQ_TEST_DATA")) + QStringLiteral("/pngsuite");
}

using cqtest::readFile;

// The reference: libpng's png_read_png with its expanding transformations,
// pixels assembled into ARGB32 here, one by one.
struct Source {
    const QByteArray *bytes;
    qsizetype pos;
};

void readFromSource(png_structp png, png_bytep out, size_t n)
{
    auto *pSource = static_cast<Source *>(png_get_io_ptr(png));
    if (qsizetype(n) > pSource->bytes->size() - pSource->pos)
        png_error(png, "short");
    std::memcpy(out, pSource->bytes->constData() + pSource->pos, n);
    pSource->pos += qsizetype(n);
}

void quiet(png_structp, png_const_charp) {}

QImage referenceDecode(const QByteArray &bytes)
{
    Source source{&bytes, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, quiet);
    png_infop info = png_create_info_struct(png);
    QImage *pResult = new QImage;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        delete pResult;
        return QImage();
    }
    png_set_read_fn(png, &source, readFromSource);
    png_read_png(png, info, PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_SCALE_16 | PNG_TRANSFORM_GRAY_TO_RGB, nullptr);
    const int width = int(png_get_image_width(png, info));
    const int height = int(png_get_image_height(png, info));
    const int channels = png_get_channels(png, info);
    png_bytepp rows = png_get_rows(png, info);
    *pResult = QImage(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const png_byte *p = rows[y] + x * channels;
            pResult->setPixel(x, y, qRgba(p[0], p[1], p[2], channels == 4 ? p[3] : 255));
        }
    png_destroy_read_struct(&png, &info, nullptr);
    QImage result = *pResult;
    delete pResult;
    return result;
}

using cqtest::be32;

QByteArray ihdr(quint32 w, quint32 h, int depth, int colorType, int interlace = 0)
{
    return cqtest::pngChunk("IHDR", be32(w) + be32(h) + QByteArray(1, char(depth)) + QByteArray(1, char(colorType))
                             + QByteArray(2, '\0') + QByteArray(1, char(interlace)));
}

QByteArray zlibOf(const QByteArray &raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray out(qsizetype(size), '\0');
    compress2(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(raw.constData()),
              uLong(raw.size()), 6);
    out.resize(qsizetype(size));
    return out;
}

// A PNG from raw (already filtered) rows and extra chunks before IDAT.
QByteArray makePng(const QByteArray &header, const QByteArray &before, const QByteArray &rows)
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + header + before + cqtest::pngChunk("IDAT", zlibOf(rows))
           + cqtest::pngChunk("IEND", {});
}

} // namespace

class TestPngDecoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void conformanceImages_data()
    {
        QTest::addColumn<QString>("file");
        const QStringList files = QDir(suiteDir()).entryList({QStringLiteral("*.png")}, QDir::Files);
        QVERIFY2(files.size() >= 50, qPrintable(suiteDir()));
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << file;
    }
    // Every colour type, depth, interlacing and transparency decodes to the
    // reference's pixels, through the import path and through libpng alone.
    void conformanceImages()
    {
        QFETCH(QString, file);
        const QByteArray bytes = readFile(suiteDir() + QLatin1Char('/') + file);
        const QImage expected = referenceDecode(bytes);
        QVERIFY(!expected.isNull());
        QString error;
        const QImage imported = ImageFile::Decode(bytes, &error);
        QVERIFY2(!imported.isNull(), qPrintable(error));
        QCOMPARE(imported.format(), QImage::Format_ARGB32);
        QCOMPARE(cqtest::differingPixels(imported, expected), 0);
        QCOMPARE(cqtest::differingPixels(PngDecoder::DecodeWithLibpng(bytes).image, expected), 0);
    }

    // 16-bit RGB with a transparent colour: the key is matched on all 16
    // bits, so only the exact colour turns transparent.
    void sixteenBitColourKeyKeepsTransparency()
    {
        const QByteArray bytes = readFile(suiteDir() + QStringLiteral("/ftbbn2c16.png"));
        const QImage image = ImageFile::Decode(bytes);
        int transparent = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                transparent += qAlpha(image.pixel(x, y)) == 0;
        QVERIFY(transparent > 0);
        QVERIFY(transparent < image.width() * image.height());
    }

    // Indices past the palette (and past tRNS) decode as libpng expands them.
    void paletteIndicesOutOfRange()
    {
        QByteArray rows;
        for (int y = 0; y < 3; ++y) {
            rows += char(0);
            for (int x = 0; x < 7; ++x)
                rows += char((x * 37 + y * 91) % 256);
        }
        const QByteArray plte = cqtest::pngChunk("PLTE", QByteArray::fromHex("ff0000" "00ff00" "0000ff"));
        const QByteArray trns = cqtest::pngChunk("tRNS", QByteArray::fromHex("40"));
        const QByteArray png = makePng(ihdr(7, 3, 8, 3), plte + trns, rows);
        const QImage expected = referenceDecode(png);
        QVERIFY(!expected.isNull());
        QCOMPARE(cqtest::differingPixels(ImageFile::Decode(png), expected), 0);
        QCOMPARE(expected.pixel(0, 0), qRgba(255, 0, 0, 0x40));
        QCOMPARE(expected.pixel(1, 0), qRgba(0, 0, 0, 255)); // index 37
    }

    // Every row filter, 8-bit RGB with a colour key, RGBA and palettes: the
    // one-piece path and libpng agree pixel for pixel.
    void bothPathsAgree_data()
    {
        QTest::addColumn<int>("colorType");
        QTest::addColumn<QSize>("size");
        QTest::newRow("rgba 1x1") << 6 << QSize(1, 1);
        QTest::newRow("rgba odd") << 6 << QSize(37, 13);
        QTest::newRow("rgb strip") << 2 << QSize(1, 40);
        QTest::newRow("rgb wide") << 2 << QSize(53, 2);
        QTest::newRow("palette") << 3 << QSize(19, 11);
    }
    void bothPathsAgree()
    {
        QFETCH(int, colorType);
        QFETCH(QSize, size);
        const int bpp = colorType == 6 ? 4 : colorType == 2 ? 3 : 1;
        QByteArray rows;
        quint32 seed = 12345;
        for (int y = 0; y < size.height(); ++y) {
            rows += char(y % 5); // None, Sub, Up, Average, Paeth in turn
            for (int i = 0; i < size.width() * bpp; ++i) {
                seed = seed * 1103515245u + 12345u;
                rows += char(seed >> 24);
            }
        }
        QByteArray before;
        if (colorType == 3)
            before = cqtest::pngChunk("PLTE", QByteArray(3 * 200, 'a')) + cqtest::pngChunk("tRNS", QByteArray(50, 'b'));
        if (colorType == 2)
            before = cqtest::pngChunk("tRNS", QByteArray::fromHex("000700440001"));
        const QByteArray png = makePng(ihdr(size.width(), size.height(), 8, colorType), before, rows);
        const QImage expected = referenceDecode(png);
        QVERIFY(!expected.isNull());
        QCOMPARE(cqtest::differingPixels(PngDecoder::Decode(png).image, expected), 0);
        QCOMPARE(cqtest::differingPixels(PngDecoder::DecodeWithLibpng(png).image, expected), 0);
    }

    void damagedFilesRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        const QByteArray good = PngEncoder::Encode(cqtest::patternImage(9, 7, 3));
        const int damaged = int(PngDecoder::Status::Damaged);

        // 44 bytes: a text chunk claiming 2 GiB.
        QByteArray text = QByteArray("\x89PNG\r\n\x1a\n", 8) + ihdr(1, 1, 8, 6) + be32(0x7ffffff0u) + "tEXt";
        QCOMPARE(text.size(), 41);
        text += "abc";
        QTest::newRow("text chunk claims 2 GiB") << text << damaged;
        QTest::newRow("truncated") << good.left(good.size() - 20) << damaged;
        QTest::newRow("no end chunk") << good.left(good.size() - 12) << damaged;
        QByteArray badCrc = good;
        badCrc[good.indexOf("IDAT") + 6] = char(badCrc[good.indexOf("IDAT") + 6] ^ 0x55);
        QTest::newRow("pixel data fails its check") << badCrc << damaged;
        QTest::newRow("not a png") << QByteArray("GIF89a....") << int(PngDecoder::Status::NotPng);
        QTest::newRow("header too large") << makePng(ihdr(40000, 2, 8, 6), {}, QByteArray(3, '\0'))
                                          << int(PngDecoder::Status::TooLarge);
        QTest::newRow("too many pixels") << makePng(ihdr(20000, 20000, 8, 6), {}, QByteArray(3, '\0'))
                                         << int(PngDecoder::Status::TooLarge);
        QTest::newRow("bad depth") << makePng(ihdr(2, 2, 3, 6), {}, QByteArray(18, '\0')) << damaged;
        QTest::newRow("too little pixel data") << makePng(ihdr(4, 4, 8, 6), {}, QByteArray(20, '\0')) << damaged;
        QTest::newRow("unknown filter") << makePng(ihdr(2, 1, 8, 6), {}, QByteArray(1, char(9)) + QByteArray(8, 'x'))
                                        << damaged;
    }
    void damagedFilesRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        const PngDecoder::Result result = PngDecoder::Decode(bytes);
        QCOMPARE(int(result.status), status);
        QVERIFY(result.image.isNull());
        QVERIFY(!result.reason.isEmpty());
        // Through the import path the same reason reaches the user (a file
        // that is no PNG at all goes to the other readers).
        QString error;
        QVERIFY(ImageFile::Decode(bytes, &error).isNull());
        if (bytes.startsWith("\x89PNG"))
            QCOMPARE(error, result.reason);
        QVERIFY(!error.isEmpty());
    }

    // Ancillary chunks are never handed to libpng: a huge compressed text
    // or profile chunk costs nothing, and the pixels still come through.
    void ancillaryChunksIgnored()
    {
        const QImage image = cqtest::patternImage(5, 4, 8);
        QByteArray png = PngEncoder::Encode(image);
        const QByteArray bomb = cqtest::pngChunk("zTXt", QByteArray("k\0\0", 3) + zlibOf(QByteArray(50 << 20, 'z')));
        png.insert(33, bomb);
        QCOMPARE(cqtest::differingPixels(ImageFile::Decode(png), image), 0);
    }
};

QTEST_GUILESS_MAIN(TestPngDecoder)
#include "tst_pngdecoder.moc"
