#include "PanelLayout.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QSettings>
#include <QTimer>

namespace {
const char kStateKey[] = "windowState";
const char kSizeKey[] = "windowStateSize";
// A window manager maximises a new window within moments; a window that
// never reaches the saved size (another screen) keeps the first fit.
constexpr int kSettleMs = 2000;
} // namespace

PanelLayout::PanelLayout(QMainWindow &window) : QObject(&window), m_window(window) {}

void PanelLayout::Save(QSettings &settings) const
{
    settings.setValue(QLatin1String(kStateKey), m_window.saveState(0));
    settings.setValue(QLatin1String(kSizeKey), m_window.size());
}

bool PanelLayout::Restore(const QSettings &settings)
{
    const QByteArray state = settings.value(QLatin1String(kStateKey)).toByteArray();
    if (state.isEmpty())
        return false;
    // Bars and panels made just now lay themselves out first, so the state
    // meets the window's real height.
    QCoreApplication::sendPostedEvents();
    if (!m_window.restoreState(state, 0))
        return false;
    m_savedSize = settings.value(QLatin1String(kSizeKey)).toSize();
    if (!m_savedSize.isValid() || m_window.size() == m_savedSize)
        return true;
    m_pending = state;
    m_window.installEventFilter(this);
    QTimer::singleShot(kSettleMs, this, &PanelLayout::StopWaiting);
    return true;
}

bool PanelLayout::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    // The window's layout has already taken the new size when its filters
    // see the resize.
    if (pWatched == &m_window && pEvent->type() == QEvent::Resize && !m_pending.isEmpty()
        && m_window.size() == m_savedSize) {
        m_window.restoreState(m_pending, 0);
        StopWaiting();
    }
    return QObject::eventFilter(pWatched, pEvent);
}

void PanelLayout::StopWaiting()
{
    m_pending.clear();
    m_window.removeEventFilter(this);
}
