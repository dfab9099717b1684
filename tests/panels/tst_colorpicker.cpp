// The palette panel, its wheel and its swatches.
#include "ColorPicker.h"
#include "ColorSwatch.h"
#include "ColorWheel.h"
#include "TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QtTest>

class TestColorPicker : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        cqtest::isolateSettings();
    }

    void cleanup()
    {
        delete m_pPicker;
        m_pPicker = nullptr;
    }

    void swatchesPersistAcrossInstances()
    {
        ColorPicker *pPicker = picker();
        QSettings().setValue(QStringLiteral("firstRun"), true);

        // A paste, an invert and a tool's own swatch.
        auto *pData = new QMimeData;
        pData->setColorData(QColor(1, 2, 3, 4));
        QApplication::clipboard()->setMimeData(pData);
        pPicker->PaletteSwatch(4)->OnPasteColor();
        pPicker->PaletteSwatch(6)->SetColor(QColor(10, 20, 30, 128));
        pPicker->PaletteSwatch(6)->OnInvertColor();
        QApplication::clipboard()->setText(QStringLiteral("#ff0000"));
        pPicker->PaletteSwatch(4)->OnPasteColor(); // plain text is no colour
        QWidget bar;
        pPicker->SetSwatchColor(pPicker->CreateSwatch(QStringLiteral("BrushColorSwatch"), &bar), QColor(9, 8, 7));
        const QList<QColor> before = paletteColors(pPicker);

        delete pPicker;
        m_pPicker = nullptr;
        pPicker = picker();
        QCOMPARE(pPicker->PaletteSwatch(4)->Color(), QColor(1, 2, 3, 4));
        QCOMPARE(pPicker->PaletteSwatch(6)->Color(), QColor(245, 235, 225, 128));
        QCOMPARE(paletteColors(pPicker), before);
        QCOMPARE(pPicker->SwatchColor(pPicker->CreateSwatch(QStringLiteral("BrushColorSwatch"), &bar)), QColor(9, 8, 7));
    }

    void wheelHueRunsRoundTheFullCircle()
    {
        const QSize size(101, 101);
        struct { QPoint point; double degrees; } cases[] = {
            {{100, 50}, 0}, {{50, 0}, 90}, {{0, 50}, 180}, {{50, 100}, 270},
            {{80, 20}, 45}, {{20, 20}, 135}, {{20, 80}, 225}, {{80, 80}, 315},
        };
        for (const auto &c : cases) {
            double hue = -1, saturation = -1;
            ColorWheel::Pick(c.point, size, &hue, &saturation);
            QVERIFY2(qAbs(hue * 360 - c.degrees) < 1e-9, qPrintable(QString::number(hue * 360)));
            QVERIFY(saturation > 0.5);
        }
        double hue = 0, saturation = 1;
        ColorWheel::Pick(QPoint(53, 46), size, &hue, &saturation);
        QCOMPARE(saturation, 0.0);

        // A real click on the top of a shown wheel picks the 90-degree hue.
        ColorWheel wheel;
        wheel.resize(size);
        wheel.show();
        QSignalSpy spy(&wheel, &ColorWheel::ColorChanged);
        QTest::mouseClick(&wheel, Qt::LeftButton, {}, QPoint(50, 5));
        QVERIFY(spy.size() >= 1);
        QCOMPARE(spy.first().first().value<QColor>().hslHue(), 90);
    }

    void showingThePanelChangesNoSwatch()
    {
        QSettings().setValue(QStringLiteral("firstRun"), true);
        QSettings().setValue(QStringLiteral("colorSwatchForeground"), QColor(Qt::blue));
        QWidget bar;
        ColorPicker *pPicker = picker();
        QWidget *pToolSwatch = pPicker->CreateSwatch(QStringLiteral("BrushColorSwatch"), &bar);
        pPicker->SetSwatchColor(pToolSwatch, Qt::red);
        pPicker->OnPaletteColor(pToolSwatch, [&](const QColor &c) { pPicker->SetSwatchColor(pToolSwatch, c); });
        const QList<QColor> palette = paletteColors(pPicker);
        QSignalSpy spy(pPicker, &ColorPicker::ColorChanged);

        bar.show();
        pPicker->show();
        QVERIFY(QTest::qWaitForWindowExposed(pPicker));
        pPicker->hide();
        pPicker->show();
        QCOMPARE(spy.size(), 0);
        QCOMPARE(pPicker->SwatchColor(pToolSwatch), QColor(Qt::red));
        QCOMPARE(pPicker->Color(), QColor(Qt::blue));
        QCOMPARE(paletteColors(pPicker), palette);
        // The controls show the foreground colour.
        QCOMPARE(pPicker->ComponentSlider(ColorPicker::RGB, 2)->value(), 255);
        QCOMPARE(pPicker->ComponentSlider(ColorPicker::HSL, 0)->value(), 240);
    }

    void userEditsReachToolsAndTarget()
    {
        QSettings().setValue(QStringLiteral("firstRun"), true);
        QWidget bar;
        ColorPicker *pPicker = picker();
        pPicker->show();
        QWidget *pToolSwatch = pPicker->CreateSwatch(QStringLiteral("FillColorSwatch"), &bar);
        pPicker->OnPaletteColor(pToolSwatch, [&](const QColor &c) { pPicker->SetSwatchColor(pToolSwatch, c); });
        ColorSwatch target;
        pPicker->SetColorTarget(&target, "SetColor(QColor)");
        QSignalSpy spy(pPicker, &ColorPicker::ColorChanged);

        pPicker->SetColor(QColor(10, 20, 30));
        pPicker->ComponentSlider(ColorPicker::RGB, 0)->setValue(200);
        QCOMPARE(spy.last().first().value<QColor>(), QColor(200, 20, 30));
        QCOMPARE(pPicker->SwatchColor(pToolSwatch), QColor(200, 20, 30));
        QCOMPARE(target.Color(), QColor(200, 20, 30));
        QCOMPARE(pPicker->Color(), QColor(200, 20, 30));
        // The other pages follow when they are shown.
        pPicker->findChild<QTabWidget *>(QStringLiteral("colorSliderTabs"))->setCurrentIndex(ColorPicker::CMYK);
        QCOMPARE(pPicker->ComponentSlider(ColorPicker::CMYK, 0)->value(), QColor(200, 20, 30).toCmyk().cyan());

        // A click on a palette swatch picks its colour; unbinding the target stops it.
        pPicker->ClearColorTarget();
        ColorSwatch *pSwatch = pPicker->PaletteSwatch(10);
        pSwatch->SetColor(QColor(1, 99, 250));
        QTest::mouseClick(pSwatch, Qt::LeftButton);
        QCOMPARE(pPicker->SwatchColor(pToolSwatch), QColor(1, 99, 250));
        QCOMPARE(target.Color(), QColor(200, 20, 30));
        QVERIFY(pSwatch->IsSelected());

        // A double click on a tool's swatch hands its colour to the palette.
        pPicker->SetSwatchColor(pToolSwatch, QColor(7, 7, 70));
        bar.show();
        QTest::mouseDClick(pToolSwatch, Qt::LeftButton);
        QCOMPARE(pPicker->Color(), QColor(7, 7, 70));
        QCOMPARE(pPicker->ComponentSlider(ColorPicker::RGB, 2)->value(), 70);
    }

    // (200, 40, 90) by hand: max 200, min 40, hue 360 - 60 * 50 / 160 = 341.25;
    // HSV saturation 160 / 200 (204), value 200; HSL saturation 160 / 240 (170),
    // lightness 120. Moving a page's slider makes the colour of that model.
    void hsvAndHslPagesEachShowTheirOwnModel()
    {
        ColorPicker *pPicker = picker();
        pPicker->show();
        pPicker->SetColor(QColor(200, 40, 90));
        // A page follows the colour when it is shown.
        auto shows = [pPicker](ColorPicker::Model eModel, QList<int> expected) {
            pPicker->findChild<QTabWidget *>(QStringLiteral("colorSliderTabs"))->setCurrentIndex(eModel);
            for (int i = 0; i < expected.size(); ++i)
                QVERIFY2(qAbs(pPicker->ComponentSlider(eModel, i)->value() - expected[i]) <= 1,
                         qPrintable(QStringLiteral("model %1 slider %2: %3").arg(eModel).arg(i)
                                        .arg(pPicker->ComponentSlider(eModel, i)->value())));
        };
        shows(ColorPicker::HSL, {341, 170, 120, 255});
        shows(ColorPicker::HSV, {341, 204, 200, 255});
        auto near = [](const QColor &got, QColor want) {
            return qAbs(got.red() - want.red()) <= 1 && qAbs(got.green() - want.green()) <= 1
                   && qAbs(got.blue() - want.blue()) <= 1;
        };
        // HSV saturation 0.4 at value 200: min 120, blue 120 + 80 * 18.75 / 60.
        pPicker->ComponentSlider(ColorPicker::HSV, 1)->setValue(102);
        QVERIFY2(near(pPicker->Color(), QColor(200, 120, 145)), qPrintable(pPicker->Color().name()));
        // Its HSL: lightness 160, saturation 80 / (255 - 65) (107).
        shows(ColorPicker::HSL, {341, 107, 160, 255});
        // HSL lightness 80 at saturation 107: chroma 0.6275 * 107 (67.1) about
        // 80, blue min + chroma * 19 / 60; then HSV saturation 67.1 / 113.6 (152).
        pPicker->ComponentSlider(ColorPicker::HSL, 2)->setValue(80);
        QVERIFY2(near(pPicker->Color(), QColor(114, 46, 67)), qPrintable(pPicker->Color().name()));
        shows(ColorPicker::HSV, {341, 152, 114, 255});
    }

private:
    ColorPicker *picker()
    {
        if (!m_pPicker)
            m_pPicker = new ColorPicker;
        return m_pPicker;
    }
    ColorPicker *m_pPicker = nullptr;

    QList<QColor> paletteColors(ColorPicker *pPicker)
    {
        QList<QColor> colors;
        for (int i = 0; i < ColorPicker::kSwatchCount; ++i)
            colors << pPicker->PaletteSwatch(i)->Color();
        return colors;
    }
};

QTEST_MAIN(TestColorPicker)
#include "tst_colorpicker.moc"
