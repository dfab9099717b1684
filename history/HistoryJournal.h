#pragma once
#include "DocumentState.h"
#include "RecoveryHistory.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QUndoCommand>

#include <memory>

class Document;

// A step of a history brought back from a recovery copy: undo and redo put
// the document in the states before and after it.
class RecoveredStepCmd : public QUndoCommand {
public:
    RecoveredStepCmd(Document *pDocument, std::shared_ptr<const QList<DocumentState>> states, int iStep);
    int id() const override;
    void redo() override;
    void undo() override;
    const DocumentState &before() const { return m_states->at(m_iStep - 1); }
    const DocumentState &after() const { return m_states->at(m_iStep); }
    // The next redo or undo finds the document where it leads already.
    void SetQuiet() { m_bQuiet = true; }

private:
    Document *m_pDocument;
    std::shared_ptr<const QList<DocumentState>> m_states;
    int m_iStep;
    bool m_bQuiet = true; // pushed onto a document already in this state
};

// Follows a document's undo stack and keeps the state each step left, so
// a recovery copy can hold the history and a later start can rebuild it.
class HistoryJournal : public QObject {
    Q_OBJECT
public:
    explicit HistoryJournal(Document *pDocument);

    // An open gesture that the copy shows as finished: the layer it lands
    // on (pixels from the copy's document), the step's name, the selection after.
    struct Landing {
        Layer *pLayer = nullptr;
        QString text;
        QRegion selection;
    };
    // A snapshot the copy's folder needs: its file in the scratch store,
    // or else its pixels to encode.
    struct SnapshotFile {
        quint64 key = 0;
        QString source;
        QImage image;
    };
    // The history as far as its states are known and their snapshots are
    // kept, for a copy whose document holds `docLayers` (in its order).
    RecoveryHistory::History Export(const QList<Layer *> &docLayers, const Landing *pLanding,
                                    QList<SnapshotFile> *pFiles) const;

    // Rebuilds a copy's history on the document made of its layers: layers
    // only the history knows are made, snapshots taken from `undoFolder`.
    // The steps whose snapshots cannot be taken are left out; *pHistory
    // says how many went.
    static void Rebuild(Document *pDocument, const QList<Layer *> &docLayers, RecoveryHistory::History *pHistory,
                        const QString &undoFolder);

private:
    void IndexChanged(int iIndex);
    void Record(int iIndex);

    QPointer<Document> m_pDocument;
    QList<DocumentState> m_states; // by stack index; a null canvas is not known
    int m_iLastIndex = 0;
    int m_iLastCount = 0;
};
