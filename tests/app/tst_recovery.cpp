// Recovery copies: written only for changed, modified documents and only
// what they hold; gone when the document is saved or closed; a failed
// write said once and tried again; copies of an instance that is gone
// offered at start, damaged ones listed as such, and read back by cqtool.
#include "Autosave.h"
#include "ChildWindow.h"
#include "Document.h"
#include "DocumentFile.h"
#include "FileActions.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixmapLayer.h"
#include "RecoverDlg.h"
#include "Recovery.h"
#include "RecoveryFile.h"
#include "RecoveryFolder.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"

#include <QListWidget>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

class TestRecovery : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;
    QTemporaryDir m_home;

    static void paint(Document *pDocument, QRgb color)
    {
        PixmapLayer *pLayer = pDocument->CurrentRasterLayer();
        QImage image = pLayer->image();
        image.fill(color);
        image.setPixel(1, 2, qRgba(10, 20, 30, 40)); // straight, translucent: kept exactly
        pLayer->setImage(image);
        pDocument->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Paint"), pLayer));
    }
    static QImage copiedPixels(const QString &path)
    {
        RecoveryInfo info;
        DocumentData data;
        QString error;
        if (!RecoveryFile::Read(path, &info, &data, &error) || data.layers.isEmpty())
            return QImage();
        return data.layers.first().image;
    }
    // A copy as a crashed instance leaves it: its lock file, held by nobody.
    static QString orphanCopy(const QString &folder, const QString &name, const QByteArray &bytes)
    {
        QFile lock(folder + QStringLiteral("/i1x1.lock"));
        lock.open(QIODevice::WriteOnly);
        QFile copy(folder + QStringLiteral("/i1x1-") + name + RecoveryFolder::Suffix());
        copy.open(QIODevice::WriteOnly);
        copy.write(bytes);
        return copy.fileName();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = cqtest::startMainWindow(m_scratch.path())); }
    void cleanup()
    {
        m_pMain->SetAutosave(nullptr);
        cqtest::closeAllDocuments(m_pMain);
    }

    void writesChangedDocumentsAndRemovesOnSaveAndClose()
    {
        RecoveryFolder folder;
        QVERIFY(folder.Open(m_home.filePath(QStringLiteral("recovery"))));
        Autosave autosave(folder);
        m_pMain->SetAutosave(&autosave);
        QSignalSpy written(&autosave, &Autosave::Written);
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(40, 30));
        Document *pDocument = pWindow->document();

        // Unmodified: nothing to copy.
        autosave.WriteChanged();
        autosave.Flush();
        QCOMPARE(written.count(), 0);

        paint(pDocument, qRgba(200, 100, 50, 255));
        autosave.WriteChanged();
        autosave.Flush();
        QCOMPARE(written.count(), 1);
        const QString path = autosave.CopyPathOf(pDocument);
        QVERIFY(path.contains(folder.Instance()) && path.contains(QStringLiteral("Untitled")));
        QCOMPARE(copiedPixels(path), pDocument->CurrentRasterLayer()->image());
        // Nothing changed since: no second write.
        autosave.WriteChanged();
        autosave.Flush();
        QCOMPARE(written.count(), 1);

        // Saving removes the copy; the user's file is never the copy.
        const QString saved = m_home.filePath(QStringLiteral("mine.cq"));
        pWindow->SetFileName(saved);
        QVERIFY(!QFile::exists(path));
        paint(pDocument, qRgba(0, 0, 255, 255));
        autosave.WriteChanged();
        autosave.Flush();
        const QString second = autosave.CopyPathOf(pDocument);
        QVERIFY(second.contains(QStringLiteral("mine.cq")));
        QVERIFY(QFile::exists(second));
        QVERIFY(!QFile::exists(saved));

        // Closing without saving removes it too.
        cqtest::answerNextMessageBox(QMessageBox::No);
        pWindow->subWindow()->close();
        QCoreApplication::processEvents();
        QVERIFY(!QFile::exists(second));
    }

    void failedWriteIsSaidOnceAndRetried()
    {
        RecoveryFolder folder;
        QVERIFY(folder.Open(m_home.filePath(QStringLiteral("failing"))));
        Autosave autosave(folder);
        m_pMain->SetAutosave(&autosave);
        QSignalSpy failed(&autosave, &Autosave::Failed);
        QSignalSpy written(&autosave, &Autosave::Written);
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(20, 20));
        paint(pWindow->document(), qRgba(1, 2, 3, 255));
        autosave.WriteChanged();
        autosave.Flush();
        const QString path = autosave.CopyPathOf(pWindow->document());
        QCOMPARE(written.count(), 1);
        const QImage first = copiedPixels(path);

        // A folder where the copy's new version must go: the write fails.
        QVERIFY(QFile::rename(path, path + QStringLiteral(".kept")));
        QVERIFY(QDir().mkpath(path + QStringLiteral("/blocker")));
        for (int i = 0; i < 2; ++i) {
            paint(pWindow->document(), qRgba(50, 60, 70 + i, 255));
            autosave.WriteChanged();
            autosave.Flush();
        }
        QCOMPARE(failed.count(), 1);
        QCOMPARE(written.count(), 1);
        QCOMPARE(copiedPixels(path + QStringLiteral(".kept")), first);

        QVERIFY(QDir(path).removeRecursively());
        autosave.WriteChanged();
        autosave.Flush();
        QCOMPARE(written.count(), 2);
        QCOMPARE(copiedPixels(path), pWindow->document()->CurrentRasterLayer()->image());
    }

    void offersOnlyCopiesOfInstancesThatAreGone()
    {
        const QString dir = m_home.filePath(QStringLiteral("offer"));
        RecoveryFolder running;
        QVERIFY(running.Open(dir));
        Autosave autosave(running);
        m_pMain->SetAutosave(&autosave);
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(24, 16));
        pWindow->SetFileName(m_home.filePath(QStringLiteral("picture.cq")));
        paint(pWindow->document(), qRgba(90, 180, 30, 255));
        const QImage pixels = pWindow->document()->CurrentRasterLayer()->image();
        autosave.WriteChanged();
        autosave.Flush();
        const QString live = autosave.CopyPathOf(pWindow->document());
        QFile liveFile(live);
        QVERIFY(liveFile.open(QIODevice::ReadOnly));
        const QByteArray bytes = liveFile.readAll();
        m_pMain->SetAutosave(nullptr);

        // The same copy left by an instance that crashed, and a damaged one.
        const QString good = orphanCopy(dir, QStringLiteral("1 picture.cq"), bytes);
        QByteArray broken = bytes;
        broken[broken.size() / 2] = char(broken[broken.size() / 2] ^ 0x55);
        const QString damaged = orphanCopy(dir, QStringLiteral("2 Untitled 2"), broken);
        QString error;
        QVERIFY(!RecoveryFile::Check(damaged, nullptr, &error));
        QVERIFY(!RecoveryFile::Read(damaged, nullptr, nullptr, &error));
        for (int n : {0, 11, 40, int(bytes.size()) - 1}) {
            DocumentData data;
            QVERIFY(!RecoveryFile::Parse(bytes.left(n), nullptr, &data, &error));
        }

        RecoveryFolder second;
        QVERIFY(second.Open(dir));
        QStringList orphans = second.Orphans();
        orphans.sort();
        QCOMPARE(orphans, (QStringList{good, damaged}));
        QStringList rows;
        QTimer::singleShot(0, this, [&rows] {
            for (QWidget *pWidget : QApplication::topLevelWidgets())
                if (auto *pDialog = qobject_cast<RecoverDlg *>(pWidget)) {
                    QCOMPARE(pDialog->windowTitle(), QStringLiteral("Recover Work"));
                    QVERIFY(pDialog->recoverButton()->isDefault());
                    for (int i = 0; i < pDialog->list()->count(); ++i)
                        rows.append(pDialog->list()->item(i)->text());
                    pDialog->recoverButton()->click();
                }
        });
        const int iBefore = int(m_pMain->findChildren<ChildWindow *>().size());
        QCOMPARE(Recovery::OfferAtStart(m_pMain, second, true), 1);
        QCOMPARE(rows.size(), 2);
        rows.sort();
        QCOMPARE(rows[0], QStringLiteral("Untitled 2\nDamaged: The recovery copy is damaged."));
        QVERIFY(rows[1].startsWith(QStringLiteral("picture.cq\n")));
        QCOMPARE(int(m_pMain->findChildren<ChildWindow *>().size()), iBefore + 1);
        ChildWindow *pRecovered = m_pMain->currentDocument();
        QVERIFY(pRecovered->document()->IsModified());
        QCOMPARE(pRecovered->FileName(), m_home.filePath(QStringLiteral("picture.cq")));
        QCOMPARE(pRecovered->document()->CurrentRasterLayer()->image(), pixels);
        // Both are gone; the running instance's own copy stays.
        QVERIFY(!QFile::exists(good) && !QFile::exists(damaged));
        QVERIFY(QFile::exists(live));
        QVERIFY(second.Orphans().isEmpty());
    }

    void cqtoolReadsACopy()
    {
        RecoveryInfo info;
        info.title = QStringLiteral("Untitled 1");
        info.written = QDateTime::currentDateTime();
        DocumentData data = DocumentFile::FromImage(cqtest::patternImage(17, 9, 4, true), QStringLiteral("L"));
        QString error;
        const QByteArray bytes = RecoveryFile::Encode(info, data, &error);
        const QString copy = m_home.filePath(QStringLiteral("x.cqr"));
        QFile file(copy);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        const QString tool = qEnvironmentVariable("CQ_BINARY_DIR") + QStringLiteral("/cqtool");
        QProcess process;
        process.start(tool, {QStringLiteral("inspect"), copy});
        QVERIFY(process.waitForFinished(60000));
        const QString listing = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(listing.startsWith(QStringLiteral("recovery copy of \"Untitled 1\"")), qPrintable(listing));
        QVERIFY(listing.contains(QStringLiteral("canvas 17 x 9")));
        const QString out = m_home.filePath(QStringLiteral("x.cq"));
        process.start(tool, {QStringLiteral("convert"), copy, out});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        DocumentData back;
        QVERIFY(DocumentFile::ReadFile(out, &back, &error));
        QCOMPARE(back.layers.first().image, cqtest::patternImage(17, 9, 4, true));
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
