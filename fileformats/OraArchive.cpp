#include "OraArchive.h"
#include "FileProblem.h"

#include <zip.h>

#include <cerrno>
#include <unistd.h>

#include <new>

namespace {

QString zipError(zip_error_t *pError)
{
    return QString::fromLocal8Bit(zip_error_strerror(pError));
}

bool safeName(const QString &name)
{
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')))
        return false;
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return !path.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

} // namespace

OraArchiveReader::OraArchiveReader() = default;

OraArchiveReader::~OraArchiveReader()
{
    if (m_pZip)
        zip_discard(m_pZip);
}

bool OraArchiveReader::Open(const QByteArray &bytes, QString *pError)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *pSource = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (pSource)
        m_pZip = zip_open_from_source(pSource, ZIP_RDONLY, &error);
    if (!m_pZip) {
        if (pSource)
            zip_source_free(pSource);
        *pError = FileProblem::Damaged(QStringLiteral("The zip archive cannot be read: %1").arg(zipError(&error)));
        zip_error_fini(&error);
        return false;
    }
    zip_error_fini(&error);
    const zip_int64_t iCount = zip_get_num_entries(m_pZip, 0);
    for (zip_int64_t i = 0; i < iCount; ++i) {
        const char *pName = zip_get_name(m_pZip, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!pName)
            continue;
        const QString name = QString::fromUtf8(pName);
        if (!safeName(name)) {
            *pError = FileProblem::Damaged(QStringLiteral("The archive names a file outside itself (\"%1\").").arg(name));
            return false;
        }
        if (!m_index.contains(name))
            m_index.insert(name, i);
    }
    return true;
}

bool OraArchiveReader::Read(const QString &name, qint64 iLimit, QByteArray *pOut, QString *pError) const
{
    const auto found = m_index.constFind(name);
    if (found == m_index.cend()) {
        *pError = FileProblem::Damaged(QStringLiteral("The archive has no \"%1\".").arg(name));
        return false;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_pZip, zip_uint64_t(*found), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)
        || !(st.valid & ZIP_STAT_COMP_METHOD)) {
        *pError = FileProblem::Damaged(QStringLiteral("The entry \"%1\" cannot be read.").arg(name));
        return false;
    }
    if (st.comp_method != ZIP_CM_STORE && st.comp_method != ZIP_CM_DEFLATE) {
        *pError = FileProblem::Damaged(
            QStringLiteral("The entry \"%1\" is compressed in a way the editor does not read (method %2).")
                .arg(name).arg(st.comp_method));
        return false;
    }
    if (st.size > zip_uint64_t(iLimit)) {
        *pError = QStringLiteral("The entry \"%1\" is too large (%2 bytes).").arg(name).arg(st.size);
        return false;
    }
    zip_file_t *pFile = zip_fopen_index(m_pZip, zip_uint64_t(*found), 0);
    if (!pFile) {
        *pError = FileProblem::Damaged(QStringLiteral("The entry \"%1\" cannot be read: %2")
                                           .arg(name, QString::fromLocal8Bit(zip_strerror(m_pZip))));
        return false;
    }
    QByteArray bytes;
    bool bOk = true;
    try {
        // One byte more than declared shows an entry that is longer than it says.
        bytes.resize(qsizetype(st.size) + 1);
        qint64 done = 0;
        while (true) {
            const zip_int64_t n = zip_fread(pFile, bytes.data() + done, zip_uint64_t(bytes.size() - done));
            if (n < 0) {
                bOk = false;
                break;
            }
            if (n == 0)
                break;
            done += n;
            if (done == bytes.size())
                break;
        }
        if (bOk && done != qint64(st.size))
            bOk = false;
        bytes.resize(qsizetype(done));
    } catch (const std::bad_alloc &) {
        zip_fclose(pFile);
        *pError = QStringLiteral("There is not enough memory to open this document.");
        return false;
    }
    const QString detail = bOk ? QString() : QString::fromLocal8Bit(zip_file_strerror(pFile));
    zip_fclose(pFile);
    if (!bOk) {
        *pError = FileProblem::Damaged(QStringLiteral("The entry \"%1\" is not what the archive says it is%2")
                                           .arg(name, detail.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + detail));
        return false;
    }
    *pOut = std::move(bytes);
    return true;
}

struct OraArchiveWriter::State {
    struct Entry {
        QString name;
        QByteArray data;
        bool bDeflate;
    };
    QList<Entry> entries;
};

namespace {

// A target that writes straight to a file descriptor (the archive is built
// in one pass; libzip seeks back only to complete the local headers).
struct FdTarget {
    int fd;
    zip_error_t error;
};

zip_int64_t fdTarget(void *pUser, void *pData, zip_uint64_t length, zip_source_cmd_t command)
{
    auto *pTarget = static_cast<FdTarget *>(pUser);
    switch (command) {
    case ZIP_SOURCE_WRITE: {
        const char *p = static_cast<const char *>(pData);
        zip_uint64_t done = 0;
        while (done < length) {
            const ssize_t n = ::write(pTarget->fd, p + done, size_t(length - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                zip_error_set(&pTarget->error, ZIP_ER_WRITE, n < 0 ? errno : EIO);
                return -1;
            }
            done += zip_uint64_t(n);
        }
        return zip_int64_t(length);
    }
    case ZIP_SOURCE_SEEK_WRITE: {
        auto *pArgs = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, pData, length, &pTarget->error);
        if (!pArgs)
            return -1;
        if (::lseek(pTarget->fd, off_t(pArgs->offset), pArgs->whence) < 0) {
            zip_error_set(&pTarget->error, ZIP_ER_SEEK, errno);
            return -1;
        }
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE: {
        const off_t at = ::lseek(pTarget->fd, 0, SEEK_CUR);
        if (at < 0)
            zip_error_set(&pTarget->error, ZIP_ER_TELL, errno);
        return at;
    }
    case ZIP_SOURCE_STAT: {
        // A new, empty archive.
        auto *pStat = ZIP_SOURCE_GET_ARGS(zip_stat_t, pData, length, &pTarget->error);
        if (!pStat)
            return -1;
        zip_stat_init(pStat);
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&pTarget->error, pData, length);
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_WRITABLE;
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_READ:
    case ZIP_SOURCE_SEEK:
    case ZIP_SOURCE_TELL:
    case ZIP_SOURCE_FREE:
        return 0;
    default:
        zip_error_set(&pTarget->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

OraArchiveWriter::OraArchiveWriter()
    : m_pState(std::make_unique<State>())
{
}

OraArchiveWriter::~OraArchiveWriter() = default;

void OraArchiveWriter::Add(const QString &name, const QByteArray &data, bool bDeflate)
{
    m_pState->entries.append({name, data, bDeflate});
}

bool OraArchiveWriter::Build(zip_source_t *pTarget, QString *pError) const
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_keep(pTarget);
    zip_t *pZip = zip_open_from_source(pTarget, ZIP_TRUNCATE, &error);
    if (!pZip) {
        zip_source_free(pTarget);
        *pError = zipError(&error);
        zip_error_fini(&error);
        return false;
    }
    zip_error_fini(&error);
    for (const State::Entry &e : std::as_const(m_pState->entries)) {
        zip_source_t *pSource = zip_source_buffer(pZip, e.data.constData(), zip_uint64_t(e.data.size()), 0);
        const QByteArray utf8 = e.name.toUtf8();
        const zip_int64_t index = pSource ? zip_file_add(pZip, utf8.constData(), pSource, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0 && pSource)
            zip_source_free(pSource);
        if (index < 0
            || zip_set_file_compression(pZip, zip_uint64_t(index), e.bDeflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                        e.bDeflate ? 6 : 0) != 0) {
            *pError = QString::fromLocal8Bit(zip_strerror(pZip));
            zip_discard(pZip);
            return false;
        }
    }
    if (zip_close(pZip) != 0) {
        *pError = QString::fromLocal8Bit(zip_strerror(pZip));
        zip_discard(pZip);
        return false;
    }
    return true;
}

QByteArray OraArchiveWriter::Finish(QString *pError) const
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *pTarget = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!pTarget) {
        *pError = zipError(&error);
        zip_error_fini(&error);
        return QByteArray();
    }
    zip_error_fini(&error);
    QByteArray bytes;
    zip_stat_t st;
    zip_stat_init(&st);
    bool bOk = Build(pTarget, pError);
    if (bOk && (zip_source_stat(pTarget, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) || zip_source_open(pTarget) != 0)) {
        *pError = QStringLiteral("The archive could not be assembled.");
        bOk = false;
    } else if (bOk) {
        try {
            bytes.resize(qsizetype(st.size));
            bOk = zip_source_read(pTarget, bytes.data(), st.size) == zip_int64_t(st.size);
        } catch (const std::bad_alloc &) {
            bOk = false;
        }
        zip_source_close(pTarget);
        if (!bOk)
            *pError = QStringLiteral("There is not enough memory to write the document.");
    }
    zip_source_free(pTarget);
    return bOk ? bytes : QByteArray();
}

bool OraArchiveWriter::WriteTo(int fd, QString *pError) const
{
    FdTarget target{fd, {}};
    zip_error_init(&target.error);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *pTarget = zip_source_function_create(&fdTarget, &target, &error);
    bool bOk = pTarget != nullptr;
    if (!bOk)
        *pError = zipError(&error);
    else {
        bOk = Build(pTarget, pError);
        zip_source_free(pTarget);
    }
    zip_error_fini(&error);
    zip_error_fini(&target.error);
    return bOk;
}
