#include "NewFileDlg.h"
#include "ui_NewFileDlg.h"

#include "AspectRatio.h"
#include "Layer.h"
#include "SizeLimit.h"

#include <QClipboard>
#include <QPushButton>
#include <QGuiApplication>
#include <QPixmap>
#include <QUndoStack>

NewFileDlg::NewFileDlg(QWidget *pParent)
    : CQDialog(pParent)
    , m_pUi(new Ui::NewFileDlg)
{
    m_pUi->setupUi(this);
    setTitle(windowTitle());
    m_pLimit = new SizeLimit(m_pUi->canvasWidth, m_pUi->canvasHeight, m_pUi->buttonBox->button(QDialogButtonBox::Ok), this);
    // A copied image is the likeliest size for a new document.
    const QPixmap clipboard = QPixmap::fromImage(QGuiApplication::clipboard()->image());
    if (!clipboard.isNull()) {
        m_bGuard = true;
        m_pUi->canvasWidth->setValue(clipboard.width());
        m_pUi->canvasHeight->setValue(clipboard.height());
        m_bGuard = false;
    }
    UpdateRatio();
}

NewFileDlg::~NewFileDlg()
{
    delete m_pUi;
}

void NewFileDlg::accept()
{
    if (m_pLimit->Allowed())
        CQDialog::accept();
}

QSize NewFileDlg::ChosenSize() const
{
    return QSize(m_pUi->canvasWidth->value(), m_pUi->canvasHeight->value());
}

void NewFileDlg::UpdateRatio()
{
    const QSize size = ChosenSize();
    m_dRatio = AspectRatio::Ratio(size.width(), size.height());
    m_pUi->aspectRatio->setText(QStringLiteral("Maintain Aspect\n") + AspectRatio::Text(size.width(), size.height()));
}

void NewFileDlg::on_aspectRatio_toggled(bool)
{
}

void NewFileDlg::on_canvasHeight_valueChanged(int iVal) { SideChanged(false, iVal); }
void NewFileDlg::on_canvasWidth_valueChanged(int iVal) { SideChanged(true, iVal); }

// Unchecked, every change sets the ratio; checked, the other side follows it.
void NewFileDlg::SideChanged(bool bWidth, int iVal)
{
    if (!m_pUi->aspectRatio->isChecked()) {
        UpdateRatio();
        return;
    }
    if (m_bGuard || m_dRatio <= 0)
        return;
    m_bGuard = true;
    if (bWidth)
        m_pUi->canvasHeight->setValue(AspectRatio::HeightFor(iVal, m_dRatio));
    else
        m_pUi->canvasWidth->setValue(AspectRatio::WidthFor(iVal, m_dRatio));
    m_bGuard = false;
}
