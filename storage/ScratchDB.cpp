#include "ScratchDB.h"
#include "ScratchItem.h"
#include "ScratchTarget.h"
#include "ScratchThread.h"
#include "ScratchWorker.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryFile>
#include <QThread>

#include <cstdio>
#include <sys/stat.h>

ScratchDB::ScratchDB(QObject *pParent)
    : QObject(pParent)
{
}

ScratchDB::~ScratchDB()
{
    Shutdown();
    qDeleteAll(m_items);
}

void ScratchDB::Shutdown()
{
    if (m_pThread) {
        m_pThread->Stop();
        delete m_pWorker;
        delete m_pThread;
        m_pWorker = nullptr;
        m_pThread = nullptr;
    }
    {
        // What lives only in the folder goes with it.
        std::unique_lock list(m_listLock);
        for (ScratchItem *pItem : std::as_const(m_items)) {
            if (pItem->image.isNull() && !pItem->fileName.isEmpty())
                pItem->readFailed = true;
            pItem->fileName.clear();
        }
        m_readBack.clear();
        m_itemSettled.notify_all();
    }
    m_folder.Close();
}

qint64 ScratchDB::LimitFromSetting(const QVariant &value)
{
    if (!value.isValid())
        return DefaultMemoryLimit;
    bool bOk = false;
    const qint64 iLimit = value.toLongLong(&bOk);
    return bOk ? iLimit : 0;
}

QString ScratchDB::MemoryText(qint64 iBytes)
{
    return QString::number(iBytes / 1024 / 1024) + QStringLiteral("Mb");
}

QString ScratchDB::RestoreFailedMessage()
{
    return tr("This step's undo data could not be read back from the scratch folder, "
              "so the layer keeps its present image.");
}

void ScratchDB::Init()
{
    QSettings settings;
    const QString key = QStringLiteral("Scratch_MaxMemoryUsage");
    Init(ScratchFolder::DefaultRoot(),
         LimitFromSetting(settings.contains(key) ? settings.value(key) : QVariant()));
}

void ScratchDB::Init(const QString &sRoot, qint64 iLimit)
{
    if (m_pThread)
        return;
    m_folder.Open(sRoot);
    {
        std::lock_guard memory(m_memoryLock);
        m_iMemoryLimit = iLimit;
    }
    // Everything the worker sees is set up before its thread starts.
    m_pThread = new ScratchThread;
    m_pWorker = new ScratchWorker(this);
    m_pWorker->moveToThread(m_pThread);
    connect(m_pWorker, &ScratchWorker::ItemRead, this, &ScratchDB::ApplyRead,
            Qt::QueuedConnection);
    m_pThread->start(QThread::LowestPriority);
    EmitMemoryFigure();
}

bool ScratchDB::ValidId(int iId) const
{
    return iId >= 0 && iId < m_items.size();
}

int ScratchDB::AddItem(ScratchTarget *pTarget)
{
    // What the layer shows now is the newest state; an older restore still
    // on its way must not overwrite it.
    ClearPending(pTarget);

    auto *pItem = new ScratchItem;
    pItem->image = pTarget->ScratchImage();
    pItem->position = pTarget->ScratchPosition();
    pItem->size = pItem->image.size();
    pItem->format = pItem->image.format();
    pItem->bytes = pItem->image.sizeInBytes();

    AddMemory(pItem->bytes);
    NoteMemoryChanged();

    int iId;
    {
        std::unique_lock list(m_listLock);
        m_items.append(pItem);
        iId = int(m_items.size()) - 1;
    }
    if (m_pWorker)
        QMetaObject::invokeMethod(m_pWorker, "UpdateList", Qt::QueuedConnection);
    return iId;
}

int ScratchDB::AdoptFile(const QString &sPath, const QSize &size, QImage::Format format, const QPointF &pos)
{
    struct stat st;
    if (m_folder.Path().isEmpty() || size.isEmpty() || ::lstat(QFile::encodeName(sPath).constData(), &st) != 0
        || !S_ISREG(st.st_mode))
        return -1; // a link is never taken in
    QTemporaryFile file(m_folder.Path() + QStringLiteral("/pixmap-XXXXXX.png"));
    file.setAutoRemove(false);
    if (!file.open())
        return -1;
    const QString sFileName = file.fileName();
    file.close();
    // Moved when both folders are on one disk, else copied.
    if (::rename(QFile::encodeName(sPath).constData(), QFile::encodeName(sFileName).constData()) != 0
        && !(QFile::remove(sFileName) && QFile::copy(sPath, sFileName))) {
        QFile::remove(sFileName);
        return -1;
    }
    auto *pItem = new ScratchItem;
    pItem->position = pos;
    pItem->size = size;
    pItem->format = format;
    pItem->bytes = qint64(size.width()) * size.height() * 4;
    pItem->fileName = sFileName;
    std::unique_lock list(m_listLock);
    m_items.append(pItem);
    return int(m_items.size()) - 1;
}

void ScratchDB::PlaceItem(int iId, const QPointF &pos)
{
    std::unique_lock list(m_listLock);
    if (ValidId(iId))
        m_items.at(iId)->position = pos;
}

bool ScratchDB::ItemSource(int iId, QString *pFileName, QImage *pImage, QPointF *pPos, QSize *pSize) const
{
    std::unique_lock list(m_listLock);
    if (!ValidId(iId))
        return false;
    const ScratchItem *pItem = m_items.at(iId);
    if (pItem->released || (pItem->fileName.isEmpty() && pItem->image.isNull()))
        return false;
    *pFileName = pItem->fileName;
    *pImage = pItem->fileName.isEmpty() ? pItem->image : QImage();
    *pPos = pItem->position;
    *pSize = pItem->size;
    return true;
}

void ScratchDB::RestoreItem(ScratchTarget *pTarget, int iId)
{
    QImage image;
    QPointF pos;
    bool bOnDisk = false;
    bool bFailed = false;
    {
        std::unique_lock list(m_listLock);
        if (!ValidId(iId))
            return;
        const ScratchItem *pItem = m_items.at(iId);
        image = pItem->image;
        pos = pItem->position;
        bFailed = pItem->readFailed;
        bOnDisk = !pItem->fileName.isEmpty();
    }

    if (!image.isNull()) {
        // Served from memory: supersedes any restore still being read.
        ClearPending(pTarget);
        pTarget->ScratchRestore(image, pos);
        return;
    }
    if (!bOnDisk || bFailed || !m_pWorker) {
        // Nothing to bring back; an older pending restore would be wrong too.
        ClearPending(pTarget);
        if (bFailed)
            ReportFailure(iId);
        return;
    }
    SetPending(pTarget, iId);
    QMetaObject::invokeMethod(m_pWorker, "RestoreItem", Qt::QueuedConnection, Q_ARG(int, iId));
}

void ScratchDB::ReleaseItem(int iId)
{
    if (m_pWorker)
        QMetaObject::invokeMethod(m_pWorker, "ReleaseItem", Qt::QueuedConnection, Q_ARG(int, iId));
    else
        DropItem(iId);
}

void ScratchDB::WaitForPending(ScratchTarget *pTarget)
{
    const auto it = m_pending.constFind(pTarget);
    if (it == m_pending.constEnd())
        return;
    const int iId = it.value();
    m_pending.erase(it);

    QImage image;
    QPointF pos;
    bool bFailed = false;
    {
        // The item stays pinned until here, so once read it cannot be
        // dropped again before this takes its image.
        std::unique_lock list(m_listLock);
        ScratchItem *pItem = m_items.at(iId);
        while (pItem->image.isNull() && !pItem->readFailed && !pItem->released)
            m_itemSettled.wait(list);
        image = pItem->image;
        pos = pItem->position;
        bFailed = image.isNull() && pItem->readFailed;
        --pItem->pins;
    }
    // The worker's own result arrives later and finds nothing pending.
    if (!image.isNull())
        pTarget->ScratchRestore(image, pos);
    else if (bFailed)
        ReportFailure(iId);
}

bool ScratchDB::HasPending(ScratchTarget *pTarget) const
{
    return m_pending.contains(pTarget);
}

void ScratchDB::ForgetTarget(ScratchTarget *pTarget)
{
    ClearPending(pTarget);
}

void ScratchDB::SetPending(ScratchTarget *pTarget, int iId)
{
    ClearPending(pTarget);
    m_pending.insert(pTarget, iId);
    std::unique_lock list(m_listLock);
    ++m_items.at(iId)->pins;
}

void ScratchDB::ClearPending(ScratchTarget *pTarget)
{
    const auto it = m_pending.constFind(pTarget);
    if (it == m_pending.constEnd())
        return;
    const int iId = it.value();
    m_pending.erase(it);
    Unpin(iId);
}

void ScratchDB::Unpin(int iId)
{
    std::unique_lock list(m_listLock);
    --m_items.at(iId)->pins;
}

void ScratchDB::Sync()
{
    if (!m_pWorker)
        return;
    QMetaObject::invokeMethod(m_pWorker, "Sync", Qt::BlockingQueuedConnection);
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void ScratchDB::ApplyRead(int iId, const QImage &image, const QPointF &pos)
{
    if (image.isNull())
        ReportFailure(iId);
    // Only targets whose latest request is this item take the image; a
    // result for a superseded request is dropped.
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it.value() != iId) {
            ++it;
            continue;
        }
        ScratchTarget *pTarget = it.key();
        it = m_pending.erase(it);
        Unpin(iId);
        if (!image.isNull())
            pTarget->ScratchRestore(image, pos);
    }
}

void ScratchDB::ReportFailure(int iId)
{
    if (m_reportedFailures.contains(iId))
        return;
    m_reportedFailures.insert(iId);
    emit RestoreFailed(RestoreFailedMessage());
}

qint64 ScratchDB::memoryInUse() const
{
    std::lock_guard memory(m_memoryLock);
    return m_iMemoryInUse;
}

int ScratchDB::itemCount() const
{
    std::unique_lock list(m_listLock);
    return int(m_items.size());
}

bool ScratchDB::isItemInMemory(int iId) const
{
    std::unique_lock list(m_listLock);
    return ValidId(iId) && !m_items.at(iId)->image.isNull();
}

QString ScratchDB::itemFileName(int iId) const
{
    std::unique_lock list(m_listLock);
    return ValidId(iId) ? m_items.at(iId)->fileName : QString();
}

void ScratchDB::AddMemory(qint64 iDelta)
{
    std::lock_guard memory(m_memoryLock);
    m_iMemoryInUse += iDelta;
}

void ScratchDB::NoteMemoryChanged()
{
    if (QThread::currentThread() == thread())
        EmitMemoryFigure();
    else
        QMetaObject::invokeMethod(this, "EmitMemoryFigure", Qt::QueuedConnection);
}

void ScratchDB::EmitMemoryFigure()
{
    const QString sText = MemoryText(memoryInUse());
    if (sText == m_sLastFigure)
        return;
    m_sLastFigure = sText;
    emit MemoryUsageChanged(sText);
}
