// The layers panel: row order after moves, lookups, blending entries, delete
// button, thumbnails, context menu, opacity display, visibility and renaming.
#include "ChildWindow.h"
#include "DocTestSupport.h"
#include "LayerDlg.h"
#include "ScratchDB.h"
#include "TestSupport.h"
#include "UndoDlg.h"

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
    void initTestCase();
    void rowsFollowZOrder();
    void blendingEntriesByCode();
    void deleteButtonRules();
    void thumbnails();
    void contextMenu();
    void opacityShownWithoutHistory();
    void visibilityAndRenaming();

private:
    QTemporaryDir m_tmp;
    LayerDlg *m_pPanel = nullptr;
};

void TestLayerDlg::initTestCase()
{
    cqtest::isolateSettings();
    QVERIFY(m_tmp.isValid());
    ScratchDB::instance()->Init(m_tmp.path(), 256 * 1024 * 1024);
    m_pPanel = LayerDlg::instance();
}

template <class T> static T *part(const char *name)
{
    return LayerDlg::instance()->findChild<T *>(QLatin1String(name));
}

void TestLayerDlg::rowsFollowZOrder()
{
    ChildWindow window(nullptr, QSize(20, 20));
    window.Activate();
    Layer *pA = window.CreateLayer(Layer::Raster);
    Layer *pB = window.CreateLayer(Layer::Raster);
    Layer *pC = window.CreateLayer(Layer::Text);
    QCOMPARE(m_pPanel->RowCount(), 3);
    QCOMPARE(m_pPanel->LayerAtRow(0), pC);
    QCOMPARE(m_pPanel->RowOf(pA), 2);
    QCOMPARE(m_pPanel->RowOf(nullptr), -1);
    QCOMPARE(m_pPanel->CurrentLayer(), pC);
    m_pPanel->SelectLayer(pA);
    QCOMPARE(m_pPanel->CurrentLayer(), pA);
    m_pPanel->on_moveLayerUpBtn_clicked();
    m_pPanel->on_moveLayerUpBtn_clicked();
    QCOMPARE(m_pPanel->RowOf(pA), 0);
    QCOMPARE(pA->zValue(), 2.0);
    QCOMPARE(pC->zValue(), 1.0);
    QCOMPARE(pB->zValue(), 0.0);
    QCOMPARE(window.GetLayers(), (QList<Layer *>{pB, pC, pA}));
    QCOMPARE(window.undoStack()->count(), 1);
    // At the top already: the entry is pushed, nothing moves.
    m_pPanel->on_moveLayerUpBtn_clicked();
    QCOMPARE(m_pPanel->RowOf(pA), 0);
    window.undoStack()->undo();
    QCOMPARE(m_pPanel->RowOf(pA), 2);
    QCOMPARE(window.GetLayers(), (QList<Layer *>{pA, pB, pC}));
    UndoDlg::instance()->setStack(nullptr);
    m_pPanel->Clear();
}

void TestLayerDlg::blendingEntriesByCode()
{
    auto *pCombo = part<QComboBox>("blendingMode");
    QVERIFY(pCombo);
    QCOMPARE(pCombo->count(), 14);
    m_pPanel->SetBlendingMode(13);
    QCOMPARE(pCombo->currentText(), QStringLiteral("Multiply"));
    m_pPanel->SetBlendingMode(11);
    QCOMPARE(pCombo->currentIndex(), 3);
    m_pPanel->SetBlendingMode(5);
    QCOMPARE(pCombo->currentIndex(), -1);
    QCOMPARE(m_pPanel->BlendingModeShown(), -1);
}

void TestLayerDlg::deleteButtonRules()
{
    auto *pDelete = part<QToolButton>("deleteLayerBtn");
    QVERIFY(pDelete);
    ChildWindow window(nullptr, QSize(20, 20));
    window.Activate();
    pDelete->setEnabled(false);
    Layer *pA = window.CreateLayer(Layer::Raster);
    QVERIFY(!pDelete->isEnabled());
    Layer *pB = window.CreateLayer(Layer::Raster);
    QVERIFY(pDelete->isEnabled());
    m_pPanel->SelectLayer(pB);
    m_pPanel->on_deleteLayerBtn_clicked();
    QVERIFY(pB->isDeleted());
    QCOMPARE(window.undoStack()->text(0), QStringLiteral("Delete Layer (New Layer)"));
    QVERIFY(!pDelete->isEnabled());
    QCOMPARE(m_pPanel->RowCount(), 1);
    QCOMPARE(m_pPanel->CurrentLayer(), pA);
    window.undoStack()->undo();
    QCOMPARE(m_pPanel->RowCount(), 2);
    QVERIFY(pDelete->isEnabled());
    UndoDlg::instance()->setStack(nullptr);
    m_pPanel->Clear();
}

void TestLayerDlg::thumbnails()
{
    QCOMPARE(LayerDlg::ThumbnailSize(QSize(200, 100)), QSize(64, 32));
    QCOMPARE(LayerDlg::ThumbnailSize(QSize(100, 300)), QSize(21, 64));
    QCOMPARE(LayerDlg::ThumbnailSize(QSize(50, 50)), QSize(64, 64));
    ChildWindow window(nullptr, QSize(100, 300));
    window.Activate();
    Layer *pLayer = window.CreateLayer(Layer::Raster);
    m_pPanel->UpdateLayerThumbnail(pLayer);
    auto *pList = part<QTreeView>("layerList");
    const QPixmap thumb = pList->model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>();
    QCOMPARE(thumb.size(), QSize(21, 64));
    UndoDlg::instance()->setStack(nullptr);
    m_pPanel->Clear();
}

void TestLayerDlg::contextMenu()
{
    ChildWindow window(nullptr, QSize(20, 20));
    window.Activate();
    window.CreateLayer(Layer::Text);
    QCOMPARE(m_pPanel->ContextActions().size(), 5);
    window.CreateLayer(Layer::Raster);
    QCOMPARE(m_pPanel->ContextActions().size(), 6);
    UndoDlg::instance()->setStack(nullptr);
    m_pPanel->Clear();
}

void TestLayerDlg::opacityShownWithoutHistory()
{
    ChildWindow window(nullptr, QSize(20, 20));
    window.Activate();
    Layer *pA = window.CreateLayer(Layer::Raster);
    Layer *pB = window.CreateLayer(Layer::Raster);
    for (int value : {40, 29, 57, 0, 100}) {
        pA->setOpacity(value / 100.0);
        m_pPanel->SelectLayer(pB);
        m_pPanel->SelectLayer(pA);
        QCOMPARE(m_pPanel->OpacityShown(), value);
    }
    QCOMPARE(window.undoStack()->count(), 0);
    // A drag through the slider: one merged entry.
    auto *pSlider = part<QSlider>("opacity");
    for (int v = 99; v >= 29; --v)
        pSlider->setValue(v);
    QCOMPARE(window.undoStack()->count(), 1);
    QCOMPARE(pA->opacity(), 0.29);
    m_pPanel->SelectLayer(pB);
    m_pPanel->SelectLayer(pA);
    QCOMPARE(m_pPanel->OpacityShown(), 29);
    UndoDlg::instance()->setStack(nullptr);
    m_pPanel->Clear();
}

void TestLayerDlg::visibilityAndRenaming()
{
    ChildWindow window(nullptr, QSize(20, 20));
    window.Activate();
    Layer *pLayer = window.CreateLayer(Layer::Text);
    auto *pModel = qobject_cast<QStandardItemModel *>(part<QTreeView>("layerList")->model());
    QVERIFY(pModel);
    QStandardItem *pRow = pModel->item(0);
    pRow->setCheckState(Qt::Unchecked);
    QVERIFY(!pLayer->isVisible());
    QCOMPARE(window.undoStack()->count(), 0);
    window.RefreshLayerPanel();
    QCOMPARE(pModel->item(0)->checkState(), Qt::Unchecked);
    pModel->item(0)->setCheckState(Qt::Checked);
    QVERIFY(pLayer->isVisible());

    pModel->item(0)->setText(QStringLiteral("Title"));
    QCOMPARE(window.undoStack()->count(), 1);
    QCOMPARE(window.undoStack()->text(0), QStringLiteral("Layer Name"));
    QCOMPARE(pLayer->name(), QStringLiteral("Title"));
    window.undoStack()->undo();
    QCOMPARE(pLayer->name(), QStringLiteral("New Layer"));
    QCOMPARE(pModel->item(0)->text(), QStringLiteral("New Layer"));
    QCOMPARE(window.undoStack()->count(), 1);
    window.undoStack()->redo();
    QCOMPARE(pModel->item(0)->text(), QStringLiteral("Title"));
    UndoDlg::instance()->setStack(nullptr);
    m_pPanel->Clear();
}

QTEST_MAIN(TestLayerDlg)
#include "tst_layerdlg.moc"
