#pragma once
#include "QCLPlatform.h"
#include "QCLWorkSize.h"

#include <CL/cl.h>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// One OpenCL device. Each getter is a single clGetDeviceInfo query; a failed
// query yields an empty or zero value.
class QCLDevice
{
public:
    enum DeviceTypeFlag : quint32 {
        Default = 0x00000001,
        CPU = 0x00000002,
        GPU = 0x00000004,
        Accelerator = 0x00000008,
        All = 0xFFFFFFFF
    };
    Q_DECLARE_FLAGS(DeviceTypes, DeviceTypeFlag)

    enum FloatCapability {
        NotSupported = 0x0000,
        Denorm = 0x0001,
        InfinityNaN = 0x0002,
        RoundNearest = 0x0004,
        RoundZero = 0x0008,
        RoundInfinity = 0x0010,
        FusedMultiplyAdd = 0x0020
    };
    Q_DECLARE_FLAGS(FloatCapabilities, FloatCapability)

    enum CacheType { NoCache = 0, ReadOnlyCache = 1, ReadWriteCache = 2 };

    QCLDevice() = default;
    explicit QCLDevice(cl_device_id id) : m_id(id) {}

    bool isNull() const { return m_id == nullptr; }
    cl_device_id deviceId() const { return m_id; }

    DeviceTypes deviceType() const;
    QCLPlatform platform() const;
    uint vendorId() const;
    bool isAvailable() const;
    bool hasCompiler() const;
    bool hasNativeKernels() const;
    bool hasOutOfOrderExecution() const;
    bool hasDouble() const;
    bool hasHalfFloat() const;
    bool hasErrorCorrectingMemory() const;
    bool hasUnifiedMemory() const;
    int computeUnits() const;
    int clockFrequency() const;
    int addressBits() const;
    QSysInfo::Endian byteOrder() const;
    QCLWorkSize maximumWorkItemSize() const;
    size_t maximumWorkItemsPerGroup() const;
    bool hasImage2D() const;
    bool hasImage3D() const;
    bool hasWritableImage3D() const;
    QSize maximumImage2DSize() const;
    QCLWorkSize maximumImage3DSize() const;
    int maximumSamplers() const;
    int maximumReadImages() const;
    int maximumWriteImages() const;
    int preferredCharVectorSize() const;
    int preferredShortVectorSize() const;
    int preferredIntVectorSize() const;
    int preferredLongVectorSize() const;
    int preferredFloatVectorSize() const;
    int preferredDoubleVectorSize() const;
    int preferredHalfFloatVectorSize() const;
    int nativeCharVectorSize() const;
    int nativeShortVectorSize() const;
    int nativeIntVectorSize() const;
    int nativeLongVectorSize() const;
    int nativeFloatVectorSize() const;
    int nativeDoubleVectorSize() const;
    int nativeHalfFloatVectorSize() const;
    FloatCapabilities floatCapabilities() const;
    FloatCapabilities doubleCapabilities() const;
    FloatCapabilities halfFloatCapabilities() const;
    quint64 profilingTimerResolution() const;
    quint64 maximumAllocationSize() const;
    quint64 globalMemorySize() const;
    CacheType globalMemoryCacheType() const;
    quint64 globalMemoryCacheSize() const;
    int globalMemoryCacheLineSize() const;
    quint64 localMemorySize() const;
    bool isLocalMemorySeparate() const;
    quint64 maximumConstantBufferSize() const;
    int maximumConstantArguments() const;
    int minimumAlignment() const;
    int maximumParameterBytes() const;
    bool isFullProfile() const;
    bool isEmbeddedProfile() const;
    QString profile() const;
    QString version() const;
    QString driverVersion() const;
    QString languageVersion() const;
    QString name() const;
    QString vendor() const;
    QStringList extensions() const;
    bool hasExtension(const QString &name) const;

    // Devices of the given types on one platform, or on all platforms when the
    // platform is null.
    static QList<QCLDevice> devices(DeviceTypes types, const QCLPlatform &platform = QCLPlatform());
    static QList<QCLDevice> allDevices();

    bool operator==(const QCLDevice &other) const { return m_id == other.m_id; }
    bool operator!=(const QCLDevice &other) const { return m_id != other.m_id; }

private:
    QString stringInfo(cl_device_info name) const;
    cl_uint uintInfo(cl_device_info name) const;
    cl_ulong ulongInfo(cl_device_info name) const;
    size_t sizeInfo(cl_device_info name) const;
    bool boolInfo(cl_device_info name) const;

    cl_device_id m_id = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(QCLDevice::DeviceTypes)
Q_DECLARE_OPERATORS_FOR_FLAGS(QCLDevice::FloatCapabilities)
