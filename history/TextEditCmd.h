#pragma once
#include <QTextCursor>
#include <QUndoCommand>

class QTextDocument;
class TextLayer;

// Owns the two document clones taken when a text layer's editing began and ended.
class TextEditCmd : public QUndoCommand {
public:
    TextEditCmd(TextLayer *pLayer, QTextDocument *pBefore, const QTextCursor &cursorBefore,
                QTextDocument *pAfter, const QTextCursor &cursorAfter);
    ~TextEditCmd() override;
    int id() const override;
    void redo() override;
    void undo() override;

private:
    void Apply(const QTextDocument *pDocument);
    TextLayer *m_pLayer;
    QTextDocument *m_pBefore;
    QTextCursor m_cursorBefore;
    QTextDocument *m_pAfter;
    QTextCursor m_cursorAfter;
    bool m_bFirst = true;
};
