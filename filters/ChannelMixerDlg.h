#pragma once
// "Channel Mixer": for each output channel (and for monochrome) the
// percentages of source red, green and blue; the combo box picks which row
// the sliders edit. The table's entries shown its own way are the four rows
// in order (red, green, blue output, then monochrome); its check boxes are
// found by name.
#include "FilterDialog.h"

namespace Ui {
class ChannelMixerDlg;
}

class ChannelMixerDlg : public FilterDialog
{
    Q_OBJECT
public:
    explicit ChannelMixerDlg(const FilterParams &params, QWidget *pParent = nullptr);
    ~ChannelMixerDlg() override;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;

Q_SIGNALS:
    void Change();

private:
    // 0..2 the output channels, 3 the monochrome row.
    int ShownRow() const;
    void ShowRow();
    void SliderMoved(int iSource, int iValue);

    Ui::ChannelMixerDlg *ui;
    ParamControls m_controls;
    QStringList m_rowKeys;
    int m_rows[4][3] = {{100, 0, 0}, {0, 100, 0}, {0, 0, 100}, {100, 100, 100}};
};
