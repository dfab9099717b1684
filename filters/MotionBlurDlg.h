#pragma once
// "Motion Blur": an angle dial with its spin box and a distance slider with
// its spin box.
#include "FilterDialog.h"

namespace Ui {
class MotionBlurDlg;
}

class MotionBlurDlg : public FilterDialog
{
    Q_OBJECT
public:
    explicit MotionBlurDlg(QWidget *pParent = nullptr);
    ~MotionBlurDlg() override;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;
    void SetParams(const FilterParams &params) override;

Q_SIGNALS:
    void AngleChanged(int iAngle);
    void DistanceChanged(int iDistance);

private:
    Ui::MotionBlurDlg *ui;
};
