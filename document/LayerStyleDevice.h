#pragma once
#include "QCLBuffer.h"
#include "QCLKernel.h"

#include <QHash>
#include <QImage>
#include <QSize>

#include <memory>

class QCLContext;
class QCLProgram;

// The device side the layer styles of one compute context share: their
// kernels, the layer's pixels and two work buffers, all of one image size.
// The buffers are made again only when a larger image comes, so redrawing
// styles (or a part of them) never allocates; and the styles render one
// after another on the user-interface thread, so one set serves every layer
// (and a document of many layers makes its kernels once).
class LayerStyleDevice {
public:
    // The buffers of a context, shared by every style that holds the pointer.
    static std::shared_ptr<LayerStyleDevice> For(QCLContext *pContext);

    explicit LayerStyleDevice(QCLContext *pContext) : m_pContext(pContext) {}

    QCLContext *context() const { return m_pContext; }
    // The program's kernel of that name, made on first use; null when the
    // program has none.
    QCLKernel Kernel(const QCLProgram &program, const QString &name);
    // Buffers for images of this size (kept from a larger one); false when
    // the device refuses them.
    bool Reserve(const QSize &size);
    // Puts the pixels (32-bit ARGB, either alpha form) into the source
    // buffer, reserving first. Within a batch the same image is sent once.
    bool Upload(const QImage &source);
    // Reads a work buffer into an ARGB32 image of the reserved size, in
    // *pImage's own memory when it has that size and shares it with no one.
    bool Read(int iWork, QImage *pImage);

    // Between these, an image that was uploaded is taken to stay unchanged:
    // the styles of one layer share one upload.
    void BeginBatch() { m_bBatch = true; }
    void EndBatch();

    QCLBuffer &source() { return m_source; }
    QCLBuffer &work(int i) { return m_work[i]; }
    QSize size() const { return m_size; }

private:
    QCLContext *m_pContext;
    QHash<QString, QCLKernel> m_kernels;
    QSize m_size;
    size_t m_capacity = 0; // bytes of each buffer
    QCLBuffer m_source;
    QCLBuffer m_work[2];
    bool m_bBatch = false;
    qint64 m_iUploaded = 0; // cache key of the image sent in this batch
};
