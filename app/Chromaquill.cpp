#include "Chromaquill.h"

#include "AtomicFile.h"
#include "ChildWindow.h"
#include "DocumentBuilder.h"
#include "FileProblem.h"
#include "ImageFile.h"
#include "ExportPreviewDlg.h"
#include "MainWindow.h"
#include "ScratchDB.h"
#include "TitleFont.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUndoStack>

Chromaquill::Chromaquill(int &argc, char **argv)
    : QApplication(argc, argv)
    , m_version(QString::fromLatin1(kVersion))
{
    // The scratch store reads its limit from the settings, so the identity
    // comes first.
    SetIdentity();
    ImageFile::ServeScratchStore(m_store);
    m_store.Init();
    registerTitleFont();
}

Chromaquill::~Chromaquill()
{
    m_store.Shutdown();
}

void Chromaquill::SetIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrelvane"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("kestrelvane.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Chromaquill"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
}

void Chromaquill::ReportFileError(const QString &path, const QString &reason)
{
    ShowError(QStringLiteral("%1\n\n%2").arg(QDir::toNativeSeparators(path), reason));
}

void Chromaquill::ShowError(const QString &message)
{
    // What a user can act on in the box; which record or offset was wrong
    // behind "Show Details...".
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), FileProblem::Summary(message), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setDetailedText(FileProblem::Detail(message));
    box.exec();
}

void Chromaquill::ShowInformation(const QString &message)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool Chromaquill::LoadDocument(const QString &path, MainWindow *pMain)
{
    QString error;
    QStringList notes;
    Document *pDocument = DocumentBuilder::Load(path, pMain->documentEnv(), &error, &notes);
    if (!pDocument) {
        ReportFileError(path, error);
        return false;
    }
    StartHistory(pDocument);
    pDocument->SetFileName(path);
    pMain->AddChild(new ChildWindow(pMain, pDocument));
    if (!notes.isEmpty())
        ShowInformation(QStringLiteral("%1\n\nThese layers use a blending mode the editor does not have and open as "
                                       "Normal:\n%2")
                            .arg(QDir::toNativeSeparators(path), notes.join(QLatin1Char('\n'))));
    return true;
}

void Chromaquill::StartHistory(Document *pDocument)
{
    // Reading a file is no step: no undo can take away what was read.
    pDocument->undoStack()->clear();
    pDocument->MarkSaved();
}

bool Chromaquill::SaveDocument(const QString &path, ChildWindow *pWindow)
{
    if (!pWindow)
        return false;
    QString error;
    QStringList notes;
    if (!DocumentBuilder::Save(path, *pWindow->document(), &error, &notes)) {
        ReportFileError(path, error);
        return false;
    }
    if (!notes.isEmpty())
        ShowInformation(QStringLiteral("%1\n\nOther programs will show some layers differently:\n%2")
                            .arg(QDir::toNativeSeparators(path), notes.join(QLatin1Char('\n'))));
    return true;
}

bool Chromaquill::ExportImage(const QString &path, ChildWindow *pWindow)
{
    if (!pWindow)
        return false;
    const QImage image = pWindow->Flattened();
    const QString format = QFileInfo(path).suffix().toUpper();
    ExportPreviewDlg dialog(format, image, pWindow->window());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QString error;
    if (!WriteImage(path, image, dialog.Quality(), &error, dialog.Background())) {
        ReportFileError(path, error);
        return false;
    }
    // A copy: the document keeps its own file name.
    return true;
}

bool Chromaquill::WriteImage(const QString &path, const QImage &image, int iQuality, QString *pError,
                             const QColor &background)
{
    // Encoded in memory first, then written like documents: a failed export
    // leaves any earlier file alone.
    const QByteArray bytes =
        ImageFile::Encode(image, QFileInfo(path).suffix().toLatin1(), iQuality, pError, background);
    return !bytes.isEmpty() && AtomicFile::Write(path, bytes, pError);
}
