#include "TextLayer.h"

#include "Document.h"
#include "GraphicsScene.h"
#include "SafeTextDocument.h"
#include "TextEditCmd.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QRegion>
#include <QStyleOptionGraphicsItem>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QUndoStack>

TextLayer::TextLayer(QGraphicsScene *pScene)
    : Layer(Text)
{
    // Text from files and the clipboard never makes the editor fetch
    // anything (a local image named in the text, a style sheet).
    setDocument(new SafeTextDocument(this));
    setTextInteractionFlags(Qt::TextEditorInteraction);
    setFlag(QGraphicsItem::ItemSendsGeometryChanges, true);
    if (pScene)
        pScene->addItem(this);
}

TextLayer::~TextLayer()
{
    delete m_pDocBefore;
    if (scene())
        scene()->removeItem(this);
}

QRectF TextLayer::boundingRect() const
{
    if (m_styledBounds.isValid())
        return m_styledBounds;
    return QGraphicsTextItem::boundingRect();
}

void TextLayer::update(const QRectF &area)
{
    m_bChanged = true;
    InvalidateArea(area.intersected(boundingRect()));
    QGraphicsTextItem::update(area.intersected(boundingRect()));
}

void TextLayer::update()
{
    m_bChanged = true;
    TextChanged();
    QGraphicsTextItem::update();
}

void TextLayer::TextChanged()
{
    auto *pScene = qobject_cast<GraphicsScene *>(scene());
    if (!pScene)
        return;
    if (!m_lastSceneRect.isEmpty())
        pScene->Invalidate(m_lastSceneRect);
    InvalidateArea();
    m_lastSceneRect = mapRectToScene(boundingRect().adjusted(-1, -1, 1, 1));
}

QVariant TextLayer::itemChange(GraphicsItemChange change, const QVariant &value)
{
    LayerItemChange(change, value);
    // Where the text now is: a later change must clear this place, not the old one.
    if (change == ItemPositionHasChanged)
        m_lastSceneRect = mapRectToScene(boundingRect().adjusted(-1, -1, 1, 1));
    if (change == ItemSceneHasChanged)
        if (auto *pScene = qobject_cast<GraphicsScene *>(scene()))
            pScene->WatchText(this);
    return QGraphicsTextItem::itemChange(change, value);
}

void TextLayer::SetEditMode(bool bEdit)
{
    if (bEdit) {
        m_startCursor = textCursor();
        if (!m_lastCursor.isNull())
            setTextCursor(m_lastCursor);
        delete m_pDocBefore;
        m_pDocBefore = SafeTextDocument::CopyOf(document());
        setTextInteractionFlags(Qt::TextEditorInteraction);
        return;
    }
    QTextDocument *pAfter = SafeTextDocument::CopyOf(document());
    QTextDocument *pBefore = m_pDocBefore ? m_pDocBefore : SafeTextDocument::CopyOf(document());
    m_pDocBefore = nullptr;
    if (owner())
        owner()->undoStack()->push(new TextEditCmd(this, pBefore, m_startCursor, pAfter, textCursor()));
    else {
        delete pBefore;
        delete pAfter;
    }
    m_lastCursor = textCursor();
    setTextCursor(QTextCursor());
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFlag(QGraphicsItem::ItemIsFocusable, true);
    m_bFollowsText = false;
}

void TextLayer::setFont(const QFont &font)
{
    QTextCursor cursor = textCursor();
    QTextCharFormat format;
    format.setFont(font);
    if (cursor.hasSelection()) {
        cursor.mergeCharFormat(format);
        return;
    }
    cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(format);
    cursor.clearSelection();
    QGraphicsTextItem::setFont(font);
}

void TextLayer::MergeFormat(const QTextCharFormat &format)
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        cursor.mergeCharFormat(format);
        return;
    }
    cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(format);
    cursor.clearSelection();
    // Text typed into an empty layer takes the item's own font.
    QGraphicsTextItem::setFont(format.font().resolve(QGraphicsTextItem::font()));
}

QFont TextLayer::font() const
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        cursor.select(QTextCursor::Document);
    // What the text does not set itself comes from the item's font.
    return cursor.charFormat().font().resolve(QGraphicsTextItem::font());
}

void TextLayer::setColor(const QColor &color)
{
    if (document()->isEmpty()) {
        setDefaultTextColor(color);
        return;
    }
    QTextCursor cursor = textCursor();
    QTextCharFormat format;
    format.setForeground(QBrush(color));
    if (!cursor.hasSelection())
        cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(format);
}

QColor TextLayer::color() const
{
    const QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        return cursor.charFormat().foreground().color();
    return defaultTextColor();
}

void TextLayer::Crop(const QRegion &region)
{
    setPos(pos() - QPointF(region.boundingRect().topLeft()));
}

void TextLayer::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget)
{
    // While the scene draws, it has composed the text already, except
    // perhaps at the canvas edge.
    const QRect wanted = pOption->exposedRect.toAlignedRect().adjusted(-1, -1, 1, 1);
    const QRegion area = GraphicsScene::LayerArea(this, pPainter, wanted);
    if (area.isEmpty())
        return;
    const bool bClip = area != QRegion(wanted);
    if (bClip) {
        pPainter->save();
        pPainter->setClipRegion(area, Qt::IntersectClip);
    }
    if (m_styledBounds.isValid())
        pPainter->translate(m_styledBounds.topLeft());
    pPainter->setOpacity(opacity());
    pPainter->setCompositionMode(QPainter::CompositionMode(blendingMode()));
    QGraphicsTextItem::paint(pPainter, pOption, pWidget);
    if (bClip)
        pPainter->restore();
    m_bChanged = false;
}

void TextLayer::keyPressEvent(QKeyEvent *pEvent)
{
    QGraphicsTextItem::keyPressEvent(pEvent);
    if (m_bFollowsText)
        setName(toPlainText());
}
