#pragma once
#include <QList>
#include <QRegion>
#include <QSize>
#include <QUndoCommand>

class ChildWindow;

// Merges every layer, in list order, into the first one.
class FlattenImageCmd : public QUndoCommand {
public:
    explicit FlattenImageCmd(ChildWindow *pWindow);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    ChildWindow *m_pWindow;
};
