#pragma once
// Title strip of the dockable panels. Presses fall through to the dock widget
// underneath so that it can start its own drag.
#include <QWidget>

namespace Ui { class CQTitleBar; }

class CQTitleBar : public QWidget
{
    Q_OBJECT
public:
    explicit CQTitleBar(QWidget *parent = nullptr);
    ~CQTitleBar() override;

    void setTitle(const QString &title);
    QString title() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Ui::CQTitleBar *ui;
};
