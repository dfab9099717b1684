#pragma once
// The subcommands of cqtool, one function each; cqtool.cpp holds the table
// that names them, the help and the entry point.
#include <QString>
#include <QStringList>

namespace cqtool {

// Points the process's stderr at /dev/null, keeping the real one for fail():
// nothing the libraries print comes before the one line of error.
void silenceStderr();
// Writes "cqtool: MESSAGE" as one line to the real stderr; returns 1.
int fail(const QString &message);
// The command's usage line, and the same as the error to end with.
QString usageLine(const char *name);
int failUsage(const char *name);
// Text to stdout; false when it could not all be written.
bool writeOut(const QString &text);

int runInfo(const QStringList &args);
int runInspect(const QStringList &args);
int runConvert(const QStringList &args);
int runFilter(const QStringList &args);
int runHistogram(const QStringList &args);
int runThumbnail(const QStringList &args);
int runFolders(const QStringList &args);

} // namespace cqtool
