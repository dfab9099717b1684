#pragma once
#include "QCLDevice.h"
#include "QCLPlatform.h"

#include <QList>
#include <QString>

// Plain-text report of OpenCL platforms and devices, shown by the system
// information dialog and printed by `cqtool info`.
QString openCLReport(const QList<QCLPlatform> &platforms, const QList<QCLDevice> &devices);
// The same for everything installed on this machine.
QString openCLReport();
