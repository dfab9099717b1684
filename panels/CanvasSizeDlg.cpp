#include "CanvasSizeDlg.h"
#include "ui_CanvasSizeDlg.h"

#include "AspectRatio.h"
#include "ProportionLink.h"
#include "SizeLimit.h"

#include <QPushButton>
#include <QSpinBox>

#include <QUndoStack>

CanvasSizeDlg::CanvasSizeDlg(int iWidth, int iHeight, QWidget *pParent)
    : CQDialog(pParent)
    , m_pUi(new Ui::CanvasSizeDlg)
{
    m_pUi->setupUi(this);
    setTitle(windowTitle());
    m_pLimit = new SizeLimit(m_pUi->widthSpinBox, m_pUi->heightSpinBox, m_pUi->buttonBox->button(QDialogButtonBox::Ok), this);
    m_pUi->widthSpinBox->setValue(iWidth);
    m_pUi->heightSpinBox->setValue(iHeight);

    // Indexed like the anchor grid: each arrow points away from the centre cell.
    const char *const names[9] = {"arrow_up_left", "arrow_up", "arrow_up_right", "arrow_left", nullptr,
                                  "arrow_right", "arrow_down_left", "arrow_down", "arrow_down_right"};
    for (int i = 0; i < 9; ++i)
        if (names[i])
            m_icons[i] = QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(names[i])));

    m_pLink = new ProportionLink(m_pUi->widthSpinBox, m_pUi->heightSpinBox, m_pUi->aspectRatioCheckBox,
                       m_pUi->ratioLabelCurrent, AspectRatio::Ratio(iWidth, iHeight), this);
    connect(m_pUi->widthSpinBox, &QSpinBox::valueChanged, this, &CanvasSizeDlg::widthSpinBoxChanged);
    connect(m_pUi->heightSpinBox, &QSpinBox::valueChanged, this, &CanvasSizeDlg::heightSpinBoxChanged);
    m_pUi->ratioLabel->setText(AspectRatio::Text(iWidth, iHeight));
    m_pUi->ratioLabelCurrent->setText(AspectRatio::Text(iWidth, iHeight));
    SetAnchor(m_iAnchor);
}

CanvasSizeDlg::~CanvasSizeDlg()
{
    delete m_pUi;
}

void CanvasSizeDlg::accept()
{
    if (m_pLimit->Allowed())
        CQDialog::accept();
}

QSize CanvasSizeDlg::ChosenSize() const
{
    return QSize(m_pUi->widthSpinBox->value(), m_pUi->heightSpinBox->value());
}

void CanvasSizeDlg::SetAnchor(int iAnchor)
{
    QPushButton *const buttons[9] = {m_pUi->anchor_topLeft, m_pUi->anchor_top, m_pUi->anchor_topRight,
                                     m_pUi->anchor_left, m_pUi->anchor_center, m_pUi->anchor_right,
                                     m_pUi->anchor_bottomLeft, m_pUi->anchor_bottom, m_pUi->anchor_bottomRight};
    for (QPushButton *pButton : buttons)
        pButton->setIcon(QIcon());
    const int row = iAnchor / 3;
    const int column = iAnchor % 3;
    for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
            const int r = row + dr;
            const int c = column + dc;
            if ((dr == 0 && dc == 0) || r < 0 || r > 2 || c < 0 || c > 2)
                continue;
            // The arrow of the direction from the anchor to this neighbour.
            buttons[r * 3 + c]->setIcon(m_icons[(dr + 1) * 3 + (dc + 1)]);
        }
    }
    m_iAnchor = iAnchor;
}

void CanvasSizeDlg::on_anchor_topLeft_clicked() { SetAnchor(0); }
void CanvasSizeDlg::on_anchor_top_clicked() { SetAnchor(1); }
void CanvasSizeDlg::on_anchor_topRight_clicked() { SetAnchor(2); }
void CanvasSizeDlg::on_anchor_left_clicked() { SetAnchor(3); }
void CanvasSizeDlg::on_anchor_center_clicked() { SetAnchor(4); }
void CanvasSizeDlg::on_anchor_right_clicked() { SetAnchor(5); }
void CanvasSizeDlg::on_anchor_bottomLeft_clicked() { SetAnchor(6); }
void CanvasSizeDlg::on_anchor_bottom_clicked() { SetAnchor(7); }
void CanvasSizeDlg::on_anchor_bottomRight_clicked() { SetAnchor(8); }

void CanvasSizeDlg::on_aspectRatioCheckBox_toggled(bool bValue)
{
    m_pLink->KeepToggled(bValue);
}

void CanvasSizeDlg::widthSpinBoxChanged(int iVal)
{
    m_pLink->WidthChanged(iVal);
}

void CanvasSizeDlg::heightSpinBoxChanged(int iVal)
{
    m_pLink->HeightChanged(iVal);
}
