#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>

struct zip;
struct zip_source;

// The zip side of OpenRaster, through libzip, in memory.
//
// Reading treats the archive as hostile: names with ".." or a leading "/"
// refuse the whole archive, only stored and deflated entries are read, an
// entry's declared size is checked against the caller's limit before
// anything is allocated and reading stops at that size, and when a name
// appears twice the first entry is the one read.
class OraArchiveReader {
public:
    OraArchiveReader();
    ~OraArchiveReader();
    OraArchiveReader(const OraArchiveReader &) = delete;
    OraArchiveReader &operator=(const OraArchiveReader &) = delete;

    // The bytes must outlive the reader. False with the reason in *pError.
    bool Open(const QByteArray &bytes, QString *pError);
    bool Contains(const QString &name) const { return m_index.contains(name); }
    // The whole entry, at most iLimit bytes; false with the reason.
    bool Read(const QString &name, qint64 iLimit, QByteArray *pOut, QString *pError) const;

private:
    zip *m_pZip = nullptr;
    QHash<QString, qint64> m_index;
};

// Builds an archive: entries are written in the order added, into memory
// or straight into a file.
class OraArchiveWriter {
public:
    OraArchiveWriter();
    ~OraArchiveWriter();
    OraArchiveWriter(const OraArchiveWriter &) = delete;
    OraArchiveWriter &operator=(const OraArchiveWriter &) = delete;

    // Stored (already compressed data, and the mimetype) or deflated.
    void Add(const QString &name, const QByteArray &data, bool bDeflate);
    // The archive's bytes; empty with the reason on failure.
    QByteArray Finish(QString *pError) const;
    // The archive written to a descriptor open for writing at its start.
    bool WriteTo(int fd, QString *pError) const;

private:
    struct State;
    bool Build(zip_source *pTarget, QString *pError) const;
    std::unique_ptr<State> m_pState;
};
