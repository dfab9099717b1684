#include "LayerBudget.h"

#include "FileProblem.h"
#include "ImageFile.h"
#include "Layer.h"
#include "Parallel.h"
#include "PngDecoder.h"

#include <QThread>
#include <QtEndian>

#include <functional>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

namespace LayerBudget {

namespace {

QString megabytes(qint64 iBytes)
{
    return QString::number((iBytes + (1 << 20) - 1) >> 20) + QStringLiteral(" MB");
}

} // namespace

qint64 MachineLimit()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    qint64 limit = pages > 0 && pageSize > 0 ? qint64(pages) * pageSize / 2
                                             : ImageFile::kMaxPixels * 4; // one picture of the largest size
    // A limit on the address space (a job's memory cap) holds the program
    // and its libraries too.
    struct rlimit r;
    if (::getrlimit(RLIMIT_AS, &r) == 0 && r.rlim_cur != RLIM_INFINITY)
        limit = qMin(limit, qint64(r.rlim_cur / 4 * 3));
    return limit;
}

qint64 PngCost(const QByteArray &png)
{
    // Signature, then the IHDR chunk's length and name, then its width and height.
    if (png.size() < 24 || !png.startsWith("\x89PNG") || png.mid(12, 4) != "IHDR")
        return 0;
    const auto *p = reinterpret_cast<const uchar *>(png.constData());
    const qint64 width = qFromBigEndian<quint32>(p + 16);
    const qint64 height = qFromBigEndian<quint32>(p + 20);
    return ImageFile::Fits(width, height) ? width * height * 4 : 0;
}

bool DecodeLayers(QList<LayerData> *pLayers, qint64 iLimit, QString *pError)
{
    QList<int> raster;
    QList<qint64> costs;
    qint64 iTotal = 0;
    for (int i = 0; i < pLayers->size(); ++i) {
        if ((*pLayers)[i].kind != Layer::Raster)
            continue;
        raster.append(i);
        costs.append(PngCost((*pLayers)[i].png));
        iTotal += costs.last();
    }
    if (iTotal > iLimit) {
        *pError = QStringLiteral("The document's layers need %1 of memory; this computer can give a document %2.")
                      .arg(megabytes(iTotal), megabytes(iLimit));
        return false;
    }

    QList<PngDecoder::Result> results(raster.size());
    auto fail = [&](const QString &reason) {
        results.clear();
        *pError = reason;
        return false;
    };
    const int iThreads = qMax(1, QThread::idealThreadCount());
    for (int first = 0; first < raster.size();) {
        // A group of layers that decode side by side: a few, and never more
        // than the bytes in flight (a single layer may take more alone).
        int last = first;
        qint64 iGroup = costs[first];
        while (last + 1 < raster.size() && last + 1 - first < iThreads && iGroup + costs[last + 1] <= kInFlight)
            iGroup += costs[++last];
        QList<std::function<void()>> jobs;
        for (int j = first; j <= last; ++j)
            jobs.append([pLayers, &raster, &results, j] {
                try {
                    results[j] = PngDecoder::Decode((*pLayers)[raster[j]].png);
                } catch (const std::bad_alloc &) {
                    results[j] = PngDecoder::Result{QImage(), PngDecoder::Status::NoMemory, QString()};
                }
            });
        runParallel(jobs);
        for (int j = first; j <= last; ++j) {
            const PngDecoder::Result &r = results[j];
            const int iLayer = raster[j] + 1;
            switch (r.status) {
            case PngDecoder::Status::Ok:
                break;
            case PngDecoder::Status::TooLarge:
                return fail(QStringLiteral("Layer %1 is too large: %2").arg(iLayer).arg(r.reason));
            case PngDecoder::Status::NoMemory:
                return fail(QStringLiteral("There is not enough memory to open this document (layer %1).").arg(iLayer));
            default: {
                const QString detail = FileProblem::Detail(r.reason).isEmpty() ? r.reason : FileProblem::Detail(r.reason);
                return fail(FileProblem::Damaged(
                    QStringLiteral("The pixels of layer %1 are not a readable PNG image: %2").arg(iLayer).arg(detail)));
            }
            }
        }
        first = last + 1;
    }
    for (int j = 0; j < raster.size(); ++j)
        (*pLayers)[raster[j]].image = std::move(results[j].image);
    return true;
}

} // namespace LayerBudget
