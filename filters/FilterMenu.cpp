#include "FilterMenu.h"
#include "FilterPlugin.h"
#include "FilterRegistry.h"
#include "KernelReportDlg.h"
#include "ProgramCache.h"

#include <QAction>
#include <QMenu>
#include <QMetaObject>

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

bool hasSlot(QObject *pReceiver, const char *signature)
{
    return pReceiver->metaObject()->indexOfSlot(QMetaObject::normalizedSignature(signature)) >= 0;
}

} // namespace

void MarkFailed(QAction *pAction)
{
    pAction->setIcon(QIcon(QLatin1String(kExclamation)));
    pAction->setEnabled(false);
}

void Build(QMenu *pMenu, FilterRegistry &registry, QObject *pReceiver)
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
        if (!pReceiver)
            continue;
        QObject::connect(pObject, SIGNAL(Updated(QImage &)), pReceiver, SLOT(FilterUpdate(QImage &)));
        QObject::connect(pObject, SIGNAL(Complete(bool)), pReceiver, SLOT(FilterComplete(bool)));
        if (pObject->metaObject()->indexOfSignal("BusyChanged(bool)") >= 0 && hasSlot(pReceiver, "FilterBusy(bool)"))
            QObject::connect(pObject, SIGNAL(BusyChanged(bool)), pReceiver, SLOT(FilterBusy(bool)));
    }
    if (pReceiver)
        QObject::connect(pMenu, SIGNAL(triggered(QAction *)), pReceiver, SLOT(FilterTriggered(QAction *)));
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
