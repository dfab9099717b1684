// The shared dialog-filter life: previews off the interface thread, latest
// values only, stale results dropped, OK and Cancel, buffers per dialog and
// the remembered place; previews in parts, each part exactly the whole
// result's pixels; every dialog against its filter's table; and the
// hand-made dialogs' own controls.
#include "ChannelMixerDlg.h"
#include "DialogFilter.h"
#include "FilterLanding.h"
#include "FilterRegistry.h"
#include "HueChangeFilterDlg.h"
#include "HueModifyWidget.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "SolarizeFilter.h"
#include "TestSupport.h"
#include "ThresholdsDlg.h"

#include <QCheckBox>
#include <QPainter>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>
#include <cstring>

// Records what a filter sends out, in order; disconnects when it goes.
struct Recorder : QObject {
    explicit Recorder(DialogFilter *pFilter)
    {
        connect(pFilter, &DialogFilter::Updated, this, [this](QImage &image) {
            images << image.copy();
            canvas = image.copy();
            events << QStringLiteral("updated");
        });
        connect(pFilter, &DialogFilter::Complete, this, [this](bool bAccepted) {
            events << (bAccepted ? QStringLiteral("accepted") : QStringLiteral("cancelled"));
        });
        // Parts land on `canvas` as a window lands them.
        connect(pFilter, &DialogFilter::PartUpdated, this, [this](const QImage &image, const QRect &area) {
            QPainter painter(&canvas);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(area.topLeft(), image, area);
            parts << area;
            events << QStringLiteral("part");
        });
    }
    int updates() const { return int(images.size()); }
    QList<QImage> images;
    QStringList events;
    QImage canvas;
    QList<QRect> parts;
};

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
    void partsAreExactlyTheWhole_data();
    void partsAreExactlyTheWhole();
    void previewInPartsStartsWithTheView();
    void everyDialogDeliversTheTableValues();

    void lockedChannelsMoveTogether();
    void channelMixerEditsTheChosenRow();
    void hueWheelFollowsTheMouse();

private:
    DialogFilter *filter(const QString &name);
    QSlider *slider(DialogFilter *pFilter, const char *name);
    void click(DialogFilter *pFilter, QDialogButtonBox::StandardButton button);

    QCLContext m_context;
    std::unique_ptr<ProgramCache> m_cache;
    std::unique_ptr<FilterRegistry> m_registry;
    QImage m_image;
};

void DialogFilterTest::initTestCase()
{
    cqtest::isolateSettings();
    QVERIFY2(cqtest::createCpuContext(m_context), "an OpenCL CPU device is required");
    m_cache = std::make_unique<ProgramCache>(m_context);
    m_registry = std::make_unique<FilterRegistry>(*m_cache, nullptr);
    m_registry->Populate({});
    m_image = cqtest::patternImage(37, 21, 11);
}

void DialogFilterTest::init()
{
    QSettings().clear();
    for (FilterPlugin *pFilter : m_registry->Filters())
        if (auto *pDialog = qobject_cast<DialogFilter *>(pFilter->GetObject()))
            pDialog->Worker().SetManual(true);
}

void DialogFilterTest::cleanup()
{
    for (FilterPlugin *pFilter : m_registry->Filters())
        if (auto *pDialog = qobject_cast<DialogFilter *>(pFilter->GetObject()); pDialog && pDialog->IsRunning())
            pDialog->Rejected();
    // Closed dialogs delete themselves once the event loop gets to it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!QApplication::activeModalWidget());
}

DialogFilter *DialogFilterTest::filter(const QString &name)
{
    auto *pFilter = qobject_cast<DialogFilter *>(m_registry->Find(name)->GetObject());
    if (pFilter && !m_registry->IsLoaded(pFilter))
        m_registry->Load(pFilter);
    return pFilter;
}

QSlider *DialogFilterTest::slider(DialogFilter *pFilter, const char *name)
{
    return pFilter->Dialog()->findChild<QSlider *>(QLatin1String(name));
}

void DialogFilterTest::click(DialogFilter *pFilter, QDialogButtonBox::StandardButton button)
{
    pFilter->Dialog()->findChild<QDialogButtonBox *>()->button(button)->click();
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
    DialogPlace &place = m_registry->Place();
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

void DialogFilterTest::partsAreExactlyTheWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("view");
    const QSize size(301, 203);
    auto add = [](const char *tag, const char *name, const QStringList &values, QSize size, QRect view) {
        QTest::newRow(tag) << QString::fromLatin1(name) << values << size << view;
    };
    // Views one pixel wide, off the grid, on and past every edge; radii
    // past half the image, where mirrored rows are clamped.
    add("gaussian r3 one pixel", "Blurs/Gaussian", {"radius=3"}, size, QRect(5, 7, 1, 1));
    add("gaussian r17 at the bottom", "Blurs/Gaussian", {"radius=17"}, size, QRect(33, 190, 120, 40));
    add("gaussian r100 at the right", "Blurs/Gaussian", {"radius=100"}, size, QRect(250, 0, 61, 203));
    add("gaussian r175 past the corner", "Blurs/Gaussian", {"radius=175"}, size, QRect(-20, -20, 50, 50));
    add("box 2", "Blurs/Box", {"size=2"}, size, QRect(17, 3, 5, 9));
    add("box 175", "Blurs/Box", {"size=175"}, size, QRect(100, 50, 150, 100));
    add("box 64 over row chunks", "Blurs/Box", {"size=64"}, QSize(1100, 90), QRect(600, 10, 400, 30));
    add("motion 99", "Blurs/Motion Blur", {"angle=37", "distance=99"}, size, QRect(64, 64, 100, 100));
    add("motion 20 at the corner", "Blurs/Motion Blur", {"angle=300", "distance=20"}, size, QRect(290, 190, 20, 20));
}

void DialogFilterTest::partsAreExactlyTheWhole()
{
    QFETCH(QString, name);
    QFETCH(QStringList, values);
    QFETCH(QSize, size);
    QFETCH(QRect, view);
    DialogFilter *pFilter = filter(name);
    QVERIFY(pFilter->ComputesParts());
    FilterValues chosen;
    for (const QString &pair : values)
        chosen.set(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1).toInt());
    const QImage input = cqtest::patternImage(size.width(), size.height(), 3);
    const QImage whole = pFilter->Run(input, chosen);
    QVERIFY(!whole.isNull());

    FilterBuffers buffers(m_context, input);
    FilterBuffers::Output output = buffers.takeOutput();
    constexpr quint32 kUntouched = 0xdeadbeefu;
    std::fill_n(reinterpret_cast<quint32 *>(const_cast<uchar *>(output.image.constBits())), buffers.pixelCount(),
                kUntouched);
    // A budget of about a tenth of the image: strips of the view sharing
    // kept passes, then bands.
    const int samplesPerPixel = pFilter->SamplesPerPixel(chosen);
    const QList<QRect> plan = DialogFilter::PlanParts(size, view, samplesPerPixel,
                                                      qint64(size.width()) * size.height() * samplesPerPixel / 10);
    QVERIFY(plan.size() > 2);
    QVERIFY(plan.first().intersects(view));
    QRegion covered;
    for (const QRect &part : plan) {
        QVERIFY(!covered.intersects(part));
        QVERIFY(pFilter->Compute(buffers, chosen, output, part));
        // The part is exactly the whole result; the first one wrote nothing else.
        QCOMPARE(cqtest::firstDifference(output.image.copy(part), whole.copy(part)), QString());
        if (covered.isEmpty()) {
            QImage untouched(size, QImage::Format_ARGB32);
            untouched.fill(kUntouched);
            for (int y = part.top(); y <= part.bottom(); ++y)
                std::memcpy(untouched.scanLine(y) + part.left() * 4, whole.constScanLine(y) + part.left() * 4,
                            size_t(part.width()) * 4);
            QCOMPARE(cqtest::firstDifference(output.image, untouched), QString());
        }
        covered += part;
    }
    QCOMPARE(covered, QRegion(0, 0, size.width(), size.height()));
    QCOMPARE(cqtest::firstDifference(output.image, whole), QString());
}

void DialogFilterTest::previewInPartsStartsWithTheView()
{
    DialogFilter *pGaussian = filter(QStringLiteral("Blurs/Gaussian"));
    const QImage big = cqtest::patternImage(301, 203, 5);
    const QRect view(100, 50, 60, 40);
    pGaussian->SetView([view] { return DialogFilter::View{view, 1.0}; });
    Recorder seen(pGaussian);
    seen.canvas = big.copy();
    pGaussian->ApplyFilter(big);
    QVERIFY(pGaussian->Worker().RunPending());
    QCoreApplication::processEvents();
    // Every part of the opening preview: the first as a whole image, the
    // input with that part done, then the others alone.
    QCOMPARE(seen.events.first(), QStringLiteral("updated"));
    QCOMPARE(seen.events.count(QStringLiteral("updated")), 1);
    QVERIFY(seen.parts.size() > 1);
    FilterValues radius;
    radius.set(QStringLiteral("radius"), 3);
    QCOMPARE(seen.canvas, pGaussian->Run(big, radius));

    // A preview computed in full whose parts arrive after the next change
    // shows none of them.
    slider(pGaussian, "sizeSlider")->setValue(17);
    QVERIFY(pGaussian->Worker().RunPending());
    slider(pGaussian, "sizeSlider")->setValue(25);
    const qsizetype before = seen.parts.size();
    QCoreApplication::processEvents();
    QCOMPARE(seen.parts.size(), before);
    // OK waits for the parts still to come, the view's first: the landed
    // pixels are the whole result.
    click(pGaussian, QDialogButtonBox::Ok);
    QCOMPARE(seen.events.last(), QStringLiteral("accepted"));
    QCOMPARE(seen.events.count(QStringLiteral("updated")), 1);
    QVERIFY(seen.parts.at(before).contains(view));
    radius.set(QStringLiteral("radius"), 25);
    QCOMPARE(seen.canvas, pGaussian->Run(big, radius));

    // A reduced view of the whole image, previews that take long: first a
    // quick one over everything, then the exact parts; OK still lands the
    // exact whole result.
    pGaussian->SetView([&big] { return DialogFilter::View{big.rect(), 0.25}; });
    pGaussian->SetPartSamples(20'000);
    pGaussian->ApplyFilter(big);
    pGaussian->Worker().RunPending();
    seen.events.clear();
    slider(pGaussian, "sizeSlider")->setValue(40);
    click(pGaussian, QDialogButtonBox::Ok);
    QCOMPARE(seen.events.first(), QStringLiteral("updated"));
    QCOMPARE(seen.events.count(QStringLiteral("updated")), 1);
    QVERIFY(seen.events.count(QStringLiteral("part")) > 2);
    QCOMPARE(seen.events.last(), QStringLiteral("accepted"));
    radius.set(QStringLiteral("radius"), 40);
    QCOMPARE(seen.canvas, pGaussian->Run(big, radius));
    pGaussian->SetPartSamples(DialogFilter::kPartSamples);
    pGaussian->SetView(nullptr);
}

void DialogFilterTest::everyDialogDeliversTheTableValues()
{
    // A key a dialog or a filter does not know, or a control the table names
    // but the form lacks, is reported.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^filter table:")));
    int dialogs = 0;
    for (FilterPlugin *pPlugin : m_registry->Filters()) {
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
