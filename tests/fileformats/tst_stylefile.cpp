// Layer styles in the document file: the exact bytes of a document with both
// styles, a save and open that brings them back, records of styles we do not
// know kept and damaged ones skipped, and cqtool drawing them as the window.
#include "DocTestSupport.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "FileBytes.h"
#include "LayerStyleMgr.h"
#include "LayerStyleRecord.h"
#include "PngEncoder.h"
#include "ScratchDB.h"
#include "StyleTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Bytes = cqtest::DocBytes;
using cqtest::naiveGlow;
using cqtest::naiveMask;
using cqtest::offByMoreThan;
using cqtest::shapeImage;

class TestStyleFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { cqtest::startScratch(); }

    void goldenBytes()
    {
        Document document(QSize(6, 4), cqtest::scratchStore());
        const QImage image = cqtest::patternImage(6, 4, 3);
        PixmapLayer *pLayer = cqtest::addRasterLayer(&document, image);
        pLayer->styles().dropShadow().setAngle(45);
        pLayer->styles().dropShadow().setDistance(7);
        pLayer->styles().dropShadow().setOpacity(200);
        pLayer->styles().dropShadow().setColor(QColor(1, 2, 3, 200));
        pLayer->styles().dropShadow().setEnabled(true);
        pLayer->styles().outerGlow().setDistance(11);
        pLayer->styles().outerGlow().setOpacity(99);
        pLayer->styles().outerGlow().setColor(QColor(250, 251, 252, 99));
        const QString path = m_tmp.filePath(QStringLiteral("golden-styles.cq"));
        QString error;
        QVERIFY2(DocumentBuilder::Save(path, document, &error), qPrintable(error));

        Bytes layer;
        layer.rec(4001, Bytes::I(0));
        layer.rec(4002, "New Layer");
        layer.rec(4003, Bytes::I(0));
        layer.rec(4004, Bytes::D(1));
        layer.rec(4005, QByteArray(1, '\1'));
        layer.rec(4006, Bytes::D(0));
        layer.rec(4007, Bytes::D(0) + Bytes::D(0));
        layer.rec(4008, PngEncoder::Encode(image));
        layer.rec(7000, Bytes::Style("Drop Shadow", true, Bytes::Ints({45, 7, 200, 1, 2, 3, 200})));
        layer.rec(7000, Bytes::Style("Outter Glow", false, Bytes::Ints({11, 99, 250, 251, 252, 99})));
        const QByteArray expected =
            Bytes::File({{2000, Bytes::Ints({6, 4})}, {3000, Bytes::List(4000, {layer.b})}, {5000, Bytes::I(0)}});
        QCOMPARE(cqtest::readFile(path).toHex(), expected.toHex());
    }

    void saveAndOpen()
    {
        std::unique_ptr<Document> pSource = styledDocument();
        const QString path = m_tmp.filePath(QStringLiteral("round.cq"));
        QString error;
        QVERIFY2(DocumentBuilder::Save(path, *pSource, &error), qPrintable(error));
        std::unique_ptr<Document> pRead(DocumentBuilder::Load(path, cqtest::scratchStore(), &error));
        QVERIFY2(pRead, qPrintable(error));
        const QList<Layer *> before = pSource->GetLayers(true), after = pRead->GetLayers(true);
        QCOMPARE(after.size(), before.size());
        for (int i = 0; i < before.size(); ++i)
            QCOMPARE(after[i]->styles().State(), before[i]->styles().State());
        const LayerDropShadow &shadow = after[0]->styles().dropShadow();
        QVERIFY(shadow.isEnabled());
        QCOMPARE(shadow.angle(), 45);
        QCOMPARE(shadow.color(), QColor(1, 2, 3, 200));
        QVERIFY(after[1]->styles().outerGlow().isEnabled());
        QCOMPARE(cqtest::differingPixels(pRead->Flattened(), pSource->Flattened()), 0);
        // Opening is not an edit.
        QVERIFY(!pRead->IsModified());
    }

    void unknownAndDamagedRecords_data()
    {
        const QByteArray shadow = Bytes::Ints({90, 12, 255, 9, 8, 7, 255});
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<bool>("kept");     // written back as it came
        QTest::addColumn<bool>("applied");  // the drop shadow took it
        QTest::newRow("a style we do not know") << Bytes::Style("Bevel", true, Bytes::Ints({1, 2})) << true << false;
        QTest::newRow("a good drop shadow") << Bytes::Style("Drop Shadow", true, shadow) << false << true;
        QByteArray flag = Bytes::Style("Drop Shadow", true, shadow);
        flag[flag.indexOf("Drop Shadow") + 19] = 2;
        QTest::newRow("enabled flag 2") << flag << false << false;
        QTest::newRow("parameters cut short") << Bytes::Style("Drop Shadow", true, shadow.left(24)) << false << false;
        QTest::newRow("angle out of range")
            << Bytes::Style("Drop Shadow", true, Bytes::Ints({360, 12, 255, 9, 8, 7, 255})) << false << false;
        QTest::newRow("distance out of range")
            << Bytes::Style("Drop Shadow", true, Bytes::Ints({90, 100000, 255, 9, 8, 7, 255})) << false << false;
        QTest::newRow("colour out of range")
            << Bytes::Style("Drop Shadow", true, Bytes::Ints({90, 12, 255, 9, 8, 256, 255})) << false << false;
        QByteArray version = Bytes::Style("Drop Shadow", true, shadow);
        version.replace(version.indexOf(QByteArray::fromHex("5b1b0000")) + 8, 4, Bytes::I(2));
        QTest::newRow("a later version") << version << false << false;
        QByteArray longName = Bytes::Style("Drop Shadow", true, shadow);
        longName.replace(4, 4, Bytes::I(5000));
        QTest::newRow("name longer than the record") << longName << false << false;
        QTest::newRow("no name") << Bytes::Ints({7002, 1}) + QByteArray(1, '\1') << false << false;
        QTest::newRow("half a field header") << Bytes::Style("Drop Shadow", true, shadow) + Bytes::I(7005) << false << false;
    }

    void unknownAndDamagedRecords()
    {
        QFETCH(QByteArray, record);
        QFETCH(bool, kept);
        QFETCH(bool, applied);
        DocumentData data = DocumentFile::FromImage(cqtest::patternImage(20, 10, 5), QStringLiteral("L"));
        const QByteArray glow = Bytes::Style("Outter Glow", true, Bytes::Ints({4, 255, 0, 0, 255, 255}));
        data.layers[0].styleRecords = {record, glow};
        DocumentData read;
        QString error;
        // The file itself is sound: a bad style never refuses the document.
        QVERIFY2(DocumentFile::Parse(DocumentFile::Serialize(data), &read, &error), qPrintable(error));
        std::unique_ptr<Document> pDocument(DocumentBuilder::Build(read, cqtest::scratchStore()));
        Layer *pLayer = pDocument->GetLayers(true).first();
        const LayerDropShadow &shadow = pLayer->styles().dropShadow();
        QCOMPARE(shadow.isEnabled(), applied);
        QCOMPARE(shadow.angle(), applied ? 90 : 0);
        QCOMPARE(shadow.distance(), applied ? 12 : 3);
        // The record after it is read whatever came before.
        QVERIFY(pLayer->styles().outerGlow().isEnabled());
        QCOMPARE(pLayer->styles().outerGlow().color(), QColor(0, 0, 255));

        const QList<QByteArray> written = DocumentBuilder::Capture(*pDocument).layers[0].styleRecords;
        QCOMPARE(written.contains(record), kept || applied);
        QCOMPARE(written.size(), kept ? 3 : 2);
        for (const QByteArray &payload : written) {
            LayerStyleRecord parsed;
            QVERIFY(LayerStyleRecord::Parse(payload, &parsed));
        }
    }

    void cqtoolDrawsAndKeepsStyles()
    {
        std::unique_ptr<Document> pDocument = styledDocument();
        // One record of a style this program does not have rides along.
        DocumentData data = DocumentBuilder::Capture(*pDocument);
        const QByteArray unknown = Bytes::Style("Satin", true, Bytes::Ints({3}));
        data.layers[0].styleRecords.append(unknown);
        const QString in = m_tmp.filePath(QStringLiteral("styled.cq"));
        QString error;
        QVERIFY2(DocumentFile::WriteFile(in, DocumentFile::Serialize(data), &error), qPrintable(error));

        auto run = [](const QStringList &args) { return cqtest::runCqtool(args).code == 0; };
        const QString png = m_tmp.filePath(QStringLiteral("styled.png"));
        QVERIFY(run({QStringLiteral("convert"), in, png}));
        QImage converted(png);
        QVERIFY(!converted.isNull());

        // The raster layer composed by hand: shadow, glow, pixels; the text
        // layer over it as the document draws it.
        const auto *pLayer = static_cast<const PixmapLayer *>(pDocument->GetLayers(true).first());
        const QImage &image = pLayer->image();
        QImage expected = cqtest::blank(QSize(60, 40));
        {
            QPainter painter(&expected);
            const QPoint at(12, 9);
            painter.drawImage(at + QPoint(-4, 4), naiveMask(image, 200, QColor(1, 2, 3)));
            painter.drawImage(at, naiveGlow(naiveMask(image, 99, QColor(250, 251, 252)), 5));
            painter.drawImage(at, image);
            auto *pText = static_cast<TextLayer *>(pDocument->GetLayers(true).last());
            const QImage text = pText->RenderText();
            painter.drawImage(QPoint(40, 20), naiveGlow(naiveMask(text, 128, QColor(0, 0, 0)), 3));
            painter.drawImage(QPoint(40, 20), text);
        }
        QCOMPARE(offByMoreThan(converted.convertToFormat(QImage::Format_ARGB32_Premultiplied), expected, 1), 0);

    }

private:
    // A 60 x 40 document: a raster layer with both styles, moved, and a text
    // layer with a glow.
    std::unique_ptr<Document> styledDocument()
    {
        auto pDocument = std::make_unique<Document>(QSize(60, 40), cqtest::scratchStore());
        PixmapLayer *pLayer = cqtest::addRasterLayer(pDocument.get(), shapeImage(30, 20, 7, QRect(3, 3, 22, 12)), {12, 9});
        LayerDropShadow &shadow = pLayer->styles().dropShadow();
        shadow.setAngle(45);
        shadow.setDistance(7);
        shadow.setOpacity(200);
        shadow.setColor(QColor(1, 2, 3, 200));
        shadow.setEnabled(true);
        LayerOuterGlow &glow = pLayer->styles().outerGlow();
        glow.setDistance(5);
        glow.setOpacity(99);
        glow.setColor(QColor(250, 251, 252, 99));
        glow.setEnabled(true);
        auto *pText = static_cast<TextLayer *>(pDocument->CreateLayer(Layer::Text));
        pText->setPlainText(QStringLiteral("ok"));
        pText->setPos(QPointF(40, 20));
        pText->styles().outerGlow().setEnabled(true);
        return pDocument;
    }

    QTemporaryDir m_tmp;
};

QTEST_MAIN(TestStyleFile)
#include "tst_stylefile.moc"
