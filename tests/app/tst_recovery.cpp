// Recovery copies: written only for changed, modified documents and only
// what they hold; gone when the document is saved or closed; a failed
// write said once and tried again; copies of an instance that is gone
// offered at start, damaged ones listed as such (the file on its own is
// tst_recoveryfile's).
// The undo history comes back with the document: every step undone and
// redone shows what it showed before the crash, as far as its snapshots
// were kept; an open floating picture is copied landed.
#include "Autosave.h"
#include "ChildWindow.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "FileActions.h"
#include "HistoryJournal.h"
#include "ImageFile.h"
#include "AddPathCmd.h"
#include "ChangeLayerOpacityCmd.h"
#include "CreateLayerCmd.h"
#include "DeleteLayerCmd.h"
#include "ImageFlipCmd.h"
#include "LayerSnapshotCmd.h"
#include "MoveTool.h"
#include "Path.h"
#include "RenameLayerCmd.h"
#include "ResizeCanvasCmd.h"
#include "SelectionCmd.h"
#include "ToolTestSupport.h"
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

    static void paint(Document *pDocument, QRgb color, const QRect &area = QRect())
    {
        PixmapLayer *pLayer = pDocument->CurrentRasterLayer();
        QImage image = pLayer->image();
        if (area.isValid()) {
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    image.setPixel(x, y, color);
        } else {
            image.fill(color);
        }
        image.setPixel(1, 2, qRgba(10, 20, 30, 40)); // straight, translucent: kept exactly
        pLayer->setImage(image);
        pDocument->undoStack()->push(new LayerSnapshotCmd(QStringLiteral("Paint"), pLayer));
    }
    // What the user sees of a document, once every restore has landed.
    static QString seen(Document *pDocument, QImage *pPicture)
    {
        cqtest::scratchStore().Sync();
        QStringList layers;
        for (Layer *pLayer : pDocument->GetLayers(true)) {
            if (pLayer->kind() == Layer::Raster)
                cqtest::scratchStore().WaitForPending(static_cast<PixmapLayer *>(pLayer));
            layers.append(QStringLiteral("%1@%2").arg(pLayer->name()).arg(pLayer->opacity()));
        }
        *pPicture = pDocument->Flattened();
        QStringList paths;
        for (const Path *pPath : pDocument->paths())
            paths.append(QStringLiteral("%1:%2").arg(pPath->name()).arg(pPath->AnchorCount()));
        return QStringLiteral("%1x%2 [%3] sel %4 paths [%5] current %6")
            .arg(pDocument->canvasSize().width())
            .arg(pDocument->canvasSize().height())
            .arg(layers.join(QLatin1Char(' ')))
            .arg(QDebug::toString(pDocument->Selection()))
            .arg(paths.join(QLatin1Char(' ')))
            .arg(pDocument->CurrentLayer() ? pDocument->CurrentLayer()->name() : QString());
    }
    // A copy and its snapshots as a crashed instance leaves them.
    static QString crashedCopy(const QString &copy, const QString &name)
    {
        const QString orphan = orphanCopy(QFileInfo(copy).path(), name, cqtest::readFile(copy));
        const QString from = RecoveryFolder::UndoFolder(copy);
        const QString to = RecoveryFolder::UndoFolder(orphan);
        QDir().mkpath(to);
        for (const QString &snapshot : QDir(from).entryList(QDir::Files))
            QFile::copy(from + QLatin1Char('/') + snapshot, to + QLatin1Char('/') + snapshot);
        return orphan;
    }
    // Walks the recovered history down to its start and up to its end:
    // every state as the document before the crash showed it at that step.
    static void checkWalk(ChildWindow *pWindow, const QStringList &states, const QList<QImage> &pictures, int iFirst)
    {
        QUndoStack *pStack = pWindow->undoStack();
        QImage picture;
        for (int i = pStack->index(); i >= 0; --i) {
            pStack->setIndex(i);
            QCOMPARE(seen(pWindow->document(), &picture), states[iFirst + i]);
            QCOMPARE(picture, pictures[iFirst + i]);
        }
        for (int i = 1; i <= pStack->count(); ++i) {
            pStack->setIndex(i);
            QCOMPARE(seen(pWindow->document(), &picture), states[iFirst + i]);
            QCOMPARE(picture, pictures[iFirst + i]);
        }
    }
    // A copy of every changed document, written before this returns.
    static void writeNow(Autosave &autosave)
    {
        autosave.WriteChanged();
        autosave.Flush();
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
        const QString copy = folder + QStringLiteral("/i1x1-") + name + RecoveryFolder::Suffix();
        cqtest::writeFile(folder + QStringLiteral("/i1x1.lock"), {});
        cqtest::writeFile(copy, bytes);
        return copy;
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
        writeNow(autosave);
        QCOMPARE(written.count(), 0);

        paint(pDocument, qRgba(200, 100, 50, 255));
        writeNow(autosave);
        QCOMPARE(written.count(), 1);
        const QString path = autosave.CopyPathOf(pDocument);
        QVERIFY(path.contains(folder.Instance()) && path.contains(QStringLiteral("Untitled")));
        QCOMPARE(copiedPixels(path), pDocument->CurrentRasterLayer()->image());
        // Nothing changed since: no second write.
        writeNow(autosave);
        QCOMPARE(written.count(), 1);

        // Saving removes the copy; the user's file is never the copy.
        const QString saved = m_home.filePath(QStringLiteral("mine.cq"));
        pWindow->SetFileName(saved);
        QVERIFY(!QFile::exists(path));
        paint(pDocument, qRgba(0, 0, 255, 255));
        writeNow(autosave);
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
        writeNow(autosave);
        const QString path = autosave.CopyPathOf(pWindow->document());
        QCOMPARE(written.count(), 1);
        const QImage first = copiedPixels(path);

        // A folder where the copy's new version must go: the write fails.
        QVERIFY(QFile::rename(path, path + QStringLiteral(".kept")));
        QVERIFY(QDir().mkpath(path + QStringLiteral("/blocker")));
        for (int i = 0; i < 2; ++i) {
            paint(pWindow->document(), qRgba(50, 60, 70 + i, 255));
            writeNow(autosave);
        }
        QCOMPARE(failed.count(), 1);
        QCOMPARE(written.count(), 1);
        QCOMPARE(copiedPixels(path + QStringLiteral(".kept")), first);

        QVERIFY(QDir(path).removeRecursively());
        writeNow(autosave);
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
        writeNow(autosave);
        const QString live = autosave.CopyPathOf(pWindow->document());
        const QByteArray bytes = cqtest::readFile(live);
        QVERIFY(!bytes.isEmpty());
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

    void historyComesBackAfterACrash_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::newRow("snapshots in memory") << ScratchDB::DefaultMemoryLimit;
        QTest::newRow("snapshots spilled to disk") << qint64(8000);
    }
    void historyComesBackAfterACrash()
    {
        QFETCH(qint64, limit);
        ScratchDB *pStore = &cqtest::scratchStore();
        pStore->Shutdown();
        pStore->Init(m_scratch.path(), limit);
        RecoveryFolder folder;
        QVERIFY(folder.Open(m_home.filePath(QStringLiteral("history"))));
        Autosave autosave(folder);
        m_pMain->SetAutosave(&autosave);
        ChildWindow *pWindow = m_pMain->fileActions().NewDocument(QSize(40, 30));
        Document *pDocument = pWindow->document();
        // One step of each kind that changes pixels, layers, canvas,
        // selection or paths.
        const QList<std::function<void(Document *)>> steps = {
            [](Document *d) { paint(d, qRgba(200, 40, 40, 255)); },
            [](Document *d) { d->undoStack()->push(new CreateLayerCmd(d, Layer::Raster)); },
            [](Document *d) { paint(d, qRgba(20, 40, 220, 200), QRect(5, 5, 20, 10)); },
            [](Document *d) { d->undoStack()->push(new ChangeLayerOpacityCmd(d->CurrentLayer(), 100, 40)); },
            [](Document *d) {
                Layer *pLayer = d->CurrentLayer();
                d->undoStack()->push(new RenameLayerCmd(pLayer, pLayer->name(), QStringLiteral("Sky")));
            },
            [](Document *d) { d->undoStack()->push(new SelectionCmd(d, d->Selection(), QRegion(3, 4, 10, 8))); },
            [](Document *d) { d->undoStack()->push(new ImageFlipCmd(d, true, false, QStringLiteral("Flip"))); },
            [](Document *d) { d->undoStack()->push(new DeleteLayerCmd(d->GetLayers(true).first())); },
            [](Document *d) { d->undoStack()->push(new ResizeCanvasCmd(d, 50, 36, 40, 30, 0)); },
            [](Document *d) {
                auto *pPath = new Path(QStringLiteral("Outline"));
                for (const QPointF &p : {QPointF(2, 2), QPointF(30, 5), QPointF(12, 25)}) {
                    PathItem item;
                    item.kind = pPath->AnchorCount() ? PathItem::LineTo : PathItem::MoveTo;
                    item.second = p;
                    pPath->AddItem(item);
                }
                d->undoStack()->push(new AddPathCmd(d, pPath));
            },
            [](Document *d) { paint(d, qRgba(10, 200, 90, 255), QRect(0, 0, 8, 8)); },
        };
        QStringList states;
        QList<QImage> pictures;
        QImage picture;
        states.append(seen(pDocument, &picture));
        pictures.append(picture);
        for (const auto &step : steps) {
            step(pDocument);
            states.append(seen(pDocument, &picture));
            pictures.append(picture);
            QVERIFY(pictures.last() != pictures[pictures.size() - 2] || states.last() != states[states.size() - 2]);
        }
        QStringList texts;
        for (int i = 0; i < pDocument->undoStack()->count(); ++i)
            texts.append(pDocument->undoStack()->text(i));
        // One step undone: it can be redone after recovering too.
        pDocument->undoStack()->undo();
        writeNow(autosave);
        const QString copy = autosave.CopyPathOf(pDocument);

        // Damaged snapshots: the history starts after the last step that needs one.
        const QString damaged = crashedCopy(copy, QStringLiteral("3 Untitled 3"));
        RecoveryInfo info;
        RecoveryHistory::History history;
        QString error;
        QVERIFY(RecoveryFile::Read(damaged, &info, nullptr, &error, &history));
        QCOMPARE(info.historySteps, int(steps.size()));
        QVERIFY(info.historyNote.isEmpty());
        // Cut short anywhere, the history is refused, never half read; with
        // a byte changed, what is still taken rebuilds and walks safely.
        const QByteArray encoded = RecoveryHistory::Encode(history);
        DocumentData data;
        QVERIFY(RecoveryFile::Read(damaged, nullptr, &data, &error));
        const QList<int> kinds(data.layers.size(), 0);
        for (int n = 0; n < encoded.size(); n += 7) {
            RecoveryHistory::History part;
            QVERIFY(!RecoveryHistory::Parse(encoded.left(n), nullptr, &part));
            QByteArray changed = encoded;
            changed[n] = char(changed[n] ^ (0x41 + n % 61));
            if (!RecoveryHistory::Parse(changed, &kinds, &part) || part.isEmpty())
                continue;
            QList<Layer *> made;
            std::unique_ptr<Document> pBuilt(DocumentBuilder::Build(data, *pStore, &made));
            pBuilt->undoStack()->clear();
            HistoryJournal::Rebuild(pBuilt.get(), made, &part, m_home.filePath(QStringLiteral("none")));
            pBuilt->undoStack()->setIndex(0);
            pBuilt->undoStack()->setIndex(pBuilt->undoStack()->count());
            pStore->Sync();
            QVERIFY(ImageFile::Fits(pBuilt->canvasSize().width(), pBuilt->canvasSize().height()));
        }
        const int iVictim = history.steps[2].layers[0].snapshot; // the first layer, painted
        QVERIFY(QFile::remove(RecoveryFolder::UndoFolder(damaged) + QLatin1Char('/')
                              + RecoveryHistory::FileName(history.snapshots[iVictim].key)));
        QVERIFY(RecoveryFile::Check(damaged, &info, &error));
        QVERIFY2(info.historyNote.startsWith(QStringLiteral("The undo history starts after step ")),
                 qPrintable(info.historyNote));
        const int iDropped = info.historyNote.section(QLatin1Char(' '), 6, 6).remove(QLatin1Char(':')).toInt();
        QVERIFY(iDropped >= 2 && iDropped < int(steps.size()));
        QVERIFY(Recovery::Open(m_pMain, damaged, &error));
        checkWalk(m_pMain->currentDocument(), states, pictures, iDropped);

        // The whole history, as before the crash.
        const QString orphan = crashedCopy(copy, QStringLiteral("2 Untitled 2"));
        QVERIFY2(Recovery::Open(m_pMain, orphan, &error), qPrintable(error));
        ChildWindow *pRecovered = m_pMain->currentDocument();
        QUndoStack *pStack = pRecovered->undoStack();
        QCOMPARE(pStack->count(), int(steps.size()));
        QCOMPARE(pStack->index(), int(steps.size()) - 1);
        for (int i = 0; i < pStack->count(); ++i)
            QCOMPARE(pStack->text(i), texts[i]);
        QVERIFY(pRecovered->document()->IsModified());
        checkWalk(pRecovered, states, pictures, 0);
        // Its own copy keeps the history it came back with.
        writeNow(autosave);
        QVERIFY(RecoveryFile::Read(autosave.CopyPathOf(pRecovered->document()), &info, nullptr, &error));
        QCOMPARE(info.historySteps, int(steps.size()));
        pStore->Shutdown();
        pStore->Init(m_scratch.path(), ScratchDB::DefaultMemoryLimit);
    }

    // Autosave while the move tool holds a floating picture copies it
    // landed, as its own step, and leaves the gesture open.
    void floatingPictureIsCopiedLanded()
    {
        RecoveryFolder folder;
        QVERIFY(folder.Open(m_home.filePath(QStringLiteral("floating"))));
        Autosave autosave(folder);
        m_pMain->SetAutosave(&autosave);
        const QImage pattern = cqtest::patternImage(100, 80, 3, false);
        ChildWindow *pWindow = cqtest::documentWith(m_pMain, pattern);
        Document *pDocument = pWindow->document();
        m_pMain->toolbox()->Select(ToolSet::Move);
        auto *pTool = cqtest::toolOf<MoveTool>(m_pMain, ToolSet::Move);
        const CanvasOverlay &overlay = pTool->Overlay();
        QWidget *pViewport = pWindow->overlayView()->viewport();
        QTest::mousePress(pViewport, Qt::LeftButton, {}, overlay.FromCanvas({40, 40}).toPoint());
        // Up and left: the layer grows beyond the canvas and stands off its corner.
        QTest::mouseMove(pViewport, overlay.FromCanvas({33, 35}).toPoint());
        QTest::mouseMove(pViewport, overlay.FromCanvas({25, 30}).toPoint());
        QTest::mouseRelease(pViewport, Qt::LeftButton, {}, overlay.FromCanvas({25, 30}).toPoint());
        QVERIFY(pTool->IsPending());
        const QImage hole = cqtest::layerOf(pWindow)->image();
        const int iSteps = pWindow->undoStack()->count();

        writeNow(autosave);
        // The gesture goes on untouched.
        QVERIFY(pTool->IsPending());
        QCOMPARE(cqtest::layerOf(pWindow)->image(), hole);
        QCOMPARE(pWindow->undoStack()->count(), iSteps);

        m_pMain->FinishGesture();
        QCOMPARE(pWindow->undoStack()->undoText(), QStringLiteral("Move"));
        DocumentData data;
        RecoveryInfo info;
        QString error;
        const QString copy = autosave.CopyPathOf(pDocument);
        QVERIFY(RecoveryFile::Read(copy, &info, &data, &error));
        QCOMPARE(data.layers.first().image, cqtest::layerOf(pWindow)->image());
        QCOMPARE(data.layers.first().pos, cqtest::layerOf(pWindow)->pos());
        QCOMPARE(data.layers.first().pos, QPointF(-15, -10));
        // Recovered, the landing is a step of its own: undo takes it back.
        QVERIFY(Recovery::Open(m_pMain, crashedCopy(copy, QStringLiteral("4 Untitled 4")), &error));
        ChildWindow *pRecovered = m_pMain->currentDocument();
        QCOMPARE(pRecovered->undoStack()->undoText(), QStringLiteral("Move"));
        pRecovered->undoStack()->undo();
        cqtest::settle(pRecovered);
        QCOMPARE(cqtest::layerOf(pRecovered)->image(), pattern);
        // Redone, the layer is back where the landing put it.
        pRecovered->undoStack()->redo();
        cqtest::settle(pRecovered);
        QCOMPARE(cqtest::layerOf(pRecovered)->image(), cqtest::layerOf(pWindow)->image());
        QCOMPARE(cqtest::layerOf(pRecovered)->pos(), cqtest::layerOf(pWindow)->pos());
        m_pMain->toolbox()->Select(ToolSet::Brush);
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
