// The native file's limits and failures, away from any window: large
// documents reopen, a failed encoding never reaches the disk, text layers
// come back sanitised, memory running out is reported, files are replaced
// atomically, and cqtool keeps its one line of error.
#include "AtomicFile.h"
#include "DocumentDataSupport.h"
#include "DocumentFile.h"
#include "HtmlSanitizer.h"
#include "ImageFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>
#include <sys/stat.h>

namespace {

// A layer that is one colour but for a few marked pixels: cheap to encode
// at any size, and every pixel still checked on the way back.
QImage markedImage(int width, int height, int seed)
{
    QImage image = cqtest::filledImage(width, height, qRgba(seed * 40, 255 - seed, 128, 200));
    image.setPixel(0, 0, qRgba(1, 2, 3, 4));
    image.setPixel(width - 1, height - 1, qRgba(seed, 0, 255, 0));
    image.setPixel(width / 2, height / 3, qRgba(9, 8, 7, 255));
    return image;
}

} // namespace

class TestDocumentIo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What the window lets a user build must open again: only each layer
    // is limited, not the document as a whole.
    void largeDocumentsReopen_data()
    {
        QTest::addColumn<int>("layers");
        QTest::addColumn<int>("side");
        QTest::newRow("nine of 4096 x 4096") << 9 << 4096;
        QTest::newRow("two of 10000 x 10000") << 2 << 10000;
    }
    void largeDocumentsReopen()
    {
        QFETCH(int, layers);
        QFETCH(int, side);
        DocumentData data;
        data.canvas = QSize(side, side);
        for (int i = 0; i < layers; ++i)
            data.layers.append(cqtest::rasterRecord(markedImage(side, side, i), i));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.cq"));
        QString error;
        QVERIFY2(DocumentFile::WriteFile(path, DocumentFile::Serialize(data), &error), qPrintable(error));
        data = DocumentData();

        DocumentData back;
        QVERIFY2(DocumentFile::ReadFile(path, &back, &error), qPrintable(error));
        QCOMPARE(back.layers.size(), layers);
        for (int i = 0; i < layers; ++i)
            QCOMPARE(cqtest::differingPixels(back.layers[i].image, markedImage(side, side, i)), 0);
    }

    // A layer whose encoding failed (memory ran out) fails the save and
    // leaves the old file as it was; nothing with an empty record is written.
    void failedEncodingKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keep.cq"));
        DocumentData data;
        data.canvas = QSize(4, 4);
        data.layers.append(cqtest::rasterRecord(markedImage(4, 4, 1), 0));
        QString error;
        QVERIFY(DocumentFile::WriteFile(path, DocumentFile::Serialize(data), &error));
        const QByteArray old = cqtest::readFile(path);

        data.layers.append(cqtest::rasterRecord(markedImage(4, 4, 2), 1));
        data.layers.last().png.clear();
        error.clear();
        QVERIFY(DocumentFile::Serialize(data, &error).isEmpty());
        QVERIFY2(error.contains(QStringLiteral("layer 2")), qPrintable(error));
        error.clear();
        QVERIFY(!DocumentFile::WriteFile(path, DocumentFile::Serialize(data), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(cqtest::readFile(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"keep.cq"}));
    }

    // Text layers from a file come back bounded and without anything that
    // would read the user's files; over-long text refuses the document.
    void textLayersComeBackSanitised()
    {
        // (What the sanitiser keeps and drops is tst_richtext's.)
        DocumentData data;
        data.canvas = QSize(50, 50);
        data.layers.append(cqtest::textRecord(QStringLiteral("<p>Hi<img src=\"/some/local/file.png\"></p>")));
        DocumentData back;
        QString error;
        QVERIFY2(DocumentFile::Parse(DocumentFile::Serialize(data), &back, &error), qPrintable(error));
        const QString html = back.layers.value(0).html;
        QVERIFY(!html.contains(QStringLiteral("/some/local/file")) && html.contains(QStringLiteral("Hi")));

        data.layers[0].html = QString(HtmlSanitizer::kMaxLength + 1, QLatin1Char('a'));
        QVERIFY(!DocumentFile::Parse(DocumentFile::Serialize(data), &back, &error));
        QVERIFY2(error.contains(QStringLiteral("longer")), qPrintable(error));
    }

    // A document larger than the memory there is: the reader says so, in
    // one line, instead of crashing (cqtool under an address-space limit).
    void runningOutOfMemoryIsReported()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address-space limit cannot be combined with AddressSanitizer's shadow memory");
#endif
        QTemporaryDir dir;
        DocumentData data;
        data.canvas = QSize(12000, 12000);
        for (int i = 0; i < 2; ++i)
            data.layers.append(cqtest::rasterRecord(markedImage(12000, 12000, i), i));
        const QString big = dir.filePath(QStringLiteral("big.cq"));
        QString error;
        QVERIFY(DocumentFile::WriteFile(big, DocumentFile::Serialize(data), &error));
        data.canvas = QSize(8, 8);
        data.layers = {cqtest::rasterRecord(markedImage(8, 8, 0), 0)};
        const QString small = dir.filePath(QStringLiteral("small.cq"));
        QVERIFY(DocumentFile::WriteFile(small, DocumentFile::Serialize(data), &error));

        const auto limit = [] {
            struct rlimit r;
            getrlimit(RLIMIT_AS, &r);
            r.rlim_cur = rlim_t(1200) << 20;
            setrlimit(RLIMIT_AS, &r);
        };
        const cqtest::ToolRun fine = cqtest::runCqtool({QStringLiteral("inspect"), small}, limit);
        QVERIFY2(fine.code == 0, fine.err.constData());
        const cqtest::ToolRun run = cqtest::runCqtool({QStringLiteral("inspect"), big}, limit);
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains("memory") && run.err.count('\n') == 1, run.err.constData());
    }

    void atomicWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.bin"));
        QString error;
        QVERIFY(AtomicFile::Write(path, "first", &error));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(AtomicFile::Write(path, "second", &error));
        QCOMPARE(cqtest::readFile(path), QByteArray("second"));
        const QFile::Permissions mask = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup
                                        | QFile::ReadOther | QFile::WriteOther;
        QCOMPARE(QFile::permissions(path) & mask, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

        // Through a link, the file it names is replaced and the link stays.
        const QString link = dir.filePath(QStringLiteral("link.bin"));
        QVERIFY(QFile::link(path, link));
        QVERIFY(AtomicFile::Write(link, "third", &error));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(cqtest::readFile(path), QByteArray("third"));
        // A chain of links (relative, then absolute) is followed to its end.
        const QString chain = dir.filePath(QStringLiteral("chain.bin"));
        QVERIFY(QFile::link(QStringLiteral("link.bin"), chain));
        QVERIFY(AtomicFile::Write(chain, "fourth", &error));
        QVERIFY(QFileInfo(chain).isSymLink() && QFileInfo(link).isSymLink());
        QCOMPARE(cqtest::readFile(path), QByteArray("fourth"));
        QVERIFY(QFile::remove(chain));
        // What a killed save left is removed by the next; one that a save
        // still writes (it holds the lock), a name that is not ours, or a
        // link, stays.
        for (const char *name : {"a.bin.k3x9a.tmp", "a.bin.live.tmp", "a.bin.Q.tmp", "b.bin.k3x9a.tmp"})
            QVERIFY(cqtest::writeFile(dir.filePath(QString::fromLatin1(name)), "old"));
        const int liveFd = ::open(QFile::encodeName(dir.filePath(QStringLiteral("a.bin.live.tmp"))).constData(), O_RDONLY);
        QVERIFY(liveFd >= 0 && ::flock(liveFd, LOCK_EX) == 0);
        QVERIFY(QFile::link(path, dir.filePath(QStringLiteral("a.bin.zz.tmp"))));
        QVERIFY(AtomicFile::Write(path, "third", &error));
        ::close(liveFd);
        const QStringList kept({"a.bin.live.tmp", "a.bin.Q.tmp", "a.bin.zz.tmp", "b.bin.k3x9a.tmp"});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList({"a.bin"}) + kept + QStringList({"link.bin"}));
        for (const QString &name : kept)
            QVERIFY(QFile::remove(dir.filePath(name)));

        // Stopped half-way by a file-size limit: the old bytes stay, no
        // temporary file is left, and the reason is the system's.
        bool bWritten = true;
        QVERIFY(cqtest::withFileSizeLimit(64 * 1024, [&] {
            bWritten = AtomicFile::Write(path, QByteArray(200 * 1024, 'x'), &error);
        }));
        QVERIFY(!bWritten);
        QCOMPARE(error, QStringLiteral("File too large"));
        QCOMPARE(cqtest::readFile(path), QByteArray("third"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList({"a.bin", "link.bin"}));

        QVERIFY(!AtomicFile::Write(dir.filePath(QStringLiteral("missing/x.bin")), "x", &error));
        QCOMPARE(error, QStringLiteral("No such file or directory"));
    }

    // Damaged images and documents: exactly one line on stderr, whatever the
    // decoding libraries would have printed.
    void cqtoolPrintsOneLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("suffix");
        const QImage picture = cqtest::patternImage(64, 64, 3, false);
        const QByteArray png = cqtest::encodedImage(picture, "png");
        QTest::newRow("png cut short") << png.left(png.size() / 2) << "png";
        QByteArray badCrc = png;
        badCrc[40] = char(badCrc[40] ^ 0x40);
        QTest::newRow("png with a bad check") << badCrc << "png";
        QTest::newRow("png text chunk of 2 GiB") << QByteArray::fromHex(
            "89504e470d0a1a0a0000000d49484452000000010000000108060000001f15c4897ffffff074455874616263")
                                                 << "png";

        // A JPEG whose header claims 16000 x 16000 and whose data stops early.
        QByteArray jpeg = cqtest::encodedImage(picture, "jpg");
        const qsizetype sof = jpeg.indexOf("\xff\xc0");
        QVERIFY(sof > 0);
        qToBigEndian<quint16>(16000, jpeg.data() + sof + 5);
        qToBigEndian<quint16>(16000, jpeg.data() + sof + 7);
        QTest::newRow("jpeg cut short, claims 16000 x 16000") << jpeg.left(jpeg.size() * 2 / 3) << "jpg";
        const QByteArray bmp = cqtest::encodedImage(picture, "bmp");
        QTest::newRow("bmp cut short") << bmp.left(bmp.size() / 2) << "bmp";
        if (QImageWriter::supportedImageFormats().contains("tiff")) {
            QByteArray tiff = cqtest::encodedImage(picture, "tiff");
            for (qsizetype i = 8; i < tiff.size(); i += 7)
                tiff[i] = char(tiff[i] ^ 0x5a);
            QTest::newRow("tiff scrambled") << tiff << "tif";
        }
        QTest::newRow("gif garbage") << QByteArray("GIF89a\x40\x00\x40\x00garbage", 17) << "gif";
        QTest::newRow("document cut short") << DocumentFile::Serialize(DocumentFile::FromImage(picture, "x")).left(90)
                                            << "cq";
    }
    void cqtoolPrintsOneLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, suffix);
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.") + suffix);
        QVERIFY(cqtest::writeFile(in, bytes));
        QString error;
        QVERIFY(suffix == QLatin1String("cq") || ImageFile::Read(in, &error).isNull());
        const cqtest::ToolRun run = cqtest::runCqtool({QStringLiteral("convert"), in, dir.filePath(QStringLiteral("out.png"))});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.startsWith("cqtool: " + QFile::encodeName(in)) && run.err.count('\n') == 1
                     && run.err.endsWith('\n'),
                 run.err.constData());
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("out.png"))));
    }

    // A full disk is named as such (in a private mount namespace with a
    // tiny memory file system).
    void fullDiskIsNamed()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("noise.png"));
        QVERIFY(cqtest::writeFile(in, cqtest::encodedImage(cqtest::patternImage(300, 300, 4), "png")));
        const QString mount = dir.filePath(QStringLiteral("mnt"));
        QVERIFY(QDir().mkdir(mount));
        const cqtest::ToolRun probe = cqtest::runProgram(QStringLiteral("unshare"), {"-rm", "sh", "-c", "mount -t tmpfs -o size=64k tmpfs \"$0\"", mount});
        if (probe.code != 0)
            QSKIP("no private mount namespace here to fill a disk in");
        for (const QString &name : {QStringLiteral("out.cq"), QStringLiteral("out.png")}) {
            const QString out = mount + QLatin1Char('/') + name;
            const cqtest::ToolRun run = cqtest::runProgram(QStringLiteral("unshare"),
                                    {"-rm", "sh", "-c", "mount -t tmpfs -o size=64k tmpfs \"$0\" && exec \"$1\" convert \"$2\" \"$3\"",
                                     mount, cqtest::cqtoolPath(), in, out});
            QCOMPARE(run.code, 1);
            QCOMPARE(QString::fromLocal8Bit(run.err), QStringLiteral("cqtool: %1: No space left on device\n").arg(out));
        }
    }
};

QTEST_MAIN(TestDocumentIo)
#include "tst_documentio.moc"
