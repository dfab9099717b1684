// Save and load of a document with eight 4096 x 4096 raster layers: MB/s of
// pixel data each way (medians of a few runs), for the file layer alone
// (encode, serialise, write; read, parse, decode) and through a document
// window, as a native file and as OpenRaster side by side. Then the size of one layer's PNG against what ImageMagick's
// `convert` and Python's PIL write for the same pixels (when installed),
// for a photo-like layer and a mostly transparent one.
#include "ChildWindow.h"
#include "DocumentBuilder.h"
#include "DocumentFile.h"
#include "Document.h"
#include "ScratchDB.h"
#include "PixmapLayer.h"
#include "PngEncoder.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <sys/resource.h>
#include <cstdio>

using bench::median;

namespace {

// A layer holding one small soft shape on transparency.
QImage sparseContent(int iSide)
{
    QImage image(iSide, iSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 40));
    p.drawEllipse(QPointF(iSide / 4.0, iSide / 3.0), 60, 60);
    return image;
}

// The size of the PNG another encoder writes for a PNG file, or -1.
qint64 otherEncoder(const QString &program, const QStringList &args, const QString &out)
{
    if (QStandardPaths::findExecutable(program).isEmpty() && !QFileInfo::exists(program))
        return -1;
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(300000) || process.exitCode() != 0)
        return -1;
    return QFileInfo(out).size();
}

void compareSizes(const char *label, const QImage &image, const QString &dir)
{
    const QString raw = dir + QStringLiteral("/raw.png");
    QFile file(raw);
    file.open(QIODevice::WriteOnly);
    file.write(PngEncoder::Encode(image, PngEncoder::kStored));
    file.close();
    const qint64 ours = DocumentFile::EncodePng(image).size();
    const QString python = QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                                  : QStringLiteral("python3");
    const QString pilOut = dir + QStringLiteral("/pil.png"), imOut = dir + QStringLiteral("/im.png");
    const qint64 pil = otherEncoder(python, {QStringLiteral("-c"), QStringLiteral("import sys; from PIL import Image; "
                                                                                  "Image.open(sys.argv[1]).save(sys.argv[2])"),
                                             raw, pilOut},
                                    pilOut);
    const qint64 magick = otherEncoder(QStringLiteral("convert"), {raw, imOut}, imOut);
    std::printf("%s layer: ours %lld bytes", label, ours);
    if (pil > 0)
        std::printf(", PIL %lld (ours %.2fx)", pil, double(ours) / pil);
    if (magick > 0)
        std::printf(", convert %lld (ours %.2fx)", magick, double(ours) / magick);
    std::printf("\n");
}

// CPU seconds this process has used, all threads together. On a machine
// shared with other work the wall clock overstates the time; the CPU time
// divided by the two cores is what an idle machine would take.
double cpuSeconds()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kSide = 4096, kLayers = 8, kRuns = 3;
    const double pixelMb = double(kSide) * kSide * 4 * kLayers / (1024.0 * 1024.0);

    QList<QImage> images;
    for (int i = 0; i < kLayers; ++i)
        images.append(bench::photoLayer(kSide, i + 1));
    QTemporaryDir dir;

    // The file layer alone: straight pixels in, straight pixels out.
    {
        const QString path = dir.filePath(QStringLiteral("data.cq"));
        QList<double> saves, loads, saveCpu, loadCpu;
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer t;
            t.start();
            double cpu = cpuSeconds();
            DocumentData data;
            data.canvas = QSize(kSide, kSide);
            const QList<QByteArray> pngs = DocumentFile::EncodePngs(images);
            for (int i = 0; i < kLayers; ++i) {
                LayerData layer;
                layer.kind = 0;
                layer.z = i;
                layer.png = pngs[i];
                data.layers.append(layer);
            }
            QString error;
            if (!DocumentFile::WriteFile(path, DocumentFile::Serialize(data), &error)) {
                std::fprintf(stderr, "write failed: %s\n", qPrintable(error));
                return 1;
            }
            saves << t.nsecsElapsed() / 1e9;
            saveCpu << cpuSeconds() - cpu;
            t.start();
            cpu = cpuSeconds();
            DocumentData back;
            if (!DocumentFile::ReadFile(path, &back, &error)) {
                std::fprintf(stderr, "read failed: %s\n", qPrintable(error));
                return 1;
            }
            loads << t.nsecsElapsed() / 1e9;
            loadCpu << cpuSeconds() - cpu;
        }
        const double s = median(saves), l = median(loads);
        const double sc = median(saveCpu), lc = median(loadCpu);
        std::printf("file layer: %d layers of %dx%d, %.0f MiB of pixels, file %.1f MiB\n", kLayers, kSide, kSide,
                    pixelMb, QFileInfo(path).size() / 1048576.0);
        std::printf("  encode+write: %.3f s  %.0f MB/s  (cpu %.3f s: %.0f MB/s on two idle cores)\n", s, pixelMb / s,
                    sc, pixelMb / (sc / 2));
        std::printf("  read+decode:  %.3f s  %.0f MB/s  (cpu %.3f s: %.0f MB/s on two idle cores)\n", l, pixelMb / l,
                    lc, pixelMb / (lc / 2));
    }

    ScratchDB store;
    auto *pWindow = new ChildWindow(nullptr, QSize(kSide, kSide), store);
    for (int i = 0; i < kLayers; ++i) {
        auto *pLayer = static_cast<PixmapLayer *>(pWindow->CreateLayer(0));
        pLayer->setImage(images[i]);
    }
    // Native and OpenRaster in the same run, alternating, so both see the
    // same machine load.
    struct Result {
        QList<double> saves, loads, saveCpu, loadCpu;
        qint64 iFileSize = 0;
    };
    const QStringList names = {QStringLiteral("bench.cq"), QStringLiteral("bench.ora")};
    Result results[2];
    for (int run = 0; run < kRuns; ++run) {
        for (int f = 0; f < 2; ++f) {
            const QString path = dir.filePath(names[f]);
            Result &r = results[f];
            QElapsedTimer t;
            QString error;
            t.start();
            double cpu = cpuSeconds();
            if (!DocumentBuilder::Save(path, *pWindow->document(), &error)) {
                std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
                return 1;
            }
            r.saves << t.nsecsElapsed() / 1e9;
            r.saveCpu << cpuSeconds() - cpu;
            r.iFileSize = QFile(path).size();
            t.start();
            cpu = cpuSeconds();
            Document *pLoaded = DocumentBuilder::Load(path, store, &error);
            r.loads << t.nsecsElapsed() / 1e9;
            r.loadCpu << cpuSeconds() - cpu;
            if (!pLoaded) {
                std::fprintf(stderr, "load failed: %s\n", qPrintable(error));
                return 1;
            }
            delete pLoaded;
        }
    }
    for (int f = 0; f < 2; ++f) {
        const Result &r = results[f];
        const double s = median(r.saves), l = median(r.loads);
        const double sc = median(r.saveCpu), lc = median(r.loadCpu);
        std::printf("through a document window, %s: file %.1f MiB (%.3fx the .cq)\n", qPrintable(names[f]),
                    r.iFileSize / 1048576.0, double(r.iFileSize) / double(results[0].iFileSize));
        std::printf("  save: %.3f s  %.0f MB/s  (cpu %.3f s: %.0f MB/s on two idle cores)\n", s, pixelMb / s, sc,
                    pixelMb / (sc / 2));
        std::printf("  load: %.3f s  %.0f MB/s  (cpu %.3f s: %.0f MB/s on two idle cores)\n", l, pixelMb / l, lc,
                    pixelMb / (lc / 2));
    }
    delete pWindow;

    compareSizes("photo-like (translucent)", images[1], dir.path());
    compareSizes("photo-like (opaque)", images[0], dir.path());
    compareSizes("mostly transparent", sparseContent(kSide), dir.path());
    return 0;
}
