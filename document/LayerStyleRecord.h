#pragma once
#include <QByteArray>
#include <QString>

// One layer style record of a document file (the payload of a 7000
// container): the style's name, whether it is on, the version of its data
// and its parameter record. Plain data, so the file's reader and its fuzz
// target can check records without any layer behind them.
struct LayerStyleRecord {
    enum Tag { Container = 7000, Name = 7001, Enabled = 7002, Version = 7003, Params = 7004 };

    QString name;
    bool bEnabled = false;
    qint32 iVersion = 1;
    QByteArray params;      // the payload of the parameter record
    bool bHasParams = false;

    // Reads a record's payload. False when it is damaged: a field reaching
    // past the record, a flag that is neither 0 nor 1, a version that is not
    // 4 bytes, or no name at all. Fields of unknown tags are skipped.
    static bool Parse(const QByteArray &payload, LayerStyleRecord *pRecord);
    // The payload as a document file holds it.
    QByteArray Serialize() const;
};
