#include "FilterParams.h"

QString FilterParam::describe() const
{
    const QString range = QStringLiteral("%1 to %2").arg(minimum).arg(maximum);
    if (count() == 1)
        return QStringLiteral("%1 %2").arg(key, range);
    QStringList names;
    static const char *const triple[] = {"R", "G", "B"};
    for (int i = 0; i < count(); ++i)
        names << (count() == 3 ? QLatin1String(triple[i]) : QStringLiteral("V%1").arg(i + 1));
    if (count() == 2 && key == QLatin1String("range"))
        names = {QStringLiteral("START"), QStringLiteral("SPAN")};
    return QStringLiteral("%1 %2 each %3").arg(key, names.join(QLatin1Char(',')), range);
}

int FilterValues::value(const QString &key, int fallback) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd() || it->isEmpty())
        return fallback;
    return it->first();
}

FilterValues FilterValues::defaults(const FilterParams &params)
{
    FilterValues values;
    for (const FilterParam &p : params)
        if (!p.optional)
            values.set(p.key, p.defaults);
    return values;
}

namespace {

QString keyList(const FilterParams &params)
{
    QStringList parts;
    for (const FilterParam &p : params)
        parts << p.describe() + (p.optional ? QStringLiteral(" (optional)") : QString());
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral("; "));
}

} // namespace

bool FilterValues::parse(const FilterParams &params, const QStringList &arguments, FilterValues *pValues,
                         QString *pError)
{
    auto fail = [pError](const QString &message) {
        if (pError)
            *pError = message;
        return false;
    };
    FilterValues values;
    for (const QString &argument : arguments) {
        const qsizetype eq = argument.indexOf(QLatin1Char('='));
        const QString key = eq < 0 ? argument : argument.left(eq);
        const FilterParam *pParam = nullptr;
        for (const FilterParam &p : params)
            if (p.key == key)
                pParam = &p;
        if (!pParam)
            return fail(QStringLiteral("unknown key \"%1\" (keys: %2)").arg(key, keyList(params)));
        if (eq < 0)
            return fail(QStringLiteral("%1 needs a value: %2").arg(key, pParam->describe()));
        if (values.has(key))
            return fail(QStringLiteral("%1 is given twice").arg(key));
        const QStringList parts = argument.mid(eq + 1).split(QLatin1Char(','));
        if (parts.size() != pParam->count())
            return fail(QStringLiteral("%1 takes %2 value(s): %3").arg(key).arg(pParam->count()).arg(pParam->describe()));
        QList<int> numbers;
        for (const QString &part : parts) {
            bool ok = false;
            const int n = part.trimmed().toInt(&ok);
            if (!ok || n < pParam->minimum || n > pParam->maximum)
                return fail(QStringLiteral("%1=%2 is out of range: %3").arg(key, argument.mid(eq + 1), pParam->describe()));
            numbers << n;
        }
        values.set(key, numbers);
    }
    for (const FilterParam &p : params)
        if (!p.optional && !values.has(p.key))
            return fail(QStringLiteral("missing %1").arg(p.describe()));
    if (pValues)
        *pValues = values;
    return true;
}
