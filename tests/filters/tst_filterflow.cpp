// The window's side of filtering, built only from what the filter code
// offers (menu, Prepare, Updated/Complete, landing, undo text): previews land
// inside the selection, OK records one step, Cancel restores the layer
// exactly, and a step that changes nothing is not recorded.
#include "DialogFilter.h"
#include "FilterLanding.h"
#include "FilterMenu.h"
#include "FilterRegistry.h"
#include "GaussianBlur.h"
#include "InvertColorFilter.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "TestSupport.h"

#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

namespace {

// A window with one raster layer, as the main window drives filters.
class Window : public QObject
{
    Q_OBJECT
public:
    Window(FilterRegistry &registry, const QImage &image) : layer(image), m_registry(registry)
    {
        FilterMenu::Build(&menu, registry, this);
    }

    QMenu menu;
    QImage layer;
    QRegion selection;
    QStringList steps;
    FilterPlugin *pActive = nullptr;

    QAction *entry(const QString &path)
    {
        QMenu *pMenu = &menu;
        const QStringList parts = path.split(QLatin1Char('/'));
        for (int i = 0; i + 1 < parts.size(); ++i)
            for (QAction *pAction : pMenu->actions())
                if (pAction->menu() && pAction->text() == parts[i])
                    pMenu = pAction->menu();
        for (QAction *pAction : pMenu->actions())
            if (pAction->text() == parts.last())
                return pAction;
        return nullptr;
    }

public Q_SLOTS:
    void FilterTriggered(QAction *pAction)
    {
        pActive = FilterMenu::Prepare(pAction, m_registry, nullptr);
        if (!pActive)
            return;
        const QImage result = pActive->ApplyFilter(layer);
        if (result.isNull()) {
            m_backup = layer;
            return;
        }
        const QImage landed = FilterLanding::Land(layer, result, selection);
        if (FilterLanding::SamePixels(landed, layer))
            return;
        layer = landed;
        steps << FilterMenu::UndoText(pActive, false, QStringLiteral("Layer 1"));
    }
    void FilterUpdate(QImage &image) { layer = FilterLanding::Land(m_backup, image, selection); }
    void FilterComplete(bool bAccepted)
    {
        if (bAccepted && !FilterLanding::SamePixels(layer, m_backup))
            steps << FilterMenu::UndoText(pActive, true, QStringLiteral("Layer 1"));
        else
            layer = m_backup;
        m_backup = QImage();
    }

private:
    FilterRegistry &m_registry;
    QImage m_backup;
};

QDialog *openDialog()
{
    for (QWidget *pWidget : QApplication::topLevelWidgets())
        if (auto *pDialog = qobject_cast<QDialog *>(pWidget); pDialog && pDialog->isVisible())
            return pDialog;
    return nullptr;
}

void press(QDialogButtonBox::StandardButton button)
{
    openDialog()->findChild<QDialogButtonBox *>()->button(button)->click();
}

} // namespace

class FilterFlowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void dialogFilterLandsInSelection();
    void immediateFilterAndCancel();

private:
    QCLContext m_context;
    std::unique_ptr<ProgramCache> m_cache;
    std::unique_ptr<FilterRegistry> m_registry;
    QImage m_image;
};

void FilterFlowTest::initTestCase()
{
    cqtest::isolateSettings();
    QVERIFY2(cqtest::createCpuContext(m_context), "an OpenCL CPU device is required");
    m_cache = std::make_unique<ProgramCache>(m_context);
    m_registry = std::make_unique<FilterRegistry>(*m_cache, nullptr);
    m_registry->Populate({});
    m_image = cqtest::patternImage(80, 50, 21);
}

void FilterFlowTest::dialogFilterLandsInSelection()
{
    Window window(*m_registry, m_image);
    window.selection = QRegion(20, 10, 30, 25);
    window.entry(QStringLiteral("Blurs/Gaussian"))->trigger();
    QVERIFY(openDialog());
    openDialog()->findChild<QSlider *>(QStringLiteral("sizeSlider"))->setValue(7);
    press(QDialogButtonBox::Ok);
    QCOMPARE(window.steps, QStringList{QStringLiteral("Gaussian - Layer 1")});
    // Inside, the whole-image blur (neighbours outside were read too);
    // outside, the original pixels.
    FilterValues seven;
    seven.set(QStringLiteral("radius"), 7);
    auto *pGaussian = qobject_cast<KernelFilter *>(m_registry->Find(QStringLiteral("Blurs/Gaussian"))->GetObject());
    const QImage whole = pGaussian->Run(m_image, seven);
    for (int y = 0; y < m_image.height(); ++y)
        for (int x = 0; x < m_image.width(); ++x)
            QCOMPARE(window.layer.pixel(x, y),
                     window.selection.contains(QPoint(x, y)) ? whole.pixel(x, y) : m_image.pixel(x, y));

    // Brightness opened and accepted as it came changes nothing: no step.
    window.entry(QStringLiteral("Image Adjust/Brightness | Contrast"))->trigger();
    press(QDialogButtonBox::Ok);
    QCOMPARE(window.steps.size(), 1);
}

void FilterFlowTest::immediateFilterAndCancel()
{
    Window window(*m_registry, m_image);
    window.selection = QRegion(0, 0, 10, 10);
    window.entry(QStringLiteral("Invert Colors"))->trigger();
    QCOMPARE(window.steps, QStringList{QStringLiteral("Invert Colors - Layer 1")});
    QCOMPARE(window.layer.pixel(3, 3), invertReference(m_image).pixel(3, 3));
    QCOMPARE(window.layer.pixel(30, 30), m_image.pixel(30, 30));

    // A preview reaches the layer, and Cancel puts every pixel back.
    const QImage before = window.layer;
    window.selection = QRegion();
    window.entry(QStringLiteral("Posterize"))->trigger();
    QTRY_VERIFY(!FilterLanding::SamePixels(window.layer, before));
    press(QDialogButtonBox::Cancel);
    QVERIFY(FilterLanding::SamePixels(window.layer, before));
    QCOMPARE(window.steps.size(), 1);
}

QTEST_MAIN(FilterFlowTest)
#include "tst_filterflow.moc"
