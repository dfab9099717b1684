#pragma once
// Base of the filter dialogs: shows a filter's parameter values, made with
// the ranges of its table, and says when the user changed anything.
#include "FilterParams.h"

#include <QDialog>
#include <functional>

class QAbstractSlider;
class QCheckBox;
class QSpinBox;

class FilterDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FilterDialog(QWidget *pParent = nullptr) : QDialog(pParent) {}

    // The values the controls show.
    virtual FilterValues Values() const = 0;
    // Shows the values without reporting them as the user's change.
    virtual void SetValues(const FilterValues &values) = 0;

Q_SIGNALS:
    // Any edit of any control.
    void Changed();
};

// The table entry for `key`; an unknown key is a programming error.
FilterParam ParamFor(const FilterParams &params, const QString &key);

// The controls of a table's entries found under a form by the object names
// the table gives them; entries a form shows its own way (or not at all) are
// left out. Generated and hand-made dialogs read, show and range their
// values through it.
class ParamControls
{
public:
    // Finds the controls (a missing one is a programming error), gives them
    // the table's ranges and keeps each slider equal to its spin box.
    void Bind(QWidget *pForm, const FilterParams &params, const QString &spinSuffix = QStringLiteral("SpinBox"));
    // Calls `changed` on every edit of a bound control.
    void OnEdit(QObject *pContext, const std::function<void()> &changed) const;
    // Adds the bound values.
    void Read(FilterValues *pValues) const;
    // Shows the values that are there without reporting a change.
    void Show(const FilterValues &values) const;

private:
    struct Bound {
        QString key;
        QAbstractSlider *pSlider = nullptr;
        QSpinBox *pSpinBox = nullptr;
        QCheckBox *pCheckBox = nullptr;
    };
    QList<Bound> m_bound;
};

namespace FilterControls {

// Keeps a slider and its spin box equal, both ways.
void Link(QAbstractSlider *pSlider, QSpinBox *pSpinBox);
// Sets both without reporting it as the user's change.
void Show(QAbstractSlider *pSlider, QSpinBox *pSpinBox, int iValue);
// Gives both the range of a table entry.
void SetRange(QAbstractSlider *pSlider, QSpinBox *pSpinBox, const FilterParam &param);

} // namespace FilterControls
