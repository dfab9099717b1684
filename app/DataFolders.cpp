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

QString ShippedBrushes(const QString &exeDir)
{
    const QString beside = exeDir + QStringLiteral("/Brushes");
    if (QFileInfo(beside).isDir())
        return beside;
    return QDir::cleanPath(exeDir + QStringLiteral("/" CQ_DATA_FROM_BIN "/Brushes"));
}

QStringList Plugins(const QString &exeDir, const QString &userDataDir)
{
    return {exeDir + QStringLiteral("/filterPlugins"), QDir::cleanPath(exeDir + QStringLiteral("/" CQ_PLUGINS_FROM_BIN)),
            userDataDir + QStringLiteral("/filterPlugins")};
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
