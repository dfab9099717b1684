#pragma once
// Every filter the program offers, in menu order: plug-ins first, then the
// built-in filters. Plug-ins come only from the "filterPlugins" folders
// beside the executable and in the per-user data folder (never the working
// directory), and only when their metadata names our interface.
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

class DialogPlace;
class FilterPlugin;
class ProgramCache;
class QCLContext;
class QWidget;

class FilterRegistry : public QObject
{
    Q_OBJECT
public:
    // Filters build their programs through `cache`, whose build report also
    // receives each failed filter's reason under its name. Dialogs open over
    // `pDialogParent`.
    FilterRegistry(ProgramCache &cache, QWidget *pDialogParent, QObject *pParent = nullptr);

    // Loads the plug-ins of `pluginFolders`, then adds the built-in filters.
    void Populate(const QStringList &pluginFolders = PluginFolders());
    static QStringList PluginFolders();

    // Appends one more filter (it stays owned by whoever made it).
    void Add(FilterPlugin *pFilter) { m_filters.append(pFilter); }
    const QList<FilterPlugin *> &Filters() const { return m_filters; }
    FilterPlugin *Find(const QString &name) const;
    // Names of the filters that came from plug-in files, in load order.
    QStringList PluginNames() const { return m_pluginNames; }

    // Initializes the filter once. Empty when ready; otherwise its reason,
    // which the build report keeps under the filter's name.
    QString Load(FilterPlugin *pFilter);
    bool IsLoaded(FilterPlugin *pFilter) const;
    bool HasFailed(FilterPlugin *pFilter) const;
    // Loads every filter now (when the settings ask for it at start-up).
    void LoadAll();
    // Where every dialog filter's dialog opens.
    DialogPlace &Place() const { return *m_pPlace; }

    ProgramCache &Cache() const { return m_cache; }
    QCLContext &Context() const;

private:
    void AddPlugins(const QStringList &folders);
    void AddBuiltins();

    ProgramCache &m_cache;
    QWidget *m_pDialogParent;
    DialogPlace *m_pPlace;
    QList<FilterPlugin *> m_filters;
    QStringList m_pluginNames;
    QSet<QString> m_loaded;
};
