#include "FileActions.h"
#include "ui_MainWindow.h"

#include "ChildWindow.h"
#include "Chromaquill.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "Document.h"
#include "DocumentFile.h"
#include "ImageFile.h"
#include "Layer.h"
#include "MainWindow.h"
#include "NewFileDlg.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QSettings>
#include <QUndoStack>

namespace {

const char kImageFilter[] =
    "All Formats (*.cq *.ora *.bmp *.ico *.gif *.jpg *.jpeg *.pbm *.pgm *.png *.ppm *.tga *.tiff *.xbm *.xpm);;"
    "Chromaquill (*.cq);;OpenRaster (*.ora);;Windows Bitmap (*.bmp);;Icon (*.ico);;Graphic Interchange Format (*.gif);;"
    "Joint Photographic Experts Group (*.jpg *.jpeg);;Portable Bitmap (*.pbm);;Portable Graymap (*.pgm);;"
    "Portable Network Graphics (*.png);;Portable Pixmap(*.ppm);;Targa (*.tga);;Tagged Image File Format (*.tiff);;"
    "X11 Bitmap(*.xbm);;X11 Pixmap(*.xpm)";
const char kExportFilter[] =
    "Windows Bitmap (*.bmp);;Icon (*.ico);;Joint Photographic Experts Group (*.jpg *.jpeg);;"
    "Portable Network Graphics (*.png);;Portable Pixmap(*.ppm);;TARGA (*.tga);;"
    "Tagged Image File Format (*.tiff);;X11 Bitmap(*.xbm);;X11 Pixmap(*.xpm)";
const char kNativeFilter[] = "Chromaquill (*.cq);;OpenRaster (*.ora)";

// A save dialog that adds the suffix when the user types a bare name and
// starts on the filter of that suffix.
QString askSavePath(const QString &caption, const char *filter, const QString &suffix)
{
    QFileDialog dialog(nullptr, caption, QString(), QString::fromLatin1(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    // A bare name gets the suffix of the filter picked last.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &entry) {
        const qsizetype at = entry.indexOf(QLatin1String("(*."));
        if (at >= 0)
            dialog.setDefaultSuffix(entry.mid(at + 3).section(QLatin1Char(' '), 0, 0).remove(QLatin1Char(')')));
    });
    for (const QString &entry : dialog.nameFilters())
        if (entry.contains(QStringLiteral("*.") + suffix + QLatin1Char(')'))
            || entry.contains(QStringLiteral("*.") + suffix + QLatin1Char(' ')))
            dialog.selectNameFilter(entry);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

} // namespace

FileActions::FileActions(MainWindow *pMain)
    : QObject(pMain)
    , m_pMain(pMain)
{
    Ui::MainWindow *pUi = pMain->form();
    connect(pUi->action_New, &QAction::triggered, this, &FileActions::on_action_New_triggered);
    connect(pUi->action_Import_In_New_Document, &QAction::triggered, this,
            &FileActions::on_action_Import_In_New_Document_triggered);
    connect(pUi->action_Import_In_New_Layer, &QAction::triggered, this,
            &FileActions::on_action_Import_In_New_Layer_triggered);
    connect(pUi->action_Save, &QAction::triggered, this, &FileActions::on_action_Save_triggered);
    connect(pUi->action_Save_As, &QAction::triggered, this, &FileActions::on_action_Save_As_triggered);
    connect(pUi->action_Export, &QAction::triggered, this, &FileActions::on_action_Export_triggered);
    connect(pUi->action_Close, &QAction::triggered, this, &FileActions::on_action_Close_triggered);
    connect(pUi->action_Exit, &QAction::triggered, this, &FileActions::on_action_Exit_triggered);

    for (int i = 0; i < 5; ++i) {
        auto *pAction = new QAction(this);
        pAction->setVisible(false);
        connect(pAction, &QAction::triggered, this, &FileActions::on_action_openRecentFile);
        m_recentFileActions.append(pAction);
        pUi->menu_File->addAction(pAction);
    }
    UpdateRecentFileActions();
}

ChildWindow *FileActions::NewDocument(const QSize &size)
{
    // Its one layer is no step: the history starts empty.
    auto *pDocument = new Document(size, m_pMain->documentEnv());
    pDocument->CreateLayer(Layer::Raster);
    pDocument->MarkSaved();
    auto *pWindow = new ChildWindow(m_pMain, pDocument);
    pWindow->setWindowTitle(QStringLiteral("Untitled [*]"));
    m_pMain->AddChild(pWindow);
    return pWindow;
}

bool FileActions::OpenImageAsDocument(const QString &path, QString *pError)
{
    QString error;
    const QImage image = ImageFile::Read(path, &error);
    if (image.isNull()) {
        if (pError)
            *pError = error;
        return false;
    }
    const QString name = QFileInfo(path).fileName();
    Document *pDocument = DocumentBuilder::Build(DocumentFile::FromImage(image, name), m_pMain->documentEnv());
    Chromaquill::StartHistory(pDocument);
    pDocument->SetFileName(path);
    auto *pWindow = new ChildWindow(m_pMain, pDocument);
    pWindow->setWindowTitle(name + QStringLiteral(" [*]"));
    pWindow->SetZoom(MainWindow::ZoomToFit(image.size(), m_pMain->size()));
    AddRecentFile(path);
    m_pMain->AddChild(pWindow);
    return true;
}

bool FileActions::OpenFile(const QString &path)
{
    if (DocumentFile::IsDocumentPath(path))
        return Chromaquill::LoadDocument(path, m_pMain);
    QString error;
    if (OpenImageAsDocument(path, &error))
        return true;
    Chromaquill::ReportFileError(path, error);
    return false;
}

void FileActions::AddRecentFile(const QString &given)
{
    // One entry per file, however it was named.
    const QString canonical = QFileInfo(given).canonicalFilePath();
    const QString path = canonical.isEmpty() ? QFileInfo(given).absoluteFilePath() : canonical;
    QSettings settings;
    QStringList files = settings.value(QStringLiteral("recentFileList")).toStringList();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > 5)
        files.removeLast();
    settings.setValue(QStringLiteral("recentFileList"), files);
    UpdateRecentFileActions();
}

void FileActions::UpdateRecentFileActions()
{
    QSettings settings;
    const QStringList stored = settings.value(QStringLiteral("recentFileList")).toStringList();
    QStringList kept;
    for (const QString &file : stored) {
        if (kept.size() == 5)
            break;
        if (QFileInfo::exists(file))
            kept.append(file);
    }
    // Files that went away are only left out of the menu: reading the list
    // writes nothing.
    for (int i = 0; i < m_recentFileActions.size(); ++i) {
        QAction *pAction = m_recentFileActions.at(i);
        if (i < kept.size()) {
            pAction->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(kept.at(i)).fileName()));
            pAction->setData(kept.at(i));
            pAction->setVisible(true);
        } else {
            pAction->setVisible(false);
        }
    }
}

void FileActions::on_action_openRecentFile()
{
    if (auto *pAction = qobject_cast<QAction *>(sender()))
        OpenFile(pAction->data().toString());
}

void FileActions::on_action_New_triggered()
{
    auto *pDialog = new NewFileDlg(m_pMain);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(pDialog, &QDialog::accepted, this, [this, pDialog] { NewDocument(pDialog->ChosenSize()); });
    pDialog->show();
}

void FileActions::on_action_Import_In_New_Document_triggered()
{
    const QString path = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open Image"), QString(),
                                                      QString::fromLatin1(kImageFilter));
    if (path.isEmpty())
        return;
    if (OpenFile(path))
        AddRecentFile(path);
}

void FileActions::on_action_Import_In_New_Layer_triggered()
{
    ChildWindow *pWindow = m_pMain->currentDocument();
    if (!pWindow)
        return;
    QString filter = QString::fromLatin1(kImageFilter);
    filter.remove(QStringLiteral("Chromaquill (*.cq);;OpenRaster (*.ora);;"));
    const QString path = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open Image"), QString(), filter);
    if (path.isEmpty())
        return;
    QString error;
    if (!pWindow->LoadImageAsLayer(path, &error))
        Chromaquill::ReportFileError(path, error);
}

void FileActions::LandPendingEdit()
{
    m_pMain->FinishGesture();
}

void FileActions::SaveAs(ChildWindow *pWindow)
{
    LandPendingEdit();
    const QString suffix = DocumentFile::IsOpenRasterName(pWindow->FileName()) ? QStringLiteral("ora") : QStringLiteral("cq");
    const QString path = askSavePath(QStringLiteral("Save File"), kNativeFilter, suffix);
    if (path.isEmpty())
        return;
    if (Chromaquill::SaveDocument(path, pWindow))
        pWindow->SetFileName(path);
}

void FileActions::SaveDocument(ChildWindow *pWindow)
{
    if (!pWindow)
        return;
    LandPendingEdit();
    const QString file = pWindow->FileName();
    if (file.isEmpty() || (!DocumentFile::IsLayeredName(file) && pWindow->GetLayers().size() > 1)) {
        SaveAs(pWindow);
        return;
    }
    if (!DocumentFile::IsLayeredName(file)) {
        // An image opened as a one-layer document is saved by writing the
        // image again: it is then the saved state.
        if (Chromaquill::ExportImage(file, pWindow))
            pWindow->document()->MarkSaved();
        return;
    }
    if (Chromaquill::SaveDocument(file, pWindow))
        pWindow->SetFileName(file);
}

void FileActions::on_action_Save_triggered()
{
    SaveDocument(m_pMain->currentDocument());
}

void FileActions::on_action_Save_As_triggered()
{
    if (ChildWindow *pWindow = m_pMain->currentDocument())
        SaveAs(pWindow);
}

void FileActions::on_action_Export_triggered()
{
    ChildWindow *pWindow = m_pMain->currentDocument();
    if (!pWindow)
        return;
    const QString path = askSavePath(QStringLiteral("Export Image"), kExportFilter, QStringLiteral("png"));
    LandPendingEdit();
    if (!path.isEmpty())
        Chromaquill::ExportImage(path, pWindow);
}

void FileActions::on_action_Close_triggered()
{
    m_pMain->form()->mdiArea->closeActiveSubWindow();
}

void FileActions::on_action_Exit_triggered()
{
    m_pMain->close();
}
