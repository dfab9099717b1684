// The crash handler writes its report from inside the signal handler and then
// lets the process die of the original signal. Each case crashes a forked
// child and inspects what it left behind.
#include "CrashHandler.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

class TestCrashHandler : public QObject
{
    Q_OBJECT
private slots:
    void fatalSignalWritesReportAndDies_data()
    {
        QTest::addColumn<int>("sig");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("abort") << int(SIGABRT) << QByteArray("SIGABRT");
        QTest::newRow("segv") << int(SIGSEGV) << QByteArray("SIGSEGV");
    }

    void fatalSignalWritesReportAndDies()
    {
        QFETCH(int, sig);
        QFETCH(QByteArray, name);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.path() + QStringLiteral("/crashes");
        CrashHandler::SetReportFolder(folder);
        CrashHandler::SetOpenCLInfo(QStringLiteral("Device: cpu-test"));
        CrashHandler::SetBuildReport({{QStringLiteral("Filters.cl"), QStringLiteral("warning: unused variable")}});
        QVERIFY(CrashHandler::Install());
        QVERIFY(CrashHandler::IsInstalled());

        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::raise(sig);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status), "the child should die of the signal, not exit");
        QCOMPARE(WTERMSIG(status), sig);

        const QStringList reports = QDir(folder).entryList({QStringLiteral("crash-*.txt")}, QDir::Files);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports.first().endsWith(QStringLiteral("-%1.txt").arg(child)));
        const QByteArray text = cqtest::readFile(folder + QLatin1Char('/') + reports.first());
        QVERIFY(text.startsWith(CrashHandler::ReportText()));
        QVERIFY(text.contains("[OpenCLInfo]\nDevice: cpu-test"));
        QVERIFY(text.contains("[Filters.cl]\nwarning: unused variable"));
        QVERIFY(text.contains("Signal: " + name));
    }
};

QTEST_APPLESS_MAIN(TestCrashHandler)
#include "tst_crashhandler.moc"
