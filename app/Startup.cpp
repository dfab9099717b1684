#include "Startup.h"
#include "OpenCLReport.h"

#include <QBuffer>
#include <QDebug>
#include <QImageReader>
#include <QSettings>

namespace Startup {

bool WantsDiagnostics(const QStringList &arguments)
{
    for (const QString &argument : arguments)
        if (argument.compare(QLatin1String("dumpOpenCLCaps"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QStringList DocumentArguments(const QStringList &arguments)
{
    QStringList files;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("/restart")
            || argument.compare(QLatin1String("dumpOpenCLCaps"), Qt::CaseInsensitive) == 0)
            continue;
        files.append(argument);
    }
    return files;
}

bool ForceCpu(const QVariant &stored)
{
    if (!stored.isValid())
        return false;
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    // Settings files store booleans as text; anything else is not a boolean.
    const QString text = stored.toString().trimmed().toLower();
    return text == QLatin1String("true") || text == QLatin1String("1");
}

bool ForceCpu(const QSettings &settings)
{
    if (!settings.contains(QStringLiteral("OpenCLForceCPU")))
        return false;
    return ForceCpu(settings.value(QStringLiteral("OpenCLForceCPU")));
}

bool HasOpenCL11(const QList<QCLPlatform> &platforms)
{
    for (const QCLPlatform &platform : platforms)
        if (platform.versionFlags() & QCLPlatform::Version_1_1)
            return true;
    return false;
}

QString DeviceSummary(const QList<QCLDevice> &devices)
{
    QString summary;
    for (const QCLDevice &device : devices)
        summary += device.name() + device.vendor() + device.version() + device.languageVersion();
    return summary;
}

QSize FirstDocumentSize(const QSize &windowSize)
{
    return QSize(windowSize.width() / 2, windowSize.height() / 2);
}

bool HasComputeDevice(bool bForceCpu, const QList<QCLDevice> &devices)
{
    for (const QCLDevice &device : devices) {
        const QCLDevice::DeviceTypes type = device.deviceType();
        if ((type & QCLDevice::CPU) || (!bForceCpu && (type & QCLDevice::GPU)))
            return true;
    }
    return false;
}

ComputeMode ChooseComputeMode(bool bForceCpu, const std::function<bool(QCLDevice::DeviceTypes)> &create)
{
    if (!bForceCpu) {
        if (create(QCLDevice::GPU))
            return ComputeMode::Gpu;
        qDebug() << "Could not initialize OpenCL for the GPU.";
    }
    if (create(QCLDevice::CPU))
        return ComputeMode::Cpu;
    qDebug() << "could not initialize OpenCL for the CPU.";
    return ComputeMode::None;
}

LibraryLoader::LibraryLoader()
    : m_thread([this] {
        OpenCLFound found;
        found.platforms = QCLPlatform::platforms();
        found.devices = QCLDevice::allDevices();
        found.report = openCLReport(found.platforms, found.devices);
        m_found.set_value(std::move(found));
        // Asked to read nothing, the reader tries (and so loads) every plug-in.
        QBuffer nothing;
        nothing.open(QIODevice::ReadOnly);
        QImageReader(&nothing).canRead();
    })
{
}

LibraryLoader::~LibraryLoader()
{
    m_thread.join();
}

} // namespace Startup

int Startup::AutosaveInterval(const QSettings &settings)
{
    bool bOk = false;
    const int iSeconds = settings.value(QStringLiteral("AutosaveInterval"), 60).toInt(&bOk);
    if (!bOk)
        return 60;
    return qMax(0, iSeconds);
}
