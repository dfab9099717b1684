#include "Recovery.h"

#include "ChildWindow.h"
#include "Chromaquill.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "HistoryJournal.h"
#include "MainWindow.h"
#include "RecoverDlg.h"
#include "RecoveryFile.h"
#include "RecoveryFolder.h"

#include <QFileInfo>
#include <QUndoStack>

#include <new>

namespace Recovery {

bool Open(MainWindow *pMain, const QString &path, QString *pError)
{
    RecoveryInfo info;
    DocumentData data;
    RecoveryHistory::History history;
    if (!RecoveryFile::Read(path, &info, &data, pError, &history))
        return false;
    Document *pDocument = nullptr;
    QList<Layer *> layers;
    try {
        pDocument = DocumentBuilder::Build(data, pMain->documentEnv(), &layers);
        Chromaquill::StartHistory(pDocument);
        // The steps before the crash, on top of what the copy shows.
        HistoryJournal::Rebuild(pDocument, layers, &history, RecoveryFolder::UndoFolder(path));
    } catch (const std::bad_alloc &) {
        delete pDocument;
        *pError = QStringLiteral("There is not enough memory to open this document.");
        return false;
    }
    if (!info.fileName.isEmpty())
        pDocument->SetFileName(info.fileName);
    // Not what any file holds: modified until saved.
    pDocument->undoStack()->resetClean();
    auto *pWindow = new ChildWindow(pMain, pDocument);
    if (info.fileName.isEmpty())
        pWindow->setWindowTitle(QStringLiteral("Untitled [*]"));
    pWindow->setWindowModified(true);
    pMain->AddChild(pWindow);
    return true;
}

int OfferAtStart(MainWindow *pMain, RecoveryFolder &folder, bool bAsk)
{
    const QStringList copies = folder.Orphans();
    if (copies.isEmpty() || !bAsk)
        return 0;
    QList<RecoverDlg::Row> rows;
    QList<bool> good;
    for (const QString &copy : copies) {
        RecoverDlg::Row row;
        RecoveryInfo info;
        QString error;
        const bool bGood = RecoveryFile::Check(copy, &info, &error);
        // A damaged copy still says which document it was by its name:
        // "<instance>-<n> <title>.cqr".
        const QString file = QFileInfo(copy).completeBaseName();
        row.name = bGood && !info.title.isEmpty() ? info.title : file.mid(file.indexOf(QLatin1Char(' ')) + 1);
        row.written = bGood ? info.written : QFileInfo(copy).lastModified();
        row.thumbnail = info.thumbnail;
        row.problem = bGood ? QString() : error;
        row.note = info.historyNote;
        rows.append(row);
        good.append(bGood);
    }
    RecoverDlg dialog(rows, pMain);
    const bool bRecover = dialog.exec() == QDialog::Accepted;
    int iOpened = 0;
    for (int i = 0; i < copies.size(); ++i) {
        if (bRecover && good[i]) {
            QString error;
            if (!Open(pMain, copies[i], &error)) {
                // Left in place: a later start may have the memory it needs.
                Chromaquill::ReportFileError(copies[i], error);
                continue;
            }
            ++iOpened;
        }
        // Recovered documents get copies of this instance from now on.
        folder.Remove(copies[i]);
    }
    return iOpened;
}

} // namespace Recovery
