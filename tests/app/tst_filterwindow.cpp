// Filters picked from the window's Filter menu: an immediate filter changes
// only the selection and is one undo step; a dialog filter's preview lands
// through the painting protocol, OK records one step whose undo and redo give
// the same pixels, Cancel puts every pixel back, accepting an unchanged
// picture records nothing, and a text layer is refused.
#include "ChildWindow.h"
#include "CreateLayerCmd.h"
#include "Document.h"
#include "FileActions.h"
#include "FilterDialog.h"
#include "FilterLanding.h"
#include "GaussianBlur.h"
#include "InvertColorFilter.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixmapLayer.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "ui_MainWindow.h"

#include <QDialogButtonBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
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

    void immediateFilterInsideTheSelection()
    {
        Document *pDocument = newDocument();
        pDocument->SetSelection(QRegion(0, 0, 10, 10));
        const QStringList before = steps(pDocument);
        entry(QStringLiteral("Invert Colors"))->trigger();
        const QImage inverted = invertReference(m_image);
        QCOMPARE(steps(pDocument), before + QStringList{QStringLiteral("Invert Colors - New Layer")});
        QCOMPARE(pixels(pDocument).pixel(3, 3), inverted.pixel(3, 3));
        QCOMPARE(pixels(pDocument).pixel(30, 30), m_image.pixel(30, 30));
        const QImage after = pixels(pDocument);
        pDocument->undoStack()->undo();
        QVERIFY(FilterLanding::SamePixels(pixels(pDocument), m_image));
        pDocument->undoStack()->redo();
        QVERIFY(FilterLanding::SamePixels(pixels(pDocument), after));
    }

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
