#include "HistogramDlg.h"
#include "ui_HistogramDlg.h"

#include "Document.h"
#include "HistogramCounter.h"
#include "PixmapLayer.h"
#include "ProgramCache.h"

#include <QPainter>
#include <QPainterPath>

HistogramDlg::HistogramDlg(ProgramCache *pCache, QWidget *pParent)
    : QDockWidget(pParent), ui(new Ui::HistogramDlg), m_pCache(pCache)
{
    ui->setupUi(this);
    m_frame.setSingleShot(true);
    connect(&m_frame, &QTimer::timeout, this, &HistogramDlg::Start);
    for (QGroupBox *pGroup : {ui->RGBGroup, ui->HSLGroup})
        connect(pGroup, &QGroupBox::toggled, this, &HistogramDlg::Draw);
    for (QCheckBox *pBox : {ui->redCheckBox, ui->greenCheckBox, ui->blueCheckBox, ui->hueCheckBox,
                            ui->saturationCheckBox, ui->lightnessCheckBox})
        connect(pBox, &QCheckBox::toggled, this, &HistogramDlg::Draw);
}

HistogramDlg::~HistogramDlg()
{
    m_worker.Drop();
    delete ui;
}

void HistogramDlg::SetDocument(Document *pDocument)
{
    if (m_pDocument)
        disconnect(m_pDocument, nullptr, this, nullptr);
    m_pDocument = pDocument;
    if (pDocument) {
        connect(pDocument, &Document::CurrentLayerChanged, this, &HistogramDlg::LayerSwitched);
        // Deleting or bringing back layers can leave the current one hidden.
        connect(pDocument, &Document::LayerRemoved, this, &HistogramDlg::LayerSwitched);
        connect(pDocument, &Document::LayerAdded, this, &HistogramDlg::LayerSwitched);
        connect(pDocument, &Document::LayerPixelsChanged, this, &HistogramDlg::PixelsChanged);
        connect(pDocument, &Document::CanvasResized, this, &HistogramDlg::LayerSwitched);
        connect(pDocument, &Document::Closing, this, [this] { SetDocument(nullptr); });
    }
    LayerSwitched();
}

void HistogramDlg::LayerSwitched()
{
    ++m_generation;
    m_bDirty = true;
    if (!m_pDocument || !m_pDocument->CurrentRasterLayer()) {
        m_bDirty = false;
        m_shown = HistogramData();
        Draw();
        Q_EMIT Refreshed();
        return;
    }
    Schedule();
}

void HistogramDlg::PixelsChanged(Layer *pLayer)
{
    if (!m_pDocument || pLayer != m_pDocument->CurrentRasterLayer())
        return;
    m_bDirty = true;
    Schedule();
}

void HistogramDlg::Schedule()
{
    if (isHidden() || m_bBusy || m_frame.isActive())
        return;
    // At most once a frame, and idle at least as long as the last count
    // took: on a large layer the device is left half its time for painting.
    const qint64 since = m_sinceStart.isValid() ? m_sinceStart.elapsed() : kFrameMs;
    const qint64 gap = qMax<qint64>(kFrameMs, 2 * m_lastCostMs);
    m_frame.start(int(qBound(qint64(0), gap - since, qint64(1000))));
}

void HistogramDlg::Start()
{
    if (!m_bDirty || m_bBusy || isHidden())
        return;
    PixmapLayer *pLayer = m_pDocument ? m_pDocument->CurrentRasterLayer() : nullptr;
    if (!pLayer) {
        LayerSwitched();
        return;
    }
    if (!m_pCounter && m_pCache) {
        m_pCounter = std::make_unique<HistogramCounter>(m_pCache->context());
        const QString error = m_pCounter->Initialize(m_pCache);
        if (!error.isEmpty())
            qWarning("Histogram: %s", qPrintable(error.simplified()));
    }
    m_bDirty = false;
    m_bBusy = true;
    m_sinceStart.start();
    // A shared copy: painting on the layer meanwhile detaches from it.
    const QImage image = pLayer->image();
    const quint64 generation = m_generation;
    HistogramCounter *pCounter = m_pCounter && m_pCounter->IsReady() ? m_pCounter.get() : nullptr;
    m_worker.Post([this, image, generation, pCounter] {
        HistogramData data;
        bool bOk = true;
        if (pCounter)
            bOk = pCounter->Count(image, &data);
        else
            data = histogramReference(image);
        QMetaObject::invokeMethod(
            this, [this, generation, data, bOk] { Deliver(generation, data, bOk); }, Qt::QueuedConnection);
    });
}

void HistogramDlg::Deliver(quint64 iGeneration, const HistogramData &data, bool bOk)
{
    m_bBusy = false;
    m_lastCostMs = m_sinceStart.elapsed();
    if (bOk && iGeneration == m_generation) {
        m_shown = data;
        Draw();
        Q_EMIT Refreshed();
    }
    if (m_bDirty)
        Schedule();
}

void HistogramDlg::showEvent(QShowEvent *pEvent)
{
    QDockWidget::showEvent(pEvent);
    // Nothing was counted while hidden.
    LayerSwitched();
}

void HistogramDlg::resizeEvent(QResizeEvent *pEvent)
{
    QDockWidget::resizeEvent(pEvent);
    Draw();
}

std::array<bool, HistogramData::kChannels> HistogramDlg::ChannelsShown() const
{
    const bool rgb = ui->RGBGroup->isChecked(), hsl = ui->HSLGroup->isChecked();
    return {rgb && ui->redCheckBox->isChecked(),        rgb && ui->greenCheckBox->isChecked(),
            rgb && ui->blueCheckBox->isChecked(),       hsl && ui->hueCheckBox->isChecked(),
            hsl && ui->saturationCheckBox->isChecked(), hsl && ui->lightnessCheckBox->isChecked()};
}

QString HistogramDlg::BlankReason() const
{
    const Layer *pLayer = m_pDocument ? m_pDocument->CurrentLayer() : nullptr;
    if (pLayer && pLayer->kind() == Layer::Text)
        return QStringLiteral("A text layer has no pixels to count. Turn it into a pixmap to see its histogram.");
    return QString();
}

void HistogramDlg::Draw()
{
    QImage chart = Chart(m_shown, ui->histogramLabel->size(), ChannelsShown());
    // An empty chart says why it is empty.
    if (const QString why = BlankReason(); !why.isEmpty()) {
        QPainter painter(&chart);
        // The chart's own (light) text colour: its ground is dark.
        ui->histogramLabel->ensurePolished();
        painter.setPen(ui->histogramLabel->palette().color(QPalette::WindowText));
        painter.drawText(chart.rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, why);
    }
    ui->histogramLabel->setPixmap(QPixmap::fromImage(chart));
}

QColor HistogramDlg::ChannelColor(int iChannel)
{
    static const QColor colors[HistogramData::kChannels] = {
        QColor(255, 0, 0, 128),    QColor(0, 255, 0, 128),    QColor(0, 0, 255, 128),
        QColor(135, 15, 241, 128), QColor(229, 153, 27, 128), QColor(128, 128, 128, 128)};
    return iChannel >= 0 && iChannel < HistogramData::kChannels ? colors[iChannel] : QColor();
}

QImage HistogramDlg::Chart(const HistogramData &data, const QSize &size,
                           const std::array<bool, HistogramData::kChannels> &channels)
{
    QImage chart(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    chart.fill(Qt::transparent);
    QPainter painter(&chart);
    const int width = chart.width(), height = chart.height();
    painter.setPen(QColor(255, 255, 255, 60));
    for (const double third : {0.33333, 0.66666}) {
        const int x = int(width * third);
        painter.drawLine(x, 0, x, height);
    }
    for (int c = 0; c < HistogramData::kChannels; ++c) {
        // An empty channel has no scale to draw it at.
        if (!channels[c] || data.peaks[c] <= 0)
            continue;
        const float scale = float(height) / float(data.peaks[c]);
        QPainterPath path(QPointF(0, height));
        for (int i = 0; i < HistogramData::kBuckets; ++i)
            path.lineTo(i, height - data.counts[c][i] * scale);
        path.lineTo(HistogramData::kBuckets, height);
        path.lineTo(0, height);
        painter.fillPath(path, ChannelColor(c));
    }
    return chart;
}
