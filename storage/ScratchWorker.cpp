#include "ScratchWorker.h"
#include "ScratchDB.h"

ScratchWorker::ScratchWorker(ScratchDB *pStore)
    : m_pStore(pStore)
{
}

void ScratchWorker::UpdateList()
{
    if (m_pStore->OverLimit())
        m_pStore->SpillToDisk();
}

void ScratchWorker::RestoreItem(int iId)
{
    QImage image;
    QPointF pos;
    m_pStore->ReadItem(iId, image, pos);
    emit ItemRead(iId, image, pos);
    // What was read back counts in the memory in use: older read-backs
    // make room (nothing new is written for it).
    if (m_pStore->OverLimit())
        m_pStore->DropReadBack();
}

void ScratchWorker::ReleaseItem(int iId)
{
    m_pStore->DropItem(iId);
}

void ScratchWorker::Sync()
{
}
