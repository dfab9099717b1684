// The clone stamp, the colour-pick, smudge, smooth and sharpen tools through
// real mouse events: where cloned pixels come from and go to, colours read
// at the image's edges and on moved layers, the loupe, the smudge dragging
// colour forward without leaving the selection, and smoothing and
// sharpening only under the brush.
#include "ColorPickTool.h"
#include "ColorPicker.h"
#include "Convolver.h"
#include "GraphicsScene.h"
#include "RetouchTool.h"
#include "SmudgeBrush.h"
#include "SmudgeTool.h"
#include "StampTool.h"
#include "ToolTestSupport.h"
#include "ToolboxDlg.h"

#include <QComboBox>
#include <QGraphicsPixmapItem>
#include <QSpinBox>
#include <QTemporaryDir>

#include <cmath>

using namespace cqtest;

class TestRetouchTools : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    void chooseWidth(int iWidth)
    {
        QComboBox *pBox = m_pMain->OptionBar()->findChild<QComboBox *>();
        pBox->setCurrentIndex(pBox->findText(QString::number(iWidth)));
    }
    // Points within `inner` of the segment a-b, and those beyond `outer`.
    static double toSegment(QPointF p, QPointF a, QPointF b)
    {
        const QPointF ab = b - a;
        const double len2 = QPointF::dotProduct(ab, ab);
        const double t = len2 > 0 ? qBound(0.0, QPointF::dotProduct(p - a, ab) / len2, 1.0) : 0;
        const QPointF q = a + t * ab - p;
        return std::hypot(q.x(), q.y());
    }
    // A picture of two halves, red on the left and blue on the right.
    static QImage halves(int w, int h)
    {
        QImage image(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.setPixel(x, y, x < w / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
        return image;
    }

    // The layer as a retouch stroke through `path` (canvas points, width w)
    // should leave it: the filtered pixels where the pixel's centre lies
    // within w / 2 of the path of the tip's centre, inside `selected` (all
    // when empty), the original elsewhere.
    static QImage retouched(const QImage &base, const QImage &filtered, const QList<QPointF> &path, int w,
                            const QRect &selected = QRect())
    {
        const double shift = w / 2.0 - w / 2;
        QImage expected = base;
        for (int y = 0; y < base.height(); ++y)
            for (int x = 0; x < base.width(); ++x) {
                const QPointF centre(x + 0.5 - shift, y + 0.5 - shift);
                bool under = false;
                for (int i = 0; i < path.size(); ++i)
                    under = under || toSegment(centre, path[qMax(0, i - 1)], path[i]) <= w / 2.0;
                if (under && (selected.isNull() || selected.contains(QPoint(x, y))))
                    expected.setPixel(x, y, filtered.pixel(x, y));
            }
        return expected;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = startMainWindow(m_scratch.path())); }
    void cleanup() { endToolCase(m_pMain); }

    void stampClonesFromTheMovingSource()
    {
        const QImage base = patternImage(160, 140, 42, false);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        m_pMain->toolbox()->Select(ToolSet::Stamp);
        chooseWidth(10);
        click(pWindow, QPointF(10, 10), Qt::AltModifier);
        auto *pStamp = toolOf<StampTool>(m_pMain, ToolSet::Stamp);
        QVERIFY(pStamp->marker()->scene() == pWindow->scene());
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, {QPointF(100, 100), QPointF(110, 100), QPointF(120, 100)});
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        const QImage first = layerOf(pWindow)->image();
        // The pen's inside holds the source's pixels, 90 to the left and up;
        // what lies clear of the pen keeps its own.
        for (int y = 85; y < 116; ++y)
            for (int x = 85; x < 136; ++x) {
                const double d = toSegment(QPointF(x, y), QPointF(100, 100), QPointF(120, 100));
                if (d < 3.5)
                    QCOMPARE(first.pixel(x, y), base.pixel(x - 90, y - 90));
                else if (d > 7.5)
                    QCOMPARE(first.pixel(x, y), base.pixel(x, y));
            }
        // The source went along: the marker sits at (30, 10).
        QCOMPARE(pStamp->SourcePoint(), QPoint(30, 10));
        QCOMPARE(pStamp->marker()->sceneBoundingRect().center(), QPointF(30, 10));
        checkUndoRedoExact(pWindow, base, QStringLiteral("Stamp - New Layer"));
        // The next stroke goes on from there.
        drag(pWindow, {QPointF(40, 120), QPointF(50, 120)});
        QCOMPARE(layerOf(pWindow)->image().pixel(45, 120), base.pixel(35, 10));
    }

    void stampCrossingItsSourceCopiesThePress()
    {
        const QImage base = patternImage(160, 80, 43, false);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        m_pMain->toolbox()->Select(ToolSet::Stamp);
        chooseWidth(8);
        click(pWindow, QPointF(60, 40), Qt::AltModifier);
        QList<QPointF> path;
        for (int x = 70; x <= 110; x += 5)
            path << QPointF(x, 40);
        drag(pWindow, path);
        // Pixels the stroke had already painted are not cloned again.
        for (int x = 75; x <= 105; ++x)
            QCOMPARE(layerOf(pWindow)->image().pixel(x, 40), base.pixel(x - 10, 40));
    }

    void colourPickAtTheEdgesAndOnAMovedLayer()
    {
        const QImage base = patternImage(40, 30, 44, true);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        m_pMain->toolbox()->Select(ToolSet::ColorPick);
        ColorPicker *pPalette = m_pMain->colorPanel();
        auto *pPick = toolOf<ColorPickTool>(m_pMain, ToolSet::ColorPick);
        press(pWindow, QPointF(39, 29));
        QCOMPARE(pPalette->Color().rgba(), base.pixel(39, 29));
        QVERIFY(pPick->loupe()->scene() == pWindow->scene());
        // Off the canvas nothing is read: the colour stays.
        move(pWindow, QPointF(45, 36));
        QCOMPARE(pPalette->Color().rgba(), base.pixel(39, 29));
        move(pWindow, QPointF(3, 2));
        QCOMPARE(pPalette->Color().rgba(), base.pixel(3, 2));
        // The loupe magnifies the picked pixel in its middle.
        const QImage loupe = pPick->loupe()->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        const QPoint middle(ColorPickTool::kLoupeSide / 2 + 2, ColorPickTool::kLoupeSide / 2 + 2);
        QVERIFY(maxChannelDiff(loupe.copy(QRect(middle, QSize(1, 1))), base.copy(3, 2, 1, 1)) <= 1);
        release(pWindow, QPointF(3, 2));
        QVERIFY(!pPick->loupe()->scene());
        QCOMPARE(pPalette->Color().rgba(), base.pixel(3, 2));

        // A transparent pixel gives a colour with alpha 0.
        QImage clear = base;
        clear.setPixel(5, 5, qRgba(10, 20, 30, 0));
        setLayerPixels(layerOf(pWindow), clear);
        click(pWindow, QPointF(5, 5));
        QCOMPARE(pPalette->Color().alpha(), 0);
        // A layer moved to (20, 10) shows its top-left pixel there.
        layerOf(pWindow)->setPos(QPointF(20, 10));
        click(pWindow, QPointF(20, 10));
        QCOMPARE(pPalette->Color().rgba(), base.pixel(0, 0));
        click(pWindow, QPointF(5, 5)); // the layer does not reach here
        QCOMPARE(pPalette->Color().alpha(), 0);
    }

    void smudgeBrushCarriesItsColours()
    {
        // At full strength the tip lays down exactly what it picked up.
        QImage image = patternImage(60, 30, 45, false);
        const QImage original = image;
        SmudgeBrush brush;
        brush.SetWidth(9);
        brush.SetStrength(100);
        brush.Start(image, QPoint(10, 10));
        const QRect changed = brush.Dab(image, QPoint(40, 12));
        QCOMPARE(changed, QRect(36, 8, 9, 9));
        QCOMPARE(image.pixel(40, 12), original.pixel(10, 10));
        QCOMPARE(image.pixel(39, 11), original.pixel(9, 9));
        // Nothing outside the tip changes.
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 60; ++x)
                if (!changed.contains(QPoint(x, y)))
                    QCOMPARE(image.pixel(x, y), original.pixel(x, y));
        // A transparent pixel lends no colour: half-way onto it keeps the hue.
        QImage edge(20, 10, QImage::Format_ARGB32);
        edge.fill(qRgba(0, 255, 0, 0));
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                edge.setPixel(x, y, qRgb(200, 0, 0));
        SmudgeBrush soft;
        soft.SetWidth(5);
        soft.SetStrength(50);
        soft.Start(edge, QPoint(4, 5));
        soft.Dab(edge, QPoint(14, 5));
        const QRgb smeared = edge.pixel(14, 5);
        QVERIFY(qAlpha(smeared) > 100 && qAlpha(smeared) < 150);
        QCOMPARE(qRed(smeared), 200);
        QCOMPARE(qGreen(smeared), 0);
    }

    void smudgeDragsColourForwardInsideTheSelection()
    {
        const QImage base = halves(120, 60);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        m_pMain->toolbox()->Select(ToolSet::Smudge);
        chooseWidth(20);
        m_pMain->OptionBar()->findChild<QSpinBox *>()->setValue(80);
        QCOMPARE(toolOf<SmudgeTool>(m_pMain, ToolSet::Smudge)->Strength(), 80);
        QList<QPointF> path;
        for (int x = 45; x <= 85; x += 2)
            path << QPointF(x, 30);
        drag(pWindow, path);
        const QImage after = layerOf(pWindow)->image();
        // Red is carried into the blue half, ahead of where the stroke began;
        // nothing changes behind its start or beyond its end.
        QVERIFY(qRed(after.pixel(70, 30)) > 80);
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 34; ++x)
                QCOMPARE(after.pixel(x, y), base.pixel(x, y));
            for (int x = 96; x < 120; ++x)
                QCOMPARE(after.pixel(x, y), base.pixel(x, y));
        }
        checkUndoRedoExact(pWindow, base, QStringLiteral("Smudge - New Layer"));
        pWindow->undoStack()->undo();
        settle(layerOf(pWindow));

        // The other way round blue goes left; and never past the selection.
        const QRect selected(30, 20, 30, 20);
        pWindow->SetSelection(QRegion(selected));
        QList<QPointF> back;
        for (int x = 80; x >= 20; x -= 2)
            back << QPointF(x, 30);
        drag(pWindow, back);
        const QImage cut = layerOf(pWindow)->image();
        QVERIFY(qBlue(cut.pixel(50, 30)) > 80);
        int changedInside = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 120; ++x) {
                if (!selected.contains(QPoint(x, y)))
                    QCOMPARE(cut.pixel(x, y), base.pixel(x, y));
                else
                    changedInside += cut.pixel(x, y) != base.pixel(x, y);
            }
        QVERIFY(changedInside > 100);
    }

    void smoothOnlyUnderTheBrush()
    {
        // Translucent pixels too: the filtered ones replace them exactly.
        const QImage base = patternImage(90, 60, 47, true);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        m_pMain->toolbox()->Select(ToolSet::Smooth);
        chooseWidth(9);
        const QImage smoothed =
            Convolver::Reference(base, toolOf<RetouchTool>(m_pMain, ToolSet::Smooth)->Mask());
        // There and back: passing twice does not smooth twice.
        const QList<QPointF> path{QPointF(20, 30), QPointF(35, 30), QPointF(60, 38), QPointF(40, 34)};
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, path);
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        QCOMPARE(layerOf(pWindow)->image(), retouched(base, smoothed, path, 9));
        checkUndoRedoExact(pWindow, base, QStringLiteral("Smooth - New Layer"));

        // The next stroke smooths the smoothed layer again; a click with
        // width 1 changes the one pixel under the mouse.
        const QImage once = layerOf(pWindow)->image();
        chooseWidth(1);
        click(pWindow, QPointF(30, 30));
        const QImage twice = layerOf(pWindow)->image();
        QCOMPARE(twice.pixel(30, 30), Convolver::Reference(once, toolOf<RetouchTool>(m_pMain, ToolSet::Smooth)->Mask()).pixel(30, 30));
        QVERIFY(twice.pixel(30, 30) != once.pixel(30, 30));
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 90; ++x)
                if (x != 30 || y != 30)
                    QCOMPARE(twice.pixel(x, y), once.pixel(x, y));
    }

    void sharpenStaysInsideTheSelection()
    {
        const QImage base = patternImage(80, 50, 48, false);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        const QRect selected(25, 15, 20, 18);
        pWindow->SetSelection(QRegion(selected));
        m_pMain->toolbox()->Select(ToolSet::Sharpen);
        chooseWidth(20);
        const QList<QPointF> path{QPointF(10, 25), QPointF(30, 25), QPointF(70, 25)};
        drag(pWindow, path);
        const QImage sharpened = Convolver::Reference(base, toolOf<RetouchTool>(m_pMain, ToolSet::Sharpen)->Mask());
        QCOMPARE(layerOf(pWindow)->image(), retouched(base, sharpened, path, 20, selected));
        checkUndoRedoExact(pWindow, base, QStringLiteral("Sharpen - New Layer"));
    }
};

QTEST_MAIN(TestRetouchTools)
#include "tst_retouchtools.moc"
