// The `convolve` kernel of the smooth and sharpen tools against its host
// reference on awkward sizes and masks, plus hand-worked pixels.
#include "Convolver.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "SmoothFilter.h"
#include "TestSupport.h"

#include <QtTest>

Q_DECLARE_METATYPE(ConvolutionMask)

class ConvolverTest : public QObject
{
    Q_OBJECT
    QCLContext m_context;
    std::unique_ptr<ProgramCache> m_cache;
    std::unique_ptr<Convolver> m_pConvolver;

    static ConvolutionMask smooth() { return {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 3, 9, 0}; }
    static ConvolutionMask sharpen() { return {{0, -2, 0, -2, 11, -2, 0, -2, 0}, 3, 3, 0}; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(cqtest::createCpuContext(m_context), "an OpenCL CPU device is required");
        m_cache = std::make_unique<ProgramCache>(m_context);
        m_pConvolver = std::make_unique<Convolver>(*m_cache);
        QVERIFY2(m_pConvolver->isValid(), qPrintable(m_pConvolver->errorText()));
    }

    void matchesReference_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<ConvolutionMask>("mask");
        const ConvolutionMask emboss{{-1, -1, -1, -1, 8, -1, -1, -1, -1}, 3, 1, 127};
        const ConvolutionMask even{{1, 2, 3, 4}, 2, -5, 3};          // a negative factor, off-centre window
        const ConvolutionMask unscaled{{0, 0, 0, 0, 2, 0, 0, 0, -1}, 3, 0, 0}; // factor 0 counts as 1
        QList<int> five;
        for (int i = 0; i < 25; ++i)
            five << (i * 7 % 11) - 5;
        const ConvolutionMask wide{five, 5, 7, 10};
        for (const QSize size : {QSize(1, 1), QSize(1, 40), QSize(40, 1), QSize(2, 2), QSize(17, 5), QSize(33, 19),
                                 QSize(161, 37)}) {
            const QByteArray name = QByteArray::number(size.width()) + "x" + QByteArray::number(size.height());
            QTest::newRow(name + " smooth") << size << smooth();
            QTest::newRow(name + " sharpen") << size << sharpen();
            QTest::newRow(name + " emboss") << size << emboss;
            QTest::newRow(name + " 2x2") << size << even;
            QTest::newRow(name + " factor 0") << size << unscaled;
            QTest::newRow(name + " 5x5") << size << wide;
        }
    }
    void matchesReference()
    {
        QFETCH(QSize, size);
        QFETCH(ConvolutionMask, mask);
        // Transparent pixels keep their colour and lend it to the sums.
        const QImage image = cqtest::patternImage(size.width(), size.height(), 7 + size.width(), true);
        const QImage expected = Convolver::Reference(image, mask);
        const QImage got = m_pConvolver->Run(image, mask);
        QCOMPARE(got.size(), image.size());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (got.pixel(x, y) != expected.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2): %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(got.pixel(x, y), 8, 16)
                                         .arg(expected.pixel(x, y), 8, 16)));
    }

    void handWorkedPixels()
    {
        // A 3x3 picture: the middle 100 (alpha 200) among 40s; the sharpen
        // sum 11 * 100 - 8 * 40 = 780, / 3 = 260, clamped to 255.
        QImage image(3, 3, QImage::Format_ARGB32);
        image.fill(qRgb(40, 40, 40));
        image.setPixel(1, 1, qRgba(100, 10, 40, 200));
        // Green: 110 - 320 = -210 / 3 = -70 -> 0; blue: flat, stays 40.
        for (const QImage &result : {Convolver::Reference(image, sharpen()), m_pConvolver->Run(image, sharpen())})
            QCOMPARE(result.pixel(1, 1), qRgba(255, 0, 40, 200));
        // Division truncates toward zero: -4 / 3 is -1, so 127 - 1.
        const ConvolutionMask tilt{{0, 0, 0, 0, 0, 0, 0, 0, -1}, 3, 3, 127};
        QImage four(2, 2, QImage::Format_ARGB32);
        four.fill(qRgba(4, 4, 4, 0));
        for (const QImage &result : {Convolver::Reference(four, tilt), m_pConvolver->Run(four, tilt)})
            QCOMPARE(result.pixel(0, 0), qRgba(126, 126, 126, 0));
        // Past the left edge the mirror skips the first pixel, past the
        // right it repeats the last: a row 0, 90, 0 under masks that take
        // the left and the right neighbour.
        const ConvolutionMask left{{0, 0, 0, 1, 0, 0, 0, 0, 0}, 3, 1, 0};
        QImage row(3, 1, QImage::Format_ARGB32);
        row.fill(qRgb(0, 0, 0));
        row.setPixel(1, 0, qRgb(90, 90, 90));
        const ConvolutionMask right{{0, 0, 0, 0, 0, 1, 0, 0, 0}, 3, 1, 0};
        for (const QImage &result : {Convolver::Reference(row, left), m_pConvolver->Run(row, left)})
            QCOMPARE(result.pixel(0, 0), qRgb(90, 90, 90));
        for (const QImage &result : {Convolver::Reference(row, right), m_pConvolver->Run(row, right)})
            QCOMPARE(result.pixel(2, 0), qRgb(0, 0, 0));
    }

    void flatStaysFlatAndOnesAreTheBoxBlur()
    {
        QImage flat(70, 23, QImage::Format_ARGB32);
        flat.fill(qRgba(12, 200, 99, 130));
        QCOMPARE(m_pConvolver->Run(flat, smooth()), flat);
        QCOMPARE(m_pConvolver->Run(flat, sharpen()), flat);
        const QImage image = cqtest::patternImage(45, 31, 3, true);
        QCOMPARE(m_pConvolver->Run(image, smooth()), boxBlurReference(image, 3));
        QCOMPARE(Convolver::Reference(image, {QList<int>(16, 1), 4, 16, 0}), boxBlurReference(image, 4));
    }
};

QTEST_MAIN(ConvolverTest)
#include "tst_convolver.moc"
