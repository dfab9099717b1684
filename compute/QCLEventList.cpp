#include "QCLEventList.h"

void QCLEventList::append(const QCLEvent &event)
{
    if (!event.isNull())
        m_events.append(event);
}

QCLEventList &QCLEventList::operator<<(const QCLEvent &event)
{
    append(event);
    return *this;
}

std::vector<cl_event> QCLEventList::eventIds() const
{
    std::vector<cl_event> ids;
    ids.reserve(size_t(m_events.size()));
    for (const QCLEvent &e : m_events)
        ids.push_back(e.eventId());
    return ids;
}

bool QCLEventList::waitForFinished()
{
    bool ok = true;
    for (QCLEvent &e : m_events)
        ok = e.waitForFinished() && ok;
    return ok;
}
