#include "Chromaquill.h"

#include "ChildWindow.h"
#include "ImageFile.h"
#include "DocumentBuilder.h"
#include "ExportPreviewDlg.h"
#include "MainWindow.h"
#include "ScratchDB.h"
#include "TitleFont.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QMessageBox>

Chromaquill::Chromaquill(int &argc, char **argv)
    : QApplication(argc, argv)
    , m_version(QString::fromLatin1(kVersion))
{
    // The scratch store reads its limit from the settings, so the identity
    // comes first.
    SetIdentity();
    ScratchDB::instance()->Init();
    registerTitleFont();
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
    QMessageBox::warning(MainWindow::existing(), QStringLiteral("Error"),
                         QStringLiteral("%1\n\n%2").arg(QDir::toNativeSeparators(path), reason));
}

QString Chromaquill::ImageReadError(const QString &path)
{
    QString error;
    if (ImageFile::Read(path, &error).isNull())
        return error;
    return QStringLiteral("The image could not be read.");
}

bool Chromaquill::LoadDocument(const QString &path)
{
    QString error;
    Document *pDocument = DocumentBuilder::Load(path, *ScratchDB::instance(), &error);
    if (!pDocument) {
        ReportFileError(path, error);
        return false;
    }
    pDocument->SetFileName(path);
    MainWindow *pMain = MainWindow::instance();
    pMain->AddChild(new ChildWindow(pMain, pDocument));
    return true;
}

bool Chromaquill::SaveDocument(const QString &path, ChildWindow *pWindow)
{
    if (!pWindow)
        return false;
    QString error;
    if (!DocumentBuilder::Save(path, *pWindow->document(), &error)) {
        ReportFileError(path, error);
        return false;
    }
    return true;
}

bool Chromaquill::ExportImage(const QString &path, ChildWindow *pWindow)
{
    if (!pWindow)
        return false;
    const QImage image = pWindow->Flattened();
    const QString format = QFileInfo(path).suffix().toUpper();
    ExportPreviewDlg dialog(format, image, MainWindow::existing());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QString error;
    if (!WriteImage(path, image, dialog.Quality(), &error)) {
        ReportFileError(path, error);
        return false;
    }
    // A copy: the document keeps its own file name.
    return true;
}

bool Chromaquill::WriteImage(const QString &path, const QImage &image, int iQuality, QString *pError)
{
    // Through a save file, like documents: a failed export leaves any
    // earlier file alone.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *pError = file.errorString();
        return false;
    }
    QImageWriter writer(&file, QFileInfo(path).suffix().toLower().toLatin1());
    writer.setQuality(iQuality);
    if (!writer.write(image)) {
        *pError = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *pError = file.errorString();
        return false;
    }
    return true;
}
