// OpenRaster archives: a document travels .cq -> .ora -> .cq keeping every
// layer attribute, text layer, style and path; the merged image is what
// export draws; archives in the shapes other programs write open with the
// right pixels; hostile archives are refused.
#include "DocTestSupport.h"
#include "DocumentDataSupport.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "OraArchive.h"
#include "OraFormat.h"
#include "Path.h"
#include "PngDecoder.h"
#include "ScratchDB.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Entry {
    QString name;
    QByteArray data;
    bool bDeflate = false;
};

QByteArray archive(const QList<Entry> &entries)
{
    OraArchiveWriter zip;
    for (const Entry &e : entries)
        zip.Add(e.name, e.data, e.bDeflate);
    QString error;
    return zip.Finish(&error);
}

QByteArray png(const QImage &image)
{
    return cqtest::encodedImage(image, "png");
}

// An archive of stack.xml (the <stack> children given) and PNGs.
QByteArray oraOf(const QString &stack, const QList<Entry> &pngs, const QSize &size = QSize(8, 8))
{
    QList<Entry> entries{{QStringLiteral("mimetype"), "image/openraster"}};
    entries.append({QStringLiteral("stack.xml"),
                    QStringLiteral("<?xml version='1.0'?><image w='%1' h='%2' version='0.0.5'><stack>%3</stack></image>")
                        .arg(size.width()).arg(size.height()).arg(stack).toUtf8(),
                    true});
    entries.append(pngs);
    return archive(entries);
}

// Patches every copy of a 16-bit field of an entry's headers: local header
// (method at 8) and central directory (method at 10).
void patchMethod(QByteArray &zip, const QByteArray &name, quint16 method)
{
    for (const auto &[signature, offset, nameAt] : {std::tuple{QByteArray("PK\x03\x04"), 8, 30},
                                                    std::tuple{QByteArray("PK\x01\x02"), 10, 46}}) {
        for (qsizetype at = zip.indexOf(signature); at >= 0; at = zip.indexOf(signature, at + 4))
            if (zip.mid(at + nameAt, name.size()) == name)
                qToLittleEndian<quint16>(method, zip.data() + at + offset);
    }
}

// The uncompressed size the central directory declares for an entry.
void patchSize(QByteArray &zip, const QByteArray &name, quint32 size)
{
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4))
        if (zip.mid(at + 46, name.size()) == name)
            qToLittleEndian<quint32>(size, zip.data() + at + 24);
    for (qsizetype at = zip.indexOf("PK\x03\x04"); at >= 0; at = zip.indexOf("PK\x03\x04", at + 4))
        if (zip.mid(at + 30, name.size()) == name)
            qToLittleEndian<quint32>(size, zip.data() + at + 22);
}

// An entry of an archive; empty (and a failure logged) when it cannot be read.
QByteArray entry(const QByteArray &zipBytes, const char *name)
{
    OraArchiveReader zip;
    QByteArray data;
    QString error;
    if (!zip.Open(zipBytes, &error) || !zip.Read(QString::fromLatin1(name), 8 << 20, &data, &error))
        qWarning("%s: %s", name, qPrintable(error));
    return data;
}

bool parse(const QByteArray &bytes, DocumentData *pData, QString *pError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.ora"));
    return cqtest::writeFile(path, bytes) && DocumentFile::ReadFile(path, pData, pError);
}

} // namespace

class TestOpenRaster : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { cqtest::startScratch(); }

    void roundTripKeepsEverything()
    {
        std::unique_ptr<Document> pSource = richDocument();
        const QString ora = m_tmp.filePath(QStringLiteral("rich.ora")), cq = m_tmp.filePath(QStringLiteral("back.cq")),
                      direct = m_tmp.filePath(QStringLiteral("direct.cq"));
        QString error;
        QStringList notes;
        QVERIFY2(DocumentBuilder::Save(ora, *pSource, &error, &notes), qPrintable(error));
        std::unique_ptr<Document> pOra(DocumentBuilder::Load(ora, cqtest::scratchStore(), &error));
        QVERIFY2(pOra, qPrintable(error));
        // And on to the native file, which must hold what the original would.
        QVERIFY2(DocumentBuilder::Save(cq, *pOra, &error), qPrintable(error));
        // Every layer attribute, pixel, style record and path: the same bytes.
        QVERIFY2(DocumentBuilder::Save(direct, *pSource, &error), qPrintable(error));
        QCOMPARE(cqtest::readFile(cq).toHex(), cqtest::readFile(direct).toHex());
        QCOMPARE(pOra->Flattened(), pSource->Flattened());

        // One line per layer that degrades, naming why; none for a plain document.
        const QStringList expectedNotes = {
            "Layer \"Base\": other programs show its styles as a separate layer, \"Shadow of Base\".",
            "Layer \"Excl\": Exclusion has no standard name; other programs show it as Normal; it reaches outside the "
            "canvas; other programs cut it at the image edge.",
            "Layer \"Mult\": it reaches outside the canvas; other programs cut it at the image edge.",
            "Layer \"Plus\": some programs show Plus as Normal.",
            "Layer \"Title\": other programs see the text as pixels only; other programs show its styles as a separate "
            "layer, \"Glow of Title\"; it reaches outside the canvas; other programs cut it at the image edge.",
            "Layer \"Xor\": Xor has no standard name; other programs show it as Normal; it reaches outside the canvas; "
            "other programs cut it at the image edge."};
        QCOMPARE(notes, expectedNotes);
        Document plain(QSize(8, 8), cqtest::scratchStore());
        plain.CreateLayer(Layer::Raster);
        QVERIFY2(DocumentBuilder::Save(ora, plain, &error, &notes), qPrintable(error));
        QVERIFY2(notes.isEmpty(), qPrintable(notes.join(QLatin1Char('\n'))));
    }

    void archiveShape()
    {
        std::unique_ptr<Document> pSource = richDocument();
        const QString path = m_tmp.filePath(QStringLiteral("shape.ora"));
        QString error;
        QVERIFY2(DocumentBuilder::Save(path, *pSource, &error), qPrintable(error));
        const QByteArray bytes = cqtest::readFile(path);
        // The mimetype first, stored, with no extra field, as readers sniff it.
        QCOMPARE(bytes.mid(26, 4), QByteArray("\x08\0\0\0", 4));
        QCOMPARE(bytes.mid(30, 24), QByteArray("mimetypeimage/openraster"));
        QVERIFY(OraFormat::LooksLikeOra(bytes));
        // Top layer first; the drawn styles directly under their layer.
        const QString xml = QString::fromUtf8(entry(bytes, "stack.xml"));
        const qsizetype title = xml.indexOf(QLatin1String("name=\"Title\"")),
                        glow = xml.indexOf(QLatin1String("name=\"Glow of Title\"")),
                        plus = xml.indexOf(QLatin1String("name=\"Plus\"")),
                        shadow = xml.indexOf(QLatin1String("name=\"Shadow of Base\"")),
                        base = xml.indexOf(QLatin1String("name=\"Base\""));
        QVERIFY2(title > 0 && title < glow && glow < plus && plus < base && base < shadow, qPrintable(xml));
        QVERIFY(xml.contains(QLatin1String("composite-op=\"chromaquill:exclusion\"")));
        QVERIFY(xml.contains(QLatin1String("composite-op=\"svg:multiply\"")));
        QVERIFY(xml.contains(QLatin1String("x=\"-7\"")));
        QCOMPARE(PngDecoder::Decode(entry(bytes, "mergedimage.png")).image, pSource->Flattened());
        QCOMPARE(PngDecoder::Decode(entry(bytes, "Thumbnails/thumbnail.png")).image.size(), QSize(40, 30));

        // A file that cannot be written whole leaves the old one as it was.
        bool bWritten = true;
        QVERIFY(cqtest::withFileSizeLimit(1000, [&] { bWritten = DocumentBuilder::Save(path, *pSource, &error); }));
        QVERIFY(!bWritten);
        QVERIFY2(error.contains(QLatin1String("File too large")), qPrintable(error));
        QCOMPARE(cqtest::readFile(path), bytes);
        QCOMPARE(QDir(m_tmp.path()).entryList({QStringLiteral("shape.ora*")}, QDir::Files | QDir::Hidden),
                 QStringList({"shape.ora"}));

        // Plain raster layers are flattened beside their encoding: the same
        // picture. A large canvas gets a thumbnail of at most 256 a side, aspect kept.
        Document wide(QSize(1000, 300), cqtest::scratchStore());
        for (int i = 0; i < 3; ++i) {
            PixmapLayer *pLayer =
                cqtest::addRasterLayer(&wide, cqtest::patternImage(900 - 100 * i, 250, quint32(i + 7)), {40.0 * i, 20.0 * i});
            pLayer->setBlendingMode(i == 1 ? 13 : 0);
        }
        QVERIFY2(DocumentBuilder::Save(path, wide, &error), qPrintable(error));
        const QByteArray wideBytes = cqtest::readFile(path);
        QCOMPARE(PngDecoder::Decode(entry(wideBytes, "Thumbnails/thumbnail.png")).image.size(), QSize(256, 76));
        QCOMPARE(PngDecoder::Decode(entry(wideBytes, "mergedimage.png")).image, wide.Flattened());
    }

    void otherWritersShapes()
    {
        const QRgb red = qRgba(255, 0, 0, 255), blue = qRgba(0, 0, 255, 255);
        QImage deep(3, 2, QImage::Format_RGBA64);
        deep.fill(Qt::transparent);
        deep.setPixelColor(1, 1, QColor::fromRgba64(0x1234, 0xabcd, 0, 0xffff));
        QImage grey(2, 2, QImage::Format_Grayscale8);
        grey.fill(77);
        QImage palette(2, 2, QImage::Format_Indexed8);
        palette.setColorTable({qRgba(1, 2, 3, 255), qRgba(9, 8, 7, 128)});
        palette.fill(1);
        const QByteArray bytes = oraOf(
            // Top first: an isolated half-opaque group of blue over red, a hidden
            // plain group, a plain group that moves its layers, then layers at
            // offsets.
            "<stack name='Group' opacity='0.5' isolation='isolate' composite-op='svg:src-over'>"
            "  <layer name='blue' src='data/b.png' x='1' y='1' opacity='0.5'/>"
            "  <layer name='red' src='data/r.png'/></stack>"
            "<stack name='Hidden' visibility='hidden'><layer name='inHidden' src='data/r.png'/></stack>"
            "<stack x='1'><layer name='deep' src='data/deep.png' x='-3' y='5' composite-op='svg:xor'/>"
            "  <unknown-element/><layer name='grey' src='data/grey.png' composite-op='krita:exclusion' futureattr='1'/></stack>"
            "<layer name='old hidden' src='data/pal.png' opacity='0'/>"
            "<layer name='clear' src='data/pal.png' opacity='0' visibility='visible'/>"
            "<layer name='odd' src='data/big.png' x='-4' y='-3' composite-op='svg:hue'/>"
            "<layer name='dodge' src='data/pal.png' composite-op='svg:color-dodge'/>",
            {{"data/b.png", png(cqtest::filledImage(2, 2, blue).convertToFormat(QImage::Format_RGB32))}, {"data/r.png", png(cqtest::filledImage(4, 4, red))},
             {"data/deep.png", png(deep)}, {"data/grey.png", png(grey)}, {"data/pal.png", png(palette)},
             {"data/big.png", png(cqtest::filledImage(20, 20, qRgba(0, 255, 0, 40)))}});
        DocumentData data;
        QString error;
        QVERIFY2(parse(bytes, &data, &error), qPrintable(error));
        QStringList names;
        for (auto l = data.layers.crbegin(); l != data.layers.crend(); ++l)
            names << l->name;
        QCOMPARE(names, QStringList({"Group", "inHidden", "deep", "grey", "old hidden", "clear", "odd", "dodge"}));
        auto layer = [&](const char *name) {
            for (const LayerData &l : std::as_const(data.layers))
                if (l.name == QLatin1String(name))
                    return l;
            return LayerData();
        };
        // The group: composed at full strength, its own opacity on the layer.
        const LayerData group = layer("Group");
        QCOMPARE(group.opacity, 0.5);
        QCOMPARE(group.pos, QPointF(0, 0));
        QCOMPARE(group.image.size(), QSize(4, 4));
        QCOMPARE(group.image.pixel(0, 0), red);
        const QRgb mixed = group.image.pixel(2, 2);
        QVERIFY2(qAbs(qRed(mixed) - 128) <= 1 && qGreen(mixed) == 0 && qAbs(qBlue(mixed) - 128) <= 1 && qAlpha(mixed) == 255,
                 qPrintable(QString::number(mixed, 16)));
        QCOMPARE(layer("inHidden").visible, false);
        const LayerData d = layer("deep");
        QCOMPARE(d.pos, QPointF(-2, 5));
        QCOMPARE(d.blendingMode, 11);
        QCOMPARE(d.image.pixel(1, 1), qRgba(18, 171, 0, 255));
        QCOMPARE(d.image.pixel(0, 0), 0u);
        QCOMPARE(layer("grey").blendingMode, 23);
        QCOMPARE(layer("grey").pos, QPointF(1, 0));
        QCOMPARE(layer("grey").image.pixel(1, 1), qRgba(77, 77, 77, 255));
        QCOMPARE(layer("old hidden").visible, false);
        QCOMPARE(layer("old hidden").opacity, 1.0);
        QCOMPARE(layer("old hidden").image.pixel(0, 0), qRgba(9, 8, 7, 128));
        QCOMPARE(layer("clear").visible, true);
        QCOMPARE(layer("clear").opacity, 0.0);
        QCOMPARE(layer("odd").blendingMode, 0);
        QCOMPARE(layer("odd").image.size(), QSize(20, 20));
        QCOMPARE(layer("dodge").blendingMode, 18);
        QCOMPARE(data.notes, QStringList({"\"odd\" (svg:hue)"}));

        // Built as a document: the stacking order follows the file.
        std::unique_ptr<Document> pDocument(DocumentBuilder::Build(data, cqtest::scratchStore()));
        QCOMPARE(pDocument->LayerAtRow(0)->name(), QStringLiteral("Group"));
        QCOMPARE(pDocument->LayerAtRow(7)->name(), QStringLiteral("dodge"));
    }

    void hostileArchivesRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray onePng = png(cqtest::filledImage(2, 2, qRgba(1, 2, 3, 4)));
        const QString one = QStringLiteral("<layer name='a' src='data/a.png'/>");
        QTest::newRow("missing src") << oraOf(QStringLiteral("<layer name='a' src='data/none.png'/>"), {{"data/a.png", onePng}})
                                     << "does not hold";
        QTest::newRow("dot-dot name") << oraOf(one, {{"data/a.png", onePng}, {"data/../../evil", "x"}}) << "outside itself";
        QTest::newRow("absolute name") << oraOf(one, {{"data/a.png", onePng}, {"/etc/evil", "x"}}) << "outside itself";
        QString many;
        for (int i = 0; i <= OraFormat::kMaxLayers; ++i)
            many += one;
        QTest::newRow("too many layers") << oraOf(many, {{"data/a.png", onePng}}) << "more than 10000 layers";
        QTest::newRow("too deep") << oraOf(QString("<stack>").repeated(64) + one + QString("</stack>").repeated(64),
                                           {{"data/a.png", onePng}})
                                  << "nested more than 64";
        // A header promising 16384 x 16384 pixels, named nine times.
        QByteArray header("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x40\0\0\0\x40\0\x08\x06\0\0\0", 29);
        QTest::newRow("named too often")
            << oraOf(QStringLiteral("<layer name='a' src='data/h.png'/>").repeated(9), {{"data/h.png", header}})
            << "more pixels than";
        // Past what a text layer may hold: refused before the engine lays it out.
        const QString list = QStringLiteral("<ul>") + QStringLiteral("<li>a</li>").repeated(2049) + QStringLiteral("</ul>");
        QTest::newRow("text of 2049 list items")
            << oraOf(QStringLiteral("<layer xmlns:c='%1' c:text='%2' name='t' src='data/a.png'/>")
                         .arg(QLatin1String(OraFormat::kNamespace), list.toHtmlEscaped()),
                     {{"data/a.png", onePng}})
            << "holds more list items";
        QTest::newRow("huge canvas") << oraOf(one, {{"data/a.png", onePng}}, QSize(40000, 2)) << "not supported";
        QTest::newRow("not xml") << oraOf("<layer", {{"data/a.png", onePng}}) << "well-formed";
        QTest::newRow("entities") << archive({{"mimetype", "image/openraster"},
                                              {"stack.xml", "<!DOCTYPE x [<!ENTITY a 'aaaa'>]><image w='1' h='1'><stack/></image>"}})
                                  << "document type";
        QTest::newRow("not png") << oraOf(one, {{"data/a.png", "GIF89a...."}}) << "not readable";
        QTest::newRow("other mimetype") << archive({{"mimetype", "application/zip"}, {"stack.xml", "<image/>"}})
                                        << "not an OpenRaster";
        QByteArray bzip = oraOf(one, {{"data/a.png", onePng}});
        patchMethod(bzip, "data/a.png", 12);
        QTest::newRow("bzip2 entry") << bzip << "method 12";
        QByteArray bomb = oraOf(one, {{"data/a.png", onePng}});
        patchSize(bomb, "stack.xml", 0xfffffff0u);
        QTest::newRow("declared too large") << bomb << "too large";
        QByteArray longer = oraOf(one, {{"data/a.png", onePng}});
        patchSize(longer, "stack.xml", 20);
        QTest::newRow("longer than declared") << longer << "not what the archive says";
    }

    void hostileArchivesRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        DocumentData data;
        QString error;
        QVERIFY(!parse(bytes, &data, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(data.layers.isEmpty());
    }

    void cqtoolConvertsAndTells()
    {
        // Duplicate names: the first entry is the one read.
        QByteArray dup = oraOf(QStringLiteral("<layer name='a' src='data/a.png'/>"),
                               {{"data/a.png", png(cqtest::filledImage(2, 2, qRgba(5, 6, 7, 255)))},
                                {"data/b.png", png(cqtest::filledImage(2, 2, qRgba(9, 9, 9, 255)))}});
        dup.replace("data/b.png", "data/a.png");
        const QString in = m_tmp.filePath(QStringLiteral("dup.ora")), cq = m_tmp.filePath(QStringLiteral("dup.cq")),
                      out = m_tmp.filePath(QStringLiteral("again.ora")), flat = m_tmp.filePath(QStringLiteral("flat.png"));
        QVERIFY(cqtest::writeFile(in, dup));
        cqtest::ToolRun run = cqtest::runCqtool({QStringLiteral("convert"), in, cq});
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.isEmpty());
        run = cqtest::runCqtool({QStringLiteral("convert"), cq, flat});
        QCOMPARE(run.code, 0);
        QCOMPARE(QImage(flat).pixel(1, 1), qRgba(5, 6, 7, 255));

        // An Exclusion layer: one line on standard output, and inspect lists it.
        std::unique_ptr<Document> pDocument = std::make_unique<Document>(QSize(4, 4), cqtest::scratchStore());
        pDocument->CreateLayer(Layer::Raster)->setBlendingMode(23);
        QString error;
        QVERIFY2(DocumentBuilder::Save(cq, *pDocument, &error), qPrintable(error));
        run = cqtest::runCqtool({QStringLiteral("convert"), cq, out});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QByteArray("Layer \"New Layer\": Exclusion has no standard name; other programs show it as Normal.\n"));
        run = cqtest::runCqtool({QStringLiteral("inspect"), out});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out.contains("layer 1: raster \"New Layer\" blend Exclusion (23)"), run.out.constData());
        // A refused archive: one line naming the file.
        QVERIFY(cqtest::writeFile(in, dup.left(dup.size() / 2)));
        run = cqtest::runCqtool({QStringLiteral("inspect"), in});
        QCOMPARE(run.code, 1);
        QVERIFY(run.err.startsWith("cqtool: " + QFile::encodeName(in)) && run.err.count('\n') == 1);
    }

private:
    std::unique_ptr<Document> richDocument()
    {
        auto pDocument = std::make_unique<Document>(QSize(40, 30), cqtest::scratchStore());
        const QList<QPair<int, QString>> modes = {{0, "Base"}, {23, "Excl"}, {11, "Xor"}, {13, "Mult"}, {12, "Plus"}};
        for (int i = 0; i < modes.size(); ++i) {
            PixmapLayer *pLayer = cqtest::addRasterLayer(pDocument.get(), cqtest::patternImage(20 + i, 10 + i, quint32(i + 1)));
            pLayer->setName(modes[i].second);
            pLayer->setBlendingMode(modes[i].first);
            pLayer->SetOpacityPercent(100 - 10 * i);
            pLayer->setPos(QPointF(i == 2 ? -7 : 3 * i, i == 3 ? 25 : i));
            pLayer->setVisible(i != 4);
        }
        // Fractional positions and stacking values as moves and reordering leave them.
        pDocument->GetLayers(true)[1]->setPos(QPointF(2.5, -1.25));
        pDocument->GetLayers(true)[2]->setZValue(7.5);
        auto *pStyled = pDocument->GetLayers(true)[0];
        pStyled->styles().dropShadow().setDistance(4);
        pStyled->styles().dropShadow().setColor(QColor(10, 20, 30, 180));
        pStyled->styles().dropShadow().setEnabled(true);
        pStyled->styles().outerGlow().setDistance(3); // kept while off
        auto *pText = static_cast<TextLayer *>(pDocument->CreateLayer(Layer::Text));
        pText->setHtml(QStringLiteral("<p>Hi <b>there</b> &amp; \"you\"</p>"));
        pText->setDefaultTextColor(QColor(200, 10, 10, 220));
        pText->setPos(QPointF(4, 6));
        pText->setName(QStringLiteral("Title"));
        pText->styles().outerGlow().setEnabled(true);
        auto *pPath = new Path(QStringLiteral("route"));
        pPath->AddItem({PathItem::MoveTo, {1, 2}, {1, 2}, {}, {}});
        pPath->AddItem({PathItem::LineTo, {9, 8}, {9, 8}, {}, {}});
        pDocument->AddPath(pPath);
        return pDocument;
    }

    QTemporaryDir m_tmp;
};

QTEST_MAIN(TestOpenRaster)
#include "tst_openraster.moc"
