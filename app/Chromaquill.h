#pragma once
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QString>

#include "ScratchDB.h"

class ChildWindow;
class Document;
class MainWindow;

// The application object: identity, version, and the three document file
// operations the main window uses.
class Chromaquill : public QApplication {
    Q_OBJECT
public:
    static constexpr const char *kVersion = "0.55b";

    Chromaquill(int &argc, char **argv);
    // A clean exit: the scratch store's files go with the application.
    ~Chromaquill() override;
    QString version() const { return m_version; }
    // The program's one scratch store.
    ScratchDB &store() { return m_store; }

    // Sets the settings identity; safe to call before the application exists.
    static void SetIdentity();

    // Reads a document (native or OpenRaster) into a new document window.
    // Problems are reported in an "Error" box naming the file; nothing else
    // changes. What the reader had to change is told in an information box.
    static bool LoadDocument(const QString &path, MainWindow *pMain);
    // An opened document's history starts empty and clean.
    static void StartHistory(Document *pDocument);
    // Writes the document atomically, as OpenRaster when the path ends in
    // .ora; what other programs will show differently is told after.
    static bool SaveDocument(const QString &path, ChildWindow *pWindow);
    // Flattens the document through the export preview and writes a copy of
    // it as an image; the document's file name stays. True when written.
    static bool ExportImage(const QString &path, ChildWindow *pWindow);

    // Writes an image in the format its suffix names, at a quality, through
    // a save file; a format without alpha lays it on the background. No
    // message; *pError says what failed.
    static bool WriteImage(const QString &path, const QImage &image, int iQuality, QString *pError,
                           const QColor &background = Qt::white);

    // The one way file problems reach the user.
    static void ReportFileError(const QString &path, const QString &reason);
    // The "Error" box; a reason's technical detail goes to the box's details.
    static void ShowError(const QString &message);
    // The box for news that is not an error.
    static void ShowInformation(const QString &message);

private:
    QString m_version;
    ScratchDB m_store;
};
