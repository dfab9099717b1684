#pragma once
#include "BaseTool.h"

#include <QPointer>
#include <QRegion>
#include <QSize>

class Document;
class QGraphicsItem;

// The selection tools that draw a shape (rectangle, ellipse, lasso): Shift
// adds it to the selection, Alt takes it away, otherwise it replaces the
// selection; the cross-hair shows which. A gesture is one undo step from the
// selection at the press; one cut short by switching tools still lands.
class SelectionTool : public BaseTool {
    Q_OBJECT
public:
    using BaseTool::BaseTool;

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;

    // Shift adds the shape, else Alt takes it away, else it replaces the
    // selection; the result is kept to the canvas.
    static QRegion Combine(const QRegion &current, const QRegion &shape, Qt::KeyboardModifiers keys,
                           const QSize &canvas);
    // The gesture as one history entry, from the region before it began;
    // nothing when the region did not change.
    static void PushChange(Document *pDocument, const QRegion &before, const QRegion &after);

public Q_SLOTS:
    void KeyPress(QKeyEvent *pEvent) override;
    void KeyRelease(QKeyEvent *pEvent) override;

protected:
    // Adds the tool's own options to the bar (none by default).
    virtual void AddOptions() {}
    // A gesture is open: Deactivate ends it with a release at the last point.
    virtual bool IsGesture() const = 0;
    // The press starts a gesture on the window's selection.
    void BeginGesture(ChildWindow *pWindow, QPoint point, Qt::KeyboardModifiers keys);
    // The shape drawn meets the selection as the keys say: one history entry.
    void ApplyShape(const QRegion &shape, Qt::KeyboardModifiers keys);
    static void TakeOut(QGraphicsItem *pItem);

    Qt::KeyboardModifiers m_keys; // as the last event left them
    QPoint m_current;             // the pointer's last canvas point
    QRegion m_before;             // the selection at the press
    QPointer<ChildWindow> m_pWindow;
};
