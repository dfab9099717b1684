// Feeds arbitrary bytes to the document parser: it must refuse or accept
// every input without crashing, hanging or allocating without bound.
#include "DocumentFile.h"

#include <QGuiApplication>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t size)
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
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(pData), qsizetype(size));
    DocumentData data;
    QString error;
    if (DocumentFile::Parse(bytes, &data, &error))
        (void)DocumentFile::Serialize(data);
    return 0;
}
