#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "AboutDlg.h"
#include "CanvasSizeDlg.h"
#include "ChildWindow.h"
#include "Chromaquill.h"
#include "ConvertToPixmapCmd.h"
#include "GraphicsView.h"
#include "CrashHandler.h"
#include "CreateLayerCmd.h"
#include "CropSelectionCmd.h"
#include "FlattenImageCmd.h"
#include "ImageFile.h"
#include "ImageFlipCmd.h"
#include "ImageResizeDlg.h"
#include "ImageRotateCmd.h"
#include "LayerDlg.h"
#include "LayerMergeDownCmd.h"
#include "LayerSnapshotCmd.h"
#include "NewFileDlg.h"
#include "PixmapLayer.h"
#include "PopupNotify.h"
#include "ResizeCanvasCmd.h"
#include "ResizeImageCmd.h"
#include "ScratchDB.h"
#include "SettingsDlg.h"
#include "Startup.h"
#include "SystemInfoDlg.h"
#include "TextLayer.h"
#include "UndoDlg.h"
#include "UpdateDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QImageReader>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QTextDocument>
#include <QUndoStack>
#include <QUrl>

namespace {
MainWindow *s_pInstance = nullptr;

const char kImageFilter[] =
    "All Formats (*.cq *.bmp *.ico *.gif *.jpg *.jpeg *.pbm *.pgm *.png *.ppm *.tga *.tiff *.xbm *.xpm);;"
    "Chromaquill (*.cq);;Windows Bitmap (*.bmp);;Icon (*.ico);;Graphic Interchange Format (*.gif);;"
    "Joint Photographic Experts Group (*.jpg *.jpeg);;Portable Bitmap (*.pbm);;Portable Graymap (*.pgm);;"
    "Portable Network Graphics (*.png);;Portable Pixmap(*.ppm);;Targa (*.tga);;Tagged Image File Format (*.tiff);;"
    "X11 Bitmap(*.xbm);;X11 Pixmap(*.xpm)";
const char kExportFilter[] =
    "Windows Bitmap (*.bmp);;Icon (*.ico);;Joint Photographic Experts Group (*.jpg *.jpeg);;"
    "Portable Network Graphics (*.png);;Portable Pixmap(*.ppm);;TARGA (*.tga);;"
    "Tagged Image File Format (*.tiff);;X11 Bitmap(*.xbm);;X11 Pixmap(*.xpm)";
const char kNativeFilter[] = "Chromaquill (*.cq);;";
const char kSizeIcon[] = "<img src=':/icons/doc_resize.png'>";

// A save dialog that adds the suffix when the user types a bare name.
QString askSavePath(const QString &caption, const char *filter, const QString &suffix)
{
    QFileDialog dialog(nullptr, caption, QString(), QString::fromLatin1(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

const char kToolBarStyle[] =
    "QLabel { color: white; margin-left: 5px; margin-right: 5px; }"
    "QToolTip, QToolTip * { color: black; }"
    "QSlider::groove:horizontal { border: 1px solid #bbb; background: white; height: 10px; border-radius: 4px; }"
    "QSlider::sub-page:horizontal { background: qlineargradient(x1: 0, y1: 0.2, x2: 1, y2: 1, stop: 0 #bbf, stop: 1 #55f);"
    " border: 1px solid #777; height: 10px; border-radius: 4px; }"
    "QSlider::add-page:horizontal { background: #fff; border: 1px solid #777; height: 10px; border-radius: 4px; }"
    "QSlider::handle:horizontal { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #eee, stop:1 #ccc);"
    " border: 1px solid #777; width: 13px; margin-top: -2px; margin-bottom: -2px; border-radius: 4px; }"
    "QSlider::handle:horizontal:hover { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #fff, stop:1 #ddd);"
    " border: 1px solid #444; border-radius: 4px; }"
    "QSlider::sub-page:horizontal:disabled { background: #bbb; border-color: #999; }"
    "QSlider::add-page:horizontal:disabled { background: #eee; border-color: #999; }"
    "QSlider::handle:horizontal:disabled { background: #eee; border: 1px solid #aaa; border-radius: 4px; }";
} // namespace

MainWindow *MainWindow::instance()
{
    if (!s_pInstance)
        s_pInstance = new MainWindow;
    return s_pInstance;
}

MainWindow *MainWindow::existing()
{
    return s_pInstance;
}

MainWindow::MainWindow()
    : QMainWindow(nullptr)
    , m_pUi(new Ui::MainWindow)
    , m_programCache(m_clContext)
{
    s_pInstance = this;
    m_pUi->setupUi(this);
    // Without a window manager "maximised" means nothing, so start with the
    // screen's available area as well.
    if (QScreen *pScreen = QGuiApplication::primaryScreen())
        setGeometry(pScreen->availableGeometry());
    setWindowState(Qt::WindowMaximized);

    // Status bar read-outs.
    m_pSizeLabel = new QLabel(QString::fromLatin1(kSizeIcon) + QStringLiteral(" labeltext"));
    m_pSizeLabel->setAlignment(Qt::AlignHCenter);
    m_pSizeLabel->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    m_pPosLabel = new QLabel(QString(11, QLatin1Char(' ')));
    m_pPosLabel->setAlignment(Qt::AlignHCenter);
    m_pPosLabel->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    m_pZoomLabel = new QLabel(QString(11, QLatin1Char(' ')));
    m_pZoomLabel->setAlignment(Qt::AlignHCenter);
    m_pZoomLabel->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    m_pMemoryLabel = new QLabel;
    m_pMemoryLabel->setAlignment(Qt::AlignHCenter);
    m_pMemoryLabel->setStyleSheet(QStringLiteral("QToolTip, QToolTip * {color: rgb(0, 0, 0);}QLabel {color: white;}"));
    m_pMemoryLabel->setToolTip(QStringLiteral("Undo/Redo Memory Usage"));
    m_pOpenCLIcon = new QLabel;
    m_pOpenCLIcon->setPixmap(QPixmap(QStringLiteral(":/icons/speedometer.png")).scaled(16, 16));
    m_pOpenCLIcon->setStyleSheet(QStringLiteral("color: rgb(0, 0, 0); QToolTip, QToolTip * {color: rgb(0, 0, 0);}"));
    m_pOpenCLIcon->setToolTip(QStringLiteral("OpenCL Status"));
    for (QLabel *pLabel : {m_pSizeLabel, m_pPosLabel, m_pZoomLabel, m_pMemoryLabel, m_pOpenCLIcon})
        statusBar()->addPermanentWidget(pLabel);
    statusBar()->setStyleSheet(QStringLiteral("QStatusBar { background-color: rgb(50, 50, 50); }"));

    ScratchDB *pStore = ScratchDB::instance();
    connect(pStore, &ScratchDB::MemoryUsageChanged, m_pMemoryLabel, &QLabel::setText);
    m_pMemoryLabel->setText(ScratchDB::MemoryText(pStore->memoryInUse()));
    connect(pStore, &ScratchDB::RestoreFailed, this, [this](const QString &message) {
        QMessageBox::warning(this, QStringLiteral("Error"), message);
    });

    connect(m_pUi->mdiArea, &QMdiArea::subWindowActivated, this, &MainWindow::ChildWindowChanged);

    // Panels.
    addDockWidget(Qt::RightDockWidgetArea, LayerDlg::instance());
    UndoDlg *pHistory = UndoDlg::instance(this);
    addDockWidget(Qt::RightDockWidgetArea, pHistory);
    // The tool box, colour picker and histogram panels come with the tools
    // and filters; until then their Window entries have nothing to show.
    for (QAction *pAction : {m_pUi->action_Palette, m_pUi->action_Toolbar, m_pUi->action_Histogram}) {
        pAction->setChecked(false);
        pAction->setEnabled(false);
    }

    // Recent files.
    for (int i = 0; i < 5; ++i) {
        auto *pAction = new QAction(this);
        pAction->setVisible(false);
        connect(pAction, &QAction::triggered, this, &MainWindow::on_action_openRecentFile);
        m_recentFileActions.append(pAction);
        m_pUi->menu_File->addAction(pAction);
    }
    UpdateRecentFileActions();

    ChooseComputeMode();
    // A crash report lists every build log and filter error known at the time.
    m_programCache.setReportListener([](const QMap<QString, QString> &report) { CrashHandler::SetBuildReport(report); });
    m_pUi->mainToolBar->setStyleSheet(QString::fromLatin1(kToolBarStyle));
    QSettings settings;
    if (settings.contains(QStringLiteral("windowState")))
        restoreState(settings.value(QStringLiteral("windowState")).toByteArray(), 0);
    m_pUi->action_History->setChecked(pHistory->isVisible());
    m_pUi->action_Layers->setChecked(!LayerDlg::instance()->isHidden());
}

MainWindow::~MainWindow()
{
    delete m_pUi;
    if (s_pInstance == this)
        s_pInstance = nullptr;
}

void MainWindow::ChooseComputeMode()
{
    const bool bForce = Startup::ForceCpu(QSettings());
    m_pOpenCLIcon->setToolTip(QStringLiteral("GPU MODE (full acceleration)"));
    bool bGreyed = false;
    const auto mode = Startup::ChooseComputeMode(bForce, [&](QCLDevice::DeviceTypes type) {
        if (type == QCLDevice::CPU && !bGreyed) {
            m_pOpenCLIcon->setEnabled(false);
            m_pOpenCLIcon->setToolTip(QStringLiteral("CPU MODE (partial acceleration)"));
            bGreyed = true;
        }
        return m_clContext.create(type);
    });
    m_bGpuMode = mode == Startup::ComputeMode::Gpu;
}

void MainWindow::LateInit()
{
    // The filter registry hooks in here.
}

// --- Event routing -----------------------------------------------------------

void MainWindow::MousePosUpdate(int x, int y, ChildWindow *)
{
    m_pPosLabel->setText(QString::number(x) + QLatin1Char(':') + QString::number(y));
}

void MainWindow::MousePress(QGraphicsSceneMouseEvent *, QPoint, ChildWindow *) {}
void MainWindow::MouseRelease(QGraphicsSceneMouseEvent *, QPoint, ChildWindow *) {}
void MainWindow::KeyPress(QKeyEvent *) {}
void MainWindow::KeyRelease(QKeyEvent *) {}

void MainWindow::MouseWheel(int iDelta, ChildWindow *pWindow)
{
    // Until the tool box exists the wheel zooms only with Ctrl, as the zoom tool would.
    if (pWindow && (QApplication::keyboardModifiers() & Qt::ControlModifier))
        pWindow->ZoomBy(iDelta > 0 ? 15 : -15);
}

// --- Documents ----------------------------------------------------------------

void MainWindow::AddChild(ChildWindow *pWindow)
{
    QMdiSubWindow *pSub = m_pUi->mdiArea->addSubWindow(pWindow);
    const QSize canvas = pWindow->canvasSize();
    pSub->setGeometry(0, 0, canvas.width(), canvas.height());
    connect(pWindow, &ChildWindow::MousePosUpdate, this, &MainWindow::MousePosUpdate);
    connect(pWindow, &ChildWindow::MousePress, this, &MainWindow::MousePress);
    connect(pWindow, &ChildWindow::MouseRelease, this, &MainWindow::MouseRelease);
    connect(pWindow, &ChildWindow::MouseWheel, this, &MainWindow::MouseWheel);
    connect(pWindow, &ChildWindow::KeyPress, this, &MainWindow::KeyPress);
    connect(pWindow, &ChildWindow::KeyRelease, this, &MainWindow::KeyRelease);
    connect(pWindow, &ChildWindow::ZoomTextChanged, this, [this, pWindow](const QString &text) {
        if (pWindow == m_pCurrent)
            m_pZoomLabel->setText(text);
    });
    connect(pWindow, &ChildWindow::CanvasSizeChanged, this, [pWindow] { FitDocument(pWindow); });
    pSub->show();
    pSub->showMaximized();
    pWindow->setSubWindow(pSub);
    if (m_pCurrent != pWindow) {
        m_pCurrent = pWindow;
        pWindow->Activate();
    }
    pWindow->overlayView()->setGeometry(pWindow->scrollArea()->geometry());
    pWindow->overlayScene()->setSceneRect(QRectF(pWindow->scrollArea()->geometry()));
    FitDocument(pWindow);
}

void MainWindow::FitDocument(ChildWindow *pWindow)
{
    MainWindow *pMain = existing();
    if (!pMain || !pWindow || pMain->m_pCurrent != pWindow)
        return;
    const QSize canvas = pWindow->canvasSize();
    pMain->m_pSizeLabel->setText(QStringLiteral("<table><tbody><tr><td>") + QString::fromLatin1(kSizeIcon)
                                 + QStringLiteral("</td><td>") + QString::number(canvas.width())
                                 + QLatin1Char('x') + QString::number(canvas.height())
                                 + QStringLiteral("</td></tr></tbody></table>"));
}

void MainWindow::ChildWindowChanged(QMdiSubWindow *pSub)
{
    if (!pSub) {
        // Only forget the document when no sub-window is left at all.
        if (m_pUi->mdiArea->subWindowList().isEmpty()) {
            m_pSizeLabel->setText(QString::fromLatin1(kSizeIcon));
            m_pCurrent = nullptr;
            LayerDlg::instance()->Clear();
            UndoDlg::instance()->setStack(nullptr);
        }
        return;
    }
    auto *pWindow = qobject_cast<ChildWindow *>(pSub->widget());
    if (!pWindow || pWindow == m_pCurrent)
        return;
    m_pCurrent = pWindow;
    pWindow->Activate();
    FitDocument(pWindow);
}

void MainWindow::DocumentClosing(ChildWindow *pWindow)
{
    if (pWindow == m_pCurrent) {
        m_pCurrent = nullptr;
        UndoDlg::instance()->setStack(nullptr);
    }
}

double MainWindow::ZoomToFit(const QSize &canvas, const QSize &window)
{
    const double fx = canvas.width() > 0.9 * window.width() ? 0.9 * window.width() / canvas.width() : 1.0;
    const double fy = canvas.height() > 0.9 * window.height() ? 0.9 * window.height() / canvas.height() : 1.0;
    return qMin(fx, fy) * 100.0;
}

bool MainWindow::OpenImageAsDocument(const QString &path)
{
    const QImage image = ImageFile::Read(path);
    if (image.isNull())
        return false;
    auto *pWindow = new ChildWindow(this, image.size());
    pWindow->SetFileName(path);
    auto *pCreate = new CreateLayerCmd(pWindow, Layer::Raster);
    pWindow->undoStack()->push(pCreate);
    auto *pLayer = static_cast<PixmapLayer *>(pCreate->layer());
    pLayer->setPixmap(QPixmap::fromImage(image.convertToFormat(QImage::Format_ARGB32)));
    pLayer->update();
    const QString name = QFileInfo(path).fileName();
    pLayer->setName(name);
    LayerDlg::instance()->RenameLayer(pLayer, name);
    pWindow->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Load: ") + name, pLayer));
    pWindow->SetZoom(ZoomToFit(image.size(), size()));
    pWindow->setWindowTitle(name + QStringLiteral(" [*]"));
    pWindow->setWindowModified(false);
    AddRecentFile(path);
    LayerDlg::instance()->UpdateLayerThumbnail(pLayer);
    AddChild(pWindow);
    return true;
}

void MainWindow::AddRecentFile(const QString &path)
{
    QSettings settings;
    QStringList files = settings.value(QStringLiteral("recentFileList")).toStringList();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > 5)
        files.removeLast();
    settings.setValue(QStringLiteral("recentFileList"), files);
    UpdateRecentFileActions();
}

void MainWindow::UpdateRecentFileActions()
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
    // Only write when something changed: start-up must not create settings
    // on the paths that end before the window is shown.
    if (kept != stored)
        settings.setValue(QStringLiteral("recentFileList"), kept);
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

void MainWindow::on_action_openRecentFile()
{
    auto *pAction = qobject_cast<QAction *>(sender());
    if (!pAction)
        return;
    const QString path = pAction->data().toString();
    if (path.endsWith(QLatin1String(".cq")))
        Chromaquill::LoadDocument(path);
    else if (!OpenImageAsDocument(path))
        Chromaquill::ReportFileError(path, Chromaquill::ImageReadError(path));
}

void MainWindow::on_action_Import_In_New_Document_triggered()
{
    const QString path = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open Image"), QString(),
                                                      QString::fromLatin1(kImageFilter));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().toUpper() == QLatin1String("CQ"))
        Chromaquill::LoadDocument(path);
    else if (!OpenImageAsDocument(path))
        Chromaquill::ReportFileError(path, Chromaquill::ImageReadError(path));
    AddRecentFile(path);
}

void MainWindow::on_action_Import_In_New_Layer_triggered()
{
    if (!m_pCurrent)
        return;
    QString filter = QString::fromLatin1(kImageFilter);
    filter.remove(QStringLiteral("Chromaquill (*.cq);;"));
    const QString path = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open Image"), QString(), filter);
    if (path.isEmpty())
        return;
    if (!m_pCurrent->LoadImageAsLayer(path))
        Chromaquill::ReportFileError(path, Chromaquill::ImageReadError(path));
}

void MainWindow::SaveAs(ChildWindow *pWindow)
{
    const QString path = askSavePath(QStringLiteral("Save File"), kNativeFilter, QStringLiteral("cq"));
    if (path.isEmpty())
        return;
    if (Chromaquill::SaveDocument(path, pWindow))
        pWindow->SetFileName(path);
}

void MainWindow::SaveDocument(ChildWindow *pWindow)
{
    if (!pWindow)
        return;
    const QString file = pWindow->FileName();
    const bool bNative = QFileInfo(file).suffix().toUpper() == QLatin1String("CQ");
    if (file.isEmpty() || (!bNative && pWindow->GetLayers().size() > 1)) {
        SaveAs(pWindow);
        return;
    }
    if (!bNative) {
        Chromaquill::ExportImage(file, pWindow);
        return;
    }
    if (Chromaquill::SaveDocument(file, pWindow))
        pWindow->SetFileName(file);
}

void MainWindow::on_action_Save_triggered() { SaveDocument(m_pCurrent); }

void MainWindow::on_action_Save_As_triggered()
{
    if (m_pCurrent)
        SaveAs(m_pCurrent);
}

void MainWindow::on_action_Export_triggered()
{
    if (!m_pCurrent)
        return;
    const QString path = askSavePath(QStringLiteral("Export Image"), kExportFilter, QStringLiteral("png"));
    if (!path.isEmpty())
        Chromaquill::ExportImage(path, m_pCurrent);
}

void MainWindow::on_action_New_triggered()
{
    auto *pDialog = new NewFileDlg(this);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->show();
}

void MainWindow::on_action_Close_triggered()
{
    m_pUi->mdiArea->closeActiveSubWindow();
}

void MainWindow::on_action_Exit_triggered()
{
    close();
}

// --- Image commands -------------------------------------------------------------

void MainWindow::on_action_Canvas_Size_triggered()
{
    if (!m_pCurrent)
        return;
    CanvasSizeDlg dialog(m_pCurrent->canvasSize().width(), m_pCurrent->canvasSize().height(), this);
    dialog.exec();
}

void MainWindow::on_action_Resize_triggered()
{
    if (!m_pCurrent)
        return;
    const QSize old = m_pCurrent->canvasSize();
    ImageResizeDlg dialog(old.width(), old.height(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QSize chosen = dialog.ChosenSize();
    if (chosen.isEmpty())
        return;
    m_pCurrent->undoStack()->push(new ResizeImageCmd(m_pCurrent, chosen.width(), chosen.height(),
                                                     old.width(), old.height()));
}

void MainWindow::on_action_Flatten_triggered()
{
    if (m_pCurrent)
        m_pCurrent->undoStack()->push(new FlattenImageCmd(m_pCurrent));
}

void MainWindow::on_action_Image_Flip_Horizontal_triggered()
{
    if (m_pCurrent)
        m_pCurrent->undoStack()->push(new ImageFlipCmd(m_pCurrent, true, false, QStringLiteral("Image Flip Horizontal")));
}

void MainWindow::on_action_Image_Flip_Vertical_triggered()
{
    if (m_pCurrent)
        m_pCurrent->undoStack()->push(new ImageFlipCmd(m_pCurrent, false, true, QStringLiteral("Image Flip Vertical")));
}

void MainWindow::on_action_Image_Rotate_90_Right_triggered() { RotateImage(90); }
void MainWindow::on_action_Image_Rotate_90_Left_triggered() { RotateImage(-90); }
void MainWindow::on_action_Image_Rotate_180_triggered() { RotateImage(180); }

void MainWindow::RotateImage(int iAngle)
{
    if (m_pCurrent)
        m_pCurrent->undoStack()->push(new ImageRotateCmd(
            m_pCurrent, iAngle, QStringLiteral("Image Rotate (") + QString::number(iAngle) + QLatin1Char(')')));
}

void MainWindow::on_action_Crop_triggered()
{
    if (!m_pCurrent || m_pCurrent->Selection().isEmpty())
        return;
    const QSize size = m_pCurrent->canvasSize();
    m_pCurrent->undoStack()->push(new CropSelectionCmd(m_pCurrent, m_pCurrent->Selection(), size.width(), size.height()));
}

// --- Panels ----------------------------------------------------------------------

void MainWindow::ShowPanel(QWidget *pPanel, bool bShow)
{
    if (pPanel)
        pPanel->setVisible(bShow);
}

void MainWindow::on_action_Palette_triggered() {}
void MainWindow::on_action_Toolbar_triggered() {}
void MainWindow::on_action_Histogram_triggered() {}

void MainWindow::on_action_History_triggered()
{
    ShowPanel(UndoDlg::instance(), m_pUi->action_History->isChecked());
}

void MainWindow::on_action_Layers_triggered()
{
    ShowPanel(LayerDlg::instance(), m_pUi->action_Layers->isChecked());
}

void MainWindow::on_action_Toggle_All_Windows_triggered()
{
    const QList<QPair<QWidget *, QAction *>> panels = {
        {LayerDlg::instance(), m_pUi->action_Layers},
        {UndoDlg::instance(), m_pUi->action_History},
    };
    if (!m_pUi->action_Toggle_All_Windows->isChecked()) {
        for (const auto &[pPanel, pAction] : panels) {
            if (pPanel->isVisible()) {
                m_hiddenPanels.append(pPanel);
                pPanel->hide();
                pAction->setChecked(false);
            }
        }
        return;
    }
    for (QWidget *pPanel : std::as_const(m_hiddenPanels)) {
        pPanel->show();
        for (const auto &[p, pAction] : panels)
            if (p == pPanel)
                pAction->setChecked(true);
    }
    m_hiddenPanels.clear();
}

void MainWindow::SetHistogramChecked(bool bChecked)
{
    m_pUi->action_Histogram->setChecked(bChecked);
}

// --- Selection -------------------------------------------------------------------

void MainWindow::on_action_Select_All_triggered()
{
    if (m_pCurrent)
        m_pCurrent->SelectAll();
}

void MainWindow::on_action_Select_Inverse_triggered()
{
    if (m_pCurrent)
        m_pCurrent->SelectInverse();
}

void MainWindow::on_action_Select_None_triggered()
{
    if (m_pCurrent)
        m_pCurrent->SelectNone();
}

// --- Zoom ------------------------------------------------------------------------

void MainWindow::on_action_Zoom_In_triggered()
{
    if (m_pCurrent)
        m_pCurrent->ZoomBy(15);
}

void MainWindow::on_action_Zoom_Out_triggered()
{
    if (m_pCurrent)
        m_pCurrent->ZoomBy(-15);
}

void MainWindow::on_action_Zoom_To_Window_triggered()
{
    if (m_pCurrent)
        m_pCurrent->SetZoom(ZoomToFit(m_pCurrent->canvasSize(), size()));
}

void MainWindow::on_action_Actual_Size_triggered()
{
    if (m_pCurrent)
        m_pCurrent->SetZoom(100);
}

// --- Undo and redo ----------------------------------------------------------------

void MainWindow::Notify(const QString &text)
{
    if (m_pCurrent)
        new PopupNotify(text, m_pCurrent, 250);
}

void MainWindow::on_action_Undo_triggered()
{
    if (!m_pCurrent)
        return;
    QUndoStack *pStack = m_pCurrent->undoStack();
    // A document's first entry (its first layer, or opening the file) stays.
    if (pStack->index() <= 1)
        return;
    Notify(pStack->undoText());
    pStack->undo();
}

void MainWindow::on_action_Redo_triggered()
{
    if (!m_pCurrent)
        return;
    QUndoStack *pStack = m_pCurrent->undoStack();
    if (!pStack->canRedo())
        return;
    Notify(pStack->redoText());
    pStack->redo();
}

// --- Layer commands -----------------------------------------------------------------

// The current raster layer, with any restore still on its way from disk
// applied, since every caller reads or edits its pixels.
static PixmapLayer *currentRaster()
{
    Layer *pLayer = LayerDlg::instance()->CurrentLayer();
    if (!pLayer || pLayer->kind() != Layer::Raster)
        return nullptr;
    auto *pRaster = static_cast<PixmapLayer *>(pLayer);
    ScratchDB::instance()->WaitForPending(pRaster);
    return pRaster;
}

void MainWindow::on_actionDelete_Selection_triggered()
{
    PixmapLayer *pLayer = currentRaster();
    if (!m_pCurrent || !pLayer || m_pCurrent->Selection().isEmpty())
        return;
    const QRegion selection = m_pCurrent->Selection();
    {
        QPainter painter(&pLayer->image());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setClipRegion(selection);
        painter.fillRect(selection.boundingRect(), Qt::transparent);
    }
    pLayer->update();
    LayerDlg::instance()->UpdateLayerThumbnail(pLayer);
    m_pCurrent->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Erase - ") + pLayer->name(), pLayer));
}

void MainWindow::on_action_Layer_Add_triggered()
{
    LayerDlg::instance()->on_addLayerBtn_clicked();
}

void MainWindow::on_action_Layer_Delete_triggered()
{
    LayerDlg::instance()->on_deleteLayerBtn_clicked();
}

void MainWindow::on_action_Layer_Duplicate_triggered()
{
    Layer *pSource = LayerDlg::instance()->CurrentLayer();
    if (!m_pCurrent || !pSource)
        return;
    if (pSource->kind() == Layer::Raster)
        ScratchDB::instance()->WaitForPending(static_cast<PixmapLayer *>(pSource));
    const QString name = pSource->name() + QStringLiteral(" - Copy");
    auto *pCreate = new CreateLayerCmd(m_pCurrent, pSource->kind());
    m_pCurrent->undoStack()->push(pCreate);
    Layer *pCopy = pCreate->layer();
    if (pSource->kind() == Layer::Text) {
        auto *pText = static_cast<TextLayer *>(pCopy);
        auto *pFrom = static_cast<TextLayer *>(pSource);
        pText->setDefaultTextColor(pFrom->defaultTextColor());
        pText->setHtml(pFrom->toHtml());
        pText->setPos(pFrom->pos());
    } else {
        auto *pRaster = static_cast<PixmapLayer *>(pCopy);
        pRaster->setPixmap(static_cast<PixmapLayer *>(pSource)->image().copy());
        pRaster->setPos(pSource->pos());
    }
    pCopy->update();
    pCopy->setName(name);
    LayerDlg::instance()->RenameLayer(pCopy, name);
    LayerDlg::instance()->UpdateLayerThumbnail(pCopy);
}

void MainWindow::on_action_Layer_Merge_Down_triggered()
{
    LayerDlg *pPanel = LayerDlg::instance();
    Layer *pLayer = pPanel->CurrentLayer();
    if (!m_pCurrent || !pLayer)
        return;
    Layer *pBelow = pPanel->LayerAtRow(pPanel->RowOf(pLayer) + 1);
    if (!pBelow) {
        QMessageBox::warning(this, QStringLiteral("D'oh"),
                             QStringLiteral("The current layer doesn't have one below it to merge into."));
        return;
    }
    m_pCurrent->undoStack()->push(new LayerMergeDownCmd(pLayer, pBelow));
}

void MainWindow::on_action_Convert_To_Pixmap_triggered()
{
    Layer *pLayer = LayerDlg::instance()->CurrentLayer();
    if (m_pCurrent && pLayer && pLayer->kind() == Layer::Text)
        m_pCurrent->undoStack()->push(new ConvertToPixmapCmd(pLayer));
}

void MainWindow::LayerFlip(bool bHorizontal)
{
    PixmapLayer *pLayer = currentRaster();
    if (!m_pCurrent || !pLayer)
        return;
    const QImage flipped = pLayer->image().toImage().mirrored(bHorizontal, !bHorizontal);
    pLayer->setPixmap(QPixmap::fromImage(flipped));
    pLayer->update();
    m_pCurrent->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Layer Flip - ") + pLayer->name(), pLayer));
}

void MainWindow::on_action_Layer_Flip_Horizontal_triggered() { LayerFlip(true); }
void MainWindow::on_action_Layer_Flip_Vertical_triggered() { LayerFlip(false); }
void MainWindow::on_action_Layer_Rotate_90_Right_triggered() { RotateCurrentLayer(90); }
void MainWindow::on_action_Layer_Rotate_90_Left_triggered() { RotateCurrentLayer(-90); }
void MainWindow::on_action_Layer_Rotate_180_triggered() { RotateCurrentLayer(180); }

void MainWindow::RotateCurrentLayer(int iAngle)
{
    PixmapLayer *pLayer = currentRaster();
    if (!m_pCurrent || !pLayer)
        return;
    QTransform rotation;
    rotation.rotate(iAngle);
    const QPixmap rotated = pLayer->image().transformed(rotation, Qt::FastTransformation);
    QPixmap result(pLayer->image().rect().united(rotated.rect()).size());
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        painter.drawPixmap(0, 0, rotated);
    }
    pLayer->setPixmap(result);
    pLayer->update();
    m_pCurrent->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Layer Rotate - ") + pLayer->name(), pLayer));
}

// --- Clipboard ------------------------------------------------------------------------

void MainWindow::on_action_Copy_triggered()
{
    PixmapLayer *pLayer = currentRaster();
    if (!m_pCurrent || !pLayer)
        return;
    const QRegion selection = m_pCurrent->Selection();
    if (selection.isEmpty()) {
        QApplication::clipboard()->setImage(pLayer->image().toImage());
        return;
    }
    QImage copy(pLayer->image().size(), QImage::Format_ARGB32);
    copy.fill(Qt::transparent);
    {
        QPainter painter(&copy);
        painter.setClipRegion(selection);
        painter.drawPixmap(0, 0, pLayer->image());
    }
    QApplication::clipboard()->setImage(copy);
}

void MainWindow::on_action_Paste_triggered()
{
    if (!m_pCurrent)
        return;
    const QMimeData *pData = QApplication::clipboard()->mimeData();
    Layer *pLayer = LayerDlg::instance()->CurrentLayer();
    if (!pData || !pLayer)
        return;
    const bool bHasText = pData->hasText() || pData->hasHtml();
    const bool bHasImage = pData->hasImage();

    if (pLayer->kind() == Layer::Raster) {
        if (bHasImage) {
            PasteImage(static_cast<PixmapLayer *>(pLayer), pData, true);
            return;
        }
        if (!bHasText
            || QMessageBox::question(this, QStringLiteral("Just curious..."),
                                     QStringLiteral("You can't paste text into an image layer. Shall I create a new text layer?"),
                                     QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        auto *pCreate = new CreateLayerCmd(m_pCurrent, Layer::Text);
        m_pCurrent->undoStack()->push(pCreate);
        auto *pText = static_cast<TextLayer *>(pCreate->layer());
        pText->setPos(QPointF(m_pCurrent->canvasSize().width() / 2, m_pCurrent->canvasSize().height() / 2));
        pText->SetEditMode(true);
        PasteText(pText, pData);
        return;
    }
    // A text layer takes text; an image never goes into it. When the
    // clipboard holds both, the text is what belongs here.
    if (bHasText) {
        PasteText(static_cast<TextLayer *>(pLayer), pData);
        return;
    }
    if (!bHasImage
        || QMessageBox::question(this, QStringLiteral("Just curious..."),
                                 QStringLiteral("You can't paste an image into a text layer. Shall I create a new image layer?"),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    auto *pCreate = new CreateLayerCmd(m_pCurrent, Layer::Raster);
    m_pCurrent->undoStack()->push(pCreate);
    PasteImage(static_cast<PixmapLayer *>(pCreate->layer()), pData, false);
}

void MainWindow::PasteImage(PixmapLayer *pLayer, const QMimeData *pData, bool bSnapshot)
{
    const QPixmap pixmap = QPixmap::fromImage(qvariant_cast<QImage>(pData->imageData()));
    const QSize canvas = m_pCurrent->canvasSize();
    if ((pixmap.width() > canvas.width() || pixmap.height() > canvas.height())
        && QMessageBox::question(this, QStringLiteral("Resize?"),
                                 QStringLiteral("The image is larger than the current canvas. Expand the canvas to fit the image?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        const QSize grown = canvas.expandedTo(pixmap.size());
        m_pCurrent->undoStack()->push(
            new ResizeCanvasCmd(m_pCurrent, grown.width(), grown.height(), canvas.width(), canvas.height(), 4));
    }
    ScratchDB::instance()->WaitForPending(pLayer);
    {
        QPainter painter(&pLayer->image());
        painter.drawPixmap(0, 0, pixmap);
    }
    pLayer->update();
    // A layer made for this paste already has its creation snapshot.
    if (bSnapshot)
        m_pCurrent->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Paste - ") + pLayer->name(), pLayer));
    LayerDlg::instance()->UpdateLayerThumbnail(pLayer);
}

void MainWindow::PasteText(TextLayer *pLayer, const QMimeData *pData)
{
    if (pData->hasHtml())
        pLayer->setHtml(pData->html());
    else
        pLayer->setPlainText(pData->text());
    pLayer->setName(pLayer->toPlainText());
    LayerDlg::instance()->RenameLayer(pLayer, pLayer->name());
}

// --- Dialogs and help ---------------------------------------------------------------------

void MainWindow::on_action_Settings_triggered()
{
    SettingsDlg dialog(nullptr);
    dialog.exec();
}

void MainWindow::on_action_System_Info_triggered()
{
    SystemInfoDlg dialog(nullptr);
    dialog.exec();
}

void MainWindow::on_action_About_triggered()
{
    AboutDlg dialog(this);
    dialog.exec();
}

void MainWindow::on_action_Check_For_Updates_triggered()
{
    auto *pDialog = new UpdateDlg(UpdateDlg::Manual, this);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->setWindowModality(Qt::WindowModal);
    pDialog->show();
}

void MainWindow::on_action_OpenCL_Debug_triggered()
{
    // The kernel report comes with the filters; until then show what the
    // program cache has recorded.
    QString report;
    const auto &entries = m_programCache.buildReport();
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        report += it.key() + QStringLiteral(":\n") + it.value() + QStringLiteral("\n\n");
    QMessageBox::information(this, QStringLiteral("OpenCL Debug"),
                             report.isEmpty() ? QStringLiteral("No kernels have been built yet.") : report);
}

void MainWindow::on_action_Submit_A_Bug_triggered()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://kestrelvane.example/chromaquill/feedback")));
}

// --- Window --------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent *pEvent)
{
    QSettings settings;
    settings.setValue(QStringLiteral("UndoDlgGeometry"), UndoDlg::instance()->saveGeometry());
    settings.setValue(QStringLiteral("LayerDlgGeometry"), LayerDlg::instance()->saveGeometry());
    settings.setValue(QStringLiteral("windowState"), saveState(0));
    m_pUi->mdiArea->closeAllSubWindows();
    if (!m_pUi->mdiArea->subWindowList().isEmpty()) {
        pEvent->ignore();
        return;
    }
    pEvent->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *pEvent)
{
    if (pEvent->mimeData()->hasUrls())
        pEvent->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *pEvent)
{
    for (const QUrl &url : pEvent->mimeData()->urls())
        OpenImageAsDocument(url.toLocalFile());
}
