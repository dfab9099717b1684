#include "PenOptions.h"

#include "ToolSwatches.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPen>

namespace PenOptions {

namespace {

constexpr QSize kSample(200, 20);

QIcon sample(Qt::PenStyle eStyle, Qt::PenCapStyle eCap, int iFrom, int iTo)
{
    QPixmap pixmap(kSample);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 5, eStyle, eCap, Qt::BevelJoin));
    painter.drawLine(iFrom, 10, iTo, 10);
    return QIcon(pixmap);
}

} // namespace

QComboBox *MakeStyleBox()
{
    auto *pBox = new QComboBox;
    pBox->setFixedWidth(300);
    pBox->setIconSize(kSample);
    const std::pair<const char *, Qt::PenStyle> styles[] = {{"Solid", Qt::SolidLine},
                                                            {"Dash", Qt::DashLine},
                                                            {"Dot", Qt::DotLine},
                                                            {"DashDot", Qt::DashDotLine},
                                                            {"DashDotDot", Qt::DashDotDotLine}};
    for (const auto &[name, style] : styles)
        pBox->addItem(sample(style, Qt::SquareCap, 5, 195), QString::fromLatin1(name), int(style));
    pBox->setCurrentIndex(0);
    return pBox;
}

QComboBox *MakeCapBox()
{
    auto *pBox = new QComboBox;
    pBox->setIconSize(kSample);
    const std::pair<const char *, Qt::PenCapStyle> caps[] = {
        {"Square", Qt::SquareCap}, {"Flag", Qt::FlatCap}, {"Round", Qt::RoundCap}};
    for (const auto &[name, cap] : caps)
        pBox->addItem(sample(Qt::SolidLine, cap, 15, 185), QString::fromLatin1(name), int(cap));
    pBox->setCurrentIndex(0);
    return pBox;
}

QComboBox *MakeWidthBox()
{
    auto *pBox = new QComboBox;
    for (int w = 1; w <= 15; ++w)
        pBox->addItem(QString::number(w));
    for (int w = 20; w <= 100; w += 5)
        pBox->addItem(QString::number(w));
    pBox->setCurrentIndex(2);
    return pBox;
}

QLabel *MakeSwatchLabel(ToolSwatches *pSwatches, const QString &labelText, const QString &swatchName,
                        const QString &iconText, QWidget **ppSwatch)
{
    auto *pLabel = new QLabel(labelText);
    pLabel->setFixedSize(100, 32);
    *ppSwatch = nullptr;
    if (!pSwatches)
        return pLabel;
    QWidget *pSwatch = pSwatches->CreateSwatch(swatchName, pLabel);
    pSwatch->setFixedSize(pLabel->size());
    pSwatch->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    pSwatch->setWindowIconText(iconText);
    *ppSwatch = pSwatch;
    return pLabel;
}

void SelectSwatch(ToolSwatches *pSwatches, QPointer<QWidget> &rCurrent, QWidget *pSwatch)
{
    if (pSwatches && rCurrent)
        pSwatches->SetSwatchSelected(rCurrent, false);
    rCurrent = pSwatch;
    if (pSwatches && rCurrent)
        pSwatches->SetSwatchSelected(rCurrent, true);
}

} // namespace PenOptions
