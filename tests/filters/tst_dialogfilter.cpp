// The shared dialog-filter life: previews off the interface thread, latest
// values only, stale results dropped, OK and Cancel, buffers per dialog and
// the remembered place; every dialog against its filter's table; and the
// hand-made dialogs' own controls. Previews in parts: tst_previewparts.
#include "ChannelMixerDlg.h"
#include "DialogFilterSupport.h"
#include "FilterLanding.h"
#include "HueChangeFilterDlg.h"
#include "HueModifyWidget.h"
#include "SolarizeFilter.h"
#include "ThresholdsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

using Recorder = cqtest::FilterRecorder;

class DialogFilterTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void previewsShownValuesAtOnce();
    void onlyLatestValuesAreComputed();
    void staleResultIsNeverShown();
    void okLandsLatestValues();
    void okOnThreadWaitsForLatest();
    void cancelNeverWaits();
    void reopenStartsFromShownValues();
    void reopensWhereLastAccepted();
    void previewsReuseTheirOutputs();
    void everyDialogDeliversTheTableValues();

    void lockedChannelsMoveTogether();
    void channelMixerEditsTheChosenRow();
    void hueWheelFollowsTheMouse();

private:
    DialogFilter *filter(const QString &name) { return m_filters.Filter(name); }
    static QSlider *slider(DialogFilter *pFilter, const char *name) { return cqtest::DialogFilters::Slider(pFilter, name); }
    static void click(DialogFilter *pFilter, QDialogButtonBox::StandardButton button)
    {
        cqtest::DialogFilters::Click(pFilter, button);
    }

    cqtest::DialogFilters m_filters;
    QImage m_image;
};

void DialogFilterTest::initTestCase()
{
    QVERIFY2(m_filters.Start(), "an OpenCL CPU device is required");
    m_image = cqtest::patternImage(37, 21, 11);
}

void DialogFilterTest::init()
{
    QSettings().clear();
    m_filters.Manual();
}

void DialogFilterTest::cleanup()
{
    m_filters.CloseAll();
    QVERIFY(!QApplication::activeModalWidget());
}

void DialogFilterTest::previewsShownValuesAtOnce()
{
    DialogFilter *pGaussian = filter(QStringLiteral("Blurs/Gaussian"));
    Recorder seen(pGaussian);
    QVERIFY(pGaussian->ApplyFilter(m_image).isNull());
    QVERIFY(pGaussian->Dialog()->isVisible());
    // No control moved, yet the shown radius 3 is on its way.
    QVERIFY(pGaussian->Worker().HasPending());
    QVERIFY(pGaussian->Worker().RunPending());
    QTRY_COMPARE(seen.updates(), 1);
    QCOMPARE(seen.images.first(), pGaussian->Reference(m_image, pGaussian->RequestedValues()));
    QCOMPARE(pGaussian->RequestedValues().value(QStringLiteral("radius")), 3);
}

void DialogFilterTest::onlyLatestValuesAreComputed()
{
    DialogFilter *pBox = filter(QStringLiteral("Blurs/Box"));
    Recorder seen(pBox);
    pBox->ApplyFilter(m_image);
    for (int size : {4, 5, 6}) {
        slider(pBox, "sizeSlider")->setValue(size);
        pBox->TimerUpdate();
    }
    QVERIFY(pBox->Worker().RunPending());
    QVERIFY(!pBox->Worker().HasPending());
    QTRY_COMPARE(seen.updates(), 1);
    FilterValues six;
    six.set(QStringLiteral("size"), 6);
    QCOMPARE(seen.images.first(), pBox->Reference(m_image, six));
    // Values that did not change ask for nothing.
    pBox->TimerUpdate();
    QVERIFY(!pBox->Worker().HasPending());
}

void DialogFilterTest::staleResultIsNeverShown()
{
    DialogFilter *pMotion = filter(QStringLiteral("Blurs/Motion Blur"));
    Recorder seen(pMotion);
    pMotion->ApplyFilter(m_image);
    // The preview of the opening values is under way when the user moves on.
    PreviewWorker::Job running = pMotion->Worker().TakePending();
    QVERIFY(running);
    slider(pMotion, "distanceSlider")->setValue(9);
    pMotion->TimerUpdate();
    running();
    QCoreApplication::processEvents();
    QCOMPARE(seen.updates(), 0);
    QVERIFY(pMotion->Worker().RunPending());
    QTRY_COMPARE(seen.updates(), 1);
    QCOMPARE(seen.images.first(), pMotion->Reference(m_image, pMotion->RequestedValues()));
    QCOMPARE(pMotion->RequestedValues().value(QStringLiteral("distance")), 9);
}

void DialogFilterTest::okLandsLatestValues()
{
    DialogFilter *pSolarize = filter(QStringLiteral("Solarize"));
    Recorder seen(pSolarize);
    pSolarize->ApplyFilter(m_image);
    pSolarize->Worker().TakePending();
    // A change the timer has not seen yet still lands.
    auto *pDialog = qobject_cast<ThresholdsDlg *>(pSolarize->Dialog());
    pDialog->findChild<QCheckBox *>(QStringLiteral("lockChannels"))->setChecked(false);
    pDialog->Slider(1)->setValue(40);
    click(pSolarize, QDialogButtonBox::Ok);
    QCOMPARE(seen.events, (QStringList{QStringLiteral("updated"), QStringLiteral("accepted")}));
    QCOMPARE(seen.images.last(), solarizeReference(m_image, 128, 40, 128));
    QVERIFY(!pSolarize->IsRunning());
}

void DialogFilterTest::okOnThreadWaitsForLatest()
{
    DialogFilter *pGaussian = filter(QStringLiteral("Blurs/Gaussian"));
    pGaussian->Worker().SetManual(false);
    Recorder seen(pGaussian);
    const QImage big = cqtest::patternImage(301, 203, 5);
    pGaussian->ApplyFilter(big);
    for (int radius : {30, 12, 17})
        slider(pGaussian, "sizeSlider")->setValue(radius);
    click(pGaussian, QDialogButtonBox::Ok);
    QCOMPARE(seen.events.last(), QStringLiteral("accepted"));
    QCOMPARE(seen.events.count(QStringLiteral("accepted")), 1);
    FilterValues seventeen;
    seventeen.set(QStringLiteral("radius"), 17);
    QCOMPARE(seen.images.last(), pGaussian->Run(big, seventeen));
}

void DialogFilterTest::cancelNeverWaits()
{
    DialogFilter *pPosterize = filter(QStringLiteral("Posterize"));
    Recorder seen(pPosterize);
    pPosterize->ApplyFilter(m_image);
    PreviewWorker::Job running = pPosterize->Worker().TakePending();
    slider(pPosterize, "thresholdRedSlider")->setValue(9);
    pPosterize->TimerUpdate();
    QVERIFY(pPosterize->Worker().HasPending());
    click(pPosterize, QDialogButtonBox::Cancel);
    // Answered at once, with the preview still unfinished and nothing waiting.
    QCOMPARE(seen.events, QStringList{QStringLiteral("cancelled")});
    QVERIFY(!pPosterize->Worker().HasPending());
    running();
    QCoreApplication::processEvents();
    QCOMPARE(seen.updates(), 0);
}

void DialogFilterTest::reopenStartsFromShownValues()
{
    DialogFilter *pGaussian = filter(QStringLiteral("Blurs/Gaussian"));
    pGaussian->ApplyFilter(m_image);
    slider(pGaussian, "sizeSlider")->setValue(9);
    click(pGaussian, QDialogButtonBox::Ok);
    QCOMPARE(pGaussian->RequestedValues().value(QStringLiteral("radius")), 9);
    // The dialog shows 3 again and previews exactly that, not the hidden 9.
    pGaussian->ApplyFilter(m_image);
    QCOMPARE(slider(pGaussian, "sizeSlider")->value(), 3);
    QVERIFY(pGaussian->Worker().HasPending());
    QCOMPARE(pGaussian->RequestedValues().value(QStringLiteral("radius")), 3);

    // Identity values: what OK lands equals the input, so no step is needed.
    DialogFilter *pBrightness = filter(QStringLiteral("Image Adjust/Brightness | Contrast"));
    Recorder seen(pBrightness);
    pBrightness->ApplyFilter(m_image);
    click(pBrightness, QDialogButtonBox::Ok);
    QCOMPARE(seen.updates(), 1);
    QVERIFY(FilterLanding::SamePixels(seen.images.last(), m_image));
}

void DialogFilterTest::reopensWhereLastAccepted()
{
    DialogFilter *pLevels = filter(QStringLiteral("Image Adjust/Levels"));
    DialogPlace &place = m_filters.Registry().Place();
    QSignalSpy moved(&place, &DialogPlace::Moved);
    pLevels->ApplyFilter(m_image);
    pLevels->Dialog()->move(123, 77);
    const QPoint accepted = pLevels->Dialog()->pos();
    click(pLevels, QDialogButtonBox::Ok);
    QCOMPARE(moved.count(), 1);

    // Any dialog filter of the registry opens there next.
    DialogFilter *pBloom = filter(QStringLiteral("Glows/Bloom"));
    pBloom->ApplyFilter(m_image);
    QCOMPARE(pBloom->Dialog()->pos(), accepted);
    pBloom->Dialog()->move(300, 310);
    click(pBloom, QDialogButtonBox::Cancel);
    QCOMPARE(moved.count(), 1);
    pLevels->ApplyFilter(m_image);
    QCOMPARE(pLevels->Dialog()->pos(), accepted);
}

void DialogFilterTest::previewsReuseTheirOutputs()
{
    DialogFilter *pInvertLike = filter(QStringLiteral("Solarize"));
    QImage kept;
    auto holder = std::make_unique<QObject>();
    connect(pInvertLike, &DialogFilter::Updated, holder.get(), [&](QImage &image) { kept = image; });
    pInvertLike->ApplyFilter(m_image);
    auto *pDialog = qobject_cast<ThresholdsDlg *>(pInvertLike->Dialog());
    for (int value : {10, 20, 30, 40}) {
        pDialog->Slider(0)->setValue(value);
        pInvertLike->TimerUpdate();
        pInvertLike->Worker().RunPending();
        QCoreApplication::processEvents();
    }
    // The window held on to each preview, so each one got fresh memory and
    // the one it holds was never written over.
    const QImage held = kept;
    const QImage heldCopy = held.copy();
    kept = QImage();
    pDialog->Slider(0)->setValue(50);
    pInvertLike->TimerUpdate();
    pInvertLike->Worker().RunPending();
    QCoreApplication::processEvents();
    QCOMPARE(held, heldCopy);
}

void DialogFilterTest::everyDialogDeliversTheTableValues()
{
    // A key a dialog or a filter does not know, or a control the table names
    // but the form lacks, is reported.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^filter table:")));
    int dialogs = 0;
    for (FilterPlugin *pPlugin : m_filters.Registry().Filters()) {
        auto *pFilter = qobject_cast<DialogFilter *>(pPlugin->GetObject());
        if (!pFilter)
            continue;
        const QString name = pFilter->GetName();
        filter(name);
        // Every key the dialog shows gets a value off its default, inside
        // its range; each control named by the table is there.
        FilterValues chosen;
        for (const FilterParam &param : pFilter->Params()) {
            if (param.control == FilterParam::Hidden)
                continue;
            QList<int> values;
            for (int i = 0; i < param.count(); ++i)
                values << int(param.minimum + qint64(param.maximum - param.minimum) * (i + 1) / (param.count() + 1));
            if (values == param.defaults)
                values[0] += values[0] < param.maximum ? 1 : -1;
            chosen.set(param.key, values);
        }
        Recorder seen(pFilter);
        pFilter->ApplyFilter(m_image);
        FilterDialog *pDialog = pFilter->Dialog();
        QVERIFY2(pDialog, qPrintable(name));
        pDialog->SetValues(chosen);
        QCOMPARE(pDialog->Values(), chosen);
        click(pFilter, QDialogButtonBox::Ok);
        QVERIFY2(pFilter->RequestedValues() == chosen, qPrintable(name));
        QCOMPARE(seen.events.last(), QStringLiteral("accepted"));
        QVERIFY2(seen.images.last() == pFilter->Reference(m_image, chosen), qPrintable(name));
        ++dialogs;
    }
    QCOMPARE(dialogs, 13);
}

void DialogFilterTest::lockedChannelsMoveTogether()
{
    const FilterParams params = filter(QStringLiteral("Posterize"))->Params();
    ThresholdsDlg dialog(QStringLiteral("Posterize"), params);
    dialog.SetValues(FilterValues::defaults(params));
    QSignalSpy changed(&dialog, &FilterDialog::Changed);
    dialog.Slider(0)->setValue(20);
    QCOMPARE(dialog.Values().list(QStringLiteral("green")), QList<int>{20});
    QCOMPARE(dialog.Values().list(QStringLiteral("blue")), QList<int>{20});
    // Capped at the maximum; then locked moves keep the capped distance.
    dialog.Slider(2)->setValue(60);
    QCOMPARE(dialog.Values().value(QStringLiteral("red")), 60);
    dialog.Slider(1)->setValue(64);
    QCOMPARE(dialog.Values().value(QStringLiteral("red")), 64);
    QCOMPARE(dialog.Values().value(QStringLiteral("blue")), 64);
    QCOMPARE(changed.count(), 3);
    dialog.findChild<QCheckBox *>(QStringLiteral("lockChannels"))->setChecked(false);
    dialog.Slider(0)->setValue(3);
    QCOMPARE(dialog.Values().value(QStringLiteral("green")), 64);
}

void DialogFilterTest::channelMixerEditsTheChosenRow()
{
    const FilterParams params = filter(QStringLiteral("Image Adjust/Channel Mixer"))->Params();
    ChannelMixerDlg dialog(params);
    dialog.SetValues(FilterValues::defaults(params));
    auto *pCombo = dialog.findChild<QComboBox *>(QStringLiteral("channelComboBox"));
    auto *pRed = dialog.findChild<QSlider *>(QStringLiteral("redSlider"));
    auto *pMono = dialog.findChild<QCheckBox *>(QStringLiteral("monochromeCheckBox"));
    pCombo->setCurrentText(QStringLiteral("Green"));
    QCOMPARE(pRed->value(), 0);
    pRed->setValue(50);
    QCOMPARE(dialog.Values().list(QStringLiteral("green")), (QList<int>{50, 100, 0}));
    QCOMPARE(dialog.Values().list(QStringLiteral("red")), (QList<int>{100, 0, 0}));
    pMono->setChecked(true);
    QVERIFY(!pCombo->isEnabled());
    QCOMPARE(pRed->value(), 100);
    pRed->setValue(-30);
    QCOMPARE(dialog.Values().list(QStringLiteral("gray")), (QList<int>{-30, 100, 100}));
    pMono->setChecked(false);
    QCOMPARE(pRed->value(), 50);
}

void DialogFilterTest::hueWheelFollowsTheMouse()
{
    const FilterParams params = filter(QStringLiteral("Image Adjust/Color Substitute"))->Params();
    HueChangeFilterDlg dialog(params);
    dialog.SetValues(FilterValues::defaults(params));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    HueModifyWidget *pWheel = dialog.Wheel();
    QSignalSpy changed(&dialog, &FilterDialog::Changed);
    const QPointF centre = QRectF(pWheel->rect()).center();
    // Drag the hue handle to straight up: 90 degrees.
    QTest::mousePress(pWheel, Qt::LeftButton, {}, pWheel->HandlePosition(HueModifyWidget::kHue).toPoint());
    QMouseEvent move(QEvent::MouseMove, centre + QPointF(0, -40), pWheel->mapToGlobal(centre + QPointF(0, -40)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pWheel, &move);
    QTest::mouseRelease(pWheel, Qt::LeftButton, {}, (centre + QPointF(0, -40)).toPoint());
    QCOMPARE(dialog.Values().value(QStringLiteral("hue")), 90);
    QVERIFY(changed.count() >= 1);
    // The range goes in only with "use range", start and span in degrees.
    QVERIFY(!dialog.Values().has(QStringLiteral("range")));
    pWheel->SetRange(300, 100);
    dialog.findChild<QCheckBox *>(QStringLiteral("useRangeCheckBox"))->setChecked(true);
    QCOMPARE(dialog.Values().list(QStringLiteral("range")), (QList<int>{300, 100}));
}

QTEST_MAIN(DialogFilterTest)
#include "tst_dialogfilter.moc"
