#pragma once
#include <QCursor>
#include <QRegion>
#include <QSize>

class ChildWindow;
class Document;

// What the selection tools share: how a new shape meets the selection, the
// one undo step a gesture makes, and the cross-hair cursors.
namespace SelectionToolSupport {

enum CursorKind { PlainCursor, AddCursor, SubtractCursor };

// Shift adds the shape, else Alt takes it away, else it replaces the
// selection; the result is kept to the canvas.
QRegion Combine(const QRegion &current, const QRegion &shape, Qt::KeyboardModifiers keys, const QSize &canvas);
// The gesture as one history entry, from the region before it began; nothing
// when the region did not change.
void PushChange(Document *pDocument, const QRegion &before, const QRegion &after);
// The cross-hair, with a plus or a minus for adding and taking away.
QCursor Cursor(CursorKind eKind);
// The cursor the held modifiers ask for.
CursorKind KindFor(Qt::KeyboardModifiers keys);

} // namespace SelectionToolSupport
