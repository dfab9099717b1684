#pragma once
#include "CQDialog.h"
#include "ToolSet.h"

#include <array>

class BaseTool;
class QToolButton;
class ToolContext;

// The "Tools" palette: one checkable button per row of the tool table, in
// the row's place. Checking a button deactivates the tool before it and
// activates its own. It owns the one instance of every tool.
class ToolboxDlg : public CQDialog {
    Q_OBJECT
public:
    // Every tool works in the context.
    ToolboxDlg(ToolContext &context, QWidget *pParent);
    ~ToolboxDlg() override;

    ToolSet &tools() { return *m_pTools; }
    BaseTool *CurrentTool() const { return m_pCurrent; }
    QToolButton *Button(ToolSet::Kind eKind) const { return m_buttons[eKind]; }
    // Checks a tool's button, as a click would.
    void Select(ToolSet::Kind eKind);
    // Another document became current: the tool starts over on it.
    void Reactivate();
    // The current document closes: the tool lets go; it stays the current
    // tool for the next document.
    void DeactivateCurrent();

private:
    void Toggled(ToolSet::Kind eKind, bool bToggled);

    ToolSet *m_pTools;
    std::array<QToolButton *, ToolSet::KindCount> m_buttons{};
    BaseTool *m_pCurrent = nullptr;
    bool m_bActive = false;
};
