#include "ColorPicker.h"
#include "CQTitleBar.h"
#include "ColorSwatch.h"
#include "ColorWheel.h"
#include "ui_ColorPicker.h"

#include <QGridLayout>
#include <QLabel>
#include <QMetaMethod>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <algorithm>

namespace {

struct Component {
    const char *name;
    int maximum;
};

const char *const kModelNames[ColorPicker::ModelCount] = {"HSL", "HSV", "RGB", "CMYK"};

const QList<Component> &components(ColorPicker::Model eModel)
{
    static const QList<Component> table[ColorPicker::ModelCount] = {
        {{"Hue", 359}, {"Saturation", 255}, {"Lightness", 255}, {"Alpha", 255}},
        {{"Hue", 359}, {"Saturation", 255}, {"Value", 255}, {"Alpha", 255}},
        {{"Red", 255}, {"Green", 255}, {"Blue", 255}, {"Alpha", 255}},
        {{"Cyan", 255}, {"Magenta", 255}, {"Yellow", 255}, {"Black", 255}, {"Alpha", 255}},
    };
    return table[eModel];
}

QColor colorFrom(ColorPicker::Model eModel, const QList<int> &v)
{
    switch (eModel) {
    case ColorPicker::HSL:
        return QColor::fromHsl(v[0], v[1], v[2], v[3]);
    case ColorPicker::HSV:
        return QColor::fromHsv(v[0], v[1], v[2], v[3]);
    case ColorPicker::RGB:
        return QColor(v[0], v[1], v[2], v[3]);
    default:
        return QColor::fromCmyk(v[0], v[1], v[2], v[3], v[4]);
    }
}

// A colour's components in a model; a grey's hue is -1 (undefined).
QList<int> componentsOf(ColorPicker::Model eModel, const QColor &c)
{
    switch (eModel) {
    case ColorPicker::HSL:
        return {c.hslHue(), c.hslSaturation(), c.lightness(), c.alpha()};
    case ColorPicker::HSV:
        return {c.hsvHue(), c.hsvSaturation(), c.value(), c.alpha()};
    case ColorPicker::RGB:
        return {c.red(), c.green(), c.blue(), c.alpha()};
    default: {
        const QColor k = c.toCmyk();
        return {k.cyan(), k.magenta(), k.yellow(), k.black(), c.alpha()};
    }
    }
}

QString rgbaText(const QColor &c)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

} // namespace

ColorPicker::ColorPicker(QWidget *pParent)
    : QDockWidget(pParent)
    , m_pUi(new Ui::ColorPicker)
{
    m_pUi->setupUi(this);
    auto *pTitle = new CQTitleBar(this);
    pTitle->setTitle(QStringLiteral("Palette"));
    setTitleBarWidget(pTitle);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);

    BuildSliderPages();
    BuildPalette();
    m_pUi->colorSwatchForeground->Restore();
    EditOnDoubleClick(m_pUi->colorSwatchForeground);

    QSettings settings;
    if (!settings.contains(QStringLiteral("firstRun"))) {
        // Evenly spaced hues; "swatch" keeps its own colour. One write for
        // them all: each settings write waits for the disk.
        for (int i = 2; i <= kSwatchCount; ++i)
            m_swatches[i - 1]->SetColorIn(settings,
                                          QColor::fromHsl(int(double(i) / kSwatchCount * 360) % 360, 128, 128, 255));
    }
    const QByteArray geometry = settings.value(QStringLiteral("ColorPickerBodyGeometry")).toByteArray();
    if (!geometry.isEmpty())
        widget()->restoreGeometry(geometry);

    connect(m_pUi->mainTabs, &QTabWidget::currentChanged, this, &ColorPicker::MainTabChanged);
    connect(m_pUi->colorSliderTabs, &QTabWidget::currentChanged, this, &ColorPicker::SliderTabChanged);
    connect(m_pUi->colorWheel, &ColorWheel::ColorChanged, this, &ColorPicker::ColorWheelChanged);
    connect(m_pUi->colorWheelLightnessSlider, &QSlider::valueChanged, this, &ColorPicker::ColorWheelLightnessChanged);
    connect(m_pUi->colorWheelAlphaSlider, &QSlider::valueChanged, this, &ColorPicker::ColorWheelAlphaChanged);
    connect(m_pUi->colorSwatchForeground, &ColorSwatch::ColorChanged, this, [this](ColorSwatch *pSwatch) {
        // A drop, paste, clear or invert on the foreground swatch.
        if (m_bUpdating || !pSwatch->Color().isValid())
            return;
        LoadControls(pSwatch->Color());
        Propagate(pSwatch->Color());
    });
    LoadControls(Color());
}

ColorPicker::~ColorPicker()
{
    QSettings().setValue(QStringLiteral("ColorPickerBodyGeometry"), widget()->saveGeometry());
    delete m_pUi;
}

void ColorPicker::BuildSliderPages()
{
    QGridLayout *layouts[ModelCount] = {m_pUi->hslLayout, m_pUi->hsvLayout, m_pUi->rgbLayout, m_pUi->cmykLayout};
    for (int m = 0; m < ModelCount; ++m) {
        const Model eModel = Model(m);
        const QList<Component> &list = components(eModel);
        for (int i = 0; i < list.size(); ++i) {
            const QString suffix = QStringLiteral("_%1_%2").arg(QLatin1String(kModelNames[m]), QLatin1String(list[i].name));
            auto *pLabel = new QLabel(QLatin1String(list[i].name), this);
            auto *pSlider = new QSlider(Qt::Horizontal, this);
            pSlider->setObjectName(QStringLiteral("colorSlider") + suffix);
            pSlider->setRange(0, list[i].maximum);
            auto *pSpin = new QSpinBox(this);
            pSpin->setObjectName(QStringLiteral("colorSpin") + suffix);
            pSpin->setRange(0, list[i].maximum);
            layouts[m]->addWidget(pLabel, i, 0);
            layouts[m]->addWidget(pSlider, i, 1);
            layouts[m]->addWidget(pSpin, i, 2);
            connect(pSlider, &QSlider::valueChanged, pSpin, &QSpinBox::setValue);
            connect(pSpin, &QSpinBox::valueChanged, pSlider, &QSlider::setValue);
            connect(pSlider, &QSlider::valueChanged, this, [this, eModel] { ComponentChanged(eModel); });
            m_sliders[m].append(pSlider);
            m_spins[m].append(pSpin);
        }
    }
}

void ColorPicker::BuildPalette()
{
    constexpr int kColumns = 16;
    // One for them all: each settings object made looks for its files anew.
    const QSettings settings;
    for (int i = 1; i <= kSwatchCount; ++i) {
        const QString name = i == 1 ? QStringLiteral("swatch") : QStringLiteral("swatch_%1").arg(i);
        auto *pSwatch = new ColorSwatch(name, settings, m_pUi->swatchContainer);
        pSwatch->setFixedSize(12, 12);
        m_pUi->swatchGrid->addWidget(pSwatch, (i - 1) / kColumns, (i - 1) % kColumns);
        connect(pSwatch, &ColorSwatch::Selected, this, &ColorPicker::SwatchSelected);
        EditOnDoubleClick(pSwatch);
        m_swatches.append(pSwatch);
    }
}

QColor ColorPicker::Color() const
{
    return m_pUi->colorSwatchForeground->Color();
}

ColorSwatch *ColorPicker::ForegroundSwatch() const
{
    return m_pUi->colorSwatchForeground;
}

QSlider *ColorPicker::ComponentSlider(Model eModel, int iComponent) const
{
    return m_sliders[eModel].value(iComponent);
}

QColor ColorPicker::PageColor(Model eModel) const
{
    QList<int> values;
    for (const QSlider *pSlider : m_sliders[eModel])
        values << pSlider->value();
    return colorFrom(eModel, values);
}

void ColorPicker::LoadPage(Model eModel, const QColor &color)
{
    const QList<int> values = componentsOf(eModel, color);
    const bool bWasUpdating = m_bUpdating;
    m_bUpdating = true;
    for (int i = 0; i < values.size(); ++i)
        if (values[i] >= 0) // a grey keeps the hue it had
            m_sliders[eModel][i]->setValue(values[i]);
    m_bUpdating = bWasUpdating;
    // Only the page in view: restyling a slider is slow, and showing a page
    // loads it again.
    if (m_pUi->mainTabs->currentWidget() == m_pUi->sliderTab && m_pUi->colorSliderTabs->currentIndex() == eModel)
        StyleGrooves(eModel);
}

void ColorPicker::StyleGrooves(Model eModel)
{
    // Each groove shows its component's range with the others held.
    constexpr int kStops = 7;
    QList<int> values;
    for (const QSlider *pSlider : m_sliders[eModel])
        values << pSlider->value();
    for (int i = 0; i < values.size(); ++i) {
        QString stops;
        for (int s = 0; s < kStops; ++s) {
            QList<int> v = values;
            v[i] = components(eModel)[i].maximum * s / (kStops - 1);
            stops += QStringLiteral(", stop: %1 %2").arg(double(s) / (kStops - 1)).arg(rgbaText(colorFrom(eModel, v)));
        }
        m_sliders[eModel][i]->setStyleSheet(
            QStringLiteral("QSlider::groove:horizontal { border: 1px solid #777; height: 10px; border-radius: 4px;"
                           " background: qlineargradient(x1: 0, y1: 0, x2: 1, y2: 0%1); }"
                           " QSlider::handle:horizontal { background: qlineargradient(x1: 0, y1: 0, x2: 1, y2: 1,"
                           " stop: 0 #eee, stop: 1 #ccc); border: 1px solid #777; width: 13px; margin: -2px 0;"
                           " border-radius: 4px; }")
                .arg(stops));
    }
}

void ColorPicker::LoadControls(const QColor &color)
{
    if (!color.isValid())
        return;
    const bool bWasUpdating = m_bUpdating;
    m_bUpdating = true;
    m_pUi->colorWheel->SetColor(color);
    m_pUi->colorWheelLightnessSlider->setValue(color.lightness());
    m_pUi->colorWheelAlphaSlider->setValue(color.alpha());
    for (int m = 0; m < ModelCount; ++m)
        LoadPage(Model(m), color);
    m_bUpdating = bWasUpdating;
}

void ColorPicker::Edited(const QColor &color)
{
    m_bUpdating = true;
    m_pUi->colorSwatchForeground->SetColor(color);
    m_bUpdating = false;
    Propagate(color);
}

void ColorPicker::Propagate(const QColor &color)
{
    if (!m_bBroadcasting)
        return;
    if (m_pTarget && !m_targetSlot.isEmpty()) {
        const QMetaObject *pMeta = m_pTarget->metaObject();
        const int iSlot = pMeta->indexOfMethod(m_targetSlot.constData());
        if (iSlot >= 0)
            pMeta->method(iSlot).invoke(m_pTarget, Qt::DirectConnection, Q_ARG(QColor, color));
    }
    emit ColorChanged(color);
}

void ColorPicker::SetColor(const QColor &color)
{
    if (!color.isValid())
        return;
    LoadControls(color);
    Edited(color);
}

void ColorPicker::SetColorTarget(QObject *pTarget, const char *slotSignature)
{
    m_pTarget = pTarget;
    m_targetSlot = QMetaObject::normalizedSignature(slotSignature);
}

void ColorPicker::ClearColorTarget()
{
    m_pTarget = nullptr;
    m_targetSlot.clear();
}

void ColorPicker::ComponentChanged(Model eModel)
{
    if (m_bUpdating)
        return;
    StyleGrooves(eModel);
    Edited(PageColor(eModel));
}

void ColorPicker::ColorWheelChanged(QColor color)
{
    if (!m_bUpdating)
        Edited(color);
}

void ColorPicker::ColorWheelLightnessChanged(int iValue)
{
    if (m_bUpdating)
        return;
    m_pUi->colorWheel->SetLightness(iValue / 255.0);
    Edited(m_pUi->colorWheel->Color());
}

void ColorPicker::ColorWheelAlphaChanged(int iValue)
{
    if (m_bUpdating)
        return;
    m_pUi->colorWheel->SetAlpha(iValue / 255.0);
    Edited(m_pUi->colorWheel->Color());
}

void ColorPicker::MainTabChanged(int)
{
    LoadControls(Color());
}

void ColorPicker::SliderTabChanged(int iIndex)
{
    if (iIndex >= 0 && iIndex < ModelCount)
        LoadPage(Model(iIndex), Color());
}

void ColorPicker::SwatchSelected(ColorSwatch *pSwatch)
{
    if (m_pSelected && m_pSelected != pSwatch)
        m_pSelected->SetSelected(false);
    m_pSelected = pSwatch;
    pSwatch->SetSelected(true);
    SetColor(pSwatch->Color());
}

void ColorPicker::showEvent(QShowEvent *pEvent)
{
    // Showing only loads the controls; nothing is sent anywhere.
    LoadControls(Color());
    QDockWidget::showEvent(pEvent);
}

QWidget *ColorPicker::CreateSwatch(const QString &name, QWidget *pParent)
{
    auto *pSwatch = new ColorSwatch(name, pParent);
    EditOnDoubleClick(pSwatch);
    return pSwatch;
}

void ColorPicker::EditOnDoubleClick(ColorSwatch *pSwatch)
{
    connect(pSwatch, &ColorSwatch::DoubleClicked, this, [this](ColorSwatch *pClicked) { SetColor(pClicked->Color()); });
}

QColor ColorPicker::SwatchColor(const QWidget *pSwatch) const
{
    const auto *pColorSwatch = qobject_cast<const ColorSwatch *>(pSwatch);
    return pColorSwatch ? pColorSwatch->Color() : QColor();
}

void ColorPicker::SetSwatchColor(QWidget *pSwatch, const QColor &color)
{
    if (auto *pColorSwatch = qobject_cast<ColorSwatch *>(pSwatch))
        pColorSwatch->SetColor(color);
}

QMetaObject::Connection ColorPicker::OnPaletteColor(QObject *pReceiver, std::function<void(const QColor &)> handler)
{
    return connect(this, &ColorPicker::ColorChanged, pReceiver, [handler = std::move(handler)](QColor color) { handler(color); });
}

QMetaObject::Connection ColorPicker::OnSwatchClicked(QWidget *pSwatch, QObject *pReceiver, std::function<void()> handler)
{
    auto *pColorSwatch = qobject_cast<ColorSwatch *>(pSwatch);
    if (!pColorSwatch)
        return {};
    return connect(pColorSwatch, &ColorSwatch::Selected, pReceiver, [handler = std::move(handler)] { handler(); });
}

void ColorPicker::SetSwatchSelected(QWidget *pSwatch, bool bSelected)
{
    if (auto *pColorSwatch = qobject_cast<ColorSwatch *>(pSwatch))
        pColorSwatch->SetSelected(bSelected);
}
