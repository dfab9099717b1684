#include "ColorSwatch.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHash>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSettings>
#include <QToolTip>
#include <algorithm>

ColorSwatch::ColorSwatch(QWidget *pParent)
    : QWidget(pParent)
    , m_color(QColor::fromHsl(255, 255, 255, 255))
{
    setAcceptDrops(true);
    setStyleSheet(QStringLiteral("QToolTip, QToolTip * {color: black;background-color: rgba(20, 20, 20, 255);}"));
    m_antsTimer.setInterval(250);
    connect(&m_antsTimer, &QTimer::timeout, this, &ColorSwatch::MarchingAntsTimer);
}

ColorSwatch::ColorSwatch(const QString &name, QWidget *pParent) : ColorSwatch(pParent)
{
    setObjectName(name);
    Restore();
}

ColorSwatch::ColorSwatch(const QString &name, const QSettings &settings, QWidget *pParent) : ColorSwatch(pParent)
{
    setObjectName(name);
    Restore(settings);
}

bool ColorSwatch::event(QEvent *pEvent)
{
    // The tip is written when asked for: the palette alone has a hundred
    // swatches, and their colours change far more often than tips are shown.
    if (pEvent->type() == QEvent::ToolTip) {
        QToolTip::showText(static_cast<QHelpEvent *>(pEvent)->globalPos(), ToolTipFor(m_color), this);
        return true;
    }
    return QWidget::event(pEvent);
}

QString ColorSwatch::ToolTipFor(const QColor &color)
{
    const QColor cmyk = color.toCmyk();
    return QStringLiteral("HTML: %1\nRGB(%2, %3, %4)\nHSL(%5, %6, %7)\nCMYK(%8, %9, %10, %11)")
        .arg(color.name())
        .arg(color.red()).arg(color.green()).arg(color.blue())
        .arg(std::max(color.hslHue(), 0)).arg(color.hslSaturation()).arg(color.lightness())
        .arg(cmyk.cyan()).arg(cmyk.magenta()).arg(cmyk.yellow()).arg(cmyk.black());
}

void ColorSwatch::SetColorSilently(const QColor &color)
{
    m_color = color;
    if (m_bOpaqueOnly && m_color.isValid())
        m_color.setAlpha(255);
    m_dragPixmap = QPixmap();
    update();
}

void ColorSwatch::SetColor(const QColor &color)
{
    QSettings settings;
    SetColorIn(settings, color);
}

void ColorSwatch::SetColorIn(QSettings &settings, const QColor &color)
{
    SetColorSilently(color);
    // Nameless swatches have no key to keep their colour under.
    if (!objectName().isEmpty())
        settings.setValue(objectName(), m_color);
    emit ColorChanged(this);
}

void ColorSwatch::Restore()
{
    Restore(QSettings());
}

void ColorSwatch::Restore(const QSettings &settings)
{
    if (objectName().isEmpty())
        return;
    const QVariant saved = settings.value(objectName());
    if (saved.isValid() && saved.canConvert<QColor>()) {
        SetColorSilently(saved.value<QColor>());
        return;
    }
    // Until the user picks colours, the tools start from the ones most
    // drawings start from: black brush, lines and text on white, black to
    // white; an export without alpha on white.
    static const QHash<QString, QColor> firstColors = {
        {QStringLiteral("LineColorSwatch"), Qt::black},      {QStringLiteral("RectLineColorSwatch"), Qt::black},
        {QStringLiteral("RectFillColorSwatch"), Qt::white},  {QStringLiteral("TextColorSwatch"), Qt::black},
        {QStringLiteral("GradientStartColor"), Qt::black},   {QStringLiteral("GradientEndColor"), Qt::white},
        {QStringLiteral("FillColorSwatch"), Qt::black},     {QStringLiteral("BrushColorSwatch"), Qt::black},
        {QStringLiteral("ExportBackgroundSwatch"), Qt::white},
    };
    const auto first = firstColors.constFind(objectName());
    if (first != firstColors.cend())
        SetColorSilently(*first);
}

void ColorSwatch::SetSelected(bool bSelected)
{
    m_bSelected = bSelected;
    if (bSelected)
        m_antsTimer.start();
    else
        m_antsTimer.stop();
    update();
}

void ColorSwatch::MarchingAntsTimer()
{
    m_bAntsPhase = !m_bAntsPhase;
    update();
}

void ColorSwatch::OnClearSwatch()
{
    SetColor(QColor());
}

void ColorSwatch::OnInvertColor()
{
    if (!m_color.isValid())
        return;
    SetColor(QColor(255 - m_color.red(), 255 - m_color.green(), 255 - m_color.blue(), m_color.alpha()));
}

void ColorSwatch::OnCopyHTML()
{
    QApplication::clipboard()->setText(m_color.name());
}

void ColorSwatch::OnCopyColor()
{
    auto *pData = new QMimeData;
    pData->setColorData(m_color);
    QApplication::clipboard()->setMimeData(pData);
}

void ColorSwatch::OnPasteColor()
{
    const QMimeData *pData = QApplication::clipboard()->mimeData();
    if (pData && pData->hasColor())
        SetColor(pData->colorData().value<QColor>());
}

void ColorSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    for (int y = 0; y < height(); y += 4)
        for (int x = 0; x < width(); x += 4)
            painter.fillRect(x, y, 4, 4, ((x + y) / 4) % 2 ? QColor(204, 204, 204) : Qt::white);
    if (m_color.isValid())
        painter.fillRect(rect(), m_color);
    // Text and marching ants stay readable on dark colours too: a light
    // line under the dashes, and the text in whichever of black and white
    // stands out (a translucent colour reads as the light checkerboard).
    const bool bDark = m_color.alpha() > 128 && m_color.lightness() < 110;
    if (m_bSelected) {
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        QPen pen(Qt::black, 1, Qt::DashLine);
        pen.setDashOffset(m_bAntsPhase ? 3 : 0);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (!windowIconText().isEmpty()) {
        painter.setPen(bDark ? Qt::white : Qt::black);
        painter.setFont(QFont(QStringLiteral("Arial"), 12, QFont::Bold));
        painter.drawText(4, height() / 2 + painter.fontMetrics().ascent() / 2 - 1, windowIconText());
    }
}

void ColorSwatch::mousePressEvent(QMouseEvent *pEvent)
{
    if (pEvent->button() == Qt::LeftButton)
        m_pressPos = pEvent->position().toPoint();
    emit Selected(this);
}

void ColorSwatch::mouseMoveEvent(QMouseEvent *pEvent)
{
    if (!(pEvent->buttons() & Qt::LeftButton))
        return;
    if ((pEvent->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    if (m_dragPixmap.isNull())
        m_dragPixmap = grab();
    auto *pData = new QMimeData;
    pData->setColorData(m_color);
    auto *pDrag = new QDrag(this);
    pDrag->setMimeData(pData);
    pDrag->setPixmap(m_dragPixmap);
    pDrag->exec(Qt::CopyAction);
}

void ColorSwatch::mouseDoubleClickEvent(QMouseEvent *)
{
    emit DoubleClicked(this);
}

void ColorSwatch::contextMenuEvent(QContextMenuEvent *pEvent)
{
    const struct {
        const char *text;
        const char *tip;
        void (ColorSwatch::*slot)();
    } actions[] = {
        {"&Clear", "clear this swatch", &ColorSwatch::OnClearSwatch},
        {"&Invert Color", "invert the color", &ColorSwatch::OnInvertColor},
        {"&Copy HTML Color", "copy html color to the clipboard", &ColorSwatch::OnCopyHTML},
        {"Copy Color", "copy color to the clipboard", &ColorSwatch::OnCopyColor},
        {"Paste Color", "paste color from clipboard", &ColorSwatch::OnPasteColor},
    };
    // Made with the menu: a hundred swatches, a menu seldom opened.
    QMenu menu(this);
    for (const auto &a : actions) {
        QAction *pAction = menu.addAction(QString::fromLatin1(a.text), this, a.slot);
        pAction->setStatusTip(QString::fromLatin1(a.tip));
    }
    menu.exec(pEvent->globalPos());
}

void ColorSwatch::dragEnterEvent(QDragEnterEvent *pEvent)
{
    if (pEvent->mimeData()->hasColor())
        pEvent->acceptProposedAction();
}

void ColorSwatch::dropEvent(QDropEvent *pEvent)
{
    if (!pEvent->mimeData()->hasColor())
        return;
    const QColor color = pEvent->mimeData()->colorData().value<QColor>();
    emit ColorDrop(this, qobject_cast<ColorSwatch *>(pEvent->source()));
    SetColor(color);
    pEvent->acceptProposedAction();
}
