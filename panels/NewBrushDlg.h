#pragma once
#include "CQDialog.h"

namespace Ui { class NewBrushDlg; }

// Asks for a brush's name: "New Brush" for a brush made from an image,
// "Rename Brush" for an existing one. OK stays disabled while the name is
// blank.
class NewBrushDlg : public CQDialog
{
    Q_OBJECT
public:
    NewBrushDlg(bool bRename, QWidget *pParent = nullptr);
    ~NewBrushDlg() override;

    void SetName(const QString &name);
    // The name as typed, without surrounding blanks.
    QString Name() const;

private:
    Ui::NewBrushDlg *m_pUi;
};
