#include "ExportPreviewDlg.h"
#include "ui_ExportPreviewDlg.h"

#include "ColorSwatch.h"
#include "ImageFile.h"

#include <QColorDialog>
#include <QPixmap>
#include <QRunnable>

ExportPreviewDlg::ExportPreviewDlg(const QString &format, const QImage &image, QWidget *pParent)
    : CQDialog(pParent)
    , m_pUi(new Ui::ExportPreviewDlg)
    , m_image(image)
    , m_format(format)
{
    m_pUi->setupUi(this);
    setTitle(windowTitle());
    m_pool.setMaxThreadCount(1);
    m_pUi->dimensions->setText(QString::number(image.width())
                               + QStringLiteral(" X ") + QString::number(image.height()));
    m_pUi->previewWidget->setPixmap(QPixmap::fromImage(image));
    // Only a format without alpha needs something to lay the picture on.
    const bool bFlat = !ImageFile::KeepsAlpha(format.toLatin1());
    m_pUi->backgroundLabel->setVisible(bFlat);
    m_pUi->ExportBackgroundSwatch->setVisible(bFlat);
    // The last background chosen, white at first.
    m_pUi->ExportBackgroundSwatch->SetOpaqueOnly(true);
    m_pUi->ExportBackgroundSwatch->Restore();
    // A click chooses the colour; dropped and pasted ones count as well.
    // (after the press: the colour dialog takes the mouse from there).
    connect(m_pUi->ExportBackgroundSwatch, &ColorSwatch::Selected, this, &ExportPreviewDlg::ChooseBackground,
            Qt::QueuedConnection);
    connect(m_pUi->ExportBackgroundSwatch, &ColorSwatch::ColorChanged, this, &ExportPreviewDlg::Refresh);
    m_pUi->qualitySlider->setValue(100);
}

QColor ExportPreviewDlg::Background() const
{
    return m_pUi->ExportBackgroundSwatch->Color();
}

void ExportPreviewDlg::ChooseBackground()
{
    // Not a child of this dialog: its style sheet would squeeze the colour
    // dialog's buttons. Modal all the same.
    const QColor color = QColorDialog::getColor(Background(), parentWidget(), QStringLiteral("Background"));
    if (color.isValid())
        m_pUi->ExportBackgroundSwatch->SetColor(color);
}

ExportPreviewDlg::~ExportPreviewDlg()
{
    // A running encode finishes; its result is dropped with us.
    m_bStale = false;
    m_pool.waitForDone();
    delete m_pUi;
}

QString ExportPreviewDlg::SizeText(qint64 iBytes)
{
    struct Unit { qint64 size; const char *name; };
    static const Unit units[] = {{1073741824, " GB"}, {1048576, " MB"}, {1024, " KB"}};
    for (const Unit &unit : units)
        if (iBytes > unit.size)
            return QString::number(double(iBytes / unit.size), 'f', 2) + QLatin1String(unit.name);
    return QString::number(iBytes) + QStringLiteral(" B");
}

void ExportPreviewDlg::on_qualitySlider_valueChanged(int iVal)
{
    m_iQuality = iVal;
    Refresh();
}

void ExportPreviewDlg::Refresh()
{
    if (m_iQuality < 0)
        return;
    if (m_bBusy) {
        // Encoding a large image takes longer than a slider drag step: only
        // the latest values are encoded, once the running write is done.
        m_bStale = true;
        return;
    }
    StartEncode();
}

void ExportPreviewDlg::StartEncode()
{
    m_bBusy = true;
    m_bStale = false;
    const QImage image = m_image;
    const QByteArray format = m_format.toLower().toLatin1();
    const int iQuality = m_iQuality;
    const QColor background = Background();
    QRunnable *pJob = QRunnable::create([this, image, format, iQuality, background] {
        // Encoded exactly as the export writes it; what it decodes back to
        // is the preview, and its length the size on disk.
        const QByteArray bytes = ImageFile::Encode(image, format, iQuality, nullptr, background);
        const QImage readBack = bytes.isEmpty() ? QImage() : ImageFile::Decode(bytes);
        const qint64 iBytes = bytes.size();
        // Queued to the dialog: dropped if the dialog is gone by then.
        QMetaObject::invokeMethod(this, [this, iQuality, iBytes, readBack] {
            EncodeFinished(iQuality, iBytes, readBack);
        }, Qt::QueuedConnection);
    });
    m_pool.start(pJob);
}

void ExportPreviewDlg::EncodeFinished(int iQuality, qint64 iBytes, const QImage &readBack)
{
    m_pUi->previewWidget->setPixmap(QPixmap::fromImage(readBack));
    m_pUi->sizeOnDisk->setText(QStringLiteral("size on disk: ") + SizeText(iBytes));
    if (m_bStale)
        StartEncode();
    else
        m_bBusy = false;
    Q_EMIT PreviewUpdated(iQuality, iBytes);
}
