#pragma once
#include "BaseTool.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

class ChildWindow;
class Document;
class HistoryJournal;
class QThread;
class RecoveryFolder;

// Writes a recovery copy of every modified document at an interval, only
// when it changed since its last copy. The document's state is taken on
// this thread as shared (copy-on-write) pixels; encoding and writing happen
// on a worker thread, atomically, so the window never waits for them. A
// copy goes when its document is saved, closed without saving, or the
// program ends cleanly; it stays when the program is asked to end from
// outside (WriteAllNow, then Keep).
//
// A copy keeps its document's undo history: the state after every step,
// with the snapshots the scratch store holds linked (or copied, or written
// from memory) into the folder beside it. An open gesture that lands
// pixels is shown landed, as its own step, while it stays open.
class Autosave : public QObject {
    Q_OBJECT
public:
    Autosave(RecoveryFolder &folder, QObject *pParent = nullptr);
    ~Autosave() override;

    // Seconds between copies; 0 turns them off.
    void SetInterval(int iSeconds);
    int Interval() const { return m_iSeconds; }
    // The open gesture's landing for a document, if one is open.
    using LandingSource = std::function<bool(const Document *, BaseTool::Landing *)>;
    void SetLandingSource(LandingSource source) { m_landingSource = std::move(source); }
    // A document window to look after from now on, with a serial that
    // tells its copy from other documents' of this instance.
    void Watch(ChildWindow *pWindow);
    // One round now: a copy of each modified document that changed since
    // its last one, written on the worker.
    void WriteChanged();
    // Every modified document's copy, written before returning (on this
    // thread, after the worker's last write): the program is about to end.
    void WriteAllNow();
    // From now on copies are never removed: they are what is left.
    void Keep() { m_bKeep = true; }
    // Nanoseconds the last round spent on this thread.
    qint64 LastCaptureNs() const { return m_iCaptureNs; }
    // Waits for the worker's writes so far (tests, benchmarks).
    void Flush();
    QString CopyPathOf(const Document *pDocument) const;

Q_SIGNALS:
    // A copy could not be written; said once until a write works again.
    void Failed(const QString &message);
    void Written(const QString &path);

private:
    struct Entry {
        QPointer<ChildWindow> window;
        QPointer<Document> document;
        QPointer<HistoryJournal> journal;
        QString path;           // where its copy is (or goes)
        bool bChanged = true;   // since its last copy
        bool bWriting = false;
        bool bExists = false;
        // The PNGs of the last copy by the pixels' cache key: a layer the
        // user did not touch since is not encoded again.
        QHash<qint64, QByteArray> pngs;
    };
    // Takes the document's state; writes it now or hands it to the worker.
    void Capture(int iSerial, Entry &entry, bool bNow);
    void Done(int iSerial, const QString &path, const QString &error, const QHash<qint64, QByteArray> &pngs);
    void Drop(int iSerial);
    void RemoveCopy(Entry &entry);

    RecoveryFolder &m_folder;
    QTimer m_timer;
    QThread *m_pThread;
    QObject *m_pWorker;
    QHash<int, Entry> m_entries; // by serial
    int m_iSeconds = 0;
    int m_iSerial = 0;
    int m_iPending = 0;
    bool m_bKeep = false;
    bool m_bReported = false;
    qint64 m_iCaptureNs = 0;
    LandingSource m_landingSource;
};
