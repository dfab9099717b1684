// Document dialogs: the proportion rule, the new-file dialog's clipboard
// size and aspect lock, the size limits of the three size dialogs, the
// image size and canvas size dialogs, and the export preview: the pixels
// and size the export writes, its background, coalesced trial encodes.
#include "AspectRatio.h"
#include "Chromaquill.h"
#include "CanvasSizeDlg.h"
#include "ExportPreviewDlg.h"
#include "ImageResizeDlg.h"
#include "NewFileDlg.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

namespace {

template <class T>
T *child(QWidget *pParent, const char *name)
{
    T *p = pParent->findChild<T *>(QLatin1String(name));
    if (!p)
        qWarning("no child %s", name);
    return p;
}

} // namespace

class TestDocDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { cqtest::isolateSettings(); }

    // Zero sides never divide (the dialogs below show the rule on real sizes).
    void proportionRule()
    {
        QCOMPARE(AspectRatio::Ratio(800, 0), 0.0);
        QCOMPARE(AspectRatio::Reduced(0, 600), QSize(0, 600));
        QCOMPARE(AspectRatio::Reduced(0, 0), QSize(0, 0));
        QCOMPARE(AspectRatio::HeightFor(400, 0.0), 0);
        QVERIFY(!AspectRatio::Text(0, 0).isEmpty());
    }

    void newFileTakesClipboardSize()
    {
        QImage image = cqtest::filledImage(1920, 1080, Qt::red);
        QGuiApplication::clipboard()->setImage(image);
        NewFileDlg dialog;
        QCOMPARE(dialog.ChosenSize(), QSize(1920, 1080));
        QCOMPARE(child<QCheckBox>(&dialog, "aspectRatio")->text(), QStringLiteral("Maintain Aspect\n16:9 (1.78)"));
        QGuiApplication::clipboard()->clear();
    }

    void newFileKeepsAspect()
    {
        QGuiApplication::clipboard()->clear();
        NewFileDlg dialog;
        auto *pWidth = child<QSpinBox>(&dialog, "canvasWidth");
        auto *pHeight = child<QSpinBox>(&dialog, "canvasHeight");
        auto *pBox = child<QCheckBox>(&dialog, "aspectRatio");
        QCOMPARE(dialog.ChosenSize(), QSize(800, 600));
        pBox->setChecked(true);
        pWidth->setValue(400);
        QCOMPARE(pHeight->value(), 300);
        pHeight->setValue(301);
        QCOMPARE(pWidth->value(), 401);
        // The locked ratio stays the one from when the box was checked.
        QCOMPARE(pBox->text(), QStringLiteral("Maintain Aspect\n4:3 (1.33)"));

        // Unchecked: changes only refresh the text.
        pBox->setChecked(false);
        pHeight->setValue(500);
        pWidth->setValue(500);
        QCOMPARE(pBox->text(), QStringLiteral("Maintain Aspect\n1:1 (1)"));
    }

    // New File, Canvas Size and Image Size offer only canvases that can be
    // saved and opened again: no empty side, no side past 32768, at most 2^28
    // pixels. Past that OK is disabled and accepting does nothing.
    void sizeDialogsOfferOnlyWhatCanBeSaved()
    {
        QGuiApplication::clipboard()->clear();
        NewFileDlg newFile;
        CanvasSizeDlg canvas(100, 100);
        ImageResizeDlg resize(100, 100);
        const QList<QPair<QDialog *, QPair<const char *, const char *>>> dialogs = {
            {&newFile, {"canvasWidth", "canvasHeight"}},
            {&canvas, {"widthSpinBox", "heightSpinBox"}},
            {&resize, {"widthSpinBox", "heightSpinBox"}}};
        for (const auto &d : dialogs) {
            auto *pWidth = child<QSpinBox>(d.first, d.second.first);
            auto *pHeight = child<QSpinBox>(d.first, d.second.second);
            QPushButton *pOk = child<QDialogButtonBox>(d.first, "buttonBox")->button(QDialogButtonBox::Ok);
            pWidth->setValue(0);
            QCOMPARE(pWidth->value(), 1);
            pWidth->setValue(40000);
            QCOMPARE(pWidth->value(), 32768);
            pHeight->setValue(8192);
            QVERIFY(pOk->isEnabled());
            pHeight->setValue(8193);
            QVERIFY(!pOk->isEnabled());
            QVERIFY(!pOk->toolTip().isEmpty());
            pWidth->setValue(16384);
            pHeight->setValue(16384);
            QVERIFY(pOk->isEnabled());
            pHeight->setValue(16385);
            QVERIFY(!pOk->isEnabled());
        }
        // Accepting anyway (a keyboard shortcut, a script) records nothing.
        resize.accept();
        QCOMPARE(resize.ChosenSize(), QSize());
        QCOMPARE(resize.result(), int(QDialog::Rejected));
    }

    void canvasAndResizeKeepAspect()
    {
        CanvasSizeDlg canvas(800, 600);
        QCOMPARE(child<QLabel>(&canvas, "ratioLabel")->text(), QStringLiteral("4:3 (1.33)"));
        auto *pWidth = child<QSpinBox>(&canvas, "widthSpinBox");
        auto *pHeight = child<QSpinBox>(&canvas, "heightSpinBox");
        pWidth->setValue(1000);
        QCOMPARE(pHeight->value(), 600);
        QCOMPARE(child<QLabel>(&canvas, "ratioLabelCurrent")->text(), QStringLiteral("5:3 (1.67)"));
        // Checking the box fixes the other side of the larger one.
        child<QCheckBox>(&canvas, "aspectRatioCheckBox")->setChecked(true);
        QCOMPARE(pHeight->value(), 750);
        pHeight->setValue(301);
        QCOMPARE(pWidth->value(), 401);
        QCOMPARE(canvas.ChosenSize(), QSize(401, 301));
        QTest::mouseClick(child<QPushButton>(&canvas, "anchor_topRight"), Qt::LeftButton);
        QCOMPARE(canvas.Anchor(), 2);

        ImageResizeDlg resize(1920, 1080);
        QCOMPARE(child<QLabel>(&resize, "ratioLabel")->text(), QStringLiteral("16:9 (1.78)"));
        child<QSpinBox>(&resize, "widthSpinBox")->setValue(960);
        QCOMPARE(child<QLabel>(&resize, "ratioLabelCurrent")->text(), QStringLiteral("8:9 (0.889)"));
        // Width not the larger side: the width follows the height.
        child<QCheckBox>(&resize, "aspectRatioCheckBox")->setChecked(true);
        QCOMPARE(child<QSpinBox>(&resize, "widthSpinBox")->value(), 1920);
        child<QSpinBox>(&resize, "widthSpinBox")->setValue(960);
        QCOMPARE(child<QSpinBox>(&resize, "heightSpinBox")->value(), 540);
        QCOMPARE(resize.ChosenSize(), QSize());
        resize.accept();
        QCOMPARE(resize.ChosenSize(), QSize(960, 540));
        QCOMPARE(resize.result(), int(QDialog::Accepted));
    }

    // The preview shows exactly the pixels the export writes: the picture
    // itself for PNG; for a format without alpha, the picture laid on the
    // background chosen on the dialog's swatch (white until one is, then the
    // last one), against an independent "over" of each pixel.
    void exportPreviewIsWhatIsWritten_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QColor>("chosen"); // invalid: left as it is
        QTest::addColumn<int>("tolerance"); // of the written pixels against the reference
        QTest::newRow("png") << QStringLiteral("PNG") << QColor() << 0;
        QTest::newRow("bmp on white") << QStringLiteral("BMP") << QColor() << 1;
        QTest::newRow("bmp on a chosen colour") << QStringLiteral("BMP") << QColor(30, 160, 90) << 1;
        QTest::newRow("jpg on a chosen colour") << QStringLiteral("JPG") << QColor(200, 40, 120) << 12;
    }

    void exportPreviewIsWhatIsWritten()
    {
        QFETCH(QString, format);
        QFETCH(QColor, chosen);
        QFETCH(int, tolerance);
        // Clear, half-covered and opaque bands, 16 pixels each.
        QImage image(48, 32, QImage::Format_ARGB32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x)
                image.setPixel(x, y, x < 16 ? qRgba(250, 10, 10, 0) : qRgba(20, 60, 220, x < 32 ? 128 : 255));
        // White until the user picks a colour.
        QSettings().remove(QStringLiteral("ExportBackgroundSwatch"));
        ExportPreviewDlg dialog(format, image);
        dialog.show();
        QSignalSpy spy(&dialog, &ExportPreviewDlg::PreviewUpdated);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsEncoding() && !spy.isEmpty(), 20000);
        QWidget *pSwatch = child<QWidget>(&dialog, "ExportBackgroundSwatch");
        QCOMPARE(pSwatch->isVisible(), format != QStringLiteral("PNG"));
        if (chosen.isValid()) {
            // Clicking the swatch asks for the colour.
            cqtest::actOnNextDialog([chosen](QDialog *pAsk) {
                QVERIFY(qobject_cast<QColorDialog *>(pAsk));
                static_cast<QColorDialog *>(pAsk)->setCurrentColor(chosen);
                pAsk->accept();
            });
            spy.clear();
            QTest::mouseClick(pSwatch, Qt::LeftButton, {}, QPoint(5, 5));
            QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsEncoding() && !spy.isEmpty(), 20000);
            QCOMPARE(dialog.Background(), chosen);
            // The next export starts from it.
            QCOMPARE(ExportPreviewDlg(format, image).Background(), chosen);
        }
        const QColor background = chosen.isValid() ? chosen : QColor(Qt::white);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("export.") + format.toLower());
        QString error;
        QVERIFY2(Chromaquill::WriteImage(path, image, dialog.Quality(), &error, dialog.Background()),
                 qPrintable(error));
        const QImage written = QImage(path).convertToFormat(QImage::Format_ARGB32);
        // Shown as the screen takes it, premultiplied.
        const QImage shown = child<QLabel>(&dialog, "previewWidget")->pixmap().toImage();
        QCOMPARE(cqtest::differingPixels(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                                         written.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
                 qint64(0));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x) {
                // JPEG smears colour a few pixels across a band's edge.
                if (format == QStringLiteral("JPG") && (x % 16 < 3 || x % 16 > 12))
                    continue;
                const QRgb p = image.pixel(x, y);
                QRgb expected = p;
                if (format != QStringLiteral("PNG")) {
                    const int a = qAlpha(p);
                    const auto over = [a](int c, int b) { return (c * a + b * (255 - a) + 127) / 255; };
                    expected = qRgb(over(qRed(p), background.red()), over(qGreen(p), background.green()),
                                    over(qBlue(p), background.blue()));
                }
                const QRgb got = written.pixel(x, y);
                const int diff =
                    std::max({std::abs(qRed(got) - qRed(expected)), std::abs(qGreen(got) - qGreen(expected)),
                              std::abs(qBlue(got) - qBlue(expected)), std::abs(qAlpha(got) - qAlpha(expected))});
                QVERIFY2(diff <= tolerance, qPrintable(QStringLiteral("%1,%2 off by %3").arg(x).arg(y).arg(diff)));
            }
    }

    // The size shown is what the export writes: for a mostly empty layer a few
    // kilobytes, not its raw pixels.
    void exportPreviewShowsTheEncodedSize()
    {
        QImage image = cqtest::filledImage(1024, 1024, Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(Qt::red);
            painter.drawEllipse(QPointF(300, 400), 40, 40);
        }
        ExportPreviewDlg dialog(QStringLiteral("PNG"), image);
        QSignalSpy spy(&dialog, &ExportPreviewDlg::PreviewUpdated);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsEncoding() && !spy.isEmpty(), 20000);
        const qint64 shown = spy.last().at(1).toLongLong();

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("export.png"));
        QString error;
        QVERIFY2(Chromaquill::WriteImage(path, image, dialog.Quality(), &error), qPrintable(error));
        QCOMPARE(QFileInfo(path).size(), shown);
        QVERIFY2(shown < 16 * 1024, qPrintable(QString::number(shown)));
    }

    void exportCoalescesSliderValues()
    {
        const QImage image = cqtest::patternImage(512, 512, 9, false);
        ExportPreviewDlg dialog(QStringLiteral("JPG"), image);
        QSignalSpy spy(&dialog, &ExportPreviewDlg::PreviewUpdated);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsEncoding(), 20000);
        const qint64 atBest = spy.last().at(1).toLongLong();
        spy.clear();

        auto *pSlider = child<QSlider>(&dialog, "qualitySlider");
        for (int q = 60; q >= 11; --q)
            pSlider->setValue(q);
        QCOMPARE(dialog.Quality(), 11);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsEncoding(), 20000);
        // Values passed over while a write ran are skipped; the last one is shown.
        QVERIFY2(spy.size() < 50, qPrintable(QString::number(spy.size())));
        QCOMPARE(spy.last().at(0).toInt(), 11);
        QVERIFY(spy.last().at(1).toLongLong() < atBest);
    }
};

QTEST_MAIN(TestDocDialogs)
#include "tst_docdialogs.moc"
