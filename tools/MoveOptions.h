#pragma once
#include <QObject>
#include <QPointer>
#include <functional>

class QDial;
class QDoubleSpinBox;
class QToolButton;
class QWidget;

// The move tool's options: the floating picture's angle on a dial and in a
// spin box kept in step, and the buttons that commit or cancel the picture.
class MoveOptions : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Makes the widgets and hands each to `add`; the options bar that
    // receives them owns them from then on.
    void Create(const std::function<void(QWidget *)> &add);
    // Shows the angle without telling anyone.
    void ShowRotation(double dDegrees);
    // The commit and cancel buttons work only while a picture floats.
    void SetPending(bool bPending);

Q_SIGNALS:
    // The user set an angle, on the dial or in the spin box.
    void RotationChanged(double dDegrees);
    void Accepted();
    void Cancelled();

private:
    QPointer<QDial> m_pDial;
    QPointer<QDoubleSpinBox> m_pSpin;
    QPointer<QToolButton> m_pAccept;
    QPointer<QToolButton> m_pCancel;
};
