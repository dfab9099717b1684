#pragma once
#include "QCLBuffer.h"
#include "QCLKernel.h"
#include "QCLVector.h"

#include <QColor>
#include <QImage>
#include <QString>

class ProgramCache;
class QCLContext;

// Colours brush tips with the brushBlend kernel of ":/Filters/imageBlend.cl".
// The device buffers stay while the tip keeps its size; the tip's pixels are
// sent again only when the tip itself changed.
class BrushColorizer
{
public:
    explicit BrushColorizer(ProgramCache &cache);

    // The program the kernel comes from (the brush tool, selected at
    // start-up, needs it at once).
    static QString ProgramPath();

    bool isValid() const { return m_error.isEmpty(); }
    // Empty on success, else "brushBlend() kernel not found" or a build failure.
    QString errorText() const { return m_error; }

    // The tip (any format; ARGB32 is used as is) coloured with `color`, as
    // straight ARGB32. Null on failure or for an invalid colour.
    QImage Colorize(const QImage &tip, const QColor &color);

    // Host reference of the same float arithmetic.
    static QImage Reference(const QImage &tip, const QColor &color);

private:
    QCLContext *m_context = nullptr;
    QCLKernel m_kernel;
    QCLBuffer m_source;
    QCLBuffer m_result;
    QCLVector<float> m_color;
    size_t m_bytes = 0;
    qint64 m_tipKey = 0;
    QString m_error;
};
