// The brush and the eraser driven by real mouse events on a shown document:
// one undo step per stroke with exact pixels both ways, the selection and a
// moved layer respected; a picked colour painted with in every situation;
// text layers refused by every painting tool.
#include "Situations.h"
#include "ToolTestSupport.h"

#include <QMessageBox>

using namespace cqtest;

class TestPaintTools : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    ChildWindow *document(const QImage &pixels) { return documentWith(m_pMain, pixels); }
    static void drag(ChildWindow *pWindow, const QList<QPoint> &canvasPoints) { dragCanvas(pWindow, canvasPoints); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = startMainWindow(m_scratch.path())); }
    void cleanup() { endToolCase(m_pMain); }

    void brushStrokeIsOneExactStep()
    {
        const QImage before = patternImage(120, 80, 3);
        ChildWindow *pWindow = document(before);
        m_pMain->toolbox()->Select(ToolSet::Brush);
        const int entries = pWindow->undoStack()->count();
        drag(pWindow, {QPoint(20, 20), QPoint(40, 30), QPoint(60, 40), QPoint(90, 40)});
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        checkUndoRedoExact(pWindow, before, QStringLiteral("Paintbrush - New Layer"));
    }

    void brushStaysInsideTheSelectionOnAMovedLayer()
    {
        const QImage before = patternImage(120, 80, 4);
        ChildWindow *pWindow = document(before);
        PixmapLayer *pLayer = layerOf(pWindow);
        pLayer->setPos(QPointF(10, 5));
        const QRect selected(30, 10, 40, 40);
        pWindow->SetSelection(QRegion(selected));
        m_pMain->toolbox()->Select(ToolSet::Brush);
        drag(pWindow, {QPoint(5, 30), QPoint(50, 30), QPoint(110, 30)});
        const QImage &after = pLayer->image();
        int changedInside = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 120; ++x) {
                const bool inside = selected.contains(QPoint(x, y) + QPoint(10, 5));
                if (after.pixel(x, y) != before.pixel(x, y)) {
                    QVERIFY2(inside, qPrintable(QStringLiteral("changed outside at %1,%2").arg(x).arg(y)));
                    ++changedInside;
                }
            }
        QVERIFY(changedInside > 50);
    }

    // In every situation the colour pick takes the colour of the layer
    // pixel under the mouse, and the brush and the fill then use it.
    void pickedColourIsThePaintingColour_data() { addSituations(); }
    void pickedColourIsThePaintingColour()
    {
        QFETCH(Situation, situation);
        const QImage pixels = patternImage(100, 70, 9, false);
        ChildWindow *pWindow = documentIn(m_pMain, situation, pixels);
        m_pMain->toolbox()->Select(ToolSet::ColorPick);
        const QRect reachable = situation.reachable(pixels.size());
        const QPoint picked = clickLayer(pWindow, situation, reachable.center() + QPoint(3, 2));
        const QColor expected = QColor::fromRgba(pixels.pixel(picked));
        m_pMain->toolbox()->Select(ToolSet::Brush);
        QCOMPARE(barSwatch(m_pMain, QStringLiteral("BrushColorSwatch"))->Color(), expected);
        m_pMain->toolbox()->Select(ToolSet::Fill);
        QCOMPARE(barSwatch(m_pMain, QStringLiteral("FillColorSwatch"))->Color(), expected);
    }

    void eraserTakesAlphaAndKeepsColour()
    {
        QImage before(100, 60, QImage::Format_ARGB32);
        before.fill(qRgba(200, 40, 90, 255));
        ChildWindow *pWindow = document(before);
        pWindow->SetSelection(QRegion(0, 0, 50, 60));
        m_pMain->toolbox()->Select(ToolSet::Erase);
        drag(pWindow, {QPoint(10, 30), QPoint(45, 30), QPoint(90, 30)});
        const QImage &after = layerOf(pWindow)->image();
        QCOMPARE(qAlpha(after.pixel(30, 30)), 0);
        QCOMPARE(after.pixel(30, 30) & 0xffffffu, before.pixel(30, 30) & 0xffffffu);
        QCOMPARE(after.pixel(70, 30), before.pixel(70, 30)); // outside the selection
        QCOMPARE(after.pixel(30, 5), before.pixel(30, 5));   // off the stroke
        checkUndoRedoExact(pWindow, before, QStringLiteral("Erase - New Layer"));
    }

    // A text layer cannot be painted on or selected from, nor can the clone
    // stamp paint before it has a source: each tool says so and records nothing.
    void textLayersAreRefused_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("onText");
        const QString paint = QStringLiteral("You can't paint on a text layer!");
        for (ToolSet::Kind kind : {ToolSet::Brush, ToolSet::Erase, ToolSet::Line, ToolSet::Rectangle,
                                   ToolSet::Ellipse, ToolSet::Gradient, ToolSet::Fill, ToolSet::Smudge,
                                   ToolSet::Smooth, ToolSet::Sharpen, ToolSet::Stamp})
            QTest::addRow("tool %d", int(kind)) << int(kind) << paint << true;
        QTest::newRow("wand") << int(ToolSet::Wand) << QStringLiteral("You can't make selections on a text layer!")
                              << true;
        QTest::newRow("stamp, no source") << int(ToolSet::Stamp)
                                          << QStringLiteral("Hold down \"alt\" and set an anchor first.") << false;
    }
    void textLayersAreRefused()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(bool, onText);
        ChildWindow *pWindow = document(patternImage(40, 30, 5));
        if (onText)
            pWindow->CreateLayer(Layer::Text);
        m_pMain->toolbox()->Select(ToolSet::Kind(kind));
        const int entries = pWindow->undoStack()->count();
        MessageBoxAnswer answer;
        answerNextMessageBox(QMessageBox::Ok, &answer);
        drag(pWindow, {QPoint(10, 10), QPoint(20, 20)});
        QCOMPARE(answer.title, QStringLiteral("Woah, bucko."));
        QCOMPARE(answer.text, text);
        QCOMPARE(pWindow->undoStack()->count(), entries);
    }
};

QTEST_MAIN(TestPaintTools)
#include "tst_painttools.moc"
