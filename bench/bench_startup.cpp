// Start-up time: from starting the editor process to its first document being
// shown, five runs, median. Runs on whatever platform QT_QPA_PLATFORM names
// (offscreen by default) with a throw-away settings folder.
#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString editor = QCoreApplication::applicationDirPath() + QStringLiteral("/../chromaquill");
    QTextStream out(stdout);
    std::vector<qint64> times;
    for (int run = 0; run < 5; ++run) {
        QTemporaryDir home;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        env.insert(QStringLiteral("CHROMAQUILL_STARTUP_PROBE"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        process.start(editor);
        if (!process.waitForFinished(60000)) {
            out << "editor did not finish\n";
            return 1;
        }
        const QByteArray output = process.readAllStandardOutput();
        const int at = output.indexOf("first-document-shown ");
        if (at < 0) {
            out << "no probe output: " << output << '\n';
            return 1;
        }
        const qint64 shown = output.mid(at + 21).trimmed().toLongLong();
        times.push_back(shown - start);
        out << "run " << run + 1 << ": " << shown - start << " ms\n";
    }
    std::sort(times.begin(), times.end());
    out << "start-up to first document, median of 5: " << times[2] << " ms\n";
    return 0;
}
