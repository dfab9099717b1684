#pragma once
// The life of a filter with a dialog, shared by every such filter: the
// dialog opens non-modally where it was last accepted, a 50 ms timer notices
// changed values, previews are computed off the user-interface thread on
// buffers kept while the dialog is open, and the result goes out through
// Updated and Complete.
//
// Previews: only the latest values are ever computed, and a result that
// arrives after newer values were asked for is dropped. A dialog previews the
// values it shows as soon as it opens, and each change at once. OK lands the
// result of the values shown last, waiting for it (BusyChanged(true) when
// that takes more than half a second); Cancel never waits.
//
// Where the window says what it shows (SetView) and the filter computes
// parts, a preview comes in parts through PartUpdated: what the view shows
// first, in strips from its middle outwards, then the rest in bands, each
// exactly as the whole result has it; newer values stop it between parts
// (one that is a single part comes whole through Updated).
// A view that shows the whole image reduced first gets a quick preview at
// its own resolution (through Updated) when the exact one takes long. Until
// the window has taken one whole image, the first part comes as the input
// with that part done (through Updated), so the window never copies a whole
// layer on its own thread. After handing over a whole image the worker
// waits until the window has drawn it (at most kDrawWait ms, or until newer
// values come), so that on a busy machine the exact parts do not slow the
// first frame down.
#include "FilterDialog.h"
#include "KernelFilter.h"
#include "ParamDialog.h"
#include "PreviewWorker.h"
#include "QCLCommandQueue.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QEventLoop;
class QTimer;

// Where filter dialogs open: where one was last accepted. One is shared by
// the dialog filters of a registry; the application fills it from its
// settings and stores it when it moves.
class DialogPlace : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    std::optional<QPoint> Location() const { return m_location; }
    void SetLocation(const QPoint &location) { m_location = location; }
    // A dialog was accepted with its top-left corner at `location`.
    void Accept(const QPoint &location);

Q_SIGNALS:
    void Moved(const QPoint &location);

private:
    std::optional<QPoint> m_location;
};

class DialogFilter : public KernelFilter
{
    Q_OBJECT
public:
    ~DialogFilter() override;

    // Opens the dialog for `image` and returns a null image.
    QImage ApplyFilter(QImage image) override;

    // The parent of the dialogs (by default the filter's parent widget).
    void SetDialogParent(QWidget *pParent) { m_pDialogParent = pParent; }
    // Where dialogs open and are remembered; without one they open where
    // the window system puts them.
    void SetPlace(DialogPlace *pPlace) { m_pPlace = pPlace; }

    bool IsRunning() const { return m_pTimer != nullptr; }
    FilterDialog *Dialog() const { return m_pDialog; }
    // The buffers of the open dialog (null when none is open).
    const FilterBuffers *Buffers() const { return m_buffers.get(); }
    // The values of the newest preview asked for.
    FilterValues RequestedValues() const { return m_lastUsed.value_or(FilterValues()); }
    PreviewWorker &Worker() { return m_worker; }

    // What a window shows of the image: a rectangle in image coordinates
    // and the zoom (1 = one image pixel a screen pixel).
    struct View {
        QRect area;
        double zoom = 1.0;
    };
    // Asked for at each preview (kept until set again); none: previews come
    // whole through Updated.
    void SetView(std::function<View()> view) { m_view = std::move(view); }

    // The parts of a preview in the order they are computed, on the part
    // grid: the view's area (when smaller than the image) in strips from its
    // middle outwards, then the rest in bands; each part costs about
    // `samples` input samples at `samplesPerPixel`.
    static QList<QRect> PlanParts(const QSize &image, const QRect &view, int samplesPerPixel, qint64 samples);

    // About what one part of a preview may cost, in input samples: the
    // longest a change waits for a part under way (by default some 30 ms
    // of a CPU device).
    void SetPartSamples(qint64 samples) { m_partSamples = samples; }
    static constexpr qint64 kPartSamples = 48'000'000;

    static constexpr int kTimerInterval = 50;
    static constexpr int kDrawWait = 150;
    static constexpr int kBusyDelay = 500;

Q_SIGNALS:
    // OK is waiting for a preview that takes a while (true), and is done (false).
    void BusyChanged(bool bBusy);
    // The pixels of `area` (image coordinates) of `image` are the newest
    // preview's. The image is valid only during the call: copy what is kept.
    void PartUpdated(const QImage &image, const QRect &area);

public Q_SLOTS:
    void Accepted();
    void Rejected();
    void TimerUpdate();
    void DialogChange();

protected:
    bool event(QEvent *pEvent) override;

    DialogFilter(const QString &name, const QString &iconPath, const QString &programFile,
                 const QStringList &kernelNames, QObject *pParent);

    // A dialog built from Form() and the table, unless a filter's form is
    // more than a list of values.
    virtual FilterDialog *CreateDialog(QWidget *pParent) { return new ParamDialog(Form(), Params(), pParent); }
    virtual FilterForm Form() const { return {}; }
    // What a new dialog shows: the table's defaults unless a filter says more.
    virtual FilterValues InitialValues() const { return FilterValues::defaults(Params()); }

private:
    void Request(const FilterValues &values);
    // The preview in parts, on the worker.
    struct Parts;
    void ComputeParts(const std::shared_ptr<Parts> &parts, const FilterValues &values, quint64 generation,
                      const View &view, qint64 samples);
    // The values at the view's scale on a reduced copy, enlarged into `out`
    // (of the image's size); false when there is no quick preview to make.
    bool QuickPreview(Parts &parts, const FilterValues &values, double zoom, qint64 samples, QImage &out);
    // Wakes a worker waiting for the window to draw (see kDrawWait).
    void WakeWorker();
    // A part lands through PartUpdated, or with `whole` (the image with
    // the part done) through Updated.
    void DeliverPart(const std::shared_ptr<Parts> &parts, quint64 generation, const QRect &area, bool bLast,
                     bool bOk, QImage whole);
    void Deliver(const std::shared_ptr<FilterBuffers> &buffers, FilterBuffers::Output output, quint64 generation,
                 bool bOk);
    void WaitForLatest();
    // Stops the timer and lets go of the dialog and the buffers.
    void Finish();
    QWidget *DialogParent() const;

    QWidget *m_pDialogParent = nullptr;
    QPointer<DialogPlace> m_pPlace;
    QPointer<FilterDialog> m_pDialog;
    QTimer *m_pTimer = nullptr;
    FilterValues m_current;
    std::optional<FilterValues> m_lastUsed;
    std::shared_ptr<FilterBuffers> m_buffers;
    std::function<View()> m_view;
    std::shared_ptr<Parts> m_parts;
    qint64 m_partSamples = kPartSamples;
    FilterBuffers::Output m_shown;
    std::atomic<quint64> m_generation{0};
    quint64 m_shownGeneration = 0;
    QEventLoop *m_pWaitLoop = nullptr;
    QCLCommandQueue m_queue;
    // Last, so that it is destroyed first: its thread may still use the rest.
    PreviewWorker m_worker;
};
