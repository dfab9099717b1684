#pragma once
#include "QCLKernel.h"

#include <QImage>
#include <QString>

#include <functional>

class ProgramCache;
class QCLContext;

// Softens a selection mask's alpha with the featherHorizontal and
// featherVertical kernels of ":/Filters/imageBlend.cl", with a plain C++
// reference of the same integer arithmetic.
class Feather
{
public:
    // Takes the program from the shared cache and creates both kernels.
    explicit Feather(ProgramCache &cache);

    bool isValid() const { return m_error.isEmpty(); }
    // Empty on success, else "<kernel>() kernel not found" or a load failure.
    QString errorText() const { return m_error; }

    // Both passes on the device. The result is ARGB32 with each pixel's colour
    // kept; a null image on failure. A radius below 1 counts as 1.
    QImage apply(const QImage &image, int radius);

    // Host reference of the same integer arithmetic, pass by pass.
    static void horizontalPass(const quint32 *src, quint32 *dst, int width, int height, int radius);
    static void verticalPass(const quint32 *src, quint32 *dst, int width, int height, int radius);
    static QImage reference(const QImage &image, int radius);

    // The feathering a document uses: the kernels, built from the cache on
    // first use, falling back to the reference where they cannot run.
    static std::function<QImage(const QImage &, int)> Featherer(ProgramCache &cache);

private:
    QCLContext *m_context = nullptr;
    QCLKernel m_horizontal;
    QCLKernel m_vertical;
    QString m_error;
};
