// The store's disk side, run on its worker thread: spilling the oldest
// snapshots to PNG files, reading them back, dropping what was read back
// and released items. The list lock is always taken before the memory lock.
#include "ScratchDB.h"
#include "ScratchItem.h"

#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryFile>

#include <algorithm>

bool ScratchDB::OverLimit() const
{
    std::lock_guard memory(m_memoryLock);
    return m_iMemoryInUse > m_iMemoryLimit;
}

bool ScratchDB::DropReadBack()
{
    std::unique_lock list(m_listLock);
    return DropReadBackLocked();
}

bool ScratchDB::DropReadBackLocked()
{
    for (;;) {
        {
            std::lock_guard memory(m_memoryLock);
            if (m_iMemoryInUse <= m_iMemoryLimit / 2)
                return true;
        }
        // Oldest first; not while a restore still waits for the image.
        const auto readBack = std::find_if(m_readBack.begin(), m_readBack.end(),
                                           [this](int i) { return m_items.at(i)->pins == 0; });
        if (readBack == m_readBack.end())
            return false;
        ScratchItem *pItem = m_items.at(*readBack);
        m_readBack.erase(readBack);
        AddMemory(-pItem->bytes);
        pItem->image = QImage();
        NoteMemoryChanged();
    }
}

void ScratchDB::SpillToDisk()
{
    QSet<int> failedNow; // written without success in this spill: not again
    std::unique_lock list(m_listLock);
    // Snapshots read back earlier still have their files: dropping them
    // again costs nothing, so they go first.
    if (DropReadBackLocked())
        return;
    for (;;) {
        {
            std::lock_guard memory(m_memoryLock);
            if (m_iMemoryInUse <= m_iMemoryLimit / 2)
                break;
        }
        // Items that have a file or were released are never written again.
        while (m_iSpillCursor < m_items.size()) {
            const ScratchItem *pItem = m_items.at(m_iSpillCursor);
            if (pItem->fileName.isEmpty() && !pItem->image.isNull())
                break;
            ++m_iSpillCursor;
        }
        int iId = -1;
        for (int i = m_iSpillCursor; i < m_items.size(); ++i) {
            const ScratchItem *pItem = m_items.at(i);
            if (pItem->fileName.isEmpty() && !pItem->image.isNull() && !failedNow.contains(i)) {
                iId = i;
                break;
            }
        }
        if (iId < 0)
            break;

        QString sFileName;
        bool bWritten;
        {
            // The item keeps its image while it is written, so a restore in
            // the meantime is served from memory.
            const QImage image = m_items.at(iId)->image;
            list.unlock();
            bWritten = WriteImage(image, sFileName);
        }
        list.lock();
        if (!bWritten) {
            failedNow.insert(iId);
            continue;
        }
        ScratchItem *pItem = m_items.at(iId);
        AddMemory(-pItem->bytes);
        pItem->image = QImage();
        pItem->fileName = sFileName;
        NoteMemoryChanged();
    }
}

bool ScratchDB::WriteImage(const QImage &image, QString &sFileName) const
{
    if (m_folder.Path().isEmpty())
        return false;
    QTemporaryFile file(m_folder.Path() + QStringLiteral("/pixmap-XXXXXX.png"));
    file.setAutoRemove(false);
    if (!file.open())
        return false;
    bool bOk;
    if (m_writeImage) {
        bOk = m_writeImage(image, &file);
    } else {
        QImageWriter writer(&file, "png");
        writer.setQuality(90); // light compression: snapshots are written often and read rarely
        bOk = writer.write(image);
    }
    bOk = bOk && file.flush();
    sFileName = file.fileName();
    file.close();
    bOk = bOk && file.error() == QFileDevice::NoError;
    if (!bOk)
        QFile::remove(sFileName);
    return bOk;
}

void ScratchDB::ReadItem(int iId, QImage &image, QPointF &pos)
{
    QString sFileName;
    QSize size;
    QImage::Format format;
    {
        std::unique_lock list(m_listLock);
        if (!ValidId(iId))
            return;
        const ScratchItem *pItem = m_items.at(iId);
        pos = pItem->position;
        if (!pItem->image.isNull() || pItem->readFailed || pItem->fileName.isEmpty()) {
            // Already read back (an earlier request), known bad, or released.
            image = pItem->image;
            return;
        }
        sFileName = pItem->fileName;
        size = pItem->size;
        format = pItem->format;
    }

    // Only this thread writes or forgets files, so the name stays valid
    // without the lock while the file is read.
    // A file that is not of the snapshot's size is never decoded.
    QImage loaded;
    QImageReader header(sFileName, "png");
    if (header.size() == size) {
        if (m_readImage)
            loaded = m_readImage(sFileName);
        else
            header.read(&loaded);
    }
    if (!loaded.isNull() && loaded.format() != format)
        loaded.convertTo(format);
    if (loaded.size() != size)
        loaded = QImage();

    {
        std::unique_lock list(m_listLock);
        ScratchItem *pItem = m_items.at(iId);
        if (loaded.isNull()) {
            pItem->readFailed = true;
        } else {
            pItem->image = loaded;
            m_readBack.insert(iId);
            std::lock_guard memory(m_memoryLock);
            m_iMemoryInUse += pItem->bytes;
        }
        m_itemSettled.notify_all();
    }
    if (!loaded.isNull())
        NoteMemoryChanged();
    image = loaded;
}

void ScratchDB::DropItem(int iId)
{
    {
        std::unique_lock list(m_listLock);
        if (!ValidId(iId))
            return;
        ScratchItem *pItem = m_items.at(iId);
        {
            std::lock_guard memory(m_memoryLock);
            if (!pItem->image.isNull())
                m_iMemoryInUse -= pItem->bytes;
        }
        pItem->image = QImage();
        pItem->fileName.clear();
        pItem->released = true;
        m_readBack.erase(iId);
        m_itemSettled.notify_all();
    }
    NoteMemoryChanged();
}
