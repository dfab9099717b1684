// The layers panel through its own widgets: rows follow the document it
// shows (order, deletes, undo), buttons push commands, the opacity slider and
// blending box show the current layer and merge a drag into one entry,
// visibility and renaming, and switching documents.
#include "DocTestSupport.h"
#include "Document.h"
#include "LayerDlg.h"
#include "ScratchDB.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QSlider>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>
#include <QtTest>

class TestLayerDlg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        cqtest::startScratch();
        m_pPanel = new LayerDlg;
        m_pPanel->setFloating(true);
        m_pPanel->show();
    }

    void cleanup() { m_pPanel->SetDocument(nullptr); }

    void rowsFollowTheDocument()
    {
        Document document(QSize(20, 20), cqtest::scratchStore());
        m_pPanel->SetDocument(&document);
        Layer *pA = document.CreateLayer(Layer::Raster);
        Layer *pB = document.CreateLayer(Layer::Raster);
        Layer *pC = document.CreateLayer(Layer::Text);
        QCOMPARE(m_pPanel->RowCount(), 3);
        QCOMPARE(m_pPanel->LayerAtRow(0), pC);
        QCOMPARE(m_pPanel->RowOf(pA), 2);
        QCOMPARE(m_pPanel->CurrentLayer(), pC);
        // Clicking a row makes its layer the document's current layer.
        auto *pList = part<QTreeView>("layerList");
        pList->setCurrentIndex(rows()->index(2, 0));
        QCOMPARE(document.CurrentLayer(), pA);
        click("moveLayerUpBtn");
        click("moveLayerUpBtn");
        QCOMPARE(m_pPanel->RowOf(pA), 0);
        QCOMPARE(document.GetLayers(), (QList<Layer *>{pB, pC, pA}));
        QCOMPARE(document.undoStack()->count(), 1);
        QCOMPARE(pList->currentIndex().row(), 0);
        document.undoStack()->undo();
        QCOMPARE(m_pPanel->RowOf(pA), 2);
        QCOMPARE(m_pPanel->LayerAtRow(0), pC);
    }

    void buttonsPushCommands()
    {
        Document document(QSize(20, 20), cqtest::scratchStore());
        m_pPanel->SetDocument(&document);
        auto *pDelete = part<QToolButton>("deleteLayerBtn");
        click("addLayerBtn");
        QCOMPARE(document.CountLayers(), 1);
        QVERIFY(!pDelete->isEnabled()); // the last layer stays
        click("addLayerBtn");
        Layer *pTop = document.CurrentLayer();
        QCOMPARE(m_pPanel->RowOf(pTop), 0);
        click("deleteLayerBtn");
        QVERIFY(pTop->isDeleted());
        QCOMPARE(document.undoStack()->text(2), QStringLiteral("Delete Layer (New Layer)"));
        QCOMPARE(m_pPanel->RowCount(), 1);
        QVERIFY(!pDelete->isEnabled());
        QCOMPARE(m_pPanel->CurrentLayer(), document.LayerAtRow(0));
        document.undoStack()->undo();
        QCOMPARE(m_pPanel->RowCount(), 2);
        QCOMPARE(m_pPanel->CurrentLayer(), pTop);
        QVERIFY(pDelete->isEnabled());
    }

    void opacityAndBlendingControls()
    {
        Document document(QSize(20, 20), cqtest::scratchStore());
        m_pPanel->SetDocument(&document);
        Layer *pA = document.CreateLayer(Layer::Raster);
        Layer *pB = document.CreateLayer(Layer::Raster);
        auto *pSlider = part<QSlider>("opacity");
        auto *pCombo = part<QComboBox>("blendingMode");
        // The controls show the current layer, including values set elsewhere.
        for (int value : {40, 29, 57, 0, 100}) {
            pA->setOpacity(value / 100.0);
            m_pPanel->SelectLayer(pB);
            m_pPanel->SelectLayer(pA);
            QCOMPARE(m_pPanel->OpacityShown(), value);
        }
        QCOMPARE(document.undoStack()->count(), 0);
        // A drag through the slider: one merged entry, undone in one step.
        for (int v = 99; v >= 29; --v)
            pSlider->setValue(v);
        QCOMPARE(document.undoStack()->count(), 1);
        QCOMPARE(pA->opacity(), 0.29);
        document.undoStack()->undo();
        QCOMPARE(pA->opacity(), 1.0);
        QCOMPARE(m_pPanel->OpacityShown(), 100);

        m_pPanel->SelectLayer(pB);
        pCombo->setCurrentIndex(pCombo->findText(QStringLiteral("Multiply")));
        QCOMPARE(pB->blendingMode(), 13);
        pCombo->setCurrentIndex(pCombo->findText(QStringLiteral("Xor")));
        QCOMPARE(pB->blendingMode(), 11);
        // The undone opacity entry gave way; the two blending changes merged.
        QCOMPARE(document.undoStack()->count(), 1);
        document.undoStack()->undo();
        QCOMPARE(pB->blendingMode(), 0);
        QCOMPARE(m_pPanel->BlendingModeShown(), 0);
        m_pPanel->SetBlendingMode(5); // not a mode the box offers
        QCOMPARE(m_pPanel->BlendingModeShown(), -1);
    }

    void visibilityAndRenaming()
    {
        Document document(QSize(20, 20), cqtest::scratchStore());
        m_pPanel->SetDocument(&document);
        Layer *pLayer = document.CreateLayer(Layer::Text);
        rows()->item(0)->setCheckState(Qt::Unchecked);
        QVERIFY(!pLayer->isVisible());
        QCOMPARE(document.undoStack()->count(), 0);
        // Shown again to the panel, a hidden layer's row stays unchecked.
        m_pPanel->SetDocument(nullptr);
        m_pPanel->SetDocument(&document);
        QCOMPARE(rows()->item(0)->checkState(), Qt::Unchecked);
        pLayer->setVisible(true);
        QCOMPARE(rows()->item(0)->checkState(), Qt::Checked);

        rows()->item(0)->setText(QStringLiteral("Title"));
        QCOMPARE(document.undoStack()->count(), 1);
        QCOMPARE(pLayer->name(), QStringLiteral("Title"));
        document.undoStack()->undo();
        QCOMPARE(pLayer->name(), QStringLiteral("New Layer"));
        QCOMPARE(rows()->item(0)->text(), QStringLiteral("New Layer"));
        QCOMPARE(document.undoStack()->count(), 1);
        document.undoStack()->redo();
        QCOMPARE(rows()->item(0)->text(), QStringLiteral("Title"));
    }

    void switchingDocuments()
    {
        Document first(QSize(20, 20), cqtest::scratchStore());
        Document second(QSize(20, 20), cqtest::scratchStore());
        first.CreateLayer(Layer::Raster);
        first.CreateLayer(Layer::Raster);
        Layer *pOnly = second.CreateLayer(Layer::Text);
        m_pPanel->SetDocument(&first);
        QCOMPARE(m_pPanel->RowCount(), 2);
        m_pPanel->SetDocument(&second);
        QCOMPARE(m_pPanel->RowCount(), 1);
        QCOMPARE(m_pPanel->CurrentLayer(), pOnly);
        // Changes to a document the panel no longer shows leave it alone.
        first.CreateLayer(Layer::Raster);
        QCOMPARE(m_pPanel->RowCount(), 1);
        // A document that goes away takes its rows with it.
        {
            Document passing(QSize(8, 8), cqtest::scratchStore());
            passing.CreateLayer(Layer::Raster);
            m_pPanel->SetDocument(&passing);
            QCOMPARE(m_pPanel->RowCount(), 1);
        }
        QCOMPARE(m_pPanel->RowCount(), 0);
        QVERIFY(!m_pPanel->document());
    }

private:
    template <class T> T *part(const char *name) { return m_pPanel->findChild<T *>(QLatin1String(name)); }
    QStandardItemModel *rows() { return qobject_cast<QStandardItemModel *>(part<QTreeView>("layerList")->model()); }
    void click(const char *button)
    {
        auto *pButton = part<QToolButton>(button);
        QVERIFY(pButton && pButton->isEnabled());
        QTest::mouseClick(pButton, Qt::LeftButton);
    }
    LayerDlg *m_pPanel = nullptr;
};

QTEST_MAIN(TestLayerDlg)
#include "tst_layerdlg.moc"
