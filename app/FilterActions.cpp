#include "FilterActions.h"

#include "ChildWindow.h"
#include "DialogFilter.h"
#include "Document.h"
#include "FilterLanding.h"
#include "FilterMenu.h"
#include "FilterPlugin.h"
#include "FilterRegistry.h"
#include "LayerSnapshotCmd.h"
#include "MainWindow.h"
#include "PixmapLayer.h"

#include <QAction>
#include <QPointer>
#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QSettings>
#include <QStatusBar>
#include <QUndoStack>

FilterActions::FilterActions(MainWindow *pMain, FilterRegistry &registry)
    : QObject(pMain)
    , m_pMain(pMain)
    , m_registry(registry)
{
    // The filters' settings are read here and handed in.
    const QSettings settings;
    if (settings.value(QStringLiteral("OpenCLLoadKernelAtStartup"), false).toBool())
        m_registry.LoadAll();
    const QString location = QStringLiteral("FilterDialogLocation");
    if (settings.contains(location))
        m_registry.Place().SetLocation(settings.value(location).toPoint());
    connect(&m_registry.Place(), &DialogPlace::Moved, this,
            [location](const QPoint &point) { QSettings().setValue(location, point); });
}

void FilterActions::Triggered(QAction *pAction)
{
    ChildWindow *pWindow = m_pMain->currentDocument();
    if (!pWindow || IsRunning() || !FilterMenu::FilterOf(pAction))
        return;
    FilterPlugin *pFilter = FilterMenu::Prepare(pAction, m_registry, m_pMain);
    if (!pFilter)
        return;
    Document *pDocument = pWindow->document();
    Layer *pCurrent = pDocument->CurrentLayer();
    if (!pCurrent)
        return;
    if (pCurrent->kind() == Layer::Text) {
        QMessageBox::warning(m_pMain, QStringLiteral("D'oh!"),
                             QStringLiteral("Turn this layer into a pixmap before applying a filter."), QMessageBox::Ok);
        return;
    }
    PixmapLayer *pLayer = pDocument->CurrentRasterLayer();
    m_pActive = pFilter;
    m_pDocument = pDocument;
    m_pLayer = pLayer;
    m_bChanged = false;
    // The filter sees all the layer's own pixels, also those off the canvas
    // (moving the layer back shows no seam); the selection follows onto it.
    pDocument->BeginOwnPixels(pLayer);
    if (auto *pDialogFilter = qobject_cast<DialogFilter *>(pFilter->GetObject())) {
        // Previews compute what the window shows first.
        pDialogFilter->SetView([pWindow = QPointer<ChildWindow>(pWindow), pLayer] {
            if (!pWindow)
                return DialogFilter::View{};
            const QPointF pos = pLayer->pos();
            const QPoint origin(int(pos.x()), int(pos.y()));
            return DialogFilter::View{pWindow->ShownCanvasArea().translated(-origin), pWindow->ZoomFactor()};
        });
        connect(pDialogFilter, &DialogFilter::PartUpdated, this, &FilterActions::UpdatePart, Qt::UniqueConnection);
    }
    const QImage result = pFilter->ApplyFilter(pDocument->BaseImage());
    if (result.isNull())
        return; // a dialog filter: its previews come through Update()
    const QImage before = pDocument->BaseImage();
    pDocument->CommitResult(result);
    const bool bChanged = !FilterLanding::SamePixels(before, pLayer->image());
    Finish();
    if (bChanged)
        pDocument->undoStack()->push(
            new LayerSnapshotCmd(FilterMenu::UndoText(pFilter, false, pLayer->name()), pLayer));
}

void FilterActions::Update(const QImage &image)
{
    if (!m_pDocument || m_pDocument->PaintLayer() != m_pLayer)
        return;
    m_pDocument->CommitResult(image);
    m_bChanged = true;
}

void FilterActions::UpdatePart(const QImage &image, const QRect &area)
{
    if (!m_pDocument || m_pDocument->PaintLayer() != m_pLayer)
        return;
    // The painting protocol takes canvas coordinates.
    const QPointF pos = m_pLayer->pos();
    m_pDocument->CommitResult(image, area.translated(int(pos.x()), int(pos.y())));
    m_bChanged = true;
}

void FilterActions::Complete(bool bAccepted)
{
    if (!m_pDocument)
        return;
    Document *pDocument = m_pDocument;
    PixmapLayer *pLayer = m_pLayer;
    bool bChanged = m_bChanged && pDocument->PaintLayer() == pLayer;
    if (bChanged) {
        const QImage before = pDocument->BaseImage();
        if (!bAccepted)
            pDocument->CommitResult(before); // the layer comes back exactly
        bChanged = bAccepted && !FilterLanding::SamePixels(before, pLayer->image());
    }
    FilterPlugin *pFilter = m_pActive;
    Finish();
    if (bChanged)
        pDocument->undoStack()->push(new LayerSnapshotCmd(FilterMenu::UndoText(pFilter, true, pLayer->name()), pLayer));
}

void FilterActions::Finish()
{
    if (m_pActive)
        if (auto *pDialogFilter = qobject_cast<DialogFilter *>(m_pActive->GetObject()))
            pDialogFilter->SetView(nullptr);
    if (m_pDocument)
        m_pDocument->EndPaint();
    m_pDocument = nullptr;
    m_pLayer = nullptr;
    m_pActive = nullptr;
    m_bChanged = false;
}

void FilterActions::Busy(bool bBusy)
{
    if (bBusy) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        if (!m_pProgress) {
            m_pProgress = new QProgressBar(m_pMain->statusBar());
            m_pProgress->setRange(0, 0); // no known end: the bar just moves
            m_pProgress->setMaximumWidth(160);
        }
        m_pMain->statusBar()->showMessage(QStringLiteral("Applying filter..."));
        m_pMain->statusBar()->addWidget(m_pProgress);
        m_pProgress->show();
        return;
    }
    QApplication::restoreOverrideCursor();
    if (m_pProgress) {
        m_pMain->statusBar()->removeWidget(m_pProgress);
        m_pMain->statusBar()->clearMessage();
    }
}
