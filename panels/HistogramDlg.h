#pragma once
// The histogram panel: the red, green, blue, hue, saturation and lightness
// histograms of the current document's current raster layer, drawn as
// translucent area charts. It follows the document it is given: another
// current layer, changed pixels, another document. Counting runs on a thread
// of its own, at most once per displayed frame however fast the pixels
// change and with a pause at least as long as a count, so painting never
// waits for it; only while the panel is shown.
#include "Histogram.h"
#include "PreviewWorker.h"

#include <QDockWidget>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>

class Document;
class HistogramCounter;
class Layer;
class ProgramCache;

namespace Ui { class HistogramDlg; }

class HistogramDlg : public QDockWidget
{
    Q_OBJECT
public:
    // Counts with the kernels of `pCache` (on the host without one).
    explicit HistogramDlg(ProgramCache *pCache = nullptr, QWidget *pParent = nullptr);
    ~HistogramDlg() override;

    // The document whose current layer is shown; null shows nothing.
    void SetDocument(Document *pDocument);
    Document *document() const { return m_pDocument; }

    // The histograms on show (all zero when there is no raster layer).
    const HistogramData &Shown() const { return m_shown; }
    // Why the chart is empty where that is not plain to see (a text layer
    // is current); empty otherwise.
    QString BlankReason() const;

    // The chart of `data` on a transparent image of `size`: guide lines at a
    // third and two thirds of the width, then each channel of `channels`
    // (in channel order) with a peak above 0 as an area one pixel per bucket,
    // its peak reaching the top.
    static QImage Chart(const HistogramData &data, const QSize &size,
                        const std::array<bool, HistogramData::kChannels> &channels);
    static QColor ChannelColor(int iChannel);

    // Shortest time between two counts, about one displayed frame.
    static constexpr int kFrameMs = 16;

Q_SIGNALS:
    // New histograms are on show.
    void Refreshed();

protected:
    void showEvent(QShowEvent *pEvent) override;
    void resizeEvent(QResizeEvent *pEvent) override;

private:
    // The current layer (or the document) is another one: what is shown no
    // longer holds.
    void LayerSwitched();
    void PixelsChanged(Layer *pLayer);
    // Counts again once a frame has passed since the last count began.
    void Schedule();
    void Start();
    void Deliver(quint64 iGeneration, const HistogramData &data, bool bOk);
    void Draw();
    std::array<bool, HistogramData::kChannels> ChannelsShown() const;

    Ui::HistogramDlg *ui;
    ProgramCache *m_pCache;
    std::unique_ptr<HistogramCounter> m_pCounter;
    QPointer<Document> m_pDocument;
    HistogramData m_shown;
    // Bumped whenever the layer shown changes: counts begun before are stale.
    quint64 m_generation = 0;
    bool m_bDirty = false;
    bool m_bBusy = false;
    QTimer m_frame;
    QElapsedTimer m_sinceStart;
    // How long the last count took, from start to delivery.
    qint64 m_lastCostMs = 0;
    // Last, so that it is destroyed first: its thread may still use the rest.
    PreviewWorker m_worker;
};
