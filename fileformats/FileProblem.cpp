#include "FileProblem.h"

namespace FileProblem {

namespace {
const QLatin1String kDetails("\nDetails: ");
}

QString Damaged(const QString &detail)
{
    return QStringLiteral("The file is damaged or incomplete.") + kDetails + detail;
}

QString Summary(const QString &reason)
{
    const qsizetype at = reason.indexOf(kDetails);
    return at < 0 ? reason : reason.left(at);
}

QString Detail(const QString &reason)
{
    const qsizetype at = reason.indexOf(kDetails);
    return at < 0 ? QString() : reason.mid(at + kDetails.size());
}

} // namespace FileProblem
