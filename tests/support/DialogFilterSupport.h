#pragma once
// What the dialog-filter tests share: the registry's filters on a CPU
// context with their workers run by hand, the controls of an open dialog,
// and a recorder of what a filter sends out.
#include "DialogFilter.h"
#include "FilterRegistry.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <memory>

namespace cqtest {

// Records what a filter sends out, in order; disconnects when it goes.
struct FilterRecorder : QObject {
    explicit FilterRecorder(DialogFilter *pFilter)
    {
        connect(pFilter, &DialogFilter::Updated, this, [this](QImage &image) {
            images << image.copy();
            canvas = image.copy();
            events << QStringLiteral("updated");
        });
        connect(pFilter, &DialogFilter::Complete, this, [this](bool bAccepted) {
            events << (bAccepted ? QStringLiteral("accepted") : QStringLiteral("cancelled"));
        });
        // Parts land on `canvas` as a window lands them.
        connect(pFilter, &DialogFilter::PartUpdated, this, [this](const QImage &image, const QRect &area) {
            QPainter painter(&canvas);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(area.topLeft(), image, area);
            parts << area;
            events << QStringLiteral("part");
        });
    }
    int updates() const { return int(images.size()); }
    QList<QImage> images;
    QStringList events;
    QImage canvas;
    QList<QRect> parts;
};

// The built-in filters of a registry over a CPU context. Start() in
// initTestCase, Manual() in init, CloseAll() in cleanup.
class DialogFilters
{
public:
    bool Start()
    {
        isolateSettings();
        if (!createCpuContext(m_context))
            return false;
        m_cache = std::make_unique<ProgramCache>(m_context);
        m_registry = std::make_unique<FilterRegistry>(*m_cache, nullptr);
        m_registry->Populate({});
        return true;
    }
    // Every dialog filter's previews wait until the test runs them.
    void Manual()
    {
        for (FilterPlugin *pFilter : m_registry->Filters())
            if (auto *pDialog = qobject_cast<DialogFilter *>(pFilter->GetObject()))
                pDialog->Worker().SetManual(true);
    }
    // Cancels what is still open; closed dialogs delete themselves.
    void CloseAll()
    {
        for (FilterPlugin *pFilter : m_registry->Filters())
            if (auto *pDialog = qobject_cast<DialogFilter *>(pFilter->GetObject()); pDialog && pDialog->IsRunning())
                pDialog->Rejected();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The dialog filter of that name, loaded.
    DialogFilter *Filter(const QString &name)
    {
        auto *pFilter = qobject_cast<DialogFilter *>(m_registry->Find(name)->GetObject());
        if (pFilter && !m_registry->IsLoaded(pFilter))
            m_registry->Load(pFilter);
        return pFilter;
    }
    static QSlider *Slider(DialogFilter *pFilter, const char *name)
    {
        return pFilter->Dialog()->findChild<QSlider *>(QLatin1String(name));
    }
    static void Click(DialogFilter *pFilter, QDialogButtonBox::StandardButton button)
    {
        pFilter->Dialog()->findChild<QDialogButtonBox *>()->button(button)->click();
    }

    QCLContext &Context() { return m_context; }
    FilterRegistry &Registry() { return *m_registry; }

private:
    QCLContext m_context;
    std::unique_ptr<ProgramCache> m_cache;
    std::unique_ptr<FilterRegistry> m_registry;
};

} // namespace cqtest
