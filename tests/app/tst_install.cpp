// An installed Chromaquill: installed into a temporary prefix and moved
// elsewhere, it finds its brush sets, kernels and plug-in in the installed
// places (the package's whole file list is checked by
// scripts/check-package.sh); its desktop entry, document type and metadata pass the
// freedesktop tools (where installed); and the thumbnailer's command draws
// what convert draws, refusing bad sizes and hostile files with one line
// and no file.
#include "DocumentDataSupport.h"
#include "DocumentFile.h"
#include "DocumentThumbnail.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <zlib.h>

namespace {

struct Run {
    int code = -1;
    QString out, err;
};

Run run(const QString &program, const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    Run r;
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = process.exitCode();
    r.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(process.readAllStandardError());
    return r;
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void installedProgramFindsItsData();
    void desktopFilesPassTheirValidators();
    void documentTypeIsKnownByContent();
    void thumbnailIsTheConvertedPictureScaled();
    void thumbnailRefusesBadInput_data();
    void thumbnailRefusesBadInput();

private:
    QString installed(const QString &path) const { return m_prefix + QLatin1Char('/') + path; }
    QString cqtool() const { return installed(QStringLiteral("bin/cqtool")); }

    QTemporaryDir m_dir;
    QString m_prefix;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Installed under one prefix, then moved: nothing may point back.
    const QString staged = m_dir.filePath(QStringLiteral("staged"));
    const Run install = run(QStringLiteral(CQ_CMAKE_COMMAND),
                            {QStringLiteral("--install"), qEnvironmentVariable("CQ_BINARY_DIR"), QStringLiteral("--prefix"), staged});
    QVERIFY2(install.code == 0, qPrintable(install.out + install.err));
    m_prefix = m_dir.filePath(QStringLiteral("moved"));
    QVERIFY(QDir().rename(staged, m_prefix));
}

void TestInstall::installedProgramFindsItsData()
{
    const Run folders = run(cqtool(), {QStringLiteral("folders")});
    QCOMPARE(folders.code, 0);
    const QStringList lines = folders.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QStringLiteral("brushes %1: CQ_default.cqb").arg(installed(QStringLiteral("share/chromaquill/Brushes"))));
    QCOMPARE(lines[2], QStringLiteral("plug-ins %1: Blurs/Soften").arg(installed(QStringLiteral(CQ_PLUGIN_DIR))));
    // The kernels travel inside the program: the installed one filters as the built one does.
    const QString in = m_dir.filePath(QStringLiteral("in.png"));
    QVERIFY(cqtest::patternImage(61, 37, 3).save(in));
    const QStringList args{in, m_dir.filePath(QStringLiteral("installed.png")), QStringLiteral("Blurs/Gaussian"), QStringLiteral("radius=3")};
    const Run filtered = run(cqtool(), QStringList{QStringLiteral("filter")} + args);
    QVERIFY2(filtered.code == 0, qPrintable(filtered.err));
    QStringList built = args;
    built[1] = m_dir.filePath(QStringLiteral("built.png"));
    QCOMPARE(cqtest::runCqtool(QStringList{QStringLiteral("filter")} + built).code, 0);
    QCOMPARE(cqtest::readFile(args[1]), cqtest::readFile(built[1]));
}

void TestInstall::desktopFilesPassTheirValidators()
{
    const struct {
        const char *tool;
        QStringList args;
    } checks[] = {
        {"desktop-file-validate", {installed(QStringLiteral("share/applications/chromaquill.desktop"))}},
        {"appstreamcli", {QStringLiteral("validate"), QStringLiteral("--no-net"),
                          installed(QStringLiteral("share/metainfo/com.kestrelvane.Chromaquill.metainfo.xml"))}},
        {"xmllint", {QStringLiteral("--noout"), installed(QStringLiteral("share/mime/packages/chromaquill.xml"))}},
    };
    int iRan = 0;
    for (const auto &check : checks) {
        const QString tool = QStandardPaths::findExecutable(QLatin1String(check.tool));
        if (tool.isEmpty())
            continue;
        const Run r = run(tool, check.args);
        QVERIFY2(r.code == 0, qPrintable(QLatin1String(check.tool) + QLatin1String(": ") + r.out + r.err));
        ++iRan;
    }
    if (iRan == 0)
        QSKIP("none of the freedesktop validators is installed");
}

void TestInstall::documentTypeIsKnownByContent()
{
    const QString updateMime = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (updateMime.isEmpty())
        QSKIP("shared-mime-info is not installed");
    QCOMPARE(run(updateMime, {installed(QStringLiteral("share/mime"))}).code, 0);
    // A document under a name that says nothing is still ours.
    const QString renamed = m_dir.filePath(QStringLiteral("holiday.dat"));
    DocumentData data;
    data.canvas = QSize(8, 8);
    data.layers << cqtest::rasterRecord(cqtest::patternImage(8, 8, 1), 0);
    QVERIFY(cqtest::writeFile(renamed, DocumentFile::Serialize(data)));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_DIRS"), installed(QStringLiteral("share")) + QStringLiteral(":/usr/share"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("empty-data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("empty-config")));
    env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    qputenv("XDG_DATA_DIRS", env.value(QStringLiteral("XDG_DATA_DIRS")).toLocal8Bit());
    QCOMPARE(QMimeDatabase().mimeTypeForFile(renamed, QMimeDatabase::MatchContent).name(), QStringLiteral("application/x-chromaquill"));
    QCOMPARE(QMimeDatabase().mimeTypeForFile(m_dir.filePath(QStringLiteral("new.cq")), QMimeDatabase::MatchExtension).name(),
             QStringLiteral("application/x-chromaquill"));

    // Double-clicking one opens the editor.
    const QString updateDesktop = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (updateDesktop.isEmpty() || xdgMime.isEmpty())
        QSKIP("desktop-file-utils or xdg-utils is not installed");
    QCOMPARE(run(updateDesktop, {installed(QStringLiteral("share/applications"))}).code, 0);
    const Run query = run(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("application/x-chromaquill")}, env);
    QCOMPARE(query.out.trimmed(), QStringLiteral("chromaquill.desktop"));
}

void TestInstall::thumbnailIsTheConvertedPictureScaled()
{
    DocumentData data;
    data.canvas = QSize(900, 600);
    data.layers << cqtest::rasterRecord(cqtest::patternImage(900, 600, 2, false), 0)
                << cqtest::rasterRecord(cqtest::patternImage(300, 500, 3), 1, QPointF(100, 40), QPainter::CompositionMode_Multiply);
    const QString doc = m_dir.filePath(QStringLiteral("doc.cq"));
    QVERIFY(cqtest::writeFile(doc, DocumentFile::Serialize(data)));
    const QString full = m_dir.filePath(QStringLiteral("full.png")), thumb = m_dir.filePath(QStringLiteral("thumb.png"));
    QCOMPARE(cqtest::runCqtool({QStringLiteral("convert"), doc, full}).code, 0);
    const Run made = run(cqtool(), {QStringLiteral("thumbnail"), doc, thumb, QStringLiteral("128")});
    QVERIFY2(made.code == 0 && made.err.isEmpty(), qPrintable(made.err));
    const QImage picture(thumb);
    QCOMPARE(picture.size(), QSize(128, 85));
    const QImage expected = QImage(full).scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QCOMPARE(cqtest::offByMoreThan(picture.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32), 40), 0);

    // The thumbnailer names files as they are; a renamed document is still one.
    const QString renamed = m_dir.filePath(QStringLiteral("doc.bin"));
    QVERIFY(QFile::copy(doc, renamed));
    const QString again = m_dir.filePath(QStringLiteral("again.png"));
    QCOMPARE(run(cqtool(), {QStringLiteral("thumbnail"), renamed, again, QStringLiteral("128")}).code, 0);
    QCOMPARE(cqtest::readFile(again), cqtest::readFile(thumb));

    // An image is pictured through the same reading as convert.
    const QString image = m_dir.filePath(QStringLiteral("photo.png")), small = m_dir.filePath(QStringLiteral("small.png"));
    QVERIFY(cqtest::patternImage(300, 100, 4).save(image));
    QCOMPARE(run(cqtool(), {QStringLiteral("thumbnail"), image, small, QStringLiteral("30")}).code, 0);
    QCOMPARE(QImage(small).size(), QSize(30, 10));
}

void TestInstall::thumbnailRefusesBadInput_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("message");
    DocumentData data;
    data.canvas = QSize(64, 64);
    data.layers << cqtest::rasterRecord(cqtest::patternImage(64, 64, 5), 0);
    const QByteArray good = DocumentFile::Serialize(data);
    const QString usage = QStringLiteral("cqtool: usage: cqtool thumbnail IN OUT SIZE (see \"cqtool help thumbnail\")");
    QTest::newRow("size 0") << good << "a.cq" << "0" << usage;
    QTest::newRow("size 1025") << good << "a.cq" << "1025" << usage;
    QTest::newRow("size not a number") << good << "a.cq" << "big" << usage;
    QTest::newRow("cut short") << good.left(good.size() / 2) << "a.cq" << "64" << "damaged";
    QTest::newRow("not a document") << QByteArray("plain words") << "a.cq" << "64" << "not a Chromaquill document";
    // An image header claiming a picture no thumbnail may hold.
    QByteArray png = DocumentFile::EncodePng(cqtest::patternImage(2, 2, 6));
    png.replace(16, 8, QByteArray::fromHex("0000753000001f40"));
    qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef *>(png.constData() + 12), 17)), png.data() + 29);
    QTest::newRow("huge image") << png << "b.png" << "64" << "too large";
}

void TestInstall::thumbnailRefusesBadInput()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, name);
    QFETCH(QString, size);
    QFETCH(QString, message);
    const QString in = m_dir.filePath(name), out = m_dir.filePath(QStringLiteral("refused.png"));
    QVERIFY(cqtest::writeFile(in, content));
    const Run r = run(cqtool(), {QStringLiteral("thumbnail"), in, out, size});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(r.err.startsWith(QLatin1String("cqtool: ")) && r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(out));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
