#pragma once
// Helpers for tests that drive the main window.
#include <QDialogButtonBox>

class Document;
class FilterDialog;
class MainWindow;
class QAction;
class QImage;
class QString;

namespace cqtest {

// The main window, shown, with its panels and tools set up as at start-up,
// settings isolated and the scratch store in scratchFolder.
MainWindow *startMainWindow(const QString &scratchFolder);
// Closes every document without asking.
void closeAllDocuments(MainWindow *pMain);
// A new document whose layer holds `image`, painted as one undo step.
Document *newDocument(MainWindow *pMain, const QImage &image);
// The Filter menu's entry for a menu path such as "Glows/Bloom".
QAction *filterEntry(MainWindow *pMain, const QString &path);
// The filter dialog on screen (the toolbox is a dialog too), or null.
FilterDialog *openFilterDialog();
// Clicks a button of the open filter dialog and lets the window react.
void pressDialogButton(QDialogButtonBox::StandardButton button);

} // namespace cqtest
