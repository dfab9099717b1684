// Save and load of a document with eight 4096 x 4096 raster layers: MB/s of
// pixel data each way (medians of a few runs).
#include "Document.h"
#include "DocumentBuilder.h"
#include "ScratchDB.h"
#include "DocumentFile.h"
#include "PixmapLayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// Photographic-ish content: gradients, soft shapes, text-like strokes and
// grain, with partial transparency on some layers.
QImage layerContent(int iSide, int iSeed)
{
    QImage image(iSide, iSide, QImage::Format_ARGB32);
    QRandomGenerator rng{quint32(iSeed)};
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, iSide, iSide);
        g.setColorAt(0, QColor::fromHsv(iSeed * 40 % 360, 200, 230, iSeed % 2 ? 255 : 160));
        g.setColorAt(1, QColor::fromHsv((iSeed * 40 + 120) % 360, 150, 90, 255));
        p.fillRect(image.rect(), g);
        for (int i = 0; i < 200; ++i) {
            QColor c = QColor::fromRgb(rng.generate());
            c.setAlpha(int(rng.bounded(40, 256)));
            p.setBrush(c);
            p.setPen(QPen(c.darker(), rng.bounded(1, 12)));
            const int x = int(rng.bounded(iSide)), y = int(rng.bounded(iSide));
            p.drawEllipse(QPointF(x, y), rng.bounded(10, 600), rng.bounded(10, 600));
        }
    }
    // Sensor-like grain on every pixel.
    for (int y = 0; y < iSide; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < iSide; ++x) {
            const int n = int(rng.generate() & 7) - 3;
            const QRgb v = line[x];
            line[x] = qRgba(qBound(0, qRed(v) + n, 255), qBound(0, qGreen(v) + n, 255),
                            qBound(0, qBlue(v) - n, 255), qAlpha(v));
        }
    }
    return image;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kSide = 4096, kLayers = 8, kRuns = 3;
    const double pixelMb = double(kSide) * kSide * 4 * kLayers / (1024.0 * 1024.0);

    ScratchDB store;
    auto *pDocument = new Document(QSize(kSide, kSide), store);
    for (int i = 0; i < kLayers; ++i) {
        auto *pLayer = static_cast<PixmapLayer *>(pDocument->CreateLayer(0));
        pLayer->setImage(layerContent(kSide, i + 1));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.cq"));
    QList<double> saves, loads;
    qint64 iFileSize = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        QString error;
        t.start();
        if (!DocumentBuilder::Save(path, *pDocument, &error)) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
            return 1;
        }
        saves << t.nsecsElapsed() / 1e9;
        iFileSize = QFile(path).size();
        t.start();
        Document *pLoaded = DocumentBuilder::Load(path, store, &error);
        loads << t.nsecsElapsed() / 1e9;
        if (!pLoaded) {
            std::fprintf(stderr, "load failed: %s\n", qPrintable(error));
            return 1;
        }
        delete pLoaded;
    }
    const double s = median(saves), l = median(loads);
    std::printf("document: %d layers of %dx%d, %.0f MiB of pixels, file %.1f MiB\n", kLayers, kSide, kSide, pixelMb,
                iFileSize / 1048576.0);
    std::printf("save: %.3f s  %.0f MB/s\n", s, pixelMb / s);
    std::printf("load: %.3f s  %.0f MB/s\n", l, pixelMb / l);
    delete pDocument;
    return 0;
}
