#include "CQTitleBar.h"
#include "TitleFont.h"
#include "ui_CQTitleBar.h"

#include <QMouseEvent>

static constexpr int kTitleBarHeight = 24;

CQTitleBar::CQTitleBar(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::CQTitleBar)
{
    registerTitleFont();
    ui->setupUi(this);
    const int w = parentWidget() ? parentWidget()->width() : width();
    ui->label->resize(w, height());
}

CQTitleBar::~CQTitleBar()
{
    delete ui;
}

void CQTitleBar::setTitle(const QString &title)
{
    ui->label->setText(title);
}

QString CQTitleBar::title() const
{
    return ui->label->text();
}

QSize CQTitleBar::sizeHint() const
{
    return QSize(parentWidget() ? parentWidget()->width() : width(), kTitleBarHeight);
}

QSize CQTitleBar::minimumSizeHint() const
{
    return sizeHint();
}

void CQTitleBar::mousePressEvent(QMouseEvent *event)
{
    event->ignore();
}

void CQTitleBar::resizeEvent(QResizeEvent *event)
{
    // The form has no layout; keep the label covering the strip.
    ui->label->resize(size());
    QWidget::resizeEvent(event);
}
