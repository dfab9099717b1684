#include "LayerStyleDlg.h"
#include "ui_LayerStyleDlg.h"

#include "ChangeLayerStyleCmd.h"
#include "ColorPicker.h"
#include "ColorSwatch.h"
#include "Document.h"
#include "KernelReportDlg.h"
#include "Layer.h"
#include "LayerStyleMgr.h"
#include "ProgramCache.h"

#include <QApplication>
#include <QMouseEvent>
#include <QUndoStack>

LayerStyleDlg::LayerStyleDlg(QWidget *pParent)
    : CQDialog(pParent)
    , m_pUi(new Ui::LayerStyleDlg)
{
    m_pUi->setupUi(this);
    setTitle(windowTitle());
    // Each slider and its spin box follow each other.
    const QList<QPair<QSlider *, QSpinBox *>> pairs = {
        {m_pUi->dropShadowAngle, m_pUi->dropShadowAngleVal},
        {m_pUi->dropShadowOpacity, m_pUi->dropShadowOpacityVal},
        {m_pUi->dropShadowDistance, m_pUi->dropShadowDistanceVal},
        {m_pUi->outterGlowDistance, m_pUi->outterGlowDistanceVal},
        {m_pUi->outterGlowOpacity, m_pUi->outterGlowOpacityVal},
    };
    for (const auto &[pSlider, pSpin] : pairs) {
        connect(pSlider, &QSlider::valueChanged, pSpin, &QSpinBox::setValue);
        connect(pSpin, &QSpinBox::valueChanged, pSlider, &QSlider::setValue);
        // Letting go of a slider ends its gesture.
        connect(pSlider, &QSlider::sliderReleased, this, [this] { m_iOpenGesture = 0; });
    }
    connect(m_pUi->colorSwatchShadowColor, &ColorSwatch::ColorChanged, this, &LayerStyleDlg::DropShadowColorChanged);
    connect(m_pUi->colorSwatchGlowColor, &ColorSwatch::ColorChanged, this, &LayerStyleDlg::OuterGlowColorChanged);
    for (ColorSwatch *pSwatch : {m_pUi->colorSwatchShadowColor, m_pUi->colorSwatchGlowColor})
        connect(pSwatch, &ColorSwatch::DoubleClicked, this, [this](ColorSwatch *pClicked) {
            if (m_pPalette)
                m_pPalette->SetColor(pClicked->Color());
        });
    connect(m_pUi->buttonBox, &QDialogButtonBox::accepted, this, &QWidget::close);
    // A tab coming into view shows the layer's values, whatever its swatch
    // restored from the settings.
    connect(m_pUi->tabWidget, &QTabWidget::currentChanged, this, &LayerStyleDlg::LoadControls);
    m_pUi->dropShadowErrorBtn->hide();
    m_pUi->outterGlowErrorBtn->hide();
}

LayerStyleDlg::~LayerStyleDlg()
{
    delete m_pUi;
}

void LayerStyleDlg::SetLayer(Layer *pLayer)
{
    if (m_pDocument)
        disconnect(m_pDocument, nullptr, this, nullptr);
    m_pLayer = pLayer;
    m_pDocument = pLayer ? pLayer->owner() : nullptr;
    m_iOpenGesture = 0;
    if (!pLayer) {
        hide();
        return;
    }
    if (m_pDocument) {
        connect(m_pDocument, &Document::LayerChanged, this, &LayerStyleDlg::LayerChanged);
        connect(m_pDocument, &Document::LayerRemoved, this, [this](Layer *pRemoved) {
            if (pRemoved == m_pLayer)
                SetLayer(nullptr);
        });
        connect(m_pDocument, &Document::Closing, this, [this] { SetLayer(nullptr); });
    }
    LoadControls();
}

void LayerStyleDlg::LayerChanged(Layer *pLayer)
{
    // Undo, redo and files change styles too; the controls follow. While
    // an edit of this dialog runs, the controls are what made it.
    if (pLayer == m_pLayer && m_iEditDepth == 0)
        LoadControls();
}

void LayerStyleDlg::LoadControls()
{
    if (!m_pLayer)
        return;
    LayerStyleMgr &mgr = m_pLayer->styles();
    const QList<LayerStyle *> available = mgr.styles();
    LayerDropShadow &shadow = mgr.dropShadow();
    LayerOuterGlow &glow = mgr.outerGlow();
    m_bUpdating = true;
    // A style whose kernels could not be built cannot be switched on; its
    // error button leads to the build report.
    const bool bShadow = available.contains(&shadow), bGlow = available.contains(&glow);
    m_pUi->dropShadowEnabled->setEnabled(bShadow);
    m_pUi->dropShadowErrorBtn->setVisible(!bShadow);
    m_pUi->outterGlowEnabled->setEnabled(bGlow);
    m_pUi->outterGlowErrorBtn->setVisible(!bGlow);
    m_pUi->dropShadowEnabled->setChecked(shadow.isEnabled());
    m_pUi->dropShadowAngle->setValue(shadow.angle());
    m_pUi->dropShadowDistance->setValue(shadow.distance());
    m_pUi->dropShadowOpacity->setValue(shadow.opacity());
    m_pUi->colorSwatchShadowColor->SetColor(shadow.color());
    m_pUi->outterGlowEnabled->setChecked(glow.isEnabled());
    m_pUi->outterGlowDistance->setValue(glow.distance());
    m_pUi->outterGlowOpacity->setValue(glow.opacity());
    m_pUi->colorSwatchGlowColor->SetColor(glow.color());
    m_bUpdating = false;
}

template <typename Change>
void LayerStyleDlg::Edit(Change change)
{
    if (!m_pLayer || m_bUpdating)
        return;
    if (m_iEditDepth > 0) {
        change();
        return;
    }
    const QByteArray before = m_pLayer->styles().State();
    ++m_iEditDepth;
    change();
    --m_iEditDepth;
    const QByteArray after = m_pLayer->styles().State();
    if (after == before)
        return;
    if (Document *pDocument = m_pLayer->owner())
        pDocument->undoStack()->push(new ChangeLayerStyleCmd(m_pLayer, before, after, Gesture()));
}

int LayerStyleDlg::Gesture()
{
    bool bHeld = QGuiApplication::mouseButtons() != Qt::NoButton;
    for (QSlider *pSlider : {m_pUi->dropShadowAngle, m_pUi->dropShadowDistance, m_pUi->dropShadowOpacity,
                             m_pUi->outterGlowDistance, m_pUi->outterGlowOpacity})
        bHeld = bHeld || pSlider->isSliderDown();
    if (!bHeld) {
        m_iOpenGesture = 0;
        return 0;
    }
    if (m_iOpenGesture == 0)
        m_iOpenGesture = ++m_iGestures;
    return m_iOpenGesture;
}

bool LayerStyleDlg::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    // Any mouse button let go ends the gesture (a slider, the palette's wheel).
    if (pEvent->type() == QEvent::MouseButtonRelease)
        m_iOpenGesture = 0;
    return CQDialog::eventFilter(pWatched, pEvent);
}

void LayerStyleDlg::SetPalette(ColorPicker *pPalette)
{
    m_pPalette = pPalette;
}

void LayerStyleDlg::showEvent(QShowEvent *pEvent)
{
    CQDialog::showEvent(pEvent);
    // The controls show the layer's styles as they are now.
    LoadControls();
    qApp->installEventFilter(this);
    if (m_pPalette)
        m_pPalette->SetColorTarget(this, "ColorPickerChanged(QColor)");
}

void LayerStyleDlg::hideEvent(QHideEvent *pEvent)
{
    qApp->removeEventFilter(this);
    m_iOpenGesture = 0;
    if (m_pPalette)
        m_pPalette->ClearColorTarget();
    CQDialog::hideEvent(pEvent);
}

// --- The controls -------------------------------------------------------------------------

void LayerStyleDlg::on_dropShadowEnabled_toggled(bool bChecked)
{
    Edit([&] { m_pLayer->styles().dropShadow().setEnabled(bChecked); });
}

void LayerStyleDlg::on_dropShadowAngle_valueChanged(int iValue)
{
    Edit([&] { m_pLayer->styles().dropShadow().setAngle(iValue); });
}

void LayerStyleDlg::on_dropShadowDistance_valueChanged(int iValue)
{
    Edit([&] { m_pLayer->styles().dropShadow().setDistance(iValue); });
}

void LayerStyleDlg::on_dropShadowOpacity_valueChanged(int iValue)
{
    if (m_pLayer)
        OpacityChanged(&m_pLayer->styles().dropShadow(), m_pUi->colorSwatchShadowColor, iValue);
}

void LayerStyleDlg::DropShadowColorChanged(ColorSwatch *pSwatch)
{
    if (m_pLayer)
        ColorChanged(&m_pLayer->styles().dropShadow(), m_pUi->dropShadowTab, m_pUi->dropShadowOpacity, pSwatch);
}

void LayerStyleDlg::on_dropShadowErrorBtn_clicked()
{
    if (m_pLayer)
        ShowBuildReport(&m_pLayer->styles().dropShadow());
}

void LayerStyleDlg::on_outterGlowEnabled_toggled(bool bChecked)
{
    Edit([&] { m_pLayer->styles().outerGlow().setEnabled(bChecked); });
}

void LayerStyleDlg::on_outterGlowDistance_valueChanged(int iValue)
{
    Edit([&] { m_pLayer->styles().outerGlow().setDistance(iValue); });
}

void LayerStyleDlg::on_outterGlowOpacity_valueChanged(int iValue)
{
    if (m_pLayer)
        OpacityChanged(&m_pLayer->styles().outerGlow(), m_pUi->colorSwatchGlowColor, iValue);
}

void LayerStyleDlg::OuterGlowColorChanged(ColorSwatch *pSwatch)
{
    if (m_pLayer)
        ColorChanged(&m_pLayer->styles().outerGlow(), m_pUi->outterGlowTab, m_pUi->outterGlowOpacity, pSwatch);
}

void LayerStyleDlg::on_outterGlowErrorBtn_clicked()
{
    if (m_pLayer)
        ShowBuildReport(&m_pLayer->styles().outerGlow());
}

void LayerStyleDlg::ColorPickerChanged(QColor color)
{
    // The palette colours the swatch that shows.
    ColorSwatch *pSwatch = m_pUi->tabWidget->currentWidget() == m_pUi->dropShadowTab ? m_pUi->colorSwatchShadowColor
                                                                                     : m_pUi->colorSwatchGlowColor;
    pSwatch->SetColor(color);
}

// The opacity and the alpha of the style's colour are one value: moving
// the slider gives the swatch that alpha, and a colour given to the swatch
// moves the slider to its alpha.
void LayerStyleDlg::OpacityChanged(LayerStyle *pStyle, ColorSwatch *pSwatch, int iValue)
{
    Edit([&] {
        if (iValue == pStyle->opacity())
            return;
        pStyle->setOpacity(iValue);
        QColor color = pSwatch->Color().isValid() ? pSwatch->Color() : pStyle->color();
        color.setAlpha(iValue);
        pStyle->setColor(color);
        if (pSwatch->Color() != color)
            pSwatch->SetColor(color);
    });
}

void LayerStyleDlg::ColorChanged(LayerStyle *pStyle, QWidget *pTab, QSlider *pOpacity, ColorSwatch *pSwatch)
{
    if (m_bUpdating || m_pUi->tabWidget->currentWidget() != pTab)
        return;
    Edit([&] {
        const QColor color = pSwatch->Color();
        pOpacity->setValue(color.isValid() ? color.alpha() : 0);
        pStyle->setColor(color);
    });
}

void LayerStyleDlg::ShowBuildReport(LayerStyle *pStyle)
{
    // The program-wide report, with this style's own log under its name
    // (its programs may come from another cache than the program's).
    QMap<QString, QString> report;
    if (ProgramCache *pCache = m_pLayer ? m_pLayer->styles().Programs() : nullptr)
        report = pCache->buildReport();
    report.insert(pStyle->name(), pStyle->buildLog());
    QWidget *pOver = parentWidget() ? parentWidget()->window() : this;
    auto *pReport = new KernelReportDlg(report, pOver);
    pReport->Select(pStyle->name());
    pReport->exec();
}
