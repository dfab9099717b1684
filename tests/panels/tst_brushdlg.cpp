// The brushes panel: sets, thumbnails, the brush a tool borrows.
#include "BrushDlg.h"
#include "BrushSetFile.h"
#include "BrushStroke.h"
#include "CQBrush.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QtTest>

namespace {

CQBrush *makeBrush(const QString &name, int size)
{
    auto *pBrush = new CQBrush;
    pBrush->SetName(name);
    pBrush->SetImage(cqtest::patternImage(size, size, quint32(size)));
    return pBrush;
}

// Writes a set of brushes named after the sizes into the user folder, or
// where a path says.
void writeSet(const QString &setName, const QList<int> &sizes)
{
    QList<CQBrush *> brushes;
    for (int size : sizes)
        brushes << makeBrush(QStringLiteral("b%1").arg(size), size);
    QString error;
    const QString path = setName.contains(QLatin1Char('/')) ? setName : BrushDlg::UserFolder() + QLatin1Char('/') + setName;
    QVERIFY2(BrushSetFile::Write(path, brushes, &error), qPrintable(error));
    qDeleteAll(brushes);
}

QStringList namesIn(const QString &setName)
{
    QList<CQBrush *> brushes;
    QString error;
    BrushSetFile::Read(BrushDlg::UserFolder() + QLatin1Char('/') + setName, &brushes, &error);
    QStringList names;
    for (CQBrush *pBrush : brushes)
        names << pBrush->Name();
    qDeleteAll(brushes);
    return names;
}

// Types a full path into a file dialog and accepts it.
void chooseFile(QDialog *pDialog, const QString &path)
{
    if (auto *pEdit = pDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        pEdit->setText(path);
    pDialog->accept();
    if (pDialog->isVisible())
        pDialog->reject();
}

QStringList namesOf(const BrushDlg *pDlg)
{
    QStringList names;
    for (const CQBrush *pBrush : pDlg->Brushes())
        names << pBrush->Name();
    return names;
}

} // namespace

class TestBrushDlg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(cqtest::createCpuContext(m_context), "no OpenCL CPU device");
        m_pCache = std::make_unique<ProgramCache>(m_context);
    }

    void init()
    {
        cqtest::isolateSettings();
        QDir(BrushDlg::UserFolder()).removeRecursively();
        QDir().mkpath(BrushDlg::UserFolder());
    }

    void cleanup()
    {
        delete m_pDlg;
        m_pDlg = nullptr;
    }

    void missingSetGivesOneDefaultBrush()
    {
        QSettings().setValue(QStringLiteral("currentBrushSet"), QStringLiteral("nowhere.cqb"));
        BrushDlg *pDlg = open();
        QCOMPARE(namesOf(pDlg), QStringList{QStringLiteral("default")});
        QCOMPARE(pDlg->CurrentBrush()->Tip().size(), QSize(100, 100));
        QCOMPARE(qAlpha(pDlg->CurrentBrush()->Tip().pixel(50, 50)), 255);
        QCOMPARE(qAlpha(pDlg->CurrentBrush()->Tip().pixel(2, 2)), 0);
        QVERIFY(!QFile::exists(BrushDlg::UserFolder() + QStringLiteral("/nowhere.cqb")));
    }

    void selectEditAndDelete()
    {
        writeSet(QStringLiteral("CQ_default.cqb"), {7, 9, 11, 13, 15, 17, 19});
        BrushDlg *pDlg = open();
        QCOMPARE(pDlg->Brushes().size(), 7);
        QCOMPARE(pDlg->CurrentBrush()->Name(), QStringLiteral("b7"));

        // The tool borrows the current brush and takes it again on every change.
        BrushStroke stroke(*m_pCache);
        stroke.SetBrush(pDlg->CurrentBrush());
        connect(pDlg, &BrushDlg::BrushChanged, this, [&] { stroke.SetBrush(pDlg->CurrentBrush()); });

        CQBrush *pSecond = pDlg->Brushes()[1];
        QTest::mouseClick(pDlg->Thumbnail(pSecond), Qt::LeftButton);
        QCOMPARE(pDlg->CurrentBrush(), pSecond);
        QCOMPARE(stroke.Brush(), pSecond);
        pDlg->findChild<QSlider *>(QStringLiteral("spacingSlider"))->setValue(155);
        pDlg->findChild<QSlider *>(QStringLiteral("hueJitterSlider"))->setValue(33);
        QCOMPARE(pSecond->Value(CQBrush::Spacing), 1.55);
        QCOMPARE(pSecond->Value(CQBrush::HueJitter), 33.0);
        pDlg->on_makeDefaultBrush_clicked();
        pDlg->findChild<QSlider *>(QStringLiteral("spacingSlider"))->setValue(10);
        pDlg->on_resetBrush_clicked();
        QCOMPARE(pSecond->Value(CQBrush::Spacing), 1.55);
        QCOMPARE(pDlg->findChild<QSlider *>(QStringLiteral("spacingSlider"))->value(), 155);

        // Deleting the current brush hands the tool another.
        QSignalSpy changed(pDlg, &BrushDlg::BrushChanged);
        QVERIFY(pDlg->DeleteBrush(pSecond));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(stroke.Brush(), pDlg->Brushes().first());
        QCOMPARE(namesOf(pDlg), (QStringList{"b7", "b11", "b13", "b15", "b17", "b19"}));
        QCOMPARE(namesIn(QStringLiteral("CQ_default.cqb")), namesOf(pDlg));

        while (pDlg->Brushes().size() > 1)
            QVERIFY(pDlg->DeleteBrush(pDlg->Brushes().last()));
        cqtest::MessageBoxAnswer answer;
        cqtest::answerNextMessageBox(QMessageBox::Ok, &answer);
        QVERIFY(!pDlg->DeleteBrush(pDlg->Brushes().first()));
        QVERIFY(answer.seen);
        QCOMPARE(namesOf(pDlg), QStringList{"b7"});
        QCOMPARE(stroke.Brush(), pDlg->CurrentBrush());
    }

    void renameAndNewBrush()
    {
        writeSet(QStringLiteral("CQ_default.cqb"), {5});
        BrushDlg *pDlg = open();
        QString shown;
        auto answer = [&](const QString &name) {
            cqtest::actOnNextDialog([&, name](QDialog *pDialog) {
                auto *pEdit = pDialog->findChild<QLineEdit *>(QStringLiteral("brushName"));
                shown = pEdit->text();
                pEdit->setText(name);
                if (name.isEmpty())
                    pDialog->reject();
                else
                    pDialog->accept();
            });
        };
        answer(QStringLiteral("  Chalk "));
        pDlg->on_renameBrush_clicked();
        QCOMPARE(shown, QStringLiteral("b5"));
        QCOMPARE(pDlg->CurrentBrush()->Name(), QStringLiteral("Chalk"));
        QCOMPARE(pDlg->Thumbnail(pDlg->CurrentBrush())->toolTip(), QStringLiteral("Chalk"));
        QCOMPARE(namesIn(QStringLiteral("CQ_default.cqb")), QStringList{"Chalk"});

        // A new brush from a large layer image: named, added, current and saved.
        QSignalSpy changed(pDlg, &BrushDlg::BrushChanged);
        answer(QStringLiteral("Layer"));
        pDlg->NewBrushFromImage(cqtest::patternImage(2000, 1000, 3));
        QCOMPARE(pDlg->CurrentBrush()->Name(), QStringLiteral("Layer"));
        QCOMPARE(pDlg->CurrentBrush()->Tip().size(), QSize(1024, 512));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(namesIn(QStringLiteral("CQ_default.cqb")), (QStringList{"Chalk", "Layer"}));

        answer(QString());
        pDlg->NewBrushFromImage(cqtest::patternImage(20, 20, 4));
        QCOMPARE(pDlg->Brushes().size(), 2);
    }

    void cancelledLoadAndExportChangeNothing()
    {
        writeSet(QStringLiteral("CQ_default.cqb"), {5, 6});
        BrushDlg *pDlg = open();
        CQBrush *pCurrent = pDlg->CurrentBrush();
        QSignalSpy changed(pDlg, &BrushDlg::BrushChanged);
        for (auto slot : {&BrushDlg::loadBrushes_clicked, &BrushDlg::saveBrushes_clicked}) {
            bool bFileDialog = false;
            cqtest::actOnNextDialog([&bFileDialog](QDialog *pDialog) {
                bFileDialog = qobject_cast<QFileDialog *>(pDialog);
                pDialog->reject();
            });
            (pDlg->*slot)();
            QVERIFY(bFileDialog);
        }
        QCOMPARE(changed.size(), 0);
        QCOMPARE(pDlg->CurrentBrush(), pCurrent);
        QCOMPARE(pDlg->CurrentSetName(), QStringLiteral("CQ_default.cqb"));
        QCOMPARE(QSettings().value(QStringLiteral("currentBrushSet")).toString(), QStringLiteral("CQ_default.cqb"));
        QCOMPARE(QDir(BrushDlg::UserFolder()).entryList(QDir::Files), QStringList{"CQ_default.cqb"});
    }

    void loadAndExportSets()
    {
        writeSet(QStringLiteral("CQ_default.cqb"), {5, 6});
        writeSet(QStringLiteral("other.cqb"), {8});
        BrushDlg *pDlg = open();

        // The set menu lists both sets; choosing one loads it.
        QAction *pOther = nullptr;
        for (QAction *pAction : pDlg->SetMenu()->actions())
            if (pAction->text() == QStringLiteral("other"))
                pOther = pAction;
        QVERIFY(pOther);
        pOther->trigger();
        QCOMPARE(namesOf(pDlg), QStringList{"b8"});
        QCOMPARE(QSettings().value(QStringLiteral("currentBrushSet")).toString(), QStringLiteral("other.cqb"));

        // Export into the user folder makes the copy the current set.
        const QString exported = BrushDlg::UserFolder() + QStringLiteral("/copy");
        cqtest::actOnNextDialog([&](QDialog *pDialog) { chooseFile(pDialog, exported); });
        pDlg->saveBrushes_clicked();
        QCOMPARE(namesIn(QStringLiteral("copy.cqb")), QStringList{"b8"});
        QCOMPARE(pDlg->CurrentSetName(), QStringLiteral("copy.cqb"));

        // A set loaded from elsewhere is kept in the user folder.
        QTemporaryDir elsewhere;
        writeSet(elsewhere.filePath(QStringLiteral("far.cqb")), {4});
        cqtest::actOnNextDialog([&](QDialog *pDialog) { chooseFile(pDialog, elsewhere.filePath(QStringLiteral("far.cqb"))); });
        pDlg->loadBrushes_clicked();
        QCOMPARE(namesOf(pDlg), QStringList{"b4"});
        QCOMPARE(namesIn(QStringLiteral("far.cqb")), QStringList{"b4"});
    }

    void damagedSetIsReported()
    {
        QVERIFY(cqtest::writeFile(BrushDlg::UserFolder() + QStringLiteral("/bad.cqb"),
                                  QByteArray::fromHex("1337d00d000003e8000000ff") + QByteArray(100, 'x')));
        QSettings().setValue(QStringLiteral("currentBrushSet"), QStringLiteral("bad.cqb"));
        writeSet(QStringLiteral("CQ_default.cqb"), {5});
        BrushDlg *pDlg = brushes();
        QCOMPARE(namesOf(pDlg), QStringList{"default"});
        // The load in the constructor is reported to the first listener, once.
        QSignalSpy errors(pDlg, &BrushDlg::FileError);
        QVERIFY(errors.wait(2000));
        QSignalSpy later(pDlg, &BrushDlg::FileError);
        pDlg->LoadBrushSet(QStringLiteral("bad.cqb"));
        QCOMPARE(errors.size(), 2);
        QCOMPARE(later.size(), 1);
        const QString message = errors.first().first().toString();
        QVERIFY2(message.contains(QStringLiteral("bad.cqb")) && message.contains(QStringLiteral("brush count")), qPrintable(message));
        QCOMPARE(errors.last().first().toString(), message);
        // A set name never reaches outside the two folders.
        pDlg->LoadBrushSet(QStringLiteral("../../CQ_default.cqb"));
        QCOMPARE(pDlg->CurrentSetName(), QStringLiteral("CQ_default.cqb"));
        QCOMPARE(namesOf(pDlg), QStringList{"b5"});
    }

private:
    BrushDlg *brushes()
    {
        if (!m_pDlg)
            m_pDlg = new BrushDlg;
        return m_pDlg;
    }
    BrushDlg *open()
    {
        BrushDlg *pDlg = brushes();
        pDlg->show();
        return pDlg;
    }

    QCLContext m_context;
    std::unique_ptr<ProgramCache> m_pCache;
    BrushDlg *m_pDlg = nullptr;
};

QTEST_MAIN(TestBrushDlg)
#include "tst_brushdlg.moc"
