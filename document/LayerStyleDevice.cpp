#include "LayerStyleDevice.h"

#include "QCLContext.h"
#include "QCLProgram.h"

#include <QHash>

std::shared_ptr<LayerStyleDevice> LayerStyleDevice::For(QCLContext *pContext)
{
    static QHash<QCLContext *, std::weak_ptr<LayerStyleDevice>> s_devices;
    std::shared_ptr<LayerStyleDevice> device = s_devices.value(pContext).lock();
    if (!device) {
        device = std::make_shared<LayerStyleDevice>(pContext);
        s_devices.insert(pContext, device);
    }
    return device;
}

QCLKernel LayerStyleDevice::Kernel(const QCLProgram &program, const QString &name)
{
    auto it = m_kernels.find(name);
    if (it == m_kernels.end()) {
        const QCLKernel kernel = program.createKernel(name);
        if (kernel.isNull())
            return kernel;
        it = m_kernels.insert(name, kernel);
    }
    return it.value();
}

bool LayerStyleDevice::Reserve(const QSize &size)
{
    const size_t bytes = size_t(qMax(0, size.width())) * size_t(qMax(0, size.height())) * 4;
    if (bytes == 0)
        return false;
    if (size != m_size)
        m_iUploaded = 0;
    if (bytes <= m_capacity && !m_source.isNull()) {
        m_size = size;
        return true;
    }
    // The old set goes first, so two sets are never held at once.
    m_source = QCLBuffer();
    m_work[0] = m_work[1] = QCLBuffer();
    m_size = QSize();
    m_capacity = 0;
    m_source = m_pContext->createBufferDevice(bytes, QCLMemoryObject::ReadOnly);
    m_work[0] = m_pContext->createBufferDevice(bytes, QCLMemoryObject::ReadWrite);
    m_work[1] = m_pContext->createBufferDevice(bytes, QCLMemoryObject::ReadWrite);
    if (m_source.isNull() || m_work[0].isNull() || m_work[1].isNull()) {
        m_source = QCLBuffer();
        m_work[0] = m_work[1] = QCLBuffer();
        return false;
    }
    m_size = size;
    m_capacity = bytes;
    return true;
}

bool LayerStyleDevice::Upload(const QImage &source)
{
    if (m_bBatch && m_iUploaded != 0 && m_iUploaded == source.cacheKey() && m_size == source.size())
        return true;
    if (!Reserve(source.size()))
        return false;
    // Only alpha matters to the styles, and both 32-bit ARGB forms keep it
    // in the top byte.
    QImage pixels = source;
    if ((pixels.format() != QImage::Format_ARGB32 && pixels.format() != QImage::Format_ARGB32_Premultiplied)
        || pixels.bytesPerLine() != qsizetype(pixels.width()) * 4)
        pixels = source.convertToFormat(QImage::Format_ARGB32);
    m_iUploaded = 0;
    if (!m_source.write(pixels.constBits(), size_t(pixels.sizeInBytes())))
        return false;
    m_iUploaded = m_bBatch ? source.cacheKey() : 0;
    return true;
}

bool LayerStyleDevice::Read(int iWork, QImage *pImage)
{
    if (pImage->size() != m_size || pImage->format() != QImage::Format_ARGB32 || !pImage->isDetached())
        *pImage = QImage(m_size, QImage::Format_ARGB32);
    return !pImage->isNull() && m_work[iWork].read(pImage->bits(), size_t(pImage->sizeInBytes()));
}

void LayerStyleDevice::EndBatch()
{
    m_bBatch = false;
    m_iUploaded = 0;
}
