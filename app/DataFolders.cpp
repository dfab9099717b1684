#include "DataFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

// The installed layout, relative to the executable's folder (set by the build).
#ifndef CQ_DATA_FROM_BIN
#define CQ_DATA_FROM_BIN "../share/chromaquill"
#endif
#ifndef CQ_PLUGINS_FROM_BIN
#define CQ_PLUGINS_FROM_BIN "../lib/chromaquill/filterPlugins"
#endif

namespace DataFolders {

namespace {

bool inBuildFolder(const QString &exeDir)
{
    return QFileInfo(exeDir + QStringLiteral("/Brushes")).isDir();
}

} // namespace

QString ShippedBrushes(const QString &exeDir)
{
    return inBuildFolder(exeDir) ? exeDir + QStringLiteral("/Brushes")
                                 : QDir::cleanPath(exeDir + QStringLiteral("/" CQ_DATA_FROM_BIN "/Brushes"));
}

QStringList Plugins(const QString &exeDir, const QString &userDataDir)
{
    // Never both: a build folder's neighbours are no installed tree.
    const QString shipped = inBuildFolder(exeDir) ? exeDir + QStringLiteral("/filterPlugins")
                                                  : QDir::cleanPath(exeDir + QStringLiteral("/" CQ_PLUGINS_FROM_BIN));
    return {shipped, userDataDir + QStringLiteral("/filterPlugins")};
}

QString ShippedBrushes()
{
    return ShippedBrushes(QCoreApplication::applicationDirPath());
}

QStringList Plugins()
{
    return Plugins(QCoreApplication::applicationDirPath(),
                   QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace DataFolders
