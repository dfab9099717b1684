// Opening a document of many small layers: reading, building the document,
// its window and the layers panel must each stay close to linear.
#include "ChildWindow.h"
#include "Document.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "LayerDlg.h"
#include "ScratchDB.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("many.cq"));
    LayerDlg layers;
    for (int count : {5000, 20000}) {
        DocumentData data;
        data.version = QStringLiteral("0.55b");
        data.canvas = QSize(64, 64);
        QImage pixel(1, 1, QImage::Format_ARGB32);
        pixel.fill(qRgba(10, 20, 30, 40));
        const QByteArray png = DocumentFile::EncodePng(pixel);
        for (int i = 0; i < count; ++i) {
            LayerData layer;
            layer.kind = 0;
            layer.name = QStringLiteral("L%1").arg(i);
            layer.z = i;
            layer.png = png;
            layer.image = pixel;
            data.layers.append(layer);
        }
        QString error;
        if (!DocumentFile::WriteFile(path, DocumentFile::Serialize(data), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        ScratchDB store;
        QElapsedTimer timer;
        timer.start();
        Document *pDocument = DocumentBuilder::Load(path, store, &error);
        const double load = timer.nsecsElapsed() / 1e6;
        timer.start();
        auto *pWindow = new ChildWindow(nullptr, pDocument);
        pWindow->show();
        app.processEvents();
        const double window = timer.nsecsElapsed() / 1e6;
        timer.start();
        layers.SetDocument(pDocument);
        const double panel = timer.nsecsElapsed() / 1e6;
        std::printf("%d layers of 1x1: read and build %.0f ms, window %.0f ms, layers panel %.0f ms\n", count, load,
                    window, panel);
        layers.SetDocument(nullptr);
        delete pWindow;
    }
    return 0;
}
