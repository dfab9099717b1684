// Start-up decisions: arguments and the compute-mode choice,
// and the real binary: its refusing paths, a normal start and a clean end.
#include "QCLDevice.h"
#include "Startup.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT
private:
    QString binary() const { return qEnvironmentVariable("CQ_BINARY_DIR") + QStringLiteral("/chromaquill"); }

    static QString settingsFile(const QTemporaryDir &home)
    {
        return home.filePath(QStringLiteral("config/Kestrelvane/Chromaquill.conf"));
    }

    // Runs the editor headless with private settings and temporary folders.
    QProcess *run(const QStringList &arguments, const QProcessEnvironment &extra, QTemporaryDir &home)
    {
        auto *pProcess = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        QDir().mkpath(home.filePath(QStringLiteral("tmp")));
        env.insert(QStringLiteral("TMPDIR"), home.filePath(QStringLiteral("tmp")));
        for (const QString &key : extra.keys())
            env.insert(key, extra.value(key));
        pProcess->setProcessEnvironment(env);
        pProcess->start(binary(), arguments);
        return pProcess;
    }

private Q_SLOTS:
    void arguments()
    {
        QVERIFY(Startup::WantsDiagnostics({QStringLiteral("cq"), QStringLiteral("x"), QStringLiteral("DUMPopenclCAPS")}));
        QVERIFY(!Startup::WantsDiagnostics({QStringLiteral("cq"), QStringLiteral("dumpOpenCL")}));
        QCOMPARE(Startup::DocumentArguments({QStringLiteral("cq"), QStringLiteral("/restart"), QStringLiteral("a.png"),
                                             QStringLiteral("dumpopenclcaps"), QStringLiteral("b.cq")}),
                 QStringList({QStringLiteral("a.png"), QStringLiteral("b.cq")}));
    }

    void computeModeChoice()
    {
        QList<QCLDevice::DeviceTypes> tried;
        auto recorder = [&tried](bool gpuWorks, bool cpuWorks) {
            return [&tried, gpuWorks, cpuWorks](QCLDevice::DeviceTypes type) {
                tried.append(type);
                return type == QCLDevice::GPU ? gpuWorks : cpuWorks;
            };
        };

        QCOMPARE(Startup::ChooseComputeMode(true, recorder(true, true)), Startup::ComputeMode::Cpu);
        QCOMPARE(tried, QList<QCLDevice::DeviceTypes>({QCLDevice::CPU}));

        tried.clear();
        QCOMPARE(Startup::ChooseComputeMode(false, recorder(true, true)), Startup::ComputeMode::Gpu);
        QCOMPARE(tried, QList<QCLDevice::DeviceTypes>({QCLDevice::GPU}));

        tried.clear();
        QCOMPARE(Startup::ChooseComputeMode(false, recorder(false, true)), Startup::ComputeMode::Cpu);
        QCOMPARE(tried, QList<QCLDevice::DeviceTypes>({QCLDevice::GPU, QCLDevice::CPU}));
        QCOMPARE(Startup::ChooseComputeMode(false, recorder(false, false)), Startup::ComputeMode::None);
    }

    // The refusing paths end with status 0 and write nothing to the settings,
    // not even a recent-file list pruned of a file that has gone.
    void exitPaths_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no platform") << QStringList() << QStringLiteral("OCL_ICD_VENDORS") << QStringLiteral("EMPTY")
                                     << QStringLiteral("Chromaquill requires OpenCL to be installed.");
        QTest::newRow("no device") << QStringList() << QStringLiteral("POCL_DEVICES") << QStringLiteral("nonexistent")
                                   << QStringLiteral("No OpenCL device found.");
        QTest::newRow("diagnostics") << QStringList({QStringLiteral("dumpOPENCLcaps")}) << QString() << QString()
                                     << QStringLiteral("Available Platforms");
    }

    void exitPaths()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, variable);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QTemporaryDir home;
        QTemporaryDir emptyVendors;
        QProcessEnvironment extra;
        if (!variable.isEmpty())
            extra.insert(variable, value == QLatin1String("EMPTY") ? emptyVendors.path() : value);
        {
            QSettings seeded(settingsFile(home), QSettings::IniFormat);
            seeded.setValue(QStringLiteral("recentFileList"),
                            QStringList({home.filePath(QStringLiteral("gone.cq")), home.filePath(QStringLiteral("x.cq"))}));
            seeded.setValue(QStringLiteral("OpenCLForceCPU"), false);
        }
        const QByteArray before = cqtest::readFile(settingsFile(home));
        QVERIFY(!before.isEmpty());
        QProcess *pProcess = run(arguments, extra, home);
        QVERIFY(pProcess->waitForFinished(60000));
        QCOMPARE(pProcess->exitStatus(), QProcess::NormalExit);
        QCOMPARE(pProcess->exitCode(), 0);
        const QString output = QString::fromLocal8Bit(pProcess->readAllStandardOutput() + pProcess->readAllStandardError());
        QVERIFY2(output.contains(expected), qPrintable(output));
        QCOMPARE(cqtest::readFile(settingsFile(home)), before);
    }

    // A normal start reaches the first document (and records "firstRun"),
    // with its scratch folder in place; asked to end, the editor closes its
    // window as a user would (the window layout is saved) and removes its
    // scratch files.
    void normalStartAndCleanEnd()
    {
        QTemporaryDir home;
        QProcess *pProcess = run({}, QProcessEnvironment(), home);
        const QString scratch = home.filePath(QStringLiteral("tmp/chromaquillScratch"));
        auto started = [&] {
            QSettings settings(settingsFile(home), QSettings::IniFormat);
            return settings.value(QStringLiteral("firstRun")).toBool()
                   && !QDir(scratch).entryList({QStringLiteral("instance-*")}, QDir::Dirs).isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(started() || pProcess->state() == QProcess::NotRunning, 60000);
        QVERIFY2(pProcess->state() == QProcess::Running, pProcess->readAllStandardError().constData());
        pProcess->terminate();
        QVERIFY(pProcess->waitForFinished(60000));
        QCOMPARE(pProcess->exitStatus(), QProcess::NormalExit);
        QCOMPARE(pProcess->exitCode(), 0);
        QCOMPARE(QDir(scratch).entryList({QStringLiteral("instance-*")}, QDir::Dirs), QStringList());
        QSettings settings(settingsFile(home), QSettings::IniFormat);
        QVERIFY(settings.contains(QStringLiteral("windowState")));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
