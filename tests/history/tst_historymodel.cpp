// Model-based history test: a long random run of layer commands and pixel
// edits on a document with no window, with snapshots spilling to disk, must
// undo back to the document after its first command and redo forward to the
// end state exactly. The run is the same every time; CQ_HISTORY_SEED picks
// another one ("random" for a fresh seed) and CQ_HISTORY_STEPS its length.
#include "ChangeLayerBlendingCmd.h"
#include "ChangeLayerOpacityCmd.h"
#include "ChangeLayerOrderCmd.h"
#include "ConvertToPixmapCmd.h"
#include "CreateLayerCmd.h"
#include "DeleteLayerCmd.h"
#include "DocTestSupport.h"
#include "Document.h"
#include "LayerMergeDownCmd.h"
#include "LayerSnapshotCmd.h"
#include "MoveTextCmd.h"
#include "RenameLayerCmd.h"
#include "ScratchDB.h"
#include "SelectionCmd.h"
#include "TextEditCmd.h"
#include "TestSupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

static constexpr int kWidth = 40, kHeight = 30;

namespace {

struct Run {
    Document *pDocument;
    QList<Layer *> layers; // creation order, a stable identity
    QStringList state() const
    {
        cqtest::scratchStore().Sync();
        QStringList lines;
        for (int i = 0; i < layers.size(); ++i) {
            Layer *pLayer = layers[i];
            if (pLayer->kind() == Layer::Raster)
                cqtest::scratchStore().WaitForPending(static_cast<PixmapLayer *>(pLayer));
            lines << QString::number(i) + QLatin1Char(' ') + cqtest::fingerprint(QList<Layer *>{pLayer}).value(0);
        }
        QStringList rows;
        for (int r = 0; Layer *pLayer = pDocument->LayerAtRow(r); ++r)
            rows << QString::number(layers.indexOf(pLayer));
        lines << QStringLiteral("rows ") + rows.join(QLatin1Char(','));
        const QRegion selection = pDocument->Selection();
        QStringList rects;
        for (const QRect &r : selection)
            rects << QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        lines << QStringLiteral("selection ") + rects.join(QLatin1Char(' '));
        return lines;
    }
};

// Layers created after a state was taken are deleted when it comes back.
bool matches(const QStringList &now, const QStringList &then, QString *pWhy)
{
    const int layersThen = int(then.size()) - 2;
    for (int i = 0; i < now.size() - 2; ++i) {
        const QString &line = now[i];
        if (i < layersThen) {
            if (line != then[i]) {
                *pWhy = QStringLiteral("now:  ") + line + QStringLiteral("\nthen: ") + then[i];
                return false;
            }
        } else if (!line.contains(QStringLiteral(" del=1 "))) {
            *pWhy = QStringLiteral("should be deleted: ") + line;
            return false;
        }
    }
    for (int k : {2, 1})
        if (now[now.size() - k] != then[then.size() - k]) {
            *pWhy = now[now.size() - k] + QStringLiteral(" vs ") + then[then.size() - k];
            return false;
        }
    return true;
}

} // namespace

class TestHistoryModel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        cqtest::isolateSettings();
        QVERIFY(m_tmp.isValid());
        // Room for a handful of images: most snapshots go to disk.
        cqtest::scratchStore().Init(m_tmp.path(), qint64(kWidth) * kHeight * 4 * 6);
    }

    void randomHistoryUndoesAndRedoes()
    {
        const QByteArray asked = qgetenv("CQ_HISTORY_SEED");
        const quint32 seed = asked.isEmpty() ? 20261205u
            : asked == "random"              ? QRandomGenerator::global()->generate()
                                             : asked.toUInt();
        const int steps = qEnvironmentVariableIsSet("CQ_HISTORY_STEPS") ? qEnvironmentVariableIntValue("CQ_HISTORY_STEPS") : 400;
        qInfo("CQ_HISTORY_SEED=%u", seed);
        QRandomGenerator rng(seed);

        Document document(QSize(kWidth, kHeight), cqtest::scratchStore());
        QUndoStack *pStack = document.undoStack();
        Run run{&document, {}};
        auto push = [&](QUndoCommand *pCommand) { pStack->push(pCommand); };
        // The model reports typing; whoever took the keys records it, as the window does.
        QObject::connect(&document, &Document::TypingFinished, [&](TextLayer *pText, const TextTyping &typing) {
            push(new TextEditCmd(pText, typing));
        });
        auto create = [&](int kind) {
            auto *pCreate = new CreateLayerCmd(&document, kind);
            push(pCreate);
            run.layers.append(pCreate->layer());
            return pCreate->layer();
        };
        auto live = [&](int kind) {
            QList<Layer *> result;
            for (Layer *pLayer : document.GetLayers(true))
                if (kind < 0 || pLayer->kind() == kind)
                    result.append(pLayer);
            return result;
        };
        auto pick = [&](const QList<Layer *> &from) -> Layer * {
            return from.isEmpty() ? nullptr : from[rng.bounded(int(from.size()))];
        };
        auto randomRect = [&] {
            const int x = rng.bounded(-5, kWidth), y = rng.bounded(-5, kHeight);
            return QRect(x, y, rng.bounded(1, 25), rng.bounded(1, 20));
        };
        auto trackNew = [&] {
            for (Layer *pLayer : document.GetLayers())
                if (!run.layers.contains(pLayer))
                    run.layers.append(pLayer);
        };

        create(Layer::Raster);
        QList<QStringList> states = {QStringList(), run.state()};
        QStringList log = {QStringLiteral("create")};

        for (int step = 0; step < steps; ++step) {
            const int before = pStack->count();
            const int op = rng.bounded(16);
            QString what;
            switch (op) {
            case 0:
                what = QStringLiteral("create");
                create(live(-1).size() < 6 && rng.bounded(3) ? Layer::Raster : Layer::Text);
                break;
            case 1: if (Layer *p = pick(live(-1))) {
                what = QStringLiteral("rename");
                push(new RenameLayerCmd(p, p->name(), QStringLiteral("L%1").arg(step)));
            } break;
            case 2: if (Layer *p = pick(live(-1))) {
                what = QStringLiteral("opacity");
                push(new ChangeLayerOpacityCmd(p, p->opacityValue(), rng.bounded(101)));
            } break;
            case 3: if (Layer *p = pick(live(-1))) {
                what = QStringLiteral("blending");
                const auto &modes = Layer::BlendingModes();
                push(new ChangeLayerBlendingCmd(p, p->blendingMode(), modes[rng.bounded(int(modes.size()))].second));
            } break;
            case 4: if (Layer *p = pick(live(-1))) {
                what = QStringLiteral("order");
                const int row = document.RowOf(p);
                push(new ChangeLayerOrderCmd(p, row, rng.bounded(2) ? row - 1 : row + 1));
            } break;
            case 5: if (live(-1).size() > 1) {
                what = QStringLiteral("delete");
                push(new DeleteLayerCmd(pick(live(-1))));
            } break;
            case 6: {
                const int row = rng.bounded(qMax(1, document.CountLayers()));
                Layer *pUpper = document.LayerAtRow(row);
                Layer *pLower = document.LayerAtRow(row + 1);
                if (pUpper && pLower) {
                    what = QStringLiteral("merge");
                    push(new LayerMergeDownCmd(pUpper, pLower));
                    trackNew();
                }
            } break;
            case 7: if (Layer *p = pick(live(Layer::Text))) {
                what = QStringLiteral("convert");
                push(new ConvertToPixmapCmd(p));
                trackNew();
            } break;
            case 8:
                what = QStringLiteral("selection");
                push(new SelectionCmd(&document, document.Selection(),
                                      rng.bounded(4) ? QRegion(randomRect()) : QRegion()));
                break;
            case 9: case 10: if (Layer *p = pick(live(Layer::Text))) {
                what = QStringLiteral("text edit");
                auto *pText = static_cast<TextLayer *>(p);
                pText->SetEditMode(true);
                QTextCursor cursor(pText->document());
                cursor.movePosition(QTextCursor::End);
                cursor.insertText(QStringLiteral("w%1 ").arg(step));
                pText->SetEditMode(false);
            } break;
            case 11: if (Layer *p = pick(live(Layer::Text))) {
                what = QStringLiteral("move text");
                const QPoint to(rng.bounded(-10, kWidth), rng.bounded(-10, kHeight));
                const QPoint from = p->pos().toPoint();
                p->setPos(to);
                push(new MoveTextCmd(p, from, to));
            } break;
            case 12: if (Layer *p = pick(live(Layer::Raster))) {
                // A copy born with pixels keeps them through undo and redo.
                what = QStringLiteral("duplicate");
                auto *pSource = static_cast<PixmapLayer *>(p);
                cqtest::scratchStore().WaitForPending(pSource);
                auto *pCreate = new CreateLayerCmd(&document, Layer::Raster, [pSource](Layer *pCopy) {
                    static_cast<PixmapLayer *>(pCopy)->setImage(pSource->image());
                    pCopy->setPos(pSource->pos());
                });
                push(pCreate);
                run.layers.append(pCreate->layer());
            } break;
            default: if (Layer *p = pick(live(Layer::Raster))) {
                what = QStringLiteral("paint");
                auto *pRaster = static_cast<PixmapLayer *>(p);
                if (rng.bounded(5) == 0)
                    pRaster->setPos(QPointF(rng.bounded(-8, 8), rng.bounded(-8, 8)));
                document.BeginPaint(rng.bounded(2), pRaster);
                for (int dab = rng.bounded(1, 4); dab > 0; --dab) {
                    QPainter *pPainter = document.BeginStroke();
                    pPainter->fillRect(randomRect(), QColor::fromRgba(rng.generate()));
                    document.CommitStroke(rng.bounded(2) ? randomRect() : QRect());
                }
                document.EndPaint();
                push(new LayerSnapshotCmd(QStringLiteral("Paintbrush - ") + p->name(), pRaster));
            } break;
            }
            if (pStack->count() == before)
                continue; // nothing done, or merged into the command on top
            if (pStack->count() != before + 1)
                QFAIL(qPrintable(QStringLiteral("step %1 (%2) added %3 entries").arg(step).arg(what).arg(pStack->count() - before)));
            log << what;
            states.append(run.state());
            QCOMPARE(states.size(), pStack->count() + 1);
        }
        // Merged commands replaced the state their entry stands for.
        const int count = pStack->count();
        QVERIFY(count > steps / 2);
        states[count] = run.state();
        const QStringList endState = states[count];
        qInfo("%d history entries", count);
        int onDisk = 0;
        for (int id = 0; id < cqtest::scratchStore().itemCount(); ++id)
            onDisk += !cqtest::scratchStore().itemFileName(id).isEmpty();
        QVERIFY2(onDisk > 10, "snapshots should spill to disk");

        // Commands that merged leave stale intermediate states; check only the
        // states whose entries never merged (their neighbours are distinct kinds).
        const QStringList merging = {QStringLiteral("opacity"), QStringLiteral("blending"), QStringLiteral("order"),
                                     QStringLiteral("move text")};
        auto mergeable = [&](int index) { return index < count && merging.contains(log[index - 1]); };
        QString why;
        while (pStack->index() > 1) {
            pStack->undo();
            const int index = pStack->index();
            if (!mergeable(index) && !matches(run.state(), states[index], &why))
                QFAIL(qPrintable(QStringLiteral("seed %1: after undo to index %2 (undid %3):\n%4")
                                     .arg(seed).arg(index).arg(pStack->text(index)).arg(why)));
        }
        QVERIFY2(matches(run.state(), states[1], &why), qPrintable(why));
        // Undo is refused at index 1 by the main window, not by the stack: stop here.
        while (pStack->canRedo()) {
            pStack->redo();
            const int index = pStack->index();
            if (!mergeable(index) && !matches(run.state(), states[index], &why))
                QFAIL(qPrintable(QStringLiteral("seed %1: after redo to index %2 (redid %3):\n%4")
                                     .arg(seed).arg(index).arg(pStack->text(index - 1)).arg(why)));
        }
        QVERIFY2(matches(run.state(), endState, &why), qPrintable(QStringLiteral("seed %1 after redo:\n").arg(seed) + why));
    }

private:
    QTemporaryDir m_tmp;
};

QTEST_MAIN(TestHistoryModel)
#include "tst_historymodel.moc"
