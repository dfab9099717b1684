#include "ImageResizeDlg.h"
#include "ui_ImageResizeDlg.h"

#include "AspectRatio.h"
#include "ProportionLink.h"
#include "SizeLimit.h"

#include <QPushButton>
#include <QSpinBox>

ImageResizeDlg::ImageResizeDlg(int iWidth, int iHeight, QWidget *pParent)
    : CQDialog(pParent)
    , m_pUi(new Ui::ImageResizeDlg)
{
    m_pUi->setupUi(this);
    setTitle(windowTitle());
    m_pLimit = new SizeLimit(m_pUi->widthSpinBox, m_pUi->heightSpinBox, m_pUi->buttonBox->button(QDialogButtonBox::Ok), this);
    m_pUi->widthSpinBox->setValue(iWidth);
    m_pUi->heightSpinBox->setValue(iHeight);
    m_pLink = new ProportionLink(m_pUi->widthSpinBox, m_pUi->heightSpinBox, m_pUi->aspectRatioCheckBox,
                       m_pUi->ratioLabelCurrent, AspectRatio::Ratio(iWidth, iHeight), this);
    connect(m_pUi->widthSpinBox, &QSpinBox::valueChanged, this, &ImageResizeDlg::widthSpinBoxChanged);
    connect(m_pUi->heightSpinBox, &QSpinBox::valueChanged, this, &ImageResizeDlg::heightSpinBoxChanged);
    m_pUi->ratioLabel->setText(AspectRatio::Text(iWidth, iHeight));
    m_pUi->ratioLabelCurrent->setText(AspectRatio::Text(m_pUi->widthSpinBox->value(), m_pUi->heightSpinBox->value()));
}

ImageResizeDlg::~ImageResizeDlg()
{
    delete m_pUi;
}

void ImageResizeDlg::accept()
{
    if (!m_pLimit->Allowed())
        return;
    m_chosen = QSize(m_pUi->widthSpinBox->value(), m_pUi->heightSpinBox->value());
    CQDialog::accept();
}

void ImageResizeDlg::on_aspectRatioCheckBox_toggled(bool bValue)
{
    m_pLink->KeepToggled(bValue);
}

void ImageResizeDlg::widthSpinBoxChanged(int iVal)
{
    m_pLink->WidthChanged(iVal);
}

void ImageResizeDlg::heightSpinBoxChanged(int iVal)
{
    m_pLink->HeightChanged(iVal);
}
