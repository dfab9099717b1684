#pragma once
#include "Layer.h"

#include <QGraphicsTextItem>
#include <QImage>
#include <QStyle>
#include <QTextCursor>

#include <memory>

class QRegion;
class QTextCharFormat;
class QTextDocument;

// One stretch of typing in a text layer: the text and cursor when it began
// and when it ended. The layer reports it through its document; whoever
// started the editing turns it into an undo step.
struct TextTyping {
    std::shared_ptr<QTextDocument> before;
    QTextCursor startCursor;
    std::shared_ptr<QTextDocument> after;
    QTextCursor endCursor;
};

// A layer holding editable rich text. While its name follows its text (until
// the first editing ends), every key press renames it.
class TextLayer : public Layer, public QGraphicsTextItem {
public:
    explicit TextLayer(QGraphicsScene *pScene);
    ~TextLayer() override;

    qreal zValue() const override { return QGraphicsTextItem::zValue(); }
    void setZValue(qreal z) override { QGraphicsTextItem::setZValue(z); }
    qreal opacity() const override { return QGraphicsTextItem::opacity(); }
    void setOpacity(qreal o) override { QGraphicsTextItem::setOpacity(o); }
    void setPos(const QPointF &p) override { QGraphicsTextItem::setPos(p); }
    QPointF pos() const override { return QGraphicsTextItem::pos(); }
    QRectF boundingRect() const override;
    void setVisible(bool b) override { QGraphicsTextItem::setVisible(b); }
    bool isVisible() const override { return QGraphicsTextItem::isVisible(); }
    void update(const QRectF &area) override;
    void update() override;
    void MarkChanged() override { m_bChanged = true; }
    void StylesChanged() override;
    QGraphicsItem *item() override { return this; }

    void SetEditMode(bool bEdit);
    void setFont(const QFont &font);
    // Merges only the properties set in `format` into the selected text, or
    // into all of it (and what is typed next) when nothing is selected.
    void MergeFormat(const QTextCharFormat &format);
    QFont font() const;
    void setColor(const QColor &color);
    QColor color() const;
    void Crop(const QRegion &region);
    bool followsText() const { return m_bFollowsText; }

    // The text's look changed: invalidates where it was and where it is.
    void TextChanged();
    // The text alone, as the styles see it: no cursor or selection, on
    // transparency, the size of the text item's own rectangle.
    QImage RenderText() const;

    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption, QWidget *pWidget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    void keyPressEvent(QKeyEvent *pEvent) override;
    bool sceneEvent(QEvent *pEvent) override;
    void focusInEvent(QFocusEvent *) override {}
    void focusOutEvent(QFocusEvent *) override {}

private:
    // The styled bounds follow the text's size and the enabled styles.
    void UpdateStyledBounds();
    // The text over its styles, for the drawing state of the option.
    void ComposeStyled(const QStyleOptionGraphicsItem *pOption);

    QTextDocument *m_pDocBefore = nullptr;
    QTextCursor m_startCursor;
    QTextCursor m_lastCursor;
    bool m_bChanged = false;
    bool m_bFollowsText = true;
    QRectF m_styledBounds;
    QImage m_composed;       // premultiplied, the size of the styled bounds
    QImage m_styleSource;    // the text the styles were computed from
    QStyle::State m_composedState = QStyle::State_None;
    // Where the text was last drawn (scene coordinates), to clear it when it shrinks.
    QRectF m_lastSceneRect;
};
