#pragma once
#include <QList>
#include <QSize>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <future>
#include <thread>

#include "QCLDevice.h"
#include "QCLPlatform.h"

class QSettings;

// The decisions start-up makes before and while the main window comes up,
// kept apart from the dialogs so that they can be checked on their own.
namespace Startup {

// "dumpOpenCLCaps" anywhere among the arguments, in any letter case.
bool WantsDiagnostics(const QStringList &arguments);

// The files named on the command line (the program name, "/restart" and the
// diagnostic switch are not files).
QStringList DocumentArguments(const QStringList &arguments);

// The stored force flag: absent, or not a boolean, means false.
bool ForceCpu(const QVariant &stored);
bool ForceCpu(const QSettings &settings);

// At least one platform speaks OpenCL 1.1 or later.
bool HasOpenCL11(const QList<QCLPlatform> &platforms);

// Name, vendor, version and language version of every device, run together.
QString DeviceSummary(const QList<QCLDevice> &devices);

// Seconds between recovery copies: the stored "AutosaveInterval", 60 when
// absent or not a number, 0 (off) for anything below 1.
int AutosaveInterval(const QSettings &settings);

// The first document is half the main window's size, rounding toward zero.
QSize FirstDocumentSize(const QSize &windowSize);

// Whether the compute-mode choice has any device to try: a GPU (unless
// forced to the CPU) or a CPU. Without one, start-up refuses before the
// main window is shown, so that nothing is written to the settings.
bool HasComputeDevice(bool bForceCpu, const QList<QCLDevice> &devices);

enum class ComputeMode { Gpu, Cpu, None };

// Tries the GPU unless forced to the CPU, then the CPU. `create` makes the
// process-wide context for a device type and says whether it worked.
ComputeMode ChooseComputeMode(bool bForceCpu, const std::function<bool(QCLDevice::DeviceTypes)> &create);

// What OpenCL offers on this machine, with the report a crash carries.
struct OpenCLFound {
    QList<QCLPlatform> platforms;
    QList<QCLDevice> devices;
    QString report;
};

// Loads the OpenCL driver, then Qt's image plug-ins, on a thread of its own
// while the main window is built. The driver is the slowest step of
// start-up (the CPU driver brings its compiler along); the first document's
// frame asks the style for icons, which loads every image plug-in.
class LibraryLoader
{
public:
    LibraryLoader();
    // Waits for the thread.
    ~LibraryLoader();
    LibraryLoader(const LibraryLoader &) = delete;
    LibraryLoader &operator=(const LibraryLoader &) = delete;

    // What OpenCL offers, once the driver is loaded; asked once.
    OpenCLFound openCL() { return m_openCL.get(); }

private:
    std::promise<OpenCLFound> m_found;
    std::future<OpenCLFound> m_openCL = m_found.get_future();
    std::thread m_thread;
};

} // namespace Startup
