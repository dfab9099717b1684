#pragma once
#include <QCursor>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRegion>

#include <functional>

class ChildWindow;
class Document;
class Layer;
class QAction;
class QKeyEvent;
class QWidget;
class ToolContext;

// A canvas tool. One instance of each exists; while active it shows its
// options on the option bar and receives the current document's canvas
// events (canvas pixel coordinates). It edits the document through the
// painting protocol and undo commands only.
class BaseTool : public QObject {
    Q_OBJECT
public:
    // What finishing the open gesture would record, for a copy that shows
    // the work as the user sees it while the gesture stays open: the step,
    // and the pixels it lands, worked out later on any thread.
    struct Landing {
        Document *pDocument = nullptr;
        Layer *pLayer = nullptr;
        QString text;
        QRegion selection;
        std::function<void(QImage &pixels, QPointF &pos)> land;
    };

    explicit BaseTool(ToolContext &context, QObject *pParent = nullptr);

    // Shows the options, takes the canvas events and sets the cursor.
    virtual void Activate() = 0;
    // Removes the options, ends any pending interaction, lets go of the events.
    virtual void Deactivate() = 0;
    virtual QCursor GetCursor() const;
    // Ends a gesture still open before any command reaches the document:
    // what can be recorded lands as its own undo step (a stroke, a floating
    // picture, a pending gradient), what cannot (an empty box, a one-point
    // path) goes, leaving the document exactly as it was. A gesture that
    // changed nothing records nothing. The tool stays active.
    virtual void FinishGesture() {}
    // False when no gesture is open that lands pixels.
    virtual bool PendingLanding(Landing *) const { return false; }

public Q_SLOTS:
    virtual void MousePosUpdate(int x, int y, ChildWindow *pWindow);
    virtual void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow);
    virtual void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                              ChildWindow *pWindow);
    virtual void MouseWheel(int iDelta, ChildWindow *pWindow);
    virtual void KeyPress(QKeyEvent *pEvent);
    virtual void KeyRelease(QKeyEvent *pEvent);

protected:
    ToolContext &context() const { return m_context; }
    ChildWindow *CurrentWindow() const;

    // Appends an option widget to the option bar; it goes with EndActivation().
    template <class Widget> Widget *AddOption(Widget *pWidget)
    {
        AddOptionWidget(pWidget);
        return pWidget;
    }
    // The common first and last steps of Activate() and Deactivate().
    void BeginActivation();
    void EndActivation();
    // The current document window shows this tool's cursor.
    void RefreshCursor();
    // The modifiers held once the key event is through: the event's own,
    // with the modifier key it presses or lets go counted in or out.
    static Qt::KeyboardModifiers KeysAfter(const QKeyEvent *pEvent);

private:
    void AddOptionWidget(QWidget *pWidget);

    ToolContext &m_context;
    QList<QAction *> m_options;
};
