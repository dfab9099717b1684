// The fast conical gradient against the painter's own, pixel for pixel, in
// the state the gradient tool draws with, for the angles the tool makes.
#include "ConicalFill.h"
#include "GradientTool.h"
#include "TestSupport.h"

#include <QPainter>
#include <QtTest>

class ConicalFillTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void matchesThePainter_data()
    {
        QTest::addColumn<QColor>("start");
        QTest::addColumn<QColor>("end");
        QTest::addColumn<QPoint>("centre");
        QTest::addColumn<QPoint>("towards");
        const QColor red(255, 0, 0), halfBlue(0, 0, 255, 128), clear(0, 200, 0, 0);
        QTest::newRow("level right") << red << halfBlue << QPoint(140, 90) << QPoint(300, 90);
        QTest::newRow("level left") << QColor(Qt::white) << QColor(Qt::black) << QPoint(140, 90) << QPoint(3, 90);
        QTest::newRow("upward") << red << halfBlue << QPoint(200, 150) << QPoint(190, 5);
        QTest::newRow("downward steep") << clear << red << QPoint(77, 31) << QPoint(80, 190);
        QTest::newRow("diagonal, centre outside") << QColor(10, 20, 30) << QColor(250, 240, 5) << QPoint(-40, 250)
                                                  << QPoint(100, 120);
        QTest::newRow("one colour") << red << red << QPoint(100, 100) << QPoint(140, 120);
    }
    void matchesThePainter()
    {
        QFETCH(QColor, start);
        QFETCH(QColor, end);
        QFETCH(QPoint, centre);
        QFETCH(QPoint, towards);
        const auto pGradient = GradientTool::MakeGradient(GradientTool::Conical, centre, towards, start, end);
        const auto &conical = static_cast<const QConicalGradient &>(*pGradient);
        // Two parts, one reaching past the picture; the rest keeps its pixels.
        const QRegion region = QRegion(10, 5, 250, 170) + QRegion(200, 100, 300, 200);
        const QImage before = cqtest::patternImage(320, 240, 5, true).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QImage painted = before;
        {
            QPainter painter(&painted);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.setClipRegion(region);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(conical);
            painter.drawRect(painted.rect());
        }
        ConicalFill fill;
        QVERIFY(fill.Prepare(conical.stops()));
        QImage filled = before;
        fill.Fill(filled, region, centre, conical.angle());
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x)
                if (filled.pixel(x, y) != painted.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("(%1, %2): %3, the painter %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(filled.pixel(x, y), 8, 16)
                                         .arg(painted.pixel(x, y), 8, 16)));
    }

    void rowIndicesAreExact()
    {
        // Far more positions than a picture holds, the awkward ones among
        // them: on the axes, on the diagonals, far out, odd row lengths.
        const double angles[] = {qDegreesToRadians(-90.0), qDegreesToRadians(-270.0), qDegreesToRadians(-179.99),
                                 qDegreesToRadians(-0.01)};
        std::vector<int> row(1403);
        for (double a : angles)
            for (int y = -700; y <= 700; y += 3) {
                const double rx0 = -700.5, ry = y + 0.5;
                const int count = 1403 - (y & 7);
                ConicalFill::RowIndices(rx0, ry, a, count, row.data());
                for (int i = 0; i < count; ++i)
                    if (row[size_t(i)] != ConicalFill::ExactIndex(rx0 + i, ry, a))
                        QFAIL(qPrintable(QStringLiteral("(%1, %2) at %3").arg(rx0 + i).arg(ry).arg(a)));
            }
    }
};

QTEST_MAIN(ConicalFillTest)
#include "tst_conicalfill.moc"
