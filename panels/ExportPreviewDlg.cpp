#include "ExportPreviewDlg.h"
#include "ui_ExportPreviewDlg.h"

#include "ImageFile.h"

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
    m_pUi->qualitySlider->setValue(100);
}

ExportPreviewDlg::~ExportPreviewDlg()
{
    // A running encode finishes; its result is dropped with us.
    m_iNextQuality = -1;
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
    if (m_bBusy) {
        // Encoding a large image takes longer than a slider drag step: keep
        // only the latest value and encode it when the running write is done.
        m_iNextQuality = iVal;
        return;
    }
    StartEncode(iVal);
}

void ExportPreviewDlg::StartEncode(int iQuality)
{
    m_bBusy = true;
    m_iNextQuality = -1;
    const QImage image = m_image;
    const QByteArray format = m_format.toLower().toLatin1();
    QRunnable *pJob = QRunnable::create([this, image, format, iQuality] {
        // Encoded exactly as the export writes it; what it decodes back to
        // is the preview, and its length the size on disk.
        const QByteArray bytes = ImageFile::Encode(image, format, iQuality);
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
    if (m_iNextQuality >= 0 && m_iNextQuality != iQuality) {
        StartEncode(m_iNextQuality);
    } else {
        m_bBusy = false;
        m_iNextQuality = -1;
    }
    Q_EMIT PreviewUpdated(iQuality, iBytes);
}
