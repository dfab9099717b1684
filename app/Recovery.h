#pragma once
#include <QString>

class MainWindow;
class RecoveryFolder;

// Bringing back the documents an earlier run left as recovery copies.
namespace Recovery {

// When instances that are gone left copies, lists them in the "Recover
// Work" dialog and opens or discards them as chosen; the number opened.
// Without a way to ask (bAsk false) the copies stay for a later start.
int OfferAtStart(MainWindow *pMain, RecoveryFolder &folder, bool bAsk);

// Opens one copy as a modified document, under its own file name or as
// untitled; false with the reason.
bool Open(MainWindow *pMain, const QString &path, QString *pError);

} // namespace Recovery
