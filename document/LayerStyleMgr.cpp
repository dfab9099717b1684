#include "LayerStyleMgr.h"

#include "Document.h"
#include "Layer.h"
#include "LayerStyleDevice.h"
#include "LayerStyleRecord.h"
#include "ProgramCache.h"

#include <QDataStream>
#include <QPainter>
#include <QThread>
#include <QtEndian>

#include <thread>
#include <vector>

namespace {

// A whole 7000 record: tag, length, payload.
QByteArray container(const QByteArray &payload)
{
    QByteArray bytes;
    char raw[4];
    qToLittleEndian(qint32(LayerStyleRecord::Container), raw);
    bytes.append(raw, 4);
    qToLittleEndian(qint32(payload.size()), raw);
    bytes.append(raw, 4);
    return bytes + payload;
}

// The payloads of a run of whole 7000 records; stops at the first damage.
QList<QByteArray> containers(const QByteArray &bytes)
{
    QList<QByteArray> payloads;
    qsizetype pos = 0;
    while (bytes.size() - pos >= 8) {
        const qint32 iTag = qFromLittleEndian<qint32>(bytes.constData() + pos);
        const qint32 iLength = qFromLittleEndian<qint32>(bytes.constData() + pos + 4);
        pos += 8;
        if (iLength < 0 || iLength > bytes.size() - pos)
            break;
        if (iTag == LayerStyleRecord::Container)
            payloads.append(bytes.mid(pos, iLength));
        pos += iLength;
    }
    return payloads;
}

} // namespace

LayerStyleMgr::LayerStyleMgr(Layer *pLayer)
    : m_pLayer(pLayer)
{
    m_dropShadow.SetOwner(this);
    m_outerGlow.SetOwner(this);
}

ProgramCache *LayerStyleMgr::Programs() const
{
    const Document *pDocument = m_pLayer ? m_pLayer->owner() : nullptr;
    return pDocument ? pDocument->env().pPrograms : nullptr;
}

void LayerStyleMgr::Initialise(ProgramCache *pCache)
{
    m_bInitialised = true;
    m_dropShadow.initialise(pCache);
    m_outerGlow.initialise(pCache);
}

void LayerStyleMgr::EnsureInitialised()
{
    // Kernels are made when a layer first needs its styles, not for every
    // layer a document creates.
    if (!m_bInitialised)
        Initialise(Programs());
}

QList<LayerStyle *> LayerStyleMgr::styles()
{
    EnsureInitialised();
    QList<LayerStyle *> list;
    for (LayerStyle *pStyle : {static_cast<LayerStyle *>(&m_dropShadow), static_cast<LayerStyle *>(&m_outerGlow)})
        if (pStyle->isAvailable())
            list.append(pStyle);
    return list;
}

QList<LayerStyle *> LayerStyleMgr::enabledStyles()
{
    QList<LayerStyle *> list = styles();
    list.removeIf([](const LayerStyle *pStyle) { return !pStyle->isEnabled(); });
    return list;
}

LayerStyle *LayerStyleMgr::findStyle(const QString &name)
{
    for (LayerStyle *pStyle : styles())
        if (pStyle->name() == name)
            return pStyle;
    return nullptr;
}

bool LayerStyleMgr::HasEnabled()
{
    if (!m_dropShadow.isEnabled() && !m_outerGlow.isEnabled())
        return false;
    return !enabledStyles().isEmpty();
}

QRect LayerStyleMgr::StyledBounds(const QSize &size)
{
    QRect bounds(QPoint(0, 0), size);
    for (LayerStyle *pStyle : enabledStyles()) {
        const QRect covered = pStyle->CoveredFor(size);
        if (covered.isValid())
            bounds |= covered;
    }
    return bounds;
}

void LayerStyleMgr::Render(const QImage &source)
{
    const QList<LayerStyle *> enabled = enabledStyles();
    // The styles of one layer share one upload of its pixels.
    LayerStyleDevice *pDevice = enabled.isEmpty() ? nullptr : enabled.first()->device();
    if (pDevice)
        pDevice->BeginBatch();
    for (LayerStyle *pStyle : enabled)
        pStyle->Picture(source, nullptr);
    if (pDevice)
        pDevice->EndBatch();
}

void LayerStyleMgr::Compose(const QRect &bounds, const QImage &source,
                            const std::function<void(QPainter &)> &drawOwn, bool bOwnOnAnyThread,
                            QImage *pComposed, const QRect &part)
{
    const QSize size = bounds.size().expandedTo(QSize(1, 1));
    const bool bFits = pComposed->size() == size && pComposed->format() == QImage::Format_ARGB32_Premultiplied;
    const bool bPart = part.isValid() && bFits;
    if (!bPart && (!bFits || !pComposed->isDetached()))
        *pComposed = QImage(size, QImage::Format_ARGB32_Premultiplied);
    // What is drawn again, in the picture's coordinates.
    const QRect target = bPart ? part.translated(-bounds.topLeft()) & QRect(QPoint(0, 0), size)
                               : QRect(QPoint(0, 0), size);
    if (target.isEmpty())
        return;
    // The kernels run here, on this thread; the drawing may share out.
    Render(source);
    QList<QPair<QImage, QPoint>> pictures;
    for (LayerStyle *pStyle : enabledStyles()) {
        QPoint at;
        const QImage &picture = pStyle->Picture(source, &at);
        if (!picture.isNull())
            pictures.append({picture, at});
    }
    // Taken once here: a picture shared elsewhere is copied before it changes.
    uchar *pBits = pComposed->bits();
    const qsizetype stride = pComposed->bytesPerLine();
    auto drawBand = [&, pBits, stride](int top, int bottom) {
        // A painter of its own on just these rows.
        QImage band(pBits + top * stride, size.width(), bottom - top, stride, QImage::Format_ARGB32_Premultiplied);
        const QRect area(target.left(), 0, target.width(), bottom - top);
        QPainter painter(&band);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(area, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setClipRect(area);
        painter.translate(-bounds.topLeft() - QPoint(0, top));
        for (const auto &[picture, at] : std::as_const(pictures))
            painter.drawImage(at, picture);
        drawOwn(painter);
    };
    constexpr qint64 kThreadedPixels = 256 * 256;
    const int rows = target.height();
    const int iBands = bOwnOnAnyThread && qint64(target.width()) * rows >= kThreadedPixels
                           ? qBound(1, QThread::idealThreadCount(), qMin(4, rows))
                           : 1;
    std::vector<std::thread> workers;
    for (int i = 1; i < iBands; ++i)
        workers.emplace_back(drawBand, target.top() + rows * i / iBands, target.top() + rows * (i + 1) / iBands);
    drawBand(target.top(), target.top() + rows / iBands);
    for (std::thread &worker : workers)
        worker.join();
}

void LayerStyleMgr::SourceChanged(const QRect &area)
{
    m_dropShadow.SourceChanged(area);
    m_outerGlow.SourceChanged(area);
}

QRect LayerStyleMgr::ChangedArea(const QRect &area, const QSize &size)
{
    if (!area.isValid())
        return StyledBounds(size);
    QRect changed = area;
    for (LayerStyle *pStyle : enabledStyles())
        changed |= pStyle->AffectedBy(area, size);
    return changed;
}

void LayerStyleMgr::StyleChanged(LayerStyle *)
{
    if (m_pLayer)
        m_pLayer->StylesChanged();
}

// --- The document file -----------------------------------------------------------------

QList<QByteArray> LayerStyleMgr::Records() const
{
    auto *pThis = const_cast<LayerStyleMgr *>(this);
    QList<QByteArray> records;
    for (LayerStyle *pStyle : pThis->styles()) {
        LayerStyleRecord record;
        record.name = pStyle->name();
        record.bEnabled = pStyle->isEnabled();
        record.iVersion = pStyle->dataVersion();
        record.params = pStyle->EncodeParams();
        record.bHasParams = true;
        records.append(record.Serialize());
    }
    return records + m_foreign;
}

bool LayerStyleMgr::Apply(const QByteArray &payload, bool bKeepUnknown)
{
    LayerStyleRecord record;
    if (!LayerStyleRecord::Parse(payload, &record))
        return false;
    LayerStyle *pStyle = findStyle(record.name);
    if (!pStyle) {
        // A style this program does not have (or could not build): kept as
        // it came, to be written back.
        if (bKeepUnknown)
            m_foreign.append(payload);
        return false;
    }
    if (record.bHasParams) {
        if (record.iVersion != pStyle->dataVersion() || !pStyle->DecodeParams(record.params))
            return false;
    }
    pStyle->setEnabled(record.bEnabled);
    return true;
}

void LayerStyleMgr::ReadRecords(const QList<QByteArray> &records)
{
    EnsureInitialised();
    for (const QByteArray &payload : records)
        Apply(payload, true);
}

int LayerStyleMgr::write(QDataStream &stream) const
{
    QByteArray bytes;
    for (const QByteArray &payload : Records())
        bytes += container(payload);
    return stream.writeRawData(bytes.constData(), int(bytes.size()));
}

bool LayerStyleMgr::read(QDataStream &stream, int iLength)
{
    if (iLength < 0)
        return false;
    QByteArray payload(iLength, Qt::Uninitialized);
    if (stream.readRawData(payload.data(), iLength) != iLength)
        return false;
    EnsureInitialised();
    return Apply(payload, true);
}

// --- Undo ----------------------------------------------------------------------------------

QByteArray LayerStyleMgr::State() const
{
    QByteArray state;
    for (const LayerStyle *pStyle : {static_cast<const LayerStyle *>(&m_dropShadow),
                                     static_cast<const LayerStyle *>(&m_outerGlow)}) {
        LayerStyleRecord record;
        record.name = pStyle->name();
        record.bEnabled = pStyle->isEnabled();
        record.params = pStyle->EncodeParams();
        record.bHasParams = true;
        state += container(record.Serialize());
    }
    return state;
}

void LayerStyleMgr::SetState(const QByteArray &state)
{
    // Straight to the styles, available or not: a state is this program's own.
    for (const QByteArray &payload : containers(state)) {
        LayerStyleRecord record;
        if (!LayerStyleRecord::Parse(payload, &record))
            continue;
        LayerStyle *pStyle = record.name == m_dropShadow.name() ? static_cast<LayerStyle *>(&m_dropShadow)
                             : record.name == m_outerGlow.name() ? static_cast<LayerStyle *>(&m_outerGlow)
                                                                   : nullptr;
        if (pStyle && pStyle->DecodeParams(record.params))
            pStyle->setEnabled(record.bEnabled);
    }
}
