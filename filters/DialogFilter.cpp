#include "DialogFilter.h"
#include "QCLContext.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSemaphore>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

// One open dialog's previews in parts.
struct DialogFilter::Parts {
    std::shared_ptr<FilterBuffers> buffers;
    // Every part of every preview is written here; the window copies each
    // part as it lands, so nothing is written twice for the same values.
    FilterBuffers::Output output;
    // The input reduced to a view's scale and to halves of it, with their
    // buffers (worker only).
    QList<std::shared_ptr<FilterBuffers>> reduced;
    double reducedZoom = 0;
    // The window took a whole image of its own (a quick preview, or the
    // first part over the input), so later parts land in place instead of
    // the window copying the whole layer first.
    std::atomic<bool> handedWhole{false};
    // Released once the window has drawn a whole image handed over, and by
    // newer values.
    QSemaphore drawn;
};

namespace {
// Posted at low priority after a whole image landed: the window's repaint
// is posted at that priority too, while the scene settles what to repaint,
// so the second hop comes after the frame is drawn.
class DrawnEvent : public QEvent
{
public:
    static QEvent::Type Kind()
    {
        static const auto kind = QEvent::Type(QEvent::registerEventType());
        return kind;
    }
    DrawnEvent(std::weak_ptr<QSemaphore> semaphore, int hops) : QEvent(Kind()), semaphore(semaphore), hops(hops) {}
    std::weak_ptr<QSemaphore> semaphore;
    int hops;
};
} // namespace

void DialogPlace::Accept(const QPoint &location)
{
    m_location = location;
    Q_EMIT Moved(location);
}

DialogFilter::DialogFilter(const QString &name, const QString &iconPath, const QString &programFile,
                           const QStringList &kernelNames, QObject *pParent)
    : KernelFilter(name, iconPath, programFile, kernelNames, pParent)
{
}

DialogFilter::~DialogFilter()
{
    // Nothing may arrive for a half-destroyed filter.
    m_worker.Drop();
    ++m_generation;
    WakeWorker();
    if (m_pDialog)
        disconnect(m_pDialog, nullptr, this, nullptr);
}

QWidget *DialogFilter::DialogParent() const
{
    return m_pDialogParent ? m_pDialogParent : qobject_cast<QWidget *>(parent());
}

QImage DialogFilter::ApplyFilter(QImage image)
{
    if (IsRunning())
        Rejected();
    if (!IsReady() || image.isNull())
        return Argb32(image);
    if (m_queue.isNull())
        m_queue = Context()->createCommandQueue();
    m_buffers = std::make_shared<FilterBuffers>(*Context(), Argb32(image));

    FilterDialog *pDialog = CreateDialog(DialogParent());
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->SetValues(InitialValues());
    connect(pDialog, &QDialog::accepted, this, &DialogFilter::Accepted);
    connect(pDialog, &QDialog::rejected, this, &DialogFilter::Rejected);
    connect(pDialog, &FilterDialog::Changed, this, &DialogFilter::DialogChange);
    // A dialog that goes away with its parent ends the run quietly.
    connect(pDialog, &QObject::destroyed, this, [this] {
        if (IsRunning())
            Finish();
    });
    m_pDialog = pDialog;

    if (m_pPlace && m_pPlace->Location())
        pDialog->move(*m_pPlace->Location());
    pDialog->open();

    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &DialogFilter::TimerUpdate);
    m_pTimer->start(kTimerInterval);

    // The values on show are previewed at once, never hidden ones from an
    // earlier dialog.
    m_current = pDialog->Values();
    m_lastUsed.reset();
    TimerUpdate();
    return QImage();
}

void DialogFilter::DialogChange()
{
    if (!m_pDialog)
        return;
    m_current = m_pDialog->Values();
    // At once: a change waits for no timer. A preview still waiting to
    // start is replaced.
    TimerUpdate();
}

void DialogFilter::TimerUpdate()
{
    if (!m_buffers || (m_lastUsed && *m_lastUsed == m_current))
        return;
    Request(m_current);
}

void DialogFilter::WakeWorker()
{
    if (m_parts)
        m_parts->drawn.release();
}

bool DialogFilter::event(QEvent *pEvent)
{
    if (pEvent->type() != DrawnEvent::Kind())
        return KernelFilter::event(pEvent);
    auto *pDrawn = static_cast<DrawnEvent *>(pEvent);
    if (pDrawn->hops > 1)
        QCoreApplication::postEvent(this, new DrawnEvent(pDrawn->semaphore, pDrawn->hops - 1), Qt::LowEventPriority);
    else if (const std::shared_ptr<QSemaphore> semaphore = pDrawn->semaphore.lock())
        semaphore->release();
    return true;
}

void DialogFilter::Request(const FilterValues &values)
{
    m_lastUsed = values;
    const quint64 generation = ++m_generation;
    WakeWorker();
    if (m_view && ComputesParts()) {
        if (!m_parts || m_parts->buffers != m_buffers) {
            m_parts = std::make_shared<Parts>();
            m_parts->buffers = m_buffers;
            m_parts->output = m_buffers->takeOutput();
        }
        const View view = m_view();
        m_worker.Post([this, parts = m_parts, values, generation, view, queue = m_queue, samples = m_partSamples] {
            if (generation != m_generation.load())
                return;
            QCLQueueScope scope(parts->buffers->context(), queue);
            ComputeParts(parts, values, generation, view, samples);
        });
        return;
    }
    std::shared_ptr<FilterBuffers> buffers = m_buffers;
    const QCLCommandQueue queue = m_queue;
    m_worker.Post([this, buffers, values, generation, queue] {
        // Something newer was asked for while this waited.
        if (generation != m_generation.load())
            return;
        FilterBuffers::Output output = buffers->takeOutput();
        bool bOk;
        {
            QCLQueueScope scope(buffers->context(), queue);
            bOk = Compute(*buffers, values, output);
        }
        QMetaObject::invokeMethod(
            this,
            [this, buffers, output = std::move(output), generation, bOk]() mutable {
                Deliver(buffers, std::move(output), generation, bOk);
            },
            Qt::QueuedConnection);
    });
}

QList<QRect> DialogFilter::PlanParts(const QSize &image, const QRect &view, int samplesPerPixel, qint64 samples)
{
    const QRect whole(QPoint(), image);
    const QRect shown = PartGrid(view, image);
    const qint64 pixels = qMax<qint64>(16, samples / qMax(1, samplesPerPixel));
    QList<QRect> parts;
    QRegion rest(whole);
    if (!shown.isEmpty() && shown != whole) {
        const int width = int(std::clamp<qint64>(pixels / shown.height() / 16, 1, (shown.width() + 15) / 16)) * 16;
        for (int x = shown.left(); x <= shown.right(); x += width)
            parts << QRect(x, shown.top(), qMin(width, shown.right() + 1 - x), shown.height());
        const int middle = shown.center().x();
        std::stable_sort(parts.begin(), parts.end(), [middle](const QRect &a, const QRect &b) {
            return std::abs(a.center().x() - middle) < std::abs(b.center().x() - middle);
        });
        rest -= shown;
    }
    // Bands off screen may be larger: only the bands still to come wait.
    const qint64 bandPixels = 2 * pixels;
    for (const QRect &r : rest) {
        const int rows = int(std::clamp<qint64>(bandPixels / r.width(), 1, r.height()));
        for (int y = r.top(); y <= r.bottom(); y += rows)
            parts << QRect(r.left(), y, r.width(), qMin(rows, r.bottom() + 1 - y));
    }
    return parts;
}

void DialogFilter::ComputeParts(const std::shared_ptr<Parts> &parts, const FilterValues &values, quint64 generation,
                                const View &view, qint64 samples)
{
    FilterBuffers &buffers = *parts->buffers;
    const QSize size(buffers.width(), buffers.height());
    const QRect shown = PartGrid(view.area, size);
    const int samplesPerPixel = qMax(1, SamplesPerPixel(values));
    auto post = [&](const QRect &area, bool bLast, bool bOk, const QImage &whole = QImage()) {
        QMetaObject::invokeMethod(
            this,
            [this, parts, generation, area, bLast, bOk, whole] {
                DeliverPart(parts, generation, area, bLast, bOk, whole);
            },
            Qt::QueuedConnection);
    };
    // The window draws a whole image it is handed on its own thread: the
    // exact parts wait for that first frame, or for newer values.
    auto waitDrawn = [&] {
        if (m_worker.IsManual())
            return;
        QElapsedTimer waited;
        waited.start();
        while (generation == m_generation.load() && waited.elapsed() < kDrawWait)
            if (parts->drawn.tryAcquire(1, 5))
                return;
    };
    parts->drawn.tryAcquire(parts->drawn.available());
    // A whole image goes over in the output itself, which is always at
    // hand and already touched; the parts after it take another output
    // once the window drew the image and let go of the one it showed.
    auto outputReady = [&] {
        if (parts->output.isNull())
            parts->output = buffers.takeOutput();
        return !parts->output.isNull();
    };
    // One whole image a preview at most, until the window took one.
    bool bWholePosted = parts->handedWhole.load();
    auto handOver = [&](const QRect &area, bool bLast) {
        const QImage whole = parts->output.image;
        parts->output = FilterBuffers::Output();
        post(area, bLast, true, whole);
        bWholePosted = true;
        if (!bLast)
            waitDrawn();
    };
    if (!outputReady()) {
        post(QRect(), true, false);
        return;
    }
    if (view.zoom < 1.0 && qint64(shown.width()) * shown.height() * samplesPerPixel > 2 * samples
        && QuickPreview(*parts, values, view.zoom, samples, parts->output.image))
        handOver(QRect(QPoint(), size), false);
    const QList<QRect> plan = PlanParts(size, shown, samplesPerPixel, samples);
    if (plan.size() == 1) {
        // One part takes the whole image: it goes over as a result of its
        // own, as a preview without parts does, instead of being copied on
        // the window's thread. The window then shares it, so the parts of a
        // later preview come with a whole image again.
        if (generation != m_generation.load())
            return;
        FilterBuffers::Output output = parts->buffers->takeOutput();
        const bool bOk = Compute(buffers, values, output);
        QMetaObject::invokeMethod(
            this,
            [this, parts, output = std::move(output), generation, bOk]() mutable {
                if (bOk && parts == m_parts && generation == m_generation.load())
                    parts->handedWhole = false;
                Deliver(parts->buffers, std::move(output), generation, bOk);
            },
            Qt::QueuedConnection);
        return;
    }
    for (qsizetype i = 0; i < plan.size(); ++i) {
        if (generation != m_generation.load())
            return;
        const QRect &part = plan[i];
        const bool bLast = i + 1 == plan.size();
        const bool bOk = outputReady() && Compute(buffers, values, parts->output, part);
        if (!bOk || bWholePosted) {
            post(part, bLast, bOk);
            if (!bOk)
                return;
            continue;
        }
        // The input round the part, made here rather than by the window on
        // its own thread.
        QImage &out = parts->output.image;
        const QImage &input = buffers.input();
        const size_t row = size_t(size.width()) * 4, left = size_t(part.left()) * 4;
        const size_t right = size_t(part.right() + 1) * 4;
        for (int y = 0; y < size.height(); ++y) {
            if (y < part.top() || y > part.bottom()) {
                std::memcpy(out.scanLine(y), input.constScanLine(y), row);
                continue;
            }
            std::memcpy(out.scanLine(y), input.constScanLine(y), left);
            std::memcpy(out.scanLine(y) + right, input.constScanLine(y) + right, row - right);
        }
        handOver(part, bLast);
    }
}

bool DialogFilter::QuickPreview(Parts &parts, const FilterValues &values, double zoom, qint64 samples, QImage &out)
{
    // The view's resolution, halved while even that takes long.
    const QImage &input = parts.buffers->input();
    std::optional<FilterValues> scaled;
    QSize size;
    int level = 0;
    for (double scale = zoom;; scale /= 2, ++level) {
        scaled = ValuesAtScale(values, scale);
        if (!scaled)
            return false;
        size = QSize(qMax(1, int(std::ceil(input.width() * scale))), qMax(1, int(std::ceil(input.height() * scale))));
        if (qint64(size.width()) * size.height() * SamplesPerPixel(*scaled) <= samples || size.width() < 64)
            break;
    }
    // Each level is reduced from the one above, once for the dialog.
    if (parts.reducedZoom != zoom) {
        parts.reduced.clear();
        parts.reducedZoom = zoom;
    }
    while (parts.reduced.size() <= level) {
        const QImage &from = parts.reduced.isEmpty() ? input : parts.reduced.last()->input();
        const int i = int(parts.reduced.size());
        const QSize next(qMax(1, int(std::ceil(input.width() * zoom / (1 << i)))),
                         qMax(1, int(std::ceil(input.height() * zoom / (1 << i)))));
        parts.reduced << std::make_shared<FilterBuffers>(
            parts.buffers->context(), Argb32(from.scaled(next, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    }
    FilterBuffers &reduced = *parts.reduced[level];
    FilterBuffers::Output small = reduced.takeOutput();
    if (!Compute(reduced, *scaled, small)) {
        reduced.giveBack(std::move(small));
        return false;
    }
    // Each pixel takes the reduced pixel it falls in.
    const QSize got(reduced.width(), reduced.height());
    std::vector<int> columns(size_t(out.width()));
    for (int x = 0; x < out.width(); ++x)
        columns[size_t(x)] = int(qint64(x) * got.width() / out.width());
    uchar *bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    int made = -1;
    for (int y = 0; y < out.height(); ++y) {
        const int source = int(qint64(y) * got.height() / out.height());
        auto *to = reinterpret_cast<quint32 *>(bits + y * stride);
        if (source == made) {
            // The row above came from the same reduced row.
            std::memcpy(to, bits + (y - 1) * stride, size_t(out.width()) * 4);
            continue;
        }
        const auto *from = reinterpret_cast<const quint32 *>(small.image.constScanLine(source));
        for (int x = 0; x < out.width(); ++x)
            to[x] = from[columns[size_t(x)]];
        made = source;
    }
    reduced.giveBack(std::move(small));
    return true;
}

void DialogFilter::DeliverPart(const std::shared_ptr<Parts> &parts, quint64 generation, const QRect &area,
                               bool bLast, bool bOk, QImage whole)
{
    if (parts != m_parts || generation != m_generation.load())
        return;
    if (bOk && !whole.isNull()) {
        Q_EMIT Updated(whole);
        parts->handedWhole = true;
        QCoreApplication::postEvent(this, new DrawnEvent(std::shared_ptr<QSemaphore>(parts, &parts->drawn), 2),
                                    Qt::LowEventPriority);
    } else if (bOk) {
        Q_EMIT PartUpdated(parts->output.image, area);
    }
    if (bLast || !bOk) {
        m_shownGeneration = generation;
        if (m_pWaitLoop)
            m_pWaitLoop->quit();
    }
}

void DialogFilter::Deliver(const std::shared_ptr<FilterBuffers> &buffers, FilterBuffers::Output output,
                           quint64 generation, bool bOk)
{
    if (buffers != m_buffers || generation != m_generation.load()) {
        buffers->giveBack(std::move(output));
        return;
    }
    m_shownGeneration = generation;
    if (bOk) {
        if (!m_shown.isNull())
            m_buffers->giveBack(std::move(m_shown));
        m_shown = std::move(output);
        // A copy, so that a receiver that writes to it detaches.
        QImage image = m_shown.image;
        Q_EMIT Updated(image);
    } else {
        buffers->giveBack(std::move(output));
    }
    if (m_pWaitLoop)
        m_pWaitLoop->quit();
}

void DialogFilter::WaitForLatest()
{
    if (m_worker.IsManual()) {
        while (m_shownGeneration != m_generation.load() && m_worker.RunPending())
            QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        return;
    }
    QEventLoop loop;
    bool bBusy = false;
    QTimer busyTimer;
    busyTimer.setSingleShot(true);
    connect(&busyTimer, &QTimer::timeout, this, [this, &bBusy] {
        bBusy = true;
        Q_EMIT BusyChanged(true);
    });
    busyTimer.start(kBusyDelay);
    m_pWaitLoop = &loop;
    // Paints and timers go on; the user waits.
    if (m_shownGeneration != m_generation.load())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_pWaitLoop = nullptr;
    if (bBusy)
        Q_EMIT BusyChanged(false);
}

void DialogFilter::Accepted()
{
    if (!IsRunning())
        return;
    m_pTimer->stop();
    if (m_pDialog) {
        if (m_pPlace)
            m_pPlace->Accept(m_pDialog->pos());
        m_current = m_pDialog->Values();
    }
    if (!m_lastUsed || *m_lastUsed != m_current)
        Request(m_current);
    if (m_shownGeneration != m_generation.load())
        WaitForLatest();
    Finish();
    Q_EMIT Complete(true);
}

void DialogFilter::Rejected()
{
    if (!IsRunning())
        return;
    m_worker.Drop();
    ++m_generation;
    Finish();
    Q_EMIT Complete(false);
}

void DialogFilter::Finish()
{
    WakeWorker();
    delete m_pTimer;
    m_pTimer = nullptr;
    if (m_pDialog) {
        disconnect(m_pDialog, nullptr, this, nullptr);
        // Ended from here rather than by its buttons: it closes (and so
        // deletes itself) all the same.
        if (m_pDialog->isVisible())
            m_pDialog->close();
    }
    m_pDialog = nullptr;
    m_shown = FilterBuffers::Output();
    m_parts.reset();
    m_buffers.reset();
}
