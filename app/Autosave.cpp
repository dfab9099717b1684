#include "Autosave.h"

#include "AtomicFile.h"
#include "ChildWindow.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "HistoryJournal.h"
#include "PixmapLayer.h"
#include "RecoveryFile.h"
#include "RecoveryFolder.h"
#include "ScratchDB.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUndoStack>

#include <unistd.h>

namespace {

// Everything one copy needs, taken on the interface thread as shared data.
struct CopyJob {
    QString path;
    RecoveryInfo info;
    DocumentData data;
    RecoveryHistory::History history;
    QList<HistoryJournal::SnapshotFile> files;
    int landedLayer = -1; // the layer an open gesture lands on
    std::function<void(QImage &, QPointF &)> land;
};

// A snapshot's file beside the copy: linked from the scratch store's file
// when the disk allows, else copied; or encoded from its pixels.
bool placeSnapshot(const HistoryJournal::SnapshotFile &file, const QString &target)
{
    if (file.source.isEmpty()) {
        const QByteArray png = DocumentFile::EncodePng(file.image);
        QString error;
        return !png.isEmpty() && AtomicFile::Write(target, png, &error);
    }
    if (::link(QFile::encodeName(file.source).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    const bool bOk = QFile::copy(file.source, part) && QFile::rename(part, target);
    if (!bOk)
        QFile::remove(part);
    return bOk;
}

// Encodes and writes one copy and its snapshots; the reason when it
// failed. *pPngs gets the PNG of each raster layer by its pixels' cache key.
QString writeCopy(CopyJob job, QHash<qint64, QByteArray> *pPngs)
{
    using namespace RecoveryHistory;
    DocumentData &data = job.data;
    if (job.landedLayer >= 0) {
        LayerData &layer = data.layers[job.landedLayer];
        job.land(layer.image, layer.pos);
        layer.png.clear();
    }
    for (Snapshot &snapshot : job.history.snapshots)
        if (snapshot.docLayer >= 0) {
            snapshot.size = data.layers[snapshot.docLayer].image.size();
            snapshot.pos = data.layers[snapshot.docLayer].pos;
        }
    // The snapshots first: the copy that points to them comes after, and
    // what the previous copy points to stays until then.
    const QString folder = RecoveryFolder::UndoFolder(job.path);
    const bool bFolder = job.files.isEmpty() || QDir().mkpath(folder);
    QSet<int> bad;
    for (const HistoryJournal::SnapshotFile &file : std::as_const(job.files)) {
        const QString target = folder + QLatin1Char('/') + FileName(file.key);
        const QFileInfo there(target);
        if (bFolder && there.isFile() && !there.isSymLink())
            continue; // written for an earlier copy: snapshots never change
        if (!bFolder || !placeSnapshot(file, target))
            for (int i = 0; i < job.history.snapshots.size(); ++i)
                if (job.history.snapshots[i].docLayer < 0 && job.history.snapshots[i].key == file.key)
                    bad.insert(i);
    }
    Cut(job.history, bad);

    QString error;
    job.info.thumbnail = RecoveryFile::Thumbnail(data);
    const QByteArray bytes = RecoveryFile::Encode(job.info, data, &error, &job.history);
    for (const LayerData &layer : std::as_const(data.layers))
        if (layer.kind == 0 && !layer.png.isEmpty())
            pPngs->insert(layer.image.cacheKey(), layer.png);
    data = DocumentData(); // the shared pixels go back to the layers at once
    if (bytes.isEmpty())
        return error.isEmpty() ? QStringLiteral("The document could not be encoded.") : error;
    if (!AtomicFile::Write(job.path, bytes, &error))
        return error;

    // Snapshots no step of this copy uses any more.
    QSet<QString> used;
    for (const Step &step : std::as_const(job.history.steps))
        for (const LayerStep &layer : step.layers)
            if (layer.snapshot >= 0 && job.history.snapshots[layer.snapshot].docLayer < 0)
                used.insert(FileName(job.history.snapshots[layer.snapshot].key));
    const QStringList present = QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : present)
        if (!used.contains(name))
            QFile::remove(folder + QLatin1Char('/') + name);
    if (used.isEmpty())
        QDir().rmdir(folder);
    return QString();
}

QString titleOf(ChildWindow *pWindow, int iSerial)
{
    if (!pWindow->FileName().isEmpty())
        return QFileInfo(pWindow->FileName()).fileName();
    QString title = pWindow->windowTitle();
    title.remove(QStringLiteral("[*]"));
    title = title.trimmed();
    if (pWindow->FileName().isEmpty() && title == QLatin1String("Untitled"))
        title = QStringLiteral("Untitled %1").arg(iSerial);
    return title.isEmpty() ? QStringLiteral("Untitled %1").arg(iSerial) : title;
}

} // namespace

Autosave::Autosave(RecoveryFolder &folder, QObject *pParent)
    : QObject(pParent)
    , m_folder(folder)
    , m_pThread(new QThread(this))
    , m_pWorker(new QObject)
{
    m_pThread->setObjectName(QStringLiteral("autosave"));
    m_pWorker->moveToThread(m_pThread);
    connect(m_pThread, &QThread::finished, m_pWorker, &QObject::deleteLater);
    m_pThread->start(QThread::LowPriority);
    connect(&m_timer, &QTimer::timeout, this, &Autosave::WriteChanged);
}

Autosave::~Autosave()
{
    m_pThread->quit();
    m_pThread->wait();
    // Writes that finished after the loop stopped are settled too, so a
    // closed document's copy does not outlive it.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void Autosave::SetInterval(int iSeconds)
{
    m_iSeconds = qMax(0, iSeconds);
    if (m_iSeconds == 0) {
        m_timer.stop();
        return;
    }
    m_timer.start(m_iSeconds * 1000);
}

void Autosave::Watch(ChildWindow *pWindow)
{
    const int iSerial = ++m_iSerial;
    Entry entry;
    entry.window = pWindow;
    entry.document = pWindow->document();
    entry.bChanged = true;
    Document *pDocument = pWindow->document();
    entry.journal = new HistoryJournal(pDocument);
    m_entries.insert(iSerial, entry);
    connect(pDocument->undoStack(), &QUndoStack::indexChanged, this, [this, iSerial] {
        if (auto it = m_entries.find(iSerial); it != m_entries.end())
            it->bChanged = true;
    });
    // Saved (or back to the saved state): the copy has nothing to add.
    connect(pDocument, &Document::ModifiedChanged, this, [this, iSerial](bool bModified) {
        if (auto it = m_entries.find(iSerial); it != m_entries.end() && !bModified)
            RemoveCopy(*it);
    });
    connect(pWindow, &ChildWindow::Closing, this, [this, iSerial] { Drop(iSerial); });
}

QString Autosave::CopyPathOf(const Document *pDocument) const
{
    for (const Entry &entry : m_entries)
        if (entry.document == pDocument && entry.bExists)
            return entry.path;
    return QString();
}

void Autosave::Capture(int iSerial, Entry &entry, bool bNow)
{
    Document *pDocument = entry.document;
    RecoveryInfo info;
    info.title = titleOf(entry.window, iSerial);
    info.fileName = pDocument->FileName();
    info.written = QDateTime::currentDateTime();
    const QString path = m_folder.CopyPath(iSerial, info.title);
    if (path.isEmpty())
        return;
    if (entry.bExists && entry.path != path)
        m_folder.Remove(entry.path); // renamed by Save As
    entry.path = path;
    entry.bChanged = false;
    CopyJob job;
    job.path = path;
    job.info = info;
    // What the user last asked for, not an image still being read back.
    const QList<Layer *> layers = pDocument->GetLayers(true);
    for (Layer *pLayer : layers)
        if (pLayer->kind() == Layer::Raster)
            pDocument->store().WaitForPending(static_cast<PixmapLayer *>(pLayer));
    job.data = DocumentBuilder::Gather(*pDocument);
    for (LayerData &layer : job.data.layers)
        if (layer.kind == 0)
            layer.png = entry.pngs.value(layer.image.cacheKey());
    BaseTool::Landing landing;
    HistoryJournal::Landing step;
    if (m_landingSource && m_landingSource(pDocument, &landing) && landing.pDocument == pDocument
        && layers.contains(landing.pLayer)) {
        job.landedLayer = int(layers.indexOf(landing.pLayer));
        job.land = landing.land;
        step.pLayer = landing.pLayer;
        step.text = landing.text;
        step.selection = landing.selection;
    }
    if (entry.journal)
        job.history = entry.journal->Export(layers, step.pLayer ? &step : nullptr, &job.files);
    if (bNow) {
        QHash<qint64, QByteArray> pngs;
        const QString error = writeCopy(std::move(job), &pngs);
        Done(iSerial, path, error, pngs);
        return;
    }
    entry.bWriting = true;
    ++m_iPending;
    QMetaObject::invokeMethod(
        m_pWorker,
        [this, iSerial, path, job = std::move(job)]() mutable {
            QHash<qint64, QByteArray> pngs;
            const QString error = writeCopy(std::move(job), &pngs);
            QMetaObject::invokeMethod(this, [this, iSerial, path, error, pngs] {
                --m_iPending;
                Done(iSerial, path, error, pngs);
            });
        },
        Qt::QueuedConnection);
}

void Autosave::WriteChanged()
{
    QElapsedTimer clock;
    clock.start();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        Entry &entry = it.value();
        if (!entry.window || !entry.document || entry.bWriting)
            continue;
        if (!entry.document->IsModified()) {
            RemoveCopy(entry);
            continue;
        }
        if (entry.bChanged)
            Capture(it.key(), entry, false);
    }
    m_iCaptureNs = clock.nsecsElapsed();
}

void Autosave::WriteAllNow()
{
    Flush();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        Entry &entry = it.value();
        if (entry.window && entry.document && entry.document->IsModified() && (entry.bChanged || !entry.bExists))
            Capture(it.key(), entry, true);
    }
}

void Autosave::Flush()
{
    while (m_iPending > 0) {
        QThread::msleep(1);
        QCoreApplication::sendPostedEvents(this);
    }
}

void Autosave::Done(int iSerial, const QString &path, const QString &error, const QHash<qint64, QByteArray> &pngs)
{
    auto it = m_entries.find(iSerial);
    if (it == m_entries.end()) {
        // Closed while its copy was written: nothing to keep.
        if (!m_bKeep && error.isEmpty())
            m_folder.Remove(path);
        return;
    }
    Entry &entry = *it;
    entry.bWriting = false;
    if (!error.isEmpty()) {
        // Tried again next round; the previous copy (if any) stays.
        entry.bChanged = true;
        if (!m_bReported)
            Q_EMIT Failed(QStringLiteral("The recovery copy of %1 could not be written: %2")
                              .arg(entry.window ? titleOf(entry.window, iSerial) : path, error));
        m_bReported = true;
        return;
    }
    m_bReported = false;
    entry.bExists = true;
    entry.pngs = pngs;
    // Saved while it was written: the copy is already stale.
    if (!entry.document || !entry.document->IsModified()) {
        RemoveCopy(entry);
        return;
    }
    Q_EMIT Written(path);
}

void Autosave::RemoveCopy(Entry &entry)
{
    if (m_bKeep || !entry.bExists)
        return;
    m_folder.Remove(entry.path);
    entry.bExists = false;
    entry.bChanged = true;
}

void Autosave::Drop(int iSerial)
{
    auto it = m_entries.find(iSerial);
    if (it == m_entries.end())
        return;
    RemoveCopy(*it);
    m_entries.erase(it);
}
