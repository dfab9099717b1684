#include "LayerStyle.h"

#include "LayerStyleDevice.h"
#include "LayerStyleMgr.h"
#include "PixelOps.h"
#include "ProgramCache.h"

#include <QDataStream>
#include <QtEndian>

#include <utility>

const char *const LayerStyle::kProgramPath = ":/Filters/layerStyles.cl";

LayerStyle::LayerStyle() = default;
LayerStyle::~LayerStyle() = default;

void LayerStyle::Changed()
{
    m_bPictureValid = false;
    m_dirty = QRect();
    // The memory is kept for the next picture of a style still in use.
    if (!m_bEnabled)
        m_picture = QImage();
    if (m_pOwner)
        m_pOwner->StyleChanged(this);
}

void LayerStyle::setEnabled(bool bEnabled)
{
    if (bEnabled == m_bEnabled)
        return;
    m_bEnabled = bEnabled;
    // A disabled style keeps no picture; it is computed again when needed.
    Changed();
}

void LayerStyle::setDistance(int iDistance)
{
    iDistance = qBound(0, iDistance, kMaxDistance);
    if (iDistance == m_iDistance)
        return;
    m_iDistance = iDistance;
    Changed();
}

void LayerStyle::setOpacity(int iOpacity)
{
    iOpacity = qBound(0, iOpacity, kMaxOpacity);
    if (iOpacity == m_iOpacity)
        return;
    m_iOpacity = iOpacity;
    Changed();
}

void LayerStyle::setColor(const QColor &color)
{
    const QColor rgba = color.isValid() ? color.toRgb() : QColor(0, 0, 0, 0);
    if (rgba == m_color)
        return;
    m_color = rgba;
    Changed();
}

bool LayerStyle::initialise(ProgramCache *pCache)
{
    m_bInitialised = true;
    m_bAvailable = false;
    m_log.clear();
    m_pDevice.reset();
    if (!pCache) {
        // No device at hand (the headless tool, tests): the host references
        // do the same arithmetic.
        m_bAvailable = true;
        return true;
    }
    // A program that failed to build is not built again for every layer.
    const QString path = QLatin1String(kProgramPath);
    const bool bFailedBefore = !pCache->contains(path) && pCache->buildReport().contains(path);
    const QCLProgram program = bFailedBefore ? QCLProgram() : pCache->program(path);
    if (program.isNull()) {
        m_log = QStringLiteral("Unable to build %1\n%2").arg(path, pCache->buildReport().value(path));
        return false;
    }
    std::shared_ptr<LayerStyleDevice> device = LayerStyleDevice::For(&pCache->context());
    QStringList names = ExtraKernelNames();
    names.append(QStringLiteral("createMask"));
    QList<QCLKernel> kernels;
    for (const QString &name : std::as_const(names)) {
        kernels.append(device->Kernel(program, name));
        if (kernels.last().isNull()) {
            m_log = name + QStringLiteral("() kernel not found");
            return false;
        }
    }
    m_mask = kernels.takeLast();
    KernelsCreated(kernels);
    m_pDevice = std::move(device);
    m_bAvailable = true;
    return true;
}

bool LayerStyle::MaskOnDevice(LayerStyleDevice *pDevice, const QImage &source)
{
    if (!pDevice->Upload(source))
        return false;
    m_mask.setGlobalWorkSize(QCLWorkSize(size_t(source.width()) * size_t(source.height())));
    return !m_mask(pDevice->source(), pDevice->work(0), OpacityScale(m_iOpacity), m_color.red(), m_color.green(),
                   m_color.blue())
                .isNull();
}

const QImage &LayerStyle::Picture(const QImage &source, QPoint *pAt)
{
    if (m_bPictureValid && m_dirty.isValid())
        UpdatePart(source);
    if (!m_bPictureValid) {
        m_dirty = QRect();
        m_sourceSize = source.size();
        m_at = QPoint();
        if (source.isNull() || !m_bAvailable)
            m_picture = QImage();
        // A device that fails mid-way (out of memory, lost) leaves the
        // picture to the host, which gives the same pixels.
        else if (!m_pDevice || !ComputeOnDevice(m_pDevice.get(), source, &m_picture, &m_at))
            m_picture = ComputeReference(source, &m_at);
        m_covered = CoveredFor(source.size());
        m_bPictureValid = true;
    }
    if (pAt)
        *pAt = m_at;
    return m_picture;
}

void LayerStyle::SourceChanged(const QRect &area)
{
    if (!m_bPictureValid)
        return;
    if (!area.isValid()) {
        m_bPictureValid = false;
        m_dirty = QRect();
        return;
    }
    m_dirty |= area;
}

QRect LayerStyle::AffectedBy(const QRect &area, const QSize &size) const
{
    if (DrawsNothing())
        return QRect();
    const int r = Reach();
    return (area.adjusted(-r, -r, r, r) & QRect(QPoint(0, 0), size)).translated(PictureAt());
}

void LayerStyle::UpdatePart(const QImage &source)
{
    const QRect dirty = std::exchange(m_dirty, QRect());
    if (source.size() != m_sourceSize) {
        m_bPictureValid = false;
        return;
    }
    if (m_picture.isNull())
        return; // nothing drawn, whatever the pixels
    // The picture pixels that change, and the source pixels they depend on.
    const QRect whole = source.rect();
    const int r = Reach();
    const QRect changed = dirty.adjusted(-r, -r, r, r) & whole;
    const QRect needed = changed.adjusted(-r, -r, r, r) & whole;
    if (changed.isEmpty())
        return;
    // Near the whole picture, the whole is as quick.
    if (qint64(needed.width()) * needed.height() * 2 > qint64(whole.width()) * whole.height()) {
        m_bPictureValid = false;
        return;
    }
    // A part cut out of the source has the same picture where its edges
    // are beyond the reach of the changed pixels.
    const QImage part = source.copy(needed);
    QPoint at;
    if (!m_pDevice || !ComputeOnDevice(m_pDevice.get(), part, &m_part, &at))
        m_part = ComputeReference(part, &at);
    if (m_part.isNull()) {
        m_bPictureValid = false;
        return;
    }
    PixelOps::Copy(m_part, m_picture, changed.translated(-needed.topLeft()), -needed.topLeft());
}

QImage LayerStyle::render(const QImage &source)
{
    // Whatever picture was kept, it was of another source perhaps.
    SourceChanged();
    QPoint at;
    const QImage picture = Picture(source, &at);
    const QRect covered = CoveredFor(source.size());
    const QRect target = covered.isValid() ? covered : source.rect();
    QImage result(target.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    result.fill(0);
    if (!picture.isNull())
        PixelOps::Copy(picture, result, picture.rect(), target.topLeft() - at);
    return result;
}

QImage LayerStyle::MaskReference(const QImage &source, float fScale, const QColor &color)
{
    if (source.isNull())
        return QImage();
    QImage pixels = source;
    if (pixels.format() != QImage::Format_ARGB32 && pixels.format() != QImage::Format_ARGB32_Premultiplied)
        pixels = source.convertToFormat(QImage::Format_ARGB32);
    const quint32 rgb = (quint32(color.red() & 0xff) << 16) | (quint32(color.green() & 0xff) << 8)
                        | quint32(color.blue() & 0xff);
    QImage mask(pixels.size(), QImage::Format_ARGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto *pIn = reinterpret_cast<const quint32 *>(pixels.constScanLine(y));
        auto *pOut = reinterpret_cast<quint32 *>(mask.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const int a = int(float(pIn[x] >> 24) * fScale);
            pOut[x] = (quint32(a & 0xff) << 24) | rgb;
        }
    }
    return mask;
}

// --- The parameter record ---------------------------------------------------------

qint32 LayerStyle::ParamAt(const QByteArray &params, int iIndex)
{
    return qFromLittleEndian<qint32>(params.constData() + iIndex * 4);
}

void LayerStyle::AppendParam(QByteArray *pParams, qint32 iValue)
{
    char raw[4];
    qToLittleEndian(iValue, raw);
    pParams->append(raw, 4);
}

QByteArray LayerStyle::EncodeColor(const QColor &color)
{
    QByteArray bytes;
    for (int c : {color.red(), color.green(), color.blue(), color.alpha()})
        AppendParam(&bytes, c);
    return bytes;
}

bool LayerStyle::DecodeColor(const QByteArray &params, int iFirst, QColor *pColor)
{
    qint32 c[4];
    for (int i = 0; i < 4; ++i) {
        c[i] = ParamAt(params, iFirst + i);
        if (c[i] < 0 || c[i] > 255)
            return false;
    }
    *pColor = QColor(c[0], c[1], c[2], c[3]);
    return true;
}

int LayerStyle::write(QDataStream &stream) const
{
    const QByteArray params = EncodeParams();
    QByteArray record;
    AppendParam(&record, kParamsTag);
    AppendParam(&record, qint32(params.size()));
    record += params;
    return stream.writeRawData(record.constData(), int(record.size()));
}

int LayerStyle::read(QDataStream &stream, int iVersion)
{
    if (iVersion != dataVersion())
        return -1;
    const int iSize = int(EncodeParams().size());
    QByteArray params(iSize, Qt::Uninitialized);
    if (stream.readRawData(params.data(), iSize) != iSize || !DecodeParams(params))
        return -1;
    return iSize;
}
