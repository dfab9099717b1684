// Filters picked from the window's Filter menu: an immediate filter changes
// only the selection and is one undo step; a dialog filter's preview lands
// through the painting protocol, what the view shows first, OK records one
// step whose undo and redo give the same pixels, Cancel puts every pixel
// back, accepting an unchanged picture records nothing, and a text layer is
// refused.
#include "ChildWindow.h"
#include "CreateLayerCmd.h"
#include "DialogFilter.h"
#include "Document.h"
#include "FileActions.h"
#include "FilterDialog.h"
#include "FilterLanding.h"
#include "FilterMenu.h"
#include "GaussianBlur.h"
#include "InvertColorFilter.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixmapLayer.h"
#include "Situations.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "ui_MainWindow.h"

#include <QDialogButtonBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>


class TestFilterWindow : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;
    QImage m_image = cqtest::patternImage(80, 50, 21);

    QAction *entry(const QString &path) const { return cqtest::filterEntry(m_pMain, path); }
    Document *newDocument() { return cqtest::newDocument(m_pMain, m_image); }
    static QImage pixels(Document *pDocument) { return pDocument->CurrentRasterLayer()->image(); }
    static QStringList steps(Document *pDocument)
    {
        QStringList texts;
        for (int i = 0; i < pDocument->undoStack()->count(); ++i)
            texts << pDocument->undoStack()->text(i);
        return texts;
    }

private Q_SLOTS:
    void initTestCase() { m_pMain = cqtest::startMainWindow(m_scratch.path()); }
    void cleanup() { cqtest::closeAllDocuments(m_pMain); }

    void dialogFilterPreviewsAndLands()
    {
        Document *pDocument = newDocument();
        const QRegion selection(20, 10, 30, 25);
        pDocument->SetSelection(selection);
        const int iSteps = pDocument->undoStack()->count();
        entry(QStringLiteral("Blurs/Gaussian"))->trigger();
        QVERIFY(cqtest::openFilterDialog());
        cqtest::openFilterDialog()->findChild<QSlider *>(QStringLiteral("sizeSlider"))->setValue(7);
        // The preview reaches the layer while the dialog is open.
        const QImage whole = gaussianBlurReference(m_image, 7);
        QTRY_COMPARE(pixels(pDocument).pixel(30, 20), whole.pixel(30, 20));
        cqtest::openFilterDialog()->move(41, 43);
        const QPoint place = cqtest::openFilterDialog()->pos();
        cqtest::pressDialogButton(QDialogButtonBox::Ok);
        // The next start opens filter dialogs where this one was accepted.
        QCOMPARE(QSettings().value(QStringLiteral("FilterDialogLocation")).toPoint(), place);
        QCOMPARE(pDocument->undoStack()->count(), iSteps + 1);
        QCOMPARE(pDocument->undoStack()->text(iSteps), QStringLiteral("Gaussian - New Layer"));
        // Inside, the whole-image blur (neighbours outside were read too);
        // outside, the original pixels.
        const QImage landed = pixels(pDocument);
        QCOMPARE(landed, FilterLanding::Land(m_image, whole, selection));
        pDocument->undoStack()->undo();
        QVERIFY(FilterLanding::SamePixels(pixels(pDocument), m_image));
        pDocument->undoStack()->redo();
        QVERIFY(FilterLanding::SamePixels(pixels(pDocument), landed));

        // Opened and accepted as it came, Brightness changes nothing: no step.
        entry(QStringLiteral("Image Adjust/Brightness | Contrast"))->trigger();
        cqtest::pressDialogButton(QDialogButtonBox::Ok);
        QCOMPARE(pDocument->undoStack()->count(), iSteps + 1);
    }

    // A picture larger than the window at 100 %, scrolled to its middle,
    // a selection across the view's edge: each preview lands what the view
    // shows first, and OK lands the filter's whole-layer result inside the
    // selection, bit for bit.
    void previewStartsWhereTheUserLooks_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("slider");
        QTest::addColumn<int>("value");
        QTest::newRow("gaussian") << QStringLiteral("Blurs/Gaussian") << QStringLiteral("sizeSlider") << 9;
        QTest::newRow("bloom") << QStringLiteral("Glows/Bloom") << QStringLiteral("radiusSlider") << 30;
        QTest::newRow("glamour") << QStringLiteral("Glows/Glamour") << QStringLiteral("blurSlider") << 25;
        QTest::newRow("pixelate") << QStringLiteral("Pixelate") << QStringLiteral("sizeSlider") << 9;
    }
    void previewStartsWhereTheUserLooks()
    {
        QFETCH(QString, path);
        QFETCH(QString, slider);
        QFETCH(int, value);
        const QImage image = cqtest::patternImage(2400, 1800, 8);
        Document *pDocument = cqtest::newDocument(m_pMain, image);
        ChildWindow *pWindow = m_pMain->currentDocument();
        pWindow->SetZoom(100);
        QCoreApplication::processEvents();
        for (QScrollBar *pBar : {pWindow->scrollArea()->horizontalScrollBar(), pWindow->scrollArea()->verticalScrollBar()})
            pBar->setValue((pBar->minimum() + pBar->maximum()) / 2);
        const QRect shown = pWindow->ShownCanvasArea();
        QVERIFY(!shown.isEmpty());
        QVERIFY(!shown.contains(image.rect()));
        const QRegion selection(shown.center().x(), 100, 900, 1500);
        pDocument->SetSelection(selection);
        QAction *pEntry = entry(path);
        auto *pFilter = qobject_cast<DialogFilter *>(FilterMenu::FilterOf(pEntry)->GetObject());
        QObject watch;
        QList<QRect> landed;
        connect(pFilter, &DialogFilter::PartUpdated, &watch, [&](const QImage &, const QRect &area) { landed << area; });
        pEntry->trigger();
        // The opening preview's first part comes with the whole image, the
        // others alone; from then on every preview's first part is in view.
        QTRY_VERIFY(!landed.isEmpty());
        landed.clear();
        cqtest::openFilterDialog()->findChild<QSlider *>(slider)->setValue(value);
        QTRY_VERIFY(!landed.isEmpty());
        QVERIFY(landed.first().intersects(shown));
        cqtest::pressDialogButton(QDialogButtonBox::Ok);
        const QImage whole = pFilter->Run(image, pFilter->RequestedValues());
        const QImage expected = FilterLanding::Land(image, whole, selection);
        QCOMPARE(cqtest::firstDifference(pixels(pDocument), expected), QString());
    }

    void cancelRestoresEveryPixel()
    {
        Document *pDocument = newDocument();
        const int iSteps = pDocument->undoStack()->count();
        entry(QStringLiteral("Posterize"))->trigger();
        QTRY_VERIFY(!FilterLanding::SamePixels(pixels(pDocument), m_image));
        cqtest::pressDialogButton(QDialogButtonBox::Cancel);
        QVERIFY(FilterLanding::SamePixels(pixels(pDocument), m_image));
        QCOMPARE(pDocument->undoStack()->count(), iSteps);
    }

    // On a moved layer and on one larger than the canvas a filter works on
    // all the layer's own pixels, also those off the canvas, with the
    // selection moved onto the layer: as if the layer sat at the origin.
    void filtersWorkOnTheLayersOwnPixels_data() { cqtest::addSituations(false); }
    void filtersWorkOnTheLayersOwnPixels()
    {
        QFETCH(cqtest::Situation, situation);
        const QImage image = cqtest::patternImage(90, 70, 33);
        ChildWindow *pWindow = cqtest::documentIn(m_pMain, situation, image);
        Document *pDocument = pWindow->document();
        // Whole layer: an immediate filter and a dialog's blur.
        entry(QStringLiteral("Invert Colors"))->trigger();
        QCOMPARE(pixels(pDocument), invertReference(image));
        pDocument->undoStack()->undo();
        entry(QStringLiteral("Blurs/Gaussian"))->trigger();
        QVERIFY(cqtest::openFilterDialog());
        cqtest::openFilterDialog()->findChild<QSlider *>(QStringLiteral("sizeSlider"))->setValue(5);
        const QImage blurred = gaussianBlurReference(image, 5);
        QTRY_COMPARE(pixels(pDocument).pixel(45, 35), blurred.pixel(45, 35));
        cqtest::pressDialogButton(QDialogButtonBox::Ok);
        QCOMPARE(pixels(pDocument), blurred);
        QCOMPARE(pDocument->CurrentRasterLayer()->pos(), QPointF(situation.layerAt));
        pDocument->undoStack()->undo();
        // A hard and a feathered selection land where they were drawn.
        const QRegion selection(20, 20, 30, 25);
        const QRegion onLayer = selection.translated(-situation.layerAt);
        pDocument->SetSelection(selection);
        entry(QStringLiteral("Invert Colors"))->trigger();
        const QImage landed = pixels(pDocument);
        QCOMPARE(landed, FilterLanding::Land(image, invertReference(image), onLayer));
        QCOMPARE(pDocument->undoStack()->undoText(), QStringLiteral("Invert Colors - New Layer"));
        pDocument->undoStack()->undo();
        QCOMPARE(pixels(pDocument), image);
        pDocument->undoStack()->redo();
        QCOMPARE(pixels(pDocument), landed);
        pDocument->undoStack()->undo();
        pDocument->SetFeatherRadius(4);
        pDocument->SetFeather(true);
        QImage mask(image.size(), QImage::Format_ARGB32);
        mask.fill(0);
        const QImage canvasMask = pDocument->SelectionMask().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < canvasMask.height(); ++y)
            for (int x = 0; x < canvasMask.width(); ++x)
                if (mask.rect().contains(QPoint(x, y) - situation.layerAt))
                    mask.setPixel(QPoint(x, y) - situation.layerAt, canvasMask.pixel(x, y));
        entry(QStringLiteral("Invert Colors"))->trigger();
        QCOMPARE(pixels(pDocument), FilterLanding::Land(image, invertReference(image), onLayer, mask));
        pDocument->SetFeather(false);
    }

    void textLayerIsRefused()
    {
        Document *pDocument = newDocument();
        pDocument->undoStack()->push(new CreateLayerCmd(pDocument, Layer::Text));
        QCOMPARE(pDocument->CurrentLayer()->kind(), Layer::Text);
        const int iSteps = pDocument->undoStack()->count();
        cqtest::MessageBoxAnswer answer;
        cqtest::answerNextMessageBox(QMessageBox::Ok, &answer);
        entry(QStringLiteral("Invert Colors"))->trigger();
        QCOMPARE(answer.text, QStringLiteral("Turn this layer into a pixmap before applying a filter."));
        QCOMPARE(pDocument->undoStack()->count(), iSteps);
    }
};

QTEST_MAIN(TestFilterWindow)
#include "tst_filterwindow.moc"
