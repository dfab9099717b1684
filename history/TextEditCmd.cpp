#include "TextEditCmd.h"

#include "SafeTextDocument.h"

#include "CommandSupport.h"
#include "TextLayer.h"

#include <QTextDocument>

TextEditCmd::TextEditCmd(TextLayer *pLayer, const TextTyping &typing)
    : QUndoCommand(QStringLiteral("Text Edit"))
    , m_pLayer(pLayer)
    , m_typing(typing)
{
}

int TextEditCmd::id() const { return commandId<TextEditCmd>(); }

// The item gets its own copy, owned by the layer, so the command's clones
// stay intact for the next undo or redo.
void TextEditCmd::Apply(const QTextDocument *pDocument)
{
    m_pLayer->setDocument(SafeTextDocument::CopyOf(pDocument, m_pLayer));
    m_pLayer->update();
}

void TextEditCmd::redo()
{
    if (m_bFirst) {
        m_bFirst = false;
        m_pLayer->update();
        return;
    }
    Apply(m_typing.after.get());
}

void TextEditCmd::undo() { Apply(m_typing.before.get()); }
