#pragma once
// Small helpers shared by the test executables.
#include <QImage>
#include <QString>
#include <functional>

class QCLContext;

namespace cqtest {

// A deterministic ARGB32 image with varied colour and alpha, for pixel tests
// that compare two implementations of the same arithmetic.
QImage patternImage(int width, int height, quint32 seed, bool withAlpha = true);

// Number of pixels that differ between two images of the same size and format;
// -1 when the sizes or formats differ.
qint64 differingPixels(const QImage &a, const QImage &b);

// Largest difference of any channel of any pixel of two 32-bit images; -1
// when the sizes differ.
int maxChannelDifference(const QImage &a, const QImage &b);

// Points the per-user settings store at a fresh, empty location so a test
// never reads or writes the developer's own settings.
void isolateSettings();

// Runs work with the process's file-size limit lowered to iBytes (a write
// past it fails with EFBIG instead of raising a signal), then puts the
// limit back. False when the limit could not be set.
bool withFileSizeLimit(qint64 iBytes, const std::function<void()> &work);

// Creates the context on the CPU (PoCL) device. On failure writes a warning
// naming the platforms found, so QVERIFY2 on the result explains itself.
bool createCpuContext(QCLContext &context);

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
