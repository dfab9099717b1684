#include "FilterRegistry.h"
#include "AutoLevelFilter.h"
#include "BloomFilter.h"
#include "BrightnessFilter.h"
#include "ChannelMixFilter.h"
#include "ColorFilter.h"
#include "DialogFilter.h"
#include "EdgeDetectFilter.h"
#include "EmbossFilter.h"
#include "FilterPlugin.h"
#include "GaussianBlur.h"
#include "GlamourGlow.h"
#include "GrayscaleFilter.h"
#include "HueChangeFilter.h"
#include "InvertColorFilter.h"
#include "JitterFilter.h"
#include "MotionBlur.h"
#include "PixelateFilter.h"
#include "PosterizeFilter.h"
#include "ProgramCache.h"
#include "SepiaFilter.h"
#include "SharpenFilter.h"
#include "SmoothFilter.h"
#include "SolarizeFilter.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QJsonObject>
#include <QPluginLoader>
#include <QStandardPaths>

FilterRegistry::FilterRegistry(ProgramCache &cache, QWidget *pDialogParent, QObject *pParent)
    : QObject(pParent), m_cache(cache), m_pDialogParent(pDialogParent), m_pPlace(new DialogPlace(this))
{
}

QCLContext &FilterRegistry::Context() const
{
    return m_cache.context();
}

QStringList FilterRegistry::PluginFolders()
{
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/filterPlugins"),
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/filterPlugins")};
}

void FilterRegistry::Populate(const QStringList &pluginFolders)
{
    AddPlugins(pluginFolders);
    AddBuiltins();
}

void FilterRegistry::AddPlugins(const QStringList &folders)
{
    QSet<QString> seen;
    for (const QString &folder : folders) {
        const QString canonical = QDir(folder).canonicalPath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen.insert(canonical);
        const QDir dir(canonical);
        for (const QString &file : dir.entryList(QDir::Files, QDir::NoSort)) {
            QPluginLoader loader(dir.absoluteFilePath(file));
            // The metadata is read from the file without running any of it.
            if (loader.metaData().value(QLatin1String("IID")).toString() != QLatin1String(FilterPlugin_iid)) {
                qDebug() << "Not a filter plug-in:" << loader.fileName() << loader.errorString();
                continue;
            }
            QObject *pRoot = loader.instance();
            if (!pRoot) {
                qDebug() << loader.errorString();
                continue;
            }
            if (FilterPlugin *pFilter = qobject_cast<FilterPlugin *>(pRoot)) {
                m_filters.append(pFilter);
                m_pluginNames.append(pFilter->GetName());
            }
        }
    }
}

void FilterRegistry::AddBuiltins()
{
    const QList<KernelFilter *> builtins = {
        new HueChangeFilter(this),
        new AutoLevelFilter(AutoLevelFilter::Hue, this),
        new AutoLevelFilter(AutoLevelFilter::Saturation, this),
        new AutoLevelFilter(AutoLevelFilter::Lightness, this),
        new AutoLevelFilter(AutoLevelFilter::Red, this),
        new AutoLevelFilter(AutoLevelFilter::Green, this),
        new AutoLevelFilter(AutoLevelFilter::Blue, this),
        new InvertColorFilter(this),
        new GrayscaleFilter(this),
        new BrightnessFilter(this),
        new SepiaFilter(this),
        new SmoothFilter(this),
        new GaussianBlur(this),
        new PixelateFilter(this),
        new SharpenFilter(this),
        new EmbossFilter(this),
        new JitterFilter(this),
        new ColorFilter(this),
        new ChannelMixFilter(this),
        new SolarizeFilter(this),
        new PosterizeFilter(this),
        new EdgeDetectFilter(this),
        new BloomFilter(this),
        new MotionBlur(this),
        new GlamourGlow(this),
    };
    for (KernelFilter *pFilter : builtins) {
        pFilter->SetProgramCache(&m_cache);
        if (auto *pDialogFilter = qobject_cast<DialogFilter *>(pFilter)) {
            pDialogFilter->SetDialogParent(m_pDialogParent);
            pDialogFilter->SetPlace(m_pPlace);
        }
        m_filters.append(pFilter);
    }
}

FilterPlugin *FilterRegistry::Find(const QString &name) const
{
    for (FilterPlugin *pFilter : m_filters)
        if (pFilter->GetName() == name)
            return pFilter;
    return nullptr;
}

QString FilterRegistry::Load(FilterPlugin *pFilter)
{
    const QString name = pFilter->GetName();
    if (m_loaded.contains(name))
        return m_cache.buildReport().value(name);
    m_loaded.insert(name);
    const QString error = pFilter->Initialize(&m_cache.context());
    if (!error.isEmpty())
        m_cache.setReportEntry(name, error);
    return error;
}

bool FilterRegistry::IsLoaded(FilterPlugin *pFilter) const
{
    return m_loaded.contains(pFilter->GetName());
}

bool FilterRegistry::HasFailed(FilterPlugin *pFilter) const
{
    return m_cache.buildReport().contains(pFilter->GetName());
}

void FilterRegistry::LoadAll()
{
    for (FilterPlugin *pFilter : std::as_const(m_filters))
        Load(pFilter);
}
