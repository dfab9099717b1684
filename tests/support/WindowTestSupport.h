#pragma once
// Helpers for tests that drive the main window.
class MainWindow;
class QString;

namespace cqtest {

// The main window, shown, with its panels and tools set up as at start-up,
// settings isolated and the scratch store in scratchFolder.
MainWindow *startMainWindow(const QString &scratchFolder);
// Closes every document without asking.
void closeAllDocuments(MainWindow *pMain);

} // namespace cqtest
