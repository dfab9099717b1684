#include "UndoDlg.h"
#include "ui_UndoDlg.h"

#include <QResizeEvent>
#include <QUndoStack>
#include <QUndoView>

UndoDlg::UndoDlg(QWidget *parent)
    : QDockWidget(parent)
    , ui(new Ui::UndoDlg)
{
    ui->setupUi(this);
    m_undoView = new QUndoView(this);
    // The panel is dark; the entries must stay readable on it.
    m_undoView->setStyleSheet(QStringLiteral("QUndoView { color: white; }"
                                             "QUndoView::item:selected { background-color: rgb(90, 90, 160); }"));
}

UndoDlg::~UndoDlg()
{
    delete ui;
}

QUndoStack *UndoDlg::stack() const
{
    return m_undoView->stack();
}

void UndoDlg::setStack(QUndoStack *pStack)
{
    m_undoView->setStack(pStack);
}

void UndoDlg::resizeEvent(QResizeEvent *event)
{
    m_undoView->setGeometry(0, 32, width(), height() - 50);
    QDockWidget::resizeEvent(event);
}
