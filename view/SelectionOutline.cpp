#include "SelectionOutline.h"

#include <QPainter>

void SelectionOutline::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget)
{
    pPainter->save();
    pPainter->setRenderHint(QPainter::Antialiasing, false);
    QGraphicsPathItem::paint(pPainter, pOption, pWidget);
    pPainter->restore();
}
