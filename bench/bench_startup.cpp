// Start-up time: from starting the editor process to its first document
// being there (the editor records "firstRun" right after creating it), five
// runs, median. Runs on whatever platform QT_QPA_PLATFORM names (offscreen
// by default) with throw-away settings and temporary folders; each run ends
// the editor the way a session does, with SIGTERM. Beside the wall clock, the
// processor time the editor had used by then (all its threads, in 10 ms
// ticks): on a busy machine the wall clock overstates an idle one's.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <unistd.h>
#include <vector>

namespace {

// User and system time of a running process, in ms.
qint64 processorMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which ends with the last ')'.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields.at(11).toLongLong() + fields.at(12).toLongLong()) * 1000 / sysconf(_SC_CLK_TCK);
}

// Read as text rather than through QSettings: a plain application cannot
// make the colours stored there and warns on every look, and the looks
// (every 2 ms) share the processors with the editor being measured.
bool recordsFirstRun(const QString &settingsFile)
{
    QFile file(settingsFile);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("\nfirstRun=true");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Another build's editor may be named, to compare the two in one sitting.
    const QString editor = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QCoreApplication::applicationDirPath() + QStringLiteral("/../chromaquill");
    QTextStream out(stdout);
    std::vector<qint64> times, cpuTimes;
    for (int run = 0; run < 5; ++run) {
        QTemporaryDir home;
        QDir().mkpath(home.filePath(QStringLiteral("tmp")));
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        // No recovery copies or brush sets another run (or program) left.
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("TMPDIR"), home.filePath(QStringLiteral("tmp")));
        process.setProcessEnvironment(env);
        const QString settingsFile = home.filePath(QStringLiteral("Kestrelvane/Chromaquill.conf"));
        QElapsedTimer timer;
        timer.start();
        process.start(editor);
        qint64 shown = -1, cpu = -1;
        while (process.state() != QProcess::NotRunning && timer.elapsed() < 60000) {
            if (recordsFirstRun(settingsFile)) {
                shown = timer.elapsed();
                cpu = processorMs(process.processId());
                break;
            }
            QThread::msleep(2);
        }
        process.terminate();
        process.waitForFinished(60000);
        if (shown < 0) {
            out << "the editor never reached its first document: " << process.readAllStandardError() << '\n';
            return 1;
        }
        times.push_back(shown);
        cpuTimes.push_back(cpu);
        out << "run " << run + 1 << ": " << shown << " ms (processor " << cpu << " ms)\n";
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    out << "start-up to first document, median of 5: " << times[2] << " ms (processor " << cpuTimes[2] << " ms)\n";
    return 0;
}
