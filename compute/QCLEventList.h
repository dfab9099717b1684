#pragma once
#include "QCLEvent.h"

#include <QList>
#include <vector>

// A list of events, for waiting on several launches at once.
class QCLEventList
{
public:
    QCLEventList() = default;

    bool isEmpty() const { return m_events.isEmpty(); }
    int size() const { return int(m_events.size()); }
    void append(const QCLEvent &event);
    QCLEventList &operator<<(const QCLEvent &event);
    QCLEvent at(int index) const { return m_events.at(index); }
    void clear() { m_events.clear(); }
    // The non-null handles, in order, for passing to the C API.
    std::vector<cl_event> eventIds() const;
    bool waitForFinished();

private:
    QList<QCLEvent> m_events;
};
