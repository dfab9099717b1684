#include "Chromaquill.h"

#include "ChildWindow.h"
#include "MainWindow.h"
#include "ScratchDB.h"
#include "TitleFont.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
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
    if (!QFileInfo::exists(path))
        return QStringLiteral("The file does not exist.");
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (reader.read().isNull())
        return QStringLiteral("The image could not be read: %1.").arg(reader.errorString());
    return QStringLiteral("The image could not be read.");
}

bool Chromaquill::LoadDocument(const QString &path)
{
    ReportFileError(path, QStringLiteral("Chromaquill documents cannot be opened by this build yet."));
    return false;
}

bool Chromaquill::SaveDocument(const QString &path, ChildWindow *)
{
    ReportFileError(path, QStringLiteral("Chromaquill documents cannot be saved by this build yet."));
    return false;
}

bool Chromaquill::ExportImage(const QString &path, ChildWindow *pWindow)
{
    if (!pWindow)
        return false;
    ReportFileError(path, QStringLiteral("Export is not available in this build yet."));
    return true;
}
