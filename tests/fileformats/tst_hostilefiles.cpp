// Small files that claim much: text layers past what a text layer may hold,
// layers far smaller than their canvas, documents too large for the
// machine's memory, and images whose data cannot hold what their header
// says. Each is refused in one sentence or opens at its true cost.
#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "DocumentDataSupport.h"
#include "DocumentParser.h"
#include "FileBytes.h"
#include "ImageFile.h"
#include "Layer.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "TextBounds.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <memory>
#include <sys/resource.h>

namespace {

QString repeated(const QString &unit, int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += unit;
    return s;
}

QByteArray bmpHeader(qint32 width, qint32 height, int bits, int compression, int paletteEntries)
{
    QByteArray b(54 + paletteEntries * 4, '\0');
    auto put32 = [&b](int at, quint32 v) { qToLittleEndian(v, b.data() + at); };
    auto put16 = [&b](int at, quint16 v) { qToLittleEndian(v, b.data() + at); };
    b[0] = 'B';
    b[1] = 'M';
    put32(10, quint32(b.size()));
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    put16(26, 1);
    put16(28, quint16(bits));
    put32(30, quint32(compression));
    put32(46, quint32(paletteEntries));
    return b;
}

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textLayersHaveBounds_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("refusal"); // empty: the layer opens
        QTest::newRow("a class of a million ampersands")
            << QStringLiteral("<p class=\"") + QString(1000000, QLatin1Char('&')) + QStringLiteral("\">x</p>") << QString();
        QTest::newRow("the most list items") << QStringLiteral("<ul>") + repeated("<li>a</li>", TextBounds::kMaxListItems) + "</ul>"
                                              << QString();
        QTest::newRow("one list item more") << QStringLiteral("<ol>") + repeated("<li>a</li>", TextBounds::kMaxListItems + 1) + "</ol>"
                                             << QStringLiteral("more list items");
        QTest::newRow("70 x 70 table") << QStringLiteral("<table>") + repeated("<tr>" + repeated("<td>1</td>", 70) + "</tr>", 70)
                                       << QStringLiteral("more table cells");
        QTest::newRow("30000 preformatted lines") << QStringLiteral("<pre>") + repeated("a\n", 30000) + "</pre>"
                                                  << QStringLiteral("more paragraphs");
        QTest::newRow("60000 spans") << repeated("<b>x</b>", 60000) << QStringLiteral("more elements");
    }
    void textLayersHaveBounds()
    {
        QFETCH(QString, html);
        QFETCH(QString, refusal);
        DocumentData data;
        QString error;
        const bool bOk = DocumentFile::Parse(cqtest::documentBytes(QSize(64, 64), {cqtest::textRecord(html)}), &data, &error);
        if (refusal.isEmpty()) {
            QVERIFY2(bOk, qPrintable(error));
            QCOMPARE(data.layers.size(), 1);
        } else {
            QVERIFY(!bOk);
            QVERIFY2(error.startsWith(QStringLiteral("The text of layer 1 holds ")) && error.contains(refusal)
                         && !error.contains(QLatin1Char('\n')),
                     qPrintable(error));
        }
    }

    // Layers of a few pixels on the largest canvas open in little memory:
    // each is made of its own pixels, never of a canvas-sized image first.
    void smallLayersOnAHugeCanvas()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address-space limit cannot be combined with AddressSanitizer's shadow memory");
#endif
        QTemporaryDir dir;
        QList<LayerData> layers;
        for (int i = 0; i < 3; ++i)
            layers.append(cqtest::rasterRecord(cqtest::patternImage(2, 2, quint32(i)), i));
        const QString in = dir.filePath(QStringLiteral("in.cq"));
        const QString out = dir.filePath(QStringLiteral("out.cq"));
        QVERIFY(cqtest::writeFile(in, cqtest::documentBytes(QSize(16384, 16384), layers)));
        const cqtest::ToolRun run = cqtest::runCqtool({QStringLiteral("convert"), in, out}, [] {
            struct rlimit r;
            getrlimit(RLIMIT_AS, &r);
            r.rlim_cur = rlim_t(900) << 20;
            setrlimit(RLIMIT_AS, &r);
        });
        QVERIFY2(run.code == 0, run.err.constData());

        ScratchDB store;
        QString error;
        std::unique_ptr<Document> pDocument(DocumentBuilder::Load(out, store, &error));
        QVERIFY2(pDocument, qPrintable(error));
        QCOMPARE(pDocument->canvasSize(), QSize(16384, 16384));
        const QList<Layer *> read = pDocument->GetLayers(true);
        QCOMPARE(read.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(static_cast<PixmapLayer *>(read[i])->image(), cqtest::patternImage(2, 2, quint32(i)));
    }

    // The layers' decoded sizes are added up from their headers and
    // compared with the memory a document may take, before any is decoded.
    void documentsHaveAMemoryBudget()
    {
        QList<LayerData> layers;
        for (int i = 0; i < 3; ++i)
            layers.append(cqtest::rasterRecord(cqtest::patternImage(600, 600, quint32(i)), i));
        const QByteArray bytes = cqtest::documentBytes(QSize(600, 600), layers);
        DocumentData data;
        QString error;
        QVERIFY(!DocumentParser::Parse(bytes, &data, &error, DocumentParser::Pixels::Decode, qint64(4) << 20));
        QCOMPARE(error, QStringLiteral("The document's layers need 5 MB of memory; this computer can give a document 4 MB."));
        QVERIFY(data.layers.isEmpty());
        QVERIFY2(DocumentParser::Parse(bytes, &data, &error, DocumentParser::Pixels::Decode, qint64(5) << 20), qPrintable(error));
        QCOMPARE(data.layers[2].image, cqtest::patternImage(600, 600, 2));
    }

    void imagesHoldWhatTheyClaim_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem"); // empty: the image opens

        QByteArray jpeg = cqtest::encodedImage(cqtest::patternImage(16, 16, 1, false), "jpg");
        const qsizetype sof = jpeg.indexOf("\xff\xc0");
        QVERIFY(sof > 0);
        QByteArray huge = jpeg;
        qToBigEndian<quint16>(16384, huge.data() + sof + 5);
        qToBigEndian<quint16>(16384, huge.data() + sof + 7);
        QTest::newRow("jpeg: whole, claims 16384 x 16384") << huge << QStringLiteral("damaged");
        QByteArray flat = jpeg;
        qToBigEndian<quint16>(0, flat.data() + sof + 5);
        QTest::newRow("jpeg: height 0") << flat << QStringLiteral("damaged");
        QTest::newRow("jpeg: junk before its markers") << QByteArray("\xff\xd8") + QByteArray(600, '4') + jpeg.mid(2)
                                                       << QStringLiteral("damaged");
        QImage white(512, 512, QImage::Format_RGB32);
        white.fill(Qt::white);
        QTest::newRow("jpeg: flat white, quality 50") << cqtest::encodedImage(white, "jpg") << QString();

        QTest::newRow("bmp: two bytes of runs claim 16384 x 16384")
            << bmpHeader(16384, 16384, 8, 1, 256) + QByteArray("\0\1", 2) << QStringLiteral("damaged");
        QTest::newRow("bmp: 30000 x 30000") << bmpHeader(30000, 30000, 24, 0, 0) + QByteArray(64, '\0')
                                            << QStringLiteral("too large");
        QTest::newRow("gif: 30000 x 30000") << QByteArray("GIF89a\x30\x75\x30\x75\x00\x00\x00,\0\0\0\0\x30\x75\x30\x75\0\x02\x02\x44\x01\0;", 29)
                                            << QStringLiteral("too large");
        QTest::newRow("gif: 4000 x 4000 in 20 bytes")
            << QByteArray("GIF89a\xa0\x0f\xa0\x0f\x00\x00\x00,\0\0\0\0\xa0\x0f\xa0\x0f\0\x02\x02\x44\x01\0;", 29)
            << QStringLiteral("damaged");
        const QByteArray dot("GIF89a\1\0\1\0\x80\0\0\xff\xff\xff\0\0\0,\0\0\0\0\1\0\1\0\0\2\2D\1\0;", 35);
        QTest::newRow("gif: 1 x 1") << dot << QString();
        QTest::newRow("gif: frame cut short") << dot.left(32) << QStringLiteral("ends before");
        QTest::newRow("mng: 8000 x 8000 in two bytes")
            << QByteArray("\x8aMNG\r\n\x1a\n") + cqtest::pngChunk("MHDR", cqtest::be32(8000) + cqtest::be32(8000) + QByteArray(20, '\0'))
                   + cqtest::pngChunk("IDAT", "xx") + cqtest::pngChunk("MEND", QByteArray())
            << QStringLiteral("damaged");
        QTest::newRow("png: claims 16384 x 16384")
            << cqtest::claimingSize(cqtest::encodedImage(cqtest::patternImage(8, 8, 2), "png"), 16384, 16384)
            << QStringLiteral("damaged");
        QImage clear = cqtest::filledImage(4096, 4096, 0);
        QTest::newRow("png: 4096 x 4096 of nothing") << DocumentFile::EncodePng(clear) << QString();
    }
    void imagesHoldWhatTheyClaim()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        QString error;
        const QImage image = ImageFile::Decode(bytes, &error);
        if (problem.isEmpty()) {
            QVERIFY2(!image.isNull(), qPrintable(error));
        } else {
            QVERIFY(image.isNull());
            QVERIFY2(error.contains(problem), qPrintable(error));
        }
    }
};

QTEST_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
