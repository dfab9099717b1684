#pragma once
#include <QPoint>
#include <QUndoCommand>

class Layer;

class MoveTextCmd : public QUndoCommand {
public:
    MoveTextCmd(Layer *pLayer, const QPoint &oldPos, const QPoint &newPos, QUndoCommand *pParent = nullptr);
    int id() const override;
    bool mergeWith(const QUndoCommand *pOther) override;
    void redo() override;
    void undo() override;

private:
    Layer *m_pLayer;
    QPoint m_old;
    QPoint m_new;
};
