// Line, rectangle, rounded rectangle, ellipse and gradient tools driven by
// real mouse and key events: pixels against a reference drawn with the same
// painter settings, no trace of earlier rubber-band positions, one undo step
// (or none for a click), the selection, and the gradient's pending life.
#include "ColorPicker.h"
#include "GradientTool.h"
#include "LineTool.h"
#include "GraphicsScene.h"
#include "HandleGraphicsItem.h"
#include "ToolTestSupport.h"
#include "ToolboxDlg.h"

#include <QComboBox>
#include <QGraphicsScene>
#include <QTemporaryDir>

#include <cmath>

using namespace cqtest;

class TestShapeTools : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    QComboBox *box(int iIndex) { return m_pMain->OptionBar()->findChildren<QComboBox *>().value(iIndex); }
    void setSwatch(const QString &name, const QColor &color)
    {
        ColorSwatch *pSwatch = barSwatch(m_pMain, name);
        QVERIFY2(pSwatch, qPrintable(name));
        pSwatch->SetColor(color);
    }
    // Rectangle tools' option boxes: fill mode, border style, border width.
    void rectangleOptions(const QString &fill, int iWidth, const QColor &line, const QColor &fillColor)
    {
        setSwatch(QStringLiteral("RectLineColorSwatch"), line);
        setSwatch(QStringLiteral("RectFillColorSwatch"), fillColor);
        box(0)->setCurrentText(fill);
        box(2)->setCurrentText(QString::number(iWidth));
    }
    GradientTool *gradientTool() { return toolOf<GradientTool>(m_pMain, ToolSet::Gradient); }
    // A document holding base with the gradient tool chosen, of that type and those colours.
    ChildWindow *gradientOn(const QImage &base, int iType, const QColor &start, const QColor &end)
    {
        ChildWindow *pWindow = documentWith(m_pMain, base);
        m_pMain->toolbox()->Select(ToolSet::Gradient);
        gradientTool()->SetType(GradientTool::Type(iType));
        setSwatch(QStringLiteral("GradientStartColor"), start);
        setSwatch(QStringLiteral("GradientEndColor"), end);
        return pWindow;
    }
    HandleGraphicsItem *endHandle() { return gradientTool()->handle(1); }
    // The gradient as the tool describes it, built here from its definition.
    static QImage gradientOver(const QImage &base, int iType, QPointF a, QPointF b, QColor c0, QColor c1)
    {
        std::unique_ptr<QGradient> pGradient;
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        if (iType == GradientTool::Linear)
            pGradient = std::make_unique<QLinearGradient>(a, b);
        else if (iType == GradientTool::Radial)
            pGradient = std::make_unique<QRadialGradient>(a, std::abs(dx) + std::abs(dy), a);
        else {
            const double angle = std::atan(dx / dy) * 180 / 3.14159;
            pGradient = std::make_unique<QConicalGradient>(a, a.y() <= b.y() ? angle - 90 : angle - 270);
        }
        pGradient->setColorAt(0, c0);
        pGradient->setColorAt(1, c1);
        return drawnOver(base, [&](QPainter &painter) { painter.fillRect(base.rect(), *pGradient); });
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = startMainWindow(m_scratch.path())); }
    void cleanup() { endToolCase(m_pMain); }

    void lineAgainstReferenceWithoutTrace()
    {
        const QImage base = patternImage(160, 120, 11, false);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        m_pMain->toolbox()->Select(ToolSet::Line);
        setSwatch(QStringLiteral("LineColorSwatch"), QColor(200, 30, 40));
        box(1)->setCurrentIndex(2); // round cap
        box(2)->setCurrentText(QStringLiteral("9"));
        const int entries = pWindow->undoStack()->count();
        // The rubber band passes far from where the line ends up.
        drag(pWindow, {QPointF(20, 30), QPointF(150, 5), QPointF(5, 110), QPointF(60, 50), QPointF(130, 90)});
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        const QImage expected = drawnOver(base, [](QPainter &painter) {
            painter.setPen(QPen(QColor(200, 30, 40), 9, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin));
            painter.drawLine(QPointF(20, 30), QPointF(130, 90));
        });
        QVERIFY(maxChannelDiff(layerOf(pWindow)->image(), expected) <= 2);
        checkUndoRedoExact(pWindow, base, QStringLiteral("Line Tool - New Layer"));
        // The pen outlives the tool: back again, the next line is as wide.
        m_pMain->toolbox()->Select(ToolSet::Brush);
        m_pMain->toolbox()->Select(ToolSet::Line);
        QCOMPARE(box(2)->currentText(), QStringLiteral("3"));
        auto *pLine = toolOf<LineTool>(m_pMain, ToolSet::Line);
        QCOMPARE(pLine->pen().width(), 9);
        QCOMPARE(pLine->pen().capStyle(), Qt::RoundCap);
    }

    void shapesAgainstReferenceEitherWay_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("entry");
        QTest::newRow("rectangle") << int(ToolSet::Rectangle) << QStringLiteral("Rectangle - New Layer");
        QTest::newRow("rounded") << int(ToolSet::RoundedRectangle) << QStringLiteral("Rounded Rectangle - New Layer");
        QTest::newRow("ellipse") << int(ToolSet::Ellipse) << QStringLiteral("Ellipse - New Layer");
    }
    void shapesAgainstReferenceEitherWay()
    {
        QFETCH(int, kind);
        QFETCH(QString, entry);
        const QImage base = patternImage(150, 110, 12, false);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        m_pMain->toolbox()->Select(ToolSet::Kind(kind));
        const QColor line(10, 200, 30), fill(240, 200, 0, 160);
        rectangleOptions(QStringLiteral("Fill With Outline"), 5, line, fill);
        // From lower right to upper left, through places the shape leaves.
        drag(pWindow, {QPointF(120, 90), QPointF(5, 5), QPointF(145, 105), QPointF(30, 20)});
        const QRect rect(QPoint(30, 20), QPoint(120, 90));
        const QImage expected = drawnOver(base, [&](QPainter &painter) {
            painter.setPen(QPen(line, 5));
            painter.setBrush(fill);
            if (kind == ToolSet::RoundedRectangle)
                painter.drawRoundedRect(rect, 15, 15, Qt::AbsoluteSize);
            else if (kind == ToolSet::Ellipse)
                painter.drawEllipse(rect);
            else
                painter.drawRect(rect);
        });
        const QImage first = layerOf(pWindow)->image();
        QVERIFY2(maxChannelDiff(first, expected) <= 2, qPrintable(QString::number(maxChannelDiff(first, expected))));
        checkUndoRedoExact(pWindow, base, entry);
        pWindow->undoStack()->undo();
        settle(layerOf(pWindow));
        drag(pWindow, {QPointF(30, 20), QPointF(70, 60), QPointF(120, 90)});
        QCOMPARE(layerOf(pWindow)->image(), first);
    }

    void outlineOnlyAndFillOnly()
    {
        const QImage base = patternImage(120, 100, 13, false);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        m_pMain->toolbox()->Select(ToolSet::Rectangle);
        rectangleOptions(QStringLiteral("Outline Only"), 3, Qt::black, Qt::red);
        drag(pWindow, {QPointF(10, 10), QPointF(110, 90), QPointF(50, 40), QPointF(80, 70)});
        const QRect rect(QPoint(10, 10), QPoint(80, 70));
        // No fill whatever its colour, and no trace of the larger rectangle.
        const QImage outlined = layerOf(pWindow)->image();
        QCOMPARE(outlined.copy(rect.adjusted(4, 4, -4, -4)), base.copy(rect.adjusted(4, 4, -4, -4)));
        QCOMPARE(outlined.copy(85, 0, 35, 100), base.copy(85, 0, 35, 100));
        QVERIFY(outlined.pixel(10, 40) != base.pixel(10, 40));
        pWindow->undoStack()->undo();
        settle(layerOf(pWindow));
        box(0)->setCurrentText(QStringLiteral("Fill"));
        drag(pWindow, {QPointF(10, 10), QPointF(80, 70)});
        const QImage expected = drawnOver(base, [&](QPainter &painter) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::red);
            painter.drawRect(rect);
        });
        QVERIFY(maxChannelDiff(layerOf(pWindow)->image(), expected) <= 2);
    }

    void clickWithoutMovementDrawsNothing()
    {
        const QImage base = patternImage(80, 60, 14, false);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        for (ToolSet::Kind kind : {ToolSet::Line, ToolSet::Rectangle, ToolSet::Ellipse, ToolSet::Gradient}) {
            m_pMain->toolbox()->Select(kind);
            const int entries = pWindow->undoStack()->count();
            click(pWindow, QPointF(40, 30));
            // A drag back to where it began is no shape either, for line and gradient.
            if (kind == ToolSet::Line || kind == ToolSet::Gradient)
                drag(pWindow, {QPointF(20, 20), QPointF(50, 40), QPointF(20, 20)});
            key(pWindow, Qt::Key_Return);
            QCOMPARE(pWindow->undoStack()->count(), entries);
            QCOMPARE(layerOf(pWindow)->image(), base);
        }
    }

    void shapeCutToTheSelection()
    {
        const QImage base = patternImage(100, 80, 15, false);
        ChildWindow *pWindow = documentWith(m_pMain, base);
        const QRegion selected = QRegion(20, 10, 40, 50) + QRegion(70, 60, 10, 10);
        pWindow->SetSelection(selected);
        m_pMain->toolbox()->Select(ToolSet::Ellipse);
        rectangleOptions(QStringLiteral("Fill"), 3, Qt::black, QColor(0, 90, 255));
        drag(pWindow, {QPointF(1, 1), QPointF(99, 79)});
        const QImage expected = drawnOver(base, [&](QPainter &painter) {
            painter.setClipRegion(selected);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0, 90, 255));
            painter.drawEllipse(QRect(QPoint(1, 1), QPoint(99, 79)));
        });
        const QImage &after = layerOf(pWindow)->image();
        QPoint where;
        const int diff = maxChannelDiff(after, expected, QRect(), &where);
        QVERIFY2(diff <= 2, qPrintable(QStringLiteral("%1 at %2,%3 %4 %5").arg(diff).arg(where.x()).arg(where.y())
            .arg(after.pixel(where), 8, 16).arg(expected.pixel(where), 8, 16)));
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 100; ++x)
                if (!selected.contains(QPoint(x, y)))
                    QCOMPARE(after.pixel(x, y), base.pixel(x, y));
    }

    void gradientTypesPendingUntilReturn_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QPointF>("end");
        QTest::newRow("linear") << int(GradientTool::Linear) << QPointF(140, 70);
        QTest::newRow("radial") << int(GradientTool::Radial) << QPointF(110, 90);
        QTest::newRow("conical level") << int(GradientTool::Conical) << QPointF(130, 40);
        QTest::newRow("conical upward") << int(GradientTool::Conical) << QPointF(90, 5);
    }
    void gradientTypesPendingUntilReturn()
    {
        QFETCH(int, type);
        QFETCH(QPointF, end);
        const QImage base = patternImage(160, 100, 17);
        ChildWindow *pWindow = gradientOn(base, type, QColor(255, 0, 0), QColor(0, 0, 255, 128));
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, {QPointF(40, 40), QPointF(10, 90), end});
        QCOMPARE(gradientTool()->state(), int(GradientTool::Pending));
        QCOMPARE(pWindow->undoStack()->count(), entries); // nothing recorded yet
        const QImage expected = gradientOver(base, type, QPointF(40, 40), end, QColor(255, 0, 0), QColor(0, 0, 255, 128));
        QVERIFY2(maxChannelDiff(layerOf(pWindow)->image(), expected) <= 2,
                 qPrintable(QString::number(maxChannelDiff(layerOf(pWindow)->image(), expected))));
        QVERIFY(endHandle()->scene() == pWindow->scene());
        key(pWindow, Qt::Key_Return);
        QCOMPARE(gradientTool()->state(), int(GradientTool::Idle));
        QVERIFY(!endHandle()->scene());
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        checkUndoRedoExact(pWindow, base, QStringLiteral("Gradient - New Layer"));
    }

    void gradientHandleDragThenEscape()
    {
        const QImage base = patternImage(160, 100, 18);
        ChildWindow *pWindow = gradientOn(base, GradientTool::Linear, Qt::white, Qt::black);
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, {QPointF(20, 20), QPointF(100, 20)});
        // Dragging the end handle redraws the gradient live.
        drag(pWindow, {QPointF(100, 20), QPointF(90, 60), QPointF(120, 80)});
        QCOMPARE(gradientTool()->state() == GradientTool::Pending || gradientTool()->state() == GradientTool::OverHandle,
                 true);
        const QImage expected = gradientOver(base, GradientTool::Linear, QPointF(20, 20), QPointF(120, 80), Qt::white, Qt::black);
        QVERIFY(maxChannelDiff(layerOf(pWindow)->image(), expected) <= 2);
        // A colour change redraws at once.
        ColorPicker *pPalette = m_pMain->colorPanel();
        pPalette->SetColor(QColor(0, 255, 0));
        const QImage green = gradientOver(base, GradientTool::Linear, QPointF(20, 20), QPointF(120, 80), QColor(0, 255, 0), Qt::black);
        QVERIFY(maxChannelDiff(layerOf(pWindow)->image(), green) <= 2);
        key(pWindow, Qt::Key_Escape);
        QCOMPARE(layerOf(pWindow)->image(), base);
        QCOMPARE(pWindow->undoStack()->count(), entries);
        key(pWindow, Qt::Key_Escape); // nothing pending: nothing happens
        QCOMPARE(pWindow->undoStack()->count(), entries);
    }

    void gradientDragFollowsOnScreenThenEverywhere()
    {
        // A canvas larger than the window: a drag redraws what shows, the
        // release the whole layer.
        const QImage base = patternImage(1800, 1500, 21, false);
        ChildWindow *pWindow = gradientOn(base, GradientTool::Linear, Qt::white, QColor(0, 0, 120));
        drag(pWindow, {QPointF(50, 50), QPointF(900, 700), QPointF(1700, 1400)});
        const QRect probe(100, 100, 1, 1), far(1000, 200, 1, 1);
        // The start handle dragged: the whole gradient changes.
        press(pWindow, QPointF(50, 50));
        move(pWindow, QPointF(100, 90));
        move(pWindow, QPointF(150, 120));
        const QImage moved = gradientOver(base, GradientTool::Linear, QPointF(150, 120), QPointF(1700, 1400), Qt::white, QColor(0, 0, 120));
        const QImage before = gradientOver(base, GradientTool::Linear, QPointF(50, 50), QPointF(1700, 1400), Qt::white, QColor(0, 0, 120));
        QVERIFY(maxChannelDiff(before, moved, far) > 2);
        QVERIFY(maxChannelDiff(layerOf(pWindow)->image(), moved, probe) <= 2);
        release(pWindow, QPointF(150, 120));
        QVERIFY(maxChannelDiff(layerOf(pWindow)->image(), moved, far) <= 2);
        QVERIFY(maxChannelDiff(layerOf(pWindow)->image(), moved) <= 2);
        key(pWindow, Qt::Key_Escape);
        QCOMPARE(layerOf(pWindow)->image(), base);
    }

    void gradientPressAwayStartsAnother()
    {
        const QImage base = patternImage(120, 80, 19);
        ChildWindow *pWindow = gradientOn(base, GradientTool::Radial, Qt::yellow, Qt::transparent);
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, {QPointF(10, 10), QPointF(50, 50)});
        drag(pWindow, {QPointF(80, 60), QPointF(100, 70)});
        key(pWindow, Qt::Key_Return);
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        const QImage expected = gradientOver(base, GradientTool::Radial, QPointF(80, 60), QPointF(100, 70), Qt::yellow, Qt::transparent);
        QVERIFY(maxChannelDiff(layerOf(pWindow)->image(), expected) <= 2);
    }

    void pendingGradientRecordedOnToolSwitch()
    {
        const QImage base = patternImage(90, 70, 20, false);
        // Another tool.
        ChildWindow *pWindow = documentWith(m_pMain, base);
        m_pMain->toolbox()->Select(ToolSet::Gradient);
        drag(pWindow, {QPointF(10, 10), QPointF(80, 60)});
        const QImage drawn = layerOf(pWindow)->image();
        QVERIFY(drawn != base);
        m_pMain->toolbox()->Select(ToolSet::Brush);
        QCOMPARE(pWindow->undoStack()->undoText(), QStringLiteral("Gradient - New Layer"));
        QCOMPARE(layerOf(pWindow)->image(), drawn);
        // (Another layer, another document, undo and saving while it is
        // pending are in tst_gestureguard's table.)
    }
};

QTEST_MAIN(TestShapeTools)
#include "tst_shapetools.moc"
