#pragma once
// A filter dialog built from the parameter table: per shown entry its label
// and its control with a spin box, then OK and Cancel. Rows follow the
// table's order.
#include "FilterDialog.h"

#include <QSize>

// What a built dialog shows besides the values.
struct FilterForm {
    QString title;
    QString objectName;
    QSize size;
    // How the spin boxes' object names end.
    QString spinSuffix = QStringLiteral("SpinBox");

    // The single-value size dialog of the pixelate, jitter and blur filters.
    static FilterForm SizeDialog(const QString &title);
};

class ParamDialog : public FilterDialog
{
    Q_OBJECT
public:
    ParamDialog(const FilterForm &form, const FilterParams &params, QWidget *pParent = nullptr);

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;

private:
    ParamControls m_controls;
};
