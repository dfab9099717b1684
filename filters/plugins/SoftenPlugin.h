#pragma once
// An example filter plug-in: "Blurs/Soften" averages each pixel with its
// eight neighbours (edges repeat), on the host. It shows the least a plug-in
// needs: the interface, its identifier in the metadata, and the two signals.
#include "../FilterPlugin.h"

#include <QObject>

class SoftenPlugin : public QObject, public FilterPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FilterPlugin_iid)
    Q_INTERFACES(FilterPlugin)
public:
    QString GetName() override { return QStringLiteral("Blurs/Soften"); }
    QString GetAuthor() override { return QStringLiteral("Chromaquill example"); }
    QIcon GetIcon() override { return QIcon(); }
    QString Initialize(QCLContext *) override { return QString(); }
    QImage ApplyFilter(QImage image) override;
    QObject *GetObject() override { return this; }

Q_SIGNALS:
    void Complete(bool bAccepted) override;
    void Updated(QImage &image) override;
};
