#pragma once
// Base of the filter dialogs: shows a filter's parameter values, takes
// ranges and initial values from its table, and says when the user changed
// anything.
#include "FilterParams.h"

#include <QDialog>

class FilterDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FilterDialog(QWidget *pParent = nullptr) : QDialog(pParent) {}

    // The values the controls show.
    virtual FilterValues Values() const = 0;
    // Shows the values without reporting them as the user's change.
    virtual void SetValues(const FilterValues &values) = 0;
    // Takes each control's range from the table.
    virtual void SetParams(const FilterParams &params) = 0;

Q_SIGNALS:
    // Any edit of any control.
    void Changed();
};

// The table entry for `key` (a default one when there is none).
FilterParam ParamFor(const FilterParams &params, const QString &key);

class QAbstractSlider;
class QSpinBox;

namespace FilterControls {

// Keeps a slider and its spin box equal, both ways.
void Link(QAbstractSlider *pSlider, QSpinBox *pSpinBox);
// Sets both without reporting it as the user's change.
void Show(QAbstractSlider *pSlider, QSpinBox *pSpinBox, int iValue);
// Gives both the range of a table entry.
void SetRange(QAbstractSlider *pSlider, QSpinBox *pSpinBox, const FilterParam &param);

} // namespace FilterControls
