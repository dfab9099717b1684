#pragma once
#include <CL/cl.h>
#include <QList>
#include <QString>
#include <QStringList>

// One OpenCL platform. Platform ids are not reference counted, so copies are
// plain copies of the id.
class QCLPlatform
{
public:
    enum VersionFlag {
        Version_1_0 = 0x0001,
        Version_1_1 = 0x0002,
        Version_1_2 = 0x0004,
        Version_2_0 = 0x0008,
        Version_2_1 = 0x0010,
        Version_2_2 = 0x0020,
        Version_3_0 = 0x0040
    };
    Q_DECLARE_FLAGS(VersionFlags, VersionFlag)

    QCLPlatform() = default;
    explicit QCLPlatform(cl_platform_id id) : m_id(id) {}

    bool isNull() const { return m_id == nullptr; }
    cl_platform_id platformId() const { return m_id; }

    QString profile() const;
    QString version() const;
    QString name() const;
    QString vendor() const;
    QString extensionSuffix() const;
    QStringList extensions() const;
    bool isFullProfile() const;
    bool isEmbeddedProfile() const;
    // Every OpenCL version the platform supports (a 1.2 platform also has 1.1).
    VersionFlags versionFlags() const;
    bool hasExtension(const QString &name) const;

    static QList<QCLPlatform> platforms();
    // Version flags parsed from a CL_PLATFORM_VERSION style text.
    static VersionFlags parseVersionFlags(const QString &version);

    bool operator==(const QCLPlatform &other) const { return m_id == other.m_id; }
    bool operator!=(const QCLPlatform &other) const { return m_id != other.m_id; }

private:
    QString info(cl_platform_info name) const;
    cl_platform_id m_id = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(QCLPlatform::VersionFlags)
