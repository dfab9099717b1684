#pragma once

#include <QByteArray>
#include <QObject>
#include <QSize>

class QMainWindow;
class QSettings;

// Keeps the panels where the user left them. The saved layout is only right
// for the window size it was saved at: restored into a window the window
// manager has yet to maximise, the dock layout hands the difference to a
// panel, and the panels drifted a little at every start. So the layout is
// applied again once the window reaches its saved size.
class PanelLayout : public QObject {
public:
    explicit PanelLayout(QMainWindow &window);

    void Save(QSettings &settings) const;
    // Returns false when nothing was saved or the saved layout is unusable.
    bool Restore(const QSettings &settings);

protected:
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    void StopWaiting();

    QMainWindow &m_window;
    QByteArray m_pending;
    QSize m_savedSize;
};
