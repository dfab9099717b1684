#include "BrushDlg.h"

#include "BrushColorizer.h"
#include "BrushSetFile.h"
#include "NewBrushDlg.h"
#include "ui_BrushDlg.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMetaMethod>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <algorithm>

namespace {

constexpr int kColumns = 5;
constexpr int kThumbnailSize = 50;
constexpr int kMaxNewTipSide = 1024;
const char kBrushProperty[] = "CQBrush";
const QString kFilter = QStringLiteral("Chromaquill Brush(*.cqb);;");

QString defaultSetName()
{
    return QStringLiteral("CQ_default.cqb");
}

// Sliders hold whole numbers; Spacing and SizeJitter are hundredths.
double sliderScale(CQBrush::Setting eSetting)
{
    return eSetting == CQBrush::Spacing || eSetting == CQBrush::SizeJitter ? 100.0 : 1.0;
}

CQBrush *defaultBrush()
{
    QImage tip(100, 100, QImage::Format_ARGB32);
    tip.fill(Qt::transparent);
    QPainter painter(&tip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QRectF(0, 0, 100, 100));
    painter.end();
    auto *pBrush = new CQBrush;
    pBrush->SetName(QStringLiteral("default"));
    pBrush->SetImage(tip);
    return pBrush;
}

} // namespace

QMetaObject::Connection BrushDlg::OnBrushChanged(QObject *pReceiver, std::function<void()> handler)
{
    return connect(this, &BrushDlg::BrushChanged, pReceiver, std::move(handler));
}

BrushDlg::BrushDlg(QWidget *pParent, const QString &shippedFolder)
    : CQDialog(pParent)
    , m_pUi(new Ui::BrushDlg)
    , m_shippedFolder(shippedFolder)
{
    m_pUi->setupUi(this);
    setTitle(QStringLiteral("Brushes"));
    setWindowFlags(windowFlags() | Qt::Tool | Qt::FramelessWindowHint);

    const QList<QPair<QSlider *, QSpinBox *>> pairs = {
        {m_pUi->spacingSlider, m_pUi->spacingSpinBox}, {m_pUi->scatterXSlider, m_pUi->scatterXSpinBox},
        {m_pUi->scatterYSlider, m_pUi->scatterYSpinBox}, {m_pUi->sizeJitterSlider, m_pUi->sizeJitterSpinBox},
        {m_pUi->angleJitterSlider, m_pUi->angleJitterSpinBox}, {m_pUi->hueJitterSlider, m_pUi->hueJitterSpinBox},
        {m_pUi->saturationJitterSlider, m_pUi->saturationJitterSpinBox},
        {m_pUi->lightnessJitterSlider, m_pUi->lightnessJitterSpinBox},
        {m_pUi->opacityJitterSlider, m_pUi->opacityJitterSpinBox}};
    for (const auto &[pSlider, pSpin] : pairs) {
        connect(pSlider, &QSlider::valueChanged, pSpin, &QSpinBox::setValue);
        connect(pSpin, &QSpinBox::valueChanged, pSlider, &QSlider::setValue);
    }

    m_pContextMenu = new QMenu(this);
    const struct {
        const char *text;
        const char *tip;
        void (BrushDlg::*slot)();
    } entries[] = {
        {"&Rename", "rename this brush", &BrushDlg::on_renameBrush_clicked},
        {"&Delete", "delete this brush", &BrushDlg::on_deleteBrush_clicked},
        {"Rese&t Settings", "reset the brush settings to the default", &BrushDlg::on_resetBrush_clicked},
        {"&Save Settings as Default", "make the current brush settings the default", &BrushDlg::on_makeDefaultBrush_clicked},
    };
    for (const auto &entry : entries) {
        QAction *pAction = m_pContextMenu->addAction(QString::fromLatin1(entry.text));
        pAction->setStatusTip(QString::fromLatin1(entry.tip));
        connect(pAction, &QAction::triggered, this, entry.slot);
    }

    m_pSetMenu = new QMenu(this);
    m_pLoadAction = new QAction(QStringLiteral("&Load Brushes"), this);
    m_pLoadAction->setStatusTip(QStringLiteral("load a new set of brushes"));
    connect(m_pLoadAction, &QAction::triggered, this, &BrushDlg::loadBrushes_clicked);
    m_pExportAction = new QAction(QStringLiteral("&Export Brushes"), this);
    m_pExportAction->setStatusTip(QStringLiteral("save the current set of brushes"));
    connect(m_pExportAction, &QAction::triggered, this, &BrushDlg::saveBrushes_clicked);
    m_pUi->brushMenuButton->setMenu(m_pSetMenu);

    LoadBrushSet(QSettings().value(QStringLiteral("currentBrushSet"), defaultSetName()).toString());
    m_bConstructed = true;
}

BrushDlg::~BrushDlg()
{
    ClearBrushes();
    delete m_pUi;
}

QString BrushDlg::UserFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Brushes");
}

QStringList BrushDlg::SetFolders() const
{
    QStringList folders{UserFolder()};
    if (!m_shippedFolder.isEmpty())
        folders.append(m_shippedFolder);
    return folders;
}

QString BrushDlg::FindSet(const QString &setName) const
{
    for (const QString &folder : SetFolders()) {
        const QString path = folder + QLatin1Char('/') + setName;
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

QLabel *BrushDlg::Thumbnail(const CQBrush *pBrush) const
{
    const qsizetype i = m_brushes.indexOf(const_cast<CQBrush *>(pBrush));
    return i < 0 ? nullptr : m_thumbnails[i];
}

void BrushDlg::ClearBrushes()
{
    m_pCurrent = m_pMenuBrush = nullptr;
    qDeleteAll(m_thumbnails);
    m_thumbnails.clear();
    const QList<CQBrush *> old = m_brushes;
    m_brushes.clear();
    qDeleteAll(old);
}

void BrushDlg::LoadBrushSet(const QString &setName)
{
    // Only a file name: a set never comes from outside the two folders.
    const QString name = QFileInfo(setName).fileName().isEmpty() ? defaultSetName() : QFileInfo(setName).fileName();
    QList<CQBrush *> brushes;
    const QString path = FindSet(name);
    QString error;
    if (!path.isEmpty() && !BrushSetFile::Read(path, &brushes, &error)) {
        const QString message = QStringLiteral("Could not read the brush set \"%1\": %2").arg(QDir::toNativeSeparators(path), error);
        if (m_bConstructed)
            emit FileError(message);
        else
            m_pendingError = message; // nobody can be listening yet
    }
    if (brushes.isEmpty())
        brushes.append(defaultBrush());
    ReplaceSet(brushes, name);
}

void BrushDlg::ReplaceSet(const QList<CQBrush *> &brushes, const QString &setName)
{
    ClearBrushes();
    m_setName = setName;
    // Written only when it changes: every start loads the set, and each
    // settings write waits for the disk.
    QSettings settings;
    if (settings.value(QStringLiteral("currentBrushSet")).toString() != setName)
        settings.setValue(QStringLiteral("currentBrushSet"), setName);
    for (CQBrush *pBrush : brushes)
        AppendBrush(pBrush);
    LayOutThumbnails();
    BuildSetMenu();
    SelectBrush(m_brushes.value(0));
}

void BrushDlg::LayOutThumbnails()
{
    for (QLabel *pLabel : std::as_const(m_thumbnails))
        m_pUi->thumbnailLayout->removeWidget(pLabel);
    for (int i = 0; i < m_thumbnails.size(); ++i)
        m_pUi->thumbnailLayout->addWidget(m_thumbnails[i], i / kColumns, i % kColumns, Qt::AlignLeft | Qt::AlignTop);
    // Keep the cells packed into the top-left corner.
    m_pUi->thumbnailLayout->setRowStretch(int(m_thumbnails.size() + kColumns - 1) / kColumns, 1);
    m_pUi->thumbnailLayout->setColumnStretch(kColumns, 1);
}

QPixmap BrushDlg::ThumbnailPixmap(CQBrush *pBrush)
{
    QPixmap pixmap(kThumbnailSize, kThumbnailSize);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    const QImage scaled = pBrush->Tip().scaled(kThumbnailSize, kThumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Black on a thumbnail a few dozen pixels wide: quicker on this thread
    // than building the colouring kernel at start-up.
    const QImage colored = BrushColorizer::Reference(scaled, Qt::black);
    if (!colored.isNull())
        painter.drawImage(0, 0, colored);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, kThumbnailSize - 1, kThumbnailSize - 1);
    // The tip's size in the corner, readable on dark and light tips alike.
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.drawText(QRect(2, 0, kThumbnailSize - 4, kThumbnailSize - 1), Qt::AlignLeft | Qt::AlignBottom,
                     QString::number(pBrush->Tip().width()));
    return pixmap;
}

void BrushDlg::BuildSetMenu()
{
    m_pSetMenu->clear();
    QAction *pTitle = m_pSetMenu->addAction(QFileInfo(m_setName).completeBaseName());
    pTitle->setEnabled(false);
    m_pSetMenu->addSeparator();
    m_pSetMenu->addAction(m_pLoadAction);
    m_pSetMenu->addAction(m_pExportAction);
    QStringList names;
    for (const QString &folder : SetFolders())
        for (const QString &file : QDir(folder).entryList({QStringLiteral("*.cqb")}, QDir::Files))
            if (!names.contains(file))
                names.append(file);
    std::sort(names.begin(), names.end());
    if (!names.isEmpty())
        m_pSetMenu->addSeparator();
    for (const QString &file : std::as_const(names)) {
        QAction *pAction = m_pSetMenu->addAction(QFileInfo(file).completeBaseName());
        pAction->setData(file);
        connect(pAction, &QAction::triggered, this, &BrushDlg::loadBrushFile_clicked);
    }
}

bool BrushDlg::SaveBrushSet()
{
    const QString path = UserFolder() + QLatin1Char('/') + m_setName;
    QString error;
    if (BrushSetFile::Write(path, m_brushes, &error)) {
        BuildSetMenu();
        return true;
    }
    emit FileError(QStringLiteral("Could not save the brush set \"%1\": %2").arg(QDir::toNativeSeparators(path), error));
    return false;
}

void BrushDlg::AppendBrush(CQBrush *pBrush)
{
    pBrush->setParent(this);
    m_brushes.append(pBrush);
    auto *pLabel = new QLabel(m_pUi->brushGrid);
    // The picture is drawn when the label is first painted (see eventFilter).
    pLabel->setFixedSize(kThumbnailSize, kThumbnailSize);
    pLabel->setToolTip(pBrush->Name());
    pLabel->setProperty(kBrushProperty, QVariant::fromValue<QObject *>(pBrush));
    pLabel->installEventFilter(this);
    m_thumbnails.append(pLabel);
}

void BrushDlg::AddBrush(CQBrush *pBrush)
{
    AppendBrush(pBrush);
    LayOutThumbnails();
    SelectBrush(pBrush);
}

void BrushDlg::SelectBrush(CQBrush *pBrush)
{
    if (!pBrush || !m_brushes.contains(pBrush))
        return;
    m_pCurrent = pBrush;
    for (int i = 0; i < m_thumbnails.size(); ++i)
        m_thumbnails[i]->setFrameStyle(m_brushes[i] == pBrush ? QFrame::Box : QFrame::NoFrame);
    ShowBrush(pBrush);
    emit BrushChanged();
}

void BrushDlg::RenameBrush(CQBrush *pBrush, const QString &name)
{
    if (!m_brushes.contains(pBrush) || name.isEmpty())
        return;
    pBrush->SetName(name);
    Thumbnail(pBrush)->setToolTip(name);
    SaveBrushSet();
}

bool BrushDlg::DeleteBrush(CQBrush *pBrush)
{
    const qsizetype i = m_brushes.indexOf(pBrush);
    if (i < 0)
        return false;
    if (m_brushes.size() == 1) {
        QMessageBox::warning(this, QStringLiteral("d'oh"), QStringLiteral("You can't delete the last brush in the set."));
        return false;
    }
    QLabel *pLabel = m_thumbnails.takeAt(i);
    m_brushes.removeAt(i);
    m_pUi->thumbnailLayout->removeWidget(pLabel);
    // The label may be the one whose context menu asked for this.
    pLabel->hide();
    pLabel->deleteLater();
    LayOutThumbnails();
    if (m_pMenuBrush == pBrush)
        m_pMenuBrush = nullptr;
    // The tools take the new current brush before the old one goes.
    if (m_pCurrent == pBrush)
        SelectBrush(m_brushes.first());
    delete pBrush;
    SaveBrushSet();
    return true;
}

void BrushDlg::ShowBrush(CQBrush *pBrush)
{
    if (!pBrush)
        return;
    const QList<QPair<QSlider *, CQBrush::Setting>> sliders = {
        {m_pUi->spacingSlider, CQBrush::Spacing}, {m_pUi->scatterXSlider, CQBrush::ScatterX},
        {m_pUi->scatterYSlider, CQBrush::ScatterY}, {m_pUi->sizeJitterSlider, CQBrush::SizeJitter},
        {m_pUi->angleJitterSlider, CQBrush::AngleJitter}, {m_pUi->hueJitterSlider, CQBrush::HueJitter},
        {m_pUi->saturationJitterSlider, CQBrush::SaturationJitter},
        {m_pUi->lightnessJitterSlider, CQBrush::LightnessJitter},
        {m_pUi->opacityJitterSlider, CQBrush::OpacityJitter}};
    m_bUpdating = true;
    for (const auto &[pSlider, eSetting] : sliders)
        pSlider->setValue(int(pBrush->Value(eSetting) * sliderScale(eSetting)));
    m_bUpdating = false;
}

void BrushDlg::NewBrushFromImage(const QImage &image)
{
    if (image.isNull())
        return;
    // Asked for from the layers panel while this panel is hidden: the
    // question comes up over the window, not where this panel would be.
    NewBrushDlg dialog(false, isVisible() ? this : parentWidget());
    if (dialog.exec() != QDialog::Accepted)
        return;
    QImage tip = image;
    if (tip.width() > kMaxNewTipSide || tip.height() > kMaxNewTipSide)
        tip = tip.scaled(kMaxNewTipSide, kMaxNewTipSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    auto *pBrush = new CQBrush;
    pBrush->SetName(dialog.Name());
    pBrush->SetImage(tip);
    AddBrush(pBrush);
    SaveBrushSet();
}

void BrushDlg::SettingChanged(CQBrush::Setting eSetting, double dValue)
{
    if (!m_bUpdating && m_pCurrent)
        m_pCurrent->SetValue(eSetting, dValue / sliderScale(eSetting));
}

void BrushDlg::on_spacingSlider_valueChanged(int iValue) { SettingChanged(CQBrush::Spacing, iValue); }
void BrushDlg::on_scatterXSlider_valueChanged(int iValue) { SettingChanged(CQBrush::ScatterX, iValue); }
void BrushDlg::on_scatterYSlider_valueChanged(int iValue) { SettingChanged(CQBrush::ScatterY, iValue); }
void BrushDlg::on_sizeJitterSlider_valueChanged(int iValue) { SettingChanged(CQBrush::SizeJitter, iValue); }
void BrushDlg::on_angleJitterSlider_valueChanged(int iValue) { SettingChanged(CQBrush::AngleJitter, iValue); }
void BrushDlg::on_hueJitterSlider_valueChanged(int iValue) { SettingChanged(CQBrush::HueJitter, iValue); }
void BrushDlg::on_saturationJitterSlider_valueChanged(int iValue) { SettingChanged(CQBrush::SaturationJitter, iValue); }
void BrushDlg::on_lightnessJitterSlider_valueChanged(int iValue) { SettingChanged(CQBrush::LightnessJitter, iValue); }
void BrushDlg::on_opacityJitterSlider_valueChanged(int iValue) { SettingChanged(CQBrush::OpacityJitter, iValue); }

void BrushDlg::loadBrushes_clicked()
{
    const QString folder = QFileInfo(UserFolder()).isDir() || m_shippedFolder.isEmpty() ? UserFolder() : m_shippedFolder;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open Brush"), folder, kFilter);
    if (path.isEmpty())
        return; // cancelled: the set stays as it was
    QList<CQBrush *> brushes;
    QString error;
    if (!BrushSetFile::Read(path, &brushes, &error)) {
        emit FileError(QStringLiteral("Could not read the brush set \"%1\": %2").arg(QDir::toNativeSeparators(path), error));
        return;
    }
    if (brushes.isEmpty())
        brushes.append(defaultBrush());
    const QFileInfo info(path);
    const QString folderOf = info.absolutePath();
    ReplaceSet(brushes, info.fileName());
    // A set from elsewhere is kept in the user folder, so it is there next time.
    if (folderOf != QFileInfo(UserFolder()).absoluteFilePath()
        && (m_shippedFolder.isEmpty() || folderOf != QFileInfo(m_shippedFolder).absoluteFilePath()))
        SaveBrushSet();
}

void BrushDlg::saveBrushes_clicked()
{
    QDir().mkpath(UserFolder());
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save File"), UserFolder(), kFilter);
    if (path.isEmpty())
        return; // cancelled: nothing is written
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".cqb");
    QString error;
    if (!BrushSetFile::Write(path, m_brushes, &error)) {
        emit FileError(QStringLiteral("Could not save the brush set \"%1\": %2").arg(QDir::toNativeSeparators(path), error));
        return;
    }
    // Exported into the user folder, it becomes the current set.
    if (QFileInfo(path).absolutePath() == QFileInfo(UserFolder()).absoluteFilePath()) {
        m_setName = QFileInfo(path).fileName();
        QSettings().setValue(QStringLiteral("currentBrushSet"), m_setName);
    }
    BuildSetMenu();
}

void BrushDlg::loadBrushFile_clicked()
{
    if (auto *pAction = qobject_cast<QAction *>(sender()))
        LoadBrushSet(pAction->data().toString());
}

void BrushDlg::on_renameBrush_clicked()
{
    CQBrush *pBrush = m_pMenuBrush ? m_pMenuBrush : m_pCurrent;
    if (!pBrush)
        return;
    NewBrushDlg dialog(true, this);
    dialog.SetName(pBrush->Name());
    if (dialog.exec() == QDialog::Accepted)
        RenameBrush(pBrush, dialog.Name());
}

void BrushDlg::on_deleteBrush_clicked()
{
    if (CQBrush *pBrush = m_pMenuBrush ? m_pMenuBrush : m_pCurrent)
        DeleteBrush(pBrush);
}

void BrushDlg::on_resetBrush_clicked()
{
    if (CQBrush *pBrush = m_pMenuBrush ? m_pMenuBrush : m_pCurrent) {
        pBrush->ResetToDefaults();
        if (pBrush == m_pCurrent)
            ShowBrush(pBrush);
    }
}

void BrushDlg::on_makeDefaultBrush_clicked()
{
    if (CQBrush *pBrush = m_pMenuBrush ? m_pMenuBrush : m_pCurrent) {
        pBrush->MakeDefault();
        SaveBrushSet();
    }
}

void BrushDlg::connectNotify(const QMetaMethod &signal)
{
    if (signal == QMetaMethod::fromSignal(&BrushDlg::FileError) && !m_pendingError.isEmpty()) {
        // Told once the connection is complete, from the event loop.
        QMetaObject::invokeMethod(this, [this, message = m_pendingError] { emit FileError(message); }, Qt::QueuedConnection);
        m_pendingError.clear();
    }
}

bool BrushDlg::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    auto *pLabel = qobject_cast<QLabel *>(pWatched);
    if (pLabel && pEvent->type() == QEvent::Paint && pLabel->pixmap().isNull() && m_thumbnails.contains(pLabel)) {
        // Drawn on first sight: the panel is made at start-up, and shown later if at all.
        pLabel->setPixmap(ThumbnailPixmap(qobject_cast<CQBrush *>(pLabel->property(kBrushProperty).value<QObject *>())));
        return false;
    }
    if (pLabel && m_thumbnails.contains(pLabel) && pEvent->type() == QEvent::MouseButtonPress) {
        auto *pBrush = qobject_cast<CQBrush *>(pLabel->property(kBrushProperty).value<QObject *>());
        const auto *pMouse = static_cast<QMouseEvent *>(pEvent);
        if (pMouse->button() == Qt::LeftButton) {
            SelectBrush(pBrush);
        } else if (pMouse->button() == Qt::RightButton) {
            m_pMenuBrush = pBrush;
            m_pContextMenu->exec(pMouse->globalPosition().toPoint());
            m_pMenuBrush = nullptr;
        }
        return true;
    }
    return CQDialog::eventFilter(pWatched, pEvent);
}
