#pragma once
// The history panel: its undo view shows the current document's undo stack.
#include <QDockWidget>

class QUndoCommand;
class QUndoStack;
class QUndoView;

namespace Ui { class UndoDlg; }

class UndoDlg : public QDockWidget
{
    Q_OBJECT
public:
    explicit UndoDlg(QWidget *parent = nullptr);
    ~UndoDlg() override;

    QUndoView *undoView() const { return m_undoView; }

    // The stack the view shows: the current document's, or null.
    QUndoStack *stack() const;
    void setStack(QUndoStack *pStack);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    Ui::UndoDlg *ui;
    QUndoView *m_undoView;
};
