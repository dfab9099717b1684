// The selection outline: at any integer zoom and scroll position it covers
// exactly the device pixels of the zoomed selection that touch the outside,
// dashes and gaps together, the two dash phases split them between them, and
// the kept drawings follow every change of region, zoom, scroll position,
// pen and gap colour.
#include "ChildWindow.h"
#include "GraphicsView.h"
#include "PixmapLayer.h"
#include "SelectionOutline.h"
#include "TestSupport.h"

#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionGraphicsItem>
#include <QtTest>

class TestSelectionOutline : public QObject
{
    Q_OBJECT
private slots:
    void outlineIsTheInnerBorder();
    void outlineInAScrolledWindow();
};

namespace {

const QSize kView(160, 120);

// What the item draws on a view of kView pixels.
QImage draw(SelectionOutline &item, const QTransform &transform)
{
    QImage image(kView, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setTransform(transform);
    QStyleOptionGraphicsItem option;
    item.paint(&painter, &option, nullptr);
    return image;
}

// The pixels of `colour` in the image, as a region. (Regions built in
// different orders may hold the same pixels in different rectangles, so
// they are compared by their difference.)
QRegion pixelsOf(const QImage &image, QRgb colour)
{
    QRegion pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                pixels += QRect(x, y, 1, 1);
    return pixels;
}

// Independently, by region algebra: the zoomed region less the pixels all
// of whose four neighbours it also holds.
QRegion innerBorder(const QRegion &region, int zoom, QPoint shift, const QRect &bounds = QRect(QPoint(0, 0), kView))
{
    const QRegion scaled = QTransform::fromScale(zoom, zoom).map(region).translated(shift);
    const QRegion core = scaled & scaled.translated(1, 0) & scaled.translated(-1, 0) & scaled.translated(0, 1)
                         & scaled.translated(0, -1);
    return (scaled - core) & QRegion(bounds);
}

QPen ants(bool bPhase)
{
    QPen pen(Qt::black, 0);
    pen.setDashPattern({4, 4});
    pen.setDashOffset(bPhase ? 4 : 0);
    return pen;
}

} // namespace

void TestSelectionOutline::outlineIsTheInnerBorder()
{
    // A ring with a hole, a square touching it at a corner, one-pixel parts.
    const QRegion ring = QRegion(10, 10, 60, 40).subtracted(QRegion(25, 20, 20, 15)) + QRegion(70, 50, 12, 12)
                         + QRegion(5, 5, 1, 30);
    const QRegion cross = QRegion(5, 30, 90, 7) + QRegion(40, 2, 1, 60);
    SelectionOutline outline;
    const struct {
        int zoom;
        QPoint shift;
    } views[] = {{1, {0, 0}}, {2, {0, 0}}, {2, {-37, -11}}, {3, {-100, 4}}, {1, {13, 7}}};
    const QRegion all(QRect(QPoint(0, 0), kView));
    // Twice over each, so that kept drawings are used and must still match.
    for (const QRegion &region : {ring, cross, ring}) {
        outline.SetRegion(region);
        for (int round = 0; round < 2; ++round)
            for (const auto &view : views) {
                const QTransform transform = QTransform::fromScale(view.zoom, view.zoom)
                                             * QTransform::fromTranslate(view.shift.x(), view.shift.y());
                const QRegion expected = innerBorder(region, view.zoom, view.shift);
                QVERIFY(!expected.isEmpty());
                QRegion dashes[2];
                for (bool bPhase : {false, true}) {
                    outline.setPen(ants(bPhase));
                    // With white gaps the whole border shows; without, the dashes alone.
                    outline.SetGapColor(Qt::white);
                    const QImage image = draw(outline, transform);
                    dashes[bPhase] = pixelsOf(image, qRgba(0, 0, 0, 255));
                    const QRegion gaps = pixelsOf(image, qRgba(255, 255, 255, 255));
                    QVERIFY(!dashes[bPhase].isEmpty() && !gaps.isEmpty());
                    QCOMPARE((dashes[bPhase] + gaps) ^ expected, QRegion());
                    QCOMPARE(pixelsOf(image, qRgba(0, 0, 0, 0)) ^ (all - expected), QRegion());
                    outline.SetGapColor(Qt::transparent);
                    const QImage bare = draw(outline, transform);
                    QCOMPARE(pixelsOf(bare, qRgba(0, 0, 0, 255)) ^ dashes[bPhase], QRegion());
                    QCOMPARE(pixelsOf(bare, qRgba(0, 0, 0, 0)) ^ (all - dashes[bPhase]), QRegion());
                }
                QVERIFY((dashes[0] & dashes[1]).isEmpty());
                QCOMPARE((dashes[0] + dashes[1]) ^ expected, QRegion());
            }
    }
}

// The window draws only the part of its view the scroll area shows: there,
// on screen, at 200 %, scrolled, the outline is still exactly the border,
// while the ants march.
void TestSelectionOutline::outlineInAScrolledWindow()
{
    ChildWindow window(nullptr, QSize(400, 300), cqtest::scratchStore());
    window.resize(260, 200);
    auto *pLayer = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
    QImage red = cqtest::filledImage(400, 300, qRgb(255, 0, 0));
    pLayer->setImage(red);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.SetZoom(200);
    QCoreApplication::processEvents();
    QScrollArea *pArea = window.scrollArea();
    pArea->horizontalScrollBar()->setValue(290);
    pArea->verticalScrollBar()->setValue(190);
    const QRegion selection = QRegion(160, 110, 40, 30) + QRegion(150, 120, 10, 1);
    window.SetSelection(selection);
    QWidget *pViewport = pArea->viewport();
    const QPoint scrolled = window.view()->viewport()->mapTo(pViewport, QPoint(0, 0));
    QCOMPARE(scrolled, QPoint(-290, -190));
    const QRect shown = pViewport->rect();
    const QRegion expected = innerBorder(selection, 2, scrolled, shown);
    QVERIFY(!expected.isEmpty());
    for (int frame = 0; frame < 3; ++frame) {
        window.MarchingAntsTimer();
        pViewport->repaint();
        const QPoint origin = pViewport->mapTo(&window, QPoint(0, 0));
        const QImage screen = window.screen()->grabWindow(window.winId()).toImage().convertToFormat(
            QImage::Format_ARGB32).copy(QRect(origin, shown.size()));
        QCOMPARE(screen.size(), shown.size());
        const QRegion outline = pixelsOf(screen, qRgba(0, 0, 0, 255)) + pixelsOf(screen, qRgba(255, 255, 255, 255));
        QCOMPARE(outline ^ expected, QRegion());
    }
}

QTEST_MAIN(TestSelectionOutline)
#include "tst_selectionoutline.moc"
