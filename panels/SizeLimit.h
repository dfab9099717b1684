#pragma once
#include <QObject>

class QAbstractButton;
class QSpinBox;

// Keeps a size dialog from offering a canvas that the editor could not
// save and open again: each side from 1 to 32768 pixels, and at most
// 2^28 pixels in all. Beyond that the OK button is disabled and says why.
class SizeLimit : public QObject {
    Q_OBJECT
public:
    SizeLimit(QSpinBox *pWidth, QSpinBox *pHeight, QAbstractButton *pOk, QObject *pParent);

    // Whether the pair in the boxes may be accepted.
    bool Allowed() const;
    static QString TooLargeText();

private:
    void Update();

    QSpinBox *m_pWidth;
    QSpinBox *m_pHeight;
    QAbstractButton *m_pOk;
};
