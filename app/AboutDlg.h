#pragma once
// Help > About: program name, version, logo and credits.
#include "CQDialog.h"

class AboutDlg : public CQDialog
{
    Q_OBJECT
public:
    explicit AboutDlg(QWidget *parent = nullptr);

    // The rich text shown under the logo.
    static QString AboutText();
};
