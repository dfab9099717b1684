#include "ProportionLink.h"

#include "AspectRatio.h"

#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>

ProportionLink::ProportionLink(QSpinBox *pWidth, QSpinBox *pHeight, QCheckBox *pKeep, QLabel *pCurrent,
                               double dRatio, QObject *pParent)
    : QObject(pParent)
    , m_pWidth(pWidth)
    , m_pHeight(pHeight)
    , m_pKeep(pKeep)
    , m_pCurrent(pCurrent)
    , m_dRatio(dRatio)
{
}

void ProportionLink::KeepToggled(bool bValue)
{
    if (!bValue || m_dRatio <= 0)
        return;
    const int w = m_pWidth->value();
    const int h = m_pHeight->value();
    m_bGuard = true;
    if (w > h)
        m_pHeight->setValue(AspectRatio::HeightFor(w, m_dRatio));
    else
        m_pWidth->setValue(AspectRatio::WidthFor(h, m_dRatio));
    m_bGuard = false;
}

void ProportionLink::WidthChanged(int iVal)
{
    if (m_pKeep->isChecked() && !m_bGuard && m_dRatio > 0) {
        m_bGuard = true;
        m_pHeight->setValue(AspectRatio::HeightFor(iVal, m_dRatio));
        m_bGuard = false;
    }
    ShowCurrent();
}

void ProportionLink::HeightChanged(int iVal)
{
    if (m_pKeep->isChecked() && !m_bGuard && m_dRatio > 0) {
        m_bGuard = true;
        m_pWidth->setValue(AspectRatio::WidthFor(iVal, m_dRatio));
        m_bGuard = false;
    }
    ShowCurrent();
}

void ProportionLink::ShowCurrent()
{
    m_pCurrent->setText(AspectRatio::Text(m_pWidth->value(), m_pHeight->value()));
}
