// Previews in parts: each part is exactly the whole result's pixels
// (awkward views, radii past the image, passes kept between parts), no
// part reads past its filter's declared margin, the view comes first,
// newer values stop an old preview, a reduced view gets a quick preview
// first, and OK lands the exact whole result.
#include "DialogFilterSupport.h"

#include <QtTest>
#include <cstring>

using Recorder = cqtest::FilterRecorder;

class PreviewPartsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_filters.Start(), "an OpenCL CPU device is required"); }
    void init() { m_filters.Manual(); }
    void cleanup() { m_filters.CloseAll(); }

    void partsAreExactlyTheWhole_data();
    void partsAreExactlyTheWhole();
    void previewInPartsStartsWithTheView();

private:
    cqtest::DialogFilters m_filters;
};

void PreviewPartsTest::partsAreExactlyTheWhole_data()
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
    // Glows blur a pass of their own (bloom's bright pass, kept across
    // parts of one threshold) and blend it with the input.
    add("bloom r99 in the middle", "Glows/Bloom", {"threshold=90", "radius=99"}, size, QRect(120, 70, 33, 60));
    add("bloom r8 one pixel at the corner", "Glows/Bloom", {"threshold=150", "radius=8"}, size, QRect(300, 202, 1, 1));
    add("glamour 60 at the left", "Glows/Glamour", {"blur=60", "intensity=35"}, size, QRect(0, 40, 47, 163));
    add("glamour 3 off the grid", "Glows/Glamour", {"blur=3", "intensity=100"}, size, QRect(9, 9, 20, 3));
    add("jitter 9", "Jitter", {"size=9", "seed=77"}, size, QRect(31, 17, 200, 30));
    add("jitter 175 at the bottom", "Jitter", {"size=175", "seed=5"}, size, QRect(-5, 180, 400, 40));
    add("pixelate 7 off the grid", "Pixelate", {"size=7"}, size, QRect(13, 13, 77, 77));
    add("pixelate 175 over the last block", "Pixelate", {"size=175"}, size, QRect(170, 0, 131, 203));
}

void PreviewPartsTest::partsAreExactlyTheWhole()
{
    QFETCH(QString, name);
    QFETCH(QStringList, values);
    QFETCH(QSize, size);
    QFETCH(QRect, view);
    DialogFilter *pFilter = m_filters.Filter(name);
    QVERIFY(pFilter->ComputesParts());
    FilterValues chosen;
    for (const QString &pair : values)
        chosen.set(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1).toInt());
    const QImage input = cqtest::patternImage(size.width(), size.height(), 3);
    const QImage whole = pFilter->Run(input, chosen);
    QVERIFY(!whole.isNull());

    FilterBuffers buffers(m_filters.Context(), input);
    FilterBuffers::Output output = buffers.takeOutput();
    // Intermediates left by other values, as the previous preview leaves them.
    QVERIFY(pFilter->Compute(buffers, FilterValues::defaults(pFilter->Params()), output));
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

    // The declared margin holds everything a part reads: other input
    // beyond it leaves the first part as it was.
    const int margin = pFilter->Margin(chosen);
    const QRect reach = plan.first().adjusted(-margin, -margin, margin, margin).intersected(input.rect());
    QImage far = input.copy();
    far.invertPixels(QImage::InvertRgba);
    for (int y = reach.top(); y <= reach.bottom(); ++y)
        std::memcpy(far.scanLine(y) + reach.left() * 4, input.constScanLine(y) + reach.left() * 4,
                    size_t(reach.width()) * 4);
    QCOMPARE(cqtest::firstDifference(pFilter->Run(far, chosen).copy(plan.first()), whole.copy(plan.first())),
             QString());
}

void PreviewPartsTest::previewInPartsStartsWithTheView()
{
    DialogFilter *pGaussian = m_filters.Filter(QStringLiteral("Blurs/Gaussian"));
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
    cqtest::DialogFilters::Slider(pGaussian, "sizeSlider")->setValue(17);
    QVERIFY(pGaussian->Worker().RunPending());
    cqtest::DialogFilters::Slider(pGaussian, "sizeSlider")->setValue(25);
    const qsizetype before = seen.parts.size();
    QCoreApplication::processEvents();
    QCOMPARE(seen.parts.size(), before);
    // OK waits for the parts still to come, the view's first: the landed
    // pixels are the whole result.
    cqtest::DialogFilters::Click(pGaussian, QDialogButtonBox::Ok);
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
    cqtest::DialogFilters::Slider(pGaussian, "sizeSlider")->setValue(40);
    cqtest::DialogFilters::Click(pGaussian, QDialogButtonBox::Ok);
    QCOMPARE(seen.events.first(), QStringLiteral("updated"));
    QCOMPARE(seen.events.count(QStringLiteral("updated")), 1);
    QVERIFY(seen.events.count(QStringLiteral("part")) > 2);
    QCOMPARE(seen.events.last(), QStringLiteral("accepted"));
    radius.set(QStringLiteral("radius"), 40);
    QCOMPARE(seen.canvas, pGaussian->Run(big, radius));

    // A preview that is one part goes over whole, shared with the window;
    // a later preview in parts starts with a whole image of its own again.
    pGaussian->ApplyFilter(big);
    pGaussian->Worker().RunPending();
    QCoreApplication::processEvents();
    seen.events.clear();
    pGaussian->SetPartSamples(DialogFilter::kPartSamples);
    cqtest::DialogFilters::Slider(pGaussian, "sizeSlider")->setValue(5);
    pGaussian->Worker().RunPending();
    QCoreApplication::processEvents();
    QCOMPARE(seen.events, QStringList{QStringLiteral("updated")});
    seen.events.clear();
    pGaussian->SetPartSamples(20'000);
    cqtest::DialogFilters::Slider(pGaussian, "sizeSlider")->setValue(6);
    cqtest::DialogFilters::Click(pGaussian, QDialogButtonBox::Ok);
    QCOMPARE(seen.events.first(), QStringLiteral("updated"));
    QVERIFY(seen.events.count(QStringLiteral("part")) > 2);
    radius.set(QStringLiteral("radius"), 6);
    QCOMPARE(seen.canvas, pGaussian->Run(big, radius));
    pGaussian->SetPartSamples(DialogFilter::kPartSamples);
    pGaussian->SetView(nullptr);
}

QTEST_MAIN(PreviewPartsTest)
#include "tst_previewparts.moc"
