#include "DialogFilter.h"
#include "QCLContext.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

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
    if (m_pDialog)
        m_current = m_pDialog->Values();
}

void DialogFilter::TimerUpdate()
{
    if (!m_buffers || (m_lastUsed && *m_lastUsed == m_current))
        return;
    Request(m_current);
}

void DialogFilter::Request(const FilterValues &values)
{
    m_lastUsed = values;
    const quint64 generation = ++m_generation;
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
    m_buffers.reset();
}
