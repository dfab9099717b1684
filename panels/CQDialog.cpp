#include "CQDialog.h"
#include "TitleFont.h"

#include <QBitmap>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

static constexpr int kTitleHeight = 32;
static constexpr int kCornerRadius = 15;

QString CQDialog::titleGradient()
{
    return QStringLiteral("QLinearGradient( x1: 0, y1: 0, x2: 0, y2: 1, "
                          "stop: 0 #88d, stop: 0.1 #99e, stop: 0.49 #77c, "
                          "stop: 0.5 #66b, stop: 1 #323232)");
}

QString CQDialog::optionBoxStyleSheet()
{
    return QStringLiteral(
        "QCheckBox, QRadioButton { color: white; spacing: 5px; }"
        "QCheckBox:disabled, QRadioButton:disabled { color: #999; }"
        "QCheckBox::indicator { width: 14px; height: 14px; background: white; border: 1px solid #777;"
        " border-radius: 3px; }"
        "QCheckBox::indicator:checked { image: url(:/icons/check_tick.png); }"
        "QCheckBox::indicator:disabled { background: #bbb; }");
}

QString CQDialog::dialogStyleSheet()
{
    static const QString button = QStringLiteral(
        "stop: 0 #88d, stop: 0.1 #99e, stop: 0.49 #77c, stop: 0.5 #66b, stop: 1 #77c");
    return QStringLiteral(
               "QDialog, QDialog * { background-color: rgb(50, 50, 50); color: white; }"
               "QToolTip, QToolTip * { color: black; background-color: %1; }"
               "QPushButton { color: white;"
               " background-color: QLinearGradient( x1: 0, y1: 0, x2: 0, y2: 1, %2);"
               " border: 1px solid #339; border-radius: 7px;"
               " padding: 3px; padding-left: 5px; padding-right: 5px;"
               " font-size: 10px; min-width: 50px; max-width: 50px;"
               " min-height: 13px; max-height: 13px; }"
               "QPushButton:hover {"
               " background-color: QLinearGradient( x1: 0, y1: 1, x2: 0, y2: 0, %2); }"
               "QPushButton:disabled { color: black;"
               " background-color: QLinearGradient( x1: 0, y1: 0, x2: 0, y2: 1,"
               " stop: 0 #F8F8F8, stop: 0.25 #E0E0E0, stop: 0.5 #C8C8C8,"
               " stop: 0.75 #B8B8B8, stop: 1 #989898); }"
               "QSlider::groove:horizontal { border: 1px solid #bbb; background: white;"
               " height: 10px; border-radius: 4px; }"
               "QSlider::sub-page:horizontal {"
               " background: QLinearGradient( x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #bbf, stop: 1 #55f);"
               " border: 1px solid #777; height: 10px; border-radius: 4px; }"
               "QSlider::add-page:horizontal { background: #fff; border: 1px solid #777;"
               " height: 10px; border-radius: 4px; }"
               "QSlider::handle:horizontal {"
               " background: QLinearGradient( x1: 0, y1: 0, x2: 1, y2: 1, stop: 0 #eee, stop: 1 #ccc);"
               " border: 1px solid #777; width: 13px; margin-top: -2px; margin-bottom: -2px;"
               " border-radius: 4px; }"
               "QSlider::handle:horizontal:hover {"
               " background: QLinearGradient( x1: 0, y1: 0, x2: 1, y2: 1, stop: 0 #fff, stop: 1 #ddd);"
               " border: 1px solid #444; border-radius: 4px; }"
               "QSlider::sub-page:horizontal:disabled { background: #bbb; border-color: #999; }"
               "QSlider::add-page:horizontal:disabled { background: #eee; border-color: #999; }"
               "QSlider::handle:horizontal:disabled { background: #eee; border: 1px solid #aaa;"
               " border-radius: 4px; }")
               .arg(titleGradient(), button)
           + optionBoxStyleSheet();
}

CQDialog::CQDialog(QWidget *parent)
    : QDialog(parent)
    , m_titleLabel(new QLabel(this))
{
    registerTitleFont();
    m_titleLabel->setStyleSheet(QStringLiteral("background-color: %1;").arg(titleGradient()));
    m_titleLabel->setGeometry(0, 0, width(), kTitleHeight);

    QFont font(QString::fromLatin1(kTitleFontFamily), 12, QFont::Bold);
    font.setStyleHint(QFont::AnyStyle, QFont::PreferAntialias);
    m_titleLabel->setFont(font);
    m_titleLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    m_titleLabel->installEventFilter(this);
}

void CQDialog::setTitle(const QString &title)
{
    m_titleLabel->setText(title);
    setWindowTitle(title);
}

void CQDialog::showEvent(QShowEvent *event)
{
    setStyleSheet(dialogStyleSheet());
    QDialog::showEvent(event);
}

void CQDialog::resizeEvent(QResizeEvent *event)
{
    m_titleLabel->setGeometry(0, 0, width(), kTitleHeight);
    m_titleLabel->setText(windowTitle());
    m_titleLabel->raise();

    QBitmap mask(size());
    mask.clear();
    {
        QPainter painter(&mask);
        painter.setPen(Qt::color1);
        painter.setBrush(Qt::color1);
        painter.drawRoundedRect(rect(), kCornerRadius, kCornerRadius);
    }
    setMask(mask);

    QDialog::resizeEvent(event);
}

bool CQDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_titleLabel) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            m_titleLabel->grabMouse();
            m_lastGlobalPos = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            break;
        case QEvent::MouseMove: {
            const QPoint pos = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            move(this->pos() + (pos - m_lastGlobalPos));
            m_lastGlobalPos = pos;
            break;
        }
        case QEvent::MouseButtonRelease:
            m_titleLabel->releaseMouse();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
