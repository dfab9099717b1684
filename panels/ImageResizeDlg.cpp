#include "ImageResizeDlg.h"
#include "ui_ImageResizeDlg.h"

#include "AspectRatio.h"

ImageResizeDlg::ImageResizeDlg(int iWidth, int iHeight, QWidget *pParent)
    : CQDialog(pParent)
    , m_pUi(new Ui::ImageResizeDlg)
{
    m_pUi->setupUi(this);
    setTitle(windowTitle());
    m_pUi->widthSpinBox->setValue(iWidth);
    m_pUi->heightSpinBox->setValue(iHeight);
    connect(m_pUi->widthSpinBox, &QSpinBox::valueChanged, this, &ImageResizeDlg::widthSpinBoxChanged);
    connect(m_pUi->heightSpinBox, &QSpinBox::valueChanged, this, &ImageResizeDlg::heightSpinBoxChanged);
    m_reduced = AspectRatio::Reduced(iWidth, iHeight);
    m_dRatio = AspectRatio::Ratio(iWidth, iHeight);
    m_pUi->ratioLabel->setText(AspectRatio::Text(iWidth, iHeight));
    m_pUi->ratioLabelCurrent->setText(AspectRatio::Text(m_pUi->widthSpinBox->value(), m_pUi->heightSpinBox->value()));
}

ImageResizeDlg::~ImageResizeDlg()
{
    delete m_pUi;
}

void ImageResizeDlg::accept()
{
    m_chosen = QSize(m_pUi->widthSpinBox->value(), m_pUi->heightSpinBox->value());
    CQDialog::accept();
}

void ImageResizeDlg::on_aspectRatioCheckBox_toggled(bool bValue)
{
    if (!bValue || m_dRatio <= 0)
        return;
    const int w = m_pUi->widthSpinBox->value();
    const int h = m_pUi->heightSpinBox->value();
    m_bGuard = true;
    if (w > h)
        m_pUi->heightSpinBox->setValue(AspectRatio::HeightFor(w, m_dRatio));
    else
        m_pUi->widthSpinBox->setValue(AspectRatio::WidthFor(h, m_dRatio));
    m_bGuard = false;
}

void ImageResizeDlg::widthSpinBoxChanged(int iVal)
{
    if (m_pUi->aspectRatioCheckBox->isChecked() && !m_bGuard && m_dRatio > 0) {
        m_bGuard = true;
        m_pUi->heightSpinBox->setValue(AspectRatio::HeightFor(iVal, m_dRatio));
        m_bGuard = false;
    }
    m_pUi->ratioLabelCurrent->setText(AspectRatio::Text(m_pUi->widthSpinBox->value(), m_pUi->heightSpinBox->value()));
}

void ImageResizeDlg::heightSpinBoxChanged(int iVal)
{
    if (m_pUi->aspectRatioCheckBox->isChecked() && !m_bGuard && m_dRatio > 0) {
        m_bGuard = true;
        m_pUi->widthSpinBox->setValue(AspectRatio::WidthFor(iVal, m_dRatio));
        m_bGuard = false;
    }
    m_pUi->ratioLabelCurrent->setText(AspectRatio::Text(m_pUi->widthSpinBox->value(), m_pUi->heightSpinBox->value()));
}
