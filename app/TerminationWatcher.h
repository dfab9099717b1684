#pragma once
#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (a session ending, Ctrl+C in a terminal) into a
// signal on the user-interface thread, so that the program can end the way
// closing its window ends it: settings saved, scratch files removed.
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject *pParent = nullptr);
    ~TerminationWatcher() override;

    // Takes SIGTERM and SIGINT from now on: called first thing in main(),
    // so a signal during start-up waits (in the descriptor) for the watcher
    // instead of killing the program half made.
    static bool InstallHandler();

Q_SIGNALS:
    // Once per signal received.
    void Requested();

private:
    void Drain();

    QSocketNotifier *m_pNotifier = nullptr;
};
