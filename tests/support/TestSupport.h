#pragma once
// Small helpers shared by the test executables.
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>

class QCLContext;
class ScratchDB;

namespace cqtest {

// A deterministic ARGB32 image with varied colour and alpha, for pixel tests
// that compare two implementations of the same arithmetic.
QImage patternImage(int width, int height, quint32 seed, bool withAlpha = true);

// An ARGB32 image of one pixel value (straight, alpha included); a named
// colour is taken as that colour, not as its enum value.
QImage filledImage(int width, int height, QRgb pixel);
QImage filledImage(int width, int height, Qt::GlobalColor color);

// Number of pixels that differ between two images of the same size and format;
// -1 when the sizes or formats differ.
qint64 differingPixels(const QImage &a, const QImage &b);

// Pixels whose channels differ by more than the tolerance; -1 for other sizes.
qint64 offByMoreThan(const QImage &a, const QImage &b, int tolerance);

// Where two images first differ, "(x, y): got, expected" in hex; empty when
// they are the same size and every pixel matches.
QString firstDifference(const QImage &got, const QImage &expected);

// Points the per-user settings store and data folder at fresh, empty places
// of this process's own, so a test never reads or writes the developer's
// settings, brush sets or plug-ins, nor another test's.
void isolateSettings();
// The scratch store of the test process, as the application has one.
ScratchDB &scratchStore();

// Runs work with the process's file-size limit lowered to iBytes (a write
// past it fails with EFBIG instead of raising a signal), then puts the
// limit back. False when the limit could not be set.
bool withFileSizeLimit(qint64 iBytes, const std::function<void()> &work);

// Creates the context on the CPU (PoCL) device. On failure writes a warning
// naming the platforms found, so QVERIFY2 on the result explains itself.
bool createCpuContext(QCLContext &context);

// A program run with the arguments; code -1 when it crashed or hung.
// childSetup runs in the child before the program starts.
struct ToolRun {
    int code = -1;
    QByteArray out;
    QByteArray err;
};
ToolRun runProgram(const QString &program, const QStringList &arguments, const std::function<void()> &childSetup = {});

// The built cqtool, and that tool run with the arguments.
QString cqtoolPath();
ToolRun runCqtool(const QStringList &arguments, const std::function<void()> &childSetup = {});

// A file's whole contents (empty when it cannot be read), and a file
// written with exactly these bytes (false when it could not be).
QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);

// The image encoded in a format the toolkit writes ("png", "jpg", ...).
QByteArray encodedImage(const QImage &image, const char *format);

} // namespace cqtest

class QMessageBox;

namespace cqtest {

// Answers the next modal message box that opens (within a few seconds) with
// the given button, and records its title and text for the test to check.
struct MessageBoxAnswer {
    QString title;
    QString text;
    QString details;
    bool seen = false;
};
void answerNextMessageBox(int iButton, MessageBoxAnswer *pAnswer = nullptr);

} // namespace cqtest

class QDialog;

namespace cqtest {

// Runs `act` on the next modal dialog that opens (within a few seconds), for
// flows that ask through a file dialog or a preview before they act.
void actOnNextDialog(const std::function<void(QDialog *)> &act);

} // namespace cqtest
