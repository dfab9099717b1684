#pragma once
// The single-value size dialog: a slider and a spin box kept equal, a label
// and OK/Cancel. The pixelate, jitter and blur filters share it; each gives
// it a title and the key its value goes under.
#include "FilterDialog.h"

namespace Ui {
class PixelateDlg;
}

class PixelateDlg : public FilterDialog
{
    Q_OBJECT
public:
    explicit PixelateDlg(const QString &key, QWidget *pParent = nullptr);
    ~PixelateDlg() override;

    void SetTitle(const QString &title) { setWindowTitle(title); }
    void SetLabel(const QString &text);
    void SetValue(int iValue);
    void SetMinimum(int iMinimum);
    void SetMaximum(int iMaximum);
    int Value() const;

    FilterValues Values() const override;
    void SetValues(const FilterValues &values) override;
    void SetParams(const FilterParams &params) override;

Q_SIGNALS:
    void PixelSizeChanged(int iValue);

private:
    Ui::PixelateDlg *ui;
    QString m_key;
};
