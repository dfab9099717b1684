#pragma once
#include "CQDialog.h"
#include "ToolSet.h"

#include <QHash>

class BaseTool;
class QToolButton;
class ToolContext;

namespace Ui { class ToolboxDlg; }

// The "Tools" palette: one checkable button per canvas tool. Checking a
// button deactivates the tool before it and activates its own. It owns the
// one instance of every tool.
class ToolboxDlg : public CQDialog {
    Q_OBJECT
public:
    // Created on the first call, with the context every tool works in.
    static ToolboxDlg *instance(ToolContext *pContext = nullptr, QWidget *pParent = nullptr);
    static ToolboxDlg *existing();
    ~ToolboxDlg() override;

    ToolSet &tools() { return *m_pTools; }
    BaseTool *CurrentTool() const { return m_pCurrent; }
    QToolButton *Button(ToolSet::Kind eKind) const { return m_buttons.value(eKind); }
    // Checks a tool's button, as a click would.
    void Select(ToolSet::Kind eKind);
    // Another document became current: the tool starts over on it.
    void Reactivate();
    // The current document closes: the tool lets go; it stays the current
    // tool for the next document.
    void DeactivateCurrent();

public Q_SLOTS:
    void on_brushBtn_toggled(bool bToggled);
    void on_ellipseSelectBtn_toggled(bool bToggled);
    void on_rectSelectBtn_toggled(bool bToggled);
    void on_textBtn_toggled(bool bToggled);
    void on_zoomBtn_toggled(bool bToggled);
    void on_moveBtn_toggled(bool bToggled);
    void on_lineBtn_toggled(bool bToggled);
    void on_rectBtn_toggled(bool bToggled);
    void on_roundRectBtn_toggled(bool bToggled);
    void on_ellipseBtn_toggled(bool bToggled);
    void on_fillBtn_toggled(bool bToggled);
    void on_wandBtn_toggled(bool bToggled);
    void on_colorPickBtn_toggled(bool bToggled);
    void on_eraseBtn_toggled(bool bToggled);
    void on_moveSelectionBtn_toggled(bool bToggled);
    void on_panBtn_toggled(bool bToggled);
    void on_pathBtn_toggled(bool bToggled);
    void on_smoothBtn_toggled(bool bToggled);
    void on_sharpenBtn_toggled(bool bToggled);
    void on_stampBtn_toggled(bool bToggled);
    void on_cropBtn_toggled(bool bToggled);
    void on_lassoBtn_toggled(bool bToggled);
    void on_smudgeBtn_toggled(bool bToggled);
    void on_gradientBtn_toggled(bool bToggled);

private:
    ToolboxDlg(ToolContext &context, QWidget *pParent);
    void Toggled(ToolSet::Kind eKind, bool bToggled);

    Ui::ToolboxDlg *m_pUi;
    ToolSet *m_pTools;
    QHash<int, QToolButton *> m_buttons;
    BaseTool *m_pCurrent = nullptr;
    bool m_bActive = false;
};
