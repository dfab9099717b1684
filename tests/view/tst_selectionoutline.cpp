// The selection outline draws from kept strokes: what it draws must equal a
// direct stroke of its path at every zoom, scroll position, dash phase and
// path, however often each has been drawn before.
#include "RegionOutline.h"
#include "SelectionOutline.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QtTest>

class TestSelectionOutline : public QObject
{
    Q_OBJECT
private slots:
    void keptStrokesFollowEveryChange();
};

namespace {

QImage draw(QGraphicsPathItem &item, const QTransform &transform)
{
    QImage image(160, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setTransform(transform);
    QStyleOptionGraphicsItem option;
    item.paint(&painter, &option, nullptr);
    return image;
}

QPen ants(bool bPhase)
{
    QPen pen(Qt::black, 0);
    pen.setDashPattern({4, 4});
    pen.setDashOffset(bPhase ? 4 : 0);
    return pen;
}

} // namespace

void TestSelectionOutline::keptStrokesFollowEveryChange()
{
    // A ring with a hole and a detached square: several loops, corners
    // touching, dashes crossing the view's edges when scrolled.
    const QRegion ring = QRegion(10, 10, 60, 40).subtracted(QRegion(25, 20, 20, 15)) + QRegion(70, 50, 12, 12);
    const QRegion other = QRegion(5, 30, 90, 7) + QRegion(40, 2, 9, 60);
    SelectionOutline outline;
    QGraphicsPathItem direct;
    const QTransform transforms[] = {QTransform(), QTransform::fromScale(2, 2),
                                     QTransform::fromScale(2, 2) * QTransform::fromTranslate(-37, -11),
                                     QTransform::fromScale(0.5, 0.5) * QTransform::fromTranslate(3, 4)};
    for (const QRegion &region : {ring, other, ring}) {
        const QPainterPath path = RegionOutline::Path(region);
        outline.setPath(path);
        direct.setPath(path);
        for (const QTransform &transform : transforms)
            for (int round = 0; round < 2; ++round)
                for (bool bPhase : {false, true}) {
                    outline.setPen(ants(bPhase));
                    direct.setPen(ants(bPhase));
                    const QImage expected = draw(direct, transform);
                    QVERIFY(!expected.isNull());
                    QCOMPARE(draw(outline, transform), expected);
                }
    }
}

QTEST_MAIN(TestSelectionOutline)
#include "tst_selectionoutline.moc"
