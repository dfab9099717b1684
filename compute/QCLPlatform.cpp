#include "QCLPlatform.h"

#include <QRegularExpression>
#include <vector>

QString QCLPlatform::info(cl_platform_info name) const
{
    if (!m_id)
        return QString();
    size_t size = 0;
    if (clGetPlatformInfo(m_id, name, 0, nullptr, &size) != CL_SUCCESS || size == 0)
        return QString();
    QByteArray buffer(int(size), '\0');
    if (clGetPlatformInfo(m_id, name, size, buffer.data(), nullptr) != CL_SUCCESS)
        return QString();
    return QString::fromLatin1(buffer.constData()); // stops at the terminating NUL
}

QString QCLPlatform::profile() const { return info(CL_PLATFORM_PROFILE); }
QString QCLPlatform::version() const { return info(CL_PLATFORM_VERSION); }
QString QCLPlatform::name() const { return info(CL_PLATFORM_NAME); }
QString QCLPlatform::vendor() const { return info(CL_PLATFORM_VENDOR); }

QString QCLPlatform::extensionSuffix() const
{
    // CL_PLATFORM_ICD_SUFFIX_KHR; only answered by ICD platforms.
    return info(0x0920);
}

QStringList QCLPlatform::extensions() const
{
    return info(CL_PLATFORM_EXTENSIONS).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool QCLPlatform::isFullProfile() const
{
    return profile() == QLatin1String("FULL_PROFILE");
}

bool QCLPlatform::isEmbeddedProfile() const
{
    return profile() == QLatin1String("EMBEDDED_PROFILE");
}

bool QCLPlatform::hasExtension(const QString &name) const
{
    return extensions().contains(name);
}

QCLPlatform::VersionFlags QCLPlatform::parseVersionFlags(const QString &version)
{
    static const QRegularExpression re(QStringLiteral("^OpenCL (\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch m = re.match(version);
    if (!m.hasMatch())
        return {};
    const int major = m.captured(1).toInt();
    const int minor = m.captured(2).toInt();
    const int v = major * 10 + minor;
    VersionFlags flags;
    if (v >= 10) flags |= Version_1_0;
    if (v >= 11) flags |= Version_1_1;
    if (v >= 12) flags |= Version_1_2;
    if (v >= 20) flags |= Version_2_0;
    if (v >= 21) flags |= Version_2_1;
    if (v >= 22) flags |= Version_2_2;
    if (v >= 30) flags |= Version_3_0;
    return flags;
}

QCLPlatform::VersionFlags QCLPlatform::versionFlags() const
{
    return parseVersionFlags(version());
}

QList<QCLPlatform> QCLPlatform::platforms()
{
    QList<QCLPlatform> result;
    cl_uint count = 0;
    // The loader answers CL_PLATFORM_NOT_FOUND_KHR when no vendor is installed:
    // that simply means there is no platform.
    if (clGetPlatformIDs(0, nullptr, &count) != CL_SUCCESS || count == 0)
        return result;
    std::vector<cl_platform_id> ids(count);
    if (clGetPlatformIDs(count, ids.data(), nullptr) != CL_SUCCESS)
        return result;
    for (cl_platform_id id : ids)
        result.append(QCLPlatform(id));
    return result;
}
