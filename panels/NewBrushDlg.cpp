#include "NewBrushDlg.h"
#include "ui_NewBrushDlg.h"

#include <QPushButton>

NewBrushDlg::NewBrushDlg(bool bRename, QWidget *pParent)
    : CQDialog(pParent)
    , m_pUi(new Ui::NewBrushDlg)
{
    m_pUi->setupUi(this);
    setTitle(bRename ? QStringLiteral("Rename Brush") : QStringLiteral("New Brush"));
    auto updateOk = [this] { m_pUi->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!Name().isEmpty()); };
    connect(m_pUi->brushName, &QLineEdit::textChanged, this, updateOk);
    updateOk();
}

NewBrushDlg::~NewBrushDlg()
{
    delete m_pUi;
}

void NewBrushDlg::SetName(const QString &name)
{
    m_pUi->brushName->setText(name);
    m_pUi->brushName->selectAll();
}

QString NewBrushDlg::Name() const
{
    return m_pUi->brushName->text().trimmed();
}
