#pragma once
#include <QImage>
#include <QObject>
#include <QPointF>

class ScratchDB;

// Lives in the scratch thread. The store queues calls to these slots by
// name, so they run one after another in the order they were made.
class ScratchWorker : public QObject
{
    Q_OBJECT
public:
    explicit ScratchWorker(ScratchDB *pStore);

public slots:
    void UpdateList();
    void RestoreItem(int iId);
    void ReleaseItem(int iId);
    // Does nothing; a blocking call to it waits for everything queued before.
    void Sync();

signals:
    // The item's image as read back; a null image when the read failed.
    void ItemRead(int iId, const QImage &image, const QPointF &pos);

private:
    ScratchDB *m_pStore;
};
