#include "BaseTool.h"

#include <QKeyEvent>

#include "ChildWindow.h"
#include "ToolContext.h"

#include <QAction>
#include <QToolBar>

BaseTool::BaseTool(ToolContext &context, QObject *pParent)
    : QObject(pParent)
    , m_context(context)
{
}

QCursor BaseTool::GetCursor() const
{
    return QCursor(Qt::ArrowCursor);
}

void BaseTool::MousePosUpdate(int, int, ChildWindow *) {}
void BaseTool::MousePress(Qt::MouseButtons, QPoint, Qt::KeyboardModifiers, ChildWindow *) {}
void BaseTool::MouseRelease(Qt::MouseButtons, QPoint, Qt::KeyboardModifiers, ChildWindow *) {}
void BaseTool::MouseWheel(int, ChildWindow *) {}
void BaseTool::KeyPress(QKeyEvent *) {}
void BaseTool::KeyRelease(QKeyEvent *) {}

ChildWindow *BaseTool::CurrentWindow() const
{
    return m_context.CurrentWindow();
}

void BaseTool::AddOptionWidget(QWidget *pWidget)
{
    // The bar's action owns the widget: deleting it removes both.
    if (QToolBar *pBar = m_context.OptionBar())
        m_options.append(pBar->addWidget(pWidget));
    else
        pWidget->deleteLater();
}

void BaseTool::BeginActivation()
{
    m_context.SetActiveTool(this);
    RefreshCursor();
}

void BaseTool::EndActivation()
{
    qDeleteAll(m_options);
    m_options.clear();
    if (m_context.ActiveTool() == this)
        m_context.SetActiveTool(nullptr);
}

void BaseTool::RefreshCursor()
{
    if (ChildWindow *pWindow = CurrentWindow())
        pWindow->setCursor(GetCursor());
}

Qt::KeyboardModifiers BaseTool::KeysAfter(const QKeyEvent *pEvent)
{
    const Qt::KeyboardModifiers keys = pEvent->modifiers();
    Qt::KeyboardModifier key = Qt::NoModifier;
    switch (pEvent->key()) {
    case Qt::Key_Shift:
        key = Qt::ShiftModifier;
        break;
    case Qt::Key_Alt:
        key = Qt::AltModifier;
        break;
    case Qt::Key_Control:
        key = Qt::ControlModifier;
        break;
    default:
        return keys;
    }
    return pEvent->type() == QEvent::KeyRelease ? keys & ~key : keys | key;
}
