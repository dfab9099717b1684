// The fill and the magic wand driven by real clicks on a shown document:
// the fill against a plain flood and a real-number blend on random images,
// inside a hard and a feathered selection, in every layer and view
// situation, undone and redone exactly; the wand turning the same floods
// into selections, one undo step each.
#include "FillTool.h"
#include "FloodReference.h"
#include "GestureSupport.h"
#include "Situations.h"
#include "ToolTestSupport.h"
#include "ui_MainWindow.h"
#include "ToolboxDlg.h"
#include "WandTool.h"

#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUndoStack>
#include <QtTest>

using cqtest::clickCanvas;

class TestFillTools : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    ChildWindow *document(const QImage &pixels) { return cqtest::documentWith(m_pMain, pixels); }
    PixmapLayer *layerOf(ChildWindow *pWindow) { return cqtest::layerOf(pWindow); }
    FillTool *fillTool() { return cqtest::toolOf<FillTool>(m_pMain, ToolSet::Fill); }
    QSlider *slider() { return m_pMain->form()->mainToolBar->findChild<QSlider *>(); }
    void selectFill(const QColor &color, int iTolerance)
    {
        m_pMain->toolbox()->Select(ToolSet::Fill);
        fillTool()->ColorPickerChanged(color);
        slider()->setValue(iTolerance);
    }
    // Black, with a white block from (5, 5) to (24, 19).
    static QImage whiteBlock()
    {
        QImage image = cqtest::filledImage(60, 40, qRgb(0, 0, 0));
        for (int y = 5; y < 20; ++y)
            for (int x = 5; x < 25; ++x)
                image.setPixel(x, y, qRgb(255, 255, 255));
        return image;
    }
    // A straight colour laid over a straight pixel, worked out in real
    // numbers (not by the blending code under test).
    static QRgb over(QRgb top, QRgb under)
    {
        const double ta = qAlpha(top) / 255.0, ua = qAlpha(under) / 255.0;
        const double a = ta + ua * (1 - ta);
        if (a <= 0)
            return 0;
        auto channel = [&](int t, int u) { return int(std::lround((t * ta + u * ua * (1 - ta)) / a)); };
        return qRgba(channel(qRed(top), qRed(under)), channel(qGreen(top), qGreen(under)),
                     channel(qBlue(top), qBlue(under)), int(std::lround(a * 255)));
    }
    // The pixels a fill of `color` from `seed` should give, by the plain flood.
    static QImage expectedFill(const QImage &before, QPoint seed, QRgb color, int t, const QRegion &allowed = QRegion())
    {
        const std::vector<char> taken = cqtest::referenceFlood(before, seed, false, t, allowed);
        QImage expected = before;
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x)
                if (taken[size_t(y) * before.width() + x])
                    expected.setPixel(x, y, over(color, before.pixel(x, y)));
        return expected;
    }
    // Same pixels changed, each within one level (premultiplied) of the
    // real-number blend.
    static void compareFill(const QImage &got, const QImage &before, const QImage &expected)
    {
        for (int y = 0; y < got.height(); ++y)
            for (int x = 0; x < got.width(); ++x)
                if ((expected.pixel(x, y) == before.pixel(x, y)) != (got.pixel(x, y) == before.pixel(x, y))
                    && cqtest::maxChannelDiff(got, expected, QRect(x, y, 1, 1)) > 1)
                    QFAIL(qPrintable(QStringLiteral("(%1, %2) filled wrongly").arg(x).arg(y)));
        QVERIFY(cqtest::maxChannelDiff(got, expected) <= 1);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = cqtest::startMainWindow(m_scratch.path())); }
    void cleanup() { cqtest::endToolCase(m_pMain); }

    // In every situation: the fill from the pixel the click lands on takes
    // what the plain flood takes of the part of the layer on the canvas,
    // and nothing beyond it; one step, undone and redone exactly.
    void fillMatchesThePlainFloodAndUndoesExactly_data() { cqtest::addSituations(); }
    void fillMatchesThePlainFloodAndUndoesExactly()
    {
        QFETCH(cqtest::Situation, situation);
        QRandomGenerator rng(11);
        int round = 0;
        for (int t : {1, 30, 128}) {
            for (QRgb color : {qRgba(0, 200, 90, 255), qRgba(250, 250, 0, 140)}) {
                const QImage before = cqtest::blotchyImage(97, 61, 300 + round++);
                ChildWindow *pWindow = cqtest::documentIn(m_pMain, situation, before);
                selectFill(QColor::fromRgba(color), t);
                const QRect reachable = situation.reachable(before.size());
                const QPoint aim = reachable.topLeft()
                                   + QPoint(rng.bounded(reachable.width()), rng.bounded(reachable.height()));
                const int entries = pWindow->undoStack()->count();
                const QPoint seed = cqtest::clickLayer(pWindow, situation, aim);
                QVERIFY(reachable.contains(seed));
                const QImage after = layerOf(pWindow)->image();
                compareFill(after, before, expectedFill(before, seed, color, t, reachable));
                QCOMPARE(layerOf(pWindow)->pos(), QPointF(situation.layerAt));
                QCOMPARE(pWindow->undoStack()->count(), entries + 1);
                QCOMPARE(pWindow->undoStack()->undoText(), QStringLiteral("Fill - New Layer"));
                pWindow->undoStack()->undo();
                cqtest::settle(pWindow);
                QCOMPARE(layerOf(pWindow)->image(), before);
                pWindow->undoStack()->redo();
                cqtest::settle(pWindow);
                QCOMPARE(layerOf(pWindow)->image(), after);
                cleanup();
            }
        }
    }

    void fillStopsAtTheSelectionEdge()
    {
        QImage before = cqtest::filledImage(80, 60, qRgb(240, 240, 240));
        ChildWindow *pWindow = document(before);
        const QRegion selected = QRegion(10, 10, 30, 20) + QRegion(20, 25, 40, 20, QRegion::Ellipse);
        pWindow->SetSelection(selected);
        selectFill(QColor(200, 0, 0), 128);
        clickCanvas(pWindow, QPoint(15, 15));
        QCOMPARE(cqtest::differingPixels(layerOf(pWindow)->image(),
                                         expectedFill(before, QPoint(15, 15), qRgb(200, 0, 0), 128, selected)),
                 qint64(0));
        // A click outside the selection changes nothing.
        const QImage filled = layerOf(pWindow)->image();
        clickCanvas(pWindow, QPoint(75, 55));
        QCOMPARE(layerOf(pWindow)->image(), filled);
    }

    void featheredSelectionSoftensTheFill()
    {
        QImage before = cqtest::filledImage(80, 60, qRgb(255, 255, 255));
        ChildWindow *pWindow = document(before);
        pWindow->SetFeatherRadius(6);
        pWindow->SetFeather(true);
        pWindow->SetSelection(QRegion(20, 10, 40, 40));
        const QImage mask = pWindow->SelectionMask();
        QVERIFY(!mask.isNull());
        selectFill(QColor(0, 0, 255), 128);
        clickCanvas(pWindow, QPoint(40, 30));
        const QImage &after = layerOf(pWindow)->image();
        // Each pixel of the area gets the colour by the mask's share.
        int partial = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x) {
                const int m = qAlpha(mask.pixel(x, y));
                const bool inside = QRect(20, 10, 40, 40).contains(x, y);
                if (!inside) {
                    QCOMPARE(after.pixel(x, y), before.pixel(x, y));
                    continue;
                }
                const QImage one(1, 1, QImage::Format_ARGB32);
                QImage want = one, got = one;
                want.setPixel(0, 0, over(qRgba(0, 0, 255, m), before.pixel(x, y)));
                got.setPixel(0, 0, after.pixel(x, y));
                QVERIFY2(cqtest::maxChannelDiff(got, want) <= 1, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
                partial += m > 0 && m < 255;
            }
        QVERIFY(partial > 40);
        pWindow->SetFeather(false);
    }

    void wandSelectsTheAreaAsOneStep()
    {
        const QImage before = cqtest::blotchyImage(90, 70, 77);
        ChildWindow *pWindow = document(before);
        m_pMain->toolbox()->Select(ToolSet::Wand);
        slider()->setValue(40);
        // The wand ignores the selection there was and replaces it.
        const QRegion earlier(0, 0, 10, 10);
        pWindow->SetSelection(earlier);
        const int entries = pWindow->undoStack()->count();
        clickCanvas(pWindow, QPoint(45, 35));
        QVERIFY(pWindow->Selection() != earlier && pWindow->Selection().contains(QPoint(45, 35)));
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        // Shift adds another area, Alt takes it away again.
        clickCanvas(pWindow, QPoint(5, 65), Qt::ShiftModifier);
        const QRegion added = pWindow->Selection();
        QVERIFY(added.contains(QPoint(5, 65)) && added.contains(QPoint(45, 35)));
        clickCanvas(pWindow, QPoint(5, 65), Qt::AltModifier);
        QVERIFY(!pWindow->Selection().contains(QPoint(5, 65)));
        pWindow->undoStack()->undo();
        pWindow->undoStack()->undo();
        pWindow->undoStack()->undo();
        QCOMPARE(pWindow->Selection(), earlier);
        // The tolerance stays with the wand.
        m_pMain->toolbox()->Select(ToolSet::Fill);
        m_pMain->toolbox()->Select(ToolSet::Wand);
        QCOMPARE(slider()->value(), 40);
    }

    // In every situation the wand selects, in canvas coordinates, the
    // canvas part of the flood from the pixel the click lands on (the
    // selection made is pinned down here, the modifiers above).
    void wandInEverySituation_data() { cqtest::addSituations(); }
    void wandInEverySituation()
    {
        QFETCH(cqtest::Situation, situation);
        const QImage before = cqtest::blotchyImage(90, 70, 78);
        ChildWindow *pWindow = cqtest::documentIn(m_pMain, situation, before);
        m_pMain->toolbox()->Select(ToolSet::Wand);
        slider()->setValue(40);
        const QRect reachable = situation.reachable(before.size());
        const QPoint seed = cqtest::clickLayer(pWindow, situation, reachable.center());
        const std::vector<char> taken = cqtest::referenceFlood(before, seed, true, 40, reachable);
        QRegion expected;
        for (int y = 0; y < 70; ++y)
            for (int x = 0; x < 90; ++x)
                if (taken[size_t(y) * 90 + x])
                    expected += QRect(x, y, 1, 1);
        QCOMPARE(pWindow->Selection(), expected.translated(situation.layerAt));
    }
};

QTEST_MAIN(TestFillTools)
#include "tst_filltools.moc"
