#include "QCLDevice.h"

#include <vector>

QString QCLDevice::stringInfo(cl_device_info name) const
{
    if (!m_id)
        return QString();
    size_t size = 0;
    if (clGetDeviceInfo(m_id, name, 0, nullptr, &size) != CL_SUCCESS || size == 0)
        return QString();
    QByteArray buffer(int(size), '\0');
    if (clGetDeviceInfo(m_id, name, size, buffer.data(), nullptr) != CL_SUCCESS)
        return QString();
    return QString::fromLatin1(buffer.constData());
}

template <typename T>
static T scalarInfo(cl_device_id id, cl_device_info name)
{
    T value{};
    if (!id || clGetDeviceInfo(id, name, sizeof(value), &value, nullptr) != CL_SUCCESS)
        return T{};
    return value;
}

cl_uint QCLDevice::uintInfo(cl_device_info name) const { return scalarInfo<cl_uint>(m_id, name); }
cl_ulong QCLDevice::ulongInfo(cl_device_info name) const { return scalarInfo<cl_ulong>(m_id, name); }
size_t QCLDevice::sizeInfo(cl_device_info name) const { return scalarInfo<size_t>(m_id, name); }

bool QCLDevice::boolInfo(cl_device_info name) const
{
    return scalarInfo<cl_bool>(m_id, name) != CL_FALSE;
}

QCLDevice::DeviceTypes QCLDevice::deviceType() const
{
    cl_device_type type = 0;
    if (!m_id || clGetDeviceInfo(m_id, CL_DEVICE_TYPE, sizeof(type), &type, nullptr) != CL_SUCCESS)
        return {};
    return DeviceTypes(quint32(type));
}

QCLPlatform QCLDevice::platform() const
{
    cl_platform_id id = nullptr;
    if (!m_id || clGetDeviceInfo(m_id, CL_DEVICE_PLATFORM, sizeof(id), &id, nullptr) != CL_SUCCESS)
        return QCLPlatform();
    return QCLPlatform(id);
}

uint QCLDevice::vendorId() const { return uintInfo(CL_DEVICE_VENDOR_ID); }
bool QCLDevice::isAvailable() const { return boolInfo(CL_DEVICE_AVAILABLE); }
bool QCLDevice::hasCompiler() const { return boolInfo(CL_DEVICE_COMPILER_AVAILABLE); }

bool QCLDevice::hasNativeKernels() const
{
    cl_device_exec_capabilities caps = 0;
    if (!m_id || clGetDeviceInfo(m_id, CL_DEVICE_EXECUTION_CAPABILITIES, sizeof(caps), &caps, nullptr) != CL_SUCCESS)
        return false;
    return (caps & CL_EXEC_NATIVE_KERNEL) != 0;
}

bool QCLDevice::hasOutOfOrderExecution() const
{
    cl_command_queue_properties props = 0;
    if (!m_id || clGetDeviceInfo(m_id, CL_DEVICE_QUEUE_PROPERTIES, sizeof(props), &props, nullptr) != CL_SUCCESS)
        return false;
    return (props & CL_QUEUE_OUT_OF_ORDER_EXEC_MODE_ENABLE) != 0;
}

bool QCLDevice::hasDouble() const
{
    return hasExtension(QStringLiteral("cl_khr_fp64")) || doubleCapabilities() != NotSupported;
}

bool QCLDevice::hasHalfFloat() const { return hasExtension(QStringLiteral("cl_khr_fp16")); }
bool QCLDevice::hasErrorCorrectingMemory() const { return boolInfo(CL_DEVICE_ERROR_CORRECTION_SUPPORT); }
bool QCLDevice::hasUnifiedMemory() const { return boolInfo(CL_DEVICE_HOST_UNIFIED_MEMORY); }
int QCLDevice::computeUnits() const { return int(uintInfo(CL_DEVICE_MAX_COMPUTE_UNITS)); }
int QCLDevice::clockFrequency() const { return int(uintInfo(CL_DEVICE_MAX_CLOCK_FREQUENCY)); }
int QCLDevice::addressBits() const { return int(uintInfo(CL_DEVICE_ADDRESS_BITS)); }

QSysInfo::Endian QCLDevice::byteOrder() const
{
    return boolInfo(CL_DEVICE_ENDIAN_LITTLE) ? QSysInfo::LittleEndian : QSysInfo::BigEndian;
}

QCLWorkSize QCLDevice::maximumWorkItemSize() const
{
    size_t sizes[3] = {0, 0, 0};
    const cl_uint dims = uintInfo(CL_DEVICE_MAX_WORK_ITEM_DIMENSIONS);
    if (!m_id || dims == 0)
        return QCLWorkSize(0, 0, 0);
    std::vector<size_t> all(dims, 0);
    if (clGetDeviceInfo(m_id, CL_DEVICE_MAX_WORK_ITEM_SIZES, sizeof(size_t) * dims, all.data(), nullptr) != CL_SUCCESS)
        return QCLWorkSize(0, 0, 0);
    for (cl_uint i = 0; i < dims && i < 3; ++i)
        sizes[i] = all[i];
    if (dims == 1)
        return QCLWorkSize(sizes[0]);
    if (dims == 2)
        return QCLWorkSize(sizes[0], sizes[1]);
    return QCLWorkSize(sizes[0], sizes[1], sizes[2]);
}

size_t QCLDevice::maximumWorkItemsPerGroup() const { return sizeInfo(CL_DEVICE_MAX_WORK_GROUP_SIZE); }
bool QCLDevice::hasImage2D() const { return boolInfo(CL_DEVICE_IMAGE_SUPPORT); }
bool QCLDevice::hasImage3D() const { return hasImage2D() && sizeInfo(CL_DEVICE_IMAGE3D_MAX_WIDTH) > 0; }

bool QCLDevice::hasWritableImage3D() const
{
    return hasExtension(QStringLiteral("cl_khr_3d_image_writes"));
}

QSize QCLDevice::maximumImage2DSize() const
{
    if (!hasImage2D())
        return QSize(0, 0);
    return QSize(int(sizeInfo(CL_DEVICE_IMAGE2D_MAX_WIDTH)), int(sizeInfo(CL_DEVICE_IMAGE2D_MAX_HEIGHT)));
}

QCLWorkSize QCLDevice::maximumImage3DSize() const
{
    if (!hasImage2D())
        return QCLWorkSize(0, 0, 0);
    return QCLWorkSize(sizeInfo(CL_DEVICE_IMAGE3D_MAX_WIDTH), sizeInfo(CL_DEVICE_IMAGE3D_MAX_HEIGHT),
                       sizeInfo(CL_DEVICE_IMAGE3D_MAX_DEPTH));
}

int QCLDevice::maximumSamplers() const { return int(uintInfo(CL_DEVICE_MAX_SAMPLERS)); }
int QCLDevice::maximumReadImages() const { return int(uintInfo(CL_DEVICE_MAX_READ_IMAGE_ARGS)); }
int QCLDevice::maximumWriteImages() const { return int(uintInfo(CL_DEVICE_MAX_WRITE_IMAGE_ARGS)); }
int QCLDevice::preferredCharVectorSize() const { return int(uintInfo(CL_DEVICE_PREFERRED_VECTOR_WIDTH_CHAR)); }
int QCLDevice::preferredShortVectorSize() const { return int(uintInfo(CL_DEVICE_PREFERRED_VECTOR_WIDTH_SHORT)); }
int QCLDevice::preferredIntVectorSize() const { return int(uintInfo(CL_DEVICE_PREFERRED_VECTOR_WIDTH_INT)); }
int QCLDevice::preferredLongVectorSize() const { return int(uintInfo(CL_DEVICE_PREFERRED_VECTOR_WIDTH_LONG)); }
int QCLDevice::preferredFloatVectorSize() const { return int(uintInfo(CL_DEVICE_PREFERRED_VECTOR_WIDTH_FLOAT)); }
int QCLDevice::preferredDoubleVectorSize() const { return int(uintInfo(CL_DEVICE_PREFERRED_VECTOR_WIDTH_DOUBLE)); }
int QCLDevice::preferredHalfFloatVectorSize() const { return int(uintInfo(CL_DEVICE_PREFERRED_VECTOR_WIDTH_HALF)); }
int QCLDevice::nativeCharVectorSize() const { return int(uintInfo(CL_DEVICE_NATIVE_VECTOR_WIDTH_CHAR)); }
int QCLDevice::nativeShortVectorSize() const { return int(uintInfo(CL_DEVICE_NATIVE_VECTOR_WIDTH_SHORT)); }
int QCLDevice::nativeIntVectorSize() const { return int(uintInfo(CL_DEVICE_NATIVE_VECTOR_WIDTH_INT)); }
int QCLDevice::nativeLongVectorSize() const { return int(uintInfo(CL_DEVICE_NATIVE_VECTOR_WIDTH_LONG)); }
int QCLDevice::nativeFloatVectorSize() const { return int(uintInfo(CL_DEVICE_NATIVE_VECTOR_WIDTH_FLOAT)); }
int QCLDevice::nativeDoubleVectorSize() const { return int(uintInfo(CL_DEVICE_NATIVE_VECTOR_WIDTH_DOUBLE)); }
int QCLDevice::nativeHalfFloatVectorSize() const { return int(uintInfo(CL_DEVICE_NATIVE_VECTOR_WIDTH_HALF)); }

static QCLDevice::FloatCapabilities fpConfig(cl_device_id id, cl_device_info name)
{
    cl_device_fp_config config = 0;
    if (!id || clGetDeviceInfo(id, name, sizeof(config), &config, nullptr) != CL_SUCCESS)
        return QCLDevice::NotSupported;
    return QCLDevice::FloatCapabilities(int(config & 0x3F));
}

QCLDevice::FloatCapabilities QCLDevice::floatCapabilities() const { return fpConfig(m_id, CL_DEVICE_SINGLE_FP_CONFIG); }
QCLDevice::FloatCapabilities QCLDevice::doubleCapabilities() const { return fpConfig(m_id, CL_DEVICE_DOUBLE_FP_CONFIG); }
QCLDevice::FloatCapabilities QCLDevice::halfFloatCapabilities() const { return fpConfig(m_id, 0x1033); } // CL_DEVICE_HALF_FP_CONFIG (cl_khr_fp16)

quint64 QCLDevice::profilingTimerResolution() const { return sizeInfo(CL_DEVICE_PROFILING_TIMER_RESOLUTION); }
quint64 QCLDevice::maximumAllocationSize() const { return ulongInfo(CL_DEVICE_MAX_MEM_ALLOC_SIZE); }
quint64 QCLDevice::globalMemorySize() const { return ulongInfo(CL_DEVICE_GLOBAL_MEM_SIZE); }

QCLDevice::CacheType QCLDevice::globalMemoryCacheType() const
{
    cl_device_mem_cache_type type = CL_NONE;
    if (!m_id || clGetDeviceInfo(m_id, CL_DEVICE_GLOBAL_MEM_CACHE_TYPE, sizeof(type), &type, nullptr) != CL_SUCCESS)
        return NoCache;
    if (type == CL_READ_WRITE_CACHE)
        return ReadWriteCache;
    if (type == CL_READ_ONLY_CACHE)
        return ReadOnlyCache;
    return NoCache;
}

quint64 QCLDevice::globalMemoryCacheSize() const { return ulongInfo(CL_DEVICE_GLOBAL_MEM_CACHE_SIZE); }
int QCLDevice::globalMemoryCacheLineSize() const { return int(uintInfo(CL_DEVICE_GLOBAL_MEM_CACHELINE_SIZE)); }
quint64 QCLDevice::localMemorySize() const { return ulongInfo(CL_DEVICE_LOCAL_MEM_SIZE); }

bool QCLDevice::isLocalMemorySeparate() const
{
    cl_device_local_mem_type type = CL_GLOBAL;
    if (!m_id || clGetDeviceInfo(m_id, CL_DEVICE_LOCAL_MEM_TYPE, sizeof(type), &type, nullptr) != CL_SUCCESS)
        return false;
    return type == CL_LOCAL;
}

quint64 QCLDevice::maximumConstantBufferSize() const { return ulongInfo(CL_DEVICE_MAX_CONSTANT_BUFFER_SIZE); }
int QCLDevice::maximumConstantArguments() const { return int(uintInfo(CL_DEVICE_MAX_CONSTANT_ARGS)); }
int QCLDevice::minimumAlignment() const { return int(uintInfo(CL_DEVICE_MEM_BASE_ADDR_ALIGN)); }
int QCLDevice::maximumParameterBytes() const { return int(sizeInfo(CL_DEVICE_MAX_PARAMETER_SIZE)); }
bool QCLDevice::isFullProfile() const { return profile() == QLatin1String("FULL_PROFILE"); }
bool QCLDevice::isEmbeddedProfile() const { return profile() == QLatin1String("EMBEDDED_PROFILE"); }
QString QCLDevice::profile() const { return stringInfo(CL_DEVICE_PROFILE); }
QString QCLDevice::version() const { return stringInfo(CL_DEVICE_VERSION); }
QString QCLDevice::driverVersion() const { return stringInfo(CL_DRIVER_VERSION); }
QString QCLDevice::languageVersion() const { return stringInfo(CL_DEVICE_OPENCL_C_VERSION); }
QString QCLDevice::name() const { return stringInfo(CL_DEVICE_NAME); }
QString QCLDevice::vendor() const { return stringInfo(CL_DEVICE_VENDOR); }

QStringList QCLDevice::extensions() const
{
    return stringInfo(CL_DEVICE_EXTENSIONS).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool QCLDevice::hasExtension(const QString &name) const { return extensions().contains(name); }

QList<QCLDevice> QCLDevice::devices(DeviceTypes types, const QCLPlatform &platform)
{
    QList<QCLDevice> result;
    QList<QCLPlatform> platforms;
    if (platform.isNull())
        platforms = QCLPlatform::platforms();
    else
        platforms.append(platform);
    for (const QCLPlatform &p : std::as_const(platforms)) {
        cl_uint count = 0;
        const cl_device_type type = cl_device_type(types.toInt());
        if (clGetDeviceIDs(p.platformId(), type, 0, nullptr, &count) != CL_SUCCESS || count == 0)
            continue;
        std::vector<cl_device_id> ids(count);
        if (clGetDeviceIDs(p.platformId(), type, count, ids.data(), nullptr) != CL_SUCCESS)
            continue;
        for (cl_device_id id : ids)
            result.append(QCLDevice(id));
    }
    return result;
}

QList<QCLDevice> QCLDevice::allDevices()
{
    return devices(All);
}
