#pragma once
#include <QRegion>
#include <QUndoCommand>

class ChildWindow;

class SelectionCmd : public QUndoCommand {
public:
    SelectionCmd(ChildWindow *pWindow, const QRegion &oldRegion, const QRegion &newRegion);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    ChildWindow *m_pWindow;
    QRegion m_old;
    QRegion m_new;
};
