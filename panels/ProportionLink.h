#pragma once
#include <QObject>

class QCheckBox;
class QLabel;
class QSpinBox;

// Keeps a width/height spin box pair at a fixed ratio while the check box is
// on, and shows the current pair's ratio in a label. Used by the size dialogs.
class ProportionLink : public QObject {
    Q_OBJECT
public:
    ProportionLink(QSpinBox *pWidth, QSpinBox *pHeight, QCheckBox *pKeep, QLabel *pCurrent, double dRatio,
                   QObject *pParent);

    // The dialogs' own slots forward here.
    void KeepToggled(bool bValue);
    void WidthChanged(int iVal);
    void HeightChanged(int iVal);

private:
    void ShowCurrent();

    QSpinBox *m_pWidth;
    QSpinBox *m_pHeight;
    QCheckBox *m_pKeep;
    QLabel *m_pCurrent;
    double m_dRatio;
    // Set while we write one box ourselves, so its change does not write back.
    bool m_bGuard = false;
};
