#pragma once
#include <QApplication>

// The application object every fuzz target needs for images, text and
// layers:
// offscreen, silent, created on the first input.
inline void ensureFuzzApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication *pApp = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return new QApplication(argc, argv);
    }();
    (void)pApp;
}
