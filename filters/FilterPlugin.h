#pragma once
// The interface of every filter, built in or loaded from a plug-in file.
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QString>
#include <QtPlugin>

class QCLContext;

class FilterPlugin
{
public:
    virtual ~FilterPlugin() = default;

    // The menu path, parts separated by a slash ("Blurs/Gaussian"); also the
    // filter's key in every table.
    virtual QString GetName() = 0;
    virtual QString GetAuthor() = 0;
    virtual QIcon GetIcon() = 0;
    // Loads the filter's programs and kernels. Empty text means ready;
    // otherwise the reason (a build log, or "<kernel>() kernel not found").
    virtual QString Initialize(QCLContext *pContext) = 0;
    // Immediate filters return the filtered image. Dialog filters open their
    // dialog, return a null image and report through Updated and Complete.
    virtual QImage ApplyFilter(QImage image) = 0;

    // Signals, emitted by the filter's object.
    virtual void Complete(bool bAccepted) = 0;
    virtual void Updated(QImage &image) = 0;

    // The filter as an object, to connect the two signals.
    virtual QObject *GetObject() = 0;
};

#define FilterPlugin_iid "com.kestrelvane.Chromaquill.FilterPlugin/1.0"
Q_DECLARE_INTERFACE(FilterPlugin, FilterPlugin_iid)
