#include "OpenCLReport.h"
#include "SystemInfoDlg.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

namespace {

const QString kSeparator = QStringLiteral("\n\n--------------------------\n\n");

// Line patterns of one device section, in order. "*" lines are a run of
// extension names that ends at the next pattern.
QStringList deviceSectionPatterns()
{
    const QString num = QStringLiteral("\\d+");
    const QString yn = QStringLiteral("(YES|NO)");
    QStringList caps;
    for (const char *c : {"Denorms", "InfinityNaN", "RoundNearest", "RoundZero", "RoundInfinity", "FusedMultiplyAdd"})
        caps << QStringLiteral("\t%1:\t").arg(QLatin1String(c)) + yn;
    QStringList p;
    p << "Name:.*" << "Vendor:.*" << "Version:.*" << "Language Version:.*"
      << "Address Bits:" + num << "Clock frequency:" + num << "Compute Units:" + num
      << "Device Type: (GPU|CPU)" << "Double Capabilities:" << caps << "Driver Version:.*"
      << "Extensions: " << "*" << "Float Capabilities:" << caps
      << "Global Memory Cache Line Size:" + num << "Global Memory Cache Size:" + num
      << "Global Memory Cache Type:(Read/Write|Read Only|None)" << "Global Memory Size:" + num
      << "Half Float Capabilities:" << caps;
    for (const char *b : {"Has Compiler:", "Has Double:", "Has Error Correcting Memory:", "Has Half Float:",
                          "Has Image2D:", "Has Image3D:", "Has Native Kernels:", "Has Out of Order Execution:",
                          "Has Unified Memory:", "Has Writable Image 3D:", "Is Available:",
                          "Is Embedded Profile:", "Is Full Profile:", "Is Local Memory Separate"})
        p << QLatin1String(b) + yn;
    p << "Is NULL:NO" << "Local Memory Size:" + num << "Maximum Allocation Size:" + num
      << "Maximum Constant Arguments:" + num << "Maximum Constant BufferSize:" + num
      << "Maximum Image 2D Size: " << "\tWidth:" + num << "\tHeight:" + num
      << "Maximum Image 3D Size: " << "\tWidth:" + num << "\tHeight:" + num << "\tDepth:" + num
      << "Maximum Parameter Bytes:" + num << "Maximum Read Images:" + num << "Maximum Samplers:" + num
      << "Maximum Work Item Size: " << "\tWidth:" + num << "\tHeight:" + num << "\tDepth:" + num
      << "Maximum Work Items Per Group:" + num << "Maximum Write Images:" + num
      << "Minimum Alignment:" + num << "Native Vector Size:";
    for (const char *v : {"\tChar:", "\tDouble:", "\tFloat:", "\tHalfFloat:", "\tInt:", "\tLong:", "\tShort"})
        p << QLatin1String(v) + num;
    p << "Platform Info:" << "\tVendor:.*" << "\tProfile:.*" << "\tVersion:.*" << "Preferred Vector Size:";
    for (const char *v : {"\tChar:", "\tDouble:", "\tFloat:", "\tHalfFloat:", "\tInt:", "\tLong:", "\tShort:"})
        p << QLatin1String(v) + num;
    p << "Profile:.*" << "Profiling Timer Resolution:" + num;
    return p;
}

bool fullMatch(const QString &pattern, const QString &line)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(line).hasMatch();
}

// Empty when the section has exactly the expected lines; else a description.
QString checkSection(const QString &section, const QStringList &patterns)
{
    QStringList lines = section.split(QLatin1Char('\n'));
    if (lines.isEmpty() || !lines.last().isEmpty())
        return QStringLiteral("section does not end in a newline");
    lines.removeLast();
    int li = 0;
    for (int pi = 0; pi < patterns.size(); ++pi) {
        if (patterns[pi] == QLatin1String("*")) {
            const QString &next = patterns.value(pi + 1);
            while (li < lines.size() && !fullMatch(next, lines[li]) && !lines[li].contains(QLatin1Char(':')))
                ++li;
            continue;
        }
        if (li >= lines.size())
            return QStringLiteral("missing line for ") + patterns[pi];
        if (!fullMatch(patterns[pi], lines[li]))
            return QStringLiteral("line %1 \"%2\" does not match \"%3\"").arg(li).arg(lines[li], patterns[pi]);
        ++li;
    }
    if (li != lines.size())
        return QStringLiteral("extra line \"%1\"").arg(lines[li]);
    return QString();
}

} // namespace

class TestSystemInfo : public QObject
{
    Q_OBJECT

private slots:
    void noPlatformReport();
    void reportLineFormat();
    void dialogShowsReport();
    void cqtoolPrintsReport();
};

void TestSystemInfo::noPlatformReport()
{
    QCOMPARE(openCLReport({}, {}), QStringLiteral("Available Platforms\n\n\n--------------------------\n\nAvailable Devices\n"));
}

void TestSystemInfo::reportLineFormat()
{
    const QList<QCLPlatform> platforms = QCLPlatform::platforms();
    const QList<QCLDevice> devices = QCLDevice::allDevices();
    QVERIFY2(!platforms.isEmpty() && !devices.isEmpty(), "no OpenCL platform or device");
    bool cpuFound = false;
    for (const QCLDevice &d : devices)
        cpuFound = cpuFound || d.deviceType().testFlag(QCLDevice::CPU);
    QVERIFY2(cpuFound, "no OpenCL CPU device");

    const QString report = openCLReport(platforms, devices);
    QCOMPARE(report, openCLReport());
    const int devicesAt = report.indexOf(kSeparator + QStringLiteral("Available Devices\n"));
    QVERIFY(devicesAt > 0);

    // Platform section.
    const QString platformPart = report.left(devicesAt);
    QVERIFY(platformPart.startsWith(QStringLiteral("Available Platforms\n")));
    const QStringList platformSections = platformPart.mid(20).split(kSeparator).mid(1);
    QCOMPARE(platformSections.size(), platforms.size());
    for (int i = 0; i < platforms.size(); ++i) {
        const QCLPlatform &p = platforms[i];
        QString expected = QStringLiteral("Name:") + p.name() + "\nVendor:" + p.vendor() + "\nVersion:"
            + p.version() + "\nExtensions: \n";
        for (const QString &e : p.extensions())
            expected += e + "\n";
        expected += p.isFullProfile() ? "Full Profile: Yes\n" : "Full Profile: No\n";
        QCOMPARE(platformSections[i], expected);
    }

    // Device section.
    const QString devicePart = report.mid(devicesAt + kSeparator.size());
    QVERIFY(devicePart.startsWith(QStringLiteral("Available Devices\n")));
    const QStringList deviceSections = devicePart.mid(18).split(kSeparator).mid(1);
    QCOMPARE(deviceSections.size(), devices.size());
    const QStringList patterns = deviceSectionPatterns();
    for (int i = 0; i < devices.size(); ++i) {
        const QString problem = checkSection(deviceSections[i], patterns);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(deviceSections[i].startsWith(QStringLiteral("Name:") + devices[i].name() + "\n"));
        QVERIFY(deviceSections[i].contains(QStringLiteral("\nCompute Units:%1\n").arg(devices[i].computeUnits())));
        const QString type = devices[i].deviceType().testFlag(QCLDevice::GPU) ? "GPU" : "CPU";
        QVERIFY(deviceSections[i].contains("\nDevice Type: " + type + "\n"));
    }
}

void TestSystemInfo::dialogShowsReport()
{
    SystemInfoDlg dialog;
    QVERIFY(!dialog.windowIcon().isNull());
    auto *tabs = dialog.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    QVERIFY(dialog.findChild<QWidget *>(QStringLiteral("OpenCLTab")));
    auto *text = dialog.findChild<QPlainTextEdit *>(QStringLiteral("OpenCLInfo"));
    QVERIFY(text);
    QCOMPARE(text->toPlainText(), openCLReport());
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    dialog.show();
    emit buttons->accepted();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void TestSystemInfo::cqtoolPrintsReport()
{
    const QString tool = qEnvironmentVariable("CQ_BINARY_DIR") + QStringLiteral("/cqtool");
    QVERIFY2(QFile::exists(tool), "cqtool not built");
    QProcess process;
    process.start(tool, {QStringLiteral("info")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), openCLReport());

    for (const QStringList &args : {QStringList{}, QStringList{QStringLiteral("bogus")},
                                    QStringList{QStringLiteral("info"), QStringLiteral("extra")}}) {
        process.start(tool, args);
        QVERIFY(process.waitForFinished(60000));
        QVERIFY(process.exitCode() != 0);
        QVERIFY(process.readAllStandardOutput().isEmpty());
        const QByteArray err = process.readAllStandardError();
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(err.startsWith("cqtool: "));
    }
}

QTEST_MAIN(TestSystemInfo)
#include "tst_systeminfo.moc"
