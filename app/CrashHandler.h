#pragma once
// Writes a plain-text crash report when the process dies on a fatal signal,
// then lets the default action run (core dump, non-zero exit).
//
// The signal handler only uses async-signal-safe calls: the report body is
// rendered ahead of time by the setters below, and the handler just writes it
// out with open/write/close under a name made of the time and the process id.
#include <QMap>
#include <QString>

class CrashHandler
{
public:
    // Installs the handler for SIGSEGV, SIGABRT, SIGFPE, SIGILL and SIGBUS.
    // Returns false when it could not be installed; start-up carries on then.
    static bool Install();
    static bool IsInstalled();

    // Diagnostic texts attached to the report; each call re-renders it.
    static void SetOpenCLInfo(const QString &info);
    static void SetBuildReport(const QMap<QString, QString> &report);

    // Where reports go. Defaults to the per-user data folder + "/crashes",
    // worked out when the handler is installed and again by every setter
    // (the application name is set after installation).
    static void SetReportFolder(const QString &folder);
    static QString ReportFolder();

    // The body every report starts with, as currently rendered.
    static QByteArray ReportText();

private:
    static void Render();
};
