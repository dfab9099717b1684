#include "SizeReadout.h"

#include "ChildWindow.h"
#include "GraphicsView.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

SizeReadout::SizeReadout(const QString &text, ChildWindow *pWindow)
    : QWidget(pWindow)
    , m_pWindow(pWindow)
{
    m_font.setBold(true);
    m_font.setPixelSize(24);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    SetText(text);
    show();
    raise();
}

void SizeReadout::SetText(const QString &text)
{
    m_text = text;
    const QSize size = QFontMetrics(m_font).size(0, text) + QSize(8, 4);
    setMinimumSize(size);
    resize(size);
    update();
}

void SizeReadout::PlaceAbove(const QPointF &canvasPoint)
{
    GraphicsView *pView = m_pWindow->view();
    const QPoint inView = pView->mapFromScene(canvasPoint);
    const QPoint at = pView->viewport()->mapTo(m_pWindow, inView);
    move(at.x() - width() / 2, at.y() - height() - 4);
}

void SizeReadout::paintEvent(QPaintEvent *)
{
    // White letters with a dark rim read on any picture.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const QFontMetrics metrics(m_font);
    path.addText(4, 2 + metrics.ascent(), m_font, m_text);
    painter.strokePath(path, QPen(QColor(0, 0, 0, 200), 3));
    painter.fillPath(path, Qt::white);
}
