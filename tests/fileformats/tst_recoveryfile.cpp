// The recovery copy file on its own: a history that does not add up leaves
// the document without it, and cqtool reads a copy as the document it holds.
#include "DocumentFile.h"
#include "RecoveryFile.h"
#include "TestSupport.h"

#include <QRegion>
#include <QTemporaryDir>
#include <QtTest>

class TestRecoveryFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { cqtest::isolateSettings(); }

    void damagedHistoryLeavesTheDocument_data()
    {
        QTest::addColumn<int>("damage");
        QTest::newRow("intact") << -1;
        for (int i = 0; i < 10; ++i)
            QTest::newRow(qPrintable(QString::number(i))) << i;
    }
    // A history that does not add up (written by hand, say): the document
    // comes back without it, and the dialog says why. Intact, it comes back
    // whole, its L-shaped selection too.
    void damagedHistoryLeavesTheDocument()
    {
        QFETCH(int, damage);
        RecoveryInfo info;
        info.title = QStringLiteral("Untitled 1");
        DocumentData data = DocumentFile::FromImage(cqtest::patternImage(9, 7, 2, true), QStringLiteral("L"));
        RecoveryHistory::History history;
        RecoveryHistory::Snapshot own;
        own.docLayer = 0;
        own.size = QSize(9, 7);
        history.snapshots = {own, own};
        history.snapshots[1].docLayer = -1;
        history.docIndex = {0};
        RecoveryHistory::Step step;
        step.canvas = QSize(9, 7);
        RecoveryHistory::LayerStep layer;
        layer.data.kind = 0;
        layer.snapshot = 1;
        step.layers = {layer};
        history.steps = {step, step};
        const QRegion ell = QRegion(0, 0, 6, 2) + QRegion(0, 2, 2, 4);
        history.steps[1].selection = QList<QRect>(ell.begin(), ell.end());
        history.steps[1].layers[0].snapshot = 0;
        history.current = 1;
        switch (damage) {
        case 0: history.steps[0].layers[0].snapshot = 2; break;      // no such snapshot
        case 1: history.docIndex = {1}; break;                       // no such layer
        case 2: history.steps[1].current = 1; break;                 // current layer beyond the list
        case 3: history.steps[0].layers[0].data.kind = 1; break;     // a layer changing kind
        case 4: history.steps[0].canvas = QSize(40000, 2); break;    // beyond the limits
        case 5: history.current = 2; break;                          // a step that is not there
        case 6: history.steps[1].layers[0].data.opacity = 2; break;  // out of range
        case 7: history.steps[0].layers[0].snapshot = -1; break;     // a shown layer without pixels
        case 8:                                                      // text past a text layer's bounds
            history.docIndex = {-1};
            for (RecoveryHistory::Step &s : history.steps) {
                s.layers[0].data.kind = 1;
                s.layers[0].snapshot = -1;
                s.layers[0].data.html = "<ul>" + QStringLiteral("<li>a</li>").repeated(2049) + "</ul>";
            }
            break;
        case 9: history.steps[1].selection = {QRect(0, 0, 4, 4), QRect(2, 2, 4, 4)}; break; // overlapping
        }
        QString error;
        const QByteArray bytes = RecoveryFile::Encode(info, data, &error, &history);
        RecoveryInfo back;
        DocumentData recovered;
        RecoveryHistory::History read;
        QVERIFY2(RecoveryFile::Parse(bytes, &back, &recovered, &error, &read), qPrintable(error));
        QCOMPARE(recovered.layers.first().image, cqtest::patternImage(9, 7, 2, true));
        if (damage < 0) {
            QCOMPARE(read.steps.size(), 2);
            QCOMPARE(read.steps[1].selection, history.steps[1].selection);
            QVERIFY(back.historyNote.isEmpty());
            return;
        }
        QVERIFY(read.steps.isEmpty());
        QCOMPARE(back.historyNote, QStringLiteral("The undo history is damaged: the document comes back without it."));
    }

    void cqtoolReadsACopy()
    {
        RecoveryInfo info;
        info.title = QStringLiteral("Untitled 1");
        info.written = QDateTime::currentDateTime();
        DocumentData data = DocumentFile::FromImage(cqtest::patternImage(17, 9, 4, true), QStringLiteral("L"));
        QString error;
        const QByteArray bytes = RecoveryFile::Encode(info, data, &error);
        const QString copy = m_dir.filePath(QStringLiteral("x.cqr"));
        QVERIFY(cqtest::writeFile(copy, bytes));
        const QByteArray listing = cqtest::runCqtool({QStringLiteral("inspect"), copy}).out;
        QVERIFY2(listing.startsWith("recovery copy of \"Untitled 1\"") && listing.contains("canvas 17 x 9"),
                 listing.constData());
        const QString out = m_dir.filePath(QStringLiteral("x.cq"));
        QCOMPARE(cqtest::runCqtool({QStringLiteral("convert"), copy, out}).code, 0);
        DocumentData back;
        QVERIFY(DocumentFile::ReadFile(out, &back, &error));
        QCOMPARE(back.layers.first().image, cqtest::patternImage(17, 9, 4, true));
    }
};

QTEST_MAIN(TestRecoveryFile)
#include "tst_recoveryfile.moc"
