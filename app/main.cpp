#include "Autosave.h"
#include "Chromaquill.h"
#include "CrashHandler.h"
#include "FileActions.h"
#include "MainWindow.h"
#include "Recovery.h"
#include "RecoveryFolder.h"
#include "Startup.h"
#include "SystemInfoDlg.h"
#include "TerminationWatcher.h"
#include "UpdateDlg.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>
#include <QMessageBox>
#include <QSessionManager>
#include <QSettings>
#include <QUndoStack>
#include <QtPlugin>

Q_IMPORT_PLUGIN(PngIconPlugin)

namespace {

bool headless()
{
    // Nobody could ever dismiss a modal box on the offscreen platform.
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

int refuse(const QString &text, const QString &informative, const QString &details)
{
    if (headless()) {
        QTextStream(stderr) << text << '\n' << informative << '\n';
        return 0;
    }
    QMessageBox box;
    box.setText(text);
    box.setInformativeText(informative);
    box.setDetailedText(details);
    box.exec();
    return 0;
}

// Files named on the command line open as documents: native files through
// the document reader, anything else as an image.
int openArguments(MainWindow *pMain, const QStringList &files)
{
    int opened = 0;
    for (const QString &file : files)
        if (pMain->fileActions().OpenFile(file))
            ++opened;
    return opened;
}

} // namespace

int main(int argc, char **argv)
{
    // Before anything a signal could cut short: a request to end during
    // start-up is answered once the program can end properly.
    TerminationWatcher::InstallHandler();
    CrashHandler::Install();
    Chromaquill app(argc, argv);
    // After the application: loading the driver holds the dynamic loader,
    // which the application needs for its platform plug-in.
    Startup::LibraryLoader libraries;
    const QStringList arguments = app.arguments();
    const bool bDiagnostics = Startup::WantsDiagnostics(arguments);
    // Built while the driver loads; shown only once there is OpenCL to run on.
    MainWindow *pMain = bDiagnostics ? nullptr : new MainWindow(app.store());

    const Startup::OpenCLFound found = libraries.openCL();
    if (found.platforms.isEmpty()) {
        if (headless()) {
            QTextStream(stderr) << "FATAL ERROR: Chromaquill requires OpenCL to be installed.\n";
            return 0;
        }
        QMessageBox::warning(nullptr, QStringLiteral("FATAL ERROR"),
                             QStringLiteral("Chromaquill requires OpenCL to be installed."), QMessageBox::Ok);
        return 0;
    }
    CrashHandler::SetOpenCLInfo(found.report);
    if (bDiagnostics) {
        if (headless()) {
            QTextStream(stdout) << found.report;
            return 0;
        }
        SystemInfoDlg dialog(found.report, nullptr);
        dialog.exec();
        return 0;
    }
    const QString summary = Startup::DeviceSummary(found.devices);
    if (!Startup::HasOpenCL11(found.platforms))
        return refuse(QStringLiteral("OpenCL 1.1 or greater required"),
                      QStringLiteral("Chromaquill requires OpenCL 1.1 or greater. Please update your graphics card drivers."),
                      summary);

    const QString noDevice = QStringLiteral("No OpenCL device found.");
    const QString needsOpenCL = QStringLiteral("Chromaquill requires OpenCL to run.");
    if (!Startup::HasComputeDevice(Startup::ForceCpu(QSettings()), found.devices))
        return refuse(noDevice, needsOpenCL, summary);

    pMain->ChooseComputeMode();
    if (!pMain->clContext().isCreated())
        return refuse(noDevice, needsOpenCL, summary);
    pMain->show();
    pMain->LateInit();
    CrashHandler::SetBuildReport(pMain->programCache().buildReport());

    // Recovery copies: this instance's own, and those an earlier run left.
    RecoveryFolder recovery;
    recovery.Open(RecoveryFolder::DefaultFolder());
    Autosave autosave(recovery);
    autosave.SetInterval(Startup::AutosaveInterval(QSettings()));
    pMain->SetAutosave(&autosave);
    int iOpened = Recovery::OfferAtStart(pMain, recovery, !headless());
    iOpened += openArguments(pMain, Startup::DocumentArguments(arguments));
    if (iOpened == 0)
        pMain->fileActions().NewDocument(Startup::FirstDocumentSize(pMain->size()));
    // Recorded once: each settings write waits for the disk.
    if (!QSettings().value(QStringLiteral("firstRun")).toBool())
        QSettings().setValue(QStringLiteral("firstRun"), true);
    new UpdateDlg(UpdateDlg::Automatic, pMain);

    // Asked to end from outside (a signal, the session ending): nobody is
    // there to answer a question, so the modified documents go to their
    // recovery copies and the program ends without asking.
    TerminationWatcher termination;
    const auto endNow = [&app, &autosave, pMain] {
        pMain->FinishGesture();
        autosave.WriteAllNow();
        autosave.Keep();
        pMain->SaveLayout();
        // Not quit(): that closes the windows, which asks about the work.
        app.exit(0);
    };
    QObject::connect(&termination, &TerminationWatcher::Requested, &app, endNow);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [endNow](QSessionManager &) { endNow(); });

    const int status = app.exec();
    delete pMain;
    return status;
}
