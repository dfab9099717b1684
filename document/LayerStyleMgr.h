#pragma once
#include "LayerDropShadow.h"
#include "LayerOuterGlow.h"

#include <QByteArray>
#include <QList>
#include <QRect>

#include <functional>

class Layer;
class ProgramCache;
class QDataStream;
class QPainter;

// The styles of one layer: a drop shadow and an outer glow, in that order.
// It draws the enabled ones under the layer, keeps their pictures until the
// layer's pixels or a parameter change, and reads and writes their records
// of the document file. Style records it does not know (a later style, or
// one whose kernels could not be built here) are kept as they came and
// written back, so opening and saving never loses them.
class LayerStyleMgr {
public:
    explicit LayerStyleMgr(Layer *pLayer = nullptr);
    LayerStyleMgr(const LayerStyleMgr &) = delete;
    LayerStyleMgr &operator=(const LayerStyleMgr &) = delete;

    // The programs the styles build their kernels from: those of the
    // layer's document; without them (the headless tool, most tests) styles
    // compute on the host.
    ProgramCache *Programs() const;
    // Builds the kernels now from the given programs (null: host only).
    void Initialise(ProgramCache *pCache);

    Layer *layer() const { return m_pLayer; }
    LayerDropShadow &dropShadow() { return m_dropShadow; }
    LayerOuterGlow &outerGlow() { return m_outerGlow; }
    const LayerDropShadow &dropShadow() const { return m_dropShadow; }
    const LayerOuterGlow &outerGlow() const { return m_outerGlow; }

    // The styles that could be initialised, in order, and those of them
    // that are switched on.
    QList<LayerStyle *> styles();
    QList<LayerStyle *> enabledStyles();
    LayerStyle *findStyle(const QString &name);
    // True when some style is on (and can draw); cheap when none is.
    bool HasEnabled();

    // --- Drawing ---------------------------------------------------------------------
    // The area of a layer of this size together with its enabled styles,
    // in layer coordinates.
    QRect StyledBounds(const QSize &size);
    // Brings the enabled styles' pictures up to date for the layer's pixels,
    // computing only what changed.
    void Render(const QImage &source);
    // The layer over its styles: *pComposed becomes a premultiplied picture
    // of `bounds` (layer coordinates, in *pComposed's own memory when it
    // fits) holding the styles of `source` and, over them, what drawOwn
    // paints with a painter in layer coordinates. With a valid `part`
    // (layer coordinates) only that part of a picture of the same bounds is
    // drawn again. A large picture is drawn in bands side by side when
    // drawOwn may run on any thread.
    void Compose(const QRect &bounds, const QImage &source, const std::function<void(QPainter &)> &drawOwn,
                 bool bOwnOnAnyThread, QImage *pComposed, const QRect &part = QRect());
    // The layer's pixels changed in `area` (invalid: anywhere); the styles'
    // pictures follow where they depend on it.
    void SourceChanged(const QRect &area = QRect());
    // Where the layer over its styles changes (layer coordinates) when the
    // pixels of a layer of this size change in `area`.
    QRect ChangedArea(const QRect &area, const QSize &size);

    // --- The document file -----------------------------------------------------------
    // The payloads of the layer's 7000 records: its styles in order, then
    // the records kept from the file it was read from.
    QList<QByteArray> Records() const;
    // Takes the records of a layer read from a file. A damaged record, or a
    // style's parameters that are out of range, are skipped.
    void ReadRecords(const QList<QByteArray> &records);
    // One record in the stream form: a whole 7000 record (tag, length,
    // payload) per style; returns the bytes written.
    int write(QDataStream &stream) const;
    // Reads one record payload of the given length; returns false when it
    // was skipped.
    bool read(QDataStream &stream, int iLength);

    // --- Undo ------------------------------------------------------------------------
    // Every parameter of the layer's styles, and setting them back.
    QByteArray State() const;
    void SetState(const QByteArray &state);

    // Called by the styles when a parameter changed.
    void StyleChanged(LayerStyle *pStyle);

private:
    void EnsureInitialised();
    bool Apply(const QByteArray &payload, bool bKeepUnknown);

    Layer *m_pLayer;
    LayerDropShadow m_dropShadow;
    LayerOuterGlow m_outerGlow;
    bool m_bInitialised = false;
    QList<QByteArray> m_foreign;
};
