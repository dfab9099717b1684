#include "PopupNotify.h"
#include "TitleFont.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QPainter>
#include <QPropertyAnimation>

PopupNotify::PopupNotify(const QString &text, QWidget *parent, int iDisplayTime)
    : QWidget(parent)
    , m_displayTime(iDisplayTime)
    , m_font(QString::fromLatin1(kTitleFontFamily))
    , m_textOption(Qt::AlignHCenter | Qt::AlignVCenter)
    , m_fadeIn(new QPropertyAnimation(this, "opacity", this))
    , m_fadeOut(new QPropertyAnimation(this, "opacity", this))
{
    registerTitleFont();
    m_font.setBold(true);
    m_font.setPixelSize(24);
    setOpacity(1.0);
    setText(text);
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(QStringLiteral("color: rgb(255,255,255);"));

    m_fadeIn->setDuration(kFadeMs);
    m_fadeIn->setStartValue(0.0);
    m_fadeIn->setEndValue(1.0);
    m_fadeOut->setDuration(kFadeMs);
    m_fadeOut->setStartValue(1.0);
    m_fadeOut->setEndValue(0.0);

    if (m_displayTime != 0) {
        show();
        connect(&m_timer, &QTimer::timeout, this, &PopupNotify::TimeOut);
        m_timer.setSingleShot(true);
        m_timer.setInterval(m_displayTime);
        m_timer.start();
    }

    if (parentWidget()) {
        const QRect r = parentWidget()->rect();
        move(r.center().x() - width() / 2, r.center().y() - height() / 2);
    }
}

void PopupNotify::setText(const QString &text)
{
    m_text = text;
    if (text.isEmpty()) {
        m_width = 0;
        m_height = 0;
    } else {
        const QFontMetrics metrics(m_font);
        const QSize size = metrics.size(0, text);
        m_width = size.width();
        m_height = size.height();
    }
    resize(m_width, m_height);
    update();
}

void PopupNotify::setOpacity(qreal opacity)
{
    m_opacity = opacity;
    if (m_fadeOut && m_fadeOut->state() == QAbstractAnimation::Running && opacity <= 0.0)
        close();
    else
        update();
}

void PopupNotify::TimeOut()
{
    m_fadeOut->start();
}

void PopupNotify::showEvent(QShowEvent *event)
{
    m_fadeIn->start();
    QWidget::showEvent(event);
}

void PopupNotify::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, qBound(0, int(m_opacity * 128), 255)));
    painter.setFont(m_font);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(rect()), m_text, m_textOption);
}

void PopupNotify::resizeEvent(QResizeEvent *event)
{
    if (!size().isEmpty()) {
        QBitmap mask(size());
        mask.clear();
        QPainter painter(&mask);
        painter.setPen(Qt::color1);
        painter.setBrush(Qt::color1);
        painter.drawRoundedRect(rect(), 5, 5);
        painter.end();
        setMask(mask);
    } else {
        clearMask();
    }
    QWidget::resizeEvent(event);
}
