#pragma once
#include <QByteArray>
#include <QString>

#include <functional>

// Writes a whole file so that it is either replaced completely or left as it
// was: the bytes go to a new file beside it, are flushed to the disk, and
// only then is the new file renamed over the old one. Every failure (a full
// disk, a size limit, a missing folder) is reported with the system's own
// words, and no partial file is ever left under either name.
namespace AtomicFile {

bool Write(const QString &path, const QByteArray &bytes, QString *pError);

// The same for a file written piece by piece: fill gets the new file's
// descriptor (open for writing, at its start) and returns false with errno
// set, or with *pError set, when it could not write.
bool Write(const QString &path, const std::function<bool(int fd, QString *pError)> &fill, QString *pError);

} // namespace AtomicFile
