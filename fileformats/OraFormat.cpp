#include "OraFormat.h"

#include <QtEndian>

namespace OraFormat {

namespace {

struct Op {
    int mode;
    const char *name;
};

// Written names first; the names other programs use for the same mode after.
constexpr Op kOps[] = {
    {0, "svg:src-over"},        {13, "svg:multiply"},      {12, "svg:plus"},
    {14, "svg:screen"},         {15, "svg:overlay"},       {16, "svg:darken"},
    {17, "svg:lighten"},        {18, "svg:color-dodge"},   {19, "svg:color-burn"},
    {20, "svg:hard-light"},     {21, "svg:soft-light"},    {22, "svg:difference"},
    // No standard name: ours.
    {23, "chromaquill:exclusion"}, {11, "chromaquill:xor"},
    {23, "svg:exclusion"},      {23, "krita:exclusion"},   {11, "svg:xor"},
};

} // namespace

QLatin1String OpName(int iMode)
{
    for (const Op &op : kOps)
        if (op.mode == iMode)
            return QLatin1String(op.name);
    return QLatin1String(kOps[0].name);
}

int ModeForOp(const QString &op)
{
    if (op.isEmpty())
        return 0;
    for (const Op &entry : kOps)
        if (op == QLatin1String(entry.name))
            return entry.mode;
    return -1;
}

bool LooksLikeOra(const QByteArray &head)
{
    // A local file header: signature, ..., method at 8, name length at 26,
    // extra length at 28, the name at 30, then the data.
    if (head.size() < 30 || !head.startsWith("PK\x03\x04"))
        return false;
    const auto *p = reinterpret_cast<const uchar *>(head.constData());
    const int iMethod = qFromLittleEndian<quint16>(p + 8);
    const int iName = qFromLittleEndian<quint16>(p + 26);
    const int iExtra = qFromLittleEndian<quint16>(p + 28);
    const QByteArray type(kMimeType);
    return iMethod == 0 && head.mid(30, iName) == "mimetype"
        && head.mid(30 + iName + iExtra, type.size()) == type;
}

} // namespace OraFormat
