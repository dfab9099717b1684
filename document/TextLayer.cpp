#include "TextLayer.h"

#include "Document.h"
#include "LayerScene.h"
#include "SafeTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QGraphicsScene>
#include <QKeyEvent>
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
    m_bChanged = true;
    UpdateStyledBounds();
    auto *pScene = LayerScene::Of(scene());
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
        if (auto *pScene = LayerScene::Of(scene()))
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
    TextTyping typing;
    typing.after.reset(SafeTextDocument::CopyOf(document()));
    typing.before.reset(m_pDocBefore ? m_pDocBefore : SafeTextDocument::CopyOf(document()));
    m_pDocBefore = nullptr;
    typing.startCursor = m_startCursor;
    typing.endCursor = textCursor();
    if (owner())
        owner()->NotifyTyping(this, typing);
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

void TextLayer::UpdateStyledBounds()
{
    QRectF bounds;
    if (styles().HasEnabled()) {
        const QRectF own = QGraphicsTextItem::boundingRect();
        bounds = QRectF(styles().StyledBounds(own.toAlignedRect().size()).translated(own.topLeft().toPoint()));
    }
    if (bounds == m_styledBounds)
        return;
    prepareGeometryChange();
    m_styledBounds = bounds;
}

void TextLayer::StylesChanged()
{
    TextChanged();
    if (!m_styledBounds.isValid())
        m_composed = QImage();
    QGraphicsTextItem::update();
    if (Document *pDocument = owner())
        pDocument->NotifyLayerChanged(this);
}

QImage TextLayer::RenderText() const
{
    const QRect own = QGraphicsTextItem::boundingRect().toAlignedRect();
    QImage text(own.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    text.fill(Qt::transparent);
    QPainter painter(&text);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(-own.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, defaultTextColor());
    document()->documentLayout()->draw(&painter, context);
    return text;
}

void TextLayer::ComposeStyled(const QStyleOptionGraphicsItem *pOption)
{
    // The styles are computed again only when the text itself looks
    // different, not for a cursor that blinks or moves.
    const QImage source = RenderText();
    if (source != m_styleSource) {
        styles().SourceChanged();
        m_styleSource = source;
    }
    QStyleOptionGraphicsItem option;
    option.state = pOption->state;
    option.exposedRect = QGraphicsTextItem::boundingRect();
    option.rect = option.exposedRect.toAlignedRect();
    // The text item paints on this thread only.
    styles().Compose(
        m_styledBounds.toAlignedRect(), m_styleSource,
        [&](QPainter &painter) {
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
            QGraphicsTextItem::paint(&painter, &option, nullptr);
        },
        false, &m_composed);
    m_composedState = pOption->state;
    m_bChanged = false;
}

void TextLayer::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget)
{
    if (styles().HasEnabled()) {
        // Kept in step by TextChanged(); this catches text measured anew
        // away from a scene and styles first built just now.
        UpdateStyledBounds();
        if (m_bChanged || m_composed.isNull() || m_composedState != pOption->state)
            ComposeStyled(pOption);
        const QRect bounds = m_styledBounds.toAlignedRect();
        const QRect wanted = pOption->exposedRect.toAlignedRect().adjusted(-1, -1, 1, 1);
        const QRegion area = LayerScene::LayerArea(this, pPainter, wanted);
        pPainter->save();
        pPainter->setOpacity(opacity());
        pPainter->setCompositionMode(QPainter::CompositionMode(blendingMode()));
        for (const QRect &r : area) {
            const QRect part = r.intersected(bounds);
            if (!part.isEmpty())
                pPainter->drawImage(part, m_composed, part.translated(-bounds.topLeft()));
        }
        pPainter->restore();
        return;
    }
    // While the scene draws, it has composed the text already, except
    // perhaps at the canvas edge.
    const QRect wanted = pOption->exposedRect.toAlignedRect().adjusted(-1, -1, 1, 1);
    const QRegion area = LayerScene::LayerArea(this, pPainter, wanted);
    if (area.isEmpty())
        return;
    const bool bClip = area != QRegion(wanted);
    if (bClip) {
        pPainter->save();
        pPainter->setClipRegion(area, Qt::IntersectClip);
    }
    pPainter->setOpacity(opacity());
    pPainter->setCompositionMode(QPainter::CompositionMode(blendingMode()));
    QGraphicsTextItem::paint(pPainter, pOption, pWidget);
    if (bClip)
        pPainter->restore();
    m_bChanged = false;
}

bool TextLayer::sceneEvent(QEvent *pEvent)
{
    // Undo and redo belong to the document's history, not to the text's own:
    // the keys go on to the window's actions, which end the typing first.
    if (pEvent->type() == QEvent::ShortcutOverride || pEvent->type() == QEvent::KeyPress) {
        auto *pKey = static_cast<QKeyEvent *>(pEvent);
        if (pKey->matches(QKeySequence::Undo) || pKey->matches(QKeySequence::Redo)) {
            pEvent->ignore();
            return false;
        }
    }
    return QGraphicsTextItem::sceneEvent(pEvent);
}

void TextLayer::keyPressEvent(QKeyEvent *pEvent)
{
    QGraphicsTextItem::keyPressEvent(pEvent);
    if (m_bFollowsText)
        setName(toPlainText());
}
