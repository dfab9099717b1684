// The OpenCL report: every platform in full, each device under its own name
// with its real figures, the same in the dialog and from cqtool.
#include "OpenCLReport.h"
#include "SystemInfoDlg.h"
#include "TestSupport.h"

#include <QPlainTextEdit>
#include <QtTest>

namespace {
const QString kSeparator = QStringLiteral("\n\n--------------------------\n\n");
} // namespace

class TestSystemInfo : public QObject
{
    Q_OBJECT

private slots:
    void noPlatformReport();
    void reportShowsEveryPlatformAndDevice();
    void dialogAndCqtoolShowTheReport();
};

void TestSystemInfo::noPlatformReport()
{
    QCOMPARE(openCLReport({}, {}), QStringLiteral("Available Platforms\n\n\n--------------------------\n\nAvailable Devices\n"));
}

void TestSystemInfo::reportShowsEveryPlatformAndDevice()
{
    const QList<QCLPlatform> platforms = QCLPlatform::platforms();
    const QList<QCLDevice> devices = QCLDevice::allDevices();
    QVERIFY2(!platforms.isEmpty() && !devices.isEmpty(), "no OpenCL platform or device");

    const QString report = openCLReport(platforms, devices);
    QCOMPARE(report, openCLReport());
    const int devicesAt = report.indexOf(kSeparator + QStringLiteral("Available Devices\n"));
    QVERIFY(devicesAt > 0);

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

    const QStringList deviceSections = report.mid(devicesAt + kSeparator.size() + 18).split(kSeparator).mid(1);
    QCOMPARE(deviceSections.size(), devices.size());
    for (int i = 0; i < devices.size(); ++i) {
        const QString &section = deviceSections[i];
        QVERIFY(section.startsWith(QStringLiteral("Name:") + devices[i].name() + "\n"));
        QVERIFY(section.endsWith('\n'));
        QVERIFY(section.contains(QStringLiteral("\nCompute Units:%1\n").arg(devices[i].computeUnits())));
        const QString type = devices[i].deviceType().testFlag(QCLDevice::GPU) ? "GPU" : "CPU";
        QVERIFY(section.contains("\nDevice Type: " + type + "\n"));
    }
}

void TestSystemInfo::dialogAndCqtoolShowTheReport()
{
    SystemInfoDlg dialog;
    auto *text = dialog.findChild<QPlainTextEdit *>(QStringLiteral("OpenCLInfo"));
    QVERIFY(text);
    QCOMPARE(text->toPlainText(), openCLReport());

    const cqtest::ToolRun info = cqtest::runCqtool({QStringLiteral("info")});
    QCOMPARE(info.code, 0);
    QCOMPARE(QString::fromUtf8(info.out), openCLReport());
    for (const QStringList &args : {QStringList{}, QStringList{QStringLiteral("bogus")},
                                    QStringList{QStringLiteral("info"), QStringLiteral("extra")}}) {
        const cqtest::ToolRun run = cqtest::runCqtool(args);
        QVERIFY(run.code > 0);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY(run.err.startsWith("cqtool: "));
    }
}

QTEST_MAIN(TestSystemInfo)
#include "tst_systeminfo.moc"
