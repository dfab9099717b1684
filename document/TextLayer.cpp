#include "TextLayer.h"

#include "ChildWindow.h"
#include "LayerDlg.h"
#include "TextEditCmd.h"
#include "UndoDlg.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QRegion>
#include <QTextCharFormat>
#include <QTextDocument>

TextLayer::TextLayer(QGraphicsScene *pScene)
    : Layer(Text)
{
    setTextInteractionFlags(Qt::TextEditorInteraction);
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
    QGraphicsTextItem::update(area.intersected(boundingRect()));
}

void TextLayer::update()
{
    m_bChanged = true;
    QGraphicsTextItem::update();
}

void TextLayer::SetEditMode(bool bEdit)
{
    if (bEdit) {
        m_startCursor = textCursor();
        if (!m_lastCursor.isNull())
            setTextCursor(m_lastCursor);
        delete m_pDocBefore;
        m_pDocBefore = document()->clone();
        setTextInteractionFlags(Qt::TextEditorInteraction);
        return;
    }
    QTextDocument *pAfter = document()->clone();
    QTextDocument *pBefore = m_pDocBefore ? m_pDocBefore : document()->clone();
    m_pDocBefore = nullptr;
    if (QUndoStack *pStack = UndoDlg::instance()->stack())
        pStack->push(new TextEditCmd(this, pBefore, m_startCursor, pAfter, textCursor()));
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

QFont TextLayer::font() const
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        cursor.select(QTextCursor::Document);
    return cursor.charFormat().font();
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
    if (m_styledBounds.isValid())
        pPainter->translate(m_styledBounds.topLeft());
    pPainter->setOpacity(opacity());
    pPainter->setCompositionMode(QPainter::CompositionMode(blendingMode()));
    QGraphicsTextItem::paint(pPainter, pOption, pWidget);
    m_bChanged = false;
}

void TextLayer::keyPressEvent(QKeyEvent *pEvent)
{
    QGraphicsTextItem::keyPressEvent(pEvent);
    if (m_bFollowsText) {
        setName(toPlainText());
        LayerDlg::instance()->RenameLayer(this, name());
    }
}
