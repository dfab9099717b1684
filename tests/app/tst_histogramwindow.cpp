// The histogram panel in the window: Window > Histogram shows it, it follows
// the current layer and document and the layer's pixels (a burst of changes
// costs one count, not one each), draws the counted channels, and closing it
// unchecks its entry.
#include "ChildWindow.h"
#include "CreateLayerCmd.h"
#include "Document.h"
#include "FileActions.h"
#include "HistogramDlg.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixmapLayer.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "ui_MainWindow.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>


class TestHistogramWindow : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    HistogramDlg *panel() const { return m_pMain->histogramPanel(); }
    QAction *histogramEntry() const { return m_pMain->form()->action_Histogram; }
    QAction *filterEntry(const QString &path) const { return cqtest::filterEntry(m_pMain, path); }
    Document *newDocument(const QImage &image) { return cqtest::newDocument(m_pMain, image); }
    bool showing(const QImage &image) const { return panel()->Shown() == histogramReference(image); }

private Q_SLOTS:
    void initTestCase() { m_pMain = cqtest::startMainWindow(m_scratch.path()); }
    void cleanup() { cqtest::closeAllDocuments(m_pMain); }

    void panelFollowsTheCurrentLayer()
    {
        QVERIFY(panel()->isHidden());
        QVERIFY(!histogramEntry()->isChecked());
        histogramEntry()->trigger();
        QVERIFY(panel()->isVisible());

        const QImage first = cqtest::patternImage(120, 80, 1);
        Document *pFirst = newDocument(first);
        QTRY_VERIFY(showing(first));
        QVERIFY(!panel()->findChild<QLabel *>(QStringLiteral("histogramLabel"))->pixmap().isNull());

        // A filter from the menu changes the pixels: the panel follows.
        filterEntry(QStringLiteral("Invert Colors"))->trigger();
        const QImage inverted = pFirst->CurrentRasterLayer()->image();
        QVERIFY(inverted != first);
        QTRY_VERIFY(showing(inverted));

        // A burst of changes in one go is counted once, for the last picture
        // (a count of the inverted pixels may still be under way).
        PixmapLayer *pLayer = pFirst->CurrentRasterLayer();
        QSignalSpy refreshed(panel(), &HistogramDlg::Refreshed);
        for (quint32 i = 0; i < 30; ++i)
            pLayer->setImage(cqtest::patternImage(120, 80, 100 + i));
        QTRY_VERIFY(showing(pLayer->image()));
        QVERIFY(refreshed.count() <= 2);

        // A new layer is current: transparent, so nothing is counted; back
        // to the first layer, its counts come back.
        pFirst->undoStack()->push(new CreateLayerCmd(pFirst, Layer::Raster));
        QTRY_VERIFY(panel()->Shown() == HistogramData());
        pFirst->SetCurrentLayer(pLayer);
        QTRY_VERIFY(showing(pLayer->image()));
        // A text layer has no histogram, and the panel says why.
        QVERIFY(panel()->BlankReason().isEmpty());
        pFirst->undoStack()->push(new CreateLayerCmd(pFirst, Layer::Text));
        QTRY_VERIFY(panel()->Shown() == HistogramData());
        QVERIFY(panel()->BlankReason().contains(QStringLiteral("text layer")));
        QLabel *pChart = panel()->findChild<QLabel *>(QStringLiteral("histogramLabel"));
        const QImage said = pChart->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY(said != HistogramDlg::Chart(HistogramData(), said.size(), {true, true, true, true, true, true}));
        // ... in letters light enough to read on the chart's dark ground.
        const QImage seen = pChart->grab().toImage();
        int brightest = 0;
        for (int y = 0; y < seen.height(); ++y)
            for (int x = 0; x < seen.width(); ++x)
                brightest = qMax(brightest, qGray(seen.pixel(x, y)));
        QVERIFY2(brightest >= 200, qPrintable(QString::number(brightest)));
        pFirst->SetCurrentLayer(pLayer);
        QVERIFY(panel()->BlankReason().isEmpty());

        // Another document, then back to the first.
        const QImage second = cqtest::patternImage(50, 70, 2);
        newDocument(second);
        QTRY_VERIFY(showing(second));
        QMdiArea *pArea = m_pMain->form()->mdiArea;
        pArea->setActiveSubWindow(pArea->subWindowList().first());
        QTRY_VERIFY(showing(pLayer->image()));

        // Closing the panel unchecks its entry; the entry brings it back.
        panel()->close();
        QVERIFY(!histogramEntry()->isChecked());
        histogramEntry()->trigger();
        QVERIFY(panel()->isVisible());
        // While it was hidden the layer changed: showing it counts again.
        panel()->close();
        pLayer->setImage(first);
        histogramEntry()->trigger();
        QTRY_VERIFY(showing(first));
    }

    void chartDrawsCountedChannels()
    {
        HistogramData data;
        for (int i = 10; i <= 20; ++i)
            data.counts[HistogramData::Red][i] = 4;
        for (int i = 30; i <= 40; ++i)
            data.counts[HistogramData::Red][i] = 2;
        data.counts[HistogramData::Blue][200] = 1;
        data.FindPeaks();
        const QImage chart = HistogramDlg::Chart(data, QSize(256, 100), {true, true, true, true, true, true});
        // The peak reaches the top, half the peak half-way, nothing elsewhere.
        QCOMPARE(chart.pixelColor(15, 2).red(), 255);
        QCOMPARE(chart.pixelColor(15, 2).alpha(), 128);
        QVERIFY(qAlpha(chart.pixel(35, 55)) > 0);
        QCOMPARE(qAlpha(chart.pixel(35, 45)), 0);
        QCOMPARE(qAlpha(chart.pixel(60, 99)), 0);
        QVERIFY(qBlue(chart.pixel(200, 90)) > 0);
        // Guide lines at a third and two thirds of the width.
        QVERIFY(qAlpha(chart.pixel(85, 50)) > 0);
        QVERIFY(qAlpha(chart.pixel(170, 50)) > 0);
        // Unchecked channels, and channels with nothing counted, draw nothing.
        const QImage none = HistogramDlg::Chart(data, QSize(256, 100), {false, true, false, true, true, true});
        QCOMPARE(qAlpha(none.pixel(15, 99)), 0);
        QCOMPARE(qAlpha(none.pixel(200, 99)), 0);
    }

    // The window layout saved with the histogram panel open, and after it
    // was closed again, brings the editor back up (it once crashed while
    // restoring either).
    void savedLayoutStartsAgain()
    {
        cqtest::newDocument(m_pMain, cqtest::patternImage(40, 30, 5));
        if (!histogramEntry()->isChecked())
            histogramEntry()->trigger();
        QTRY_VERIFY(panel()->isVisible());
        const QByteArray open = m_pMain->saveState(0);
        panel()->close();
        const QByteArray closed = m_pMain->saveState(0);
        for (const QByteArray &state : {open, closed}) {
            QTemporaryDir home;
            {
                QSettings settings(home.filePath(QStringLiteral("config/Kestrelvane/Chromaquill.conf")),
                                   QSettings::IniFormat);
                settings.setValue(QStringLiteral("windowState"), state);
            }
            QProcess editor;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
            env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
            QDir().mkpath(home.filePath(QStringLiteral("tmp")));
            env.insert(QStringLiteral("TMPDIR"), home.filePath(QStringLiteral("tmp")));
            editor.setProcessEnvironment(env);
            editor.start(qEnvironmentVariable("CQ_BINARY_DIR") + QStringLiteral("/chromaquill"), {});
            const QDir scratch(home.filePath(QStringLiteral("tmp/chromaquillScratch")));
            QTRY_VERIFY_WITH_TIMEOUT(
                !scratch.entryList({QStringLiteral("instance-*")}, QDir::Dirs).isEmpty()
                    || editor.state() == QProcess::NotRunning,
                60000);
            // The panels are laid out once the event loop runs.
            QTest::qWait(1500);
            QVERIFY2(editor.state() == QProcess::Running, editor.readAllStandardError().constData());
            editor.terminate();
            QVERIFY(editor.waitForFinished(60000));
            QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
            QVERIFY2(editor.exitCode() == 0, editor.readAllStandardError().right(4000).constData());
        }
    }
};

QTEST_MAIN(TestHistogramWindow)
#include "tst_histogramwindow.moc"
