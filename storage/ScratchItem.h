#pragma once
#include <QImage>
#include <QPointF>
#include <QString>

// One snapshot of the scratch store. Every member is guarded by the store's
// list lock; the size, format and byte count never change after the add.
class ScratchItem
{
public:
    QImage image;            // null while only on disk, and after release
    QPointF position;
    QString fileName;        // empty until written, and again after release
    QSize size;
    QImage::Format format = QImage::Format_ARGB32;
    qint64 bytes = 0;        // what the image counts in the memory in use
    bool readFailed = false; // its file could not be read back
    bool released = false;
    // Restores asked for and not yet handed to their layer: while there are
    // any, the image read back is not dropped again.
    int pins = 0;
};
