#pragma once
#include "LayerStyleMgr.h"

#include <QGraphicsItem>
#include <QList>
#include <QPair>
#include <QPointF>
#include <QRectF>
#include <QString>

class Document;

// The one face of a layer that tools, filters, commands, the file format and
// the layers panel use. The concrete classes are also canvas items of the
// document's scene, so the scene draws the stack.
class Layer {
public:
    enum Kind { Raster = 0, Text = 1 };
    // The opacity slider's range: the opacity value runs from 0 to this.
    static constexpr int kOpacityMaximum = 100;

    // The blending modes offered, in the order the layers panel lists them,
    // with their painter composition-mode codes (what a layer stores).
    static const QList<QPair<QString, int>> &BlendingModes();

    explicit Layer(int iKind);
    virtual ~Layer();
    Layer(const Layer &) = delete;
    Layer &operator=(const Layer &) = delete;

    virtual qreal zValue() const = 0;
    virtual void setZValue(qreal z) = 0;
    virtual qreal opacity() const = 0;
    virtual void setOpacity(qreal opacity) = 0;
    virtual void setPos(const QPointF &pos) = 0;
    virtual QPointF pos() const = 0;
    virtual QRectF boundingRect() const = 0;
    virtual void setVisible(bool bVisible) = 0;
    virtual bool isVisible() const = 0;
    virtual void update(const QRectF &area) = 0;
    virtual void update() = 0;
    // Asks for the styled picture to be composed again on the next draw,
    // without repainting anything now.
    virtual void MarkChanged() = 0;

    // The layer's styles (drop shadow, outer glow), drawn under it.
    LayerStyleMgr &styles() { return m_styles; }
    const LayerStyleMgr &styles() const { return m_styles; }
    // A style was switched or a parameter changed: the styled area and
    // picture follow, the layer repaints and its document hears of it.
    virtual void StylesChanged() = 0;

    // The canvas item behind this layer.
    virtual QGraphicsItem *item() = 0;
    const QGraphicsItem *item() const { return const_cast<Layer *>(this)->item(); }

    QString name() const { return m_name; }
    void setName(const QString &name);
    int kind() const { return m_iKind; }

    int opacityValue() const { return m_iOpacityValue; }
    void setOpacityValue(int iValue) { m_iOpacityValue = iValue; }
    // The slider value and the drawn opacity together.
    void SetOpacityPercent(int iValue);
    int blendingMode() const { return m_iBlendingMode; }
    void setBlendingMode(int iMode);
    bool isDeleted() const { return m_bDeleted; }
    int currentSnapshotId() const { return m_iSnapshotId; }
    void setCurrentSnapshotId(int iId) { m_iSnapshotId = iId; }

    // Deleting only takes the layer out of the picture and the panel; the
    // layer stays in its document's list so that undo can bring it back.
    void setDeleted(bool bDeleted);

    // The document that holds this layer (set when the document creates it).
    Document *owner() const { return m_pDocument; }
    void setOwner(Document *pDocument) { m_pDocument = pDocument; }

protected:
    // Tells the scene that the picture changed where this layer draws: in
    // area (item coordinates), or everywhere the layer reaches by default.
    void InvalidateArea(const QRectF &area = QRectF());
    // Called by the concrete items for every item change, before and after
    // the change: moves, stacking, opacity, visibility and scene changes
    // alter the composed picture.
    void LayerItemChange(QGraphicsItem::GraphicsItemChange change, const QVariant &value);

private:
    int m_iKind;
    QString m_name;
    int m_iOpacityValue;
    int m_iBlendingMode = 0;
    bool m_bDeleted = false;
    int m_iSnapshotId = -1;
    Document *m_pDocument = nullptr;
    LayerStyleMgr m_styles{this};
};
