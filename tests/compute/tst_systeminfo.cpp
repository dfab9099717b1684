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
    void reportShowsEveryPlatformAndDevice();
    void dialogAndCqtoolShowTheReport();
};

void TestSystemInfo::reportShowsEveryPlatformAndDevice()
{
    const QList<QCLPlatform> platforms = QCLPlatform::platforms();
    const QList<QCLDevice> devices = QCLDevice::allDevices();
    QVERIFY2(!platforms.isEmpty() && !devices.isEmpty(), "no OpenCL platform or device");

    // Each platform, then each device, in its own section, in order, with
    // the figures the driver gives.
    const QString report = openCLReport(platforms, devices);
    QCOMPARE(report, openCLReport());
    const QStringList sections = report.split(kSeparator);
    QCOMPARE(sections.size(), 1 + platforms.size() + 1 + devices.size());
    for (int i = 0; i < platforms.size(); ++i) {
        const QString &section = sections[1 + i];
        QVERIFY(section.startsWith(QStringLiteral("Name:") + platforms[i].name() + "\nVendor:" + platforms[i].vendor()));
        for (const QString &e : platforms[i].extensions())
            QVERIFY(section.contains("\n" + e + "\n"));
    }
    for (int i = 0; i < devices.size(); ++i) {
        const QString &section = sections[2 + platforms.size() + i];
        QVERIFY(section.startsWith(QStringLiteral("Name:") + devices[i].name() + "\n"));
        QVERIFY(section.contains(QStringLiteral("\nCompute Units:%1\n").arg(devices[i].computeUnits())));
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
