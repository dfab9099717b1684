#include "ConvertToPixmapCmd.h"

#include "Document.h"
#include "CommandSupport.h"
#include "CreateLayerCmd.h"
#include "DeleteLayerCmd.h"
#include "LayerSnapshotCmd.h"
#include "PixelOps.h"
#include "PixmapLayer.h"
#include "TextLayer.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

ConvertToPixmapCmd::ConvertToPixmapCmd(Layer *pTextLayer, QUndoCommand *pParent)
    : QUndoCommand(QStringLiteral("Convert To Pixmap"), pParent)
    , m_pTextLayer(pTextLayer)
{
}

int ConvertToPixmapCmd::id() const { return commandId<ConvertToPixmapCmd>(); }

void ConvertToPixmapCmd::redo()
{
    if (m_pNewLayer) {
        m_pCreate->redo();
        m_pDelete->redo();
        m_pSnapshot->redo();
        return;
    }
    if (m_pTextLayer->kind() != Layer::Text)
        return;
    auto *pCreate = new CreateLayerCmd(m_pTextLayer->owner(), Layer::Raster, this);
    pCreate->redo();
    m_pCreate = pCreate;
    m_pNewLayer = static_cast<PixmapLayer *>(pCreate->layer());
    m_pNewLayer->setName(m_pTextLayer->name());
    m_pNewLayer->setImage(PixelOps::PaintOnStraight(m_pNewLayer->image(), [this](QPainter &painter) {
        painter.translate(m_pTextLayer->pos());
        QStyleOptionGraphicsItem option;
        m_pTextLayer->item()->paint(&painter, &option, nullptr);
    }));
    m_pNewLayer->update();
    m_pDelete = new DeleteLayerCmd(m_pTextLayer, this);
    m_pDelete->redo();
    m_pSnapshot = new LayerSnapshotCmd(QStringLiteral("Convert To Pixmap"), m_pNewLayer, this);
    m_pSnapshot->redo();
}

void ConvertToPixmapCmd::undo()
{
    if (!m_pNewLayer)
        return;
    m_pSnapshot->undo();
    m_pDelete->undo();
    m_pCreate->undo();
}
