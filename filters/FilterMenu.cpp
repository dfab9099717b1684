#include "FilterMenu.h"
#include "DialogFilter.h"
#include "FilterPlugin.h"
#include "FilterRegistry.h"
#include "KernelReportDlg.h"
#include "ProgramCache.h"

#include <QAction>
#include <QMenu>
#include <QMetaMethod>

namespace FilterMenu {

namespace {

const char kExclamation[] = ":/icons/exclamation.png";

QMenu *subMenu(QMenu *pParent, const QString &title)
{
    for (QAction *pAction : pParent->actions()) {
        QMenu *pMenu = pAction->menu();
        if (pMenu && pMenu->parent() == pParent && pMenu->title() == title)
            return pMenu;
    }
    return pParent->addMenu(title);
}

// A plug-in's class is not known here: its two signals are found by their
// signatures and reach the hooks through this relay.
class PluginRelay : public QObject
{
    Q_OBJECT
public:
    PluginRelay(const Hooks &hooks, QObject *pParent) : QObject(pParent), m_hooks(hooks) {}

public Q_SLOTS:
    void Updated(QImage &image) { m_hooks.updated(image); }
    void Complete(bool bAccepted) { m_hooks.completed(bAccepted); }

private:
    Hooks m_hooks;
};

void connectFilter(QObject *pObject, const Hooks &hooks)
{
    if (auto *pKernel = qobject_cast<KernelFilter *>(pObject)) {
        QObject::connect(pKernel, &KernelFilter::Updated, hooks.pContext, hooks.updated);
        QObject::connect(pKernel, &KernelFilter::Complete, hooks.pContext, hooks.completed);
        if (auto *pDialog = qobject_cast<DialogFilter *>(pObject); pDialog && hooks.busy)
            QObject::connect(pDialog, &DialogFilter::BusyChanged, hooks.pContext, hooks.busy);
        return;
    }
    auto *pRelay = new PluginRelay(hooks, hooks.pContext);
    for (const char *signature : {"Updated(QImage&)", "Complete(bool)"}) {
        const int iSignal = pObject->metaObject()->indexOfSignal(signature);
        if (iSignal >= 0)
            QObject::connect(pObject, pObject->metaObject()->method(iSignal), pRelay,
                             pRelay->metaObject()->method(pRelay->metaObject()->indexOfSlot(signature)));
    }
}

} // namespace

void MarkFailed(QAction *pAction)
{
    pAction->setIcon(QIcon(QLatin1String(kExclamation)));
    pAction->setEnabled(false);
}

void Build(QMenu *pMenu, FilterRegistry &registry, const Hooks &hooks)
{
    for (FilterPlugin *pFilter : registry.Filters()) {
        const QStringList parts = pFilter->GetName().split(QLatin1Char('/'));
        QMenu *pTarget = pMenu;
        for (int i = 0; i + 1 < parts.size(); ++i)
            pTarget = subMenu(pTarget, parts[i]);
        QAction *pAction = pTarget->addAction(parts.last());
        if (registry.HasFailed(pFilter))
            MarkFailed(pAction);
        else
            pAction->setIcon(pFilter->GetIcon());
        QObject *pObject = pFilter->GetObject();
        pAction->setData(QVariant::fromValue(pObject));
        if (hooks.pContext)
            connectFilter(pObject, hooks);
    }
    if (hooks.pContext)
        QObject::connect(pMenu, &QMenu::triggered, hooks.pContext, hooks.triggered);
}

FilterPlugin *FilterOf(const QAction *pAction)
{
    if (!pAction)
        return nullptr;
    return qobject_cast<FilterPlugin *>(pAction->data().value<QObject *>());
}

FilterPlugin *Prepare(QAction *pAction, FilterRegistry &registry, QWidget *pParent)
{
    FilterPlugin *pFilter = FilterOf(pAction);
    if (!pFilter)
        return nullptr;
    const QString error = registry.Load(pFilter);
    if (error.isEmpty())
        return pFilter;
    MarkFailed(pAction);
    auto *pReport = new KernelReportDlg(registry.Cache().buildReport(), pParent);
    pReport->Select(pFilter->GetName());
    pReport->exec();
    return nullptr;
}

QString UndoText(FilterPlugin *pFilter, bool bFromDialog, const QString &layerName)
{
    const QString name = pFilter->GetName();
    return (bFromDialog ? name.section(QLatin1Char('/'), -1) : name) + QStringLiteral(" - ") + layerName;
}

} // namespace FilterMenu

#include "FilterMenu.moc"
