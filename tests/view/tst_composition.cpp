// The scene's composed picture: after every kind of change to the stack, the
// scene draws exactly what export draws (every shown layer painted onto
// transparency), shown over the checkerboard, even where the picture had been
// composed before the change.
#include "ChildWindow.h"
#include "DocTestSupport.h"
#include "GraphicsScene.h"
#include "GraphicsView.h"
#include "LayerBlend.h"
#include "PixmapLayer.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "TextLayer.h"

#include <QKeyEvent>
#include <QStyleOptionGraphicsItem>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>
#include <algorithm>

class TestComposition : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { cqtest::startScratch(); }
    void changesReachThePicture_data();
    void changesReachThePicture();
    void textEdits();
    void exportUnaffectedBySceneDrawing();
    void fastBlendsMatchThePainter();

};

using cqtest::blank;

// Every shown layer's own paint(), in stacking order, onto transparency (what
// export draws), then that picture over the checkerboard.
static QImage expectedPicture(ChildWindow &window)
{
    QImage layers = blank(window.canvasSize());
    QPainter painter(&layers);
    // As the document's view draws (the text cursor's edge shows it).
    painter.setRenderHint(QPainter::Antialiasing);
    for (Layer *pLayer : window.GetLayers(true)) {
        if (!pLayer->isVisible() || pLayer->opacity() < 0.001)
            continue;
        painter.save();
        painter.translate(pLayer->pos());
        QStyleOptionGraphicsItem option;
        option.exposedRect = pLayer->item()->boundingRect();
        pLayer->item()->paint(&painter, &option, nullptr);
        painter.restore();
    }
    painter.end();
    return cqtest::overCheckerboard(layers, window.scene()->sceneRect().size());
}

// The toolkit's blend routines round a step differently depending on where a
// row starts in memory, and the composed image is laid out unlike the test's;
// a few such steps through a stack of modes (3) stay far below what stale
// pixels differ by.
#define CHECK_PICTURE(what) \
    QVERIFY2(cqtest::offByMoreThan(scenePicture(window), expectedPicture(window), 3) == 0, what)

using cqtest::scenePicture;

static PixmapLayer *patternLayer(ChildWindow &window, quint32 seed, int iMode, qreal dOpacity)
{
    auto *pLayer = static_cast<PixmapLayer *>(window.CreateLayer(Layer::Raster));
    const QSize size = window.canvasSize();
    cqtest::setLayerPixels(pLayer, cqtest::patternImage(size.width(), size.height(), seed)
                                       .convertToFormat(QImage::Format_ARGB32_Premultiplied));
    pLayer->setBlendingMode(iMode);
    pLayer->setOpacity(dOpacity);
    return pLayer;
}

void TestComposition::changesReachThePicture_data()
{
    // The large canvas is composed in bands on several threads.
    QTest::addColumn<QSize>("size");
    QTest::addRow("small") << QSize(61, 47);
    QTest::addRow("banded") << QSize(333, 290);
}

void TestComposition::changesReachThePicture()
{
    QFETCH(QSize, size);
    ChildWindow window(nullptr, size, cqtest::scratchStore());
    PixmapLayer *pBottom = patternLayer(window, 3, QPainter::CompositionMode_SourceOver, 1.0);
    PixmapLayer *pMultiply = patternLayer(window, 7, QPainter::CompositionMode_Multiply, 0.8);
    PixmapLayer *pOverlay = patternLayer(window, 11, QPainter::CompositionMode_Overlay, 1.0);
    PixmapLayer *pSoft = patternLayer(window, 13, QPainter::CompositionMode_SoftLight, 0.6);

    // Every check leaves a fully composed picture behind, so a change that
    // failed to invalidate shows up as stale pixels at the next.
    CHECK_PICTURE("initial");
    QVERIFY(!window.scene()->ValidRegion().isEmpty());

    {
        QPainter painter(&pMultiply->image());
        painter.fillRect(5, 6, 20, 9, QColor(10, 200, 30, 180));
    }
    pMultiply->update(QRectF(5, 6, 20, 9));
    CHECK_PICTURE("painted area");

    window.SetSelection(QRegion(3, 3, 30, 30));
    window.BeginPaint(false, pOverlay);
    window.BeginStroke()->fillRect(0, 0, 40, 40, Qt::blue);
    window.CommitStroke(QRect(0, 0, 40, 40));
    window.EndPaint();
    window.SetSelection(QRegion());
    CHECK_PICTURE("stroke");

    pOverlay->setPos(QPointF(9, 4));
    CHECK_PICTURE("moved");
    pOverlay->setPos(QPointF(-3, 2));
    CHECK_PICTURE("moved back past the edge");

    pMultiply->setVisible(false);
    CHECK_PICTURE("hidden");
    pMultiply->setVisible(true);
    CHECK_PICTURE("shown");

    pSoft->setBlendingMode(QPainter::CompositionMode_Screen);
    CHECK_PICTURE("blending mode");
    pSoft->setOpacity(0.25);
    CHECK_PICTURE("opacity");
    pSoft->setOpacity(0);
    CHECK_PICTURE("opacity zero");
    pSoft->setOpacity(1);
    CHECK_PICTURE("opacity back");

    pBottom->setZValue(10);
    CHECK_PICTURE("raised");
    pBottom->setZValue(-1);
    CHECK_PICTURE("lowered");

    pOverlay->setDeleted(true);
    CHECK_PICTURE("deleted");
    pOverlay->setDeleted(false);
    CHECK_PICTURE("undeleted");

    pMultiply->setImage(cqtest::patternImage(size.width() / 2, size.height() / 2, 17));
    CHECK_PICTURE("smaller pixmap");
    pMultiply->setImage(cqtest::patternImage(size.width(), size.height(), 19));
    CHECK_PICTURE("full pixmap");

    // Only part of the view drawn, then a change elsewhere and a full draw.
    window.scene()->InvalidateAll();
    scenePicture(window, QRect(0, 0, 10, 10));
    QCOMPARE(window.scene()->ValidRegion(), QRegion(0, 0, 10, 10));
    pBottom->update();
    CHECK_PICTURE("partly composed");

    window.ScaleImage(size / 2);
    CHECK_PICTURE("scaled image");
    PixmapLayer *pNew = patternLayer(window, 23, QPainter::CompositionMode_Difference, 0.7);
    CHECK_PICTURE("new layer");
    pNew->setDeleted(true);
}

void TestComposition::textEdits()
{
    ChildWindow window(nullptr, QSize(90, 60), cqtest::scratchStore());
    patternLayer(window, 5, QPainter::CompositionMode_SourceOver, 1.0);
    auto *pText = static_cast<TextLayer *>(window.CreateLayer(Layer::Text));
    pText->setBlendingMode(QPainter::CompositionMode_Difference);
    patternLayer(window, 9, QPainter::CompositionMode_Multiply, 0.5);
    CHECK_PICTURE("empty text");
    pText->SetEditMode(true);
    for (QChar c : QStringLiteral("Wide text")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        window.scene()->sendEvent(pText, &press);
    }
    CHECK_PICTURE("typed");
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    for (int i = 0; i < 5; ++i)
        window.scene()->sendEvent(pText, &back);
    CHECK_PICTURE("shrunk");
    pText->SetEditMode(false);
    CHECK_PICTURE("edit ended");
    pText->setPos(QPointF(20, 25));
    CHECK_PICTURE("moved");
    window.undoStack()->undo();
    CHECK_PICTURE("undone");
    window.undoStack()->redo();
    CHECK_PICTURE("redone");
    pText->setColor(Qt::red);
    CHECK_PICTURE("recoloured");
}

void TestComposition::exportUnaffectedBySceneDrawing()
{
    const QSize size(40, 30);
    ChildWindow window(nullptr, size, cqtest::scratchStore());
    patternLayer(window, 2, QPainter::CompositionMode_SourceOver, 1.0);
    patternLayer(window, 4, QPainter::CompositionMode_HardLight, 0.7);
    auto exported = [&] { return window.Flattened(); };
    const QImage before = exported();
    scenePicture(window);
    QCOMPARE(cqtest::differingPixels(exported(), before), qint64(0));
    QCOMPARE(cqtest::differingPixels(scenePicture(window), expectedPicture(window)), qint64(0));
}

// The blending loops must give the painter's own pixels in every mode and
// opacity, with the source partly off the picture, or the window and export
// would disagree with what the painter draws elsewhere.
void TestComposition::fastBlendsMatchThePainter()
{
    QImage source = cqtest::patternImage(67, 33, 41);
    for (int y = 0; y < source.height(); ++y) {
        auto *pLine = reinterpret_cast<quint32 *>(source.scanLine(y));
        for (int x = 0; x < source.width(); x += 5)
            pLine[x] = (y % 2) ? pLine[x] | 0xff000000u : pLine[x] & 0x00ffffffu;
    }
    const QImage below = cqtest::patternImage(61, 40, 43).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int iFast = 0;
    for (const auto &mode : Layer::BlendingModes()) {
        for (qreal dOpacity : {1.0, 0.8, 0.55, 0.33, 0.07}) {
            QImage expected = below.copy(), actual = below.copy();
            const QRect part(3, 2, 60, 30);
            {
                QPainter painter(&expected);
                painter.translate(-4, 5);
                painter.setCompositionMode(QPainter::CompositionMode(mode.second));
                painter.setOpacity(dOpacity);
                painter.drawImage(QPoint(7, 6), source, part);
            }
            QPainter painter(&actual);
            painter.translate(-4, 5);
            const bool bDrawn = LayerBlend::Draw(&painter, QPoint(7, 6), source, part, mode.second, dOpacity);
            painter.end();
            QCOMPARE(bDrawn, LayerBlend::HasFastLoop(mode.second));
            if (!bDrawn)
                continue;
            ++iFast;
            QVERIFY2(actual == expected, qPrintable(QStringLiteral("%1 at %2").arg(mode.first).arg(dOpacity)));
        }
    }
    QVERIFY(iFast >= 50);
    // A clip or a scaled painter is left to the painter.
    QImage target = below.copy();
    QPainter painter(&target);
    painter.setClipRect(0, 0, 10, 10);
    QVERIFY(!LayerBlend::Draw(&painter, QPoint(), source, source.rect(), QPainter::CompositionMode_Multiply, 1));
    painter.setClipping(false);
    painter.scale(2, 2);
    QVERIFY(!LayerBlend::Draw(&painter, QPoint(), source, source.rect(), QPainter::CompositionMode_Multiply, 1));
}

QTEST_MAIN(TestComposition)
#include "tst_composition.moc"
