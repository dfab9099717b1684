// Thumbnails of native documents: the picture against the document's own
// flattening scaled down, layers hidden under an opaque one never decoded,
// the reduced PNG decoding against a block average done here, and files
// that claim more than a thumbnail may cost refused before any allocation.
#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentDataSupport.h"
#include "DocumentFile.h"
#include "DocumentThumbnail.h"
#include "FileBytes.h"
#include "OraArchive.h"
#include "OraFormat.h"
#include "PngDecoder.h"
#include "ScratchDB.h"
#include "TestSupport.h"

#include <QPainter>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <zlib.h>

namespace {

// The document as the editor flattens it, scaled as a picture viewer would.
QImage reference(const DocumentData &undecoded, int iSide, ScratchDB &store)
{
    DocumentData data;
    QString error;
    if (!DocumentFile::Parse(DocumentFile::Serialize(undecoded), &data, &error))
        return QImage();
    std::unique_ptr<Document> pDocument(DocumentBuilder::Build(data, store));
    return pDocument->Flattened().scaled(DocumentThumbnail::Fitted(data.canvas, iSide), Qt::IgnoreAspectRatio,
                                         Qt::SmoothTransformation);
}

// Mean and largest channel difference of two same-sized images. Scaling in
// two steps differs a little from one; a wrong layer, order or mode differs
// by far more.
QPair<double, int> difference(const QImage &a, const QImage &b)
{
    qint64 sum = 0;
    int iMax = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            // Colour only counts as far as the pixel is seen.
            const int alpha = qMax(qAlpha(p), qAlpha(q));
            for (int d : {qAlpha(p) - qAlpha(q), (qRed(p) - qRed(q)) * alpha / 255, (qGreen(p) - qGreen(q)) * alpha / 255,
                          (qBlue(p) - qBlue(q)) * alpha / 255}) {
                sum += std::abs(d);
                iMax = qMax(iMax, std::abs(d));
            }
        }
    return {double(sum) / (4.0 * a.width() * a.height()), iMax};
}

} // namespace

class TestDocumentThumbnail : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_store.Init(QDir::tempPath() + QStringLiteral("/tst_documentthumbnail"), 64 << 20); }

    // Layers of every kind the reduced composition meets: offsets, blending
    // modes, opacity, transparency, a layer larger than the canvas.
    void largePlainDocumentMatchesItsFlattening()
    {
        DocumentData data;
        data.canvas = QSize(1500, 900);
        data.layers << cqtest::rasterRecord(cqtest::patternImage(1500, 900, 1, false), 0)
                    << cqtest::rasterRecord(cqtest::patternImage(700, 500, 2), 1, QPointF(333, 101), QPainter::CompositionMode_Multiply)
                    << cqtest::rasterRecord(cqtest::patternImage(1800, 300, 3), 2, QPointF(-150, 520), QPainter::CompositionMode_SourceOver, 0.6)
                    << cqtest::rasterRecord(cqtest::filledImage(400, 400, qRgba(250, 20, 20, 120)), 3, QPointF(1000, 10), QPainter::CompositionMode_Screen);
        QString error;
        const QImage thumb = DocumentThumbnail::FromNative(DocumentFile::Serialize(data), 128, m_store, &error);
        QVERIFY2(!thumb.isNull(), qPrintable(error));
        QCOMPARE(thumb.width(), 128);
        QVERIFY(qAbs(thumb.height() - 77) <= 1);
        const auto [mean, largest] = difference(thumb, reference(data, 128, m_store));
        QVERIFY2(mean < 4.0 && largest < 64, qPrintable(QStringLiteral("mean %1 largest %2").arg(mean).arg(largest)));
    }

    // Text layers are composed at full size: the picture is the flattening's.
    void textDocumentIsTheScaledFlattening()
    {
        DocumentData data;
        data.canvas = QSize(300, 200);
        data.layers << cqtest::rasterRecord(cqtest::patternImage(300, 200, 4), 0);
        LayerData text;
        text.kind = 1;
        text.z = 1;
        text.pos = QPointF(20, 30);
        text.html = QStringLiteral("<p style=\"font-size:40pt\">Quill</p>");
        data.layers << text;
        QString error;
        const QImage thumb = DocumentThumbnail::FromNative(DocumentFile::Serialize(data), 64, m_store, &error);
        QVERIFY2(!thumb.isNull(), qPrintable(error));
        QCOMPARE(cqtest::firstDifference(thumb.convertToFormat(QImage::Format_ARGB32), reference(data, 64, m_store)), QString());
    }

    // Small documents are never enlarged; hidden layers stay out.
    void smallDocumentKeepsItsSize()
    {
        DocumentData data;
        data.canvas = QSize(40, 30);
        data.layers << cqtest::rasterRecord(cqtest::patternImage(40, 30, 5), 0);
        LayerData hidden = cqtest::rasterRecord(cqtest::filledImage(40, 30, qRgb(255, 0, 0)), 1);
        hidden.visible = false;
        data.layers << hidden;
        QString error;
        const QImage thumb = DocumentThumbnail::FromNative(DocumentFile::Serialize(data), 256, m_store, &error);
        QCOMPARE(cqtest::firstDifference(thumb.convertToFormat(QImage::Format_ARGB32), reference(data, 256, m_store)), QString());
        QCOMPARE(thumb.size(), QSize(40, 30));
    }

    // Beneath an opaque layer covering the canvas nothing is decoded: a
    // layer there whose pixels could never be held costs nothing.
    void layersUnderAnOpaqueCoverAreNotDecoded()
    {
        DocumentData data;
        data.canvas = QSize(600, 400);
        LayerData huge = cqtest::rasterRecord(cqtest::filledImage(2, 2, 0), 0);
        huge.png = cqtest::claimingSize(DocumentFile::EncodePng(cqtest::filledImage(2, 2, 0)), 30000, 8000);
        data.layers << huge << cqtest::rasterRecord(cqtest::patternImage(600, 400, 6, false), 1)
                    << cqtest::rasterRecord(cqtest::filledImage(100, 100, qRgba(0, 0, 255, 128)), 2, QPointF(50, 50));
        QString error;
        const QImage thumb = DocumentThumbnail::FromNative(DocumentFile::Serialize(data), 100, m_store, &error);
        QVERIFY2(!thumb.isNull(), qPrintable(error));
        data.layers.removeFirst();
        const auto [mean, largest] = difference(thumb, reference(data, 100, m_store));
        QVERIFY2(mean < 4.0 && largest < 64, qPrintable(QStringLiteral("mean %1 largest %2").arg(mean).arg(largest)));
        // The same layer with something translucent over it is needed, and too much.
        data.layers.prepend(huge);
        data.layers[1].png = DocumentFile::EncodePng(cqtest::patternImage(600, 400, 6, true));
        QVERIFY(DocumentThumbnail::FromNative(DocumentFile::Serialize(data), 100, m_store, &error).isNull());
        // Its few bytes could never make that many pixels: refused as damage before its size matters.
        QVERIFY2(error.contains(QLatin1String("cannot make 30000 x 8000")), qPrintable(error));
    }

    void hostileFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        DocumentData data;
        data.canvas = QSize(32768, 8192);
        for (int i = 0; i < 40; ++i) {
            LayerData layer = cqtest::rasterRecord(cqtest::filledImage(2, 2, 0), i);
            layer.png = cqtest::claimingSize(DocumentFile::EncodePng(cqtest::filledImage(2, 2, 0)), 16384, 16384);
            data.layers << layer;
        }
        QTest::newRow("many huge layers") << DocumentFile::Serialize(data);
        data.layers.resize(1);
        data.layers[0].png = cqtest::claimingSize(DocumentFile::EncodePng(cqtest::filledImage(2, 2, 0)), 300, 300);
        data.canvas = QSize(200, 200);
        QTest::newRow("truncated pixels") << DocumentFile::Serialize(data);
        const QByteArray good = DocumentFile::Serialize([] {
            DocumentData d;
            d.canvas = QSize(64, 64);
            d.layers << cqtest::rasterRecord(cqtest::patternImage(64, 64, 7), 0);
            return d;
        }());
        QTest::newRow("cut short") << good.left(good.size() - 20);
        QTest::newRow("not a document") << QByteArray("GIF89a not a chromaquill document at all");
        QTest::newRow("empty") << QByteArray();
    }
    void hostileFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QString error;
        QVERIFY(DocumentThumbnail::FromNative(bytes, 256, m_store, &error).isNull());
        QVERIFY(!error.isEmpty());
    }

    // An OpenRaster archive shows its merged image, decoded reduced; its
    // layers are never read, so a damaged layer does not matter, and an
    // archive without a merged image or with an oversized one is refused.
    void openRasterShowsItsMergedImage()
    {
        const QImage merged = cqtest::patternImage(1200, 700, 9);
        auto archive = [](const QByteArray &mergedPng) {
            OraArchiveWriter zip;
            zip.Add(QStringLiteral("mimetype"), QByteArray(OraFormat::kMimeType), false);
            zip.Add(QLatin1String(OraFormat::kStack), QByteArray("<image w=\"1200\" h=\"700\"><stack>"
                                                                  "<layer src=\"data/0.png\"/></stack></image>"), true);
            zip.Add(QStringLiteral("data/0.png"), QByteArray("not a png"), false);
            if (!mergedPng.isEmpty())
                zip.Add(QLatin1String(OraFormat::kMerged), mergedPng, false);
            QString error;
            return zip.Finish(&error);
        };
        const QString path = QDir::tempPath() + QStringLiteral("/tst_documentthumbnail.ora");
        QVERIFY(cqtest::writeFile(path, archive(DocumentFile::EncodePng(merged))));
        QVERIFY(DocumentThumbnail::StartsLikeOpenRaster(path));
        QString error;
        const QImage thumb = DocumentThumbnail::FromOpenRasterFile(path, 120, &error);
        QVERIFY2(!thumb.isNull(), qPrintable(error));
        QCOMPARE(thumb.size(), QSize(120, 70));
        const auto [mean, largest] = difference(
            thumb, merged.scaled(120, 70, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        QVERIFY2(mean < 4.0 && largest < 64, qPrintable(QStringLiteral("mean %1 largest %2").arg(mean).arg(largest)));

        for (const QByteArray &bad : {QByteArray(), cqtest::claimingSize(DocumentFile::EncodePng(cqtest::filledImage(2, 2, 0)), 16384, 16384), QByteArray("\x89PNG broken")}) {
            QVERIFY(cqtest::writeFile(path, archive(bad)));
            error.clear();
            QVERIFY(DocumentThumbnail::FromOpenRasterFile(path, 256, &error).isNull());
            QVERIFY(!error.isEmpty());
        }
        QFile::remove(path);
    }

    // Each reduced pixel is the alpha-weighted mean of its block.
    void reducedDecodingAveragesBlocks()
    {
        const QImage source = cqtest::patternImage(41, 23, 8);
        const PngDecoder::Result r = PngDecoder::DecodeReduced(DocumentFile::EncodePng(source), 4);
        QCOMPARE(r.status, PngDecoder::Status::Ok);
        QCOMPARE(r.image.size(), QSize(11, 6));
        for (int by = 0; by < 6; ++by)
            for (int bx = 0; bx < 11; ++bx) {
                double a = 0, red = 0, green = 0, blue = 0, n = 0;
                for (int y = by * 4; y < qMin(23, by * 4 + 4); ++y)
                    for (int x = bx * 4; x < qMin(41, bx * 4 + 4); ++x) {
                        const QRgb p = source.pixel(x, y);
                        a += qAlpha(p);
                        red += qRed(p) * qAlpha(p);
                        green += qGreen(p) * qAlpha(p);
                        blue += qBlue(p) * qAlpha(p);
                        ++n;
                    }
                const QRgb expected = a == 0 ? 0 : qRgba(qRound(red / a), qRound(green / a), qRound(blue / a), qRound(a / n));
                QCOMPARE(r.image.pixel(bx, by), expected);
            }
        // Factor 1 is the plain decoding.
        QCOMPARE(PngDecoder::DecodeReduced(DocumentFile::EncodePng(source), 1).image, source);
    }

private:
    ScratchDB m_store;
};

QTEST_MAIN(TestDocumentThumbnail)
#include "tst_documentthumbnail.moc"
