#include "SizeLimit.h"

#include "ImageFile.h"

#include <QAbstractButton>
#include <QSpinBox>

SizeLimit::SizeLimit(QSpinBox *pWidth, QSpinBox *pHeight, QAbstractButton *pOk, QObject *pParent)
    : QObject(pParent)
    , m_pWidth(pWidth)
    , m_pHeight(pHeight)
    , m_pOk(pOk)
{
    for (QSpinBox *pBox : {pWidth, pHeight}) {
        pBox->setRange(1, ImageFile::kMaxSide);
        connect(pBox, &QSpinBox::valueChanged, this, &SizeLimit::Update);
    }
    Update();
}

bool SizeLimit::Allowed() const
{
    return ImageFile::Fits(m_pWidth->value(), m_pHeight->value());
}

QString SizeLimit::TooLargeText()
{
    return QStringLiteral("A canvas may hold at most %1 pixels (for example 16384 x 16384).").arg(ImageFile::kMaxPixels);
}

void SizeLimit::Update()
{
    const bool bAllowed = Allowed();
    m_pOk->setEnabled(bAllowed);
    m_pOk->setToolTip(bAllowed ? QString() : TooLargeText());
}
