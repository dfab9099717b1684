#pragma once
// Update check. This build is made from source, so there is nothing to fetch:
// the start-up check stays silent and does no network work, and the manual
// check tells the user how to update.
#include "CQDialog.h"

class QLabel;

class UpdateDlg : public CQDialog
{
    Q_OBJECT
public:
    enum Mode {
        Automatic, // start-up: builds nothing, the caller never shows it
        Manual     // Help > Check For Updates
    };

    explicit UpdateDlg(Mode eMode, QWidget *parent = nullptr);

    Mode mode() const { return m_mode; }

    // The explanation the manual check shows.
    static QString UpdateMessage();

private:
    Mode m_mode;
    QLabel *m_message = nullptr;
};
