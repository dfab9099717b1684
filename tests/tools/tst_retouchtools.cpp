// The retouch tools through real mouse events, beyond the stroke table of
// tst_painttools: the clone stamp crossing its own source, colours read at
// the image's edges and on moved layers, the loupe, the smudge tip's
// colours, and smoothing and sharpening only under the brush.
#include "ColorPickTool.h"
#include "ColorPicker.h"
#include "Convolver.h"
#include "GraphicsScene.h"
#include "RetouchTool.h"
#include "SmudgeBrush.h"
#include "ToolTestSupport.h"
#include "ToolboxDlg.h"

#include <QComboBox>
#include <QGraphicsPixmapItem>
#include <QTemporaryDir>

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
                    under = under || distanceToSegment(centre, path[qMax(0, i - 1)], path[i]) <= w / 2.0;
                if (under && (selected.isNull() || selected.contains(QPoint(x, y))))
                    expected.setPixel(x, y, filtered.pixel(x, y));
            }
        return expected;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = startMainWindow(m_scratch.path())); }
    void cleanup() { endToolCase(m_pMain); }

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
        QImage edge = cqtest::filledImage(20, 10, qRgba(0, 255, 0, 0));
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
