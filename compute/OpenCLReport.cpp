#include "OpenCLReport.h"

namespace {

const char separator[] = "\n\n--------------------------\n\n";

QString yesNo(bool value)
{
    return value ? QStringLiteral("YES\n") : QStringLiteral("NO\n");
}

QString line(const char *label, const QString &value)
{
    return QLatin1String(label) + value + QLatin1Char('\n');
}

QString line(const char *label, quint64 value)
{
    return line(label, QString::number(value));
}

QString flag(const char *label, bool value)
{
    return QLatin1String(label) + yesNo(value);
}

QString capabilities(QCLDevice::FloatCapabilities caps)
{
    QString text;
    text += QStringLiteral("\tDenorms:\t") + yesNo(caps.testFlag(QCLDevice::Denorm));
    text += QStringLiteral("\tInfinityNaN:\t") + yesNo(caps.testFlag(QCLDevice::InfinityNaN));
    text += QStringLiteral("\tRoundNearest:\t") + yesNo(caps.testFlag(QCLDevice::RoundNearest));
    text += QStringLiteral("\tRoundZero:\t") + yesNo(caps.testFlag(QCLDevice::RoundZero));
    text += QStringLiteral("\tRoundInfinity:\t") + yesNo(caps.testFlag(QCLDevice::RoundInfinity));
    text += QStringLiteral("\tFusedMultiplyAdd:\t") + yesNo(caps.testFlag(QCLDevice::FusedMultiplyAdd));
    return text;
}

QString extensionLines(const QStringList &extensions)
{
    QString text = QStringLiteral("Extensions: \n");
    for (const QString &e : extensions)
        text += e + QLatin1Char('\n');
    return text;
}

QString deviceSection(const QCLDevice &d)
{
    QString t;
    t += line("Name:", d.name());
    t += line("Vendor:", d.vendor());
    t += line("Version:", d.version());
    t += line("Language Version:", d.languageVersion());
    t += line("Address Bits:", quint64(d.addressBits()));
    t += line("Clock frequency:", quint64(d.clockFrequency()));
    t += line("Compute Units:", quint64(d.computeUnits()));
    t += d.deviceType().testFlag(QCLDevice::GPU) ? QStringLiteral("Device Type: GPU\n")
                                           : QStringLiteral("Device Type: CPU\n");
    t += QStringLiteral("Double Capabilities:\n") + capabilities(d.doubleCapabilities());
    t += line("Driver Version:", d.driverVersion());
    t += extensionLines(d.extensions());
    t += QStringLiteral("Float Capabilities:\n") + capabilities(d.floatCapabilities());
    t += line("Global Memory Cache Line Size:", quint64(d.globalMemoryCacheLineSize()));
    t += line("Global Memory Cache Size:", d.globalMemoryCacheSize());
    switch (d.globalMemoryCacheType()) {
    case QCLDevice::ReadWriteCache: t += QStringLiteral("Global Memory Cache Type:Read/Write\n"); break;
    case QCLDevice::ReadOnlyCache: t += QStringLiteral("Global Memory Cache Type:Read Only\n"); break;
    case QCLDevice::NoCache: t += QStringLiteral("Global Memory Cache Type:None\n"); break;
    }
    t += line("Global Memory Size:", d.globalMemorySize());
    t += QStringLiteral("Half Float Capabilities:\n") + capabilities(d.halfFloatCapabilities());
    t += flag("Has Compiler:", d.hasCompiler());
    t += flag("Has Double:", d.hasDouble());
    t += flag("Has Error Correcting Memory:", d.hasErrorCorrectingMemory());
    t += flag("Has Half Float:", d.hasHalfFloat());
    t += flag("Has Image2D:", d.hasImage2D());
    t += flag("Has Image3D:", d.hasImage3D());
    t += flag("Has Native Kernels:", d.hasNativeKernels());
    t += flag("Has Out of Order Execution:", d.hasOutOfOrderExecution());
    t += flag("Has Unified Memory:", d.hasUnifiedMemory());
    t += flag("Has Writable Image 3D:", d.hasWritableImage3D());
    t += flag("Is Available:", d.isAvailable());
    t += flag("Is Embedded Profile:", d.isEmbeddedProfile());
    t += flag("Is Full Profile:", d.isFullProfile());
    t += flag("Is Local Memory Separate", d.isLocalMemorySeparate());
    t += flag("Is NULL:", d.isNull());
    t += line("Local Memory Size:", d.localMemorySize());
    t += line("Maximum Allocation Size:", d.maximumAllocationSize());
    t += line("Maximum Constant Arguments:", quint64(d.maximumConstantArguments()));
    t += line("Maximum Constant BufferSize:", d.maximumConstantBufferSize());
    const QSize image2D = d.maximumImage2DSize();
    t += QStringLiteral("Maximum Image 2D Size: \n");
    t += line("\tWidth:", quint64(image2D.width()));
    t += line("\tHeight:", quint64(image2D.height()));
    const QCLWorkSize image3D = d.maximumImage3DSize();
    t += QStringLiteral("Maximum Image 3D Size: \n");
    t += line("\tWidth:", quint64(image3D.width()));
    t += line("\tHeight:", quint64(image3D.height()));
    t += line("\tDepth:", quint64(image3D.depth()));
    t += line("Maximum Parameter Bytes:", quint64(d.maximumParameterBytes()));
    t += line("Maximum Read Images:", quint64(d.maximumReadImages()));
    t += line("Maximum Samplers:", quint64(d.maximumSamplers()));
    const QCLWorkSize items = d.maximumWorkItemSize();
    t += QStringLiteral("Maximum Work Item Size: \n");
    t += line("\tWidth:", quint64(items.width()));
    t += line("\tHeight:", quint64(items.height()));
    t += line("\tDepth:", quint64(items.depth()));
    t += line("Maximum Work Items Per Group:", quint64(d.maximumWorkItemsPerGroup()));
    t += line("Maximum Write Images:", quint64(d.maximumWriteImages()));
    t += line("Minimum Alignment:", quint64(d.minimumAlignment()));
    t += QStringLiteral("Native Vector Size:\n");
    t += line("\tChar:", quint64(d.nativeCharVectorSize()));
    t += line("\tDouble:", quint64(d.nativeDoubleVectorSize()));
    t += line("\tFloat:", quint64(d.nativeFloatVectorSize()));
    t += line("\tHalfFloat:", quint64(d.nativeHalfFloatVectorSize()));
    t += line("\tInt:", quint64(d.nativeIntVectorSize()));
    t += line("\tLong:", quint64(d.nativeLongVectorSize()));
    t += line("\tShort", quint64(d.nativeShortVectorSize()));
    const QCLPlatform p = d.platform();
    t += QStringLiteral("Platform Info:\n");
    t += line("\tVendor:", p.vendor());
    t += line("\tProfile:", p.profile());
    t += line("\tVersion:", p.version());
    t += QStringLiteral("Preferred Vector Size:\n");
    t += line("\tChar:", quint64(d.preferredCharVectorSize()));
    t += line("\tDouble:", quint64(d.preferredDoubleVectorSize()));
    t += line("\tFloat:", quint64(d.preferredFloatVectorSize()));
    t += line("\tHalfFloat:", quint64(d.preferredHalfFloatVectorSize()));
    t += line("\tInt:", quint64(d.preferredIntVectorSize()));
    t += line("\tLong:", quint64(d.preferredLongVectorSize()));
    t += line("\tShort:", quint64(d.preferredShortVectorSize()));
    t += line("Profile:", d.profile());
    t += line("Profiling Timer Resolution:", d.profilingTimerResolution());
    return t;
}

} // namespace

QString openCLReport(const QList<QCLPlatform> &platforms, const QList<QCLDevice> &devices)
{
    QString text = QStringLiteral("Available Platforms\n");
    for (const QCLPlatform &p : platforms) {
        text += QLatin1String(separator);
        text += line("Name:", p.name());
        text += line("Vendor:", p.vendor());
        text += line("Version:", p.version());
        text += extensionLines(p.extensions());
        text += p.isFullProfile() ? QStringLiteral("Full Profile: Yes\n") : QStringLiteral("Full Profile: No\n");
    }
    text += QLatin1String(separator);
    text += QStringLiteral("Available Devices\n");
    for (const QCLDevice &d : devices) {
        text += QLatin1String(separator);
        text += deviceSection(d);
    }
    return text;
}

QString openCLReport()
{
    return openCLReport(QCLPlatform::platforms(), QCLDevice::allDevices());
}
