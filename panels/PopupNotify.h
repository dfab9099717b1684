#pragma once
// A short-lived notification centred over its parent: fades in, stays for the
// display time, fades out and deletes itself. With a display time of 0 it is
// never shown or timed; its owner drives it.
#include <QFont>
#include <QTextOption>
#include <QTimer>
#include <QWidget>

class QPropertyAnimation;

class PopupNotify : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity)
public:
    static constexpr int kFadeMs = 250;

    PopupNotify(const QString &text, QWidget *parent, int iDisplayTime);

    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);

    QString text() const { return m_text; }
    // Sets the text, recomputes the preferred size and resizes to it.
    void setText(const QString &text);
    QSize preferredSize() const { return QSize(m_width, m_height); }
    int displayTime() const { return m_displayTime; }

public slots:
    void TimeOut();

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_width = 0;
    int m_height = 0;
    int m_displayTime;
    QFont m_font;
    qreal m_opacity = 1.0;
    QTextOption m_textOption;
    QString m_text;
    QTimer m_timer;
    QPropertyAnimation *m_fadeIn;
    QPropertyAnimation *m_fadeOut;
};
