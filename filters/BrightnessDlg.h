#pragma once
// "Brightness": brightness and contrast sliders with spin boxes.
#include "FilterDialog.h"

namespace Ui {
class BrightnessDlg;
}

class BrightnessDlg : public FilterDialog
{
    Q_OBJECT
public:
    explicit BrightnessDlg(QWidget *pParent = nullptr);
    ~BrightnessDlg() override;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;
    void SetParams(const FilterParams &params) override;

Q_SIGNALS:
    void BrightnessChanged(int iValue);
    void ContrastChanged(int iValue);

private:
    Ui::BrightnessDlg *ui;
};
