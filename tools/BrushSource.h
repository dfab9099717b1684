#pragma once
#include <QMetaObject>

#include <functional>

class CQBrush;
class QObject;

// Where the brush tool takes its brush from, without knowing the panel that
// holds the brushes.
class BrushSource {
public:
    virtual ~BrushSource() = default;

    virtual CQBrush *CurrentBrush() const = 0;
    // Calls `handler` (in `pReceiver`'s context) whenever another brush
    // becomes current or the current one goes away.
    virtual QMetaObject::Connection OnBrushChanged(QObject *pReceiver, std::function<void()> handler) = 0;
    // Shows the brushes when they are hidden, hides them otherwise.
    virtual void ToggleShown() = 0;
};
