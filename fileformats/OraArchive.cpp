#include "OraArchive.h"
#include "FileProblem.h"

#include <zip.h>

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
    zip_source_t *pTarget = nullptr;
    zip_t *pZip = nullptr;
    QString error;
    // The entries' data, shared (not copied) until the archive is written.
    QList<QByteArray> kept;
};

OraArchiveWriter::OraArchiveWriter()
    : m_pState(std::make_unique<State>())
{
    zip_error_t error;
    zip_error_init(&error);
    m_pState->pTarget = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (m_pState->pTarget) {
        zip_source_keep(m_pState->pTarget);
        m_pState->pZip = zip_open_from_source(m_pState->pTarget, ZIP_TRUNCATE, &error);
    }
    if (!m_pState->pZip)
        m_pState->error = zipError(&error);
    zip_error_fini(&error);
}

OraArchiveWriter::~OraArchiveWriter()
{
    if (m_pState->pZip)
        zip_discard(m_pState->pZip);
    if (m_pState->pTarget)
        zip_source_free(m_pState->pTarget);
}

bool OraArchiveWriter::Add(const QString &name, const QByteArray &data, bool bDeflate, QString *pError)
{
    if (!m_pState->pZip) {
        *pError = m_pState->error;
        return false;
    }
    m_pState->kept.append(data);
    zip_source_t *pSource = zip_source_buffer(m_pState->pZip, m_pState->kept.last().constData(),
                                              zip_uint64_t(data.size()), 0);
    const QByteArray utf8 = name.toUtf8();
    const zip_int64_t index = pSource ? zip_file_add(m_pState->pZip, utf8.constData(), pSource, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
        if (pSource)
            zip_source_free(pSource);
        *pError = QString::fromLocal8Bit(zip_strerror(m_pState->pZip));
        return false;
    }
    if (zip_set_file_compression(m_pState->pZip, zip_uint64_t(index), bDeflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                 bDeflate ? 6 : 0) != 0) {
        *pError = QString::fromLocal8Bit(zip_strerror(m_pState->pZip));
        return false;
    }
    return true;
}

QByteArray OraArchiveWriter::Finish(QString *pError)
{
    if (!m_pState->pZip) {
        *pError = m_pState->error;
        return QByteArray();
    }
    if (zip_close(m_pState->pZip) != 0) {
        *pError = QString::fromLocal8Bit(zip_strerror(m_pState->pZip));
        return QByteArray();
    }
    m_pState->pZip = nullptr;
    zip_source_t *pTarget = m_pState->pTarget;
    zip_stat_t st;
    zip_stat_init(&st);
    QByteArray bytes;
    if (zip_source_stat(pTarget, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) || zip_source_open(pTarget) != 0) {
        *pError = QStringLiteral("The archive could not be assembled.");
        return QByteArray();
    }
    try {
        bytes.resize(qsizetype(st.size));
    } catch (const std::bad_alloc &) {
        zip_source_close(pTarget);
        *pError = QStringLiteral("There is not enough memory to write the document.");
        return QByteArray();
    }
    const zip_int64_t n = zip_source_read(pTarget, bytes.data(), st.size);
    zip_source_close(pTarget);
    if (n != zip_int64_t(st.size)) {
        *pError = QStringLiteral("The archive could not be assembled.");
        return QByteArray();
    }
    return bytes;
}
