#include "ToolboxDlg.h"

#include "BaseTool.h"

#include <QGridLayout>
#include <QToolButton>

ToolboxDlg::ToolboxDlg(ToolContext &context, QWidget *pParent)
    : CQDialog(pParent)
    , m_pTools(new ToolSet(context, this))
{
    setObjectName(QStringLiteral("ToolboxDlg"));
    setTitle(QStringLiteral("Tools"));
    setStyleSheet(QStringLiteral("background-color: rgb(50, 50, 50);"));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    auto *pGrid = new QGridLayout(this);
    pGrid->setObjectName(QStringLiteral("gridLayout"));
    pGrid->setContentsMargins(6, 38, 6, 8);
    pGrid->setSpacing(2);
    // Row 2 is a gap between the moving tools and the painting ones.
    pGrid->addItem(new QSpacerItem(10, 8, QSizePolicy::Minimum, QSizePolicy::Fixed), 2, 0, 1, 2);
    for (const ToolSet::Entry &entry : ToolSet::Table()) {
        auto *pButton = new QToolButton(this);
        pButton->setObjectName(QLatin1String(entry.pButtonName));
        pButton->setText(QStringLiteral("..."));
        pButton->setIcon(QIcon(QLatin1String(entry.pIcon)));
        pButton->setIconSize(QSize(16, 16));
        if (entry.pToolTip)
            pButton->setToolTip(QLatin1String(entry.pToolTip));
        if (entry.pShortcut)
            pButton->setShortcut(QKeySequence(QLatin1String(entry.pShortcut), QKeySequence::PortableText));
        pButton->setCheckable(true);
        pButton->setAutoExclusive(true);
        pButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
        pGrid->addWidget(pButton, entry.iRow, entry.iColumn);
        m_buttons[entry.eKind] = pButton;
    }
    // The brush is the tool at start-up; checking it here activates nothing.
    m_buttons[ToolSet::Brush]->setChecked(true);
    for (const ToolSet::Entry &entry : ToolSet::Table())
        connect(m_buttons[entry.eKind], &QToolButton::toggled, this,
                [this, eKind = entry.eKind](bool bToggled) { Toggled(eKind, bToggled); });
    pGrid->setSizeConstraint(QLayout::SetFixedSize);
}

ToolboxDlg::~ToolboxDlg()
{
    if (m_pCurrent && m_bActive)
        m_pCurrent->Deactivate();
}

void ToolboxDlg::Select(ToolSet::Kind eKind)
{
    QToolButton *pButton = Button(eKind);
    if (pButton->isChecked())
        Toggled(eKind, true);
    else
        pButton->setChecked(true);
}

void ToolboxDlg::Toggled(ToolSet::Kind eKind, bool bToggled)
{
    BaseTool *pTool = m_pTools->Tool(eKind);
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
