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
}

void ScratchWorker::ReleaseItem(int iId)
{
    m_pStore->DropItem(iId);
}

void ScratchWorker::Sync()
{
}
