#pragma once
// The history panel. Its undo view holds the current document's undo stack,
// which makes it the one route by which commands reach that stack.
#include <QDockWidget>

class QUndoCommand;
class QUndoStack;
class QUndoView;

namespace Ui { class UndoDlg; }

class UndoDlg : public QDockWidget
{
    Q_OBJECT
public:
    // The single panel; the first call creates it with the given parent,
    // later calls return it and ignore the argument.
    static UndoDlg *instance(QWidget *parent = nullptr);

    ~UndoDlg() override;

    QUndoView *undoView() const { return m_undoView; }

    // The stack the view shows: the current document's, or null.
    QUndoStack *stack() const;
    void setStack(QUndoStack *pStack);

    // Pushes onto the view's stack (the stack runs the command's redo).
    // Without a stack the command is deleted and false is returned.
    bool Push(QUndoCommand *pCommand);

    // Process-wide source of undo command ids: 100, 200, 300, ... Each command
    // class takes one the first time it is asked for its id.
    static int NextCommandId();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    explicit UndoDlg(QWidget *parent);

    Ui::UndoDlg *ui;
    QUndoView *m_undoView;
};
