#pragma once
// Red, green and blue thresholds with spin boxes and "Lock Channels": while
// locked, moving one slider moves the other two by as much. The posterize
// and solarize filters share it; the table names the three sliders, in
// channel order.
#include "FilterDialog.h"

namespace Ui {
class ThresholdsDlg;
}
class QSlider;

class ThresholdsDlg : public FilterDialog
{
    Q_OBJECT
public:
    ThresholdsDlg(const QString &title, const FilterParams &params, QWidget *pParent = nullptr);
    ~ThresholdsDlg() override;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;

    QSlider *Slider(int iChannel) const;

private:
    void SliderMoved(int iChannel, int iValue);

    Ui::ThresholdsDlg *ui;
    ParamControls m_controls;
    int m_previous[3] = {0, 0, 0};
    // Set while the lock moves the other sliders, so they do not move back.
    bool m_bFollowing = false;
};
