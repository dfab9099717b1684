#pragma once
// Where the program finds what it ships: beside the executable in a build
// folder (which the `Brushes` folder there marks), or else in the installed
// folders relative to the executable, so an installed tree can be moved as
// a whole. Asked at start-up; the answers are handed to the brush panel and
// the filter registry.
#include <QString>
#include <QStringList>

namespace DataFolders {

// The folder of the shipped brush sets for an executable in `exeDir`.
QString ShippedBrushes(const QString &exeDir);
// The folders plug-ins load from: the shipped one (`filterPlugins` beside
// the executable, or the installed plug-in folder), then the per-user one.
QStringList Plugins(const QString &exeDir, const QString &userDataDir);

// The same for this process (the executable's folder, the per-user data folder).
QString ShippedBrushes();
QStringList Plugins();

} // namespace DataFolders
