#include "ZoomTool.h"

#include "ChildWindow.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

QStringList ZoomTool::ZoomSteps()
{
    QStringList steps;
    for (int percent = 10; percent <= 100; percent += 5)
        steps << QString::number(percent);
    for (int percent = 125; percent <= 400; percent += 25)
        steps << QString::number(percent);
    return steps;
}

QCursor ZoomTool::ZoomCursor(bool bOut)
{
    const QPixmap pixmap(bOut ? QStringLiteral(":/icons/zoom_out.png") : QStringLiteral(":/icons/zoom_in.png"));
    return QCursor(pixmap, pixmap.width() / 2, pixmap.height() / 2);
}

QCursor ZoomTool::GetCursor() const
{
    return ZoomCursor(m_keys & Qt::ControlModifier);
}

void ZoomTool::Activate()
{
    m_keys = Qt::NoModifier;
    m_pLabel = AddOption(new QLabel(QStringLiteral("Zoom")));
    m_pCombo = AddOption(new QComboBox);
    m_pCombo->setEditable(true);
    m_pCombo->addItems(ZoomSteps());
    m_pCombo->setCurrentText(QStringLiteral("100"));
    m_pCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_pCombo->setMaxVisibleItems(m_pCombo->count());
    m_pCombo->setInsertPolicy(QComboBox::NoInsert);
    ShowZoomOf(CurrentWindow());
    // Connected only now, so that showing the zoom changes nothing.
    connect(m_pCombo, &QComboBox::textActivated, this, &ZoomTool::ZoomFactorChanged);
    connect(m_pCombo->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { ZoomFactorChanged(m_pCombo->currentText()); });
    BeginActivation();
}

void ZoomTool::Deactivate()
{
    EndActivation();
}

void ZoomTool::ShowZoomOf(ChildWindow *pWindow)
{
    if (m_pCombo && pWindow)
        m_pCombo->setEditText(QString::number(int(pWindow->ZoomFactor() * 100)));
}

void ZoomTool::ZoomFactorChanged(const QString &text)
{
    ChildWindow *pWindow = CurrentWindow();
    bool bOk = false;
    const int percent = text.trimmed().remove(QLatin1Char('%')).toInt(&bOk);
    if (!pWindow || !bOk)
        return;
    // Whatever is typed, the canvas never vanishes below 1 %.
    pWindow->SetZoom(qMax(1, percent));
    ShowZoomOf(pWindow);
}

void ZoomTool::MousePress(Qt::MouseButtons buttons, QPoint, Qt::KeyboardModifiers keys, ChildWindow *pWindow)
{
    m_keys = keys;
    if (!pWindow || !(buttons & Qt::LeftButton))
        return;
    m_dStep = keys & Qt::ControlModifier ? -20 : 20;
    const int current = m_pCombo ? m_pCombo->currentText().toInt() : int(pWindow->ZoomFactor() * 100);
    int percent = current + int(m_dStep);
    if (percent <= 0)
        percent = 1;
    if (m_pCombo)
        m_pCombo->setEditText(QString::number(percent, 'g', 6));
    pWindow->SetZoom(percent);
}

void ZoomTool::MouseWheel(int iDelta, ChildWindow *pWindow)
{
    if (!pWindow)
        return;
    pWindow->ZoomBy(iDelta / 8);
    ShowZoomOf(pWindow);
}

// Ctrl turns the cursor into the zoom-out one.
void ZoomTool::KeyPress(QKeyEvent *pEvent)
{
    m_keys = KeysAfter(pEvent);
    RefreshCursor();
}

void ZoomTool::KeyRelease(QKeyEvent *pEvent)
{
    KeyPress(pEvent);
}
