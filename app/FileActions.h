#pragma once
#include <QObject>
#include <QList>

class ChildWindow;
class MainWindow;
class QAction;

// The File menu: new documents, opening and importing, saving, exporting,
// recent files, closing and leaving.
class FileActions : public QObject {
    Q_OBJECT
public:
    explicit FileActions(MainWindow *pMain);

    // A new document of one empty raster layer, shown and made current.
    ChildWindow *NewDocument(const QSize &size);
    // Opens a native document or an image as a new document; a file that
    // cannot be read is reported in the "Error" box.
    bool OpenFile(const QString &path);
    // An image file as a one-layer document; false with the reason in *pError.
    bool OpenImageAsDocument(const QString &path, QString *pError = nullptr);
    // Saves the document the way File > Save does.
    void SaveDocument(ChildWindow *pWindow);
    void SaveAs(ChildWindow *pWindow);

    void AddRecentFile(const QString &path);
    void UpdateRecentFileActions();

public Q_SLOTS:
    void on_action_New_triggered();
    void on_action_Import_In_New_Document_triggered();
    void on_action_Import_In_New_Layer_triggered();
    void on_action_Save_triggered();
    void on_action_Save_As_triggered();
    void on_action_Export_triggered();
    void on_action_Close_triggered();
    void on_action_Exit_triggered();
    void on_action_openRecentFile();

private:
    // A tool's edit in progress lands before the document is written.
    void LandPendingEdit();

    MainWindow *m_pMain;
    QList<QAction *> m_recentFileActions;
};
