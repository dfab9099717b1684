// Layers: blending through the scene and export path against plain QPainter
// composition, geometry, canvas-size anchors, export of a stack and the
// text layer's colour and name rules.
#include "ChildWindow.h"
#include "DocTestSupport.h"
#include "Document.h"
#include "GraphicsScene.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "TextLayer.h"

#include <QGraphicsSceneEvent>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QUndoStack>
#include <QtTest>

using cqtest::blank;

class TestLayers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { cqtest::startScratch(); }

    void blendingMatchesPainter_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("opacity");
        for (const auto &[name, code] : Layer::BlendingModes())
            for (int opacity : {100, 55, 0})
                QTest::addRow("%s-%d", qPrintable(name), opacity) << code << opacity;
    }

    void blendingMatchesPainter()
    {
        QFETCH(int, mode);
        QFETCH(int, opacity);
        const QSize size(37, 23);
        ChildWindow window(nullptr, size, cqtest::scratchStore());
        auto *pBottom = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
        auto *pTop = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
        // Straight pixels, as layers keep them; the painter premultiplies.
        const QImage a = cqtest::patternImage(size.width(), size.height(), 11);
        const QImage b = cqtest::patternImage(size.width(), size.height(), 29);
        cqtest::setLayerPixels(pBottom, a);
        cqtest::setLayerPixels(pTop, b);
        pTop->setBlendingMode(mode);
        pTop->setOpacity(opacity / 100.0);

        auto compose = [&](const QImage &under) {
            QImage expected = under;
            QPainter painter(&expected);
            painter.drawImage(0, 0, a);
            painter.setCompositionMode(QPainter::CompositionMode(mode));
            painter.setOpacity(opacity / 100.0);
            painter.drawImage(0, 0, b);
            return expected;
        };

        // Export path.
        QImage exported = blank(size);
        {
            QPainter painter(&exported);
            window.RenderTo(&painter);
        }
        QCOMPARE(cqtest::differingPixels(exported, compose(blank(size))), qint64(0));

        // Scene path: the layers composed onto transparency, as export composes
        // them, over the checkerboard the scene draws with no layer shown. The
        // blending modes never see the checkerboard.
        auto renderScene = [&] { return cqtest::scenePicture(window); };
        pBottom->setVisible(false);
        pTop->setVisible(false);
        QImage expected = renderScene();
        pBottom->setVisible(true);
        pTop->setVisible(true);
        QPainter(&expected).drawImage(0, 0, compose(blank(size)));
        QCOMPARE(cqtest::differingPixels(renderScene(), expected), qint64(0));
    }

    void changeCanvasSizeAnchors()
    {
        const QImage old = cqtest::patternImage(100, 100, 5);
        struct Case { QSize size; int anchor; QPoint at; bool empty; };
        const QList<Case> cases = {
            {{301, 301}, 0, {0, 0}, false},     {{301, 301}, 1, {100, 0}, false},
            {{301, 301}, 2, {201, 0}, false},   {{301, 301}, 3, {0, 100}, false},
            {{301, 301}, 4, {100, 100}, false}, {{301, 301}, 5, {201, 100}, false},
            {{301, 301}, 6, {0, 201}, false},   {{301, 301}, 7, {100, 201}, false},
            {{301, 301}, 8, {201, 201}, false}, {{301, 301}, 9, {}, true},
            {{301, 301}, -1, {}, true},         {{51, 51}, 4, {-25, -25}, false},
            {{51, 51}, 8, {-49, -49}, false},   {{150, 80}, 5, {50, -10}, false},
            // Uneven growth: each row and column takes its own side's change.
            {{150, 80}, 7, {25, -20}, false},   {{130, 161}, 6, {0, 61}, false},
            {{130, 161}, 2, {30, 0}, false},    {{91, 133}, 8, {-9, 33}, false},
        };
        for (const Case &c : cases) {
            PixmapLayer layer(nullptr, 100, 100);
            cqtest::setLayerPixels(&layer, old);
            layer.ChangeCanvasSize(c.size, c.anchor);
            const QImage got = layer.image();
            QCOMPARE(got.size(), c.size);
            QImage expected(c.size, QImage::Format_ARGB32);
            expected.fill(0);
            if (!c.empty)
                for (int y = 0; y < old.height(); ++y)
                    for (int x = 0; x < old.width(); ++x)
                        if (expected.rect().contains(c.at + QPoint(x, y)))
                            expected.setPixel(c.at + QPoint(x, y), old.pixel(x, y));
            QVERIFY2(cqtest::differingPixels(got, expected) == 0,
                     qPrintable(QStringLiteral("anchor %1 size %2x%3").arg(c.anchor).arg(c.size.width()).arg(c.size.height())));
        }
    }

    // A closed document hands back what its layers kept in the store, or
    // every document opened and closed would stay in memory or on disk.
    void closedDocumentFreesItsSnapshots()
    {
        ScratchDB store;
        {
            Document document(QSize(64, 64), store);
            document.CreateLayer(cqtest::patternImage(32, 32, 1));
            document.CreateLayer(Layer::Raster);
            QCOMPARE(store.memoryInUse(), (32 * 32 + 64 * 64) * 4);
        }
        QCOMPARE(store.memoryInUse(), 0);
    }

    void renderToSkipsHiddenAndDeleted()
    {
        const QSize size(30, 20);
        ChildWindow window(nullptr, size, cqtest::scratchStore());
        auto fill = [&](QColor colour, QRect area) {
            auto *pLayer = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
            QImage image = blank(size);
            QPainter(&image).fillRect(area, colour);
            cqtest::setLayerPixels(pLayer, image);
            return pLayer;
        };
        fill(Qt::red, QRect(0, 0, 30, 20));
        PixmapLayer *pMoved = fill(QColor(0, 0, 255, 128), QRect(0, 0, 10, 10));
        pMoved->setPos(QPointF(7, 4));
        fill(Qt::green, QRect(0, 0, 30, 20))->setVisible(false);
        PixmapLayer *pDeleted = fill(Qt::yellow, QRect(0, 0, 30, 20));
        pDeleted->setDeleted(true);
        // A lower z drawn after a higher one in list order: RenderTo sorts.
        PixmapLayer *pUnder = fill(Qt::black, QRect(20, 0, 10, 20));
        pUnder->setZValue(-1);

        QImage got = blank(size);
        {
            QPainter painter(&got);
            window.RenderTo(&painter);
        }
        QImage expected = blank(size);
        {
            QPainter painter(&expected);
            painter.fillRect(20, 0, 10, 20, Qt::black);
            painter.fillRect(0, 0, 30, 20, Qt::red);
            painter.fillRect(7, 4, 10, 10, QColor(0, 0, 255, 128));
        }
        QCOMPARE(cqtest::differingPixels(got, expected), qint64(0));
    }

    void textColour()
    {
        QGraphicsScene scene;
        TextLayer empty(&scene);
        empty.setColor(Qt::red);
        QCOMPARE(empty.defaultTextColor(), QColor(Qt::red));
        QCOMPARE(empty.color(), QColor(Qt::red));

        TextLayer text(&scene);
        text.setPlainText(QStringLiteral("abc"));
        const QColor before = text.defaultTextColor();
        text.setColor(Qt::blue);
        QCOMPARE(text.defaultTextColor(), before);
        QVERIFY(!text.textCursor().hasSelection());
        for (int i = 1; i <= 3; ++i) {
            QTextCursor cursor(text.document());
            cursor.setPosition(i);
            QCOMPARE(cursor.charFormat().foreground().color(), QColor(Qt::blue));
        }
        // With a selection only the selection is recoloured.
        QTextCursor select(text.document());
        select.setPosition(0);
        select.setPosition(1, QTextCursor::KeepAnchor);
        text.setTextCursor(select);
        text.setColor(Qt::green);
        QCOMPARE(text.color(), QColor(Qt::green));
        QTextCursor probe(text.document());
        probe.setPosition(3);
        QCOMPARE(probe.charFormat().foreground().color(), QColor(Qt::blue));
    }

    void nameFollowsTextUntilFirstEditEnds()
    {
        ChildWindow window(nullptr, QSize(50, 50), cqtest::scratchStore());
        auto *pText = static_cast<TextLayer *>(window.CreateLayer(Layer::Text));
        auto type = [&](const QString &keys) {
            for (QChar c : keys) {
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                window.scene()->sendEvent(pText, &press);
            }
        };
        pText->SetEditMode(true);
        type(QStringLiteral("Hi"));
        QCOMPARE(pText->toPlainText(), QStringLiteral("Hi"));
        QCOMPARE(pText->name(), QStringLiteral("Hi"));
        const int before = window.undoStack()->count();
        pText->SetEditMode(false);
        QCOMPARE(window.undoStack()->count(), before + 1);
        QCOMPARE(window.undoStack()->text(before), QStringLiteral("Text Edit"));
        QVERIFY(!pText->followsText());

        pText->SetEditMode(true);
        type(QStringLiteral("!"));
        QCOMPARE(pText->toPlainText(), QStringLiteral("Hi!"));
        QCOMPARE(pText->name(), QStringLiteral("Hi"));
        pText->SetEditMode(false);
        window.undoStack()->undo();
        QCOMPARE(pText->toPlainText(), QStringLiteral("Hi"));
        window.undoStack()->redo();
        QCOMPARE(pText->toPlainText(), QStringLiteral("Hi!"));
    }
};

QTEST_MAIN(TestLayers)
#include "tst_layers.moc"
