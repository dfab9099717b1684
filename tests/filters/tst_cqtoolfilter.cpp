// `cqtool filter` as a user runs it: results equal the filter's own, the
// selection limits the change, and every bad call is one line, exit 1 and
// no output file.
#include "FilterRegistry.h"
#include "GaussianBlur.h"
#include "KernelFilter.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "SolarizeFilter.h"
#include "TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class CqtoolFilterTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void runsAFilter();
    void selectLimitsTheChange();
    void badCallsWriteNothing_data();
    void badCallsWriteNothing();
    void helpListsEveryFilterAndItsKeys();

private:
    int run(const QStringList &args, QString *pErr = nullptr);
    QTemporaryDir m_dir;
    QString m_in;
    QImage m_image;
};

int CqtoolFilterTest::run(const QStringList &args, QString *pErr)
{
    QProcess p;
    p.start(QString::fromLocal8Bit(qgetenv("CQ_BINARY_DIR")) + QStringLiteral("/cqtool"),
            QStringList{QStringLiteral("filter")} + args);
    if (!p.waitForFinished(120000))
        return -1;
    if (pErr)
        *pErr = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void CqtoolFilterTest::initTestCase()
{
    m_image = cqtest::patternImage(53, 29, 9);
    m_in = m_dir.filePath(QStringLiteral("in.png"));
    QVERIFY(m_image.save(m_in));
}

void CqtoolFilterTest::runsAFilter()
{
    const QString out = m_dir.filePath(QStringLiteral("solarized.png"));
    QCOMPARE(run({m_in, out, QStringLiteral("Solarize"), "red=100", "green=150", "blue=200"}), 0);
    QCOMPARE(QImage(out).convertToFormat(QImage::Format_ARGB32), solarizeReference(m_image, 100, 150, 200));

    // Repeating runs on the same input, so the file holds one application.
    const QString again = m_dir.filePath(QStringLiteral("again.png"));
    QCOMPARE(run({m_in, again, QStringLiteral("Solarize"), "red=100", "green=150", "blue=200", "--repeat", "3"}), 0);
    QCOMPARE(QImage(again), QImage(out));
}

void CqtoolFilterTest::selectLimitsTheChange()
{
    const QString whole = m_dir.filePath(QStringLiteral("whole.png"));
    const QString part = m_dir.filePath(QStringLiteral("part.png"));
    QCOMPARE(run({m_in, whole, QStringLiteral("Blurs/Gaussian"), "radius=6"}), 0);
    QCOMPARE(run({m_in, part, QStringLiteral("Blurs/Gaussian"), "radius=6", "--select", "10,5,20,12"}), 0);
    const QImage w = QImage(whole).convertToFormat(QImage::Format_ARGB32);
    const QImage p = QImage(part).convertToFormat(QImage::Format_ARGB32);
    const QRect rect(10, 5, 20, 12);
    for (int y = 0; y < m_image.height(); ++y)
        for (int x = 0; x < m_image.width(); ++x)
            // Inside, neighbours outside the selection were read as well.
            QCOMPARE(p.pixel(x, y), rect.contains(x, y) ? w.pixel(x, y) : m_image.pixel(x, y));
}

void CqtoolFilterTest::badCallsWriteNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("unknown filter") << QStringList{"Blurs/Nope"} << "Blurs/Nope";
    QTest::newRow("unknown key") << QStringList{"Blurs/Gaussian", "radius=5", "sigma=2"} << "sigma";
    QTest::newRow("missing key") << QStringList{"Posterize", "red=3", "blue=3"} << "green (2 to 64)";
    QTest::newRow("out of range") << QStringList{"Blurs/Box", "size=1"} << "size=1 is out of range (2 to 175)";
    QTest::newRow("short triple") << QStringList{"Image Adjust/Channel Mixer", "red=1,2", "green=0,100,0",
                                                 "blue=0,0,100", "gray=1,1,1", "monochrome=0", "luminosity=0"}
                                  << "red=R,G,B (each -200 to 200)";
    QTest::newRow("given twice") << QStringList{"Blurs/Gaussian", "radius=5", "radius=6"} << "radius is given twice";
    QTest::newRow("not a number") << QStringList{"Blurs/Motion Blur", "angle=ten", "distance=3"} << "angle";
    QTest::newRow("select outside") << QStringList{"Invert Colors", "--select", "500,500,5,5"} << "outside";
    QTest::newRow("bad select") << QStringList{"Invert Colors", "--select", "1,2,3"} << "X,Y,W,H";
    QTest::newRow("bad repeat") << QStringList{"Invert Colors", "--repeat", "0"} << "--repeat";
}

void CqtoolFilterTest::badCallsWriteNothing()
{
    QFETCH(QStringList, args);
    QFETCH(QString, mentions);
    const QString out = m_dir.filePath(QStringLiteral("never.png"));
    QString err;
    QCOMPARE(run(QStringList{m_in, out} + args, &err), 1);
    QVERIFY2(err.contains(mentions), qPrintable(err));
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY(!QFile::exists(out));

    // A missing input file is reported the same way.
    QCOMPARE(run({m_dir.filePath(QStringLiteral("absent.png")), out, QStringLiteral("Invert Colors")}, &err), 1);
    QVERIFY(err.contains(QStringLiteral("absent.png")));
    QVERIFY(!QFile::exists(out));
}

void CqtoolFilterTest::helpListsEveryFilterAndItsKeys()
{
    QProcess p;
    p.start(QString::fromLocal8Bit(qgetenv("CQ_BINARY_DIR")) + QStringLiteral("/cqtool"),
            {QStringLiteral("help"), QStringLiteral("filter")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    QVERIFY(lines.first().startsWith(QStringLiteral("usage: cqtool filter IN OUT NAME")));
    // Every filter the editor offers, with every key a call must give.
    QCLContext context;
    ProgramCache cache(context);
    FilterRegistry registry(cache, nullptr);
    registry.Populate({});
    for (FilterPlugin *pFilter : registry.Filters()) {
        const QString quoted = QLatin1Char('"') + pFilter->GetName() + QLatin1Char('"');
        const auto line = std::find_if(lines.begin(), lines.end(),
                                       [&](const QString &l) { return l.trimmed().startsWith(quoted); });
        QVERIFY2(line != lines.end(), qPrintable(quoted));
        for (const FilterParam &param : qobject_cast<KernelFilter *>(pFilter->GetObject())->Params())
            QVERIFY2(line->contains(param.key), qPrintable(*line));
    }
}

QTEST_MAIN(CqtoolFilterTest)
#include "tst_cqtoolfilter.moc"
