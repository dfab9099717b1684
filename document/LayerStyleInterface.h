#pragma once
#include <QImage>
#include <QRect>
#include <QString>

class ProgramCache;
class QDataStream;

// An effect drawn under a layer's own pixels and computed from their alpha
// (a drop shadow, an outer glow). The layer's style manager holds one of
// each and draws the enabled ones in its order.
class LayerStyleInterface {
public:
    virtual ~LayerStyleInterface() = default;

    // The style's picture computed from a layer's pixels: of the size of the
    // covered rectangle when the style reaches past the layer, else of the
    // source's size.
    virtual QImage render(const QImage &source) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool bEnabled) = 0;
    // Where the last result goes, in layer coordinates; invalid when the
    // style stays within the layer.
    virtual QRect coveredRect() const = 0;
    virtual QString name() const = 0;
    virtual int dataVersion() const = 0;
    // The parameter record (tag, length, values), little-endian; returns the
    // bytes written.
    virtual int write(QDataStream &stream) const = 0;
    // Reads the values of a parameter record of the given data version (the
    // payload only); returns the bytes read, or -1 when the values are
    // damaged or of an unknown version (nothing changes then).
    virtual int read(QDataStream &stream, int iVersion) = 0;
    // Takes the program from the cache and creates the kernels; false when
    // either fails. Without a cache the style computes on the host.
    virtual bool initialise(ProgramCache *pCache) = 0;
    // Why initialising failed, with the program's build log; empty otherwise.
    virtual QString buildLog() const = 0;
};
