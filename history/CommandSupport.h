#pragma once
#include <QUndoCommand>

// Process-wide source of undo command ids: 100, 200, 300, ...
inline int nextCommandId()
{
    static int s_counter = 0;
    s_counter += 100;
    return s_counter;
}

// Each command class takes its id the first time it is asked, so every class
// has its own and only commands of the same class are offered for merging.
template <class Command>
int commandId()
{
    static const int s_id = nextCommandId();
    return s_id;
}

// Composite commands replay their children in an order of their own.
inline QUndoCommand *childAt(QUndoCommand *pParent, int i)
{
    return const_cast<QUndoCommand *>(pParent->child(i));
}

// Replays every child in the order it was added.
inline void redoChildren(QUndoCommand *pParent)
{
    for (int i = 0; i < pParent->childCount(); ++i)
        childAt(pParent, i)->redo();
}

// Undoes every child in the order it was added.
inline void undoChildren(QUndoCommand *pParent)
{
    for (int i = 0; i < pParent->childCount(); ++i)
        childAt(pParent, i)->undo();
}

inline constexpr int kNoSnapshot = -1;
