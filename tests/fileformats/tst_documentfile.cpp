// The native document file: exact bytes, round trips through a window, bad
// files that must be refused whole, and cqtool on top of it. (Saving that
// fails half-way is tst_documentio's and tst_openraster's.)
#include "DocTestSupport.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "FileBytes.h"
#include "Path.h"
#include "PixmapLayer.h"
#include "PngEncoder.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "TextLayer.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

using Bytes = cqtest::DocBytes;

// Layer pixels are stored through the project's PNG encoder, whose own bytes
// are pinned down in tst_pngencoder.
QByteArray png100(const QImage &image)
{
    return PngEncoder::Encode(image);
}

} // namespace

class TestDocumentFile : public QObject {
    Q_OBJECT
private:
    // A small valid document with two raster layers, a text layer and a path.
    QByteArray sampleFile()
    {
        Document window(QSize(9, 7), cqtest::scratchStore());
        cqtest::addRasterLayer(&window, cqtest::patternImage(9, 7, 1))->setName(QStringLiteral("Back"));
        cqtest::addRasterLayer(&window, cqtest::patternImage(5, 3, 2))->setPos(QPointF(2, 1));
        auto *pText = static_cast<TextLayer *>(window.CreateLayer(Layer::Text));
        pText->setHtml(QStringLiteral("<b>Hi</b>"));
        auto *pPath = new Path(QStringLiteral("P"));
        pPath->AddItem({PathItem::MoveTo, {1, 1}, {1, 1}, {}, {}});
        pPath->AddItem({PathItem::LineTo, {}, {4, 4}, {}, {}});
        window.AddPath(pPath);
        return DocumentFile::Serialize(DocumentBuilder::Capture(window));
    }

private Q_SLOTS:
    void initTestCase() { cqtest::isolateSettings(); }

    void goldenBytes()
    {
        Document window(QSize(10, 10), cqtest::scratchStore());
        const QImage image = cqtest::patternImage(10, 10, 7);
        PixmapLayer *pLayer = cqtest::addRasterLayer(&window, image);
        pLayer->setName(QStringLiteral("Layer \u00e9\u4e2d"));
        pLayer->setBlendingMode(QPainter::CompositionMode_Multiply);
        pLayer->setOpacity(0.25);
        pLayer->setVisible(false);
        pLayer->setPos(QPointF(1.5, -2));
        auto *pPath = new Path(QStringLiteral("Outline"));
        pPath->AddItem({PathItem::MoveTo, {3, 4}, {3, 4}, {}, {}});
        pPath->AddItem({PathItem::QuadTo, {}, {8, 9}, {5, 6}, {}});
        window.AddPath(pPath);

        const QString path = QDir::temp().filePath(QStringLiteral("golden.cq"));
        QString error;
        QVERIFY2(DocumentBuilder::Save(path, window, &error), qPrintable(error));
        const QByteArray actual = cqtest::readFile(path);

        Bytes layer;
        layer.rec(4001, Bytes::I(0));
        layer.rec(4002, QByteArray("Layer \xe9?", 8)); // Latin-1: the CJK character is lost
        layer.rec(4003, Bytes::I(QPainter::CompositionMode_Multiply));
        layer.rec(4004, Bytes::D(0.25));
        layer.rec(4005, QByteArray(1, '\0'));
        layer.rec(4006, Bytes::D(0));
        layer.rec(4007, Bytes::P(1.5, -2));
        layer.rec(4008, png100(pLayer->image()));
        // Every layer carries both style records, switched off, at their defaults.
        layer.rec(7000, Bytes::Style("Drop Shadow", false, Bytes::Ints({0, 3, 128, 0, 0, 0, 128})));
        layer.rec(7000, Bytes::Style("Outter Glow", false, Bytes::Ints({3, 128, 0, 0, 0, 128})));
        auto point = [](int kind, QPointF a, QPointF b, QPointF c) {
            Bytes p;
            p.rec(6003, Bytes::I(kind));
            p.rec(6004, Bytes::P(a.x(), a.y()));
            p.rec(6005, Bytes::P(b.x(), b.y()));
            if (kind == 3)
                p.rec(6006, Bytes::P(c.x(), c.y()));
            return p.b;
        };
        Bytes onePath;
        onePath.i32(1);
        onePath.rec(6001, "Outline");
        onePath.rec(6002, point(0, {3, 4}, {3, 4}, {}));
        onePath.rec(6002, point(3, {3, 4}, {8, 9}, {5, 6}));
        const QByteArray expected = Bytes::File({{2000, Bytes::Ints({10, 10})},
                                                 {3000, Bytes::List(4000, {layer.b})},
                                                 {5000, Bytes::List(6000, {onePath.b})}});

        QCOMPARE(actual.toHex(), expected.toHex());
    }

    void roundTrip()
    {
        auto *pSource = new Document(QSize(37, 23), cqtest::scratchStore());
        std::unique_ptr<Document> source(pSource);
        // Created bottom to top, then restacked: the file keeps list order but
        // the stacking must come back from the z values.
        PixmapLayer *pA = cqtest::addRasterLayer(pSource, cqtest::patternImage(37, 23, 11));
        PixmapLayer *pB = cqtest::addRasterLayer(pSource, cqtest::patternImage(37, 23, 12));
        PixmapLayer *pSmall = cqtest::addRasterLayer(pSource, cqtest::patternImage(5, 4, 13));
        auto *pText = static_cast<TextLayer *>(pSource->CreateLayer(Layer::Text));
        pA->setName(QStringLiteral("A"));
        pA->setZValue(3);
        pB->setName(QStringLiteral("B"));
        pB->setZValue(0);
        pB->setBlendingMode(QPainter::CompositionMode_Screen);
        pB->SetOpacityPercent(40);
        pSmall->setName(QStringLiteral("Small"));
        pSmall->setZValue(1);
        pSmall->setVisible(false);
        pSmall->setPos(QPointF(-3.25, 7.5));
        pText->setName(QStringLiteral("Words"));
        pText->setZValue(2);
        pText->setDefaultTextColor(QColor(10, 200, 30, 128));
        pText->setHtml(QStringLiteral("<p>plain <b>bold</b> <span style=\"color:#ff0000;\">red</span></p>"));
        pText->setPos(QPointF(4, 5));
        auto *pPath = new Path(QStringLiteral("Curvy"));
        pPath->AddItem({PathItem::MoveTo, {1, 2}, {1, 2}, {}, {}});
        pPath->AddItem({PathItem::LineTo, {}, {10, 2}, {}, {}});
        pPath->AddItem({PathItem::CubicTo, {}, {20, 15}, {12, 4}, {18, 9}});
        pPath->AddItem({PathItem::QuadTo, {}, {3, 20}, {10, 22}, {}});
        pPath->AddItem({PathItem::MoveTo, {}, {30, 1}, {}, {}});
        pSource->AddPath(pPath);

        const QString file = QDir::temp().filePath(QStringLiteral("roundtrip.cq"));
        QString error;
        QVERIFY2(DocumentBuilder::Save(file, *pSource, &error), qPrintable(error));
        std::unique_ptr<Document> loaded(DocumentBuilder::Load(file, cqtest::scratchStore(), &error));
        QVERIFY2(loaded, qPrintable(error));

        QCOMPARE(loaded->canvasSize(), QSize(37, 23));
        // Every attribute and pixel of every layer, stacked by z (0 to 3 in the
        // source too) whatever the order they were made in.
        QList<Layer *> stacked = pSource->GetLayers();
        std::sort(stacked.begin(), stacked.end(), [](Layer *a, Layer *b) { return a->zValue() < b->zValue(); });
        const QList<Layer *> layers = loaded->GetLayers();
        QCOMPARE(cqtest::fingerprint(layers), cqtest::fingerprint(stacked));
        QCOMPARE(static_cast<TextLayer *>(layers[2])->defaultTextColor(), QColor(10, 200, 30, 128));

        // The top of the stack is the first row and the current layer.
        QCOMPARE(loaded->LayerAtRow(0), layers[3]);
        QCOMPARE(loaded->CurrentLayer(), layers[3]);
        QVERIFY(!loaded->IsModified());

        QCOMPARE(loaded->paths().size(), 1);
        const Path *pPath2 = loaded->paths().first();
        QCOMPARE(pPath2->name(), QStringLiteral("Curvy"));
        QCOMPARE(pPath2->items(), pPath->items());
        QCOMPARE(pPath2->ToPainterPath(), pPath->ToPainterPath());

        // Saving what was loaded keeps the path whole.
        DocumentData again;
        QVERIFY(DocumentFile::Parse(DocumentFile::Serialize(DocumentBuilder::Capture(*loaded)), &again, &error));
        QCOMPARE(again.paths.first().items.size(), pPath->items().size() - 1); // the start point is kept apart
    }

    void emptyPathsAndDeletedLayers()
    {
        Document window(QSize(4, 4), cqtest::scratchStore());
        cqtest::addRasterLayer(&window, cqtest::patternImage(4, 4, 3))->setName(QStringLiteral("kept"));
        cqtest::addRasterLayer(&window, cqtest::patternImage(4, 4, 4))->setDeleted(true);
        const QByteArray bytes = DocumentFile::Serialize(DocumentBuilder::Capture(window));
        // Paths container at the end: tag 5000, length 4, count 0.
        QCOMPARE(bytes.right(12).toHex(), QByteArray("881300000400000000000000"));
        DocumentData data;
        QString error;
        QVERIFY2(DocumentFile::Parse(bytes, &data, &error), qPrintable(error));
        QCOMPARE(data.layers.size(), 1);
        QCOMPARE(data.layers.first().name, QStringLiteral("kept")); // the parser holds the count to the records
    }

    void openedDocumentCannotBeUndoneAway()
    {
        DocumentData data;
        QString error;
        QVERIFY(DocumentFile::Parse(sampleFile(), &data, &error));
        std::unique_ptr<Document> window(DocumentBuilder::Build(data, cqtest::scratchStore()));
        QCOMPARE(window->undoStack()->count(), 1);
        QCOMPARE(window->undoStack()->index(), 1);
        QCOMPARE(window->CountLayers(), 3);
    }

    void truncatedAtEveryByte()
    {
        const QByteArray full = sampleFile();
        DocumentData data;
        QString error;
        QVERIFY(DocumentFile::Parse(full, &data, &error));
        for (int n = 0; n < full.size(); ++n) {
            DocumentData untouched;
            error.clear();
            QVERIFY2(!DocumentFile::Parse(full.left(n), &untouched, &error), qPrintable(QString::number(n)));
            QVERIFY(!error.isEmpty());
            QVERIFY(untouched.layers.isEmpty() && !untouched.canvas.isValid());
        }
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray good = sampleFile();
        auto patched = [&good](int at, qint32 value) {
            QByteArray b = good;
            qToLittleEndian(value, b.data() + at);
            return b;
        };
        const int layersAt = good.indexOf(QByteArray::fromHex("b80b0000"));
        const int pngAt = good.indexOf(QByteArray::fromHex("a80f0000"));
        const qint32 pngLength = qFromLittleEndian<qint32>(good.constData() + pngAt + 4);

        QTest::newRow("empty") << QByteArray() << "not a Chromaquill";
        QTest::newRow("wrong magic") << patched(0, 0x1337D00E) << "not a Chromaquill";
        QTest::newRow("png file") << png100(cqtest::patternImage(3, 3, 1)) << "not a Chromaquill";
        QTest::newRow("version length past end") << patched(8, 0x7fffffff) << "claims";
        QTest::newRow("negative length") << patched(8, -5) << "claims";
        QTest::newRow("layer list length too long") << patched(layersAt + 4, good.size()) << "claims";
        QTest::newRow("layer count lies high") << patched(layersAt + 8, 4) << "says 4 layers but holds 3";
        QTest::newRow("layer count lies low") << patched(layersAt + 8, 1) << "more layers";
        QTest::newRow("layer count negative") << patched(layersAt + 8, -1) << "no valid count";
        QTest::newRow("canvas negative") << patched(25, -9) << "canvas size";
        QTest::newRow("canvas absurd") << patched(25, 40000) << "canvas size";
        QTest::newRow("canvas too many pixels") << patched(25, 30000).replace(29, 4, Bytes::I(30000)) << "canvas size";
        QTest::newRow("kind unknown") << patched(layersAt + 28, 7) << "unknown kind";

        QByteArray garbage = good;
        for (int i = 0; i < pngLength; ++i)
            garbage[pngAt + 8 + i] = char(i * 37);
        QTest::newRow("png garbage") << garbage << "not a readable PNG";
        QByteArray cut = good;
        // Keep the header, damage the compressed data.
        for (int i = 60; i < pngLength - 20; ++i)
            cut[pngAt + 8 + i] = char(0xA5 ^ i);
        QTest::newRow("png damaged data") << cut << "pixels of layer 1";

        const QByteArray layers = Bytes::List(4000, {Bytes::Raster(png100(cqtest::patternImage(2, 2, 1)))});
        const QByteArray noPaths = Bytes::List(6000, {});
        const QByteArray canvas = Bytes::Ints({2, 2});
        QTest::newRow("layer before canvas")
            << Bytes::File({{3000, layers}, {2000, canvas}, {5000, noPaths}}) << "before the canvas";
        Bytes noKindLayer;
        noKindLayer.rec(4002, "nameless");
        QTest::newRow("layer without kind")
            << Bytes::File({{2000, canvas}, {3000, Bytes::List(4000, {noKindLayer.b})}, {5000, noPaths}})
            << "does not say what kind";
        QTest::newRow("layer outside list") << Bytes::File({{2000, canvas}, {4000, Bytes::Raster(png100(cqtest::patternImage(2, 2, 1)))}})
                                            << "outside the layer list";
        // A layer PNG cut inside its last chunk's checksum, the lengths around it
        // patched to match: the chunk walk must count the 4 checksum bytes.
        const QByteArray whole = png100(cqtest::patternImage(2, 2, 1));
        for (int cut = 1; cut <= 4; ++cut)
            QTest::addRow("png cut %d bytes into the last checksum", cut)
                << Bytes::File({{2000, canvas}, {3000, Bytes::List(4000, {Bytes::Raster(whole.chopped(cut))})},
                                {5000, noPaths}})
                << "layer 1";
        // A tiny PNG whose header claims 20000 x 20000: refused by its size, never allocated.
        const QByteArray claiming = cqtest::claimingSize(png100(cqtest::patternImage(2, 2, 5)), 20000, 20000);
        QTest::newRow("png claiming 20000 x 20000")
            << Bytes::File({{2000, canvas}, {3000, Bytes::List(4000, {Bytes::Raster(claiming)})}, {5000, noPaths}})
            << "too large";
        QTest::newRow("unknown tag is skipped")
            << Bytes::File({{2000, canvas}, {9999, "future record"}, {3000, layers}, {5000, noPaths}}) << QString();
    }

    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        DocumentData data;
        QString error;
        const bool bParsed = DocumentFile::Parse(bytes, &data, &error);
        if (reason.isEmpty()) {
            QVERIFY2(bParsed, qPrintable(error));
            return;
        }
        QVERIFY(!bParsed);
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(data.layers.isEmpty());

        // Through the file level as well: nothing is built.
        const QString path = QDir::temp().filePath(QStringLiteral("bad.cq"));
        QVERIFY(cqtest::writeFile(path, bytes));
        error.clear();
        QVERIFY(!DocumentBuilder::Load(path, cqtest::scratchStore(), &error));
        QVERIFY(!error.isEmpty());
    }

    void fuzzRegressions()
    {
        const QDir dir(qEnvironmentVariable("CQ_TEST_DATA") + QStringLiteral("/docfile"));
        const QStringList files = dir.entryList(QDir::Files);
        QVERIFY2(!files.isEmpty(), qPrintable(dir.path()));
        for (const QString &name : files) {
            DocumentData data;
            QString error;
            // Each of these once crashed or misbehaved; now each parses or is
            // refused with a reason.
            if (!DocumentFile::Parse(cqtest::readFile(dir.filePath(name)), &data, &error))
                QVERIFY2(!error.isEmpty(), qPrintable(name));
        }
    }

    void cqtoolInspectAndConvert()
    {
        QTemporaryDir dir;
        const QString doc = dir.filePath(QStringLiteral("sample.cq"));
        QVERIFY(cqtest::writeFile(doc, sampleFile()));
        cqtest::ToolRun run = cqtest::runCqtool({"inspect", doc});
        QCOMPARE(run.code, 0);
        const QByteArray &out = run.out;
        const QList<QByteArray> lines = out.split('\n');
        QVERIFY2(lines.contains("canvas 9 x 7"), out.constData());
        QVERIFY2(lines.contains("layers 3"), out.constData());
        QVERIFY2(out.contains("layer 1: raster \"Back\" blend Normal (0) opacity 1 visible z 0 pos 0,0 size 9 x 7"),
                 out.constData());
        QVERIFY2(out.contains("layer 2: raster \"New Layer\" blend Normal (0) opacity 1 visible z 1 pos 2,1 size 5 x 3"),
                 out.constData());
        QVERIFY2(out.contains("layer 3: text \"New Layer\""), out.constData());
        QVERIFY2(out.contains("paths 1\npath 1: \"P\" start 1,1 points 1"), out.constData());

        // .cq to .cq writes what Save writes.
        const QString copy = dir.filePath(QStringLiteral("copy.cq"));
        QCOMPARE(cqtest::runCqtool({"convert", doc, copy}).code, 0);
        QCOMPARE(cqtest::readFile(copy).toHex(), cqtest::readFile(doc).toHex());

        // .cq to .png is the flattened document as export draws it.
        const QString flat = dir.filePath(QStringLiteral("flat.png"));
        QCOMPARE(cqtest::runCqtool({"convert", doc, flat}).code, 0);
        DocumentData data;
        QString error;
        QVERIFY(DocumentFile::Parse(sampleFile(), &data, &error));
        std::unique_ptr<Document> window(DocumentBuilder::Build(data, cqtest::scratchStore()));
        // Composed premultiplied, as the window composes, then made straight.
        QImage expected(9, 7, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        {
            QPainter painter(&expected);
            window->RenderTo(&painter);
        }
        expected.convertTo(QImage::Format_ARGB32);
        QCOMPARE(cqtest::differingPixels(QImage(flat).convertToFormat(QImage::Format_ARGB32), expected), 0);

        // An image becomes a one-layer document named after the file.
        const QString image = dir.filePath(QStringLiteral("pic.png"));
        QVERIFY(cqtest::patternImage(6, 5, 3).save(image));
        const QString fromImage = dir.filePath(QStringLiteral("pic.cq"));
        QCOMPARE(cqtest::runCqtool({"convert", image, fromImage}).code, 0);
        run = cqtest::runCqtool({"inspect", fromImage});
        QVERIFY2(run.out.contains("layers 1\nlayer 1: raster \"pic.png\""), run.out.constData());

        // Failures: one line on stderr, non-zero exit.
        const QString bad = dir.filePath(QStringLiteral("bad.cq"));
        QVERIFY(cqtest::writeFile(bad, sampleFile().left(50)));
        for (const QStringList &args : {QStringList{"inspect", bad}, QStringList{"convert", bad, flat},
                                        QStringList{"convert", doc, dir.filePath("no/such/dir.png")},
                                        QStringList{"inspect", dir.filePath("missing.cq")}}) {
            run = cqtest::runCqtool(args);
            QVERIFY(run.code != 0);
            QVERIFY2(run.err.endsWith('\n') && run.err.count('\n') == 1, run.err.constData());
            QVERIFY(run.out.isEmpty());
        }
    }
};

QTEST_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"
