// The "Layer Styles" dialog through its widgets: opened from the layers
// panel for the current layer, controls that change the layer's styles as
// undoable steps (one per drag), the opacity and the swatch's alpha kept as
// one, the palette colouring the visible tab's swatch, following the current
// layer, and styles whose kernels cannot be built.
#include "ColorPicker.h"
#include "ColorSwatch.h"
#include "Document.h"
#include "KernelReportDlg.h"
#include "LayerDlg.h"
#include "LayerStyleDlg.h"
#include "LayerStyleMgr.h"
#include "PixmapLayer.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "ScratchDB.h"
#include "DocTestSupport.h"
#include "TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QMessageBox>
#include <QSlider>
#include <QSpinBox>
#include <QStyleOptionSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>

#include <memory>

class TestLayerStyleDlg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        cqtest::startScratch();
        m_pPanel = new LayerDlg;
        m_pPanel->setFloating(true);
        m_pPanel->show();
    }

    void cleanup()
    {
        m_pPanel->SetDocument(nullptr);
        m_pDocument.reset();
    }

    void openedFromTheLayersPanel()
    {
        // No document: nothing to style.
        auto *pButton = m_pPanel->findChild<QToolButton *>(QStringLiteral("styleBtn"));
        QVERIFY(pButton);
        QVERIFY(!pButton->isEnabled());
        Document *pDocument = openOnNewDocument();
        QVERIFY(dialog() && dialog()->isVisible());
        QCOMPARE(dialog()->layer(), pDocument->CurrentLayer());
        dialog()->hide();
        // The context menu's entry opens it for the current layer too.
        Layer *pSecond = pDocument->CreateLayer(Layer::Text);
        QAction *pStyle = nullptr;
        for (QAction *pAction : m_pPanel->ContextActions())
            if (pAction->text() == QStringLiteral("&Style"))
                pStyle = pAction;
        QVERIFY(pStyle && pStyle->isEnabled());
        pStyle->trigger();
        QVERIFY(dialog()->isVisible());
        QCOMPARE(dialog()->layer(), pSecond);
        // Without a document it goes away and the entries are off.
        m_pPanel->SetDocument(nullptr);
        QVERIFY(!dialog()->isVisible());
        QVERIFY(!pButton->isEnabled());
        QVERIFY(!pStyle->isEnabled());
    }

    void controlsChangeTheLayer()
    {
        Document *pDocument = openOnNewDocument();
        LayerStyleMgr &styles = pDocument->CurrentLayer()->styles();
        QTest::mouseClick(part<QCheckBox>("dropShadowEnabled"), Qt::LeftButton);
        QVERIFY(styles.dropShadow().isEnabled());
        QVERIFY(pDocument->IsModified());
        QCOMPARE(pDocument->undoStack()->count(), 1);
        // The layer shows the change at once (the shadow of an empty layer is
        // empty; give it pixels first).
        auto *pLayer = static_cast<PixmapLayer *>(pDocument->CurrentLayer());
        pLayer->image().fill(0xff00ff00);
        pLayer->image().setPixel(0, 0, 0);
        pLayer->update();
        // The spin box moves its slider, and the slider the style.
        part<QSpinBox>("dropShadowDistanceVal")->setValue(12);
        QCOMPARE(part<QSlider>("dropShadowDistance")->value(), 12);
        QCOMPARE(styles.dropShadow().distance(), 12);
        part<QSlider>("dropShadowAngle")->setValue(90);
        QCOMPARE(part<QSpinBox>("dropShadowAngleVal")->value(), 90);
        QCOMPARE(styles.dropShadow().angle(), 90);
        QCOMPARE(pLayer->boundingRect().left(), -12.0);
        QCOMPARE(pDocument->undoStack()->count(), 3);
        // Undo brings back the layer and the controls.
        pDocument->undoStack()->undo();
        pDocument->undoStack()->undo();
        QCOMPARE(styles.dropShadow().distance(), 3);
        QCOMPARE(part<QSpinBox>("dropShadowDistanceVal")->value(), 3);
        pDocument->undoStack()->undo();
        QVERIFY(!part<QCheckBox>("dropShadowEnabled")->isChecked());
        QVERIFY(!pDocument->IsModified());
    }

    void oneStepPerDrag()
    {
        Document *pDocument = openOnNewDocument();
        LayerStyleMgr &styles = pDocument->CurrentLayer()->styles();
        part<QTabWidget>("tabWidget")->setCurrentIndex(1);
        QSlider *pDistance = part<QSlider>("outterGlowDistance");
        drag(pDistance, 60);
        const int dragged = styles.outerGlow().distance();
        QVERIFY(dragged > 3);
        QCOMPARE(pDistance->value(), dragged);
        QCOMPARE(pDocument->undoStack()->count(), 1);
        drag(pDistance, 30);
        QVERIFY(styles.outerGlow().distance() > dragged);
        QCOMPARE(pDocument->undoStack()->count(), 2);
        pDocument->undoStack()->undo();
        QCOMPARE(styles.outerGlow().distance(), dragged);
        pDocument->undoStack()->undo();
        QCOMPARE(styles.outerGlow().distance(), 3);
        QCOMPARE(pDistance->value(), 3);
    }

    void opacityAndSwatchAlphaAreOne()
    {
        Document *pDocument = openOnNewDocument();
        LayerStyleMgr &styles = pDocument->CurrentLayer()->styles();
        auto *pSwatch = part<ColorSwatch>("colorSwatchShadowColor");
        part<QTabWidget>("tabWidget")->setCurrentIndex(0);
        part<QSlider>("dropShadowOpacity")->setValue(77);
        QCOMPARE(pSwatch->Color().alpha(), 77);
        QCOMPARE(styles.dropShadow().opacity(), 77);
        QCOMPARE(styles.dropShadow().color().alpha(), 77);
        QCOMPARE(pDocument->undoStack()->count(), 1);
        pSwatch->SetColor(QColor(10, 20, 30, 50));
        QCOMPARE(part<QSlider>("dropShadowOpacity")->value(), 50);
        QCOMPARE(part<QSpinBox>("dropShadowOpacityVal")->value(), 50);
        QCOMPARE(styles.dropShadow().opacity(), 50);
        QCOMPARE(styles.dropShadow().color(), QColor(10, 20, 30, 50));
        QCOMPARE(pDocument->undoStack()->count(), 2);
        pDocument->undoStack()->undo();
        QCOMPARE(styles.dropShadow().color(), QColor(0, 0, 0, 77));
        QCOMPARE(pSwatch->Color(), QColor(0, 0, 0, 77));
        // A colour given to the swatch of the hidden tab changes nothing.
        part<QTabWidget>("tabWidget")->setCurrentIndex(1);
        pSwatch->SetColor(QColor(90, 90, 90, 200));
        QCOMPARE(styles.dropShadow().color(), QColor(0, 0, 0, 77));
        QCOMPARE(pDocument->undoStack()->index(), 1);
        part<QTabWidget>("tabWidget")->setCurrentIndex(0);
        QCOMPARE(pSwatch->Color(), QColor(0, 0, 0, 77));
    }

    void paletteColoursTheVisibleSwatch()
    {
        auto *pPicker = new ColorPicker;
        m_pPanel->SetPalette(pPicker);
        Document *pDocument = openOnNewDocument();
        LayerStyleMgr &styles = pDocument->CurrentLayer()->styles();
        part<QTabWidget>("tabWidget")->setCurrentIndex(1);
        pPicker->SetColor(QColor(200, 40, 10, 255));
        QCOMPARE(styles.outerGlow().color(), QColor(200, 40, 10, 255));
        QCOMPARE(styles.outerGlow().opacity(), 255);
        QCOMPARE(styles.dropShadow().color(), QColor(0, 0, 0, 128));
        part<QTabWidget>("tabWidget")->setCurrentIndex(0);
        pPicker->SetColor(QColor(1, 2, 3, 64));
        QCOMPARE(styles.dropShadow().color(), QColor(1, 2, 3, 64));
        QCOMPARE(styles.dropShadow().opacity(), 64);
        QCOMPARE(styles.outerGlow().color(), QColor(200, 40, 10, 255));
        // Hidden, the dialog takes no more colours.
        dialog()->hide();
        pPicker->SetColor(QColor(9, 9, 9));
        QCOMPARE(styles.dropShadow().color(), QColor(1, 2, 3, 64));
        delete pPicker;
    }

    void followsTheCurrentLayer()
    {
        Document *pDocument = openOnNewDocument();
        Layer *pFirst = pDocument->CurrentLayer();
        Layer *pSecond = pDocument->CreateLayer(Layer::Raster);
        pSecond->styles().dropShadow().setAngle(270);
        pSecond->styles().dropShadow().setEnabled(true);
        QCOMPARE(dialog()->layer(), pSecond);
        QCOMPARE(part<QSlider>("dropShadowAngle")->value(), 270);
        QVERIFY(part<QCheckBox>("dropShadowEnabled")->isChecked());
        m_pPanel->SelectLayer(pFirst);
        QCOMPARE(dialog()->layer(), pFirst);
        QCOMPARE(part<QSlider>("dropShadowAngle")->value(), 0);
        // An edit now goes to the first layer only.
        part<QSlider>("dropShadowAngle")->setValue(45);
        QCOMPARE(pFirst->styles().dropShadow().angle(), 45);
        QCOMPARE(pSecond->styles().dropShadow().angle(), 270);
        // Another document: its current layer.
        Document other(QSize(10, 10), cqtest::scratchStore());
        Layer *pOther = other.CreateLayer(Layer::Raster);
        m_pPanel->SetDocument(&other);
        QCOMPARE(dialog()->layer(), pOther);
        m_pPanel->SetDocument(nullptr);
        QVERIFY(!dialog()->isVisible());
    }

    void stylesThatCannotBeBuilt()
    {
        QCLContext none;
        ProgramCache broken(none);
        m_pDocument = std::make_unique<Document>(QSize(20, 20), cqtest::scratchStore());
        Layer *pLayer = m_pDocument->CreateLayer(Layer::Raster);
        pLayer->styles().Initialise(&broken);
        m_pPanel->SetDocument(m_pDocument.get());
        QTest::mouseClick(m_pPanel->findChild<QToolButton *>(QStringLiteral("styleBtn")), Qt::LeftButton);
        QVERIFY(!part<QCheckBox>("dropShadowEnabled")->isEnabled());
        QVERIFY(!part<QCheckBox>("outterGlowEnabled")->isEnabled());
        auto *pError = part<QToolButton>("dropShadowErrorBtn");
        QVERIFY(pError->isVisible());
        // The kernel report opens at the style's own log.
        QString shown;
        cqtest::actOnNextDialog([&](QDialog *pDialog) {
            if (auto *pReport = qobject_cast<KernelReportDlg *>(pDialog))
                shown = pReport->ShownText();
            pDialog->close();
        });
        QTest::mouseClick(pError, Qt::LeftButton);
        QCOMPARE(shown, pLayer->styles().dropShadow().buildLog());
        QVERIFY(!shown.isEmpty());
        // A layer whose styles build shows no error.
        Layer *pGood = m_pDocument->CreateLayer(Layer::Raster);
        pGood->styles().Initialise(nullptr);
        QCOMPARE(dialog()->layer(), pGood);
        QVERIFY(part<QCheckBox>("dropShadowEnabled")->isEnabled());
        QVERIFY(!pError->isVisible());
    }

private:
    // A document with one raster layer, shown in the panel, and the dialog
    // opened on it through the style button.
    Document *openOnNewDocument()
    {
        m_pDocument = std::make_unique<Document>(QSize(40, 30), cqtest::scratchStore());
        m_pDocument->CreateLayer(Layer::Raster);
        m_pDocument->MarkSaved();
        m_pPanel->SetDocument(m_pDocument.get());
        auto *pButton = m_pPanel->findChild<QToolButton *>(QStringLiteral("styleBtn"));
        if (pButton && pButton->isEnabled())
            QTest::mouseClick(pButton, Qt::LeftButton);
        return m_pDocument.get();
    }

    LayerStyleDlg *dialog() const { return m_pPanel->StyleDialog(); }
    template <class T> T *part(const char *name) const
    {
        T *pPart = dialog()->findChild<T *>(QLatin1String(name));
        if (!pPart)
            qWarning("no %s", name);
        return pPart;
    }
    // Drags a slider's handle by dx pixels with the mouse.
    void drag(QSlider *pSlider, int dx)
    {
        QStyleOptionSlider option;
        option.initFrom(pSlider);
        option.orientation = pSlider->orientation();
        option.minimum = pSlider->minimum();
        option.maximum = pSlider->maximum();
        option.sliderPosition = pSlider->sliderPosition();
        option.sliderValue = pSlider->value();
        option.singleStep = pSlider->singleStep();
        option.pageStep = pSlider->pageStep();
        const QRect handle = pSlider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, pSlider);
        QPoint at = handle.center();
        QTest::mousePress(pSlider, Qt::LeftButton, {}, at);
        for (int i = 1; i <= 4; ++i)
            QTest::mouseMove(pSlider, at + QPoint(dx * i / 4, 0));
        QTest::mouseRelease(pSlider, Qt::LeftButton, {}, at + QPoint(dx, 0));
    }

    LayerDlg *m_pPanel = nullptr;
    std::unique_ptr<Document> m_pDocument;
};

QTEST_MAIN(TestLayerStyleDlg)
#include "tst_layerstyledlg.moc"
