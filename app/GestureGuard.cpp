#include "GestureGuard.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWidget>

GestureGuard::GestureGuard(std::function<void()> finish, QObject *pParent)
    : QObject(pParent)
    , m_finish(std::move(finish))
{
    // One filter sees every press, key and shortcut before its receiver.
    qApp->installEventFilter(this);
}

void GestureGuard::Finish() const
{
    if (m_finish)
        m_finish();
}

void GestureGuard::WatchMenus(QMenuBar *pBar, const QList<QMenu *> &exempt)
{
    for (QAction *pAction : pBar->actions())
        if (QMenu *pMenu = pAction->menu())
            WatchMenu(pMenu, exempt);
}

void GestureGuard::WatchMenu(QMenu *pMenu, const QList<QMenu *> &exempt)
{
    if (exempt.contains(pMenu))
        return;
    for (QAction *pAction : pMenu->actions()) {
        if (QMenu *pSub = pAction->menu()) {
            WatchMenu(pSub, exempt);
        } else if (!pAction->isSeparator() && !m_actions.contains(pAction)) {
            m_actions.insert(pAction);
            connect(pAction, &QObject::destroyed, this, [this](QObject *pObject) { m_actions.remove(pObject); });
        }
    }
}

void GestureGuard::WatchWidget(QWidget *pWidget, const char *exemptClass)
{
    m_widgets.insert(pWidget, exemptClass);
    connect(pWidget, &QObject::destroyed, this, [this](QObject *pObject) { m_widgets.remove(pObject); });
}

void GestureGuard::WatchClose(QWidget *pWidget)
{
    m_closing.insert(pWidget);
    connect(pWidget, &QObject::destroyed, this, [this](QObject *pObject) { m_closing.remove(pObject); });
}

void GestureGuard::FinishUnderPointer(QWidget *pWidget) const
{
    // The step a gesture lands as must not scroll a list under the pointer:
    // the press then reaches the row the user aimed at.
    QAbstractScrollArea *pArea = nullptr;
    for (QWidget *p = pWidget; p && !pArea; p = p->parentWidget())
        pArea = qobject_cast<QAbstractScrollArea *>(p);
    if (!pArea) {
        Finish();
        return;
    }
    auto *pView = qobject_cast<QAbstractItemView *>(pArea);
    const bool bAutoScroll = pView && pView->hasAutoScroll();
    if (pView)
        pView->setAutoScroll(false);
    const int x = pArea->horizontalScrollBar()->value();
    const int y = pArea->verticalScrollBar()->value();
    Finish();
    if (pView) {
        pView->doItemsLayout();
        pView->setAutoScroll(bAutoScroll);
    }
    pArea->horizontalScrollBar()->setValue(x);
    pArea->verticalScrollBar()->setValue(y);
}

bool GestureGuard::Watched(QObject *pObject) const
{
    if (!pObject->isWidgetType())
        return false;
    // The nearest watched ancestor decides; its exempt rows are let through.
    for (QObject *p = pObject; p; p = p->parent()) {
        const auto it = m_widgets.constFind(p);
        if (it == m_widgets.constEnd())
            continue;
        if (const char *name = it.value())
            for (QObject *q = pObject; q && q != p; q = q->parent())
                if (q->inherits(name))
                    return false;
        return true;
    }
    return false;
}

bool GestureGuard::eventFilter(QObject *pObject, QEvent *pEvent)
{
    switch (pEvent->type()) {
    case QEvent::Shortcut:
        // An entry's keys: the action is about to trigger.
        if (m_actions.contains(pObject))
            Finish();
        break;
    case QEvent::MouseButtonRelease:
        if (auto *pMenu = qobject_cast<QMenu *>(pObject)) {
            QAction *pAction = pMenu->actionAt(static_cast<QMouseEvent *>(pEvent)->position().toPoint());
            if (pAction && pAction->isEnabled() && m_actions.contains(pAction))
                Finish();
        }
        break;
    case QEvent::KeyPress:
        if (auto *pMenu = qobject_cast<QMenu *>(pObject)) {
            const int key = static_cast<QKeyEvent *>(pEvent)->key();
            QAction *pAction = pMenu->activeAction();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && pAction && m_actions.contains(pAction))
                Finish();
        } else if (Watched(pObject)) {
            Finish();
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (Watched(pObject))
            FinishUnderPointer(static_cast<QWidget *>(pObject));
        break;
    case QEvent::Close:
        if (m_closing.contains(pObject))
            Finish();
        break;
    default:
        break;
    }
    return QObject::eventFilter(pObject, pEvent);
}
