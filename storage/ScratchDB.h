#pragma once
#include "ScratchFolder.h"

#include <QHash>
#include <QImage>
#include <QIODevice>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QSet>
#include <QVariant>
#include <condition_variable>
#include <mutex>
#include <set>

class ScratchItem;
class ScratchTarget;
class ScratchThread;
class ScratchWorker;

// Store of layer snapshots for undo. Keeps the images of its items in memory
// up to a limit and moves the oldest to PNG files in a private folder on a
// low-priority thread; commands hold only item ids. A snapshot read back
// from its file may be dropped from memory again (its file stays), so a
// long run of undo and redo keeps near the limit too.
//
// Public operations are called on the thread the store lives on (the GUI
// thread). The worker thread shares the item list (list lock) and the memory
// counters (memory lock); the list lock is always taken first.
class ScratchDB : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 DefaultMemoryLimit = 134217728;

    // Writes one snapshot as PNG, and reads one back (Qt's writer and reader
    // until set; Qt's reader refuses pictures over 128 MiB).
    using ImageWriter = bool (*)(const QImage &image, QIODevice *pDevice);
    using ImageReader = QImage (*)(const QString &fileName);

    explicit ScratchDB(QObject *pParent = nullptr);
    ~ScratchDB() override;

    // Prepares the folder under the system's temporary directory, reads
    // "Scratch_MaxMemoryUsage" and starts the worker.
    void Init();
    // The same with an explicit root folder and memory limit.
    void Init(const QString &sRoot, qint64 iLimit);
    // A clean exit: stops the worker and removes the instance's folder with
    // every file in it. The store keeps working from memory afterwards.
    void Shutdown();

    // The encoder for snapshots written to disk (Qt's PNG writer until set).
    void SetImageWriter(ImageWriter writer) { m_writeImage = writer; }
    void SetImageReader(ImageReader reader) { m_readImage = reader; }

    int AddItem(ScratchTarget *pTarget);
    // A snapshot from a PNG file of this user (a recovery copy's): moved into
    // the folder and read back when asked for, like one spilled to disk. Its
    // size, format and position are what the file is said to hold; a file
    // that turns out otherwise fails to restore. -1 when it cannot be taken.
    int AdoptFile(const QString &sPath, const QSize &size, QImage::Format format, const QPointF &pos);
    // What a recovery copy needs of a snapshot: its file when it has one,
    // else its image (shared); false once released or unreadable.
    bool ItemSource(int iId, QString *pFileName, QImage *pImage, QPointF *pPos, QSize *pSize) const;
    void RestoreItem(ScratchTarget *pTarget, int iId);
    // The target was placed after its item was added (a layer read from a
    // file): the item takes its place too.
    void PlaceItem(int iId, const QPointF &pos);
    void ReleaseItem(int iId);

    // Applies at once the restore still pending for the target, waiting for
    // the worker to read it if need be. Called before an edit begins, so that
    // the edit starts from the image the user last asked for.
    void WaitForPending(ScratchTarget *pTarget);
    bool HasPending(ScratchTarget *pTarget) const;
    // The target is going away: its pending restores are dropped.
    void ForgetTarget(ScratchTarget *pTarget);

    // Waits until the worker has done everything queued so far and hands its
    // results over.
    void Sync();

    qint64 memoryInUse() const;
    qint64 memoryLimit() const { return m_iMemoryLimit; }
    QString folder() const { return m_folder.Path(); }
    int itemCount() const;
    bool isItemInMemory(int iId) const;
    QString itemFileName(int iId) const;

    // Memory in whole MiB followed by "Mb".
    static QString MemoryText(qint64 iBytes);
    // The limit for a setting value: the default when absent (invalid),
    // 0 when it does not convert to an integer.
    static qint64 LimitFromSetting(const QVariant &value);
    static QString RestoreFailedMessage();

signals:
    // The text of the memory figure, emitted on the GUI thread when it changes.
    void MemoryUsageChanged(const QString &sText);
    // A snapshot could not be read back; the layer kept its image.
    void RestoreFailed(const QString &sMessage);

private slots:
    void EmitMemoryFigure();
    void ApplyRead(int iId, const QImage &image, const QPointF &pos);

private:
    friend class ScratchWorker;

    // Worker thread.
    bool OverLimit() const;
    void SpillToDisk();
    // Drops images read back from their files (oldest first, none that a
    // restore still waits for) until half the limit is reached; false when
    // they were not enough.
    bool DropReadBack();
    bool DropReadBackLocked();
    bool WriteImage(const QImage &image, QString &sFileName) const;
    void ReadItem(int iId, QImage &image, QPointF &pos);
    void DropItem(int iId);

    void AddMemory(qint64 iDelta);
    void SetPending(ScratchTarget *pTarget, int iId);
    void ClearPending(ScratchTarget *pTarget);
    void Unpin(int iId);
    void NoteMemoryChanged();
    void ReportFailure(int iId);
    bool ValidId(int iId) const;

    ScratchFolder m_folder;
    ScratchThread *m_pThread = nullptr;
    ScratchWorker *m_pWorker = nullptr;

    // Standard mutexes rather than QMutex: the thread checker sees them.
    mutable std::mutex m_listLock;
    QList<ScratchItem *> m_items;
    std::condition_variable m_itemSettled; // a read finished or an item was released
    int m_iSpillCursor = 0;       // worker only: items before it never spill
    std::set<int> m_readBack;     // items read back from their file and in memory again

    mutable std::mutex m_memoryLock;
    qint64 m_iMemoryLimit = 0;    // set before the worker starts
    qint64 m_iMemoryInUse = 0;

    // GUI thread only.
    QHash<ScratchTarget *, int> m_pending; // latest requested restore per target
    QSet<int> m_reportedFailures;
    QString m_sLastFigure;
    ImageWriter m_writeImage = nullptr;
    ImageReader m_readImage = nullptr;
};
