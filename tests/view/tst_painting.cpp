// The painting protocol (selection clipping, feathering, areas off the canvas,
// moved layers, accumulation, commits from the base image, straight pixels
// kept exact, filter results replacing the selection), selection commands,
// zoom rules and mouse position reporting.
#include "ChildWindow.h"
#include "DocTestSupport.h"
#include "Feather.h"
#include "FilterLanding.h"
#include "GraphicsScene.h"
#include "GraphicsView.h"
#include "PixmapLayer.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "ScratchDB.h"
#include "TestSupport.h"

#include <QGraphicsSceneMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

class TestPainting : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void commitCoversSelectionAndArea_data();
    void commitCoversSelectionAndArea();
    void featheredCommitBlendsSoftly();
    void accumulateVersusNot();
    void commitsStartFromBaseImage();
    void untouchedPixelsStayExact();
    void resultReplacesSelection();
    void selectionCommands();
    void zoomRules();
    void mousePositions();

private:
    PixmapLayer *newLayer(ChildWindow &window, QColor fill);
    QCLContext m_context;
};

void TestPainting::initTestCase()
{
    cqtest::startScratch();
    QVERIFY2(cqtest::createCpuContext(m_context), "no OpenCL CPU device");
    qRegisterMetaType<QGraphicsSceneMouseEvent *>();
}

PixmapLayer *TestPainting::newLayer(ChildWindow &window, QColor fill)
{
    auto *pLayer = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
    QImage image(window.canvasSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    cqtest::setLayerPixels(pLayer, image);
    return pLayer;
}

// Selections feathered by the reference, as where no device is at hand.
static DocumentEnv referenceEnv()
{
    return DocumentEnv(cqtest::scratchStore(), &Feather::reference);
}

static void strokeAll(ChildWindow &window, QColor colour, QRect area = QRect(0, 0, 1000, 1000))
{
    QPainter *pPainter = window.BeginStroke();
    pPainter->fillRect(area, colour);
}

void TestPainting::commitCoversSelectionAndArea_data()
{
    QTest::addColumn<QRegion>("selection");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("layerPos");
    QTest::newRow("two-part selection") << (QRegion(10, 10, 20, 15) + QRegion(25, 20, 10, 20)) << QRect() << QPoint();
    QTest::newRow("area partly off the canvas") << QRegion() << QRect(50, 40, 40, 40) << QPoint();
    QTest::newRow("moved layer") << QRegion(12, 8, 30, 30) << QRect(0, 0, 20, 20) << QPoint(10, 5);
}

// A commit paints where the selection and the committed area (canvas
// terms) overlap, nothing else; layer pixel p is canvas pixel p + pos.
void TestPainting::commitCoversSelectionAndArea()
{
    QFETCH(QRegion, selection);
    QFETCH(QRect, area);
    QFETCH(QPoint, layerPos);
    ChildWindow window(nullptr, QSize(64, 48), referenceEnv());
    PixmapLayer *pLayer = newLayer(window, Qt::white);
    pLayer->setPos(layerPos);
    window.SetSelection(selection);
    window.BeginPaint(false, pLayer);
    QCOMPARE(window.BaseImage().size(), QSize(64, 48));
    strokeAll(window, Qt::red);
    window.CommitStroke(area);
    window.EndPaint();
    const QImage got = cqtest::layerPixels(pLayer);
    QCOMPARE(got.size(), QSize(64, 48));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const QPoint canvas = QPoint(x, y) + layerPos;
            const bool painted = (area.isNull() || area.contains(canvas))
                                 && (selection.isEmpty() || selection.contains(canvas));
            QVERIFY2(got.pixel(x, y) == (painted ? qRgb(255, 0, 0) : qRgb(255, 255, 255)),
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
}

void TestPainting::featheredCommitBlendsSoftly()
{
    ProgramCache cache(m_context);
    ChildWindow window(nullptr, QSize(64, 48), DocumentEnv(cqtest::scratchStore(), Feather::Featherer(cache)));
    PixmapLayer *pLayer = newLayer(window, Qt::white);
    window.SetFeather(true);
    window.SetFeatherRadius(12);
    window.SetSelection(QRegion(16, 12, 32, 24));
    QVERIFY(!window.SelectionMask().isNull());
    window.BeginPaint(false, pLayer);
    strokeAll(window, Qt::red);
    window.CommitStroke();
    const QImage got = cqtest::layerPixels(pLayer);
    // Far outside untouched, the centre fully painted, the edge in between.
    QCOMPARE(got.pixel(2, 2), qRgb(255, 255, 255));
    QCOMPARE(got.pixel(32, 24), qRgb(255, 0, 0));
    int partial = 0;
    for (int x = 10; x < 24; ++x) {
        const int g = qGreen(got.pixel(x, 24));
        QVERIFY(qAlpha(got.pixel(x, 24)) == 255);
        if (g > 0 && g < 255)
            ++partial;
    }
    QVERIFY(partial >= 2);
    // Colour only fades across the edge, never jumps back.
    for (int x = 11; x < 24; ++x)
        QVERIFY(qGreen(got.pixel(x, 24)) <= qGreen(got.pixel(x - 1, 24)));
    window.EndPaint();
}

void TestPainting::accumulateVersusNot()
{
    for (bool accumulate : {false, true}) {
        ChildWindow window(nullptr, QSize(40, 30), referenceEnv());
        PixmapLayer *pLayer = newLayer(window, Qt::white);
        window.BeginPaint(accumulate, pLayer);
        strokeAll(window, Qt::red, QRect(0, 0, 10, 10));
        window.CommitStroke(QRect(0, 0, 40, 30));
        strokeAll(window, Qt::blue, QRect(20, 10, 10, 10));
        window.CommitStroke(QRect(0, 0, 40, 30));
        window.EndPaint();
        const QImage got = cqtest::layerPixels(pLayer);
        QCOMPARE(got.pixel(25, 15), qRgb(0, 0, 255));
        QCOMPARE(got.pixel(5, 5), accumulate ? qRgb(255, 0, 0) : qRgb(255, 255, 255));
    }
    // The same with feathering on: the accumulation buffer carries earlier dabs.
    for (bool accumulate : {false, true}) {
        ChildWindow window(nullptr, QSize(40, 30), referenceEnv());
        PixmapLayer *pLayer = newLayer(window, Qt::white);
        window.SetFeather(true);
        window.SetFeatherRadius(2);
        window.SetSelection(QRegion(0, 0, 40, 30));
        window.BeginPaint(accumulate, pLayer);
        strokeAll(window, Qt::red, QRect(5, 5, 10, 10));
        window.CommitStroke();
        strokeAll(window, Qt::blue, QRect(20, 10, 10, 10));
        window.CommitStroke();
        const QImage got = cqtest::layerPixels(pLayer);
        QCOMPARE(got.pixel(25, 15), qRgb(0, 0, 255));
        QCOMPARE(got.pixel(10, 10), accumulate ? qRgb(255, 0, 0) : qRgb(255, 255, 255));
    }
    // A new edit never sees the last one's drawing, whether it commits
    // without drawing, draws elsewhere or reads the buffer.
    ChildWindow window(nullptr, QSize(40, 30), referenceEnv());
    PixmapLayer *pLayer = newLayer(window, Qt::white);
    const QImage white = cqtest::layerPixels(pLayer);
    const auto redEdit = [&] {
        window.BeginPaint(true, pLayer);
        strokeAll(window, Qt::red, QRect(0, 0, 10, 10));
        window.CommitStroke();
        window.EndPaint();
        cqtest::setLayerPixels(pLayer, white);
    };
    for (bool accumulate : {false, true}) {
        redEdit();
        window.BeginPaint(accumulate, pLayer);
        window.CommitStroke();
        QCOMPARE(cqtest::layerPixels(pLayer), white);
        window.EndPaint();
    }
    redEdit();
    window.BeginPaint(true, pLayer);
    strokeAll(window, Qt::blue, QRect(20, 10, 10, 10));
    window.CommitStroke();
    QCOMPARE(cqtest::layerPixels(pLayer).pixel(5, 5), qRgb(255, 255, 255));
    window.EndPaint();
    redEdit();
    window.BeginPaint(false, pLayer);
    QCOMPARE(window.StrokeBuffer().pixel(5, 5), 0u);
    window.EndPaint();
}

void TestPainting::commitsStartFromBaseImage()
{
    ChildWindow window(nullptr, QSize(20, 20), referenceEnv());
    PixmapLayer *pLayer = newLayer(window, Qt::white);
    window.BeginPaint(true, pLayer);
    strokeAll(window, QColor(255, 0, 0, 128));
    window.CommitStroke();
    const QImage once = cqtest::layerPixels(pLayer);
    for (int i = 0; i < 3; ++i)
        window.CommitStroke();
    QCOMPARE(cqtest::differingPixels(cqtest::layerPixels(pLayer), once), qint64(0));
    QVERIFY(qGreen(once.pixel(3, 3)) > 100 && qGreen(once.pixel(3, 3)) < 150);
    // The base image itself was never touched.
    QCOMPARE(window.BaseImage().pixel(3, 3), qRgb(255, 255, 255));
}

// Translucent pixels keep their exact straight colour wherever the stroke
// leaves them alone, even inside the committed area.
void TestPainting::untouchedPixelsStayExact()
{
    Document document(QSize(33, 21), referenceEnv());
    auto *pLayer = static_cast<PixmapLayer *>(document.CreateLayer(Layer::Raster));
    QImage pixels = cqtest::patternImage(33, 21, 77);
    pixels.setPixel(4, 4, qRgba(200, 100, 50, 1));
    pixels.setPixel(5, 4, qRgba(17, 230, 99, 0));
    cqtest::setLayerPixels(pLayer, pixels);
    document.SetSelection(QRegion(0, 0, 20, 21));
    document.BeginPaint(true, pLayer);
    document.BeginStroke()->fillRect(QRect(10, 10, 3, 3), QColor(0, 0, 255, 200));
    document.CommitStroke(QRect(0, 0, 33, 21));
    document.EndPaint();
    const QImage &got = pLayer->image();
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 33; ++x) {
            if (QRect(10, 10, 3, 3).contains(x, y))
                continue;
            QVERIFY2(got.pixel(x, y) == pixels.pixel(x, y), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    // Under the stroke: its colour over the old one, in straight terms.
    const QRgb under = pixels.pixel(11, 11);
    const int a = 200 + qAlpha(under) * 55 / 255;
    QVERIFY(qAbs(qAlpha(got.pixel(11, 11)) - a) <= 1);
    QVERIFY(qBlue(got.pixel(11, 11)) >= qBlue(under));
}

// A filter's result takes the place of what was inside the selection, alpha
// and colour alike; outside nothing changes. A feathered selection mixes the
// two by the mask.
void TestPainting::resultReplacesSelection()
{
    const QImage before = cqtest::patternImage(24, 16, 5);
    const QImage result = cqtest::patternImage(24, 16, 6);
    for (bool feather : {false, true}) {
        Document document(QSize(24, 16), referenceEnv());
        auto *pLayer = static_cast<PixmapLayer *>(document.CreateLayer(Layer::Raster));
        cqtest::setLayerPixels(pLayer, before);
        document.SetFeather(feather);
        document.SetFeatherRadius(3);
        document.SetSelection(QRegion(6, 4, 10, 8));
        document.BeginPaint(false, pLayer);
        document.CommitResult(result);
        document.CommitResult(result); // previews repeat from the base image
        document.EndPaint();
        // What landing the result gives (its rules are tst_filterlanding's).
        const QImage mask = feather ? document.SelectionMask() : QImage();
        QCOMPARE(pLayer->image(), FilterLanding::Land(before, result, QRegion(6, 4, 10, 8), mask));
        QVERIFY(pLayer->image() != before && pLayer->image() != result);
    }
}

void TestPainting::selectionCommands()
{
    ChildWindow window(nullptr, QSize(30, 20), referenceEnv());
    QUndoStack *pStack = window.undoStack();
    window.SelectInverse();
    QCOMPARE(pStack->count(), 0);
    window.SelectNone();
    QCOMPARE(pStack->count(), 1);
    QCOMPARE(pStack->text(0), QStringLiteral("Selection Change"));
    window.SetSelection(QRegion(0, 0, 10, 20));
    window.SelectInverse();
    QCOMPARE(pStack->count(), 2);
    QCOMPARE(window.Selection(), QRegion(10, 0, 20, 20));
    window.SelectAll();
    QCOMPARE(window.Selection(), QRegion(0, 0, 30, 20));
    pStack->undo();
    QCOMPARE(window.Selection(), QRegion(10, 0, 20, 20));
    pStack->undo();
    QCOMPARE(window.Selection(), QRegion(0, 0, 10, 20));
}

void TestPainting::zoomRules()
{
    ChildWindow window(nullptr, QSize(400, 300), referenceEnv());
    QSignalSpy zoomed(&window, &ChildWindow::ZoomChanged);
    window.ZoomBy(-100);
    QCOMPARE(window.ZoomFactor(), 1.0);
    QCOMPARE(zoomed.count(), 0);
    window.ZoomBy(-50);
    QCOMPARE(window.ZoomFactor(), 0.5);
    QCOMPARE(window.view()->size(), QSize(200, 150));
    QCOMPARE(zoomed.count(), 1);
    window.SetZoom(33.3);
    // Rounded up: the whole canvas shows.
    QCOMPARE(window.view()->size(), QSize(134, 100));
}

// Presses take the pixel whose square holds the point, also left of and
// above the canvas (inside it, tst_toolframework clicks at every zoom).
void TestPainting::mousePositions()
{
    ChildWindow window(nullptr, QSize(40, 30), referenceEnv());
    QSignalSpy pressed(&window, &ChildWindow::MousePress);
    QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
    press.setButton(Qt::LeftButton);
    press.setScenePos(QPointF(-0.4, 2.9));
    QApplication::sendEvent(window.scene(), &press);
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(pressed.at(0).at(1).toPoint(), QPoint(-1, 2));
}

QTEST_MAIN(TestPainting)
#include "tst_painting.moc"
