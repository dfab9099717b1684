// Feeds arbitrary bytes to the brush-set reader: it must refuse or accept
// every input without crashing, hanging or allocating without bound.
#include "BrushSetFile.h"
#include "CQBrush.h"

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
    QList<CQBrush *> brushes;
    QString error;
    if (BrushSetFile::Parse(bytes, &brushes, &error))
        (void)BrushSetFile::Serialize(brushes);
    qDeleteAll(brushes);
    return 0;
}
