#pragma once
#include "TextLayer.h"

#include <QUndoCommand>

// One stretch of typing in a text layer; keeps the two document clones
// taken when the editing began and ended.
class TextEditCmd : public QUndoCommand {
public:
    TextEditCmd(TextLayer *pLayer, const TextTyping &typing);
    int id() const override;
    void redo() override;
    void undo() override;

private:
    void Apply(const QTextDocument *pDocument);
    TextLayer *m_pLayer;
    TextTyping m_typing;
    bool m_bFirst = true;
};
