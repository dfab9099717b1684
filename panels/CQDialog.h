#pragma once
// Base of every dialog: a dark body under a blue title strip that drags the
// window, with rounded corners.
#include <QDialog>
#include <QPoint>

class QLabel;

class CQDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CQDialog(QWidget *parent = nullptr);

    // Sets the title strip's text and the window title.
    virtual void setTitle(const QString &title);

    QLabel *titleLabel() const { return m_titleLabel; }

    // The style sheet applied when the dialog is shown.
    static QString dialogStyleSheet();
    // The vertical blue gradient of every title strip, as a style sheet value.
    static QString titleGradient();
    // Check and radio boxes drawn light, as the sliders are: the platform's
    // own are dark on the dark dialogs and bars.
    static QString optionBoxStyleSheet();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_titleLabel;
    QPoint m_lastGlobalPos;
};
