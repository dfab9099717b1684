#include "Layer.h"

#include "Document.h"
#include "LayerScene.h"

#include <QGraphicsItem>
#include <QGraphicsScene>

const QList<QPair<QString, int>> &Layer::BlendingModes()
{
    static const QList<QPair<QString, int>> modes = {
        {QStringLiteral("Normal"), 0},       {QStringLiteral("Multiply"), 13},
        {QStringLiteral("Plus"), 12},        {QStringLiteral("Xor"), 11},
        {QStringLiteral("Screen"), 14},      {QStringLiteral("Overlay"), 15},
        {QStringLiteral("Darken"), 16},      {QStringLiteral("Lighten"), 17},
        {QStringLiteral("Color Dodge"), 18}, {QStringLiteral("Color Burn"), 19},
        {QStringLiteral("Hard Light"), 20},  {QStringLiteral("Soft Light"), 21},
        {QStringLiteral("Difference"), 22},  {QStringLiteral("Exclusion"), 23},
    };
    return modes;
}

Layer::Layer(int iKind)
    : m_iKind(iKind)
    , m_iOpacityValue(kOpacityMaximum)
{
}

Layer::~Layer() = default;

void Layer::setName(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    if (m_pDocument)
        m_pDocument->NotifyLayerChanged(this);
}

void Layer::SetOpacityPercent(int iValue)
{
    m_iOpacityValue = iValue;
    setOpacity(qreal(iValue) / kOpacityMaximum);
}

void Layer::setBlendingMode(int iMode)
{
    if (iMode == m_iBlendingMode)
        return;
    m_iBlendingMode = iMode;
    InvalidateArea();
    if (m_pDocument)
        m_pDocument->NotifyLayerChanged(this);
}

void Layer::InvalidateArea(const QRectF &area)
{
    QGraphicsItem *pItem = item();
    auto *pScene = LayerScene::Of(pItem->scene());
    if (!pScene)
        return;
    // Raster layers paint one pixel past their bounding rectangle, text may
    // overhang it: a pixel of margin covers both.
    const QRectF r = area.isValid() ? area : pItem->boundingRect();
    pScene->Invalidate(pItem->mapRectToScene(r.adjusted(-1, -1, 1, 1)));
}

void Layer::LayerItemChange(QGraphicsItem::GraphicsItemChange change, const QVariant &value)
{
    switch (change) {
    case QGraphicsItem::ItemVisibleChange:
        // The scene also sends this, unchanged, when it polishes a new item.
        if (value.toBool() != item()->isVisible())
            InvalidateArea();
        break;
    case QGraphicsItem::ItemPositionChange:
    case QGraphicsItem::ItemTransformChange:
    case QGraphicsItem::ItemTransformHasChanged:
    case QGraphicsItem::ItemSceneChange: // still in the old scene
    case QGraphicsItem::ItemSceneHasChanged:
        InvalidateArea();
        break;
    case QGraphicsItem::ItemPositionHasChanged:
    case QGraphicsItem::ItemOpacityHasChanged:
        InvalidateArea();
        if (m_pDocument)
            m_pDocument->NotifyLayerChanged(this);
        break;
    case QGraphicsItem::ItemVisibleHasChanged:
        if (m_pDocument)
            m_pDocument->NotifyLayerChanged(this);
        break;
    case QGraphicsItem::ItemZValueHasChanged:
        InvalidateArea();
        if (m_pDocument)
            m_pDocument->NotifyOrderChanged();
        break;
    default:
        break;
    }
}

void Layer::setDeleted(bool bDeleted)
{
    if (bDeleted == m_bDeleted)
        return;
    m_bDeleted = bDeleted;
    if (m_pDocument)
        m_pDocument->NotifyDeletedChanged(this);
}
