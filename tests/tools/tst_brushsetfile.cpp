// Brush-set files: the bytes written, what older and newer sets hold, and
// damaged files.
#include "BrushSetFile.h"
#include "CQBrush.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <zlib.h>
#include <cstring>

namespace {

// Builds set bytes by hand, independently of the writer.
struct Bytes {
    QByteArray data;
    Bytes &int32(qint32 v)
    {
        char b[4];
        qToBigEndian(v, b);
        data.append(b, 4);
        return *this;
    }
    Bytes &real(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        char b[8];
        qToBigEndian(bits, b);
        data.append(b, 8);
        return *this;
    }
    Bytes &text(const QString &s)
    {
        int32(qint32(s.size() * 2));
        for (QChar c : s) {
            char b[2];
            qToBigEndian(c.unicode(), b);
            data.append(b, 2);
        }
        return *this;
    }
    Bytes &png(const QImage &image)
    {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly | QIODevice::Append);
        QImageWriter(&buffer, "png").write(image);
        return *this;
    }
    Bytes &header(int count) { return int32(0x1337D00D).int32(1000).int32(count); }
    Bytes &setting(const QString &key, double dDefault, double dValue) { return text(key).real(dDefault).real(dValue); }
};

struct Parsed {
    QList<CQBrush *> brushes;
    QString error;
    bool ok = false;
    explicit Parsed(const QByteArray &bytes) { ok = BrushSetFile::Parse(bytes, &brushes, &error); }
    ~Parsed() { qDeleteAll(brushes); }
};

} // namespace

class TestBrushSetFile : public QObject
{
    Q_OBJECT
private slots:
    void writesGoldenBytes()
    {
        CQBrush brush;
        brush.SetName(QStringLiteral("Sponge é"));
        const QImage tip = cqtest::patternImage(5, 3, 1);
        brush.SetImage(tip);
        brush.SetValue(CQBrush::Spacing, 0.5);
        brush.SetValue(CQBrush::HueJitter, 30);
        brush.SetSavedDefault(CQBrush::AngleJitter, 45);

        Bytes expected;
        expected.header(1).text(QStringLiteral("Sponge é")).int32(1).png(tip).int32(9);
        const double values[9] = {0.5, 0, 0, 30, 0, 0, 0, 0, 0};
        const char *keys[9] = {"Spacing", "ScatterX", "ScatterY", "HueJitter", "SaturationJitter",
                               "LightnessJitter", "OpacityJitter", "AngleJitter", "SizeJitter"};
        for (int i = 0; i < 9; ++i)
            expected.setting(QLatin1String(keys[i]), i == 7 ? 45.0 : -1.0, values[i]);
        QCOMPARE(BrushSetFile::Serialize({&brush}), expected.data);

        QCOMPARE(BrushSetFile::Serialize({}), Bytes().header(0).data);
        CQBrush empty; // a brush without a tip cannot be written
        QVERIFY(BrushSetFile::Serialize({&brush, &empty}).isEmpty());
    }

    void roundTrip()
    {
        CQBrush a, b;
        a.SetName(QStringLiteral("Hard"));
        a.SetImage(cqtest::patternImage(9, 9, 2));
        b.SetName(QString());
        b.SetImage(cqtest::patternImage(1, 17, 3));
        for (int i = 0; i < CQBrush::SettingCount; ++i) {
            b.SetValue(CQBrush::Setting(i), CQBrush::MaximumValue(CQBrush::Setting(i)) / (i + 2));
            b.SetSavedDefault(CQBrush::Setting(i), i * 0.25);
        }
        Parsed parsed(BrushSetFile::Serialize({&a, &b}));
        QVERIFY2(parsed.ok, qPrintable(parsed.error));
        QCOMPARE(parsed.brushes.size(), 2);
        QCOMPARE(parsed.brushes[0]->Name(), QStringLiteral("Hard"));
        QCOMPARE(cqtest::differingPixels(parsed.brushes[0]->Tip(), a.Tip()), 0);
        QCOMPARE(cqtest::differingPixels(parsed.brushes[1]->Tip(), b.Tip()), 0);
        for (int i = 0; i < CQBrush::SettingCount; ++i) {
            QCOMPARE(parsed.brushes[1]->Value(CQBrush::Setting(i)), b.Value(CQBrush::Setting(i)));
            QCOMPARE(parsed.brushes[1]->SavedDefault(CQBrush::Setting(i)), i * 0.25);
            QCOMPARE(parsed.brushes[0]->SavedDefault(CQBrush::Setting(i)), -1.0);
        }
    }

    void fewerAndMoreSettings()
    {
        Bytes bytes;
        bytes.header(2);
        // An older brush: three settings, in another order.
        bytes.text(QStringLiteral("old")).int32(1).png(cqtest::patternImage(4, 4, 4)).int32(3);
        bytes.setting(QStringLiteral("AngleJitter"), 10, 20).setting(QStringLiteral("Spacing"), -1, 0.75);
        bytes.setting(QStringLiteral("ScatterY"), 5, 6);
        // A newer brush: two unknown settings among the nine.
        bytes.text(QStringLiteral("new")).int32(1).png(cqtest::patternImage(6, 2, 5)).int32(11);
        bytes.setting(QStringLiteral("Flow"), 1e300, -7);
        for (int i = 0; i < CQBrush::SettingCount; ++i) {
            bytes.setting(CQBrush::SettingKey(CQBrush::Setting(i)), -1, i * 0.25);
            if (i == 4)
                bytes.setting(QStringLiteral("Wetness"), 2, 3);
        }
        Parsed parsed(bytes.data);
        QVERIFY2(parsed.ok, qPrintable(parsed.error));
        QCOMPARE(parsed.brushes.size(), 2);
        const CQBrush *pOld = parsed.brushes[0];
        QCOMPARE(pOld->Value(CQBrush::AngleJitter), 20.0);
        QCOMPARE(pOld->SavedDefault(CQBrush::AngleJitter), 10.0);
        QCOMPARE(pOld->Value(CQBrush::Spacing), 0.75);
        QCOMPARE(pOld->Value(CQBrush::ScatterY), 6.0);
        for (CQBrush::Setting s : {CQBrush::ScatterX, CQBrush::HueJitter, CQBrush::SizeJitter}) {
            QCOMPARE(pOld->Value(s), CQBrush::InitialValue(s));
            QCOMPARE(pOld->SavedDefault(s), -1.0);
        }
        const CQBrush *pNew = parsed.brushes[1];
        QCOMPARE(pNew->Name(), QStringLiteral("new"));
        for (int i = 0; i < CQBrush::SettingCount; ++i)
            QCOMPARE(pNew->Value(CQBrush::Setting(i)), i * 0.25);
        QCOMPARE(pNew->Tip().size(), QSize(6, 2));
    }

    void damagedSetsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QImage tip = cqtest::patternImage(3, 3, 6);
        auto record = [&](Bytes &b) -> Bytes & { return b.text(QStringLiteral("b")).int32(1).png(tip).int32(0); };

        QTest::newRow("empty") << QByteArray() << "not a brush set";
        QTest::newRow("wrong magic") << Bytes().int32(0x1337D00E).int32(1000).int32(0).data << "not a brush set";
        QTest::newRow("header cut") << Bytes().int32(0x1337D00D).int32(1000).data << "header";
        QTest::newRow("negative count") << Bytes().header(-1).data << "brush count";
        QTest::newRow("count beyond bytes") << Bytes().header(1000).text(QStringLiteral("b")).int32(1).png(tip).int32(0).data
                                            << "brush count";
        { Bytes b; b.header(1); record(b); b.data.replace(12, 4, QByteArray::fromHex("7fffffff")); // name length
          QTest::newRow("huge name") << b.data << "name of brush 1"; }
        { Bytes b; b.header(1).int32(3).data.append("abc"); b.int32(1).png(tip).int32(0);
          QTest::newRow("odd name length") << b.data << "name of brush 1"; }
        QTest::newRow("no tip") << Bytes().header(1).text(QStringLiteral("b")).int32(0).int32(0).png(tip).data << "no tip";
        { Bytes b; b.header(1).text(QStringLiteral("b")).int32(1).data.append("\x89PNG\r\n\x1a\n garbage that is no chunk at all, long enough");
          b.int32(0).int32(0).int32(0).int32(0).int32(0);
          QTest::newRow("not png") << b.data << "not a readable PNG"; }
        {
            // A valid PNG whose header claims 40000 x 40000 pixels.
            Bytes b;
            b.header(1).text(QStringLiteral("b")).int32(1).png(tip).int32(0);
            const qsizetype ihdr = b.data.indexOf("IHDR");
            qToBigEndian<quint32>(40000, b.data.data() + ihdr + 4);
            qToBigEndian<quint32>(40000, b.data.data() + ihdr + 8);
            // The header's checksum follows, or the chunk is merely damaged.
            const quint32 crc = quint32(::crc32(0, reinterpret_cast<const Bytef *>(b.data.constData() + ihdr), 17));
            qToBigEndian<quint32>(crc, b.data.data() + ihdr + 17);
            b.int32(0).int32(0).int32(0).int32(0).int32(0);
            QTest::newRow("huge tip") << b.data << "too large";
        }
        {
            Bytes b;
            b.header(1).text(QStringLiteral("b")).int32(1).png(tip);
            b.int32(1 << 20);
            for (int i = 0; i < 20; ++i)
                b.int32(0);
            QTest::newRow("setting count") << b.data << "setting count of brush 1";
        }
        {
            Bytes b;
            b.header(1).text(QStringLiteral("b")).int32(1).png(tip).int32(2).setting(QStringLiteral("Spacing"), 1, 1);
            b.int32(-5).real(0).real(0);
            QTest::newRow("bad key") << b.data << "setting of brush 1";
        }
    }

    void damagedSetsAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        Parsed parsed(bytes);
        QVERIFY(!parsed.ok);
        QVERIFY2(parsed.error.contains(reason), qPrintable(parsed.error));
        QVERIFY(parsed.brushes.isEmpty());
    }

    void everyTruncationIsRefused()
    {
        CQBrush a, b;
        a.SetName(QStringLiteral("first"));
        a.SetImage(cqtest::patternImage(4, 5, 7));
        b.SetName(QStringLiteral("second"));
        b.SetImage(cqtest::patternImage(3, 2, 8));
        const QByteArray whole = BrushSetFile::Serialize({&a, &b});
        for (qsizetype n = 0; n < whole.size(); ++n) {
            Parsed parsed(whole.left(n));
            QVERIFY2(!parsed.ok, qPrintable(QStringLiteral("accepted the first %1 bytes").arg(n)));
        }
        QVERIFY(Parsed(whole).ok);
    }

    void flippedBytesNeverCrash()
    {
        CQBrush a;
        a.SetName(QStringLiteral("x"));
        a.SetImage(cqtest::patternImage(6, 6, 9));
        const QByteArray whole = BrushSetFile::Serialize({&a, &a});
        QRandomGenerator rng(42);
        // libpng prints its complaints about the damaged images; they are expected.
        for (int round = 0; round < 400; ++round) {
            QByteArray bytes = whole;
            for (int k = 0; k < 3; ++k)
                bytes[rng.bounded(int(bytes.size()))] = char(rng.bounded(256));
            Parsed parsed(bytes); // refused or accepted, never a crash
            if (parsed.ok)
                QCOMPARE(parsed.brushes.size(), 2);
        }
    }

    void fileWriteIsAtomic()
    {
        QTemporaryDir dir;
        CQBrush a;
        a.SetName(QStringLiteral("kept"));
        a.SetImage(cqtest::patternImage(2, 2, 10));
        const QString path = dir.filePath(QStringLiteral("nested/set.cqb"));
        QString error;
        QVERIFY2(BrushSetFile::Write(path, {&a}, &error), qPrintable(error));
        // A failed write leaves the old file as it was.
        CQBrush broken;
        QVERIFY(!BrushSetFile::Write(path, {&broken}, &error));
        QVERIFY(!error.isEmpty());
        QList<CQBrush *> read;
        QVERIFY2(BrushSetFile::Read(path, &read, &error), qPrintable(error));
        QCOMPARE(read.size(), 1);
        QCOMPARE(read[0]->Name(), QStringLiteral("kept"));
        qDeleteAll(read);

        QVERIFY(!BrushSetFile::Read(dir.filePath(QStringLiteral("missing.cqb")), &read, &error));
        QVERIFY(!error.isEmpty());
    }

    // The default set as the build copies it beside the executables.
    void shippedSetIsComplete()
    {
        const QString path = qEnvironmentVariable("CQ_BINARY_DIR") + QStringLiteral("/Brushes/CQ_default.cqb");
        QList<CQBrush *> brushes;
        QString error;
        QVERIFY2(BrushSetFile::Read(path, &brushes, &error), qPrintable(path + QStringLiteral(": ") + error));
        QStringList names;
        bool bAllPaint = true;
        for (const CQBrush *pBrush : brushes) {
            names << pBrush->Name();
            // Every tip lays down paint somewhere, and its saved defaults are its settings.
            bool bOpaque = false;
            for (int y = 0; y < pBrush->Tip().height() && !bOpaque; ++y)
                for (int x = 0; x < pBrush->Tip().width() && !bOpaque; ++x)
                    bOpaque = qAlpha(pBrush->Tip().pixel(x, y)) > 128;
            bAllPaint = bAllPaint && bOpaque && pBrush->SavedDefault(CQBrush::Spacing) == pBrush->Value(CQBrush::Spacing);
        }
        qDeleteAll(brushes);
        QVERIFY(names.size() >= 12);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        QVERIFY(bAllPaint);
    }
};

QTEST_MAIN(TestBrushSetFile)
#include "tst_brushsetfile.moc"
