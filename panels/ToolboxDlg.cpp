#include "ToolboxDlg.h"
#include "ui_ToolboxDlg.h"

#include "BaseTool.h"
#include "ToolContext.h"

#include <QLayout>
#include <QPointer>

namespace {
QPointer<ToolboxDlg> s_pInstance;
} // namespace

ToolboxDlg *ToolboxDlg::instance(ToolContext *pContext, QWidget *pParent)
{
    if (!s_pInstance && pContext)
        s_pInstance = new ToolboxDlg(*pContext, pParent);
    return s_pInstance;
}

ToolboxDlg *ToolboxDlg::existing()
{
    return s_pInstance;
}

ToolboxDlg::ToolboxDlg(ToolContext &context, QWidget *pParent)
    : CQDialog(pParent)
    , m_pUi(new Ui::ToolboxDlg)
    , m_pTools(new ToolSet(context, this))
{
    m_pUi->setupUi(this);
    setTitle(windowTitle());
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    const QList<QPair<ToolSet::Kind, QToolButton *>> buttons = {
        {ToolSet::Brush, m_pUi->brushBtn},
        {ToolSet::EllipseSelect, m_pUi->ellipseSelectBtn},
        {ToolSet::RectSelect, m_pUi->rectSelectBtn},
        {ToolSet::Text, m_pUi->textBtn},
        {ToolSet::Zoom, m_pUi->zoomBtn},
        {ToolSet::Move, m_pUi->moveBtn},
        {ToolSet::Line, m_pUi->lineBtn},
        {ToolSet::Rectangle, m_pUi->rectBtn},
        {ToolSet::RoundedRectangle, m_pUi->roundRectBtn},
        {ToolSet::Ellipse, m_pUi->ellipseBtn},
        {ToolSet::Fill, m_pUi->fillBtn},
        {ToolSet::Wand, m_pUi->wandBtn},
        {ToolSet::ColorPick, m_pUi->colorPickBtn},
        {ToolSet::Erase, m_pUi->eraseBtn},
        {ToolSet::MoveSelection, m_pUi->moveSelectionBtn},
        {ToolSet::Pan, m_pUi->panBtn},
        {ToolSet::PathEdit, m_pUi->pathBtn},
        {ToolSet::Smooth, m_pUi->smoothBtn},
        {ToolSet::Sharpen, m_pUi->sharpenBtn},
        {ToolSet::Stamp, m_pUi->stampBtn},
        {ToolSet::Crop, m_pUi->cropBtn},
        {ToolSet::Lasso, m_pUi->lassoBtn},
        {ToolSet::Smudge, m_pUi->smudgeBtn},
        {ToolSet::Gradient, m_pUi->gradientBtn}};
    for (const auto &[eKind, pButton] : buttons) {
        m_buttons.insert(eKind, pButton);
        // A tool still to come keeps its place, but cannot be chosen.
        if (!m_pTools->Tool(eKind)) {
            pButton->setEnabled(false);
            pButton->setChecked(false);
        }
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

ToolboxDlg::~ToolboxDlg()
{
    if (m_pCurrent && m_bActive)
        m_pCurrent->Deactivate();
    delete m_pUi;
}

void ToolboxDlg::Select(ToolSet::Kind eKind)
{
    QToolButton *pButton = Button(eKind);
    if (!pButton || !pButton->isEnabled())
        return;
    if (pButton->isChecked())
        Toggled(eKind, true);
    else
        pButton->setChecked(true);
}

void ToolboxDlg::Toggled(ToolSet::Kind eKind, bool bToggled)
{
    BaseTool *pTool = m_pTools->Tool(eKind);
    if (!pTool)
        return;
    if (!bToggled) {
        if (pTool == m_pCurrent && m_bActive) {
            pTool->Deactivate();
            m_bActive = false;
        }
        return;
    }
    if (m_pCurrent && m_bActive)
        m_pCurrent->Deactivate();
    pTool->Activate();
    m_pCurrent = pTool;
    m_bActive = true;
}

void ToolboxDlg::Reactivate()
{
    if (!m_pCurrent)
        return;
    if (m_bActive)
        m_pCurrent->Deactivate();
    m_pCurrent->Activate();
    m_bActive = true;
}

void ToolboxDlg::DeactivateCurrent()
{
    if (m_pCurrent && m_bActive)
        m_pCurrent->Deactivate();
    m_bActive = false;
}

void ToolboxDlg::on_brushBtn_toggled(bool bToggled) { Toggled(ToolSet::Brush, bToggled); }
void ToolboxDlg::on_ellipseSelectBtn_toggled(bool bToggled) { Toggled(ToolSet::EllipseSelect, bToggled); }
void ToolboxDlg::on_rectSelectBtn_toggled(bool bToggled) { Toggled(ToolSet::RectSelect, bToggled); }
void ToolboxDlg::on_textBtn_toggled(bool bToggled) { Toggled(ToolSet::Text, bToggled); }
void ToolboxDlg::on_zoomBtn_toggled(bool bToggled) { Toggled(ToolSet::Zoom, bToggled); }
void ToolboxDlg::on_moveBtn_toggled(bool bToggled) { Toggled(ToolSet::Move, bToggled); }
void ToolboxDlg::on_lineBtn_toggled(bool bToggled) { Toggled(ToolSet::Line, bToggled); }
void ToolboxDlg::on_rectBtn_toggled(bool bToggled) { Toggled(ToolSet::Rectangle, bToggled); }
void ToolboxDlg::on_roundRectBtn_toggled(bool bToggled) { Toggled(ToolSet::RoundedRectangle, bToggled); }
void ToolboxDlg::on_ellipseBtn_toggled(bool bToggled) { Toggled(ToolSet::Ellipse, bToggled); }
void ToolboxDlg::on_fillBtn_toggled(bool bToggled) { Toggled(ToolSet::Fill, bToggled); }
void ToolboxDlg::on_wandBtn_toggled(bool bToggled) { Toggled(ToolSet::Wand, bToggled); }
void ToolboxDlg::on_colorPickBtn_toggled(bool bToggled) { Toggled(ToolSet::ColorPick, bToggled); }
void ToolboxDlg::on_eraseBtn_toggled(bool bToggled) { Toggled(ToolSet::Erase, bToggled); }
void ToolboxDlg::on_moveSelectionBtn_toggled(bool bToggled) { Toggled(ToolSet::MoveSelection, bToggled); }
void ToolboxDlg::on_panBtn_toggled(bool bToggled) { Toggled(ToolSet::Pan, bToggled); }
void ToolboxDlg::on_pathBtn_toggled(bool bToggled) { Toggled(ToolSet::PathEdit, bToggled); }
void ToolboxDlg::on_smoothBtn_toggled(bool bToggled) { Toggled(ToolSet::Smooth, bToggled); }
void ToolboxDlg::on_sharpenBtn_toggled(bool bToggled) { Toggled(ToolSet::Sharpen, bToggled); }
void ToolboxDlg::on_stampBtn_toggled(bool bToggled) { Toggled(ToolSet::Stamp, bToggled); }
void ToolboxDlg::on_cropBtn_toggled(bool bToggled) { Toggled(ToolSet::Crop, bToggled); }
void ToolboxDlg::on_lassoBtn_toggled(bool bToggled) { Toggled(ToolSet::Lasso, bToggled); }
void ToolboxDlg::on_smudgeBtn_toggled(bool bToggled) { Toggled(ToolSet::Smudge, bToggled); }
void ToolboxDlg::on_gradientBtn_toggled(bool bToggled) { Toggled(ToolSet::Gradient, bToggled); }
