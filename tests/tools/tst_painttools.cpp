// The stroke tools driven by real mouse events in every situation: one undo
// step per stroke with exact pixels both ways, the selection respected, each
// tool doing its own work under the path; a picked colour painted with in
// every situation; text layers refused by every painting tool.
#include "Situations.h"
#include "ToolTestSupport.h"

#include <QComboBox>
#include <QMessageBox>
#include <QSpinBox>

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

    // Every stroke tool in every situation: a stroke through layer pixels,
    // with a selection over part of it, changes only pixels within reach of
    // the path the events landed on and inside the selection, does there
    // what the tool does, and is one step undone and redone exactly. The
    // next stroke tool is a row here.
    void strokeInEverySituation_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("step");
        QTest::addColumn<Situation>("situation");
        const std::pair<ToolSet::Kind, const char *> tools[] = {
            {ToolSet::Brush, "Paintbrush"}, {ToolSet::Erase, "Erase"},
            {ToolSet::Stamp, "Stamp"}, {ToolSet::Smudge, "Smudge"}};
        for (const auto &[kind, step] : tools)
            for (const auto &[name, s] : situations())
                QTest::addRow("%s, %s", step, name) << int(kind) << QString::fromLatin1(step) << s;
    }
    void strokeInEverySituation()
    {
        QFETCH(int, kind);
        QFETCH(QString, step);
        QFETCH(Situation, situation);
        const int w = 10;
        const QSize size(120, 90);
        const QRect r = situation.reachable(size);
        const int y = r.top() + r.height() / 2, split = r.left() + r.width() / 2;
        // Red left of the reachable part's middle, blue right of it, with a
        // pattern inside each half so that copied pixels can be told apart.
        QImage before = patternImage(size.width(), size.height(), 17, false);
        for (int py = 0; py < size.height(); ++py)
            for (int px = 0; px < size.width(); ++px) {
                const QRgb p = before.pixel(px, py);
                before.setPixel(px, py, px < split ? qRgb(200 + qRed(p) % 56, qGreen(p) % 40, qBlue(p) % 40)
                                                   : qRgb(qRed(p) % 40, qGreen(p) % 40, 200 + qBlue(p) % 56));
            }
        ChildWindow *pWindow = documentIn(m_pMain, situation, before);
        const QRect selected(r.left(), r.top(), split + 14 - r.left(), r.height());
        pWindow->SetSelection(QRegion(selected.translated(situation.layerAt)));
        m_pMain->toolbox()->Select(ToolSet::Kind(kind));
        QComboBox *pWidths = m_pMain->OptionBar()->findChild<QComboBox *>();
        pWidths->setCurrentIndex(pWidths->findText(QString::number(w)));
        if (kind == ToolSet::Smudge)
            m_pMain->OptionBar()->findChild<QSpinBox *>()->setValue(80);
        QPoint source;
        if (kind == ToolSet::Stamp)
            source = clickLayer(pWindow, situation, QPoint(split - 16, y - 14), Qt::AltModifier);
        QList<QPoint> aim;
        for (int x = split - 16; x <= split + 24; x += 4)
            aim << QPoint(x, y);
        const int entries = pWindow->undoStack()->count();
        const QList<QPoint> path = dragLayer(pWindow, situation, aim);
        const QPoint shift = source - path.first();

        const QImage after = layerOf(pWindow)->image();
        int done = 0;
        for (int py = 0; py < size.height(); ++py)
            for (int px = 0; px < size.width(); ++px) {
                const QPoint p(px, py);
                double d = 1e9;
                for (int i = 1; i < path.size(); ++i)
                    d = std::min(d, distanceToSegment(QPointF(p), QPointF(path[i - 1]), QPointF(path[i])));
                const QRgb was = before.pixel(p), now = after.pixel(p);
                if (!selected.contains(p) || d > w / 2.0 + 1.5) {
                    QVERIFY2(now == was, qPrintable(QStringLiteral("changed at %1,%2").arg(px).arg(py)));
                    continue;
                }
                if (d > w / 2.0 - 1.5)
                    continue;
                switch (kind) {
                case ToolSet::Brush: QCOMPARE(now, qRgb(0, 0, 0)); break;
                case ToolSet::Erase: QCOMPARE(now, was & 0xffffffu); break;
                case ToolSet::Stamp: QCOMPARE(now, before.pixel(p + shift)); break;
                }
                ++done;
            }
        QVERIFY(done > 100);
        // The smudge carries the red it started in into the blue half.
        if (kind == ToolSet::Smudge)
            QVERIFY(qRed(after.pixel(split + 8, y)) > 100);
        QCOMPARE(layerOf(pWindow)->pos(), QPointF(situation.layerAt));
        QCOMPARE(pWindow->undoStack()->count(), entries + 1);
        checkUndoRedoExact(pWindow, before, step + QStringLiteral(" - New Layer"));
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
