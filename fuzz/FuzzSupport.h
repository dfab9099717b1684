#pragma once
#include <QGuiApplication>

// The application object every fuzz target needs for images and text:
// offscreen, silent, created on the first input.
inline void ensureFuzzApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *pApp = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return new QGuiApplication(argc, argv);
    }();
    (void)pApp;
}
