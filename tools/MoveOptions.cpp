#include "MoveOptions.h"

#include <QDial>
#include <QDoubleSpinBox>
#include <QIcon>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>

void MoveOptions::Create(const std::function<void(QWidget *)> &add)
{
    add(new QLabel(QStringLiteral("Rotate")));
    m_pDial = new QDial;
    add(m_pDial);
    m_pDial->setWrapping(true);
    m_pDial->setFixedSize(32, 32);
    m_pDial->setRange(0, 359);
    add(new QLabel(QStringLiteral("Degrees")));
    m_pSpin = new QDoubleSpinBox;
    add(m_pSpin);
    m_pSpin->setRange(0, 360);
    add(new QLabel(QStringLiteral("Commit? ")));
    m_pAccept = new QToolButton;
    add(m_pAccept);
    m_pAccept->setIcon(QIcon(QStringLiteral(":/icons/accept.png")));
    m_pAccept->setEnabled(false);
    m_pCancel = new QToolButton;
    add(m_pCancel);
    m_pCancel->setIcon(QIcon(QStringLiteral(":/icons/cancel.png")));
    m_pCancel->setEnabled(false);

    // The dial turns in whole degrees; the spin box says the angle, and
    // only its changes reach the tool.
    connect(m_pDial, &QDial::valueChanged, this, [this](int iValue) {
        if (m_pSpin && int(m_pSpin->value()) % 360 != iValue)
            m_pSpin->setValue(iValue);
    });
    connect(m_pSpin, &QDoubleSpinBox::valueChanged, this, [this](double dValue) {
        if (m_pDial && m_pDial->value() != int(dValue) % 360) {
            const QSignalBlocker block(m_pDial);
            m_pDial->setValue(int(dValue) % 360);
        }
        Q_EMIT RotationChanged(dValue);
    });
    connect(m_pAccept, &QToolButton::clicked, this, &MoveOptions::Accepted);
    connect(m_pCancel, &QToolButton::clicked, this, &MoveOptions::Cancelled);
}

void MoveOptions::ShowRotation(double dDegrees)
{
    if (m_pSpin) {
        const QSignalBlocker block(m_pSpin);
        m_pSpin->setValue(dDegrees);
    }
    if (m_pDial) {
        const QSignalBlocker block(m_pDial);
        m_pDial->setValue(int(dDegrees) % 360);
    }
}

void MoveOptions::SetPending(bool bPending)
{
    if (m_pAccept)
        m_pAccept->setEnabled(bPending);
    if (m_pCancel)
        m_pCancel->setEnabled(bPending);
}
