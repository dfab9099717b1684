#include "RetouchTool.h"

#include "ChildWindow.h"
#include "PixmapLayer.h"
#include "ToolContext.h"

RetouchTool::RetouchTool(ToolContext &context, const ConvolutionMask &mask, const QString &operation,
                         QObject *pParent)
    : RoundTipTool(context, QStringLiteral("Brush Width"), operation, 10, pParent)
    , m_mask(mask)
{
}

RetouchTool::~RetouchTool() = default;

void RetouchTool::AddOptions()
{
    if (!m_pConvolver) {
        m_pConvolver = std::make_unique<Convolver>(context().Programs());
        if (!m_pConvolver->isValid())
            qWarning("%s", qPrintable(m_pConvolver->errorText()));
    }
}

QImage RetouchTool::Filtered(const QImage &image)
{
    if (m_pConvolver && m_pConvolver->isValid()) {
        const QImage result = m_pConvolver->Run(image, m_mask);
        if (!result.isNull())
            return result;
    }
    // Without the device the host does the same arithmetic, only slower.
    return Convolver::Reference(image, m_mask);
}

bool RetouchTool::StartStroke(PixmapLayer *pLayer, QPoint point, Qt::KeyboardModifiers)
{
    Document *pDocument = m_pWindow->document();
    pDocument->BeginPaint(false, pLayer);
    // The base image is the layer in canvas coordinates, as the commits
    // want the filtered copy.
    m_filtered = Filtered(pDocument->BaseImage());
    StrokeTo(point);
    return true;
}

void RetouchTool::StrokeTo(QPoint point)
{
    Document *pDocument = m_pWindow->document();
    // Each commit replaces a run of whole rows of the tip's path with the
    // filtered pixels, within the selection; the rest of the layer keeps
    // what it has, so earlier parts of the stroke stay.
    const QRect canvas(QPoint(0, 0), pDocument->canvasSize());
    for (const QRect &rows : TipPath(m_last, point, m_iWidth, canvas))
        pDocument->CommitResult(m_filtered, rows);
    m_bPainted = true;
}

QList<QRect> RetouchTool::TipPath(QPoint from, QPoint to, int iWidth, const QRect &bounds)
{
    const int w = qMax(1, iWidth);
    const double radius = w / 2.0;
    const double shift = radius - w / 2; // half a pixel for odd widths
    const double ax = from.x() + shift, ay = from.y() + shift;
    const double dx = to.x() - from.x(), dy = to.y() - from.y();
    const double length2 = dx * dx + dy * dy;
    const QRect reach = QRectF(QPointF(qMin(ax, ax + dx) - radius, qMin(ay, ay + dy) - radius),
                               QPointF(qMax(ax, ax + dx) + radius, qMax(ay, ay + dy) + radius))
                            .toAlignedRect()
                            .intersected(bounds);
    const auto inside = [&](int x, int y) {
        const double px = x + 0.5 - ax, py = y + 0.5 - ay;
        const double t = length2 > 0 ? qBound(0.0, (px * dx + py * dy) / length2, 1.0) : 0.0;
        const double ex = px - t * dx, ey = py - t * dy;
        return ex * ex + ey * ey <= radius * radius;
    };
    QList<QRect> rows;
    for (int y = reach.top(); y <= reach.bottom(); ++y) {
        // The path is convex: each row meets it in one run.
        int first = reach.left();
        while (first <= reach.right() && !inside(first, y))
            ++first;
        if (first > reach.right())
            continue;
        int last = reach.right();
        while (!inside(last, y))
            --last;
        if (!rows.isEmpty() && rows.last().bottom() == y - 1 && rows.last().left() == first
            && rows.last().right() == last)
            rows.last().setBottom(y);
        else
            rows << QRect(QPoint(first, y), QPoint(last, y));
    }
    return rows;
}
